// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace reelkit {

class TStream;

// What is on a tape, a disk or in a Hobeta file, as +i shows it: one line for
// each block or file, in order, each fault on a line of its own after the
// line it concerns ("Fault in block 4: ..."), then a summary line.
struct TListing {
    std::vector<std::string> lines;
    std::vector<std::string> faults; // the fault lines alone, in order
};

// A TAP or TZX image (one that TTapeReader reads as either). Each block in the
// words of tape tools, with its checksum checked and a header's data block
// against the header; a program's lines under its data block, and its loader
// checked against the files after it. Faults: a checksum that does not match,
// a block cut short, a header without its data block or with one of another
// length, a loader that cannot load what follows it.
TListing ListTape(TStream& image);

// A TRD or SCL disk image: each catalogue entry, deleted ones marked, and the
// faults +t would refuse a file for or the image for.
TListing ListDisk(TStream& image);

// A Hobeta file's one file, and a fault where the file is shorter than its
// header says; a file shorter than a Hobeta header is a read error.
TListing ListHobeta(TStream& file);

} // namespace reelkit
