// SPDX-License-Identifier: MIT
#include "commands/AddFileCommand.h"

#include "formats/BlockLength.h"
#include "model/ZXFileInfo.h"
#include "platform/Console.h"

namespace reelkit {

// +f TAPFile PCFile ZXFile <type> <fields>: a header whose length is the PC
// file's size, then the file as a data block; both land or neither.
void TAddFileCommand::Execute() {
    const auto writer = NextImage();
    TFileStream file = NextInputFile();
    const std::uint16_t length = BlockLength(file.GetSize());
    const std::shared_ptr<IZXFileInfo> header =
        std::make_shared<TZXFileInfo>(CommandLine(), length);
    CommandLine().CheckNoMoreArguments();
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

} // namespace reelkit
