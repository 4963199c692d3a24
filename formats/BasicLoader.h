// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace reelkit {

// What a loader loads, one LOAD statement each, in tape order.
enum TLoadedBlock : std::uint8_t { lbCode, lbScreen };

// The most blocks one loader loads: more than any tape needs, and a bound on
// the length of its one line.
constexpr std::size_t kMaxLoadedBlocks = 32;
// The loader's one line, where it starts itself.
constexpr std::uint16_t kLoaderLine = 10;

// The blocks a word names, letter by letter: C code, S screen, in either
// case; nothing for an empty word, another character or a word longer than
// kMaxLoadedBlocks.
std::optional<std::vector<TLoadedBlock>> LoadedBlocks(std::string_view word);

// The loader as the ROM stores it, one line numbered kLoaderLine:
//   CLEAR VAL "clear": <one LOAD per block>: RANDOMIZE USR VAL "run"
// where a code block is LOAD ""CODE and a screen LOAD ""SCREEN$ followed by
// POKE VAL "23739",VAL "111", which keeps the names of the blocks after it
// from being printed over the screen.
std::vector<std::uint8_t> LoaderProgram(std::uint16_t runAddress, std::uint16_t clearAddress,
                                        std::span<const TLoadedBlock> blocks);

} // namespace reelkit
