// SPDX-License-Identifier: MIT
#include "platform/CommandLine.h"
#include "TestSupport.h"

using namespace reelkit;
using namespace reelkit::test;

TEST(SplitCommandLine, Table) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"", {}},
        {"\"C:\\Program Files\\r.exe\" +b x", {"+b", "x"}},
        {"p\001a\037b\t\r\nc  d ", {"a", "b", "c", "d"}},
        {"p a!b\177\240c", {"a!b\177\240c"}}, // only the codes 1 to 32 separate
        {"p ab\"c d\"e \"a \tb\"", {"abc de", "a \tb"}},
        {"p c\\\"d e\" a\\ \\\\b", {"c\\d e", "a\\", "\\\\b"}},
        {"p a \"\" b \"\"\"\"  \"\"c", {"a", "", "b", "", "c"}},
        {"p a\"\"b \" \" \"open ended", {"ab", " ", "open ended"}},
        {"p a \"", {"a", ""}},
        {"p a \"\"", {"a", ""}}};
    for (const auto& [line, arguments] : cases)
        EXPECT_EQ(SplitCommandLine(line), arguments) << line;
}

TEST(TrimSystemText, DropsTrailingBlanksControlsAndStops) {
    const std::pair<std::string, std::string> cases[] = {
        {"Access is denied.\r\n", "Access is denied"},
        {"x . .\t", "x"},
        {"...", ""},
        {"v1.2 ok", "v1.2 ok"},
        {"caf\xE9.", "caf\xE9"}};
    for (const auto& [text, trimmed] : cases)
        EXPECT_EQ(TrimSystemText(text), trimmed) << text;
}
