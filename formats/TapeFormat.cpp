// SPDX-License-Identifier: MIT
// A TAP image has no header of its own: it is blocks, each a 2-byte length N
// and N bytes (flag, data, checksum), from its first byte on.
//
// A TZX image (version 1.20) starts with a 10-byte header and holds blocks,
// each an ID byte and what that ID says. A TAP block goes in as ID 0x10:
//
//   +0  8  "ZXTape!" 0x1A         file header, once
//   +8  2  version 1.20: 01 14
//   ... per block:
//   +0  1  0x10, standard-speed data
//   +1  2  pause after the block, ms: 1000 (E8 03)
//   +3  ..  the TAP block from its length on
//
// Signatures of other formats, which are not appended to: PZX "PZXT"; CSW
// "Compressed Square Wave" 0x1A; WAV "RIFF", 4 bytes, "WAVE". Where each
// block of a TAP or TZX image ends is the tape reader's to know.
#include "formats/TapeFormat.h"

#include "formats/DiskImage.h"
#include "platform/Exception.h"
#include "platform/FileStream.h"
#include "platform/Path.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace reelkit {
namespace {

using namespace std::string_view_literals;

// The longest signature looked for.
constexpr std::size_t kHeadSize = 23;

bool At(std::span<const std::uint8_t> head, std::size_t offset, std::string_view text) {
    return head.size() >= offset + text.size() &&
           std::equal(text.begin(), text.end(), head.begin() + static_cast<std::ptrdiff_t>(offset),
                      [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

// The other tape formats a signature marks, and what a report calls them.
std::string_view OtherTape(std::span<const std::uint8_t> head) {
    if (At(head, 0, "PZXT"))
        return "a PZX tape image";
    if (At(head, 0, "Compressed Square Wave\x1A"))
        return "a CSW tape image";
    if (At(head, 0, "RIFF") && At(head, 8, "WAVE"))
        return "a WAV sound file";
    return {};
}

[[noreturn]] void Refuse(const std::string& fileName, const std::string& reason) {
    throw EWriteError(ExpandFileName(fileName), reason);
}

} // namespace

bool NamedTZX(const std::string& fileName) {
    constexpr auto kSuffix = ".tzx"sv;
    return fileName.size() >= kSuffix.size() &&
           std::equal(
               kSuffix.begin(), kSuffix.end(), fileName.end() - kSuffix.size(),
               [](char a, char b) { return a == (b >= 'A' && b <= 'Z' ? b - 'A' + 'a' : b); });
}

TIdentity Identify(TStream& file) {
    std::array<std::uint8_t, kHeadSize> bytes{};
    const std::size_t got = file.ReadAt(0, bytes.data(), bytes.size());
    if (const std::string_view other = OtherTape({bytes.data(), got}); !other.empty())
        return {ctOtherTape, tkNone, std::string(other), {}};
    TTapeReader reader(file);
    const TTapeKind kind = reader.Kind();
    const std::string name = kind == tkTZX ? "a TZX image" : "a TAP image";
    if (reader.WalkToEnd())
        return {ctTape, kind, name, {}};
    // A damaged TZX image still shows its signature; a TAP image shows less
    // than a disk image's catalogue, which is the surer reading.
    if (std::string disk = kind == tkTZX ? "" : DiskImageKind(file); !disk.empty())
        return {ctDisk, tkNone, std::move(disk), {}};
    if (kind != tkNone)
        return {ctDamagedTape, kind, name, reader.FaultReason()};
    return {};
}

std::string WhyNotATape(const TIdentity& identity) {
    switch (identity.content) {
    case ctTape:
        return {};
    case ctOtherTape:
    case ctDisk:
        return "The file is " + identity.name + ": blocks are appended to TAP and TZX images only";
    case ctDamagedTape:
        return identity.fault;
    case ctUnknown:
        break;
    }
    return "The file is neither a TAP nor a TZX image";
}

std::string WrongInput(TStream& file, const std::string& wanted) {
    if (file.GetSize() == 0)
        return {};
    const TIdentity identity = Identify(file);
    switch (identity.content) {
    case ctDisk:
        return "File is " + identity.name + ": +t reads those";
    case ctDamagedTape: // only a TZX image's signature is sure enough
        if (identity.tape != tkTZX)
            return {};
        [[fallthrough]];
    case ctTape:
    case ctOtherTape:
        return "File is " + identity.name + ", not " + wanted;
    case ctUnknown:
        break;
    }
    return {};
}

TTapeFormat TapeFormatOf(TFileStream& image, const std::string& fileName) {
    if (image.GetSize() == 0)
        return NamedTZX(fileName) ? tfNewTZX : tfTAP;
    if (!image.Readable()) {
        // Written blind, as ever, unless it may be a TZX image.
        if (NamedTZX(fileName))
            Refuse(fileName, "The file cannot be read to tell whether it is a TZX image");
        return tfTAP;
    }
    const TIdentity identity = Identify(image);
    if (const std::string why = WhyNotATape(identity); !why.empty())
        Refuse(fileName, why);
    return identity.tape == tkTZX ? tfTZX : tfTAP;
}

// From the last block to the first, each moved up by the framing that goes in
// front of it and of the blocks before it.
void FrameForTZX(std::vector<std::uint8_t>& blocks, std::span<const std::size_t> starts,
                 bool withHeader) {
    const std::size_t header = withHeader ? kTZXHeader.size() : 0;
    std::size_t end = blocks.size();
    blocks.resize(end + header + starts.size() * kTZXDataBlock.size());
    for (std::size_t i = starts.size(); i-- > 0; end = starts[i]) {
        const auto from = blocks.begin() + static_cast<std::ptrdiff_t>(starts[i]);
        const auto to = from + static_cast<std::ptrdiff_t>(header + (i + 1) * kTZXDataBlock.size());
        std::copy_backward(from, blocks.begin() + static_cast<std::ptrdiff_t>(end),
                           to + static_cast<std::ptrdiff_t>(end - starts[i]));
        std::copy(kTZXDataBlock.begin(), kTZXDataBlock.end(), to - kTZXDataBlock.size());
    }
    std::copy(kTZXHeader.begin(), kTZXHeader.begin() + static_cast<std::ptrdiff_t>(header),
              blocks.begin());
}

} // namespace reelkit
