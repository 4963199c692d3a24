// SPDX-License-Identifier: MIT
#include "commands/AddDataBlockCommand.h"

#include "formats/BlockLength.h"
#include "platform/Console.h"
#include "shell/AppTypes.h"

#include <cstdint>

namespace reelkit {

// +d TAPFile PCFile Flag: the PC file as one headerless block, as +b adds it,
// with the flag byte Flag in place of 255.
void TAddDataBlockCommand::Execute() {
    CommandLine().ReportEmptyArguments();
    const auto writer = NextImage();
    TFileStream file = NextInputFile();
    const std::uint16_t flag = CommandLine().NextNumberArgument();
    if (flag > 0xFF)
        throw ECommandLineFormatException("Argument %d out of range (0 - 255)",
                                          CommandLine().Position());
    CommandLine().CheckNoMoreArguments();
    writer->WriteBlock(BlockLength(file.GetSize()), static_cast<std::uint8_t>(flag), file);
}

void TAddDataBlockCommand::PrintUsage() {
    ConsoleWriteLine("Reelkit.exe +d TAPFile PCFile Flag");
    ConsoleWriteLine("\tAdds a PCFile file to TAPFile TAP image as headerless block with the");
    ConsoleWriteLine("\tflag byte Flag (0 - 255) in place of 255, for a loader of one's own.");
    ConsoleWriteLine();
}

} // namespace reelkit
