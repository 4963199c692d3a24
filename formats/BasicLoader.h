// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace reelkit {

// What a loader loads, one LOAD statement each, in tape order: code where its
// header says, a screen, or code for one of the 128K's RAM banks, paged in at
// kBankAddress; a bank's value is its number.
enum TLoadedBlock : std::uint8_t {
    lbBank0 = 0,
    lbBank1 = 1,
    lbBank3 = 3,
    lbBank4 = 4,
    lbBank6 = 6,
    lbBank7 = 7,
    lbCode,
    lbScreen
};

constexpr bool IsBank(TLoadedBlock block) {
    return block <= lbBank7;
}

// The most blocks one loader loads: more than any tape needs, and a bound on
// the length of its one line.
constexpr std::size_t kMaxLoadedBlocks = 32;
// The loader's one line, where it starts itself.
constexpr std::uint16_t kLoaderLine = 10;
// Where a 128K pages its RAM banks in; the stack must stay below it.
constexpr std::uint16_t kBankAddress = 49152;
// The port a 128K pages with: bits 0-2 the RAM bank at kBankAddress.
constexpr std::uint16_t kPagingPort = 32765;

// Why a word names no blocks.
enum TBlocksRefusal : std::uint8_t {
    brNone,  // it names them
    brWord,  // empty, longer than kMaxLoadedBlocks, or with another character
    brBank2, // a 2, and nothing else amiss: bank 2 is always at 32768
    brBank5  // a 5, and nothing else amiss: bank 5 is always at 16384
};

struct TBlocksWord {
    std::vector<TLoadedBlock> blocks; // empty where refused
    TBlocksRefusal refusal = brNone;
};

// The blocks a word names, character by character: C code, S screen, in
// either case, and the digits of the banks 0, 1, 3, 4, 6 and 7. The first 2
// or 5 of a word that is otherwise sound refuses it by its bank.
TBlocksWord LoadedBlocks(std::string_view word);

// The loader as the ROM stores it, one line numbered kLoaderLine:
//   CLEAR VAL "clear": <the blocks' statements>: RANDOMIZE USR VAL "run"
// where, block by block,
//   a code block is    LOAD ""CODE
//   a screen           LOAD ""SCREEN$ : POKE VAL "23739",VAL "111"
//                      (the names of the blocks after it are not printed over it)
//   bank b             POKE VAL "23388",VAL "16+b": OUT VAL "32765",VAL "16+b": LOAD ""CODE
//                      (BANKM kept equal to the port, ROM 1, the 48K BASIC, kept in)
// and the last bank is followed by POKE VAL "23388",VAL "16": OUT VAL "32765",VAL "16",
// which pages bank 0 back. With a screen, POKE VAL "23739",VAL "244" before
// RANDOMIZE USR gives the screen's channel its own output back.
std::vector<std::uint8_t> LoaderProgram(std::uint16_t runAddress, std::uint16_t clearAddress,
                                        std::span<const TLoadedBlock> blocks);

} // namespace reelkit
