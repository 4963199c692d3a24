// SPDX-License-Identifier: MIT
#include "commands/MakeTapeCommand.h"

#include "formats/Listing.h"
#include "formats/TapeFormat.h"
#include "platform/CommandLine.h"
#include "platform/Console.h"
#include "platform/MemoryStream.h"
#include "platform/Path.h"
#include "shell/AppTypes.h"
#include "shell/ClassFactory.h"

#include <string_view>

namespace reelkit {
namespace {

// A tape that exists is replaced only when it is one: an empty file, or a
// whole TAP or TZX image.
void CheckReplaced(const std::string& tape) {
    if (!FileExists(tape))
        return;
    TFileStream old(tape, TFileMode::fmOpenRead);
    if (old.GetSize() == 0)
        return;
    if (const std::string why = WhyNotATape(Identify(old)); !why.empty())
        throw EWriteError(tape, why);
}

// A list file's text, read whole.
std::string ReadList(const std::string& list) {
    TFileStream file(list, TFileMode::fmOpenRead);
    std::string text(static_cast<std::size_t>(file.GetSize()), '\0');
    file.ReadBuffer(text.data(), text.size());
    return text;
}

// Runs one line of the list, its words read as a command line is, with the
// image in place of the tape's name.
void RunLine(std::vector<std::string> words, const std::string& directory,
             const std::shared_ptr<ISerializer>& image) {
    const auto commandLine = TClassFactory::CreateCommandLineHelper(std::move(words), directory);
    TCommandTable commands;
    TClassFactory::CreateCommands(commands, commandLine, image);
    const std::string name = commandLine->NextArgument();
    for (const std::string_view other : {"+i", "+m"})
        if (SameText(name, other))
            throw ECommandLineFormatException("Command " + name + " adds no blocks to a tape");
    const auto command = FindCommand(commands, name);
    if (!command)
        throw ECommandLineFormatException("Unknown command");
    command->Execute();
}

} // namespace

// +m TAPFile ListFile: the whole tape made in memory from the list's lines,
// checked as +i checks a tape, then put in place of TAPFile in one step. The
// inputs stay open, locked against writers, until it is in place.
void TMakeTapeCommand::Execute() {
    CommandLine().ReportEmptyArguments();
    const std::string tape = ExpandFileName(CommandLine().NextArgument());
    if (tape.empty())
        throw ECommandLineFormatException("Specified in agrument %d file is not found",
                                          CommandLine().Position());
    const std::string list = CommandLine().NextFileArgument();
    CommandLine().CheckNoMoreArguments();
    CheckReplaced(tape);

    const TInputsHeld held(tape);
    const std::string text = ReadList(list);
    const auto image = TClassFactory::CreateSerializer(skNewTape, tape);
    const std::string directory = DirectoryOf(list);
    int number = 0;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line(text.data() + start, end - start);
        start = end + 1;
        ++number;
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos || line[first] == '#')
            continue;
        const TReportPrefix prefix("Line " + std::to_string(number) + ": ");
        RunLine(SplitWords(line), directory, image);
    }

    TMemoryStream made;
    image->ReadData(made);
    if (const TListing listing = ListTape(made); !listing.faults.empty())
        throw EAppException(listing.faults.front());
    TFileStream::Replace(tape, made.Bytes());
}

void TMakeTapeCommand::PrintUsage() {
    ConsoleWriteLine("Reelkit.exe +m TAPFile ListFile");
    ConsoleWriteLine("\tMakes TAPFile anew, a TZX image when its name ends in .tzx, from a list");
    ConsoleWriteLine("\tof commands that add blocks, one a line, each written as on the command");
    ConsoleWriteLine("\tline without TAPFile: +l game 32768 24999 SC, +f code.bin game C 32768.");
    ConsoleWriteLine("\tFile names are taken from the list's folder; a word with spaces is");
    ConsoleWriteLine("\twritten in double quotes; empty lines and lines starting with # are");
    ConsoleWriteLine("\tskipped. The tape is checked as +i checks it and replaces TAPFile only");
    ConsoleWriteLine("\twhole and sound; an existing TAPFile must be a tape image.");
    ConsoleWriteLine();
}

} // namespace reelkit
