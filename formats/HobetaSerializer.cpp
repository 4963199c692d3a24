// SPDX-License-Identifier: MIT
// A Hobeta file keeps one ZX Spectrum file behind a 17-byte header, numbers
// little-endian:
//
//   +0  8  name, padded with spaces
//   +8  1  type letter: exactly 'B' (0x42) is a program, anything else code
//   +9  2  program: data length      code: start address
//   +11 2  program: program length   code: data length
//   +13 4  not used here
//   +17 n  data
//   +17+n 4 program only, optional: 0x80 0xAA, then the auto-start line
#include "formats/HobetaSerializer.h"

#include "model/ZXFileInfo.h"
#include "platform/FileStream.h"
#include "shell/AppTypes.h"

#include <array>
#include <cstdint>

namespace reelkit {
namespace {

constexpr std::size_t kHeaderSize = 17;
constexpr std::size_t kNameSize = 8;
constexpr std::uint8_t kProgramType = 'B';

using THobetaHeader = std::array<std::uint8_t, kHeaderSize>;

std::uint16_t Word(const std::uint8_t* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

bool IsProgram(const THobetaHeader& header) {
    return header[8] == kProgramType;
}

std::uint16_t DataLength(const THobetaHeader& header) {
    return Word(&header[IsProgram(header) ? 9 : 11]);
}

THobetaHeader ReadHeader(TFileStream& file) {
    THobetaHeader header{};
    file.Seek(0, TSeekOrigin::soBeginning);
    file.ReadBuffer(header.data(), header.size());
    return header;
}

// Trailing spaces go, but never the first character.
std::string Name(const THobetaHeader& header) {
    std::size_t length = kNameSize;
    while (length > 1 && header[length - 1] == ' ')
        --length;
    return std::string(header.begin(), header.begin() + static_cast<std::ptrdiff_t>(length));
}

} // namespace

void THobetaSerializer::WriteHeader(IZXFileInfo&) {
    throw EAppException("Feature is not implemented yet");
}

void THobetaSerializer::WriteBlock(std::uint16_t, std::uint8_t, TStream&) {
    throw EAppException("Feature is not implemented yet");
}

void THobetaSerializer::WriteFile(IZXFileInfo&, TStream&) {
    throw EAppException("Feature is not implemented yet");
}

void THobetaSerializer::ReadFileInfo(IZXFileInfo& info) {
    TFileStream file(FFileName, TFileMode::fmOpenRead);
    const THobetaHeader header = ReadHeader(file);

    // The type goes first: the model takes the other fields only once it has
    // one, and checks the program length against the length already set.
    if (!IsProgram(header)) {
        info.SetFileType(zftCode);
        info.SetName(Name(header));
        info.SetLength(Word(&header[11]));
        info.SetStartAddress(Word(&header[9]));
        return;
    }

    info.SetFileType(zftProgram);
    info.SetName(Name(header));
    info.SetLength(Word(&header[9]));
    info.SetProgramLength(Word(&header[11]));

    const auto markerAt = static_cast<std::int64_t>(kHeaderSize + info.GetLength());
    if (file.GetSize() < markerAt + 4)
        return;
    std::array<std::uint8_t, 4> marker{};
    file.Seek(markerAt, TSeekOrigin::soBeginning);
    if (file.Read(marker.data(), marker.size()) == marker.size() && marker[0] == 0x80 &&
        marker[1] == 0xAA)
        info.SetAutoStartLine(Word(&marker[2]));
}

void THobetaSerializer::ReadData(TStream& data) {
    TFileStream file(FFileName, TFileMode::fmOpenRead);
    const std::uint16_t count = DataLength(ReadHeader(file));
    data.Seek(0, TSeekOrigin::soBeginning);
    data.CopyFrom(file, count);
    data.Seek(0, TSeekOrigin::soBeginning);
}

} // namespace reelkit
