// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace reelkit {

// Numbers as every Spectrum file format lays them: lowest byte first.

// The value of up to eight bytes.
constexpr std::uint64_t Little(std::span<const std::uint8_t> bytes) {
    std::uint64_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;)
        value = value << 8 | bytes[i];
    return value;
}

// The 16-bit word at bytes[at] and bytes[at + 1]; 0 where they are not both there.
constexpr std::uint16_t Word(std::span<const std::uint8_t> bytes, std::size_t at) {
    return at < bytes.size() && bytes.size() - at >= 2
               ? static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8)
               : std::uint16_t{0};
}

} // namespace reelkit
