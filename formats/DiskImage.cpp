// SPDX-License-Identifier: MIT
// TR-DOS disk images, numbers little-endian. A file's catalogue entry:
//
//   +0  8  name, padded with spaces; TRD: 0x00 ends the catalogue, 0x01 is deleted
//   +8  1  type letter
//   +9  2  program: total length        other types: start address
//   +11 2  program: program length      other types: data length
//   +13 1  length in 256-byte sectors
//   +14 1  TRD only: first sector (0-15)
//   +15 1  TRD only: first track (cylinder * 2 + side)
//
// TRD: a raw disk of 256-byte sectors, 16 to a track; a file starts at
// (track * 16 + sector) * 256. Track 0 holds the catalogue, 128 entries of 16
// bytes from offset 0, and the system sector at 0x800, whose byte 0xE7 is the
// TR-DOS marker 0x10.
//
// SCL: "SINCLAIR", a file count (1), that many entries of 14 bytes, then each
// file's sectors in catalogue order, then a 4-byte checksum, which is not read.
#include "formats/DiskImage.h"

#include "formats/HobetaSerializer.h"
#include "platform/Stream.h"
#include "shell/AppTypes.h"

#include <algorithm>
#include <span>

namespace reelkit {
namespace {

enum TDiskKind : std::uint8_t { dkTRD, dkSCL };

constexpr std::size_t kSectorSize = 256;
constexpr std::size_t kSectorsPerTrack = 16;
constexpr std::size_t kNameSize = 8;
constexpr std::size_t kTRDEntrySize = 16;
constexpr std::size_t kTRDEntries = 128;
constexpr std::size_t kTRDMarkerAt = 0x8E7;
constexpr std::uint8_t kTRDMarker = 0x10;
constexpr std::size_t kTRDMinSize = kSectorsPerTrack * kSectorSize;
constexpr std::string_view kSCLSignature = "SINCLAIR";
constexpr std::size_t kSCLEntrySize = 14;
constexpr std::size_t kHobetaHeaderSize = 17;

// The most of an image a catalogue can reach: TRD, 255 sectors from track 255,
// sector 15; SCL, 255 files of 255 sectors after the largest catalogue.
constexpr std::size_t kTRDReach = (255 * kSectorsPerTrack + 15 + 255) * kSectorSize;
constexpr std::size_t kSCLReach =
    kSCLSignature.size() + 1 + 255 * kSCLEntrySize + std::size_t{255} * 255 * kSectorSize;

[[noreturn]] void EndsInsideCatalogue() {
    throw EAppException("Disk image ends inside its catalogue");
}

TDiskKind DiskKindOf(std::span<const std::uint8_t> head, std::int64_t size) {
    // A TRD image is tried first: an SCL image of whole files never has a size
    // of whole sectors, while a TRD's first file may well be named SINCLAIR.
    if (size % static_cast<std::int64_t>(kSectorSize) == 0 &&
        size >= static_cast<std::int64_t>(kTRDMinSize) && head.size() > kTRDMarkerAt &&
        head[kTRDMarkerAt] == kTRDMarker)
        return dkTRD;
    if (head.size() >= kSCLSignature.size() &&
        std::equal(kSCLSignature.begin(), kSCLSignature.end(), head.begin()))
        return dkSCL;
    throw EAppException("File is not a TRD or SCL disk image");
}

TDiskEntry Entry(std::span<const std::uint8_t> bytes, std::size_t at) {
    TDiskEntry entry;
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), entry.fields.size(),
                entry.fields.begin());
    return entry;
}

std::vector<TDiskEntry> TRDCatalogue(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kTRDEntries * kTRDEntrySize)
        EndsInsideCatalogue();
    std::vector<TDiskEntry> files;
    for (std::size_t at = 0; at < kTRDEntries * kTRDEntrySize; at += kTRDEntrySize) {
        if (bytes[at] == 0x00)
            break;
        if (bytes[at] == 0x01)
            continue;
        TDiskEntry& entry = files.emplace_back(Entry(bytes, at));
        const std::size_t sector = bytes[at + 14];
        const std::size_t track = bytes[at + 15];
        if (sector < kSectorsPerTrack)
            entry.offset = (track * kSectorsPerTrack + sector) * kSectorSize;
    }
    return files;
}

std::vector<TDiskEntry> SCLCatalogue(std::span<const std::uint8_t> bytes) {
    const std::size_t countAt = kSCLSignature.size();
    if (bytes.size() <= countAt)
        EndsInsideCatalogue();
    const std::size_t count = bytes[countAt];
    std::size_t offset = countAt + 1 + count * kSCLEntrySize;
    if (bytes.size() < offset)
        EndsInsideCatalogue();
    std::vector<TDiskEntry> files;
    for (std::size_t at = countAt + 1; files.size() < count; at += kSCLEntrySize) {
        TDiskEntry& entry = files.emplace_back(Entry(bytes, at));
        entry.offset = offset;
        offset += entry.fields[13] * kSectorSize;
    }
    return files;
}

std::string CatalogueName(const TDiskEntry& file) {
    const auto name = std::span(file.fields).first<kNameSize>();
    const auto end = std::find_if(name.rbegin(), name.rend(), [](auto c) { return c != ' '; });
    return {name.begin(), end.base()};
}

} // namespace

TDiskImage ReadDiskImage(TStream& file) {
    const std::int64_t size = file.GetSize();
    std::vector<std::uint8_t> bytes(kTRDMarkerAt + 1);
    file.Seek(0, TSeekOrigin::soBeginning);
    bytes.resize(file.ReadUpTo(bytes.data(), bytes.size()));
    const TDiskKind kind = DiskKindOf(bytes, size);

    const std::size_t head = bytes.size();
    const std::int64_t reach = static_cast<std::int64_t>(kind == dkTRD ? kTRDReach : kSCLReach);
    bytes.resize(
        static_cast<std::size_t>(std::max(static_cast<std::int64_t>(head), std::min(size, reach))));
    bytes.resize(head + file.ReadUpTo(bytes.data() + head, bytes.size() - head));

    TDiskImage image{std::move(bytes), {}};
    image.files = kind == dkTRD ? TRDCatalogue(image.bytes) : SCLCatalogue(image.bytes);
    return image;
}

std::string DiskFileName(const TDiskEntry& file) {
    std::string text = CatalogueName(file) + '.' + static_cast<char>(file.fields[8]);
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c < ' ' || c > '~'; }, '?');
    return text;
}

std::optional<TDiskFileName> ParseDiskFileName(std::string_view text) {
    const std::size_t dot = text.rfind('.');
    if (dot == std::string_view::npos)
        return std::nullopt;
    TDiskFileName file{std::string(text.substr(0, dot)), std::string(text.substr(dot + 1))};
    if (file.name.size() > kNameSize || (file.extension.size() != 1 && file.extension.size() != 3))
        return std::nullopt;
    return file;
}

bool DiskFileMatches(const TDiskEntry& file, const TDiskFileName& wanted) {
    if (CatalogueName(file) != wanted.name)
        return false;
    for (std::size_t i = 0; i < wanted.extension.size(); ++i)
        if (static_cast<std::uint8_t>(wanted.extension[i]) != file.fields[8 + i])
            return false;
    return true;
}

std::vector<std::uint8_t> DiskFileHobeta(const TDiskImage& image, const TDiskEntry& file) {
    const std::uint8_t sectors = file.fields[13];
    const std::size_t size = sectors * kSectorSize;
    const std::size_t imageSize = image.bytes.size();
    if (!file.offset || *file.offset > imageSize || imageSize - *file.offset < size)
        throw EAppException("Disk file \"" + DiskFileName(file) +
                            "\" does not fit in the disk image");

    const auto first = image.bytes.begin() + static_cast<std::ptrdiff_t>(*file.offset);
    std::vector<std::uint8_t> hobeta = HobetaFile(
        std::span(file.fields).first<13>(), {first, first + static_cast<std::ptrdiff_t>(size)});
    if (HobetaDataLength(std::span(hobeta).first<kHobetaHeaderSize>()) > size)
        throw EAppException("Disk file \"" + DiskFileName(file) + "\" is longer than its sectors");
    return hobeta;
}

} // namespace reelkit
