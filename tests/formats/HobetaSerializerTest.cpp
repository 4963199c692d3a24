// SPDX-License-Identifier: MIT
#include "formats/HobetaSerializer.h"
#include "TestSupport.h"

using namespace reelkit;
using namespace reelkit::test;
using namespace std::string_literals;

namespace {

const std::string kReadError = "Stream read error";

// 8-byte name, type byte, the words at 9 and 11, four unused bytes, the rest.
TBytes Hobeta(const char (&name)[9], char type, std::uint16_t at9, std::uint16_t at11,
              const TBytes& rest) {
    TBytes file(name, name + 8);
    for (int byte : {type & 0xFF, at9 & 0xFF, at9 >> 8, at11 & 0xFF, at11 >> 8, 1, 2, 3, 4})
        file.push_back(static_cast<std::uint8_t>(byte));
    return Cat(file, rest);
}

class HobetaSerializerTest : public TTempDirTest {
protected:
    // The header ReadFileInfo fills in and the data ReadData delivers (none
    // after "Stream read error"), or the failures.
    std::pair<std::string, std::optional<TBytes>> Read(const TBytes& file) {
        WriteBytes(Path("f.$b"), file);
        THobetaSerializer hobeta(Path("f.$b"));
        TZXFileInfo info(zftUndefined);
        std::string header = FailureOf([&] { hobeta.ReadFileInfo(info); });
        TMemoryStream data;
        const std::string failure = FailureOf([&] { hobeta.ReadData(data); });
        if (failure != kReadError) {
            EXPECT_EQ(data.GetPosition(), 0) << failure;
        }
        return {header == "(none)" ? Describe(info) : header,
                failure == "(none)" ? std::optional(data.Bytes()) : std::nullopt};
    }
};

} // namespace

TEST_F(HobetaSerializerTest, ReadsHeaderAndData) {
    const TBytes program(256, 0x11);
    const std::string demo = "B 'DEMO' 256 auto 32768 prog 240";
    const std::tuple<TBytes, std::string, std::optional<TBytes>> cases[] = {
        {Hobeta("DEMO    ", 'B', 256, 240, Cat(program, {0x80, 0xAA, 10, 0})),
         "B 'DEMO' 256 auto 10 prog 240", program},
        {Hobeta("DEMO    ", 'B', 256, 240, program), demo, program},
        {Hobeta("DEMO    ", 'B', 256, 240, Cat(program, {0x80, 0xAB, 10, 0})), demo, program},
        {Hobeta("DEMO    ", 'B', 256, 240, Cat(program, {0x80, 0xAA, 10})), demo, program},
        {Hobeta("ABCDEFGH", 'B', 2, 0, {7, 8, 0x80, 0xAA, 20, 0, 0x80, 0xAA, 30, 0}),
         "B 'ABCDEFGH' 2 auto 20 prog 0", TBytes{7, 8}},
        {Hobeta("A B     ", 'C', 0x8000, 2, {1, 2}), "C 'A B' 2 at 32768", TBytes{1, 2}},
        {Hobeta("        ", '#', 0, 0, {9}), "C ' ' 0 at 0", TBytes{}},
        {Hobeta("A\0      ", 'D', 1, 0, {}), "C 'A\0' 0 at 1"s, TBytes{}},
        {Hobeta("x       ", 'b', 0x8000, 5, {1, 2, 3, 4, 5, 6}), "C 'x' 5 at 32768",
         TBytes{1, 2, 3, 4, 5}},
        {Hobeta("x       ", 'C', 0, 5, {}), "C 'x' 5 at 0", std::nullopt},
        {Hobeta("x       ", 'B', 16, 32, TBytes(16, 3)),
         "Length of basic program cannot be greater that line length", TBytes(16, 3)},
        {TBytes(10, 'B'), kReadError, std::nullopt}};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& [file, header, data] = cases[i];
        EXPECT_EQ(Read(file), std::pair(header, data)) << i;
    }
}

TEST_F(HobetaSerializerTest, TruncatedFileFailsCleanly) {
    const TBytes data = {1, 2, 3, 4, 5, 6};
    const TBytes whole = Hobeta("PROG    ", 'B', 6, 4, Cat(data, {0x80, 0xAA, 10, 0}));
    for (std::size_t size = 0; size <= whole.size(); ++size) {
        const auto [header, got] =
            Read(TBytes(whole.begin(), whole.begin() + std::ptrdiff_t(size)));
        const std::string expected =
            size == whole.size() ? "B 'PROG' 6 auto 10 prog 4" : "B 'PROG' 6 auto 32768 prog 4";
        EXPECT_EQ(header, size < 17 ? kReadError : expected) << size;
        EXPECT_EQ(got, size < 23 ? std::nullopt : std::optional(data)) << size;
    }
}

TEST_F(HobetaSerializerTest, WritesAreNotImplemented) {
    THobetaSerializer hobeta(Path("never"));
    TZXFileInfo info(zftCode);
    TMemoryStream data;
    const std::function<void()> writes[] = {[&] { hobeta.WriteHeader(info); },
                                            [&] { hobeta.WriteBlock(0, 0xFF, data); },
                                            [&] { hobeta.WriteFile(info, data); }};
    for (const auto& write : writes)
        EXPECT_EQ(FailureOf<EAppException>(write), "Feature is not implemented yet");
    EXPECT_FALSE(std::filesystem::exists(Path("never")));
}
