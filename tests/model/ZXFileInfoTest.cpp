// SPDX-License-Identifier: MIT
#include "TestSupport.h"

using namespace reelkit;
using namespace reelkit::test;

namespace {

const std::string kNone = "(none)";
const std::string kType =
    "An attempt to read or write a file property that is not supported by this file type";
const std::string kLonger = "Length of basic program cannot be greater that line length";
const std::string kNonLetter = "An attempt to set non-letter name to an array";

} // namespace

TEST(ZXFileInfo, EachFieldOnlyUnderItsTypes) {
    // allowed: one bit per TZXFileType value; then the operation's outcome.
    const struct {
        unsigned allowed;
        void (*operation)(IZXFileInfo&);
        std::string whenAllowed = kNone;
    } operations[] = {{0b00110, [](IZXFileInfo& i) { i.GetArrayName(); }},
                      {0b00110, [](IZXFileInfo& i) { i.SetArrayName('1'); }, kNonLetter},
                      {0b00001, [](IZXFileInfo& i) { i.GetAutoStartLine(); }},
                      {0b00001, [](IZXFileInfo& i) { i.SetAutoStartLine(0); }},
                      {0b00001, [](IZXFileInfo& i) { i.GetProgramLength(); }},
                      {0b00001, [](IZXFileInfo& i) { i.SetProgramLength(1); }},
                      {0b01000, [](IZXFileInfo& i) { i.GetStartAddress(); }},
                      {0b01000, [](IZXFileInfo& i) { i.SetStartAddress(1); }},
                      {0b10000, [](IZXFileInfo& i) { i.SetFileType(zftCode); }},
                      {0b01111, [](IZXFileInfo& i) { i.SetLength(1); }},
                      {0b01111, [](IZXFileInfo& i) { i.SetName("x"); }},
                      {0b11111, [](IZXFileInfo& i) { Describe(i); }}};
    for (int type = zftProgram; type <= zftUndefined; ++type)
        for (std::size_t op = 0; op < std::size(operations); ++op) {
            TZXFileInfo info(static_cast<TZXFileType>(type));
            const auto& [allowed, operation, whenAllowed] = operations[op];
            EXPECT_EQ(FailureOf<EAppException>([&, run = operation] { run(info); }),
                      (allowed >> type & 1) ? whenAllowed : kType)
                << "operation " << op << " under type " << type;
        }
    TZXFileInfo fresh(zftUndefined);
    EXPECT_EQ(Describe(fresh), "U '' 0");
}

TEST(ZXFileInfo, ProgramLengthNeverAboveAnEarlierLength) {
    // 'L' SetLength, 'P' SetProgramLength, in turn on a new program header.
    const std::pair<std::vector<std::pair<char, std::uint16_t>>, std::string> cases[] = {
        {{{'L', 100}}, "B '' 100 auto 32768 prog 100"},
        {{{'L', 100}, {'P', 100}}, "B '' 100 auto 32768 prog 100"},
        {{{'L', 100}, {'P', 101}}, kLonger + " / B '' 100 auto 32768 prog 100"},
        {{{'P', 50}, {'P', 60}}, kLonger + " / B '' 50 auto 32768 prog 50"},
        {{{'P', 30}, {'L', 100}}, "B '' 100 auto 32768 prog 30"},
        {{{'L', 100}, {'L', 40}}, "B '' 40 auto 32768 prog 100"}};
    for (const auto& [steps, outcome] : cases) {
        TZXFileInfo info(zftProgram);
        std::string failure = kNone;
        for (const auto& [step, value] : steps)
            if (failure == kNone)
                failure = FailureOf<EAppException>([&, s = step, v = value] {
                    s == 'L' ? info.SetLength(v) : info.SetProgramLength(v);
                });
        EXPECT_EQ((failure == kNone ? "" : failure + " / ") + Describe(info), outcome);
    }
}

TEST(ZXFileInfo, ArrayNameIsALetterKeptAsGiven) {
    for (const char name : std::string("aAzZ1@[`{\xE1")) {
        TZXFileInfo info(zftNumberArray);
        info.SetArrayName('q');
        const bool letter = std::string("aAzZ").find(name) != std::string::npos;
        EXPECT_EQ(FailureOf<EAppException>([&] { info.SetArrayName(name); }),
                  letter ? kNone : kNonLetter);
        EXPECT_EQ(info.GetArrayName(), letter ? name : 'q');
    }
}

TEST(ZXFileInfo, LoadFromArguments) {
    const std::string kUsage = "usage: ",
                      kConvert3 = "Unable to convert argument 3 to integer number";
    const std::string kLetter = "Not allowed type of header";
    const struct {
        std::vector<std::string> arguments;
        std::optional<std::uint16_t> length;
        std::string outcome;
    } cases[] = {
        {{"NAME", "B", "100"}, {}, "B 'NAME' 100 auto 32768 prog 100"},
        {{"a name", "b", "100", "10", "80", "5"}, {}, "B 'a name' 100 auto 10 prog 80 +more"},
        {{"run", "B", "100", "10", "101"}, {}, kLonger},
        {{"run", "B"}, {}, kUsage + "Invalid command line argument count"},
        {{"arr", "n", "10", "a"}, {}, "N 'arr' 10 array a"},
        {{"s", "$", "3", "Z"}, {}, "$ 's' 3 array Z"},
        {{"s", "$", "3", "1"}, {}, kNonLetter},
        {{"s", "N", "3", "ab"}, {}, kUsage + "Argument 4 must be a single charachter"},
        {{"s", "N", "abc", "1"}, {}, kUsage + kConvert3},
        {{"c", "c", "$8000", "5"}, {}, "C 'c' 5 at 32768"},
        {{"c", "C", "abc", "5"}, {}, kUsage + kConvert3},
        {{"x", "Q", "abc"}, {}, kLetter},
        {{"x", "1", "abc"}, {}, kLetter},
        {{"x", "BB", "1"}, {}, kUsage + "Argument 2 must be a single charachter"},
        {{"f", "B"}, 300, "B 'f' 300 auto 32768 prog 300"},
        {{"f", "b", "1", "2"}, 10, "B 'f' 10 auto 1 prog 2"},
        {{"f", "B", "1", "20"}, 10, kLonger},
        {{"f", "$", "q"}, 4, "$ 'f' 4 array q"},
        {{"f", "C", "16384", "9"}, 7, "C 'f' 7 at 16384 +more"}};
    for (const auto& [arguments, length, outcome] : cases) {
        TCommandLineHelper reader(arguments);
        std::string got;
        try {
            TZXFileInfo info = length ? TZXFileInfo(reader, *length) : TZXFileInfo(reader);
            got = Describe(info) + (reader.HasMoreArguments() ? " +more" : "");
        } catch (const ECommandLineFormatException& e) {
            got = kUsage + e.Message();
        } catch (const EAppException& e) {
            got = e.Message();
        }
        EXPECT_EQ(got, outcome) << arguments[0] << ' ' << arguments[1];
    }
}
