// SPDX-License-Identifier: MIT
#pragma once

#include "commands/Command.h"

namespace reelkit {

class TAddBlockCommand final : public TCommand {
public:
    TAddBlockCommand(std::shared_ptr<ICommandLineHelper> commandLine,
                     std::shared_ptr<ISerializer> image = nullptr)
        : TCommand(std::move(commandLine), "+b", std::move(image)) {}

    void Execute() override;
    void PrintUsage() override;
};

} // namespace reelkit
