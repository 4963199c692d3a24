// SPDX-License-Identifier: MIT
#pragma once

#include "platform/FileStream.h"
#include "shell/Interfaces.h"

#include <memory>
#include <string>
#include <utility>

namespace reelkit {

// What every command has in common: the reader it takes its arguments from,
// its switch, and the opening steps of Execute.
class TCommand : public ICommand {
public:
    std::string GetName() override { return FName; }

protected:
    TCommand(std::shared_ptr<ICommandLineHelper> commandLine, std::string name)
        : FCommandLine(std::move(commandLine)), FName(std::move(name)) {}

    ICommandLineHelper& CommandLine() const { return *FCommandLine; }
    // The tape writer, bound to the image the next argument names.
    std::shared_ptr<ISerializer> NextImage() const;
    // The file the next argument names, opened for reading.
    TFileStream NextInputFile() const;

private:
    std::shared_ptr<ICommandLineHelper> FCommandLine;
    std::string FName;
};

} // namespace reelkit
