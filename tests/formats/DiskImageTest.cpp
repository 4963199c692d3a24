// SPDX-License-Identifier: MIT
#include "formats/DiskImage.h"
#include "TestSupport.h"

using namespace reelkit;
using namespace reelkit::test;

namespace {

const std::string kNotDisk = "File is not a TRD or SCL disk image";
const std::string kCatalogue = "Disk image ends inside its catalogue";
const std::string kFit = "does not fit in the disk image) ";
const std::string kLonger = "is longer than its sectors) ";
const std::string kProgram = "has a program length greater than its length) ";
std::string SizeFault(int expected, int size) {
    return "! as an SCL image it would hold " + std::to_string(expected) + " bytes, or " +
           std::to_string(expected + 4) + " with its checksum, not " + std::to_string(size);
}

// A catalogue entry: name, type, the words at 9 and 11, sectors, then for a
// TRD the first sector and track.
TBytes Entry(const char (&name)[9], char type, std::uint16_t at9, std::uint16_t at11,
             std::uint8_t sectors, std::initializer_list<std::uint8_t> place = {}) {
    TBytes entry(name, name + 8);
    for (int byte : {type & 0xFF, at9 & 0xFF, at9 >> 8, at11 & 0xFF, at11 >> 8, int{sectors}})
        entry.push_back(static_cast<std::uint8_t>(byte));
    return Cat(entry, place);
}

// A TRD image of the given sectors, the entries from offset 0, sectors'
// bytes i * 256 + i, the marker in its place.
TBytes TRD(const std::vector<TBytes>& entries, std::size_t sectors = 20) {
    TBytes image(sectors * 256);
    for (std::size_t i = 0x900; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i / 256 + i);
    for (std::size_t i = 0; i < entries.size(); ++i)
        std::copy(entries[i].begin(), entries[i].end(), image.begin() + std::ptrdiff_t(i * 16));
    image[0x8E7] = 0x10;
    return image;
}

TBytes SCL(const std::vector<TBytes>& entries, const TBytes& data) {
    TBytes image = {'S', 'I', 'N', 'C', 'L', 'A', 'I', 'R', std::uint8_t(entries.size())};
    for (const TBytes& entry : entries)
        image = Cat(image, entry);
    return Cat(image, data);
}

const TBytes kCode = Entry("CODE    ", 'C', 0x8000, 300, 2, {1, 1});
const TBytes kDisk = TRD({Entry("PROG    ", 'B', 5, 3, 1, {0, 1}),
                          {1, 'G', 'O', 'N', 'E'},
                          kCode,
                          Entry("NOTES   ", 'T', 'X' | 'T' << 8, 256, 1, {3, 1}),
                          {0},
                          kCode});
const TBytes kSCL =
    SCL({Entry("A       ", 'B', 5, 3, 1), Entry("B       ", 'C', 0, 2, 2)}, TBytes(768, 7));

// Each file as "NAME.T@offset" ("-" first when deleted), and why it does not
// convert; then "! " and why the image's size is wrong; or the report.
std::string Catalogue(const TBytes& bytes, std::int64_t* read = nullptr) {
    const auto stream = Stream(bytes);
    std::string text;
    const std::string failure = FailureOf([&] {
        const TDiskImage image = ReadDiskImage(*stream);
        for (const TDiskEntry& file : image.files) {
            if (file.deleted)
                text += '-';
            text += DiskFileName(file) + "@" + (file.offset ? std::to_string(*file.offset) : "-");
            const std::string fault = DiskFileFault(image, file);
            text += fault.empty() ? " " : " (" + fault.substr(fault.rfind('"') + 2) + ") ";
        }
        if (!image.fault.empty())
            text += "! " + image.fault;
    });
    if (read)
        *read = stream->GetPosition();
    return failure == "(none)" ? text : failure;
}

} // namespace

TEST(DiskImage, CatalogueListsFilesInOrderAndChecksThem) {
    TBytes full;
    std::string all;
    for (int i = 0; i < 128; ++i) {
        full = Cat(full, Entry("F       ", char('0' + i % 64), 0, 0, 0, {0, 1}));
        all += "F." + std::string(1, char('0' + i % 64)) + "@4096 ";
    }
    const std::pair<TBytes, std::string> cases[] = {
        {kDisk, "PROG.B@4096 -?GONE???.?@0 CODE.C@4352 NOTES.T@4864 "},
        {TRD({Entry("\x7F\n      ", 'C', 0, 0, 0, {16, 0})}), "??.C@- (" + kFit},
        {TRD({full}), all},
        {TRD({Cat(TBytes{'S', 'I', 'N', 'C', 'L', 'A', 'I', 'R'}, TBytes(8))}), "SINCLAIR.?@0 "},
        {TRD({Entry("A       ", 'C', 0, 256, 1, {3, 1})}), "A.C@4864 "},
        {TRD({Entry("A       ", 'C', 0, 256, 1, {4, 1})}), "A.C@5120 (" + kFit},
        {TRD({Entry("A       ", 'C', 0, 0, 0, {4, 1})}), "A.C@5120 "},
        {TRD({Entry("A       ", 'C', 0, 0, 1, {15, 255})}), "A.C@1048320 (" + kFit},
        {TRD({Entry("        ", 'B', 257, 0, 1, {0, 1})}), ".B@4096 (" + kLonger},
        {TRD({Entry("A       ", 'B', 256, 999, 1, {0, 1})}), "A.B@4096 (" + kProgram},
        {TRD({Entry("A       ", 'B', 256, 256, 1, {0, 1})}), "A.B@4096 "},
        {TRD({}, 16), ""},
        {kSCL, "A.B@37 B.C@293 "},
        {SCL({Entry("A       ", 'C', 0, 1, 1)}, TBytes(255)),
         "A.C@23 (" + kFit + SizeFault(279, 278)},
        {SCL({Entry("A       ", 'C', 0, 1, 1)}, TBytes(260)), "A.C@23 "},
        {SCL({Entry("A       ", 'C', 0, 1, 1)}, TBytes(261)), "A.C@23 " + SizeFault(279, 284)},
        {SCL({}, {}), ""},
        {SCL({}, {1, 2, 3, 4}), ""},
        {TBytes(4096), kNotDisk},
        {TRD({}, 15), kNotDisk},
        {Cat(TRD({}, 16), {0}), kNotDisk},
        {TBytes(kSCL.begin(), kSCL.begin() + 8), kCatalogue},
        {TBytes(kSCL.begin(), kSCL.begin() + 36), kCatalogue}};
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(Catalogue(cases[i].first), cases[i].second) << i;
}

// What each kind can address is read, never more; a file that is neither
// kind is let go after its first bytes.
TEST(DiskImage, ReadsNoMoreThanTheCatalogueCanReach) {
    const std::pair<TBytes, std::int64_t> cases[] = {{TRD({kCode}, 8192), 1113600},
                                                     {SCL({}, TBytes(17 << 20)), 16649979},
                                                     {TBytes(1 << 22), 3579}};
    for (const auto& [bytes, reach] : cases) {
        std::int64_t read = 0;
        Catalogue(bytes, &read);
        EXPECT_EQ(read, reach);
    }
}

// The Hobeta file +$ reads: the entry's first 13 bytes, 00, the sector count,
// the checksum, the sectors.
TEST(DiskImage, FileBecomesItsHobetaForm) {
    const TBytes disk = TRD({Entry("HELLO   ", 'C', 0x8000, 5, 1, {1, 1})});
    const TDiskImage image = ReadDiskImage(*Stream(disk));
    const TBytes header = {'H', 'E',  'L', 'L', 'O', ' ', ' ',  ' ', 'C',
                           0,   0x80, 5,   0,   0,   1,   0x06, 0xA0};
    EXPECT_EQ(DiskFileHobeta(image, image.files[0]),
              Cat(header, TBytes(disk.begin() + 4352, disk.begin() + 4608)));
}

// What a report calls a file that ReadDiskImage reads: a TRD image, or an SCL
// image exactly as long as its catalogue says; not a TRD without its marker
// whose first file happens to be named SINCLAIR.
TEST(DiskImage, KindIsToldAsTheReaderTellsIt) {
    TBytes sinclair = TRD({Entry("SINCLAIR", 'C', 0, 0, 0, {0, 1})});
    sinclair[0x8E7] = 0;
    const std::pair<TBytes, std::string> cases[] = {{kDisk, "a TRD disk image"},
                                                    {kSCL, "an SCL disk image"},
                                                    {Cat(kSCL, {1, 2, 3, 4}), "an SCL disk image"},
                                                    {Cat(kSCL, {1}), ""},
                                                    {TBytes(kSCL.begin(), kSCL.end() - 1), ""},
                                                    {sinclair, ""},
                                                    {TBytes(kSCL.begin(), kSCL.begin() + 20), ""},
                                                    {TBytes(4096), ""}};
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(DiskImageKind(*Stream(cases[i].first)), cases[i].second) << i;
}

// A name that is not name.T or name.TXY is refused; others match byte for byte.
TEST(DiskImage, CommandLineNameMatchesByteForByte) {
    const std::vector<TDiskEntry> files = ReadDiskImage(*Stream(kDisk)).files;
    const std::pair<const char*, const char*> cases[] = {
        {"PROG.B", "PROG.B"},   {"NOTES.TXT", "NOTES.T"}, {"NOTES.T", "NOTES.T"},
        {"NOTES.TXX", "none"},  {"PROG.b", "none"},       {"prog.B", "none"},
        {"PROG .B", "none"},    {"A.B.C", "none"},        {".B", "none"},
        {"NOTES", "bad"},       {"NOTES.", "bad"},        {"LONGNAME.C", "none"},
        {"LONGNAME9.C", "bad"}, {"LONGNAME.CODE", "bad"}};
    for (const auto& [text, expected] : cases) {
        const auto wanted = ParseDiskFileName(text);
        std::string found = wanted ? "none" : "bad";
        for (const TDiskEntry& file : files)
            if (wanted && DiskFileMatches(file, *wanted))
                found = DiskFileName(file);
        EXPECT_EQ(found, expected) << text;
    }
}

// Every cut of an image is a clean report, or its catalogue, where a file
// converts exactly when all of its sectors are there.
TEST(DiskImage, TruncatedImageFailsCleanly) {
    using TFiles = std::vector<std::pair<std::string, std::size_t>>; // name, end
    const std::pair<TBytes, TFiles> images[] = {{kDisk,
                                                 {{"PROG.B@4096", 4352},
                                                  {"-?GONE???.?@0", 0},
                                                  {"CODE.C@4352", 4864},
                                                  {"NOTES.T@4864", 5120}}},
                                                {kSCL, {{"A.B@37", 293}, {"B.C@293", 805}}}};
    for (const auto& [whole, files] : images)
        for (std::size_t size = 0; size <= whole.size(); ++size) {
            std::string expected = size < 8 ? kNotDisk : size < 37 ? kCatalogue : "";
            if (whole == kDisk)
                expected = size % 256 != 0 || size < 4096 ? kNotDisk : "";
            const bool listed = expected.empty();
            for (const auto& [file, end] : files)
                if (listed)
                    expected.append(file).append(end > size ? " (" + kFit : " ");
            if (listed && whole == kSCL && size < whole.size())
                expected += SizeFault(int(whole.size()), int(size));
            EXPECT_EQ(Catalogue(TBytes(whole.begin(), whole.begin() + std::ptrdiff_t(size))),
                      expected)
                << size;
        }
}
