// SPDX-License-Identifier: MIT
#include "shell/ClassFactory.h"

#include "commands/AddBlockCommand.h"
#include "commands/AddDataBlockCommand.h"
#include "commands/AddDiskCommand.h"
#include "commands/AddFileCommand.h"
#include "commands/AddHeaderBlockCommand.h"
#include "commands/AddHeaderCommand.h"
#include "commands/AddHobetaCommand.h"
#include "commands/AddLoaderCommand.h"
#include "commands/InfoCommand.h"
#include "commands/MakeTapeCommand.h"
#include "formats/HobetaSerializer.h"
#include "formats/TAPSerializer.h"
#include "platform/CommandLine.h"
#include "shell/CommandLineHelperUnit.h"

namespace reelkit {

std::shared_ptr<ICommand> FindCommand(const TCommandTable& commands, std::string_view name) {
    for (const auto& command : commands)
        if (SameText(command->GetName(), name))
            return command;
    return nullptr;
}

std::shared_ptr<ICommandLineHelper>
TClassFactory::CreateCommandLineHelper(std::vector<std::string> arguments, std::string directory) {
    return std::make_shared<TCommandLineHelper>(std::move(arguments), std::move(directory));
}

void TClassFactory::CreateCommands(TCommandTable& commands,
                                   const std::shared_ptr<ICommandLineHelper>& commandLine,
                                   const std::shared_ptr<ISerializer>& image) {
    commands[0] = std::make_shared<TAddBlockCommand>(commandLine, image);
    commands[1] = std::make_shared<TAddHeaderCommand>(commandLine, image);
    commands[2] = std::make_shared<TAddFileCommand>(commandLine, image);
    commands[3] = std::make_shared<TAddHeaderBlockCommand>(commandLine, image);
    commands[4] = std::make_shared<TAddHobetaCommand>(commandLine, image);
    commands[5] = std::make_shared<TAddLoaderCommand>(commandLine, image);
    commands[6] = std::make_shared<TAddDiskCommand>(commandLine, image);
    commands[7] = std::make_shared<TAddDataBlockCommand>(commandLine, image);
    commands[8] = std::make_shared<TInfoCommand>(commandLine);
    commands[9] = std::make_shared<TMakeTapeCommand>(commandLine);
}

std::shared_ptr<ISerializer> TClassFactory::CreateSerializer(TSerializerKind kind,
                                                             const std::string& fileName) {
    switch (kind) {
    case skTAP:
        return std::make_shared<TTAPSerializer>(fileName);
    case skHobeta:
        return std::make_shared<THobetaSerializer>(fileName);
    case skNewTape:
        return std::make_shared<TNewTapeSerializer>(fileName);
    }
    return nullptr;
}

} // namespace reelkit
