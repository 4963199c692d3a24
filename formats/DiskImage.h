// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace reelkit {

class TStream;

// One file as a disk's catalogue lists it.
struct TDiskEntry {
    // Catalogue bytes 0-13: name, type letter, two words, sector count; the
    // first 13 are a Hobeta header's too.
    std::array<std::uint8_t, 14> fields{};
    // Where its first sector starts in the image, which may be past its end;
    // empty when the catalogue names a sector no track has.
    std::optional<std::size_t> offset;
    // TRD: the catalogue marks it deleted (its name's first byte is 0x01).
    bool deleted = false;
};

// A TRD or SCL disk image: as much of the file as its format can address, and
// its files in catalogue order. Nothing about a file is checked until it is
// converted (DiskFileFault).
struct TDiskImage {
    std::vector<std::uint8_t> bytes;
    std::vector<TDiskEntry> files;
    bool scl = false;
    // An SCL image whose size is not the size its catalogue gives, which makes
    // it no SCL image: why, as "as an SCL image it would hold ...". Else empty.
    std::string fault;
};

// Reads a disk image from the stream's start, its kind told by its content:
// "File is not a TRD or SCL disk image", "Disk image ends inside its catalogue".
TDiskImage ReadDiskImage(TStream& file);

// True when ReadDiskImage takes the file for a disk image, whose SCL size may
// still be wrong.
bool HasDiskSignature(TStream& file);

// What the file is, as ReadDiskImage tells it and a report names it: "a TRD
// disk image", "an SCL disk image" (of the size its catalogue gives), or
// empty. Reads no more than the catalogue.
std::string DiskImageKind(TStream& file);

// The file as reports name it: its name without trailing spaces, a dot and the
// type letter; bytes that are not printable ASCII are shown as '?'.
std::string DiskFileName(const TDiskEntry& file);

// A file named on the command line as name.T, or name.TXY where a disk keeps a
// three-letter extension: a name of up to eight characters, split from the
// extension at the last dot.
struct TDiskFileName {
    std::string name;
    std::string extension;
};
// Empty when text is not of that form.
std::optional<TDiskFileName> ParseDiskFileName(std::string_view text);
// Byte for byte: the name against the catalogue name without trailing spaces,
// the extension against the type letter and, when it has three letters, the
// two bytes that follow it; with anyCase, A-Z folded to a-z.
bool DiskFileMatches(const TDiskEntry& file, const TDiskFileName& wanted, bool anyCase = false);

// Why the file cannot be converted, as a report says it: its sectors lie
// outside the image or cannot hold its length, or a program's length without
// its variables is more than its length. Empty when it can.
std::string DiskFileFault(const TDiskImage& image, const TDiskEntry& file);

// The file in Hobeta form: the 17-byte header, then its sectors. Raises its
// DiskFileFault.
std::vector<std::uint8_t> DiskFileHobeta(const TDiskImage& image, const TDiskEntry& file);

} // namespace reelkit
