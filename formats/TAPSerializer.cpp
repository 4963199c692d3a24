// SPDX-License-Identifier: MIT
// A TAP image is a bare sequence of blocks, all numbers little-endian:
//
//   +0  2  block length N + 2 (flag and checksum included)
//   +2  1  flag: 0x00 header, 0xFF data
//   +3  N  data
//   +3+N 1 checksum: XOR of the flag and every data byte
//
// A header block carries a 17-byte record:
//
//   +0  1  type: 0 program, 1 number array, 2 character array, 3 code
//   +1  10 name, cut or padded with spaces to ten bytes
//   +11 2  data length of the block that follows
//   +13 2  parameter 1: program auto-start line; code start address;
//          arrays: byte 14 = 0x80 (number) or 0xC0 (character) | letter & 0x1F
//   +15 2  parameter 2: program length without variables; zero otherwise
#include "formats/TAPSerializer.h"

#include "formats/BlockLength.h"
#include "formats/TapeFormat.h"
#include "model/ZXFileInfo.h"
#include "platform/FileStream.h"
#include "shell/AppTypes.h"

#include <algorithm>

namespace reelkit {
namespace {

constexpr std::uint8_t kHeaderFlag = 0x00;
constexpr std::uint8_t kDataFlag = 0xFF;
constexpr std::size_t kHeaderSize = 17;
constexpr std::size_t kNameSize = 10;

using TBlocks = TTapeWriter::TBlocks;

// A block's length, flag and checksum around its data.
constexpr std::size_t kBlockFrame = 4;

void PutByte(std::vector<std::uint8_t>& out, std::uint8_t value) {
    out.push_back(value);
}

void PutWord(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

// A block is framed in place: its length and flag, then whatever data the
// caller adds, then the checksum over the flag and those data.
std::size_t BeginBlock(TBlocks& out, std::uint8_t flag, std::size_t length) {
    out.starts.push_back(out.bytes.size());
    PutWord(out.bytes, static_cast<std::uint16_t>(length + 2));
    PutByte(out.bytes, flag);
    return out.bytes.size();
}

void EndBlock(TBlocks& out, std::uint8_t flag, std::size_t dataStart) {
    std::uint8_t checksum = flag;
    for (std::size_t i = dataStart; i < out.bytes.size(); ++i)
        checksum ^= out.bytes[i];
    PutByte(out.bytes, checksum);
}

// Adds one block whose data are the first length bytes of the stream.
void PutDataBlock(TBlocks& out, std::uint8_t flag, TStream& data, std::uint16_t length) {
    const std::size_t start = BeginBlock(out, flag, length);
    out.bytes.resize(start + length);
    data.Seek(0, TSeekOrigin::soBeginning);
    data.ReadBuffer(out.bytes.data() + start, length);
    EndBlock(out, flag, start);
}

void PutHeaderBlock(TBlocks& out, IZXFileInfo& header) {
    const std::vector<std::uint8_t> record = HeaderRecord(header);
    const std::size_t start = BeginBlock(out, kHeaderFlag, kHeaderSize);
    out.bytes.insert(out.bytes.end(), record.begin(), record.end());
    EndBlock(out, kHeaderFlag, start);
}

} // namespace

std::vector<std::uint8_t> HeaderRecord(IZXFileInfo& header) {
    const TZXFileType type = header.GetFileType();
    if (type == zftUndefined)
        throw EAppException("An attempt to parse not initialized FileInfo");

    // Only the getters the type allows are called.
    std::uint16_t parameter1 = 0;
    std::uint16_t parameter2 = 0;
    switch (type) {
    case zftProgram:
        parameter1 = header.GetAutoStartLine();
        parameter2 = header.GetProgramLength();
        break;
    case zftNumberArray:
    case zftCharArray: {
        const unsigned marker = type == zftNumberArray ? 0x80 : 0xC0;
        const unsigned letter = static_cast<unsigned char>(header.GetArrayName()) & 0x1Fu;
        parameter1 = static_cast<std::uint16_t>((marker | letter) << 8);
        break;
    }
    default:
        parameter1 = header.GetStartAddress();
        break;
    }

    std::vector<std::uint8_t> record = {type};
    std::string name = header.GetName();
    name.resize(kNameSize, ' ');
    record.insert(record.end(), name.begin(), name.end());
    PutWord(record, header.GetLength());
    PutWord(record, parameter1);
    PutWord(record, parameter2);
    return record;
}

TTapeWriter::TBlocks::TBlocks(std::size_t size, std::size_t count) {
    bytes.reserve(size + TZXFraming(count));
    starts.reserve(count);
}

void TTapeWriter::WriteHeader(IZXFileInfo& header) {
    TBlocks blocks(kHeaderSize + kBlockFrame, 1);
    PutHeaderBlock(blocks, header);
    Append(blocks);
}

void TTapeWriter::WriteBlock(std::uint16_t length, std::uint8_t flag, TStream& data) {
    TBlocks blocks(length + kBlockFrame, 1);
    PutDataBlock(blocks, flag, data, BlockLength(length));
    Append(blocks);
}

void TTapeWriter::WriteFile(IZXFileInfo& header, TStream& data) {
    const TTapeFile file{header, data};
    WriteFiles({&file, 1});
}

void TTapeWriter::WriteFiles(std::span<const TTapeFile> files) {
    // A file too large for a block is refused below, not reserved for.
    std::size_t room = 0;
    for (const auto& file : files)
        room += kHeaderSize + 2 * kBlockFrame +
                static_cast<std::size_t>(
                    std::clamp<std::int64_t>(file.data.GetSize(), 0, kMaxBlockData));
    TBlocks blocks(room, 2 * files.size());
    for (const auto& [header, data] : files) {
        const std::int64_t size = data.GetSize();
        if (size != header.GetLength())
            throw EAppException("Length in file data and length specified in file header are "
                                "different");
        const std::uint16_t length = BlockLength(size);
        PutHeaderBlock(blocks, header);
        PutDataBlock(blocks, kDataFlag, data, length);
    }
    Append(blocks);
}

void TTapeWriter::ReadFileInfo(IZXFileInfo&) {
    throw EAppException("Feature is not implemented yet");
}

void TTapeWriter::ReadData(TStream&) {
    throw EAppException("Feature is not implemented yet");
}

// The format is told under the same exclusive open that appends.
void TTAPSerializer::Append(TBlocks& blocks) {
    TFileStream image(FFileName, TFileMode::fmOpenWrite);
    if (const TTapeFormat format = TapeFormatOf(image, FFileName); format != tfTAP)
        FrameForTZX(blocks.bytes, blocks.starts, format == tfNewTZX);
    image.Append(blocks.bytes.data(), blocks.bytes.size());
}

void TNewTapeSerializer::Append(TBlocks& blocks) {
    FWrites.push_back(std::move(blocks));
}

// Each write was built with room for its TZX framing; the file header goes in
// front of the first, or alone.
void TNewTapeSerializer::ReadData(TStream& data) {
    if (NamedTZX(FFileName)) {
        if (FWrites.empty())
            FWrites.emplace_back(0, 0);
        for (std::size_t i = 0; i < FWrites.size(); ++i)
            FrameForTZX(FWrites[i].bytes, FWrites[i].starts, i == 0);
    }
    std::size_t size = 0;
    for (const TBlocks& write : FWrites)
        size += write.bytes.size();
    // The stream grows once, to its whole size, by a last byte written over below.
    if (size > 0) {
        const std::uint8_t last = 0;
        data.Seek(static_cast<std::int64_t>(size - 1), TSeekOrigin::soBeginning);
        data.Write(&last, 1);
    }
    data.Seek(0, TSeekOrigin::soBeginning);
    for (const TBlocks& write : FWrites)
        data.Write(write.bytes.data(), write.bytes.size());
    data.Seek(0, TSeekOrigin::soBeginning);
    FWrites.clear();
}

} // namespace reelkit
