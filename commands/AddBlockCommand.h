#pragma once

#include "shell/Interfaces.h"

#include <memory>

namespace reelkit {

class TAddBlockCommand final : public ICommand {
public:
    explicit TAddBlockCommand(std::shared_ptr<ICommandLineHelper> commandLine)
        : FCommandLine(std::move(commandLine)) {}

    void Execute() override;
    void PrintUsage() override;
    std::string GetName() override;

private:
    std::shared_ptr<ICommandLineHelper> FCommandLine;
};

} // namespace reelkit
