// SPDX-License-Identifier: MIT
#pragma once

#include "commands/Command.h"

namespace reelkit {

class TAddLoaderCommand final : public TCommand {
public:
    TAddLoaderCommand(std::shared_ptr<ICommandLineHelper> commandLine,
                      std::shared_ptr<ISerializer> image = nullptr)
        : TCommand(std::move(commandLine), "+l", std::move(image)) {}

    void Execute() override;
    void PrintUsage() override;
};

} // namespace reelkit
