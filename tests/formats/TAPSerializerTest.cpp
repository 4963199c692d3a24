// SPDX-License-Identifier: MIT
#include "formats/TAPSerializer.h"
#include "TestSupport.h"
#include "formats/BlockLength.h"
#include "platform/MemoryStream.h"

#include <limits>

using namespace reelkit;
using namespace reelkit::test;
using namespace std::string_literals;

namespace {

using TAction = std::function<void(ISerializer&)>;
using TFields = std::vector<std::string>;

const TBytes kOld = {0x02, 0x00, 0xFF, 0xFF}; // an empty data block
const TBytes kCode = {0x13, 0x00, 0x00, 0x03, 0x61, 0x62, 0x63, 0x20, 0x20, 0x20, 0x20,
                      0x20, 0x20, 0x20, 0x05, 0x00, 0x00, 0x80, 0x00, 0x00, 0xC6};
const TBytes kProgram = {0x13, 0x00, 0x00, 0x00, 0x72, 0x75, 0x6E, 0x20, 0x20, 0x20, 0x20,
                         0x20, 0x20, 0x20, 0x64, 0x00, 0x0A, 0x00, 0x50, 0x00, 0x77};

// A header read from its command-line fields; no fields, a header without a type.
std::shared_ptr<IZXFileInfo> Header(const TFields& fields) {
    TCommandLineHelper reader(fields);
    return fields.empty() ? std::make_shared<TZXFileInfo>(zftUndefined)
                          : std::make_shared<TZXFileInfo>(reader);
}

TAction Block(const TBytes& data, std::uint16_t length, std::uint8_t flag = 0xFF) {
    return [=](ISerializer& s) { s.WriteBlock(length, flag, *Stream(data)); };
}
TAction HeaderBlock(const TFields& fields) {
    return [=](ISerializer& s) { s.WriteHeader(*Header(fields)); };
}
TAction File(const TFields& fields, const TBytes& data) {
    return [=](ISerializer& s) { s.WriteFile(*Header(fields), *Stream(data)); };
}

class TAPSerializerTest : public TTempDirTest {
protected:
    std::string Image() const { return Path("tape.tap"); }
};

} // namespace

TEST_F(TAPSerializerTest, AppendsWholeBlocksOrNothing) {
    // Stream() leaves its stream at the end: the writer must read from 0.
    const std::string kTooLarge = "File to add to image is too large";
    const std::string kNotInit = "An attempt to parse not initialized FileInfo";
    const std::string kNotImpl = "Feature is not implemented yet";
    const std::tuple<TAction, TBytes, std::string> cases[] = {
        {Block({1, 2, 3}, 3), {0x05, 0x00, 0xFF, 1, 2, 3, 0xFF}, ""},
        {Block({1, 2, 3}, 2, 0x12), {0x04, 0x00, 0x12, 1, 2, 0x11}, ""},
        {Block({}, 0), {0x02, 0x00, 0xFF, 0xFF}, ""},
        {Block(TBytes(65533, 0x5A), 65533),
         Cat(Cat({0xFF, 0xFF, 0xFF}, TBytes(65533, 0x5A)), {0xA5}), ""},
        {Block(TBytes(65534), 65534), {}, kTooLarge},
        {Block({1, 2}, 3), {}, "Stream read error"},
        {HeaderBlock({"abc", "C", "32768", "5"}), kCode, ""},
        {HeaderBlock({"run", "B", "100", "10", "80"}), kProgram, ""},
        {HeaderBlock({}), {}, kNotInit},
        {File({"abc", "C", "32768", "5"}, {1, 2, 3, 4, 5}),
         Cat(kCode, {7, 0, 0xFF, 1, 2, 3, 4, 5, 0xFE}), ""},
        {File({"abc", "C", "32768", "10"}, TBytes(11)),
         {},
         "Length in file data and length specified in file header are different"},
        {File({"big", "C", "0", "65534"}, TBytes(65534)), {}, kTooLarge},
        {File({}, {}), {}, kNotInit},
        {[](ISerializer& s) { s.ReadFileInfo(*Header({})); }, {}, kNotImpl},
        {[](ISerializer& s) { s.ReadData(*Stream({})); }, {}, kNotImpl}};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& [action, appended, failure] = cases[i];
        WriteBytes(Image(), kOld);
        TTAPSerializer tap(Image());
        EXPECT_EQ(FailureOf([&, &run = action] { run(tap); }), failure.empty() ? "(none)" : failure)
            << i;
        EXPECT_EQ(ReadBytes(Image()), Cat(kOld, appended)) << i;
    }
}

TEST_F(TAPSerializerTest, HeaderRecordFields) {
    const auto unnamed = std::make_shared<TZXFileInfo>(zftCode);
    unnamed->SetLength(3);
    // type, name field, length, then 4 parameter bytes
    const std::pair<std::shared_ptr<IZXFileInfo>, std::string> cases[] = {
        {Header({"n", "N", "0", "A"}), "\001n         \0\0\0\201\0\0"s},
        {Header({"n", "n", "0", "a"}), "\001n         \0\0\0\201\0\0"s},
        {Header({"n", "N", "0", "Z"}), "\001n         \0\0\0\232\0\0"s},
        {Header({"s", "$", "2", "b"}), "\002s         \2\0\0\302\0\0"s},
        {Header({"twelve_chars", "B", "7"}), "\0twelve_cha\7\0\0\200\7\0"s},
        {unnamed, "\3          \3\0\0\0\0\0"s}};
    for (const auto& [header, record] : cases) {
        WriteBytes(Image(), {});
        TTAPSerializer(Image()).WriteHeader(*header);
        const TBytes image = ReadBytes(Image());
        ASSERT_EQ(image.size(), 21u);
        EXPECT_EQ(std::string(image.begin() + 3, image.end() - 1), record) << header->GetName();
    }
}

// A tape made anew gives its writes in order, framed as a TZX image where its
// name asks for one, and a write of no files adds nothing, wherever it comes.
TEST(NewTapeSerializer, GivesItsWritesOnce) {
    const TAction noFiles = [](ISerializer& s) { s.WriteFiles({}); };
    const TBytes block = {0x05, 0x00, 0xFF, 1, 2, 3, 0xFF};
    const TBytes tzx = {'Z', 'X', 'T', 'a', 'p', 'e', '!', 0x1A, 1, 20};
    const std::tuple<std::string, std::vector<TAction>, TBytes> cases[] = {
        {"n.tap", {}, {}},
        {"n.tap", {noFiles}, {}},
        {"n.tap", {Block({1, 2, 3}, 3), noFiles}, block},
        {"n.tap", {noFiles, Block({1, 2, 3}, 3), noFiles, Block({1, 2, 3}, 3)}, Cat(block, block)},
        {"n.tzx", {}, tzx},
        {"n.TZX", {Block({1, 2, 3}, 3), noFiles}, Cat(tzx, Cat({0x10, 0xE8, 0x03}, block))}};
    for (const auto& [name, writes, bytes] : cases) {
        TNewTapeSerializer tape(name);
        for (const TAction& write : writes)
            write(tape);
        TMemoryStream made;
        tape.ReadData(made);
        EXPECT_EQ(made.Bytes(), bytes) << name << ", " << writes.size() << " writes";
    }
}

// Sizes whose low 16 bits would pass for a small block must be refused whole.
// The edges 0, 65533 and 65534 are in AppendsWholeBlocksOrNothing.
TEST(BlockLength, FitsOrRefusesNeverWraps) {
    const std::string kTooLarge = "File to add to image is too large";
    const std::pair<std::int64_t, std::string> cases[] = {
        {17, "17"},
        {65535, kTooLarge},
        {65536, kTooLarge},
        {65536 + 5, kTooLarge},
        {(std::int64_t{1} << 32) + 7, kTooLarge},
        {std::numeric_limits<std::int64_t>::max(), kTooLarge},
        {-1, kTooLarge}};
    const auto outcome = [](std::int64_t size) {
        try {
            return std::to_string(BlockLength(size));
        } catch (const EAppException& e) {
            return e.Message();
        }
    };
    for (const auto& [size, result] : cases)
        EXPECT_EQ(outcome(size), result) << size;
}
