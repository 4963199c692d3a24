// SPDX-License-Identifier: MIT
#pragma once

#include "commands/Command.h"

namespace reelkit {

class TAddDiskCommand final : public TCommand {
public:
    TAddDiskCommand(std::shared_ptr<ICommandLineHelper> commandLine,
                    std::shared_ptr<ISerializer> image = nullptr)
        : TCommand(std::move(commandLine), "+t", std::move(image)) {}

    void Execute() override;
    void PrintUsage() override;
};

} // namespace reelkit
