#include "commands/AddBlockCommand.h"

#include "platform/Console.h"
#include "platform/FileStream.h"
#include "shell/AppTypes.h"
#include "shell/ClassFactory.h"

namespace reelkit {

// +b TAPFile PCFile: the PC file as one headerless data block.
void TAddBlockCommand::Execute() {
    const auto writer = TClassFactory::CreateSerializer(skTAP, FCommandLine->NextFileArgument());
    TFileStream file(FCommandLine->NextFileArgument(), TFileMode::fmOpenRead);
    FCommandLine->CheckNoMoreArguments();
    const std::int64_t size = file.GetSize();
    if (size > kMaxBlockData)
        throw EAppException("File to add to image is too large");
    writer->WriteBlock(static_cast<std::uint16_t>(size), 0xFF, file);
}

void TAddBlockCommand::PrintUsage() {
    ConsoleWriteLine("Reelkit.exe +b TAPFile PCFile");
    ConsoleWriteLine("\tadds a PCFile file to TAPFile TAP image as headerless block");
    ConsoleWriteLine();
}

std::string TAddBlockCommand::GetName() {
    return "+b";
}

} // namespace reelkit
