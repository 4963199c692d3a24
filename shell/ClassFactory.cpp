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
#include "formats/HobetaSerializer.h"
#include "formats/TAPSerializer.h"
#include "shell/CommandLineHelperUnit.h"

namespace reelkit {

std::shared_ptr<ICommandLineHelper>
TClassFactory::CreateCommandLineHelper(std::vector<std::string> arguments) {
    return std::make_shared<TCommandLineHelper>(std::move(arguments));
}

void TClassFactory::CreateCommands(TCommandTable& commands,
                                   const std::shared_ptr<ICommandLineHelper>& commandLine) {
    commands[0] = std::make_shared<TAddBlockCommand>(commandLine);
    commands[1] = std::make_shared<TAddHeaderCommand>(commandLine);
    commands[2] = std::make_shared<TAddFileCommand>(commandLine);
    commands[3] = std::make_shared<TAddHeaderBlockCommand>(commandLine);
    commands[4] = std::make_shared<TAddHobetaCommand>(commandLine);
    commands[5] = std::make_shared<TAddLoaderCommand>(commandLine);
    commands[6] = std::make_shared<TAddDiskCommand>(commandLine);
    commands[7] = std::make_shared<TAddDataBlockCommand>(commandLine);
}

std::shared_ptr<ISerializer> TClassFactory::CreateSerializer(TSerializerKind kind,
                                                             const std::string& fileName) {
    switch (kind) {
    case skTAP:
        return std::make_shared<TTAPSerializer>(fileName);
    case skHobeta:
        return std::make_shared<THobetaSerializer>(fileName);
    }
    return nullptr;
}

} // namespace reelkit
