// SPDX-License-Identifier: MIT
#include "formats/LoaderCheck.h"
#include "TestSupport.h"
#include "formats/BasicLoader.h"
#include "formats/BasicTokens.h"

using namespace reelkit;
using namespace reelkit::test;
using namespace std::string_literals;

namespace {

bool Letter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// A line as the ROM stores it: a keyword as its token (the longest that
// matches at a word's start) without the spaces around it, a whole number as its digits, 0x0E and
// 00 00 lo hi 00; strings, and digits already followed by 0x0E, as written.
TBytes Line(std::uint16_t number, std::string_view text) {
    TBytes body;
    bool quoted = false;
    for (std::size_t at = 0; at < text.size();) {
        const char c = text[at];
        std::size_t code = 0;
        for (std::size_t k = 0;
             !quoted && (at == 0 || !Letter(text[at - 1])) && k < kKeywords.size(); ++k)
            if (Letter(kKeywords[k][0]) && text.substr(at).starts_with(kKeywords[k]) &&
                (!code || kKeywords[k].size() > kKeywords[code - btSpectrum].size()))
                code = btSpectrum + k;
        std::size_t digits = 0;
        while (!quoted && at + digits < text.size() && text[at + digits] >= '0' &&
               text[at + digits] <= '9')
            ++digits;
        if (code) { // the ROM keeps no space around a keyword
            if (!body.empty() && body.back() == ' ')
                body.pop_back();
            at += KeywordText(std::uint8_t(code)).size();
            at += at < text.size() && text[at] == ' ';
            body.push_back(std::uint8_t(code));
        } else if (digits && (at + digits == text.size() || text[at + digits] != '\x0E')) {
            const int value = std::stoi(std::string(text.substr(at, digits)));
            body.insert(body.end(), text.begin() + at, text.begin() + at + digits);
            body = Cat(body, {0x0E, 0, 0, std::uint8_t(value), std::uint8_t(value >> 8), 0});
            at += digits;
        } else {
            quoted = quoted != (c == '"');
            body.push_back(std::uint8_t(c));
            ++at;
        }
    }
    body.push_back(0x0D);
    return Cat({std::uint8_t(number >> 8), std::uint8_t(number), std::uint8_t(body.size()),
                std::uint8_t(body.size() >> 8)},
               body);
}

TFollowingFile Code(int block, std::uint16_t start, std::uint16_t length = 100) {
    return {block, 3, std::string(1, 'f').append(std::to_string(block)), start, length};
}

// "sound", "not checked: why", or each fault as "block: text", one a line.
std::string Outcome(const TBytes& program, const std::vector<TFollowingFile>& files) {
    const TLoaderCheck check = CheckLoader(program, 1, files);
    if (!check.notChecked.empty())
        return "not checked: " + check.notChecked;
    std::string text;
    for (const TLoaderFault& fault : check.faults)
        text += std::to_string(fault.block) + ": " + fault.text + "\n";
    return text.empty() ? "sound" : text;
}

const std::string kLoad = "CLEAR 24999: LOAD \"\"CODE: RANDOMIZE USR 32768";
// The 128K form: bank 1 paged in for its file, bank 0 paged back.
const std::string kBanks =
    "CLEAR VAL \"24999\": POKE VAL \"23388\",VAL \"17\": OUT VAL \"32765\",VAL \"17\": "
    "LOAD \"\"CODE : POKE VAL \"23388\",VAL \"16\": OUT VAL \"32765\",VAL \"16\": LOAD "
    "\"\"SCREEN$ : POKE VAL \"23739\",VAL \"111\": LOAD \"\"CODE : POKE VAL \"23739\",VAL "
    "\"244\": RANDOMIZE USR VAL \"";
const TFollowingFile kScreen = {5, 3, "scr", 16384, 6912};

} // namespace

// zmakebas -r of "10 CLEAR 24999: LOAD ""CODE: RANDOMIZE USR 32768", and
// every loader +l writes, with the files it is written for, are sound.
TEST(LoaderCheck, LoadersReelkitAndZmakebasWriteAreSound) {
    const TBytes zmakebas = {0x00, 0x0A, 0x20, 0x00, 0xFD, '2',  '4',  '9',  '9',
                             '9',  0x0E, 0x00, 0x00, 0xA7, 0x61, 0x00, ':',  0xEF,
                             '"',  '"',  0xAF, ':',  0xF9, 0xC0, '3',  '2',  '7',
                             '6',  '8',  0x0E, 0x00, 0x00, 0x00, 0x80, 0x00, 0x0D};
    EXPECT_EQ(zmakebas, Line(10, kLoad));
    EXPECT_EQ(Outcome(zmakebas, {Code(3, 32768)}), "sound");
    for (const std::string word : {"C", "SC", "CS", "SCC", "CSCS"}) {
        std::vector<TFollowingFile> files;
        for (const char letter : word)
            files.push_back(letter == 'S'
                                ? TFollowingFile{int(files.size() * 2 + 3), 3, "scr", 16384, 6912}
                                : Code(int(files.size() * 2 + 3), 25000, 8000));
        const TBytes loader = LoaderProgram(25000, 24999, LoadedBlocks(word).blocks);
        EXPECT_EQ(Outcome(loader, files), "sound") << word;
    }
    EXPECT_EQ(
        Outcome(Line(10, kBanks + "50000\""), {Code(3, 49152, 16384), kScreen, Code(7, 24999)}),
        "7: \"f7\" loads at 24999, not above CLEAR 24999\n"
        "1: RANDOMIZE USR 50000 is in no file loaded into bank 0, the bank paged at the USR\n");
    EXPECT_EQ(
        Outcome(Line(10, kBanks + "25000\""), {Code(3, 49152, 16384), kScreen, Code(7, 25000)}),
        "sound");
}

TEST(LoaderCheck, RulesGiveTheirFaults) {
    const std::tuple<std::string, std::vector<TFollowingFile>, std::string> cases[] = {
        // The five-byte value counts, rounded half up; not the digits shown.
        {"CLEAR 1\x0E\x00\x00\xA7\x61\x00: LOAD \"\"CODE"s,
         {Code(3, 24999)},
         "3: \"f3\" loads at 24999, not above CLEAR 24999\n"},
        {"RANDOMIZE USR 1\x0E\x8F\x7F\xFF\x00\x00: RANDOMIZE USR 1\x0E\x90\x00\x00\x66\x66"s,
         {},
         "1: RANDOMIZE USR 32768 is in no file the loader loads\n"
         "1: RANDOMIZE USR 32768 is in no file the loader loads\n"},
        {"RANDOMIZE USR 1\x0E\x90\x80\x00\x00\x00"s,
         {},
         "1: RANDOMIZE USR -32768 is out of range, 0 to 65535\n"},
        {"LOAD \"\"CODE: LOAD \"\"CODE",
         {{3, 1, "a", 0, 5}, Code(5, 32768)},
         "3: LOAD \"\"CODE finds Number array \"a\", not code\n"},
        {"LOAD \"\"CODE",
         {Code(3, 32768), {5, 9, "b", 0, 5}},
         "1: the loader loads 1 file, 2 follow it\n"},
        {"LOAD \"\"CODE: LOAD \"\"CODE",
         {Code(3, 32768)},
         "1: the loader loads 2 files, 1 follows it\n"},
        {"LOAD \"\"SCREEN$",
         {Code(3, 32768, 6000)},
         "3: LOAD \"\"SCREEN$ finds \"f3\", 6000 bytes at 32768: a screen is 6912 bytes at "
         "16384\n"},
        {"CLEAR 24999: LOAD \"\"CODE 16384: LOAD \"\"CODE",
         {Code(3, 0, 6912), Code(5, 16384, 8000)},
         "5: \"f5\" loads at 16384, not above CLEAR 24999\n"},
        {"CLEAR 30000: LOAD \"\"CODE: CLEAR 40000",
         {Code(3, 35000)},
         "3: \"f3\" loads at 35000, not above CLEAR 40000\n"},
        {"LOAD \"\"CODE 65500", {Code(3, 0)}, "3: \"f3\" ends at 65600, past 65536\n"},
        // 0 is no value: the file's own start, and any length.
        {"LOAD \"\"CODE 0,0: RANDOMIZE USR 32768", {Code(3, 32768)}, "sound"},
        {"CLEAR 24999: LOAD \"\"CODE 0",
         {Code(3, 24000)},
         "3: \"f3\" loads at 24000, not above CLEAR 24999\n"},
        {"LOAD \"\"CODE 32768,99: RANDOMIZE USR 32867",
         {Code(3, 0)},
         "3: LOAD \"\"CODE 32768,99 finds \"f3\", 100 bytes: more than 99\n"},
        {"LOAD \"\"CODE 32768,100: RANDOMIZE USR 32868",
         {Code(3, 0)},
         "1: RANDOMIZE USR 32868 is in no file the loader loads\n"},
        {"RANDOMIZE USR 0: RANDOMIZE USR 23755: RANDOMIZE USR 23790: REM code", {}, "sound"},
        {"RANDOMIZE USR 23773", {}, "1: RANDOMIZE USR 23773 is in no file the loader loads\n"},
        {"RANDOMIZE USR 32768: LOAD \"\"CODE",
         {Code(3, 32768)},
         "1: RANDOMIZE USR 32768 runs before \"f3\" is loaded\n"},
        // 128K paging: the CLEAR in effect, each file's bank, the bank at the USR.
        {"CLEAR 50000: OUT 32765,19",
         {},
         "1: CLEAR 50000 is not below 49152, where the loader pages 128K banks\n"},
        {"OUT 32765,16: OUT 32765,3",
         {},
         "1: the loader pages 128K banks with no CLEAR below 49152\n"},
        // CLEAR 0 leaves RAMTOP where it was.
        {"CLEAR 0: OUT 32765,19", {}, "1: the loader pages 128K banks with no CLEAR below 49152\n"},
        {"CLEAR 24999: CLEAR 0: OUT 32765,19", {}, "sound"},
        {"CLEAR 49151: OUT 32765,3: LOAD \"\"CODE: OUT 32765,4: RANDOMIZE USR 49152",
         {Code(3, 49152)},
         "1: RANDOMIZE USR 49152 is in no file loaded into bank 4, the bank paged at the USR\n"},
        {"CLEAR 49151: OUT 32765,35: LOAD \"\"CODE: OUT 32765,4: RANDOMIZE USR 49152",
         {Code(3, 49152)},
         "sound"},
        {"OUT 32764,3: LOAD \"\"CODE: RANDOMIZE USR 49152", {Code(3, 49152)}, "sound"},
        // A value out of range stops the Spectrum, and the check.
        {"BORDER 8: LOAD \"\"CODE", {Code(3, 32768)}, "1: BORDER 8 is out of range, 0 to 7\n"},
        {"BRIGHT 2", {}, "1: BRIGHT 2 is not 0, 1 or 8\n"},
        {"POKE 23739,256", {}, "1: POKE value 256 is out of range, -255 to 255\n"},
        {"PRINT AT 22,0", {}, "1: AT line 22 is out of range, 0 to 21\n"},
        {"BORDER 0: PAPER 9: INK 0: BRIGHT 8: CLS: POKE 1,255: OUT 254,0: PRINT AT 21, 31;"
         "\"a\"\"b\",TAB 40'VAL \"7\";\x10\x05 BIN 101\x0E\x00\x00\x05\x00\x00;;: CLEAR: REM !"s,
         {},
         "sound"}};
    for (const auto& [text, files, outcome] : cases)
        EXPECT_EQ(Outcome(Line(10, text), files), outcome) << text;
}

TEST(LoaderCheck, OtherProgramsAreNotChecked) {
    const TBytes cls = Line(10, "CLS");
    const std::pair<TBytes, std::string> cases[] = {
        {{}, "the program has no lines"},
        {Cat(Line(10, "BORDER 9: REM"), Line(20, "GO TO 10")), "line 20 holds GO TO"},
        {Line(10, "PRINT a"), "line 10 holds a variable"},
        {Line(10, "PRINT \"a\" \"b\""), "line 10 holds a string"},
        {Line(10, "RANDOMIZE 5"), "line 10 holds a number"},
        {Line(10, "PRINT +"), "line 10 holds \"+\""},
        {Line(10, "PRINT INK 2"), "line 10 holds INK"},
        {Line(10, "LOAD \"x\"CODE"), "line 10 holds a named LOAD"},
        {Line(10, "LOAD \"\""), "line 10 holds LOAD \"\" of a program"},
        {Line(10, "LOAD \"\"DATA"), "line 10 holds DATA"},
        {Line(10, "POKE 1"), "line 10 holds an unfinished POKE"},
        {Line(10, "PRINT \"abc"), "line 10 holds an unfinished PRINT"},
        {Line(10, "POKE VAL \"1+2\",1"), "line 10 holds VAL \"1+2\""},
        {Line(10, "POKE VAL \"\",1"), "line 10 holds VAL \"\""},
        {Line(10, "CLEAR 1\x0E\x00\x01\x00\x00\x00"s), "line 10 holds a number in an unknown form"},
        {Line(10, "CLEAR ."), "line 10 holds a number in an unknown form"},
        {Line(10, "CLS\x10"), "line 10 is cut short"},
        {TBytes(cls.begin(), cls.end() - 1), "line 10 is cut short"}};
    for (const auto& [program, why] : cases)
        EXPECT_EQ(Outcome(program, {Code(3, 32768)}), "not checked: " + why) << why;
}
