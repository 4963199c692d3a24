// SPDX-License-Identifier: MIT
#pragma once

#include "platform/FileStream.h"
#include "shell/Interfaces.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace reelkit {

// The Hobeta header: the 13 bytes a TR-DOS catalogue holds of a file (name,
// type letter, two words), 0, its length in sectors and a checksum; the data
// after it fill whole TR-DOS sectors.
constexpr std::size_t kHobetaHeaderSize = 17;
constexpr std::size_t kHobetaFieldsSize = 13;
constexpr std::size_t kSectorSize = 256;

// The one conversion of a ZX Spectrum file in Hobeta form (17-byte header,
// data, then for a program an optional auto-start marker) to a tape file.
// ReadHobetaFileInfo fills a header of undefined type; ReadHobetaData writes
// the data into a stream from its start and leaves it at 0. bytes may hold the
// file's first part only: what is missing is "Stream read error" where needed.
void ReadHobetaFileInfo(std::span<const std::uint8_t> bytes, IZXFileInfo& info);
void ReadHobetaData(std::span<const std::uint8_t> bytes, TStream& data);
// How many data bytes a header announces, the marker left out; header may be
// its first 13 bytes, the fields a TR-DOS catalogue holds.
std::size_t HobetaDataLength(std::span<const std::uint8_t> header);
// True for a program whose length without its variables (the second word) is
// more than its length (the first), which the conversion refuses.
bool HobetaProgramTooLong(std::span<const std::uint8_t> header);
// A Hobeta file of a TR-DOS file: its catalogue's first 13 bytes (name, type,
// the two words), the sector count and checksum, then its sectors.
std::vector<std::uint8_t> HobetaFile(std::span<const std::uint8_t, kHobetaFieldsSize> fields,
                                     std::span<const std::uint8_t> sectors);
// True when a file of size bytes that starts with header is a Hobeta file by
// its content: the header's checksum is right, or the file is the header and
// the whole sectors the header counts.
bool IsHobetaFile(std::span<const std::uint8_t, kHobetaHeaderSize> header, std::int64_t size);
// How much of a Hobeta file the conversion looks at, given its header.
std::size_t HobetaExtent(std::span<const std::uint8_t, kHobetaHeaderSize> header);

// Reads one ZX Spectrum file kept behind a Hobeta header; writes nothing. The
// file is opened and read at the first read, once, and held (shared) for as
// long as the reader lives, so that what is appended is one version of it.
class THobetaSerializer final : public ISerializer {
public:
    explicit THobetaSerializer(std::string fileName) : FFileName(std::move(fileName)) {}

    void WriteHeader(IZXFileInfo& header) override;
    void WriteBlock(std::uint16_t length, std::uint8_t flag, TStream& data) override;
    void WriteFile(IZXFileInfo& header, TStream& data) override;
    void WriteFiles(std::span<const TTapeFile> files) override;
    // Fills a header of undefined type from the Hobeta header.
    void ReadFileInfo(IZXFileInfo& info) override;
    // Writes the file's data from the stream's start and leaves it at 0.
    void ReadData(TStream& data) override;

private:
    const std::vector<std::uint8_t>& Contents();

    std::string FFileName;
    std::optional<TFileStream> FFile;
    std::vector<std::uint8_t> FContents;
};

} // namespace reelkit
