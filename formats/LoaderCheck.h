// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace reelkit {

// A tape file after a program, a header block and its data: the header's
// block number (from 1), type (0 program, 1 number array, 2 character array,
// 3 code), its name as reports show it (trailing spaces dropped, unprintable
// bytes as '?'), parameter 1 (a code file's start) and length.
struct TFollowingFile {
    int block = 0;
    std::uint8_t type = 0;
    std::string name;
    std::uint16_t start = 0;
    std::uint16_t length = 0;
};

// What is wrong, in the block where it is: a file's header block, or the
// program's block for the loader as a whole.
struct TLoaderFault {
    int block = 0;
    std::string text;
};

// notChecked is empty when the program was checked as a loader, else it says
// why not ("line 20 holds GO TO"), and then there are no faults.
struct TLoaderCheck {
    std::string notChecked;
    std::vector<TLoaderFault> faults;
};

// Runs a BASIC loader's lines, in order, against the files that follow it on
// the tape (in tape order, up to the next program), as the Spectrum would run
// them. A loader holds only these statements, separated by ':' (spaces and
// control codes outside strings are skipped):
//   CLEAR n; LOAD ""CODE [n[,n]]; LOAD ""SCREEN$; POKE n,n; OUT n,n;
//   BORDER n; PAPER n; INK n; BRIGHT n; CLS; RANDOMIZE USR n;
//   PRINT of strings, numbers, AT n,n, TAB n and the separators ; , ';
//   REM, which ends its line.
// A number n is a literal, whose hidden five-byte value is the one used, or
// VAL "digits"; values round to the nearest whole number, as the ROM rounds
// them. Anything else leaves the program not checked.
//
// Each LOAD takes the next file, which must be code; SCREEN$ 6912 bytes at
// 16384. A code file other than a screen (one lying wholly in 16384-23295)
// must start above every CLEAR the loader makes and end at or below 65536
// (CLEAR 0, as CLEAR alone, leaves RAMTOP where it was).
// A USR address must lie in the ROM, the program (at 23755), or a file loaded
// before it. Where the loader pages 128K banks (OUT to 32765 with another
// bank in the value's low three bits) the CLEAR in effect at its first paging
// must be below 49152, a file loaded at 49152 or above goes to the bank paged
// then, and a USR address there needs a file in the bank paged at the USR.
// The loader must load as many files as follow it. A value out of its
// statement's range stops the Spectrum there: that is the last fault, and the
// rest of the program is only read, for whether it can be checked.
TLoaderCheck CheckLoader(std::span<const std::uint8_t> program, int programBlock,
                         std::span<const TFollowingFile> following);

} // namespace reelkit
