// SPDX-License-Identifier: MIT
#pragma once

// The bytes of a tokenised ZX Spectrum BASIC line. Each keyword is one byte,
// 0xA3 to 0xFF (0xA3 SPECTRUM and 0xA4 PLAY are the 128K's); 0x20 to 0x7E
// are ASCII, 0x80 to 0x8F the block graphics and 0x90 to 0xA2 the
// user-defined graphics A to S. Below 0x20 are control codes: 0x0D ends a
// line, 0x0E is followed by the five-byte value of the number typed before it,
// 0x10 to 0x15 (INK to OVER) by one operand byte and 0x16, 0x17 (AT, TAB) by
// two.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace reelkit {

// The keywords that Reelkit writes or reads by name.
enum TBasicToken : std::uint8_t {
    btSpectrum = 0xA3,
    btPlay = 0xA4,
    btRnd = 0xA5,
    btPi = 0xA7,
    btScreen = 0xAA,
    btAt = 0xAC,
    btTab = 0xAD,
    btCode = 0xAF,
    btVal = 0xB0,
    btUsr = 0xC0,
    btBin = 0xC4,
    btInk = 0xD9,
    btPaper = 0xDA,
    btBright = 0xDC,
    btOut = 0xDF,
    btBorder = 0xE7,
    btRem = 0xEA,
    btLoad = 0xEF,
    btPoke = 0xF4,
    btPrint = 0xF5,
    btRandomize = 0xF9,
    btCls = 0xFB,
    btClear = 0xFD,
};

constexpr std::uint8_t kEndOfLine = 0x0D;
constexpr std::uint8_t kNumberMark = 0x0E;
// The bytes after kNumberMark that hold the number's value.
constexpr std::size_t kNumberSize = 5;

// How many bytes a control code takes, itself included.
constexpr std::size_t ControlSize(std::uint8_t code) {
    if (code == kNumberMark)
        return 1 + kNumberSize;
    if (code >= 0x10 && code <= 0x15)
        return 2;
    return code == 0x16 || code == 0x17 ? 3 : 1;
}

// Each keyword's text, from btSpectrum on, as the ROM prints it (without the
// spaces it adds around it).
inline constexpr std::array<std::string_view, 0x100 - btSpectrum> kKeywords = {
    "SPECTRUM", "PLAY",    "RND",     "INKEY$", "PI",     "FN",       "POINT",     "SCREEN$",
    "ATTR",     "AT",      "TAB",     "VAL$",   "CODE",   "VAL",      "LEN",       "SIN",
    "COS",      "TAN",     "ASN",     "ACS",    "ATN",    "LN",       "EXP",       "INT",
    "SQR",      "SGN",     "ABS",     "PEEK",   "IN",     "USR",      "STR$",      "CHR$",
    "NOT",      "BIN",     "OR",      "AND",    "<=",     ">=",       "<>",        "LINE",
    "THEN",     "TO",      "STEP",    "DEF FN", "CAT",    "FORMAT",   "MOVE",      "ERASE",
    "OPEN #",   "CLOSE #", "MERGE",   "VERIFY", "BEEP",   "CIRCLE",   "INK",       "PAPER",
    "FLASH",    "BRIGHT",  "INVERSE", "OVER",   "OUT",    "LPRINT",   "LLIST",     "STOP",
    "READ",     "DATA",    "RESTORE", "NEW",    "BORDER", "CONTINUE", "DIM",       "REM",
    "FOR",      "GO TO",   "GO SUB",  "INPUT",  "LOAD",   "LIST",     "LET",       "PAUSE",
    "NEXT",     "POKE",    "PRINT",   "PLOT",   "RUN",    "SAVE",     "RANDOMIZE", "IF",
    "CLS",      "DRAW",    "CLEAR",   "RETURN", "COPY"};

// The keyword a byte stands for; empty below btSpectrum.
constexpr std::string_view KeywordText(std::uint8_t code) {
    return code < btSpectrum ? std::string_view() : kKeywords[code - btSpectrum];
}

static_assert(KeywordText(btPlay) == "PLAY" && KeywordText(btRnd) == "RND" &&
              KeywordText(btPi) == "PI" && KeywordText(btScreen) == "SCREEN$" &&
              KeywordText(btAt) == "AT" && KeywordText(btTab) == "TAB" &&
              KeywordText(btCode) == "CODE" && KeywordText(btVal) == "VAL" &&
              KeywordText(btUsr) == "USR" && KeywordText(btBin) == "BIN" &&
              KeywordText(btInk) == "INK" && KeywordText(btPaper) == "PAPER" &&
              KeywordText(btBright) == "BRIGHT" && KeywordText(btOut) == "OUT" &&
              KeywordText(btBorder) == "BORDER" && KeywordText(btRem) == "REM" &&
              KeywordText(btLoad) == "LOAD" && KeywordText(btPoke) == "POKE" &&
              KeywordText(btPrint) == "PRINT" && KeywordText(btRandomize) == "RANDOMIZE" &&
              KeywordText(btCls) == "CLS" && KeywordText(btClear) == "CLEAR" &&
              KeywordText(0xFF) == "COPY");

} // namespace reelkit
