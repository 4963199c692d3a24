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

#include "formats/BasicTokens.h"
#include "formats/BlockLength.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <string>

namespace reelkit {
namespace {

constexpr std::uint8_t kQuote = '"';
constexpr std::uint8_t kColon = ':';
constexpr std::uint8_t kComma = ',';

// 23739 is the low byte of the upper screen channel's output address; 111
// turns the ROM's print routine at 0x09F4 into 0x096F, a RET, so LOAD's
// "Bytes: name" no longer lands on the screen just loaded. 244 gives the
// routine back once everything is loaded, for the code's own printing.
constexpr std::uint16_t kScreenOutputLow = 23739;
constexpr std::uint16_t kNoOutputLow = 111;
constexpr std::uint16_t kOwnOutputLow = 244;

// A 128K pages with port 32765: bits 0-2 the RAM bank at 49152, bit 4 the
// ROM (1, the 48K BASIC). The ROM keeps what it last sent there in BANKM at
// 23388, and pages with it: the two are changed together.
constexpr std::uint16_t kBankM = 23388;
constexpr std::uint8_t kRom1 = 16;

void Put(std::vector<std::uint8_t>& out, std::initializer_list<std::uint8_t> bytes) {
    out.insert(out.end(), bytes);
}

// VAL "n": the number in decimal, without leading zeros, as a string.
void PutVal(std::vector<std::uint8_t>& out, std::uint16_t number) {
    const std::string digits = std::to_string(number);
    Put(out, {btVal, kQuote});
    out.insert(out.end(), digits.begin(), digits.end());
    Put(out, {kQuote});
}

// LOAD ""<kind>
void PutLoad(std::vector<std::uint8_t>& out, std::uint8_t kind) {
    Put(out, {kColon, btLoad, kQuote, kQuote, kind});
}

// POKE VAL "address",VAL "value", or OUT with a port.
void PutPair(std::vector<std::uint8_t>& out, std::uint8_t keyword, std::uint16_t address,
             std::uint16_t value) {
    Put(out, {kColon, keyword});
    PutVal(out, address);
    Put(out, {kComma});
    PutVal(out, value);
}

// Pages in bank (ROM 1 kept), BANKM first.
void PutPage(std::vector<std::uint8_t>& out, TLoadedBlock bank) {
    const auto paging = static_cast<std::uint16_t>(kRom1 + bank);
    PutPair(out, btPoke, kBankM, paging);
    PutPair(out, btOut, kPagingPort, paging);
}

} // namespace

TBlocksWord LoadedBlocks(std::string_view word) {
    if (word.empty() || word.size() > kMaxLoadedBlocks)
        return {{}, brWord};
    constexpr std::string_view kBanks = "013467";
    TBlocksWord named;
    for (const char letter : word) {
        if (letter == 'C' || letter == 'c') {
            named.blocks.push_back(lbCode);
        } else if (letter == 'S' || letter == 's') {
            named.blocks.push_back(lbScreen);
        } else if (kBanks.find(letter) != std::string_view::npos) {
            named.blocks.push_back(static_cast<TLoadedBlock>(letter - '0'));
        } else if (letter == '2' || letter == '5') {
            if (named.refusal == brNone)
                named.refusal = letter == '2' ? brBank2 : brBank5;
        } else {
            return {{}, brWord};
        }
    }
    if (named.refusal != brNone)
        named.blocks.clear();
    return named;
}

std::vector<std::uint8_t> LoaderProgram(std::uint16_t runAddress, std::uint16_t clearAddress,
                                        std::span<const TLoadedBlock> blocks) {
    // The line number first; its length is filled in once the statements are known.
    std::vector<std::uint8_t> line = {kLoaderLine >> 8, kLoaderLine & 0xFF, 0, 0, btClear};
    PutVal(line, clearAddress);
    auto banksLeft = std::ranges::count_if(blocks, IsBank);
    for (const TLoadedBlock block : blocks) {
        if (block == lbCode) {
            PutLoad(line, btCode);
        } else if (block == lbScreen) {
            PutLoad(line, btScreen);
            PutPair(line, btPoke, kScreenOutputLow, kNoOutputLow);
        } else {
            PutPage(line, block);
            PutLoad(line, btCode);
            if (--banksLeft == 0) // the last bank: bank 0 back before anything else
                PutPage(line, lbBank0);
        }
    }
    if (std::ranges::find(blocks, lbScreen) != blocks.end())
        PutPair(line, btPoke, kScreenOutputLow, kOwnOutputLow);
    Put(line, {kColon, btRandomize, btUsr});
    PutVal(line, runAddress);
    Put(line, {kEndOfLine});

    // A line too long for one block is refused, never its length cut to 16 bits.
    const auto length = static_cast<std::uint16_t>(BlockLength(std::ssize(line)) - 4);
    line[2] = static_cast<std::uint8_t>(length & 0xFF);
    line[3] = static_cast<std::uint8_t>(length >> 8);
    return line;
}

} // namespace reelkit
