// SPDX-License-Identifier: MIT
#pragma once

#include "commands/Command.h"

namespace reelkit {

class TAddBlockCommand final : public TCommand {
public:
    explicit TAddBlockCommand(std::shared_ptr<ICommandLineHelper> commandLine)
        : TCommand(std::move(commandLine), "+b") {}

    void Execute() override;
    void PrintUsage() override;
};

} // namespace reelkit
