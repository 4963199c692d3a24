// SPDX-License-Identifier: MIT
#include "commands/AddDiskCommand.h"

#include "formats/DiskImage.h"
#include "formats/HobetaSerializer.h"
#include "model/ZXFileInfo.h"
#include "platform/Console.h"
#include "platform/MemoryStream.h"
#include "shell/AppTypes.h"

#include <deque>
#include <optional>

namespace reelkit {
namespace {

// One disk file made ready for the tape.
struct TConverted {
    TZXFileInfo header{zftUndefined};
    TMemoryStream data;
};

} // namespace

// +t TAPFile DiskImage [DiskFile]: one file of a TRD or SCL image, or all of
// them, each converted as +$ converts the same file in Hobeta form. Every file
// is converted before anything is written, and all of them go out in one
// append, while the disk image is still held.
void TAddDiskCommand::Execute() {
    CommandLine().ReportEmptyArguments();
    const auto writer = NextImage();
    TFileStream file = NextInputFile();
    std::optional<TDiskFileName> wanted;
    int wantedAt = 0;
    if (CommandLine().HasMoreArguments()) {
        wanted = ParseDiskFileName(CommandLine().NextArgument());
        wantedAt = CommandLine().Position();
        if (!wanted)
            throw ECommandLineFormatException("Argument %d must be a disk file name as name.T",
                                              wantedAt);
    }
    CommandLine().CheckNoMoreArguments();

    const TDiskImage disk = ReadDiskImage(file);
    if (!disk.fault.empty())
        throw EAppException("File is not a TRD or SCL disk image: " + disk.fault);
    std::vector<const TDiskEntry*> chosen;
    for (const TDiskEntry& entry : disk.files) {
        if (entry.deleted || (wanted && !DiskFileMatches(entry, *wanted)))
            continue;
        chosen.push_back(&entry);
        if (wanted)
            break; // the first that matches
    }
    if (wanted && chosen.empty()) {
        // A name given in another case than the catalogue's is a likely slip.
        std::string hint;
        for (const TDiskEntry& entry : disk.files)
            if (hint.empty() && !entry.deleted && DiskFileMatches(entry, *wanted, true))
                hint = "; " + DiskFileName(entry) + " matches it but for case";
        throw ECommandLineFormatException("Specified in agrument %d file is not found" + hint,
                                          wantedAt);
    }
    if (chosen.empty())
        throw EAppException("Disk image holds no files");
    std::deque<TConverted> converted;
    std::vector<TTapeFile> files;
    for (const TDiskEntry* entry : chosen) {
        const std::vector<std::uint8_t> hobeta = DiskFileHobeta(disk, *entry);
        TConverted& one = converted.emplace_back();
        ReadHobetaFileInfo(hobeta, one.header);
        ReadHobetaData(hobeta, one.data);
        files.push_back({one.header, one.data});
    }
    writer->WriteFiles(files);
}

void TAddDiskCommand::PrintUsage() {
    ConsoleWriteLine("Reelkit.exe +t TAPFile DiskImage [DiskFile]");
    ConsoleWriteLine("\tAdds files of a TR-DOS disk image to TAPFile TAP image with matching");
    ConsoleWriteLine("\theaders, as +$ adds a Hobeta file. DiskImage - name of TRD or SCL disk");
    ConsoleWriteLine("\timage file (in PC file system); DiskFile - name of one file on the disk");
    ConsoleWriteLine("\tas name.T, or name.TXY for a three-letter extension. Without DiskFile");
    ConsoleWriteLine("\tall files of the disk are added.");
    ConsoleWriteLine();
}

} // namespace reelkit
