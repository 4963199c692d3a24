// SPDX-License-Identifier: MIT
// A ZX Spectrum BASIC program is a run of lines, each:
//
//   +0  2  line number, big-endian
//   +2  2  length N of what follows, little-endian, the final 0x0D included
//   +4  N  the statements, then 0x0D
//
// A keyword is one token byte; the ROM keeps no space around it. A number
// typed into a line is stored as its digits, then 0x0E and five bytes of its
// value; VAL "digits" keeps the string only, so the loader writes its numbers
// that way and holds no hidden value that could differ from its listing.
#include "formats/BasicLoader.h"

#include "formats/BlockLength.h"

#include <initializer_list>
#include <iterator>
#include <string>

namespace reelkit {
namespace {

constexpr std::uint8_t kClear = 0xFD;
constexpr std::uint8_t kLoad = 0xEF;
constexpr std::uint8_t kCode = 0xAF;
constexpr std::uint8_t kScreen = 0xAA;
constexpr std::uint8_t kPoke = 0xF4;
constexpr std::uint8_t kRandomize = 0xF9;
constexpr std::uint8_t kUsr = 0xC0;
constexpr std::uint8_t kVal = 0xB0;
constexpr std::uint8_t kQuote = '"';
constexpr std::uint8_t kColon = ':';
constexpr std::uint8_t kComma = ',';
constexpr std::uint8_t kEndOfLine = 0x0D;

// 23739 is the low byte of the upper screen channel's output address; 111
// turns the ROM's print routine at 0x09F4 into 0x096F, a RET, so LOAD's
// "Bytes: name" no longer lands on the screen just loaded.
constexpr std::uint16_t kScreenOutputLow = 23739;
constexpr std::uint16_t kNoOutputLow = 111;

void Put(std::vector<std::uint8_t>& out, std::initializer_list<std::uint8_t> bytes) {
    out.insert(out.end(), bytes);
}

// VAL "n": the number in decimal, without leading zeros, as a string.
void PutVal(std::vector<std::uint8_t>& out, std::uint16_t number) {
    const std::string digits = std::to_string(number);
    Put(out, {kVal, kQuote});
    out.insert(out.end(), digits.begin(), digits.end());
    Put(out, {kQuote});
}

// LOAD ""<kind>
void PutLoad(std::vector<std::uint8_t>& out, std::uint8_t kind) {
    Put(out, {kColon, kLoad, kQuote, kQuote, kind});
}

} // namespace

std::optional<std::vector<TLoadedBlock>> LoadedBlocks(std::string_view word) {
    if (word.empty() || word.size() > kMaxLoadedBlocks)
        return std::nullopt;
    std::vector<TLoadedBlock> blocks;
    for (const char letter : word) {
        if (letter == 'C' || letter == 'c')
            blocks.push_back(lbCode);
        else if (letter == 'S' || letter == 's')
            blocks.push_back(lbScreen);
        else
            return std::nullopt;
    }
    return blocks;
}

std::vector<std::uint8_t> LoaderProgram(std::uint16_t runAddress, std::uint16_t clearAddress,
                                        std::span<const TLoadedBlock> blocks) {
    // The line number first; its length is filled in once the statements are known.
    std::vector<std::uint8_t> line = {kLoaderLine >> 8, kLoaderLine & 0xFF, 0, 0, kClear};
    PutVal(line, clearAddress);
    for (const TLoadedBlock block : blocks) {
        if (block == lbCode) {
            PutLoad(line, kCode);
            continue;
        }
        PutLoad(line, kScreen);
        Put(line, {kColon, kPoke});
        PutVal(line, kScreenOutputLow);
        Put(line, {kComma});
        PutVal(line, kNoOutputLow);
    }
    Put(line, {kColon, kRandomize, kUsr});
    PutVal(line, runAddress);
    Put(line, {kEndOfLine});

    // A line too long for one block is refused, never its length cut to 16 bits.
    const auto length = static_cast<std::uint16_t>(BlockLength(std::ssize(line)) - 4);
    line[2] = static_cast<std::uint8_t>(length & 0xFF);
    line[3] = static_cast<std::uint8_t>(length >> 8);
    return line;
}

} // namespace reelkit
