// SPDX-License-Identifier: MIT
// A Hobeta file keeps one ZX Spectrum file behind a 17-byte header, numbers
// little-endian:
//
//   +0  8  name, padded with spaces
//   +8  1  type letter: exactly 'B' (0x42) is a program, anything else code
//   +9  2  program: data length      code: start address
//   +11 2  program: program length   code: data length
//   +13 4  0, the sector count, and a checksum (257 x the sum of bytes 0-14 +
//          105, low 16 bits), which is written but not checked
//   +17 n  data
//   +17+n 4 program only, optional: 0x80 0xAA, then the auto-start line
#include "formats/HobetaSerializer.h"

#include "formats/LittleEndian.h"
#include "formats/TapeFormat.h"
#include "model/ZXFileInfo.h"
#include "platform/Exception.h"
#include "shell/AppTypes.h"

#include <algorithm>

namespace reelkit {
namespace {

constexpr std::size_t kNameSize = 8;
constexpr std::size_t kMarkerSize = 4;
constexpr std::uint8_t kProgramType = 'B';

bool IsProgram(std::span<const std::uint8_t> header) {
    return header[8] == kProgramType;
}

// 257 x the sum of the header's first 15 bytes + 105, in 16 bits.
unsigned Checksum(std::span<const std::uint8_t> header) {
    unsigned sum = 0;
    for (const std::uint8_t byte : header.first(15))
        sum += byte;
    return (257 * sum + 105) & 0xFFFF;
}

// The header, or "Stream read error" when the file is shorter.
std::span<const std::uint8_t, kHobetaHeaderSize> Header(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kHobetaHeaderSize)
        throw EReadError();
    return bytes.first<kHobetaHeaderSize>();
}

// Trailing spaces go, but never the first character.
std::string Name(std::span<const std::uint8_t> header) {
    std::size_t length = kNameSize;
    while (length > 1 && header[length - 1] == ' ')
        --length;
    return std::string(header.begin(), header.begin() + static_cast<std::ptrdiff_t>(length));
}

} // namespace

std::size_t HobetaDataLength(std::span<const std::uint8_t> header) {
    return Word(header, IsProgram(header) ? 9 : 11);
}

bool HobetaProgramTooLong(std::span<const std::uint8_t> header) {
    return IsProgram(header) && Word(header, 11) > Word(header, 9);
}

std::size_t HobetaExtent(std::span<const std::uint8_t, kHobetaHeaderSize> header) {
    return kHobetaHeaderSize + HobetaDataLength(header) + (IsProgram(header) ? kMarkerSize : 0);
}

std::vector<std::uint8_t> HobetaFile(std::span<const std::uint8_t, kHobetaFieldsSize> fields,
                                     std::span<const std::uint8_t> sectors) {
    std::vector<std::uint8_t> file(fields.begin(), fields.end());
    file.push_back(0);
    file.push_back(static_cast<std::uint8_t>(sectors.size() / kSectorSize));
    const unsigned checksum = Checksum(file);
    file.push_back(static_cast<std::uint8_t>(checksum & 0xFF));
    file.push_back(static_cast<std::uint8_t>(checksum >> 8));
    file.insert(file.end(), sectors.begin(), sectors.end());
    return file;
}

bool IsHobetaFile(std::span<const std::uint8_t, kHobetaHeaderSize> header, std::int64_t size) {
    const std::size_t sectors = header[14];
    return Checksum(header) == Word(header, 15) ||
           (sectors > 0 &&
            size == static_cast<std::int64_t>(kHobetaHeaderSize + kSectorSize * sectors));
}

void ReadHobetaFileInfo(std::span<const std::uint8_t> bytes, IZXFileInfo& info) {
    const auto header = Header(bytes);
    // The type goes first: the model takes the other fields only once it has
    // one, and checks the program length against the length already set.
    if (!IsProgram(header)) {
        info.SetFileType(zftCode);
        info.SetName(Name(header));
        info.SetLength(Word(header, 11));
        info.SetStartAddress(Word(header, 9));
        return;
    }
    info.SetFileType(zftProgram);
    info.SetName(Name(header));
    info.SetLength(Word(header, 9));
    info.SetProgramLength(Word(header, 11));

    const std::size_t markerAt = kHobetaHeaderSize + info.GetLength();
    if (bytes.size() >= markerAt + kMarkerSize && bytes[markerAt] == 0x80 &&
        bytes[markerAt + 1] == 0xAA)
        info.SetAutoStartLine(Word(bytes, markerAt + 2));
}

void ReadHobetaData(std::span<const std::uint8_t> bytes, TStream& data) {
    const std::size_t count = HobetaDataLength(Header(bytes));
    if (bytes.size() < kHobetaHeaderSize + count)
        throw EReadError();
    data.Seek(0, TSeekOrigin::soBeginning);
    data.Write(bytes.data() + kHobetaHeaderSize, count);
    data.Seek(0, TSeekOrigin::soBeginning);
}

void THobetaSerializer::WriteHeader(IZXFileInfo&) {
    throw EAppException("Feature is not implemented yet");
}

void THobetaSerializer::WriteBlock(std::uint16_t, std::uint8_t, TStream&) {
    throw EAppException("Feature is not implemented yet");
}

void THobetaSerializer::WriteFile(IZXFileInfo&, TStream&) {
    throw EAppException("Feature is not implemented yet");
}

void THobetaSerializer::WriteFiles(std::span<const TTapeFile>) {
    throw EAppException("Feature is not implemented yet");
}

void THobetaSerializer::ReadFileInfo(IZXFileInfo& info) {
    ReadHobetaFileInfo(Contents(), info);
}

void THobetaSerializer::ReadData(TStream& data) {
    ReadHobetaData(Contents(), data);
}

// The header, then as much of the rest as the conversion looks at, or as the
// file holds: a file shorter than its header says is refused where the
// missing part is needed, not here. Nothing is kept from a failed read.
const std::vector<std::uint8_t>& THobetaSerializer::Contents() {
    if (FFile)
        return FContents;
    TFileStream& file = FFile.emplace(FFileName, TFileMode::fmOpenRead);
    if (std::string wrong = WrongInput(file, "a Hobeta file"); !wrong.empty())
        throw EAppException(std::move(wrong));
    std::vector<std::uint8_t> bytes(kHobetaHeaderSize);
    file.Seek(0, TSeekOrigin::soBeginning);
    file.ReadBuffer(bytes.data(), kHobetaHeaderSize);
    bytes.resize(HobetaExtent(std::span(bytes).first<kHobetaHeaderSize>()));
    bytes.resize(kHobetaHeaderSize +
                 file.ReadUpTo(bytes.data() + kHobetaHeaderSize, bytes.size() - kHobetaHeaderSize));
    FContents = std::move(bytes);
    return FContents;
}

} // namespace reelkit
