// SPDX-License-Identifier: MIT
#pragma once

#include "commands/Command.h"

namespace reelkit {

class TAddFileCommand final : public TCommand {
public:
    explicit TAddFileCommand(std::shared_ptr<ICommandLineHelper> commandLine)
        : TCommand(std::move(commandLine), "+f") {}

    void Execute() override;
    void PrintUsage() override;
};

} // namespace reelkit
