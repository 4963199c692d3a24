// SPDX-License-Identifier: MIT
#include "commands/AddHeaderBlockCommand.h"

#include "formats/TapeFormat.h"
#include "platform/Console.h"
#include "shell/AppTypes.h"

namespace reelkit {

// +hb TAPFile PCfile: a prepared 17-byte header, taken as it is, as a header block.
void TAddHeaderBlockCommand::Execute() {
    constexpr std::uint16_t kHeaderSize = 17;
    const auto writer = NextImage();
    TFileStream file = NextInputFile();
    if (file.GetSize() != kHeaderSize)
        throw EAppException("File to add as header must have 17 bytes lenght");
    if (std::string wrong = WrongInput(file, "a 17-byte header"); !wrong.empty())
        throw EAppException(std::move(wrong));
    CommandLine().CheckNoMoreArguments();
    writer->WriteBlock(kHeaderSize, 0x00, file);
}

void TAddHeaderBlockCommand::PrintUsage() {
    ConsoleWriteLine("Reelkit.exe +hb TAPFile PCfile");
    ConsoleWriteLine("\tAdds a 17-byte PCFile to TAPFile TAP image with header flag.");
    ConsoleWriteLine();
}

} // namespace reelkit
