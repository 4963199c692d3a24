// SPDX-License-Identifier: MIT
#pragma once

#include "commands/Command.h"

namespace reelkit {

class TAddHeaderCommand final : public TCommand {
public:
    TAddHeaderCommand(std::shared_ptr<ICommandLineHelper> commandLine,
                      std::shared_ptr<ISerializer> image = nullptr)
        : TCommand(std::move(commandLine), "+h", std::move(image)) {}

    void Execute() override;
    void PrintUsage() override;
};

} // namespace reelkit
