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
};

// A TRD or SCL disk image: as much of the file as its format can address, and
// its files in catalogue order, deleted ones left out. Nothing about a file is
// checked until it is converted (DiskFileHobeta).
struct TDiskImage {
    std::vector<std::uint8_t> bytes;
    std::vector<TDiskEntry> files;
};

// Reads a disk image from the stream's start, its kind told by its content:
// "File is not a TRD or SCL disk image", "Disk image ends inside its catalogue".
TDiskImage ReadDiskImage(TStream& file);

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
// two bytes that follow it.
bool DiskFileMatches(const TDiskEntry& file, const TDiskFileName& wanted);

// The file in Hobeta form: the 17-byte header, then its sectors. Raises when
// its sectors lie outside the image or cannot hold its length.
std::vector<std::uint8_t> DiskFileHobeta(const TDiskImage& image, const TDiskEntry& file);

} // namespace reelkit
