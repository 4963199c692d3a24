// SPDX-License-Identifier: MIT
#include "formats/TapeReader.h"

#include "TestSupport.h"
#include <sstream>

using namespace reelkit;
using namespace reelkit::test;

namespace {

const TBytes kTZXFileHeader = {'Z', 'X', 'T', 'a', 'p', 'e', '!', 0x1A, 1, 20};
// A data block of three bytes, in TAP form from its flag on.
const TBytes kData = {0xFF, 1, 2, 3, 0xFF};

// Each TZX block as the format lays it out, and where its Spectrum data lies
// from the block's start (0: none).
struct TLayoutCase {
    TBytes block;
    std::size_t dataAt;
};
const TLayoutCase kLayouts[] = {
    {Cat({0x10, 0xE8, 0x03, 5, 0}, kData), 5},
    {Cat({0x11, 0x78, 8, 0x9B, 2, 0xDF, 2, 0x57, 3, 0xAE, 6, 0x7F, 0x1F, 8, 0xF4, 1, 5, 0, 0},
         kData),
     19},
    {{0x12, 0x78, 8, 0xB8, 0x0B}, 0},
    {{0x13, 2, 0x9B, 2, 0xDF, 2}, 0},
    {Cat({0x14, 0x57, 3, 0xAE, 6, 8, 0, 0, 5, 0, 0}, kData), 11},
    {{0x15, 0x4F, 0, 0, 0, 8, 2, 0, 0, 0xFF, 0}, 0},
    {{0x16, 2, 0, 0, 0, 1, 2}, 0},
    {{0x17, 1, 0, 0, 0, 9}, 0},
    {{0x18, 0, 0, 0, 0}, 0},
    {{0x19, 3, 0, 0, 0, 1, 2, 3}, 0},
    {{0x20, 0xF4, 0x01}, 0},
    {{0x21, 5, 'G', 'r', 'o', 'u', 'p'}, 0},
    {{0x22}, 0},
    {{0x23, 2, 0}, 0},
    {{0x24, 3, 0}, 0},
    {{0x25}, 0},
    {{0x26, 2, 0, 1, 0, 0xFF, 0xFF}, 0},
    {{0x27}, 0},
    {{0x28, 5, 0, 1, 1, 0, 1, 'A'}, 0},
    {{0x2A, 0, 0, 0, 0}, 0},
    {{0x2B, 1, 0, 0, 0, 1}, 0},
    {{0x30, 2, 'H', 'i'}, 0},
    {{0x31, 5, 3, 'M', 's', 'g'}, 0},
    {{0x32, 5, 0, 1, 0, 2, 'N', 'm'}, 0},
    {{0x33, 2, 0, 1, 0, 0, 2, 1}, 0},
    {{0x34, 1, 2, 3, 4, 5, 6, 7, 8}, 0},
    {Cat({0x35, 'P', 'O', 'K', 'E', 's', ' ', ' ', ' ', ' ', ' ',
          ' ',  ' ', ' ', ' ', ' ', ' ', 2,   0,   0,   0},
         {'a', 'b'}),
     0},
    {{0x40, 0, 3, 0, 0, 'z', '8', '0'}, 0},
    {{0x5A, 'X', 'T', 'a', 'p', 'e', '!', 0x1A, 1, 20}, 0},
    {{0x4B, 3, 0, 0, 0, 'n', 'e', 'w'}, 0}, // an ID to come, skipped by its length
};

// Each block of the walk as "ID@offset+size", with "/data offset+size" for
// Spectrum data; then "!block what" for a fault, or "?" for no tape at all.
std::string Walk(const TBytes& image) {
    const auto stream = Stream(image);
    TTapeReader reader(*stream);
    if (reader.Kind() == tkNone)
        return "?";
    std::ostringstream text;
    while (const auto block = reader.Next()) {
        text << int{block->id} << '@' << block->offset << '+' << block->size;
        if (block->dataSize > 0)
            text << '/' << block->dataOffset << '+' << block->dataSize;
        text << ' ';
    }
    if (reader.Fault())
        text << '!' << reader.Fault()->block << ' ' << reader.Fault()->what;
    return text.str();
}

TBytes Cut(const TBytes& bytes, std::size_t size) {
    return {bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size)};
}

} // namespace

// Every block layout the format defines is walked to its end, and its data,
// where it carries any, found.
TEST(TapeReader, WalksEveryTZXBlockLayout) {
    for (const auto& [block, dataAt] : kLayouts) {
        SCOPED_TRACE(int{block[0]});
        std::ostringstream expected;
        expected << int{block[0]} << "@10+" << block.size();
        if (dataAt > 0)
            expected << '/' << 10 + dataAt << '+' << kData.size();
        expected << " 32@" << 10 + block.size() << "+3 ";
        EXPECT_EQ(Walk(Cat(Cat(kTZXFileHeader, block), {0x20, 0, 0})), expected.str());
    }
}

// Cut at every byte, an image reads as far as its whole blocks go and then
// names the block that is cut short, and by how much where its length says.
TEST(TapeReader, TruncatedImageFaultsAtTheCutBlock) {
    TBytes tzx = kTZXFileHeader;
    std::vector<std::size_t> ends;
    for (const auto& layout : kLayouts) {
        tzx = Cat(tzx, layout.block);
        ends.push_back(tzx.size());
    }
    const TBytes tap = Cat(Cat({5, 0}, kData), Cat({2, 0, 0, 0}, Cat({5, 0}, kData)));
    for (const bool isTZX : {true, false}) {
        const TBytes& whole = isTZX ? tzx : tap;
        const std::vector<std::size_t> blockEnds =
            isTZX ? ends : std::vector<std::size_t>{7, 11, 18};
        const std::string full = Walk(whole);
        for (std::size_t size = 0; size < whole.size(); ++size) {
            SCOPED_TRACE(testing::Message() << (isTZX ? "TZX " : "TAP ") << size);
            const std::string walk = Walk(Cut(whole, size));
            std::size_t block = 0;
            while (block < blockEnds.size() && blockEnds[block] <= size)
                ++block;
            const std::size_t start = block == 0 ? (isTZX ? 10 : 0) : blockEnds[block - 1];
            if (isTZX && size < 8) {
                EXPECT_EQ(walk, size == 0 ? "" : "?");
            } else if (isTZX && size < 10) {
                EXPECT_EQ(walk, "!0 cut short");
            } else if (!isTZX && size < 7) {
                EXPECT_EQ(walk, size == 0 ? "" : "?");
            } else if (size == start) {
                // Whole blocks only: the walk so far, and the image ends there.
                EXPECT_EQ(walk, full.substr(0, walk.size()));
                EXPECT_EQ(walk.find('!'), std::string::npos);
            } else {
                const std::string fault = walk.substr(walk.find('!'));
                std::string cut = "!";
                cut.append(std::to_string(block + 1)).append(" cut short");
                const std::size_t missing = blockEnds[block] - size;
                EXPECT_TRUE(fault == cut || fault == cut + " inside its length" ||
                            fault == cut + " by " + std::to_string(missing) +
                                         (missing == 1 ? " byte" : " bytes"))
                    << fault;
                EXPECT_EQ(walk.substr(0, walk.find('!')), full.substr(0, walk.find('!')));
            }
        }
    }
}

// What makes a file a TAP image, and what stops the walk of one.
TEST(TapeReader, TAPImageIsToldByItsFirstBlock) {
    const std::pair<TBytes, std::string> cases[] = {
        {{}, ""},
        {{2, 0, 0xFF, 0xFF}, "16@0+4/2+2 "},
        {Cat({5, 0}, kData), "16@0+7/2+5 "},
        {{5, 0, 0xFF, 1, 2, 3, 0xFE}, "?"}, // its checksum is wrong
        {{2, 0, 0xFF, 0xFF, 5, 0, 0xFF, 1, 2, 3, 0}, "16@0+4/2+2 16@4+7/6+5 "}, // later ones may be
        {{1, 0, 0xFF}, "?"},
        {{0, 0}, "?"},
        {{0xFF, 0xFF, 0}, "?"},
        {{0x21, 0x00, 0x40, 0xC9}, "?"},
        {{2, 0, 0xFF, 0xFF, 1, 0, 0xFF},
         "16@0+4/2+2 !2 too short for a flag and a checksum: its length is 1"},
        {{2, 0, 0xFF, 0xFF, 0, 0},
         "16@0+4/2+2 !2 too short for a flag and a checksum: its length is 0"},
        {{2, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0}, "16@0+4/2+2 !2 cut short by 65534 bytes"},
        {Cat(kTZXFileHeader, {}), ""},
        {{'Z', 'X', 'T', 'a', 'p', 'e', '!', 0x1A, 2, 0},
         "!0 of version 2.0; only version 1 is read"},
        {{'Z', 'X', 'T', 'a', 'p', 'e', '!', 0x1A, 1}, "!0 cut short"},
        {{'Z', 'X', 'T', 'a', 'p', 'e', '!', 0x1B, 1, 20}, "?"},
        {Cat(kTZXFileHeader, {0x10, 0, 0, 0xFF, 0xFF}), "!1 cut short by 65535 bytes"},
        {Cat(kTZXFileHeader, {0x19, 0xFF, 0xFF, 0xFF, 0xFF}), "!1 cut short by 4294967295 bytes"},
        {Cat(kTZXFileHeader, {0x10, 0, 0, 0, 0}), "16@10+5 "}};
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(Walk(cases[i].first), cases[i].second) << i;
}

// A block's data and checksum, read in parts, as the image holds them.
TEST(TapeReader, DataAndParityOfABlock) {
    TBytes big = {0xFF};
    for (int i = 0; i < 9000; ++i)
        big.push_back(static_cast<std::uint8_t>(i * 7));
    std::uint8_t sum = 0;
    for (const std::uint8_t byte : big)
        sum ^= byte;
    big.push_back(sum);
    const auto length = static_cast<std::uint16_t>(big.size());
    const TBytes image =
        Cat(Cat(kTZXFileHeader, {0x10, 0, 0, static_cast<std::uint8_t>(length & 0xFF),
                                 static_cast<std::uint8_t>(length >> 8)}),
            big);
    const auto stream = Stream(image);
    TTapeReader reader(*stream);
    const auto block = reader.Next();
    ASSERT_TRUE(block);
    EXPECT_EQ(reader.Data(*block), big);
    EXPECT_EQ(reader.Parity(*block), 0);
    EXPECT_EQ(reader.Read(block->offset + block->size - 1, 10), TBytes{sum});
    EXPECT_TRUE(reader.WalkToEnd());
    EXPECT_FALSE(reader.Next());
}
