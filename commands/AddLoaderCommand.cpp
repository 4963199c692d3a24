// SPDX-License-Identifier: MIT
#include "commands/AddLoaderCommand.h"

#include "formats/BasicLoader.h"
#include "formats/BlockLength.h"
#include "model/ZXFileInfo.h"
#include "platform/Console.h"
#include "platform/MemoryStream.h"
#include "shell/AppTypes.h"

#include <optional>
#include <string>
#include <vector>

namespace reelkit {
namespace {

static_assert(kMaxLoadedBlocks == 32, "the Blocks message names the bound");

} // namespace

// +l TAPFile ZXFile RunAddress [ClearAddress [Blocks]]: a BASIC program that
// starts itself, makes room below the code, loads the blocks after it and
// calls the code; header and program land together or not at all.
void TAddLoaderCommand::Execute() {
    CommandLine().ReportEmptyArguments();
    const auto writer = NextImage();
    const std::string name = CommandLine().NextArgument();
    const std::uint16_t runAddress = CommandLine().NextNumberArgument();
    std::optional<std::uint16_t> clearAddress;
    if (CommandLine().HasMoreArguments())
        clearAddress = CommandLine().NextNumberArgument();
    else if (runAddress == 0) // CLEAR -1 does not exist, and any other would be a guess
        throw ECommandLineFormatException("Argument %d is 0: ClearAddress must be given",
                                          CommandLine().Position());
    std::vector<TLoadedBlock> blocks = {lbCode};
    if (CommandLine().HasMoreArguments()) {
        auto named = LoadedBlocks(CommandLine().NextArgument());
        if (!named)
            throw ECommandLineFormatException(
                "Argument %d must be a word of at most 32 letters C and S",
                CommandLine().Position());
        blocks = std::move(*named);
    }
    CommandLine().CheckNoMoreArguments();

    // runAddress is not 0 where the default is taken.
    const auto clear = clearAddress.value_or(static_cast<std::uint16_t>(runAddress - 1));
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
    ConsoleWriteLine();
}

} // namespace reelkit
