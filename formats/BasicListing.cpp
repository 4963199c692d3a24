// SPDX-License-Identifier: MIT
// A ZX Spectrum BASIC program, as a program's data block holds it, is a run
// of lines, each:
//
//   +0  2  line number, big-endian (16384 or more: no line, the variables follow)
//   +2  2  length N of what follows, little-endian
//   +4  N  the statements, tokenised (formats/BasicTokens.h), then 0x0D
//
// The listing shows every byte of a line's length, as listbasic does, so a
// 0x0D before the last byte prints nothing and the listing goes on.
#include "formats/BasicListing.h"

#include "formats/BasicTokens.h"
#include "formats/LittleEndian.h"

#include <algorithm>
#include <cstddef>

namespace reelkit {
namespace {

constexpr std::size_t kLineHead = 4;
constexpr std::uint16_t kFirstNoLine = 16384;

// The ROM spaces a keyword: before it unless it is a function (RND to BIN),
// its text starts with another character than a letter, or a space was just
// printed; after it when its text ends in a letter or '$', unless it is RND,
// INKEY$ or PI.
void PutKeyword(std::string& text, std::uint8_t code, bool afterSpace) {
    const std::string_view keyword = KeywordText(code);
    const auto letter = [](char c) { return c >= 'A' && c <= 'Z'; };
    if (!afterSpace && (code < btRnd || code > btBin) && letter(keyword.front()))
        text += ' ';
    text += keyword;
    if ((letter(keyword.back()) || keyword.back() == '$') && (code < btRnd || code > btPi))
        text += ' ';
}

} // namespace

std::vector<TBasicLine> ProgramLines(std::span<const std::uint8_t> program) {
    std::vector<TBasicLine> lines;
    std::size_t at = 0;
    while (program.size() - at >= kLineHead) {
        const auto number = static_cast<std::uint16_t>(program[at] << 8 | program[at + 1]);
        if (number >= kFirstNoLine)
            break;
        const std::size_t length = Word(program, at + 2);
        at += kLineHead;
        const std::size_t there = std::min(length, program.size() - at);
        lines.push_back({number, program.subspan(at, there), there < length});
        at += there;
    }
    return lines;
}

std::string ListBytes(std::span<const std::uint8_t> bytes) {
    std::string text;
    // listbasic leaves out a keyword's leading space after a space byte or a
    // keyword's trailing space; a control code keeps what came before.
    bool afterSpace = false;
    // Between quotes SPECTRUM and PLAY are the 48K's UDGs T and U; after a
    // REM, in quotes or not, quotes no longer count.
    bool inString = false;
    bool afterRem = false;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::uint8_t code = bytes[at];
        if (code < ' ') {
            at += std::min(ControlSize(code), bytes.size() - at);
            continue;
        }
        ++at;
        if (code >= btSpectrum && !(inString && code <= btPlay)) {
            PutKeyword(text, code, afterSpace);
            afterSpace = text.back() == ' ';
            afterRem = afterRem || code == btRem;
            continue;
        }
        afterSpace = code == ' ';
        inString = inString != (code == '"' && !afterRem);
        if (code == '\\')
            text += "\\\\";
        else if (code < 0x7F)
            text += static_cast<char>(code);
        else if (code == 0x7F)
            text += "\\*";
        else if (code < 0x90) {
            // Bits 1 and 3 are the left quarters (top, bottom), 0 and 2 the right.
            constexpr std::string_view kQuarters = " '.:";
            text += '\\';
            text += kQuarters[(code >> 1 & 1) | (code >> 2 & 2)];
            text += kQuarters[(code & 1) | (code >> 1 & 2)];
        } else {
            text += '\\';
            text += static_cast<char>('a' + (code - 0x90)); // 0x90-0xA4: UDGs A-U
        }
    }
    return text;
}

std::vector<std::string> ListProgram(std::span<const std::uint8_t> program) {
    std::vector<std::string> listing;
    for (const TBasicLine& line : ProgramLines(program)) {
        std::string number = std::to_string(line.number);
        listing.push_back(std::string(5 - number.size(), ' ') + number + ListBytes(line.body));
    }
    return listing;
}

} // namespace reelkit
