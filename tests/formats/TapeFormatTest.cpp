// SPDX-License-Identifier: MIT
#include "TestSupport.h"
#include "formats/TAPSerializer.h"

using namespace reelkit;
using namespace reelkit::test;
using namespace std::string_view_literals;

namespace {

const TBytes kTZXFileHeader = {'Z', 'X', 'T', 'a', 'p', 'e', '!', 0x1A, 1, 20};
const TBytes kTZXBlock = {0x10, 0xE8, 0x03};
// "abc", code at 32768, data 1 2 3 4 5: a header block and a data block.
const TBytes kHeader = {0x13, 0x00, 0x00, 0x03, 0x61, 0x62, 0x63, 0x20, 0x20, 0x20, 0x20,
                        0x20, 0x20, 0x20, 0x05, 0x00, 0x00, 0x80, 0x00, 0x00, 0xC6};
const TBytes kData = {0x07, 0x00, 0xFF, 1, 2, 3, 4, 5, 0xFE};
const TBytes kTAP = Cat(kHeader, kData);
const TBytes kTZX = Cat(Cat(kTZXBlock, kHeader), Cat(kTZXBlock, kData));

TBytes Text(std::string_view text) {
    return TBytes(text.begin(), text.end());
}

std::string Refusal(const std::string& image, const std::string& reason) {
    return "Cannot write file \"" + image + "\". " + reason;
}

class TapeFormatTest : public TTempDirTest {};

} // namespace

// The image's content, or the name of an empty one, decides what an append
// looks like; a file that is not a whole TAP or TZX image is left alone.
TEST_F(TapeFormatTest, ImageDecidesTheFormatOrRefusesTheAppend) {
    const std::string kOnly = ": blocks are appended to TAP and TZX images only";
    const std::string kNeither = "The file is neither a TAP nor a TZX image";
    TBytes trd(4096);
    trd[0x8E7] = 0x10;
    const TBytes scl =
        Cat(Text("SINCLAIR"sv), {1, 'A', ' ', ' ', ' ', ' ', ' ', ' ', ' ', 'C', 0, 0, 1, 0, 1});
    const std::tuple<const char*, TBytes, TBytes, std::string> cases[] = {
        {"t.tap", trd, {}, "The file is a TRD disk image" + kOnly},
        {"t.tap", Cat(scl, TBytes(256)), {}, "The file is an SCL disk image" + kOnly},
        {"t.tap", Cat(scl, TBytes(255)), {}, kNeither},
        {"t.tzx",
         Text("ZXTape!\x1A\x01"sv),
         {},
         "The file is a TZX image whose header is cut short"},
        {"t.tzx",
         Text("ZXTape!\x1A\x02\x00"sv),
         {},
         "The file is a TZX image whose header is of version 2.0; only version 1 is read"},
        {"t.tzx",
         Cat(kTZXFileHeader, {0x10, 0xE8, 0x03, 7, 0, 0xFF, 1, 2}),
         {},
         "The file is a TZX image whose block 1 is cut short by 4 bytes"},
        {"t.tap",
         TBytes(kTAP.begin(), kTAP.end() - 1),
         {},
         "The file is a TAP image whose block 2 is cut short by 1 byte"},
        {"t.tap",
         Cat(kTAP, {0x02, 0x00}),
         {},
         "The file is a TAP image whose block 3 is cut short by 2 bytes"},
        {"t.tap", Cat({0x03, 0x00, 0xFF, 0x01, 0xFF}, kTAP), {}, kNeither},
        {"t.tap", {}, kTAP, ""},
        {"t.tzx", {}, Cat(kTZXFileHeader, kTZX), ""},
        {"t.TzX", {}, Cat(kTZXFileHeader, kTZX), ""},
        {"t.tzx.tmp", {}, kTAP, ""},
        {"t.tzx", kTZXFileHeader, kTZX, ""},
        {"t.tap", Cat(kTZXFileHeader, {0x20, 0x01, 0}), kTZX, ""},
        {"t.tzx", {0x02, 0x00, 0xFF, 0xFF}, kTAP, ""},
        {"t.tap",
         {0x02, 0x00, 0xFF, 0xFF, 0x77},
         {},
         "The file is a TAP image whose block 2 is cut short inside its length"},
        {"t.tap", Text("PZXT\x08"sv), {}, "The file is a PZX tape image" + kOnly},
        {"t.tzx",
         Text("Compressed Square Wave\x1A\x02"sv),
         {},
         "The file is a CSW tape image" + kOnly},
        {"t.tap",
         Text("RIFF\x24\x01\x00\x00WAVEfmt "sv),
         {},
         "The file is a WAV sound file" + kOnly},
        {"t.tap", Text("RIFF\x24\x01\x00\x00AVI LIST"sv), {}, kNeither},
        {"t.tzx", Text("ZXTape!\x1B\x01\x14"sv), {}, kNeither},
        {"t.tap", {0x05}, {}, kNeither},
        {"t.tap", {0x01, 0x00, 0xFF}, {}, kNeither},
        {"t.tap", {0x02, 0x00, 0xFF}, {}, kNeither},
        {"code.bin", Text("\x21\x00\x40\xC9"sv), {}, kNeither}};
    for (const auto& [name, before, appended, refusal] : cases) {
        SCOPED_TRACE(testing::Message() << name << " " << testing::PrintToString(before));
        const std::string image = Path(name);
        WriteBytes(image, before);
        TCommandLineHelper fields({"abc", "C", "32768", "5"});
        TZXFileInfo header(fields);
        const auto failure = FailureOf<EWriteError>([&] {
            TTAPSerializer(image).WriteFile(header, *Stream({1, 2, 3, 4, 5}));
        });
        EXPECT_EQ(failure, refusal.empty() ? "(none)" : Refusal(image, refusal));
        EXPECT_EQ(ReadBytes(image), Cat(before, appended));
        std::filesystem::remove(image);
    }
}
