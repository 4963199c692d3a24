// SPDX-License-Identifier: MIT
// A TAP image is blocks from its first byte to its last, numbers little-endian:
//
//   +0  2  length N, at least 2
//   +2  N  flag, N - 2 bytes of data, checksum (XOR of the flag and the data)
//
// A TZX image (version 1.20) is a header, then blocks, each an ID byte and
// what the ID lays out; every length is little-endian:
//
//   +0  8  "ZXTape!" 0x1A
//   +8  2  version: major (1), minor
//
// After the ID, each block has a part of fixed size, which may hold a length
// of what follows it (its offset and width in the part, and what it counts):
//
//   ID    name                           fixed  length at, width, of
//   0x10  standard speed data            4      2, 2, bytes (TAP block from +4)
//   0x11  turbo speed data               18     15, 3, bytes (data from +18)
//   0x12  pure tone                      4
//   0x13  pulse sequence                 1      0, 1, 2-byte pulses
//   0x14  pure data                      10     7, 3, bytes (data from +10)
//   0x15  direct recording               8      5, 3, bytes
//   0x16  C64 ROM type data              4      0, 4, bytes
//   0x17  C64 turbo tape data            4      0, 4, bytes
//   0x18  CSW recording                  4      0, 4, bytes
//   0x19  generalized data               4      0, 4, bytes
//   0x20  pause or stop the tape         2
//   0x21  group start                    1      0, 1, bytes
//   0x22  group end                      0
//   0x23  jump to block                  2
//   0x24  loop start                     2
//   0x25  loop end                       0
//   0x26  call sequence                  2      0, 2, 2-byte offsets
//   0x27  return from sequence           0
//   0x28  select block                   2      0, 2, bytes
//   0x2A  stop the tape if in 48K mode   4      0, 4, bytes
//   0x2B  set signal level               4      0, 4, bytes
//   0x30  text description               1      0, 1, bytes
//   0x31  message                        2      1, 1, bytes
//   0x32  archive info                   2      0, 2, bytes
//   0x33  hardware type                  1      0, 1, 3-byte entries
//   0x34  emulation info                 8
//   0x35  custom info                    20     16, 4, bytes
//   0x40  snapshot                       4      1, 3, bytes
//   0x5A  glue                           9
//   any other ID                         4      0, 4, bytes (the rule for IDs to come)
#include "formats/TapeReader.h"

#include "formats/LittleEndian.h"
#include "platform/Stream.h"

#include <algorithm>
#include <cstring>
#include <span>

namespace reelkit {
namespace {

struct TLayout {
    std::uint8_t fixed;
    std::uint8_t lengthAt = 0;
    std::uint8_t lengthWidth = 0; // 0: no length
    std::uint8_t unit = 1;        // bytes per counted item
    std::uint8_t dataAt = 0;      // where Spectrum data starts, after the ID; 0: none
};

TLayout LayoutOf(std::uint8_t id) {
    switch (id) {
    case 0x10:
        return {4, 2, 2, 1, 4};
    case 0x11:
        return {18, 15, 3, 1, 18};
    case 0x12:
        return {4};
    case 0x13:
        return {1, 0, 1, 2};
    case 0x14:
        return {10, 7, 3, 1, 10};
    case 0x15:
        return {8, 5, 3};
    case 0x20:
    case 0x23:
    case 0x24:
        return {2};
    case 0x21:
    case 0x30:
        return {1, 0, 1};
    case 0x22:
    case 0x25:
    case 0x27:
        return {0};
    case 0x26:
        return {2, 0, 2, 2};
    case 0x28:
    case 0x32:
        return {2, 0, 2};
    case 0x31:
        return {2, 1, 1};
    case 0x33:
        return {1, 0, 1, 3};
    case 0x34:
        return {8};
    case 0x35:
        return {20, 16, 4};
    case 0x40:
        return {4, 1, 3};
    case 0x5A:
        return {9};
    default: // 0x16 to 0x19, 0x2A, 0x2B, and IDs to come
        return {4, 0, 4};
    }
}

std::string Bytes(std::int64_t count) {
    return std::to_string(count) + (count == 1 ? " byte" : " bytes");
}

} // namespace

TTapeReader::TTapeReader(TStream& image) : FImage(image), FSize(image.GetSize()) {
    const auto head = Peek(0, kTZXHeader.size());
    if (head.size() >= kTZXSignatureSize &&
        std::equal(kTZXHeader.begin(), kTZXHeader.begin() + kTZXSignatureSize, head.begin())) {
        FKind = tkTZX;
        FNext = static_cast<std::int64_t>(kTZXHeader.size());
        if (head.size() < kTZXHeader.size())
            Refuse("cut short", 0);
        else if (head[8] != 1)
            Refuse("of version " + std::to_string(head[8]) + "." + std::to_string(head[9]) +
                       "; only version 1 is read",
                   0);
        return;
    }
    if (FSize == 0) {
        FKind = tkTAP;
        return;
    }
    // Its first block must be whole and sound for the file to count as a TAP image.
    const std::int64_t length =
        head.size() >= 2 ? static_cast<std::int64_t>(Little(head.first(2))) : 0;
    if (length < 2 || 2 + length > FSize)
        return;
    if (Parity({0, 2 + length, 0x10, 2, length}) == 0)
        FKind = tkTAP;
}

std::optional<TTapeBlock> TTapeReader::Next() {
    if (FKind == tkNone || FFault || FNext >= FSize)
        return std::nullopt;
    const std::int64_t left = FSize - FNext;
    auto block = FKind == tkTAP ? NextTAP(left) : NextTZX(left);
    if (block) {
        FNext += block->size;
        ++FCount;
    }
    return block;
}

std::optional<TTapeBlock> TTapeReader::NextTAP(std::int64_t left) {
    const auto head = Peek(FNext, 2);
    if (head.size() < 2)
        return Refuse("cut short inside its length", FCount + 1);
    const auto length = static_cast<std::int64_t>(Little(head));
    if (length < 2)
        return Refuse("too short for a flag and a checksum: its length is " +
                          std::to_string(length),
                      FCount + 1);
    if (2 + length > left)
        return Refuse("cut short by " + Bytes(2 + length - left), FCount + 1);
    return TTapeBlock{FNext, 2 + length, 0x10, FNext + 2, length};
}

std::optional<TTapeBlock> TTapeReader::NextTZX(std::int64_t left) {
    const auto id = Peek(FNext, 1);
    const TLayout layout = LayoutOf(id.empty() ? 0 : id[0]);
    const std::size_t fixed = 1u + layout.fixed;
    const auto head = Peek(FNext, fixed);
    if (head.size() < fixed)
        return Refuse("cut short", FCount + 1);
    std::int64_t size = static_cast<std::int64_t>(fixed);
    if (layout.lengthWidth > 0)
        size += static_cast<std::int64_t>(
                    Little(head.subspan(1u + layout.lengthAt, layout.lengthWidth))) *
                layout.unit;
    if (size > left)
        return Refuse("cut short by " + Bytes(size - left), FCount + 1);
    TTapeBlock block{FNext, size, head[0]};
    if (layout.dataAt > 0) {
        block.dataOffset = FNext + 1 + layout.dataAt;
        block.dataSize = size - 1 - layout.dataAt;
    }
    return block;
}

bool TTapeReader::WalkToEnd() {
    while (Next()) {
    }
    return FKind != tkNone && !FFault;
}

std::optional<TTapeBlock> TTapeReader::Refuse(std::string what, int block) {
    FFault = TTapeFault{block, std::move(what)};
    return std::nullopt;
}

std::vector<std::uint8_t> TTapeReader::Data(const TTapeBlock& block) {
    return Read(block.dataOffset, static_cast<std::size_t>(block.dataSize));
}

std::uint8_t TTapeReader::Parity(const TTapeBlock& block) {
    // Eight bytes at a time, folded at the end: the exclusive-or of bytes
    // does not mind their order.
    std::uint64_t wide = 0;
    std::uint8_t parity = 0;
    std::array<std::uint8_t, 16384> part; // filled by each read before it is used
    for (std::int64_t done = 0; done < block.dataSize;) {
        const auto count = static_cast<std::size_t>(
            std::min<std::int64_t>(block.dataSize - done, std::ssize(part)));
        const std::size_t got = FImage.ReadAt(block.dataOffset + done, part.data(), count);
        std::size_t i = 0;
        for (std::uint64_t word = 0; i + sizeof word <= got; i += sizeof word) {
            std::memcpy(&word, part.data() + i, sizeof word);
            wide ^= word;
        }
        for (; i < got; ++i)
            parity ^= part[i];
        if (got < count)
            break;
        done += static_cast<std::int64_t>(got);
    }
    for (unsigned shift = 0; shift < 64; shift += 8)
        parity ^= static_cast<std::uint8_t>(wide >> shift);
    return parity;
}

std::vector<std::uint8_t> TTapeReader::Read(std::int64_t offset, std::size_t count) {
    const std::int64_t left = std::max<std::int64_t>(0, FSize - offset);
    std::vector<std::uint8_t> bytes(
        static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(count))));
    bytes.resize(FImage.ReadAt(offset, bytes.data(), bytes.size()));
    return bytes;
}

std::span<const std::uint8_t> TTapeReader::Peek(std::int64_t offset, std::size_t count) {
    if (offset < FWindowAt || offset + static_cast<std::int64_t>(count) >
                                  FWindowAt + static_cast<std::int64_t>(FWindowSize)) {
        FWindowAt = offset;
        FWindowSize = FImage.ReadAt(offset, FWindow.data(), FWindow.size());
    }
    const auto from = static_cast<std::size_t>(offset - FWindowAt);
    return std::span<const std::uint8_t>(FWindow).subspan(from,
                                                          std::min(count, FWindowSize - from));
}

std::string TTapeReader::FaultReason() const {
    const std::string format = FKind == tkTZX ? "TZX" : "TAP";
    if (FFault->block == 0)
        return "The file is a " + format + " image whose header is " + FFault->what;
    return "The file is a " + format + " image whose block " + std::to_string(FFault->block) +
           " is " + FFault->what;
}

} // namespace reelkit
