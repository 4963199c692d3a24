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
const TBytes kRestore = {':', 0xF4, 0xB0, '"', '2', '3', '7', '3', '9',
                         '"', ',',  0xB0, '"', '2', '4', '4', '"'};
const TBytes kRun32768 = {':', 0xF9, 0xC0, 0xB0, '"', '3', '2', '7', '6', '8', '"', 0x0D};

// POKE VAL "23388",VAL "b": OUT VAL "32765",VAL "b", b = 16 + the bank.
TBytes Page(std::string_view b) {
    const TBytes value = Cat(Cat({0xB0, '"'}, TBytes(b.begin(), b.end())), {'"'});
    return Cat(Cat({':', 0xF4, 0xB0, '"', '2', '3', '3', '8', '8', '"', ','}, value),
               Cat({':', 0xDF, 0xB0, '"', '3', '2', '7', '6', '5', '"', ','}, value));
}
// Bank 0 paged back.
const TBytes kPageBack = Page("16");
// A bank's LOAD ""CODE, after its paging.
TBytes Bank(std::string_view b) {
    return Cat(Page(b), kLoadCode);
}

// Line 10 holding the statements, its length in front.
TBytes Line10(std::initializer_list<TBytes> statements) {
    TBytes line;
    for (const TBytes& statement : statements)
        line = Cat(line, statement);
    const auto size = static_cast<std::uint8_t>(line.size());
    return Cat({0x00, 0x0A, size, static_cast<std::uint8_t>(line.size() >> 8)}, line);
}

TBytes Repeat(const TBytes& bytes, std::size_t times) {
    TBytes out;
    for (std::size_t i = 0; i < times; ++i)
        out = Cat(out, bytes);
    return out;
}

std::string Letters(const TBlocksWord& word) {
    if (word.refusal != brNone)
        return word.refusal == brWord ? "(refused)" : word.refusal == brBank2 ? "(2)" : "(5)";
    std::string letters;
    for (const TLoadedBlock block : word.blocks)
        letters += block == lbCode ? 'C' : block == lbScreen ? 'S' : static_cast<char>('0' + block);
    return letters;
}

} // namespace

TEST(BasicLoader, ProgramIsTheTokenisedLine) {
    const std::vector<TLoadedBlock> sc = {lbScreen, lbCode};
    const std::vector<TLoadedBlock> screens(32, lbScreen);
    const std::vector<TLoadedBlock> banks(32, lbBank7);
    const std::tuple<std::uint16_t, std::uint16_t, std::vector<TLoadedBlock>, TBytes> cases[] = {
        // 10 CLEAR VAL "24999": LOAD ""SCREEN$ : POKE VAL "23739",VAL "111": LOAD ""CODE :
        //    POKE VAL "23739",VAL "244": RANDOMIZE USR VAL "32768"
        {32768, 24999, sc,
         Cat(Cat(Cat(Cat(kLine10, {0x41, 0x00}), kClear24999), Cat(kLoadScreen, kLoadCode)),
             Cat(kRestore, kRun32768))},
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
         Cat(Cat(Cat(kLine10, {0xE6, 0x02}), kClear24999),
             Cat(Cat(Repeat(kLoadScreen, 32), kRestore), kRun32768))},
        // Banks: each paged in for its LOAD ""CODE, bank 0 paged back after the last,
        // whatever follows it; the screen's output given back at the end.
        {32768, 24999, {lbBank7}, Line10({kClear24999, Bank("23"), kPageBack, kRun32768})},
        {32768,
         24999,
         {lbScreen, lbCode, lbBank1, lbBank3, lbBank4, lbBank6},
         Line10({kClear24999, kLoadScreen, kLoadCode, Bank("17"), Bank("19"), Bank("20"),
                 Bank("22"), kPageBack, kRestore, kRun32768})},
        {32768,
         24999,
         {lbBank1, lbCode, lbBank0, lbScreen},
         Line10({kClear24999, Bank("17"), kLoadCode, Bank("16"), kPageBack, kLoadScreen, kRestore,
                 kRun32768})},
        {32768,
         24999,
         {lbCode, lbBank3, lbCode},
         Line10({kClear24999, kLoadCode, Bank("19"), kPageBack, kLoadCode, kRun32768})},
        // 32 banks: a line of 1241 bytes, which one block holds with room to spare.
        {32768, 24999, banks,
         Cat(Cat(Cat(kLine10, {0xD5, 0x04}), kClear24999),
             Cat(Cat(Repeat(Bank("23"), 32), kPageBack), kRun32768))}};
    for (const auto& [run, clear, blocks, program] : cases)
        EXPECT_EQ(LoaderProgram(run, clear, blocks), program)
            << run << " " << clear << " " << blocks.size();
}

// 2976 screens make a program of 65514 bytes, 2977 one that no block holds.
TEST(BasicLoader, ProgramFitsOneBlockOrIsRefused) {
    const std::pair<std::size_t, std::string> cases[] = {
        {2976, "65514"}, {2977, "File to add to image is too large"}};
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
        {"013467", "013467"},
        {"S1c7", "S1C7"},
        {std::string(32, 'S'), std::string(32, 'S')},
        {std::string(33, 'c'), "(refused)"},
        {"", "(refused)"},
        {"CX", "(refused)"},
        {"C ", "(refused)"},
        {"8", "(refused)"},
        {"9", "(refused)"},
        {"2", "(2)"},
        {"5", "(5)"},
        {"C52s", "(5)"},
        {"12", "(2)"},
        {"2X", "(refused)"},
        {"X5", "(refused)"},
        {"2" + std::string(32, 'C'), "(refused)"},
        {std::string(32, '1'), std::string(32, '1')},
        {"\xC3\x87", "(refused)"}};
    for (const auto& [word, letters] : cases)
        EXPECT_EQ(Letters(LoadedBlocks(word)), letters) << word;
}
