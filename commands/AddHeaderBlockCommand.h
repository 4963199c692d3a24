// SPDX-License-Identifier: MIT
#pragma once

#include "commands/Command.h"

namespace reelkit {

class TAddHeaderBlockCommand final : public TCommand {
public:
    TAddHeaderBlockCommand(std::shared_ptr<ICommandLineHelper> commandLine,
                           std::shared_ptr<ISerializer> image = nullptr)
        : TCommand(std::move(commandLine), "+hb", std::move(image)) {}

    void Execute() override;
    void PrintUsage() override;
};

} // namespace reelkit
