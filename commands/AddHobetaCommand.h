// SPDX-License-Identifier: MIT
#pragma once

#include "commands/Command.h"

namespace reelkit {

class TAddHobetaCommand final : public TCommand {
public:
    TAddHobetaCommand(std::shared_ptr<ICommandLineHelper> commandLine,
                      std::shared_ptr<ISerializer> image = nullptr)
        : TCommand(std::move(commandLine), "+$", std::move(image)) {}

    void Execute() override;
    void PrintUsage() override;
};

} // namespace reelkit
