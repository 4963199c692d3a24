// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace reelkit {

class TStream;

// The header a TZX image starts with, as Reelkit writes it (version 1.20):
// its first 8 bytes are the signature, "ZXTape!" and 0x1A. A TAP block goes
// into a TZX image behind a standard-speed data block's ID and pause (1000 ms).
inline constexpr std::array<std::uint8_t, 10> kTZXHeader = {'Z', 'X', 'T',  'a', 'p',
                                                            'e', '!', 0x1A, 1,   20};
inline constexpr std::size_t kTZXSignatureSize = 8;
inline constexpr std::array<std::uint8_t, 3> kTZXDataBlock = {0x10, 0xE8, 0x03};

// The tape image formats the reader walks. tkNone: a file that is neither.
enum TTapeKind : std::uint8_t { tkNone, tkTAP, tkTZX };

// One block as it lies in the image; offsets count from the image's start.
struct TTapeBlock {
    std::int64_t offset = 0; // its first byte: a TAP block's length, a TZX block's ID
    std::int64_t size = 0;   // every byte of it
    // The TZX ID; a TAP block has 0x10, the ID of the same block in a TZX image.
    std::uint8_t id = 0;
    // The Spectrum data it carries in TAP form, flag and checksum included
    // (TAP blocks; TZX standard speed, turbo speed and pure data blocks).
    std::int64_t dataOffset = 0;
    std::int64_t dataSize = 0; // 0 where it carries none
};

// Why a tape image cannot be walked to its end: the block, from 1 (0 for a
// TZX image's header), and what is wrong with it, worded to follow "block N
// is": "cut short by 3 bytes".
struct TTapeFault {
    int block = 0;
    std::string what;
};

// Walks the blocks of a TAP or TZX image from its start, one at a time,
// reading each block's length, not its data: every size comes from the file
// and is checked against what the file holds before it is used.
//
// A TZX image starts with "ZXTape!" and 0x1A; its header must be whole and of
// major version 1. Any other file is a TAP image when it is empty, or when its
// first block is whole and its checksum right (a file of another kind almost
// never passes both); else it is neither.
class TTapeReader {
public:
    // The stream must outlive the reader; its position is not kept.
    explicit TTapeReader(TStream& image);

    TTapeKind Kind() const { return FKind; }
    // The next block, or nothing at the end of the image or at a fault.
    std::optional<TTapeBlock> Next();
    // Set once the walk has met a block it cannot walk (or a TZX header it
    // cannot read); the image then ends there as far as the reader goes.
    const std::optional<TTapeFault>& Fault() const { return FFault; }
    // Walks the rest of the image; true when it ends exactly where its last
    // block does.
    bool WalkToEnd();

    // The block's Spectrum data: flag, data and checksum.
    std::vector<std::uint8_t> Data(const TTapeBlock& block);
    // The exclusive-or of the block's flag, data and checksum: 0 when the
    // checksum is right. Read in parts, without holding the data.
    std::uint8_t Parity(const TTapeBlock& block);
    // count bytes from offset, fewer where the image ends first.
    std::vector<std::uint8_t> Read(std::int64_t offset, std::size_t count);

    // The image in the words of a refusal: "The file is a TAP image whose
    // block 3 is cut short by 7 bytes". For a reader with a fault.
    std::string FaultReason() const;

private:
    // count bytes (at most the window's size) from offset, read through the
    // window; fewer where the image ends.
    std::span<const std::uint8_t> Peek(std::int64_t offset, std::size_t count);
    std::optional<TTapeBlock> Refuse(std::string what, int block);
    std::optional<TTapeBlock> NextTAP(std::int64_t left);
    std::optional<TTapeBlock> NextTZX(std::int64_t left);

    TStream& FImage;
    std::int64_t FSize;
    TTapeKind FKind = tkNone;
    std::int64_t FNext = 0; // where the next block starts
    int FCount = 0;         // blocks handed out
    std::optional<TTapeFault> FFault;
    // Small reads go through a window of the file, so that a run of short
    // blocks costs one read, and a long block one read of its start.
    std::array<std::uint8_t, 512> FWindow{};
    std::int64_t FWindowAt = 0;
    std::size_t FWindowSize = 0;
};

} // namespace reelkit
