// SPDX-License-Identifier: MIT
#pragma once

#include "commands/Command.h"

namespace reelkit {

class TAddHobetaCommand final : public TCommand {
public:
    explicit TAddHobetaCommand(std::shared_ptr<ICommandLineHelper> commandLine)
        : TCommand(std::move(commandLine), "+$") {}

    void Execute() override;
    void PrintUsage() override;
};

} // namespace reelkit
