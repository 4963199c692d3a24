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
    // image: where the blocks go, when not to the image the arguments name.
    TCommand(std::shared_ptr<ICommandLineHelper> commandLine, std::string name,
             std::shared_ptr<ISerializer> image = nullptr)
        : FCommandLine(std::move(commandLine)), FName(std::move(name)), FImage(std::move(image)) {}

    ICommandLineHelper& CommandLine() const { return *FCommandLine; }
    // The tape writer: the image given to the command, or one bound to the
    // image the next argument names.
    std::shared_ptr<ISerializer> NextImage() const;
    // The file the next argument names, opened for reading.
    TFileStream NextInputFile() const;

private:
    std::shared_ptr<ICommandLineHelper> FCommandLine;
    std::string FName;
    std::shared_ptr<ISerializer> FImage;
};

} // namespace reelkit
