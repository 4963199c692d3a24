// SPDX-License-Identifier: MIT
#pragma once

#include "formats/TapeReader.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace reelkit {

class TFileStream;
class TStream;

// What a file holds, told by its content, from the surest sign to the least
// sure: another tape format's signature, a whole TAP or TZX image, a TR-DOS
// disk image, a TAP or TZX image that cannot be walked to its end; else none
// of these.
enum TContent : std::uint8_t { ctOtherTape, ctTape, ctDisk, ctDamagedTape, ctUnknown };

struct TIdentity {
    TContent content = ctUnknown;
    TTapeKind tape = tkNone; // for a tape, whole or damaged
    // What a report calls it: "a TZX image", "a PZX tape image", "a TRD disk image".
    std::string name;
    // For a damaged tape, what is wrong with it: "The file is a TAP image
    // whose block 3 is cut short by 2 bytes".
    std::string fault;
};

// Reads the file from its start as far as the telling needs: the first bytes,
// a tape image's block lengths, a disk image's catalogue.
TIdentity Identify(TStream& file);

// Why a file is no tape image that blocks may go to, as a refusal says it
// ("The file is neither a TAP nor a TZX image"); empty for a whole tape image.
std::string WhyNotATape(const TIdentity& identity);

// The report for an input that is a tape or disk image rather than the
// wanted kind of file: "File is a TZX image, not a Hobeta file", "File is an
// SCL disk image: +t reads those"; empty for any other file.
std::string WrongInput(TStream& file, const std::string& wanted);

// The tape image formats blocks are appended to. tfNewTZX is an empty image
// that is to be a TZX one: its file header goes out with the first blocks.
enum TTapeFormat : std::uint8_t { tfTAP, tfTZX, tfNewTZX };

// The format of an image opened for appending, told by its content (the
// caller's position is not kept) and, for an empty one, by its name. Only a
// whole TAP or TZX image is appended to: anything else is refused with
// EWriteError, saying what it is, since appending would spoil it. An image
// this process may write but not read is taken for a TAP image, unless its
// name says TZX.
TTapeFormat TapeFormatOf(TFileStream& image, const std::string& fileName);

// True when the name ends in ".tzx", in any case.
bool NamedTZX(const std::string& fileName);

// The most bytes FrameForTZX adds to blocks: the TZX file header and each
// block's own ID and pause. Room reserved for them spares a second buffer.
constexpr std::size_t TZXFraming(std::size_t blocks) {
    return kTZXHeader.size() + kTZXDataBlock.size() * blocks;
}

// Blocks in TAP form, laid out one after another from the offsets in starts,
// reframed in place as a TZX image holds them: each as a standard-speed data
// block, and for a new image after the TZX file header.
void FrameForTZX(std::vector<std::uint8_t>& blocks, std::span<const std::size_t> starts,
                 bool withHeader);

} // namespace reelkit
