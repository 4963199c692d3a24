// SPDX-License-Identifier: MIT
#include "commands/InfoCommand.h"

#include "formats/DiskImage.h"
#include "formats/HobetaSerializer.h"
#include "formats/Listing.h"
#include "formats/TapeFormat.h"
#include "platform/Console.h"
#include "shell/AppTypes.h"

#include <array>

namespace reelkit {
namespace {

bool IsHobeta(TStream& file) {
    std::array<std::uint8_t, kHobetaHeaderSize> header{};
    return file.ReadAt(0, header.data(), header.size()) == header.size() &&
           IsHobetaFile(header, file.GetSize());
}

// The file's listing, its kind told as the other commands tell it; a TAP
// image that cannot be walked to its end shows least, and is tried last.
TListing ListFile(TStream& file) {
    const TIdentity identity = Identify(file);
    switch (identity.content) {
    case ctTape:
        return ListTape(file);
    case ctDisk:
        return ListDisk(file);
    case ctOtherTape:
        throw EAppException("File is " + identity.name +
                            ": +i reads TAP, TZX, TRD, SCL and Hobeta files");
    case ctDamagedTape:
        if (identity.tape == tkTZX)
            return ListTape(file);
        break;
    case ctUnknown:
        break;
    }
    if (IsHobeta(file))
        return ListHobeta(file);
    if (HasDiskSignature(file))
        return ListDisk(file);
    if (identity.content == ctDamagedTape)
        return ListTape(file);
    throw EAppException("File is not a TAP, TZX, TRD, SCL or Hobeta file");
}

} // namespace

// +i File: what a tape, disk or Hobeta file holds, read through one shared
// open and never written; exit status 1 when the listing shows a fault.
void TInfoCommand::Execute() {
    CommandLine().ReportEmptyArguments();
    TFileStream file = NextInputFile();
    CommandLine().CheckNoMoreArguments();
    const TListing listing = ListFile(file);
    for (const std::string& line : listing.lines)
        ConsoleWriteLine(line);
    if (!listing.faults.empty())
        throw EFaultsFound(listing.faults.front());
}

void TInfoCommand::PrintUsage() {
    ConsoleWriteLine("Reelkit.exe +i File");
    ConsoleWriteLine("\tLists the blocks of a TAP or TZX image, the files of a TRD or SCL disk");
    ConsoleWriteLine("\timage or the file in a Hobeta file, with the lines of Basic programs,");
    ConsoleWriteLine("\tand checks them: checksums, headers against their data blocks, and");
    ConsoleWriteLine("\twhether a loader loads the files after it. Each fault is a line of");
    ConsoleWriteLine("\tits own, \"Fault in ...\", and makes the exit status 1.");
    ConsoleWriteLine();
}

} // namespace reelkit
