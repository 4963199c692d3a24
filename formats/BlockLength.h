// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace reelkit {

// The most data one tape block holds: its 16-bit length counts the flag and
// the checksum too.
constexpr std::int64_t kMaxBlockData = 65533;

// The length of a block holding size bytes, or "File to add to image is too
// large" when they do not fit: never the size cut to 16 bits.
[[nodiscard]] std::uint16_t BlockLength(std::int64_t size);

} // namespace reelkit
