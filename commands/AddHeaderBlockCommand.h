// SPDX-License-Identifier: MIT
#pragma once

#include "commands/Command.h"

namespace reelkit {

class TAddHeaderBlockCommand final : public TCommand {
public:
    explicit TAddHeaderBlockCommand(std::shared_ptr<ICommandLineHelper> commandLine)
        : TCommand(std::move(commandLine), "+hb") {}

    void Execute() override;
    void PrintUsage() override;
};

} // namespace reelkit
