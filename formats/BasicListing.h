// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace reelkit {

// One line of a tokenised BASIC program: its number and the bytes of its
// length that the data holds, the final 0x0D included; cut when its length
// runs past the end of the data.
struct TBasicLine {
    std::uint16_t number = 0;
    std::span<const std::uint8_t> body;
    bool cut = false;
};

// The lines of a program's data, cut to the program's length, in order. The
// walk stops at the end of the data, where fewer than four bytes remain, or
// at a line number of 16384 or more (where the variables would begin). Never
// reads outside the span.
std::vector<TBasicLine> ProgramLines(std::span<const std::uint8_t> program);

// Bytes as a listing shows them, in the text form the zmakebas tokeniser reads:
// keywords spaced as the ROM spaces them, '\' as "\\", 0x7F as "\*", block
// graphics as "\" and two of " '.:", UDGs as "\a" to "\s" (and SPECTRUM and
// PLAY as "\t" and "\u" between quotes, while no REM came before); control
// codes print nothing, and 0x0E hides the five bytes after it, 0x10-0x15 one
// and 0x16-0x17 two (a skip ends with the bytes). The names listbasic gives
// 0x0C, '{', '|', '}', '~' and 0x7F at a statement's start (DELETE, ON ERR,
// STICK, SOUND, FREE, RESET) are not given; there they show as anywhere.
std::string ListBytes(std::span<const std::uint8_t> bytes);

// The program's lines as Debian's listbasic lists them: each its number as
// "%5d" directly followed by ListBytes of its body. A cut line lists what is
// there.
std::vector<std::string> ListProgram(std::span<const std::uint8_t> program);

} // namespace reelkit
