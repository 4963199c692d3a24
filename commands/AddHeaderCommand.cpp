// SPDX-License-Identifier: MIT
#include "commands/AddHeaderCommand.h"

#include "model/ZXFileInfo.h"
#include "platform/Console.h"

namespace reelkit {

// +h TAPFile ZXFile <type> <fields>: a header block built from the command line.
void TAddHeaderCommand::Execute() {
    const auto writer = NextImage();
    const std::shared_ptr<IZXFileInfo> header = std::make_shared<TZXFileInfo>(CommandLine());
    CommandLine().CheckNoMoreArguments();
    writer->WriteHeader(*header);
}

void TAddHeaderCommand::PrintUsage() {
    ConsoleWriteLine("Reelkit.exe +h TAPFile ZXFile B Length [AutoStartLine [ProgramLength]]");
    ConsoleWriteLine("\tAdds a Basic program header only to TAPFile TAP image.");
    ConsoleWriteLine();
    ConsoleWriteLine("Reelkit.exe +h TAPFile ZXFile N Length ArrayName");
    ConsoleWriteLine("\tAdds a Number array header only to TAPFile TAP image.");
    ConsoleWriteLine();
    ConsoleWriteLine("Reelkit.exe +h TAPFile ZXFile $ Length ArrayName");
    ConsoleWriteLine("\tAdds a Character array header only to TAPFile TAP image.");
    ConsoleWriteLine();
    ConsoleWriteLine("Reelkit.exe +h TAPFile ZXFile C StartAddress Length");
    ConsoleWriteLine("\tAdds a Code file header only to TAPFile TAP image.");
    ConsoleWriteLine();
}

} // namespace reelkit
