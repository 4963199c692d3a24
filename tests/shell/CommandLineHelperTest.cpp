// SPDX-License-Identifier: MIT
#include "TestSupport.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace reelkit;
using namespace reelkit::test;

namespace {

// What the reader's typed take of argument 2 gives: the value or the refusal.
template <class F> std::string Take(const std::string& text, F take) {
    TCommandLineHelper reader({"+x", text});
    reader.NextArgument();
    std::string value;
    const auto refusal = FailureOf<ECommandLineFormatException>([&] { value = take(reader); });
    return value.empty() ? refusal : value;
}

} // namespace

TEST(CommandLineHelper, NumberSyntax) {
    const std::pair<std::string, std::vector<const char*>> cases[] = {
        {"255",
         {"255", "$FF", "xFF", "XFF", "0xff", "0XFF", "#ff", "#FF", "  $ff", "+$FF",
          "$000000000FF"}},
        {"7", {"+7", " 7", "007", "#00000000007"}},
        {"0", {"-0", "0", "-$0"}},
        {"65535", {"65535", "$FFFF", "#FFFF", "0xFFFF"}},
        {"1", {"-$FFFFFFFF"}}, // the pattern reads as -1 before the sign negates it
        {"Argument 2 out of range (0 - 65536)",
         {"65536", "-1", "-$1", "-x1", "$FFFFFFFF", "#10000", "-2147483648", "2147483647",
          "$80000000", "#80000000"}},
        {"Unable to convert argument 2 to integer number",
         {"2147483648", "-2147483649", "$123456789", "#-1",  "#",    "$",    "0x",  "0X",
          "X",          "x",           "7 ",         "1e3",  "#$FF", " #FF", "- 5", "\t7",
          "0xZZ",       "0x-1",        "x-1",        "$ FF", "+",    "--1",  "0#1", "#+1"}}};
    for (const auto& [outcome, texts] : cases)
        for (const char* text : texts)
            EXPECT_EQ(Take(text, [](auto& r) { return std::to_string(r.NextNumberArgument()); }),
                      outcome)
                << '"' << text << '"';
}

TEST(CommandLineHelper, TakesLeftToRightCountingFromTheSwitch) {
    const std::string kCount = "Invalid command line argument count";
    TCommandLineHelper reader({"", "+h", "", "ab", "70000", "b", "", "1", ""});
    const auto refusal = [&](auto take) {
        return FailureOf<ECommandLineFormatException>([&] { take(reader); });
    };
    EXPECT_EQ(reader.NextArgument(), "+h");
    EXPECT_EQ(refusal([](auto& r) { r.NextCharArgument(); }),
              "Argument 2 must be a single charachter");
    EXPECT_EQ(refusal([](auto& r) { r.NextNumberArgument(); }),
              "Argument 3 out of range (0 - 65536)");
    EXPECT_EQ(reader.NextCharArgument(), 'b');
    EXPECT_EQ(refusal([](auto& r) { r.CheckNoMoreArguments(); }), kCount);
    EXPECT_EQ(reader.NextNumberArgument(), 1);
    EXPECT_FALSE(reader.HasMoreArguments());
    reader.CheckNoMoreArguments();
    EXPECT_EQ(refusal([](auto& r) { r.NextArgument(); }), kCount);
    EXPECT_EQ(refusal([](auto& r) { r.NextCharArgument(); }), kCount);
    EXPECT_EQ(refusal([](auto& r) { r.NextNumberArgument(); }), kCount);
    EXPECT_EQ(refusal([](auto& r) { r.NextFileArgument(); }), kCount);
}

// Once empty arguments count, each is refused at its own position; the ones
// before that point are still dropped.
TEST(CommandLineHelper, EmptyArgumentsCountOnceReported) {
    TCommandLineHelper reader({"", "+l", "", "a", "", ""});
    EXPECT_EQ(reader.NextArgument(), "+l");
    reader.ReportEmptyArguments();
    const auto next = [&] {
        return FailureOf<ECommandLineFormatException>([&] { reader.NextArgument(); });
    };
    EXPECT_EQ(next(), "Argument 2 is empty");
    EXPECT_EQ(reader.NextArgument(), "a");
    EXPECT_EQ(reader.Position(), 3);
    EXPECT_TRUE(reader.HasMoreArguments());
    EXPECT_EQ(next(), "Argument 4 is empty");
    EXPECT_EQ(next(), "Argument 5 is empty");
    EXPECT_EQ(next(), "Invalid command line argument count");
}

#ifndef _WIN32
class FileArgumentTest : public TTempDirTest {};

TEST_F(FileArgumentTest, ExistingRegularFileAsFullPath) {
    namespace fs = std::filesystem;
    const fs::path old = fs::current_path();
    fs::current_path(FDir);
    WriteBytes("b", {1});
    fs::create_directories("a/dir");
    fs::create_symlink("b", "link");
    fs::create_symlink("nowhere", "dangling");
    fs::create_symlink("a/dir", "dirlink");
    EXPECT_EQ(::mkfifo("fifo", 0600), 0);
    const std::string cwd = fs::current_path().string();
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {cwd + "/b", {"b", "./a/../b", "a/../nowhere/../b", cwd + "/./b"}},
        {cwd + "/link", {"link"}},
        {"Specified in agrument 2 file is not found",
         {"b/", "a/dir", "dirlink", "fifo", "missing", "dangling"}}};
    for (const auto& [outcome, names] : cases)
        for (const auto& name : names)
            EXPECT_EQ(Take(name, [](auto& r) { return r.NextFileArgument(); }), outcome) << name;
    fs::current_path(old);
}
#endif
