// SPDX-License-Identifier: MIT
#include "commands/AddBlockCommand.h"

#include "formats/BlockLength.h"
#include "platform/Console.h"

namespace reelkit {

// +b TAPFile PCFile: the PC file as one headerless data block.
void TAddBlockCommand::Execute() {
    const auto writer = NextImage();
    TFileStream file = NextInputFile();
    CommandLine().CheckNoMoreArguments();
    writer->WriteBlock(BlockLength(file.GetSize()), 0xFF, file);
}

void TAddBlockCommand::PrintUsage() {
    ConsoleWriteLine("Reelkit.exe +b TAPFile PCFile");
    ConsoleWriteLine("\tadds a PCFile file to TAPFile TAP image as headerless block");
    ConsoleWriteLine();
}

} // namespace reelkit
