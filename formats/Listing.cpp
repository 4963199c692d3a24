// SPDX-License-Identifier: MIT
// A header block's record, numbers little-endian:
//
//   +0  1  type: 0 program, 1 number array, 2 character array, 3 code
//   +1  10 name
//   +11 2  length of the data block after it
//   +13 2  program: auto-start line (32768 or more: none); code: start;
//          arrays: byte 14 = 0x80 (number) or 0xC0 (character) | letter
//   +15 2  program: its length without the variables
//
// TZX blocks whose fields are shown, after the ID:
//
//   0x11 turbo speed data   +13 2 pause (ms)
//   0x12 pure tone          +0 2 pulse length, +2 2 pulses
//   0x13 pulse sequence     +0 1 pulses
//   0x14 pure data          +5 2 pause (ms)
//   0x15 direct recording   +0 2 T-states a sample, +2 2 pause, +5 3 bytes
//   0x20 pause              +0 2 ms; 0 stops the tape
//   0x21 group start        +0 1 length, text
//   0x23 jump to block      +0 2 relative, signed
//   0x24 loop start         +0 2 repetitions
//   0x26 call sequence      +0 2 calls
//   0x28 select block       +2 1 choices
//   0x2B set signal level   +4 1 level
//   0x30 text description   +0 1 length, text
//   0x31 message block      +0 1 seconds, +1 1 length, text
//   0x32 archive info       +2 1 fields, each: ID (1), length (1), text
//   0x33 hardware type      +0 1 entries
//   0x35 custom info        +0 16 description, +16 4 length
//   0x40 snapshot           +0 1 type (0 .Z80, 1 .SNA), +1 3 length
#include "formats/Listing.h"

#include "formats/BasicListing.h"
#include "formats/DiskImage.h"
#include "formats/HobetaSerializer.h"
#include "formats/LittleEndian.h"
#include "formats/LoaderCheck.h"
#include "formats/TAPSerializer.h"
#include "formats/TapeReader.h"
#include "model/ZXFileInfo.h"
#include "platform/Exception.h"
#include "platform/Stream.h"

#include <array>
#include <optional>
#include <span>
#include <string_view>

namespace reelkit {
namespace {

constexpr std::size_t kRecordSize = 17;
constexpr std::int64_t kHeaderBlock = kRecordSize + 2; // with its flag and checksum
// The most of a block's fields that is read to show them: all of a text.
constexpr std::size_t kShownFields = 3 + 65535;

std::string Hex(unsigned byte) {
    constexpr std::string_view kDigits = "0123456789ABCDEF";
    return {'0', 'x', kDigits[byte >> 4 & 0xF], kDigits[byte & 0xF]};
}

std::string Count(std::int64_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

std::string Quoted(std::span<const std::uint8_t> text) {
    std::string quoted(1, '"');
    quoted += ShownName({reinterpret_cast<const char*>(text.data()), text.size()});
    return quoted + '"';
}

// A header's record as tape tools word it: Program: "name" LINE 10, ...
std::string DescribeRecord(std::span<const std::uint8_t> record) {
    const std::string name = Quoted(record.subspan(1, 10));
    const unsigned length = Word(record, 11);
    const unsigned first = Word(record, 13);
    const auto letter = [&] {
        const unsigned code = record[14] & 0x1Fu;
        return code >= 1 && code <= 26 ? std::string(1, static_cast<char>('a' + code - 1)) : "?";
    };
    switch (record[0]) {
    case 0:
        return "Program: " + name + (first < 32768 ? " LINE " + std::to_string(first) : "") +
               ", length " + std::to_string(length) + ", program " +
               std::to_string(Word(record, 15));
    case 1:
        return "Number array: " + name + " " + letter() + "(), length " + std::to_string(length);
    case 2:
        return "Character array: " + name + " " + letter() + "$(), length " +
               std::to_string(length);
    case 3:
        return "Bytes: " + name + " CODE " + std::to_string(first) + "," + std::to_string(length);
    default:
        return "Header of type " + std::to_string(record[0]) + ": " + name + ", length " +
               std::to_string(length);
    }
}

// The TZX name of a block that is not standard speed data, and what of its
// fields is worth showing.
std::string DescribeTZX(std::span<const std::uint8_t> block, std::int64_t size) {
    const auto field = block.subspan(1);
    const auto text = [&](std::size_t at, std::size_t length) {
        return Quoted(field.subspan(std::min(at, field.size()),
                                    std::min(length, field.size() - std::min(at, field.size()))));
    };
    const auto pause = [&](std::size_t at) {
        return ", pause " + std::to_string(Word(field, at)) + " ms";
    };
    switch (block[0]) {
    case 0x11:
        return "Turbo speed data" + pause(13);
    case 0x12:
        return "Pure tone: " + Count(Word(field, 2), "pulse", "pulses") + " of " +
               std::to_string(Word(field, 0)) + " T-states";
    case 0x13:
        return "Pulse sequence: " + Count(field[0], "pulse", "pulses");
    case 0x14:
        return "Pure data" + pause(5);
    case 0x15:
        return "Direct recording: " + Count(size - 9, "byte", "bytes") + ", " +
               std::to_string(Word(field, 0)) + " T-states a sample" + pause(2);
    case 0x16:
        return "C64 ROM type data: " + Count(size - 5, "byte", "bytes");
    case 0x17:
        return "C64 turbo tape data: " + Count(size - 5, "byte", "bytes");
    case 0x18:
        return "CSW recording: " + Count(size - 5, "byte", "bytes");
    case 0x19:
        return "Generalized data: " + Count(size - 5, "byte", "bytes");
    case 0x20:
        return Word(field, 0) == 0 ? "Stop the tape"
                                   : "Pause: " + std::to_string(Word(field, 0)) + " ms";
    case 0x21:
        return "Group start: " + text(1, field[0]);
    case 0x22:
        return "Group end";
    case 0x23:
        return "Jump to block: " + std::to_string(static_cast<std::int16_t>(
                                       static_cast<std::uint16_t>(Word(field, 0))));
    case 0x24:
        return "Loop start: " + Count(Word(field, 0), "time", "times");
    case 0x25:
        return "Loop end";
    case 0x26:
        return "Call sequence: " + Count(Word(field, 0), "call", "calls");
    case 0x27:
        return "Return from sequence";
    case 0x28:
        return "Select block: " + Count(field.size() > 2 ? field[2] : 0, "choice", "choices");
    case 0x2A:
        return "Stop the tape if in 48K mode";
    case 0x2B:
        return std::string("Set signal level: ") + (field.size() > 4 && field[4] ? "high" : "low");
    case 0x30:
        return "Text description: " + text(1, field[0]);
    case 0x31:
        return "Message block: " + text(2, field[1]) + ", shown " + std::to_string(field[0]) + " s";
    case 0x32: {
        static constexpr std::array<std::string_view, 9> kFields = {"title", "publisher", "author",
                                                                    "year",  "language",  "type",
                                                                    "price", "loader",    "origin"};
        std::string shown = "Archive info";
        std::size_t at = 3;
        for (unsigned i = 0; i < (field.size() > 2 ? field[2] : 0u) && at + 1 < field.size(); ++i) {
            const unsigned id = field[at];
            const std::string_view name = id < kFields.size() ? kFields[id]
                                          : id == 0xFF        ? "comment"
                                                              : "field";
            shown += (i == 0 ? ": " : ", ") + std::string(name) + " " + text(at + 2, field[at + 1]);
            at += 2u + field[at + 1];
        }
        return shown;
    }
    case 0x33:
        return "Hardware type: " + Count(field[0], "entry", "entries");
    case 0x34:
        return "Emulation info";
    case 0x35:
        return "Custom info block: " + text(0, 16) + ", " + Count(size - 21, "byte", "bytes");
    case 0x40:
        return "Snapshot: " +
               std::string(field[0] == 0   ? ".Z80"
                           : field[0] == 1 ? ".SNA"
                                           : "of type " + std::to_string(field[0])) +
               ", " + Count(size - 5, "byte", "bytes");
    case 0x5A:
        return "Glue block";
    default:
        return "Unknown block " + Hex(block[0]) + ": " + Count(size - 5, "byte", "bytes");
    }
}

// One block as the walk found it, with what the listing needs later.
struct TShown {
    int number;
    std::string line;
    std::vector<std::string> faults;
    std::optional<std::vector<std::uint8_t>> record; // a header block's 17 bytes
    std::int64_t dataLength = -1;                    // a data block's, without flag and checksum
    // A program's data, cut to its length without the variables, in the data
    // block that follows its header.
    std::optional<std::vector<std::uint8_t>> program;
    int header = 0; // the block number of a data block's header
};

void Summarise(TListing& listing, const std::string& what) {
    listing.lines.push_back(what + ", " +
                            (listing.faults.empty()
                                 ? "no faults"
                                 : Count(std::ssize(listing.faults), "fault", "faults")));
}

void AddFault(TListing& listing, const std::string& where, const std::string& fault) {
    listing.lines.push_back("Fault in " + where + ": " + fault);
    listing.faults.push_back(listing.lines.back());
}

class TTapeLister {
public:
    explicit TTapeLister(TStream& image) : FReader(image) {}

    TListing List() {
        while (const auto block = FReader.Next())
            Add(*block);
        if (FPendingHeader)
            NoDataFor(*FPendingHeader);
        TListing listing;
        const auto fault = [&](int block, const std::string& text) {
            AddFault(listing, "block " + std::to_string(block), text);
        };
        for (std::size_t i = 0; i < FBlocks.size(); ++i) {
            const TShown& shown = FBlocks[i];
            listing.lines.push_back("Block " + std::to_string(shown.number) + ": " + shown.line);
            for (const std::string& text : shown.faults)
                fault(shown.number, text);
            if (!shown.program)
                continue;
            for (std::string& line : ListProgram(*shown.program))
                listing.lines.push_back(std::move(line));
            const TLoaderCheck check =
                CheckLoader(*shown.program, shown.header, FollowingFiles(i + 1));
            if (!check.notChecked.empty())
                listing.lines.push_back("Loader not checked: " + check.notChecked);
            for (const TLoaderFault& loader : check.faults)
                fault(loader.block, loader.text);
        }
        // A block cut short counts as one.
        int blocks = static_cast<int>(FBlocks.size());
        if (const auto& cut = FReader.Fault()) {
            if (cut->block == 0) {
                AddFault(listing, "the header", cut->what);
            } else {
                fault(cut->block, cut->what);
                ++blocks;
            }
        }
        Summarise(listing, Count(blocks, "block", "blocks"));
        return listing;
    }

private:
    void Add(const TTapeBlock& block) {
        TShown& shown = FBlocks.emplace_back();
        shown.number = static_cast<int>(FBlocks.size());
        std::string prefix;
        if (block.id != 0x10) { // a TAP block has the ID too
            const auto fields = FReader.Read(
                block.offset,
                static_cast<std::size_t>(std::min<std::int64_t>(block.size, kShownFields)));
            shown.line = DescribeTZX(fields, block.size);
            if (block.dataOffset == 0)
                return;
            prefix = shown.line + ": ";
        }
        if (block.dataSize < 2) {
            shown.line = prefix + "Data: no flag and checksum";
            shown.faults.emplace_back("too short for a flag and a checksum");
            return;
        }
        const auto start = FReader.Read(
            block.dataOffset,
            std::min<std::size_t>(static_cast<std::size_t>(block.dataSize), kRecordSize + 1));
        const std::uint8_t flag = start[0];
        if (flag == 0 && block.dataSize == kHeaderBlock) {
            shown.record.emplace(start.begin() + 1, start.end());
            shown.line = prefix + DescribeRecord(*shown.record);
        } else {
            shown.dataLength = block.dataSize - 2;
            shown.line = prefix + "Data: " + Count(shown.dataLength, "byte", "bytes") + ", flag " +
                         std::to_string(flag);
        }
        if (const std::uint8_t parity = FReader.Parity(block); parity != 0) {
            const std::uint8_t checksum =
                FReader.Read(block.dataOffset + block.dataSize - 1, 1).at(0);
            shown.faults.push_back("the checksum is " + Hex(checksum) +
                                   ", the flag and data give " + Hex(checksum ^ parity));
        }
        Pair(shown, block);
    }

    // A header's data block is the next block of Spectrum data.
    void Pair(TShown& shown, const TTapeBlock& block) {
        if (FPendingHeader) {
            TShown& header = FBlocks[static_cast<std::size_t>(*FPendingHeader - 1)];
            FPendingHeader.reset();
            shown.header = header.number;
            if (shown.record) {
                NoDataFor(header.number);
            } else {
                const unsigned length = Word(*header.record, 11);
                if (shown.dataLength != length)
                    shown.faults.push_back(
                        Count(shown.dataLength, "byte", "bytes") + ", but the header in block " +
                        std::to_string(header.number) + " says " + std::to_string(length));
                else if ((*header.record)[0] == 0)
                    shown.program = FReader.Read(block.dataOffset + 1,
                                                 static_cast<std::size_t>(std::min<std::int64_t>(
                                                     shown.dataLength, Word(*header.record, 15))));
            }
        }
        if (shown.record)
            FPendingHeader = shown.number;
    }

    // The files after the block at first, up to the next program: their headers.
    std::vector<TFollowingFile> FollowingFiles(std::size_t first) const {
        std::vector<TFollowingFile> files;
        for (std::size_t i = first; i < FBlocks.size(); ++i) {
            const auto& record = FBlocks[i].record;
            if (!record)
                continue;
            if ((*record)[0] == 0)
                break;
            files.push_back({FBlocks[i].number, (*record)[0],
                             ShownName({reinterpret_cast<const char*>(record->data() + 1), 10}),
                             static_cast<std::uint16_t>(Word(*record, 13)),
                             static_cast<std::uint16_t>(Word(*record, 11))});
        }
        return files;
    }

    void NoDataFor(int number) {
        FBlocks[static_cast<std::size_t>(number - 1)].faults.emplace_back(
            "no data block follows the header");
    }

    TTapeReader FReader;
    std::vector<TShown> FBlocks;
    std::optional<int> FPendingHeader;
};

// A disk file, or the file of a Hobeta file, as the conversion reads it,
// described as the header it would have on a tape.
std::string DescribeHobeta(std::span<const std::uint8_t> hobeta) {
    TZXFileInfo header(zftUndefined);
    ReadHobetaFileInfo(hobeta, header);
    return DescribeRecord(HeaderRecord(header));
}

} // namespace

TListing ListTape(TStream& image) {
    return TTapeLister(image).List();
}

TListing ListDisk(TStream& image) {
    const TDiskImage disk = ReadDiskImage(image);
    TListing listing;
    int number = 0;
    int deleted = 0;
    for (const TDiskEntry& file : disk.files) {
        const std::string where = "file " + std::to_string(++number);
        std::string line = "File " + std::to_string(number) + ": " + DiskFileName(file) + ", " +
                           Count(file.fields[13], "sector", "sectors");
        if (file.deleted) {
            ++deleted;
            listing.lines.push_back(line + ", deleted");
            continue;
        }
        const std::string fault = DiskFileFault(disk, file);
        listing.lines.push_back(
            fault.empty() ? line + ": " + DescribeHobeta(DiskFileHobeta(disk, file)) : line);
        if (!fault.empty())
            AddFault(listing, where, fault);
    }
    if (!disk.fault.empty())
        AddFault(listing, "the image", disk.fault);
    Summarise(listing, std::string(disk.scl ? "SCL" : "TRD") + " disk image, " +
                           Count(number, "file", "files") +
                           (deleted > 0 ? " (" + std::to_string(deleted) + " deleted)" : ""));
    return listing;
}

TListing ListHobeta(TStream& file) {
    const std::int64_t size = file.GetSize();
    std::vector<std::uint8_t> hobeta(
        static_cast<std::size_t>(std::min<std::int64_t>(size, kHobetaHeaderSize + 65535 + 4)));
    hobeta.resize(file.ReadAt(0, hobeta.data(), hobeta.size()));
    if (hobeta.size() < kHobetaHeaderSize)
        throw EReadError();
    TListing listing;
    const auto header = std::span(hobeta).first<kHobetaHeaderSize>();
    const std::size_t wanted = kHobetaHeaderSize + HobetaDataLength(header);
    std::string line = "Hobeta file, " + Count(header[14], "sector", "sectors");
    if (HobetaProgramTooLong(header)) {
        listing.lines.push_back(line);
        AddFault(listing, "the file", "its program length is greater than its length");
    } else if (static_cast<std::size_t>(size) < wanted) {
        listing.lines.push_back(line);
        AddFault(listing, "the file",
                 "cut short by " +
                     Count(static_cast<std::int64_t>(wanted) - size, "byte", "bytes"));
    } else {
        listing.lines.push_back(line + ": " + DescribeHobeta(hobeta));
    }
    Summarise(listing, "Hobeta file of " + Count(size, "byte", "bytes"));
    return listing;
}

} // namespace reelkit
