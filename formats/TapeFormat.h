// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace reelkit {

class TFileStream;

// The tape image formats blocks are appended to. tfNewTZX is an empty image
// that is to be a TZX one: its file header goes out with the first blocks.
enum TTapeFormat : std::uint8_t { tfTAP, tfTZX, tfNewTZX };

// The format of an image opened for appending, told by its first bytes (read
// from its start; the caller's position is not kept), its size and its name.
// An image that another format's signature marks, or that does not start like
// a TAP image, is refused with EWriteError: appending to it would spoil it.
TTapeFormat TapeFormatOf(TFileStream& image, const std::string& fileName);

// The most bytes FrameForTZX adds to one block: the TZX file header and the
// block's own ID and pause. Room reserved for them spares a second buffer.
constexpr std::size_t kTZXFraming = 13;

// Blocks in TAP form, laid out one after another from the offsets in starts,
// reframed in place as a TZX image holds them: each as a standard-speed data
// block, and for a new image after the TZX file header.
void FrameForTZX(std::vector<std::uint8_t>& blocks, std::span<const std::size_t> starts,
                 bool withHeader);

} // namespace reelkit
