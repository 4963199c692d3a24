// SPDX-License-Identifier: MIT
#pragma once

#include "commands/Command.h"

namespace reelkit {

class TInfoCommand final : public TCommand {
public:
    explicit TInfoCommand(std::shared_ptr<ICommandLineHelper> commandLine)
        : TCommand(std::move(commandLine), "+i") {}

    void Execute() override;
    void PrintUsage() override;
};

} // namespace reelkit
