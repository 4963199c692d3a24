// SPDX-License-Identifier: MIT
#pragma once

#include "commands/Command.h"

namespace reelkit {

class TMakeTapeCommand final : public TCommand {
public:
    explicit TMakeTapeCommand(std::shared_ptr<ICommandLineHelper> commandLine)
        : TCommand(std::move(commandLine), "+m") {}

    void Execute() override;
    void PrintUsage() override;
};

} // namespace reelkit
