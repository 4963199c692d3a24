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

// Blocks in TAP form, laid out one after another from the offsets in starts,
// as the format stores them: a TZX image holds each as a standard-speed data
// block, a new one after the TZX file header.
std::vector<std::uint8_t> TZXBlocks(std::span<const std::uint8_t> blocks,
                                    std::span<const std::size_t> starts, bool withHeader);

} // namespace reelkit
