// SPDX-License-Identifier: MIT
#pragma once

#include "commands/Command.h"

namespace reelkit {

class TAddDiskCommand final : public TCommand {
public:
    explicit TAddDiskCommand(std::shared_ptr<ICommandLineHelper> commandLine)
        : TCommand(std::move(commandLine), "+t") {}

    void Execute() override;
    void PrintUsage() override;
};

} // namespace reelkit
