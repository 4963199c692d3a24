// SPDX-License-Identifier: MIT
#include "formats/BasicLoader.h"
#include "TestSupport.h"

using namespace reelkit;
using namespace reelkit::test;

namespace {

// Statement by statement, as Debian's zmakebas -r tokenises the listing.
const TBytes kLine10 = {0x00, 0x0A};
const TBytes kClear24999 = {0xFD, 0xB0, '"', '2', '4', '9', '9', '9', '"'};
const TBytes kLoadScreen = {':', 0xEF, '"', '"', 0xAA, ':',  0xF4, 0xB0, '"', '2', '3',
                            '7', '3',  '9', '"', ',',  0xB0, '"',  '1',  '1', '1', '"'};
const TBytes kLoadCode = {':', 0xEF, '"', '"', 0xAF};
const TBytes kRun32768 = {':', 0xF9, 0xC0, 0xB0, '"', '3', '2', '7', '6', '8', '"', 0x0D};

TBytes Repeat(const TBytes& bytes, std::size_t times) {
    TBytes out;
    for (std::size_t i = 0; i < times; ++i)
        out = Cat(out, bytes);
    return out;
}

std::string Letters(const std::optional<std::vector<TLoadedBlock>>& blocks) {
    if (!blocks)
        return "(refused)";
    std::string letters;
    for (const TLoadedBlock block : *blocks)
        letters += block == lbCode ? 'C' : 'S';
    return letters;
}

} // namespace

TEST(BasicLoader, ProgramIsTheTokenisedLine) {
    const std::vector<TLoadedBlock> sc = {lbScreen, lbCode};
    const std::vector<TLoadedBlock> screens(32, lbScreen);
    const std::tuple<std::uint16_t, std::uint16_t, std::vector<TLoadedBlock>, TBytes> cases[] = {
        // 10 CLEAR VAL "24999": LOAD ""SCREEN$ : POKE VAL "23739",VAL "111": LOAD ""CODE :
        //    RANDOMIZE USR VAL "32768"
        {32768, 24999, sc,
         Cat(Cat(Cat(Cat(kLine10, {0x30, 0x00}), kClear24999), Cat(kLoadScreen, kLoadCode)),
             kRun32768)},
        // 10 CLEAR VAL "0": RANDOMIZE USR VAL "0"
        {0,
         0,
         {},
         {0x00, 0x0A, 0x0D, 0x00, 0xFD, 0xB0, '"', '0', '"', ':', 0xF9, 0xC0, 0xB0, '"', '0', '"',
          0x0D}},
        // 10 CLEAR VAL "9": LOAD ""CODE : RANDOMIZE USR VAL "65535"
        {65535, 9, {lbCode}, {0x00, 0x0A, 0x16, 0x00, 0xFD, 0xB0, '"',  '9',  '"',
                              ':',  0xEF, '"',  '"',  0xAF, ':',  0xF9, 0xC0, 0xB0,
                              '"',  '6',  '5',  '5',  '3',  '5',  '"',  0x0D}},
        // A line longer than 255 bytes: its length's high byte is used.
        {32768, 24999, screens,
         Cat(Cat(Cat(kLine10, {0xD5, 0x02}), kClear24999),
             Cat(Repeat(kLoadScreen, 32), kRun32768))}};
    for (const auto& [run, clear, blocks, program] : cases)
        EXPECT_EQ(LoaderProgram(run, clear, blocks), program) << run << " " << clear;
}

// 2977 screens make a program of 65519 bytes, 2978 one that no block holds.
TEST(BasicLoader, ProgramFitsOneBlockOrIsRefused) {
    const std::pair<std::size_t, std::string> cases[] = {
        {2977, "65519"}, {2978, "File to add to image is too large"}};
    for (const auto& [screens, outcome] : cases) {
        std::string size;
        const std::string refusal = FailureOf([&, count = screens] {
            size = std::to_string(LoaderProgram(32768, 24999, std::vector(count, lbScreen)).size());
        });
        EXPECT_EQ(size.empty() ? refusal : size, outcome) << screens;
    }
}

TEST(BasicLoader, BlocksWord) {
    const std::pair<std::string, std::string> cases[] = {
        {"C", "C"},
        {"s", "S"},
        {"cSsC", "CSSC"},
        {std::string(32, 'S'), std::string(32, 'S')},
        {std::string(33, 'c'), "(refused)"},
        {"", "(refused)"},
        {"CX", "(refused)"},
        {"C ", "(refused)"},
        {"1", "(refused)"},
        {"\xC3\x87", "(refused)"}};
    for (const auto& [word, letters] : cases)
        EXPECT_EQ(Letters(LoadedBlocks(word)), letters) << word;
}
