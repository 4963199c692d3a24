// SPDX-License-Identifier: MIT
#include "formats/BasicListing.h"
#include "TestSupport.h"

using namespace reelkit;
using namespace reelkit::test;

namespace {

// A line as the ROM frames it: number, length, body.
TBytes Line(std::uint16_t number, const TBytes& body, std::size_t extra = 0) {
    const std::size_t length = body.size() + extra;
    return Cat({std::uint8_t(number >> 8), std::uint8_t(number), std::uint8_t(length),
                std::uint8_t(length >> 8)},
               body);
}

std::string Listed(const TBytes& program) {
    std::string text;
    for (const std::string& line : ListProgram(program))
        text += line + '\n';
    return text;
}

} // namespace

// Each line's body as listbasic lists it, line 10.
TEST(BasicListing, LineListsAsListbasic) {
    TBytes keywords;
    for (int code = 0xA3; code <= 0xFF; ++code)
        keywords.push_back(std::uint8_t(code));
    const std::pair<TBytes, std::string> cases[] = {
        {{'a', '\\', 'Z', 0x7F, '"', '~', 0x0D}, "a\\\\Z\\*\"~"},
        {{0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E,
          0x8F, 0x90, 0xA2},
         "\\  \\ '\\' \\''\\ .\\ :\\'.\\':\\. \\.'\\: \\:'\\..\\.:\\:.\\::\\a\\s"},
        {keywords,
         " SPECTRUM PLAY RNDINKEY$PIFN POINT SCREEN$ ATTR AT TAB VAL$ CODE VAL LEN SIN COS TAN "
         "ASN ACS ATN LN EXP INT SQR SGN ABS PEEK IN USR STR$ CHR$ NOT BIN OR AND <=>=<> LINE "
         "THEN TO STEP DEF FN CAT FORMAT MOVE ERASE OPEN # CLOSE # MERGE VERIFY BEEP CIRCLE INK "
         "PAPER FLASH BRIGHT INVERSE OVER OUT LPRINT LLIST STOP READ DATA RESTORE NEW BORDER "
         "CONTINUE DIM REM FOR GO TO GO SUB INPUT LOAD LIST LET PAUSE NEXT POKE PRINT PLOT RUN "
         "SAVE RANDOMIZE IF CLS DRAW CLEAR RETURN COPY "},
        // Keyword spacing: no leading space after a space byte or a keyword's trailing one.
        {{0xF5, 0xC5, 0xC5, 0x0D}, " PRINT OR OR "},
        {{0xF5, ' ', 0xC5, ' ', 'x', 0x0D}, " PRINT  OR  x"},
        {{' ', ' ', 0xF5}, "  PRINT "},
        {{0xC7, 0xF5}, "<= PRINT "},
        {{0xF5, 0xA5, 0xA5, 0xA7, 0xD3, 'x'}, " PRINT RNDRNDPI OPEN #x"},
        {{0xEF, '"', '"', 0xAA, ':', 0xF4}, " LOAD \"\"SCREEN$ : POKE "},
        {{0xB0, '"', '1', '"'}, "VAL \"1\""},
        {{0x80, 0xF5}, "\\   PRINT "},
        // Control codes print nothing and keep the space before them.
        {{' ', 0x01, 0xF5, 0x10, 'x', 'y', 0x16, 1, 2, 'z', 0x0D, 'w'}, " PRINT yzw"},
        {{'1', 0x0E, 0, 0, 1, 0, 0, '2', 0x0E, 'a'}, "12"},
        // 0xA3 and 0xA4 between quotes are UDGs; quotes after REM do not count.
        {{'"', 0xA3, '"', 0xA4}, "\"\\t\" PLAY "},
        {{0xEA, '"', 0xA4, '"', 0xF5, 0xA3}, " REM \" PLAY \" PRINT SPECTRUM "}};
    for (const auto& [body, text] : cases)
        EXPECT_EQ(Listed(Line(10, body)), "   10" + text + '\n') << text;
}

TEST(BasicListing, ProgramStopsWhereListbasicStops) {
    const TBytes a = Line(1, {'A', 0x0D});
    const std::pair<TBytes, std::string> cases[] = {
        {{}, ""},
        {Cat(Line(16383, {'A'}), Line(0, {'B'})), "16383A\n    0B\n"},
        {Cat(a, Line(16384, {'B'})), "    1A\n"},
        {Cat(a, {0, 2, 1}), "    1A\n"},
        {Cat(a, {0, 2, 1, 0}), "    1A\n    2\n"},
        // A cut line lists what is there; a skip ends with its line.
        {Line(7, {0xF5, 'x'}, 5), "    7 PRINT x\n"},
        {Cat(Line(3, {'A', 0x0E, 1}), a), "    3A\n    1A\n"},
        {Cat(Line(3, {'A', 0x16}), a), "    3A\n    1A\n"},
        {Cat(Line(3, {}), a), "    3\n    1A\n"}};
    for (const auto& [program, listing] : cases)
        EXPECT_EQ(Listed(program), listing) << listing;
}

// Every cut of a program lists the lines whose four framing bytes are there,
// each a beginning of the whole program's line.
TEST(BasicListing, TruncatedProgramListsCleanly) {
    // 10 PRINT "\a"; 1.5: REM x  /  20 LOAD ""CODE 32768
    const TBytes program = Cat(
        Line(10, {0xF5, '"', 0x90, '"', ';', '1', '.', '5', 0x0E, 0x81, 0x40, 0, 0, 0, ':', 0xEA,
                  'x', 0x0D}),
        Line(20, {0xEF, '"', '"', 0xAF, '3', '2', '7', '6', '8', 0x0E, 0, 0, 0, 0x80, 0, 0x0D}));
    const std::vector<std::string> whole = ListProgram(program);
    ASSERT_EQ(whole, (std::vector<std::string>{"   10 PRINT \"\\a\";1.5: REM x",
                                               "   20 LOAD \"\"CODE 32768"}));
    for (std::size_t size = 0; size <= program.size(); ++size) {
        const auto cut = ListProgram(std::span(program).first(size));
        ASSERT_EQ(cut.size(), std::size_t{size >= 4} + std::size_t{size >= 26}) << size;
        for (std::size_t i = 0; i < cut.size(); ++i)
            EXPECT_EQ(whole[i].substr(0, cut[i].size()), cut[i]) << size;
    }
}
