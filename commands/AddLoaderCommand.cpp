// SPDX-License-Identifier: MIT
#include "commands/AddLoaderCommand.h"

#include "formats/BasicLoader.h"
#include "formats/BlockLength.h"
#include "model/ZXFileInfo.h"
#include "platform/Console.h"
#include "platform/MemoryStream.h"
#include "shell/AppTypes.h"

#include <algorithm>
#include <string>
#include <vector>

namespace reelkit {
namespace {

static_assert(kMaxLoadedBlocks == 32, "the Blocks message names the bound");
static_assert(kBankAddress == 49152, "the ClearAddress message names where banks are");

// The blocks the next argument names, or the report of why it names none.
std::vector<TLoadedBlock> NextBlocks(ICommandLineHelper& commandLine) {
    TBlocksWord named = LoadedBlocks(commandLine.NextArgument());
    switch (named.refusal) {
    case brNone:
        break;
    case brWord:
        throw ECommandLineFormatException(
            "Argument %d must be a word of at most 32 letters C and S or bank digits 0, 1, 3, "
            "4, 6 and 7",
            commandLine.Position());
    case brBank2:
        throw ECommandLineFormatException(
            "Argument %d names bank 2, which is always at 32768: load it with C",
            commandLine.Position());
    case brBank5:
        throw ECommandLineFormatException(
            "Argument %d names bank 5, which is always at 16384: load it with C",
            commandLine.Position());
    }
    return std::move(named.blocks);
}

} // namespace

// +l TAPFile ZXFile RunAddress [ClearAddress [Blocks]]: a BASIC program that
// starts itself, makes room below the code, loads the blocks after it and
// calls the code; header and program land together or not at all.
void TAddLoaderCommand::Execute() {
    CommandLine().ReportEmptyArguments();
    const auto writer = NextImage();
    const std::string name = CommandLine().NextArgument();
    const std::uint16_t runAddress = CommandLine().NextNumberArgument();
    // runAddress is not 0 where this default is taken.
    auto clear = static_cast<std::uint16_t>(runAddress - 1);
    std::vector<TLoadedBlock> blocks = {lbCode};
    if (CommandLine().HasMoreArguments()) {
        clear = CommandLine().NextNumberArgument();
        const int clearPosition = CommandLine().Position();
        // Blocks comes after ClearAddress only: banks never meet the default.
        if (CommandLine().HasMoreArguments())
            blocks = NextBlocks(CommandLine());
        // A bank paged in over the stack would take it away; CLEAR 0 leaves
        // the stack where it was, which may be there.
        if ((clear == 0 || clear >= kBankAddress) && std::ranges::any_of(blocks, IsBank))
            throw ECommandLineFormatException(
                "Argument %d must be from 1 to 49151, where banks are loaded", clearPosition);
    } else if (runAddress == 0) { // CLEAR -1 does not exist, and any other would be a guess
        throw ECommandLineFormatException("Argument %d is 0: ClearAddress must be given",
                                          CommandLine().Position());
    }
    CommandLine().CheckNoMoreArguments();

    const std::vector<std::uint8_t> program = LoaderProgram(runAddress, clear, blocks);
    TZXFileInfo header(zftProgram);
    header.SetName(name);
    header.SetLength(BlockLength(std::ssize(program))); // no variables after the program
    header.SetAutoStartLine(kLoaderLine);
    TMemoryStream data;
    data.Write(program.data(), program.size());
    writer->WriteFile(header, data);
}

void TAddLoaderCommand::PrintUsage() {
    ConsoleWriteLine("Reelkit.exe +l TAPFile ZXFile RunAddress [ClearAddress [Blocks]]");
    ConsoleWriteLine("\tAdds a Basic loader program named ZXFile to TAPFile TAP image. It");
    ConsoleWriteLine("\tstarts at line 10 and does CLEAR ClearAddress (RunAddress - 1 by");
    ConsoleWriteLine("\tdefault; it must be given when RunAddress is 0), then for each letter");
    ConsoleWriteLine(
        "\tof Blocks in order LOAD \"\"CODE (C) or LOAD \"\"SCREEN$ (S; no block name");
    ConsoleWriteLine("\tis printed over the screen after it), then RANDOMIZE USR RunAddress.");
    ConsoleWriteLine("\tBlocks: at most 32 letters C and S, in either case; C by default.");
    ConsoleWriteLine("\tA digit 0, 1, 3, 4, 6 or 7 in Blocks loads CODE into that 128K bank at");
    ConsoleWriteLine("\t49152 (ClearAddress below 49152), paging bank 0 back after the last;");
    ConsoleWriteLine("\twith an S, the screen's printing is given back before RANDOMIZE USR.");
    ConsoleWriteLine();
}

} // namespace reelkit
