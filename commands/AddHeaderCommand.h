// SPDX-License-Identifier: MIT
#pragma once

#include "commands/Command.h"

namespace reelkit {

class TAddHeaderCommand final : public TCommand {
public:
    explicit TAddHeaderCommand(std::shared_ptr<ICommandLineHelper> commandLine)
        : TCommand(std::move(commandLine), "+h") {}

    void Execute() override;
    void PrintUsage() override;
};

} // namespace reelkit
