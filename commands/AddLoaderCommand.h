// SPDX-License-Identifier: MIT
#pragma once

#include "commands/Command.h"

namespace reelkit {

class TAddLoaderCommand final : public TCommand {
public:
    explicit TAddLoaderCommand(std::shared_ptr<ICommandLineHelper> commandLine)
        : TCommand(std::move(commandLine), "+l") {}

    void Execute() override;
    void PrintUsage() override;
};

} // namespace reelkit
