// SPDX-License-Identifier: MIT
#pragma once

#include "commands/Command.h"

namespace reelkit {

class TAddDataBlockCommand final : public TCommand {
public:
    explicit TAddDataBlockCommand(std::shared_ptr<ICommandLineHelper> commandLine,
                                  std::shared_ptr<ISerializer> image = nullptr)
        : TCommand(std::move(commandLine), "+d", std::move(image)) {}

    void Execute() override;
    void PrintUsage() override;
};

} // namespace reelkit
