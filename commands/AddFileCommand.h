// SPDX-License-Identifier: MIT
#pragma once

#include "commands/Command.h"

namespace reelkit {

class TAddFileCommand final : public TCommand {
public:
    TAddFileCommand(std::shared_ptr<ICommandLineHelper> commandLine,
                    std::shared_ptr<ISerializer> image = nullptr)
        : TCommand(std::move(commandLine), "+f", std::move(image)) {}

    void Execute() override;
    void PrintUsage() override;
};

} // namespace reelkit
