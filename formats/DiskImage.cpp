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
// file's sectors in catalogue order, then a 4-byte checksum, which is not read
// and may be missing; any other size makes the file no SCL image.
#include "formats/DiskImage.h"

#include "formats/HobetaSerializer.h"
#include "model/ZXFileInfo.h"
#include "platform/CommandLine.h"
#include "platform/Stream.h"
#include "shell/AppTypes.h"

#include <algorithm>
#include <span>

namespace reelkit {
namespace {

enum TDiskKind : std::uint8_t { dkTRD, dkSCL };

constexpr std::size_t kSectorsPerTrack = 16;
constexpr std::size_t kNameSize = 8;
constexpr std::size_t kTRDEntrySize = 16;
constexpr std::size_t kTRDEntries = 128;
constexpr std::size_t kTRDMarkerAt = 0x8E7;
constexpr std::uint8_t kTRDMarker = 0x10;
constexpr std::size_t kTRDMinSize = kSectorsPerTrack * kSectorSize;
constexpr std::string_view kSCLSignature = "SINCLAIR";
constexpr std::size_t kSCLEntrySize = 14;
constexpr std::size_t kSCLChecksumSize = 4;

// The most of an image a catalogue can reach: TRD, 255 sectors from track 255,
// sector 15; SCL, 255 files of 255 sectors after the largest catalogue.
constexpr std::size_t kTRDReach = (255 * kSectorsPerTrack + 15 + 255) * kSectorSize;
constexpr std::size_t kSCLCatalogueReach = kSCLSignature.size() + 1 + 255 * kSCLEntrySize;
constexpr std::size_t kSCLReach = kSCLCatalogueReach + std::size_t{255} * 255 * kSectorSize;
// What tells the kind: the TRD marker and the largest SCL catalogue.
constexpr std::size_t kKindReach = std::max(kTRDMarkerAt + 1, kSCLCatalogueReach);

[[noreturn]] void EndsInsideCatalogue() {
    throw EAppException("Disk image ends inside its catalogue");
}

// A TRD image is tried first: an SCL image of whole files never has a size of
// whole sectors, while a TRD's first file may well be named SINCLAIR.
std::optional<TDiskKind> DiskKindOf(std::span<const std::uint8_t> head, std::int64_t size) {
    if (size % static_cast<std::int64_t>(kSectorSize) == 0 &&
        size >= static_cast<std::int64_t>(kTRDMinSize) && head.size() > kTRDMarkerAt &&
        head[kTRDMarkerAt] == kTRDMarker)
        return dkTRD;
    if (head.size() >= kSCLSignature.size() &&
        std::equal(kSCLSignature.begin(), kSCLSignature.end(), head.begin()))
        return dkSCL;
    return std::nullopt;
}

// The size of an SCL image with the catalogue head begins, checksum left out;
// empty while head ends inside the catalogue.
std::optional<std::int64_t> SCLSize(std::span<const std::uint8_t> head) {
    const std::size_t countAt = kSCLSignature.size();
    if (head.size() <= countAt)
        return std::nullopt;
    const std::size_t count = head[countAt];
    std::size_t size = countAt + 1 + count * kSCLEntrySize;
    if (head.size() < size)
        return std::nullopt;
    for (std::size_t at = countAt + 1; at < countAt + 1 + count * kSCLEntrySize;
         at += kSCLEntrySize)
        size += head[at + 13] * kSectorSize;
    return static_cast<std::int64_t>(size);
}

// Empty when an SCL image of the catalogue would be size bytes long.
std::string SCLSizeFault(std::int64_t expected, std::int64_t size) {
    if (size == expected || size == expected + static_cast<std::int64_t>(kSCLChecksumSize))
        return {};
    return "as an SCL image it would hold " + std::to_string(expected) + " bytes, or " +
           std::to_string(expected + static_cast<std::int64_t>(kSCLChecksumSize)) +
           " with its checksum, not " + std::to_string(size);
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
        TDiskEntry& entry = files.emplace_back(Entry(bytes, at));
        entry.deleted = bytes[at] == 0x01;
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

// The first bytes of a file, as far as its kind shows in them.
std::vector<std::uint8_t> Head(TStream& file) {
    std::vector<std::uint8_t> head(kKindReach);
    head.resize(file.ReadAt(0, head.data(), head.size()));
    return head;
}

} // namespace

TDiskImage ReadDiskImage(TStream& file) {
    const std::int64_t size = file.GetSize();
    std::vector<std::uint8_t> bytes = Head(file);
    const std::optional<TDiskKind> kind = DiskKindOf(bytes, size);
    if (!kind)
        throw EAppException("File is not a TRD or SCL disk image");

    const std::size_t head = bytes.size();
    const std::int64_t reach = static_cast<std::int64_t>(kind == dkTRD ? kTRDReach : kSCLReach);
    bytes.resize(
        static_cast<std::size_t>(std::max(static_cast<std::int64_t>(head), std::min(size, reach))));
    bytes.resize(head + file.ReadAt(static_cast<std::int64_t>(head), bytes.data() + head,
                                    bytes.size() - head));

    TDiskImage image{std::move(bytes), {}, kind == dkSCL, {}};
    if (kind == dkTRD) {
        image.files = TRDCatalogue(image.bytes);
        return image;
    }
    image.files = SCLCatalogue(image.bytes);
    image.fault = SCLSizeFault(*SCLSize(image.bytes), size);
    return image;
}

bool HasDiskSignature(TStream& file) {
    return DiskKindOf(Head(file), file.GetSize()).has_value();
}

std::string DiskImageKind(TStream& file) {
    const std::int64_t size = file.GetSize();
    const std::vector<std::uint8_t> head = Head(file);
    const std::optional<TDiskKind> kind = DiskKindOf(head, size);
    if (kind == dkTRD)
        return "a TRD disk image";
    const std::optional<std::int64_t> scl = kind ? SCLSize(head) : std::nullopt;
    return scl && SCLSizeFault(*scl, size).empty() ? "an SCL disk image" : "";
}

std::string DiskFileName(const TDiskEntry& file) {
    return ShownName(CatalogueName(file) + '.' + static_cast<char>(file.fields[8]));
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

bool DiskFileMatches(const TDiskEntry& file, const TDiskFileName& wanted, bool anyCase) {
    const auto same = [anyCase](std::string_view a, std::string_view b) {
        return anyCase ? SameText(a, b) : a == b;
    };
    const auto extension = std::span(file.fields).subspan(8, wanted.extension.size());
    return same(CatalogueName(file), wanted.name) &&
           same({reinterpret_cast<const char*>(extension.data()), extension.size()},
                wanted.extension);
}

std::string DiskFileFault(const TDiskImage& image, const TDiskEntry& file) {
    const std::size_t size = file.fields[13] * kSectorSize;
    const std::size_t imageSize = image.bytes.size();
    const std::string name = "Disk file \"" + DiskFileName(file) + "\" ";
    if (!file.offset || *file.offset > imageSize || imageSize - *file.offset < size)
        return name + "does not fit in the disk image";
    if (HobetaDataLength(file.fields) > size)
        return name + "is longer than its sectors";
    if (HobetaProgramTooLong(file.fields))
        return name + "has a program length greater than its length";
    return {};
}

std::vector<std::uint8_t> DiskFileHobeta(const TDiskImage& image, const TDiskEntry& file) {
    if (std::string fault = DiskFileFault(image, file); !fault.empty())
        throw EAppException(std::move(fault));
    const auto first = image.bytes.begin() + static_cast<std::ptrdiff_t>(*file.offset);
    return HobetaFile(std::span(file.fields).first<kHobetaFieldsSize>(),
                      {first, first + static_cast<std::ptrdiff_t>(file.fields[13] * kSectorSize)});
}

} // namespace reelkit
