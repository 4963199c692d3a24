#include "commands/AddFileCommand.h"

#include "model/ZXFileInfo.h"
#include "platform/Console.h"
#include "platform/FileStream.h"
#include "shell/AppTypes.h"
#include "shell/ClassFactory.h"

namespace reelkit {

// +f TAPFile PCFile ZXFile <type> <fields>: a header whose length is the PC
// file's size, then the file as a data block; both land or neither.
void TAddFileCommand::Execute() {
    const auto writer = TClassFactory::CreateSerializer(skTAP, FCommandLine->NextFileArgument());
    TFileStream file(FCommandLine->NextFileArgument(), TFileMode::fmOpenRead);
    const std::int64_t size = file.GetSize();
    if (size > kMaxBlockData)
        throw EAppException("File to add to image is too large");
    const std::shared_ptr<IZXFileInfo> header =
        std::make_shared<TZXFileInfo>(*FCommandLine, static_cast<std::uint16_t>(size));
    FCommandLine->CheckNoMoreArguments();
    writer->WriteFile(*header, file);
}

void TAddFileCommand::PrintUsage() {
    ConsoleWriteLine("Reelkit.exe +f TAPFile PCFile ZXFile B [AutoStartLine [ProgramLength]]");
    ConsoleWriteLine("\tAdds a PCFile file to TAPFile TAP image with Basic program header.");
    ConsoleWriteLine();
    ConsoleWriteLine("Reelkit.exe +f TAPFile PCFile ZXFile N ArrayName");
    ConsoleWriteLine("\tAdds a PCFile file to TAPFile TAP image with Number array header.");
    ConsoleWriteLine();
    ConsoleWriteLine("Reelkit.exe +f TAPFile PCFile ZXFile $ ArrayName");
    ConsoleWriteLine("\tAdds a PCFile file to TAPFile TAP image with Character array header.");
    ConsoleWriteLine();
    ConsoleWriteLine("Reelkit.exe +f TAPFile PCFile ZXFile C StartAddress");
    ConsoleWriteLine("\tAdds a PCFile file to TAPFile TAP image with Code block program header.");
    ConsoleWriteLine();
}

std::string TAddFileCommand::GetName() {
    return "+f";
}

} // namespace reelkit
