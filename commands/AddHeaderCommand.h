#pragma once

#include "shell/Interfaces.h"

#include <memory>

namespace reelkit {

class TAddHeaderCommand final : public ICommand {
public:
    explicit TAddHeaderCommand(std::shared_ptr<ICommandLineHelper> commandLine)
        : FCommandLine(std::move(commandLine)) {}

    void Execute() override;
    void PrintUsage() override;
    std::string GetName() override;

private:
    std::shared_ptr<ICommandLineHelper> FCommandLine;
};

} // namespace reelkit
