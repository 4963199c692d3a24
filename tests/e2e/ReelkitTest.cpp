// SPDX-License-Identifier: MIT
// Runs the Reelkit program itself, as a user would, each test in a fresh
// directory, and checks its output, its exit status and every byte of the files.
//
// REELKIT_EXE names another build of the program, REELKIT_RUNNER a program to
// run it with, and REELKIT_WINDOWS_PATHS=1 expects full paths as such a runner
// reports them: "Z:" and the POSIX path with backslashes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using TArgs = std::vector<std::string>;

std::string Env(const char* name) {
    return std::getenv(name) ? std::getenv(name) : "";
}

const bool kRunner = !Env("REELKIT_RUNNER").empty();
// Reelkit.exe under wine, which keeps its own account of locks and directories.
const bool kWine = Env("REELKIT_WINDOWS_PATHS") == "1";

std::string ReadFile(const fs::path& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

// Arguments separated by spaces; '' stands for an empty argument.
TArgs Split(const std::string& line) {
    TArgs args;
    std::istringstream words(line);
    for (std::string word; words >> word;)
        args.push_back(word == "''" ? "" : word);
    return args;
}

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (const int value : values)
        bytes += static_cast<char>(value);
    return bytes;
}

std::string Word(std::size_t value) {
    return Bytes({static_cast<int>(value & 0xFF), static_cast<int>(value >> 8 & 0xFF)});
}

std::string Block(int flag, const std::string& data) {
    char sum = static_cast<char>(flag);
    for (const char byte : data)
        sum ^= byte;
    return Word(data.size() + 2) + static_cast<char>(flag) + data + sum;
}

std::string Record(int type, std::string name, std::size_t length, std::size_t p1, std::size_t p2) {
    name.resize(10, ' ');
    return static_cast<char>(type) + name + Word(length) + Word(p1) + Word(p2);
}

std::string Header(int type, const std::string& name, std::size_t length, std::size_t p1,
                   std::size_t p2 = 0) {
    return Block(0, Record(type, name, length, p1, p2));
}

// Bytes 13 to 16 carry junk: the program must not look at them.
std::string Hobeta(const char* name, char type, std::size_t w9, std::size_t w11,
                   const std::string& body) {
    return std::string(name, 8) + type + Word(w9) + Word(w11) + Bytes({1, 2, 0xAB, 0xCD}) + body;
}

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i * 7 + i / 256);
    return bytes;
}

const std::string kUsage = ReadFile(REELKIT_USAGE_FILE);
const std::string kEmptyBlock = Bytes({2, 0, 0xFF, 0xFF});
// t.tap before every run: a TAP image whose first 17 bytes also read as a
// Hobeta header of a 3-byte code file, which +$ refuses all the same.
const std::string kImage = Block(0xFF, "image " + Bytes({0, 0x80, 3, 0}) + "tape!!");
const std::string kTZXHeader = "ZXTape!\x1A" + Bytes({1, 20});

// TAP blocks as a TZX image holds them: each a standard-speed block, 1000 ms after it.
std::string TZX(const std::string& blocks) {
    std::string tzx;
    for (std::size_t at = 0; at + 2 <= blocks.size();) {
        const std::size_t size =
            2 + static_cast<std::size_t>(static_cast<unsigned char>(blocks[at]) |
                                         static_cast<unsigned char>(blocks[at + 1]) << 8);
        tzx += Bytes({0x10, 0xE8, 0x03}) + blocks.substr(at, size);
        at += size;
    }
    return tzx;
}
// Files of the disks d.trd and d.scl: catalogue name, type, the words at 9 and
// 11, the sectors; and the blocks each becomes. The second CODE.C is never
// chosen by name.
struct TDiskFile {
    std::string name;
    char type;
    std::size_t w9, w11;
    std::string sectors;
    std::string blocks;
};
std::string Sectors(std::string data) {
    data.resize((data.size() + 255) / 256 * 256, '\0');
    return data;
}
const TDiskFile kDiskFiles[] = {
    {"PROG    ", 'B', 5, 3, Sectors("HELLO" + Bytes({0x80, 0xAA, 10, 0})),
     Header(0, "PROG", 5, 10, 3) + Block(0xFF, "HELLO")},
    {"CODE    ", 'C', 0x8000, 300, Sectors(Pattern(300)),
     Header(3, "CODE", 300, 0x8000) + Block(0xFF, Pattern(300))},
    {"NOTES   ", 'T', 'X' | 'T' << 8, 3, Sectors("abc"),
     Header(3, "NOTES", 3, 0x5458) + Block(0xFF, "abc")},
    {"CODE    ", 'C', 0x6000, 2, Sectors("zz"), Header(3, "CODE", 2, 0x6000) + Block(0xFF, "zz")}};
const std::string kDisk =
    kDiskFiles[0].blocks + kDiskFiles[1].blocks + kDiskFiles[2].blocks + kDiskFiles[3].blocks;

std::string DiskEntry(const std::string& name, char type, std::size_t w9, std::size_t w11,
                      std::size_t sectors) {
    return name + type + Word(w9) + Word(w11) + static_cast<char>(sectors);
}

// A TRD image: the catalogue, the TR-DOS marker, the sectors from track 1 on.
std::string TRD(std::string catalogue, const std::string& sectors) {
    catalogue.resize(0x8E7, '\0');
    catalogue += '\x10';
    catalogue.resize(4096, '\0');
    return catalogue + sectors;
}

// The disk files laid out one after another; a deleted entry after the first,
// an entry that would not fit after the end of the catalogue.
std::string DiskTRD() {
    std::string catalogue, sectors;
    for (const auto& [name, type, w9, w11, data, blocks] : kDiskFiles) {
        const std::size_t at = 16 + sectors.size() / 256;
        catalogue +=
            DiskEntry(name, type, w9, w11, data.size() / 256) + Bytes({int(at % 16), int(at / 16)});
        sectors += data;
        if (catalogue.size() == 16)
            catalogue += "\x01GONE   C" + std::string(7, '\0');
    }
    return TRD(catalogue + std::string(16, '\0') + DiskEntry("GHOST   ", 'C', 0, 1, 1) +
                   Bytes({0, 200}),
               sectors);
}

// The same files as an SCL image, with a checksum that is not checked.
std::string DiskSCL() {
    std::string image = "SINCLAIR" + Bytes({std::size(kDiskFiles)});
    for (const auto& [name, type, w9, w11, data, blocks] : kDiskFiles)
        image += DiskEntry(name, type, w9, w11, data.size() / 256);
    for (const TDiskFile& file : kDiskFiles)
        image += file.sectors;
    return image + "SUM?";
}

// +l's programs for RunAddress 32768, ClearAddress 24999 and Blocks SC, and
// S7 (bank 7), as Debian's zmakebas -r tokenises their listings.
const std::string kLoaderSC =
    Bytes({0x00, 0x0A, 0x41, 0x00, 0xFD, 0xB0, 0x22, 0x32, 0x34, 0x39, 0x39, 0x39, 0x22, 0x3A,
           0xEF, 0x22, 0x22, 0xAA, 0x3A, 0xF4, 0xB0, 0x22, 0x32, 0x33, 0x37, 0x33, 0x39, 0x22,
           0x2C, 0xB0, 0x22, 0x31, 0x31, 0x31, 0x22, 0x3A, 0xEF, 0x22, 0x22, 0xAF, 0x3A, 0xF4,
           0xB0, 0x22, 0x32, 0x33, 0x37, 0x33, 0x39, 0x22, 0x2C, 0xB0, 0x22, 0x32, 0x34, 0x34,
           0x22, 0x3A, 0xF9, 0xC0, 0xB0, 0x22, 0x33, 0x32, 0x37, 0x36, 0x38, 0x22, 0x0D});
const std::string kLoaderFileSC = Header(0, "game", 69, 10, 69) + Block(0xFF, kLoaderSC);
const std::string kLoaderS7 =
    Bytes({0x00, 0x0A, 0x81, 0x00, 0xFD, 0xB0, 0x22, 0x32, 0x34, 0x39, 0x39, 0x39, 0x22, 0x3A, 0xEF,
           0x22, 0x22, 0xAA, 0x3A, 0xF4, 0xB0, 0x22, 0x32, 0x33, 0x37, 0x33, 0x39, 0x22, 0x2C, 0xB0,
           0x22, 0x31, 0x31, 0x31, 0x22, 0x3A, 0xF4, 0xB0, 0x22, 0x32, 0x33, 0x33, 0x38, 0x38, 0x22,
           0x2C, 0xB0, 0x22, 0x32, 0x33, 0x22, 0x3A, 0xDF, 0xB0, 0x22, 0x33, 0x32, 0x37, 0x36, 0x35,
           0x22, 0x2C, 0xB0, 0x22, 0x32, 0x33, 0x22, 0x3A, 0xEF, 0x22, 0x22, 0xAF, 0x3A, 0xF4, 0xB0,
           0x22, 0x32, 0x33, 0x33, 0x38, 0x38, 0x22, 0x2C, 0xB0, 0x22, 0x31, 0x36, 0x22, 0x3A, 0xDF,
           0xB0, 0x22, 0x33, 0x32, 0x37, 0x36, 0x35, 0x22, 0x2C, 0xB0, 0x22, 0x31, 0x36, 0x22, 0x3A,
           0xF4, 0xB0, 0x22, 0x32, 0x33, 0x37, 0x33, 0x39, 0x22, 0x2C, 0xB0, 0x22, 0x32, 0x34, 0x34,
           0x22, 0x3A, 0xF9, 0xC0, 0xB0, 0x22, 0x33, 0x32, 0x37, 0x36, 0x38, 0x22, 0x0D});
const std::string kLoaderFileS7 = Header(0, "game", 133, 10, 133) + Block(0xFF, kLoaderS7);
const std::string kData = "\x01\x02\x03";
const std::string kData3 = Block(0xFF, kData);
const std::string kRaw = Record(3, "raw", 3, 0x6000, 0);
const std::string kHello = "HELLO";

// A TZX image with the blocks that other tools write besides standard-speed
// ones: turbo speed and pure data (each holding kData3 from its flag on),
// a pause, a group, a text description and archive info.
const std::string kRichTZX =
    kTZXHeader +
    Bytes({0x11, 0x78, 8, 0x9B, 2, 0xDF, 2, 0x57, 3, 0xAE, 6, 0x7F, 0x1F, 8, 0xF4, 1, 5, 0, 0}) +
    kData3.substr(2) + Bytes({0x14, 0x57, 3, 0xAE, 6, 8, 0, 0, 5, 0, 0}) + kData3.substr(2) +
    Bytes({0x20, 0xF4, 0x01, 0x21, 5}) + "Level" + Bytes({0x30, 9}) + "By Reelki" + Bytes({0x22}) +
    Bytes({0x32, 9, 0, 1, 0, 6}) + "Reelki";
// Files a user may name where the tape image should be, each of which an old
// check took for a TAP image: what the first two bytes say fits in the file.
const std::string kGame =
    Bytes({0x21, 0x00, 0x40, 0x11, 0x01, 0x40, 0x01, 0xFF, 0x17, 0x36, 0x00, 0xED, 0xB0, 0xC9}) +
    Pattern(62);

// A Hobeta file as TR-DOS tools write it: its checksum right, its data padded
// to whole sectors; cut to size bytes where size is given.
std::string RealHobeta(const char* name, char type, std::size_t w9, std::size_t w11,
                       const std::string& body, std::size_t size = std::string::npos) {
    std::string file = std::string(name, 8) + type + Word(w9) + Word(w11) + '\0' +
                       static_cast<char>((body.size() + 255) / 256);
    unsigned sum = 0;
    for (const char byte : file)
        sum += static_cast<unsigned char>(byte);
    return (file + Word((257 * sum + 105) & 0xFFFF) + Sectors(body)).substr(0, size);
}
// A tape with a fault of each kind: a data block shorter than its header
// says, a wrong checksum, and a header with no data block after it.
const std::string kFaults = Header(3, "x", 5, 0x8000) + Block(0xFF, "abc") +
                            Bytes({4, 0, 0xFF, 'a', 'b', 0}) + Header(3, "y", 1, 0);

const std::string kScreenFile = Header(3, "scr", 6912, 16384) + Block(0xFF, Pattern(6912));
const std::string kCodeFile = Header(3, "code", 3, 32768) + kData3;

// clang-format off
// Every test starts with these files, and with "dir", a directory.
const std::vector<std::pair<std::string, std::string>> kFiles = {
    {"t.tap", kImage}, {"d3", kData}, {"e", ""}, {"h17", kRaw}, {"h16", kRaw.substr(0, 16)},
    {"h18", kRaw + 'x'}, {"m", Pattern(65533)}, {"x", Pattern(65534)}, {"w", Pattern(65539)},
    {"p.$B", Hobeta("DEMO    ", 'B', 5, 3, kHello + Bytes({0x80, 0xAA, 10, 0}))},
    {"q.$B", Hobeta("DEMO    ", 'B', 5, 3, kHello)},
    {"v.$B", Hobeta("BAD     ", 'B', 0x10, 0x20, Pattern(16))},
    {"c.$C", Hobeta("A B     ", 'C', 0x8000, 3, kData)},
    {"z.$C", Hobeta("        ", 'b', 0x4000, 0, "")},
    {"s.$C", Hobeta("SHORT   ", 'C', 0, 0, "").substr(0, 16)},
    {"u.$C", Hobeta("SHORT   ", 'C', 0, 5, "ab")},
    {"new.TZX", ""}, {"t.tzx", kTZXHeader}, {"tap.tzx", kImage}, {"p.pzx", "PZXT\x08\0\0\0\x01\0"s},
    {"s.csw", "Compressed Square Wave\x1A\x02\x01"}, {"w.wav", "RIFF\x24\x08\0\0WAVEfmt "s},
    {"d.trd", DiskTRD()}, {"d.scl", DiskSCL()}, {"none.trd", TRD("", "")},
    {"bad.trd", TRD(DiskEntry("GOOD    ", 'C', 7, 2, 1) + Bytes({0, 1}) + DiskEntry("FAR     ", 'C', 0, 1, 1) + Bytes({0, 99}) +
                    DiskEntry("LONG    ", 'C', 0, 300, 1) + Bytes({0, 1}) + DiskEntry("ODD     ", 'C', 0, 0, 0) + Bytes({16, 0}), Sectors("ok"))},
    {"cat.scl", "SINCLAIR\x02" + DiskEntry("A       ", 'C', 0, 1, 1)},
    {"data.scl", "SINCLAIR\x01" + DiskEntry("A       ", 'C', 0, 1, 1) + std::string(255, 'a')},
    {"game.bin", kGame}, {"screen.scr", "\x18\x18" + Pattern(6910)}, {"elf", "\x7F" "ELF" + Pattern(19996)},
    {"pic.png", "\x89PNG\r\n\x1A\n" + Pattern(29992)}, {"rich.tzx", kRichTZX},
    {"cut.tap", kImage + Header(3, "code", 3, 0).substr(0, 18)}, {"cut.tzx", "ZXTape!\x1A\x01"},
    {"cutblock.tzx", kTZXHeader + TZX(kData3).substr(0, 6)}, {"tap17", Block(0xFF, Pattern(13))},
    {"faults.tap", kFaults}, {"real.$B", RealHobeta("DEMO    ", 'B', 5, 3, kHello + Bytes({0x80, 0xAA, 10, 0}))},
    {"cut.$C", RealHobeta("CODE    ", 'C', 0x8000, 300, Pattern(300), 217)},
    // Tapes of an SC loader and the files after it: whole, and with a fault of
    // each kind the loader check finds.
    {"sound.tap", kLoaderFileSC + kScreenFile + kCodeFile}, {"fewer.tap", kLoaderFileSC + kScreenFile},
    {"more.tap", kLoaderFileSC + kScreenFile + kCodeFile + kCodeFile},
    {"notscreen.tap", kLoaderFileSC + Header(3, "pic", 100, 32768) + Block(0xFF, Pattern(100)) + kCodeFile},
    {"low.tap", kLoaderFileSC + kScreenFile + Header(3, "code", 3, 24000) + kData3},
    {"array.tap", kLoaderFileSC + kScreenFile + Header(1, "nums", 3, 0x8100) + kData3}};

struct TCase {
    TArgs args;
    std::string out;        // '@' stands for the work directory's full path and separator
    int status = 0;
    std::string appended;   // what the image gains
    bool outPrefix = false; // out is the start of a three-line report
    std::string image = "t.tap";
};
void PrintTo(const TCase& c, std::ostream* os) { *os << ::testing::PrintToString(c.args); }

const std::string kFailure = "An unknown exception occured\r\nException text:\r\n\t";
const std::string kCount = "Invalid command line argument count";
const std::string kUnknown = "Unknown command";
const std::string kType = "Not allowed type of header";
const std::string kProgramLength = "Length of basic program cannot be greater that line length";
const std::string kTooLarge = "File to add to image is too large";
const std::string k17 = "File to add as header must have 17 bytes lenght";
const std::string kReadError = "Stream read error";
const std::string kLoaderBlocks =
    "Argument 6 must be a word of at most 32 letters C and S or bank digits 0, 1, 3, 4, 6 and 7";
const std::string kBank2 = "Argument 6 names bank 2, which is always at 32768: load it with C";
const std::string kBank5 = "Argument 6 names bank 5, which is always at 16384: load it with C";
const std::string kBankClear = "Argument 5 must be from 1 to 49151, where banks are loaded";
const std::string kFlag = "Argument 4 out of range (0 - 255)";
const std::string kOnly = ": blocks are appended to TAP and TZX images only";
const std::string kVersion = "Reelkit " REELKIT_VERSION "\r\n";
const std::string kNotDisk = "File is not a TRD or SCL disk image";
std::string NotTape(const char* file, const std::string& why = "neither a TAP nor a TZX image") { return "Cannot write file \"@"s + file + "\". The file is " + why; }
std::string NotFit(const char* file) { return "Disk file \""s + file + "\" does not fit in the disk image"; }
std::string NotFound(int at) { return "Specified in agrument " + std::to_string(at) + " file is not found"; }

TCase Ok(const char* args, const std::string& appended) { return {Split(args), "", 0, appended}; }
TCase OkIn(const char* image, const char* args, const std::string& appended) { return {Split(args), "", 0, appended, false, image}; }
TCase Help(const char* args) { return {Split(args), kUsage, 0, ""}; }
TCase Usage(const char* args, const std::string& text) { return {Split(args), text + "\r\n" + kUsage, 2, ""}; }
TCase Fail(const char* args, const std::string& text) { return {Split(args), kFailure + text + "\r\n", 1, ""}; }
TCase FailPrefix(const char* args, const std::string& text) { return {Split(args), kFailure + text, 1, "", true}; }
TCase OpenFail(const char* args, const std::string& file) { return FailPrefix(args, "Cannot open file \"@" + file + "\". "); }
TCase SelfInput(const char* args, const std::string& file) { return Fail(args, "Cannot open file \"@" + file + "\". The input file is the tape image itself"); }
// clang-format on

struct TRun {
    std::string out, err;
    int status = -1;
};

class ReelkitTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string root = (fs::temp_directory_path() / "reelkit-e2e-XXXXXX").string();
        ASSERT_NE(::mkdtemp(root.data()), nullptr);
        FRoot = fs::canonical(root); // the form getcwd() reports
        FDir = FRoot / "work";
        fs::create_directories(FDir / "dir");
        for (const auto& [name, bytes] : kFiles)
            WriteFile(FDir / name, bytes);
        fs::create_symlink("nowhere", FDir / "dangling");
        FShownDir = (FDir / "").string();
        if (kWine) {
            std::replace(FShownDir.begin(), FShownDir.end(), '/', '\\');
            FShownDir.insert(0, "Z:");
        }
    }
    void TearDown() override { fs::remove_all(FRoot); }

    // Runs a program in the work directory.
    TRun Spawn(TArgs words) const {
        std::vector<char*> argv;
        for (auto& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        const std::string errName = (FRoot / "stderr").string();
        int out[2];
        if (::pipe(out) != 0 || ::fcntl(out[0], F_SETFD, FD_CLOEXEC) != 0 ||
            ::fcntl(out[1], F_SETFD, FD_CLOEXEC) != 0)
            return {"", "pipe failed", -1};
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int err = ::open(errName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
            ::dup2(out[1], STDOUT_FILENO);
            ::dup2(err, STDERR_FILENO);
            if (::chdir(FDir.c_str()) == 0)
                ::execvp(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        // Read until the child has ended, not until end of file: a runner may
        // leave helper processes behind that still hold the pipe.
        ::fcntl(out[0], F_SETFL, O_NONBLOCK);
        TRun run;
        int status = -1;
        for (bool ended = pid < 0; !ended;) {
            pollfd ready{out[0], POLLIN, 0};
            ::poll(&ready, 1, 50);
            ended = ::waitpid(pid, &status, WNOHANG) != 0;
            char buffer[4096];
            for (ssize_t got; (got = ::read(out[0], buffer, sizeof buffer)) > 0;)
                run.out.append(buffer, static_cast<std::size_t>(got));
        }
        ::close(out[0]);
        if (!WIFEXITED(status) && !WIFSIGNALED(status))
            return {run.out, "fork failed", -1};
        run.err = ReadFile(errName);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return run;
    }

    TRun Reelkit(const TArgs& args) const { return ReelkitIn("", args); }

    // Through "sh -c shell", when given, with the program's words as "$0" "$@".
    TRun ReelkitIn(const std::string& shell, const TArgs& args) const {
        TArgs words;
        if (!shell.empty())
            words = {"sh", "-c", shell};
        if (kRunner)
            words.push_back(Env("REELKIT_RUNNER"));
        words.push_back(Env("REELKIT_EXE").empty() ? REELKIT_EXE_DEFAULT : Env("REELKIT_EXE"));
        words.insert(words.end(), args.begin(), args.end());
        TRun run = Spawn(words);
        // Reelkit reports every failure on standard output. A run under a
        // runner that fails in silence never ran: wine, seldom, loses a start.
        if (kRunner && shell.empty() && run.out.empty() && run.status != 0) {
            std::cerr << "The runner lost a run (status " << run.status
                      << "); running it again. It said: " << run.err << '\n';
            run = Spawn(words);
        }
        EXPECT_TRUE(kRunner || run.err.empty()) << run.err;
        return run;
    }

    // Output and status as the case says; t.tap gained exactly the appended
    // bytes and no other file changed.
    void Check(const TCase& c, const TRun& run) const {
        std::string out = c.out;
        if (const auto at = out.find('@'); at != std::string::npos)
            out.replace(at, 1, FShownDir);
        if (c.outPrefix) {
            EXPECT_EQ(run.out.substr(0, out.size()), out);
            EXPECT_TRUE(Count(run.out, "\r\n") == 3 && run.out.ends_with("\r\n")) << run.out;
        } else {
            EXPECT_EQ(run.out, out) << run.err;
        }
        EXPECT_EQ(run.status, c.status);
        for (const auto& [name, bytes] : kFiles) {
            const std::string want = name == c.image ? bytes + c.appended : bytes;
            const std::string got = ReadFile(FDir / name);
            EXPECT_TRUE(got == want)
                << name << ": " << got.size() << " bytes, " << want.size() << " expected\n"
                << ::testing::PrintToString(got.substr(0, 64));
        }
    }

    fs::path FRoot, FDir;
    std::string FShownDir; // the work directory as the program shows it, with a separator
};

class ReelkitRun : public ReelkitTest, public ::testing::WithParamInterface<TCase> {};

TEST_P(ReelkitRun, OutputStatusAndFiles) {
    Check(GetParam(), Reelkit(GetParam().args));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(CommandLine, ReelkitRun, ::testing::Values(
    Help("/h"), Help("-h"), Help("/?"), Help("--help"), Help("/H"), Help("-H"), Help("--HELP"),
    Help("--Help"), Help("/h +b t.tap d3"), Help("'' -h x"), Usage("", kCount),
    Usage("''", kCount), Usage("-?", kUnknown), Usage("/help", kUnknown), Usage("-help", kUnknown),
    Usage("help", kUnknown), Usage("+x t.tap d3", kUnknown), Usage("b t.tap d3", kUnknown),
    TCase{{"--version"}, kVersion, 0, ""}, TCase{{"--Version", "x"}, kVersion, 0, ""},
    Usage("-version", kUnknown)));

INSTANTIATE_TEST_SUITE_P(Appends, ReelkitRun, ::testing::Values(
    Ok("+b t.tap d3", Bytes({5, 0, 0xFF, 1, 2, 3, 0xFF})), Ok("+B t.tap e", kEmptyBlock),
    Ok("'' +b t.tap '' m", Block(0xFF, Pattern(65533))),
    Ok("+h t.tap run B 100", Header(0, "run", 100, 0x8000, 100)),
    Ok("+h t.tap run b 100 10 80", Bytes({0x13, 0, 0, 0, 0x72, 0x75, 0x6E, 0x20, 0x20, 0x20, 0x20,
                                          0x20, 0x20, 0x20, 0x64, 0, 0x0A, 0, 0x50, 0, 0x77})),
    Ok("+h t.tap arr N 5 a", Header(1, "arr", 5, 0x8100)),
    Ok("+h t.tap chars $ 6 b", Header(2, "chars", 6, 0xC200)),
    Ok("+h t.tap abc C 32768 5", Bytes({0x13, 0, 0, 3, 0x61, 0x62, 0x63, 0x20, 0x20, 0x20, 0x20,
                                        0x20, 0x20, 0x20, 5, 0, 0, 0x80, 0, 0, 0xC6})),
    Ok("+H t.tap twelve_chars c $10 #ff", Header(3, "twelve_cha", 255, 16)),
    Ok("+f t.tap d3 prog B", Header(0, "prog", 3, 0x8000, 3) + kData3),
    Ok("+f t.tap d3 prog B 1 2", Header(0, "prog", 3, 1, 2) + kData3),
    Ok("+F t.tap d3 nums n Z", Header(1, "nums", 3, 0x9A00) + kData3),
    Ok("+f t.tap d3 strs $ z", Header(2, "strs", 3, 0xDA00) + kData3),
    Ok("+f t.tap e code C 0x4000", Header(3, "code", 0, 0x4000) + kEmptyBlock),
    Ok("+f t.tap m big C 0", Header(3, "big", 65533, 0) + Block(0xFF, Pattern(65533))),
    Ok("+hb t.tap h17", Block(0, kRaw)), Ok("+HB t.tap h17", Block(0, kRaw)),
    Ok("+Hb t.tap h17", Block(0, kRaw)),
    Ok("+$ t.tap p.$B", Header(0, "DEMO", 5, 10, 3) + Block(0xFF, kHello)),
    Ok("+$ t.tap q.$B", Header(0, "DEMO", 5, 0x8000, 3) + Block(0xFF, kHello)),
    Ok("+$ t.tap c.$C", Header(3, "A B", 3, 0x8000) + kData3),
    Ok("+$ t.tap z.$C", Header(3, " ", 0, 0x4000) + kEmptyBlock),
    OkIn("new.TZX", "+b new.TZX d3", kTZXHeader + TZX(kData3)),
    OkIn("t.tzx", "+f t.tzx d3 code C 0x4000", TZX(Header(3, "code", 3, 0x4000) + kData3)),
    OkIn("tap.tzx", "+b tap.tzx d3", kData3),
    Ok("+l t.tap game 32768 24999 SC", kLoaderFileSC), Ok("+L t.tap game 0x8000 24999 sC", kLoaderFileSC),
    OkIn("new.TZX", "+l new.TZX game 32768 24999 SC", kTZXHeader + TZX(kLoaderFileSC)),
    Ok("+l t.tap game 32768 24999 S7", kLoaderFileS7), OkIn("t.tzx", "+l t.tzx game 0x8000 24999 s7", TZX(kLoaderFileS7)),
    Ok("+d t.tap d3 0", Block(0, kData)), Ok("+D t.tap d3 1", Block(1, kData)), Ok("+d t.tap d3 255", kData3),
    Ok("'' +d t.tap d3 0xFF", kData3), Ok("+d t.tap e $80", Bytes({2, 0, 0x80, 0x80})), Ok("+d t.tap m 0", Block(0, Pattern(65533))),
    OkIn("t.tzx", "+d t.tzx d3 0", TZX(Block(0, kData))), OkIn("t.tzx", "+d t.tzx d3 1", TZX(Block(1, kData))),
    OkIn("t.tzx", "+d t.tzx d3 255", TZX(kData3)), OkIn("new.TZX", "+d new.TZX m 1", kTZXHeader + TZX(Block(1, Pattern(65533))))));

INSTANTIATE_TEST_SUITE_P(Refusals, ReelkitRun, ::testing::Values(
    Usage("+b none d3", NotFound(2)), Usage("+b t.tap none", NotFound(3)),
    Usage("+b dir d3", NotFound(2)), Usage("+b t.tap dangling", NotFound(3)),
    Usage("+b dangling d3", NotFound(2)), Usage("+f t.tap dir n B", NotFound(3)),
    Usage("+h none n Q", NotFound(2)), Usage("+hb t.tap none", NotFound(3)),
    Usage("+$ t.tap none", NotFound(3)), Usage("+b t.tap", kCount), Usage("+h", kCount),
    Usage("+h t.tap n N 5", kCount), Usage("+f t.tap d3 n C", kCount), Usage("+hb t.tap", kCount),
    Usage("+$ t.tap", kCount), Usage("+l t.tap", kCount), Usage("+l t.tap n", kCount), Usage("+b t.tap d3 x", kCount), Usage("+h t.tap n B 1 0 1 2", kCount),
    Usage("+h t.tap n C 1 2 3", kCount), Usage("+f t.tap d3 n N a x", kCount),
    Usage("+f t.tap d3 n B 1 2 3", kCount), Usage("+hb t.tap h17 x", kCount),
    Usage("+$ t.tap p.$B x", kCount), Usage("+l t.tap n 1 0 C x", kCount),
    Usage("+l none n 1", NotFound(2)), Usage("+l t.tap n 0", "Argument 4 is 0: ClearAddress must be given"),
    Usage("+l t.tap n 0 x", "Unable to convert argument 5 to integer number"),
    Usage("+l t.tap n 0x10000", "Argument 4 out of range (0 - 65536)"),
    Usage("+l t.tap n 1 0 CX", kLoaderBlocks), Usage("+l t.tap n 1 0 8", kLoaderBlocks), Usage("+l t.tap n 1 0 C9", kLoaderBlocks),
    Usage("+l t.tap n 1 0 12", kBank2), Usage("+l t.tap n 1 0 5s", kBank5), Usage("+l t.tap n 1 0 C52 x", kBank5), Usage("+l t.tap n 1 0 2X", kLoaderBlocks),
    Usage("+l t.tap n 32768 49152 1", kBankClear), Usage("+l t.tap n 32768 0 1C", kBankClear), Usage("+l t.tap n 0 0xFFFF SC7 x", kBankClear),
    Usage("+d t.tap d3 256", kFlag), Usage("+d t.tap x 0x100", kFlag), Usage("+d t.tap d3 65536", "Argument 4 out of range (0 - 65536)"),
    Usage("+d t.tap d3 x", "Unable to convert argument 4 to integer number"), Usage("+d t.tap d3", kCount), Usage("+d t.tap", kCount),
    Usage("+d", kCount), Usage("+d t.tap d3 ''", "Argument 4 is empty"), Usage("+d t.tap '' 1", "Argument 3 is empty"),
    Usage("+d t.tap d3 1 x", kCount), Usage("+d t.tap d3 1 ''", kCount), Usage("+d none d3 1", NotFound(2)), Usage("+d t.tap none 1", NotFound(3)),
    Fail("+d t.tap x 0", kTooLarge), Fail("+d t.tap w 255", kTooLarge), OpenFail("+d t.tap t.tap 0", "t.tap"),
    Fail("+d p.pzx d3 0", "Cannot write file \"@p.pzx\". The file is a PZX tape image" + kOnly),
    Usage("+l t.tap n 1 0 CCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCC", kLoaderBlocks),
    Usage("+l t.tap n 1 0 SX x", kLoaderBlocks), Usage("+l t.tap '' 32768 24999", "Argument 3 is empty"),
    Usage("+l t.tap n 32768 24999 ''", "Argument 6 is empty"), Usage("'' +L t.tap n ''", "Argument 4 is empty"), Usage("+$ t.tap s.$C x", kCount),
    Usage("+h t.tap n BB 5", "Argument 4 must be a single charachter"),
    Usage("+h t.tap n N 5 ab", "Argument 6 must be a single charachter"),
    Usage("+h t.tap '' n B abc", "Unable to convert argument 5 to integer number"),
    Usage("+f t.tap d3 n B 1e3", "Unable to convert argument 6 to integer number"),
    Usage("+h t.tap n C 65536 1", "Argument 5 out of range (0 - 65536)"),
    Usage("+h t.tap n C 1 -1", "Argument 6 out of range (0 - 65536)"),
    Fail("+h t.tap n Q 5", kType), Fail("+f t.tap d3 n 7", kType),
    Fail("+h t.tap n N 5 1 x", "An attempt to set non-letter name to an array"),
    Fail("+h t.tap n B 100 10 101", kProgramLength), Fail("+f t.tap d3 n B 0 4", kProgramLength),
    Fail("+b t.tap x", kTooLarge), Fail("+b t.tap w", kTooLarge), Fail("+f t.tap x n Q", kTooLarge),
    Fail("+f t.tap w n C 0", kTooLarge), Fail("+hb t.tap h16", k17), Fail("+hb t.tap h18", k17),
    Fail("+hb t.tap e", k17), Fail("+hb t.tap h16 x", k17),
    SelfInput("+b t.tap t.tap", "t.tap"), SelfInput("+f t.tap t.tap n C 0", "t.tap"),
    SelfInput("+hb h17 h17", "h17"), Fail("+$ t.tap t.tap", "File is a TAP image, not a Hobeta file"),
    Fail("+b p.pzx d3", "Cannot write file \"@p.pzx\". The file is a PZX tape image" + kOnly),
    Fail("+h s.csw n B 1", "Cannot write file \"@s.csw\". The file is a CSW tape image" + kOnly),
    Fail("+$ w.wav c.$C", "Cannot write file \"@w.wav\". The file is a WAV sound file" + kOnly),
    Fail("+f d3 t.tap n C 0x8000", "Cannot write file \"@d3\". The file is neither a TAP nor a TZX image"), Fail("+$ t.tap s.$C", kReadError),
    Fail("+$ t.tap u.$C", kReadError), Fail("+$ t.tap v.$B", kProgramLength)));

// Only a whole TAP or TZX image is appended to: a file named in its place, or
// a tape cut short, is left as it was.
INSTANTIATE_TEST_SUITE_P(NotTapes, ReelkitRun, ::testing::Values(
    Fail("+f game.bin t.tap gamecode C 32768", NotTape("game.bin")), Fail("+b screen.scr d3", NotTape("screen.scr")),
    Fail("+hb elf h17", NotTape("elf")), Fail("+$ pic.png c.$C", NotTape("pic.png")),
    Fail("+l w game 32768", NotTape("w")), Fail("+t d.trd d.scl", NotTape("d.trd", "a TRD disk image" + kOnly)),
    Fail("+b d.scl d3", NotTape("d.scl", "an SCL disk image" + kOnly)),
    Fail("+h cut.tap n C 0 0", NotTape("cut.tap", "a TAP image whose block 2 is cut short by 3 bytes")),
    Fail("+b cut.tzx d3", NotTape("cut.tzx", "a TZX image whose header is cut short")),
    Fail("+b cutblock.tzx d3", NotTape("cutblock.tzx", "a TZX image whose block 1 is cut short by 4 bytes")),
    OkIn("rich.tzx", "+b rich.tzx d3", TZX(kData3)),
    Fail("+$ t.tap d.trd", "File is a TRD disk image: +t reads those"),
    Fail("+$ t.tap d.scl", "File is an SCL disk image: +t reads those"),
    Fail("+$ t.tap rich.tzx", "File is a TZX image, not a Hobeta file"),
    Fail("+$ t.tap cut.tzx", "File is a TZX image, not a Hobeta file"),
    Fail("+hb t.tap tap17", "File is a TAP image, not a 17-byte header")));

// What +i shows of each kind of file, and its faults, which make the status 1.
std::string Shown(int block, const std::string& header, int length) {
    return "Block " + std::to_string(block) + ": " + header + "\r\nBlock " + std::to_string(block + 1) +
           ": Data: " + std::to_string(length) + " bytes, flag 255\r\n";
}
const std::string kLoaderShown =
    "Block 1: Program: \"game\" LINE 10, length 69, program 69\r\nBlock 2: Data: 69 bytes, flag 255\r\n"
    "   10 CLEAR VAL \"24999\": LOAD \"\"SCREEN$ : POKE VAL \"23739\",VAL \"111\": LOAD \"\"CODE : POKE VAL "
    "\"23739\",VAL \"244\": RANDOMIZE USR VAL \"32768\"\r\n";
const std::string kScreenShown = Shown(3, "Bytes: \"scr\" CODE 16384,6912", 6912);
TCase Info(const char* args, const std::string& lines, int status = 0) { return {Split(args), lines, status, ""}; }
INSTANTIATE_TEST_SUITE_P(Info, ReelkitRun, ::testing::Values(
    Info("+i t.tap", "Block 1: Data: 16 bytes, flag 255\r\n1 block, no faults\r\n"),
    Info("+I e", "0 blocks, no faults\r\n"),
    Info("+i faults.tap", "Block 1: Bytes: \"x\" CODE 32768,5\r\nBlock 2: Data: 3 bytes, flag 255\r\n"
         "Fault in block 2: 3 bytes, but the header in block 1 says 5\r\nBlock 3: Data: 2 bytes, flag 255\r\n"
         "Fault in block 3: the checksum is 0x00, the flag and data give 0xFC\r\nBlock 4: Bytes: \"y\" CODE 0,1\r\n"
         "Fault in block 4: no data block follows the header\r\n4 blocks, 3 faults\r\n", 1),
    Info("+i cut.tap", "Block 1: Data: 16 bytes, flag 255\r\nFault in block 2: cut short by 3 bytes\r\n2 blocks, 1 fault\r\n", 1),
    Info("+i cut.tzx", "Fault in the header: cut short\r\n0 blocks, 1 fault\r\n", 1),
    Info("+i rich.tzx", "Block 1: Turbo speed data, pause 500 ms: Data: 3 bytes, flag 255\r\n"
         "Block 2: Pure data, pause 0 ms: Data: 3 bytes, flag 255\r\nBlock 3: Pause: 500 ms\r\n"
         "Block 4: Group start: \"Level\"\r\nBlock 5: Text description: \"By Reelki\"\r\nBlock 6: Group end\r\n"
         "Block 7: Archive info: title \"Reelki\"\r\n7 blocks, no faults\r\n"),
    Info("+i d.trd", "File 1: PROG.B, 1 sector: Program: \"PROG\" LINE 10, length 5, program 3\r\n"
         "File 2: ?GONE.C, 0 sectors, deleted\r\nFile 3: CODE.C, 2 sectors: Bytes: \"CODE\" CODE 32768,300\r\n"
         "File 4: NOTES.T, 1 sector: Bytes: \"NOTES\" CODE 21592,3\r\nFile 5: CODE.C, 1 sector: Bytes: \"CODE\" CODE 24576,2\r\n"
         "TRD disk image, 5 files (1 deleted), no faults\r\n"),
    Info("+i bad.trd", "File 1: GOOD.C, 1 sector: Bytes: \"GOOD\" CODE 7,2\r\nFile 2: FAR.C, 1 sector\r\n"
         "Fault in file 2: Disk file \"FAR.C\" does not fit in the disk image\r\nFile 3: LONG.C, 1 sector\r\n"
         "Fault in file 3: Disk file \"LONG.C\" is longer than its sectors\r\nFile 4: ODD.C, 0 sectors\r\n"
         "Fault in file 4: Disk file \"ODD.C\" does not fit in the disk image\r\nTRD disk image, 4 files, 3 faults\r\n", 1),
    Info("+i data.scl", "File 1: A.C, 1 sector\r\nFault in file 1: Disk file \"A.C\" does not fit in the disk image\r\n"
         "Fault in the image: as an SCL image it would hold 279 bytes, or 283 with its checksum, not 278\r\n"
         "SCL disk image, 1 file, 2 faults\r\n", 1),
    Info("+i real.$B", "Hobeta file, 1 sector: Program: \"DEMO\" LINE 10, length 5, program 3\r\nHobeta file of 273 bytes, no faults\r\n"),
    Info("+i cut.$C", "Hobeta file, 2 sectors\r\nFault in the file: cut short by 100 bytes\r\nHobeta file of 217 bytes, 1 fault\r\n", 1),
    Info("+i sound.tap", kLoaderShown + kScreenShown + Shown(5, "Bytes: \"code\" CODE 32768,3", 3) + "6 blocks, no faults\r\n"),
    Info("+i fewer.tap", kLoaderShown + "Fault in block 1: RANDOMIZE USR 32768 is in no file the loader loads\r\n"
         "Fault in block 1: the loader loads 2 files, 1 follows it\r\n" + kScreenShown + "4 blocks, 2 faults\r\n", 1),
    Info("+i more.tap", kLoaderShown + "Fault in block 1: the loader loads 2 files, 3 follow it\r\n" + kScreenShown +
         Shown(5, "Bytes: \"code\" CODE 32768,3", 3) + Shown(7, "Bytes: \"code\" CODE 32768,3", 3) + "8 blocks, 1 fault\r\n", 1),
    Info("+i notscreen.tap", kLoaderShown + "Fault in block 3: LOAD \"\"SCREEN$ finds \"pic\", 100 bytes at 32768: a screen "
         "is 6912 bytes at 16384\r\n" + Shown(3, "Bytes: \"pic\" CODE 32768,100", 100) +
         Shown(5, "Bytes: \"code\" CODE 32768,3", 3) + "6 blocks, 1 fault\r\n", 1),
    Info("+i low.tap", kLoaderShown + "Fault in block 5: \"code\" loads at 24000, not above CLEAR 24999\r\n"
         "Fault in block 1: RANDOMIZE USR 32768 is in no file the loader loads\r\n" + kScreenShown +
         Shown(5, "Bytes: \"code\" CODE 24000,3", 3) + "6 blocks, 2 faults\r\n", 1),
    Info("+i array.tap", kLoaderShown + "Fault in block 5: LOAD \"\"CODE finds Number array \"nums\", not code\r\n"
         "Fault in block 1: RANDOMIZE USR 32768 is in no file the loader loads\r\n" + kScreenShown +
         Shown(5, "Number array: \"nums\" a(), length 3", 3) + "6 blocks, 2 faults\r\n", 1),
    Fail("+i d3", "File is not a TAP, TZX, TRD, SCL or Hobeta file"),
    Fail("+i p.pzx", "File is a PZX tape image: +i reads TAP, TZX, TRD, SCL and Hobeta files"),
    Usage("+i", kCount), Usage("+i ''", "Argument 2 is empty"), Usage("+i t.tap x", kCount),
    Usage("+i none", NotFound(2)), Usage("+i dir", NotFound(2))));

INSTANTIATE_TEST_SUITE_P(Disks, ReelkitRun, ::testing::Values(
    Ok("+t t.tap d.trd", kDisk), Ok("+T t.tap d.scl", kDisk),
    Ok("+t t.tap d.trd CODE.C", kDiskFiles[1].blocks), Ok("+t t.tap d.scl NOTES.TXT", kDiskFiles[2].blocks),
    Ok("+t t.tap d.trd NOTES.T", kDiskFiles[2].blocks), OkIn("t.tzx", "+t t.tzx d.scl PROG.B", TZX(kDiskFiles[0].blocks)),
    Ok("+t t.tap bad.trd GOOD.C", Header(3, "GOOD", 2, 7) + Block(0xFF, "ok")),
    Usage("+t t.tap d.trd GONE.C", NotFound(4)), Usage("+t t.tap d.trd GHOST.C", NotFound(4)),
    Usage("+t t.tap d.scl code.C", NotFound(4) + "; CODE.C matches it but for case"), Usage("+t t.tap d.trd NOTES.TX", "Argument 4 must be a disk file name as name.T"),
    Usage("+t t.tap d.trd CODE.C x", kCount), Usage("+t t.tap d.trd ''", "Argument 4 is empty"), Usage("+t t.tap", kCount), Usage("+t t.tap none", NotFound(3)),
    Fail("+t t.tap d3", kNotDisk), Fail("+t t.tap e", kNotDisk), Fail("+t t.tap bad.trd", NotFit("FAR.C")),
    Fail("+t t.tap bad.trd LONG.C", "Disk file \"LONG.C\" is longer than its sectors"), Fail("+t t.tap bad.trd ODD.C", NotFit("ODD.C")),
    Fail("+t t.tap none.trd", "Disk image holds no files"), Fail("+t t.tap cat.scl", "Disk image ends inside its catalogue"),
    Fail("+t t.tap data.scl", kNotDisk + ": as an SCL image it would hold 279 bytes, or 283 with its checksum, not 278"), SelfInput("+t d.trd d.trd", "d.trd")));
// clang-format on

// Another program holds a file with flock, for a moment or for the whole run:
// readers share, a writer waits about a second for a file held, then gives up.
TEST_F(ReelkitTest, HeldFilesAreSharedWaitedForOrRefused) {
    if (kWine)
        GTEST_SKIP() << "wine does not see a POSIX lock";
    struct THold {
        const char* file;
        int lock;
        int ms; // 0: for the whole run
        bool appends;
    };
    const THold holds[] = {{"d3", LOCK_SH, 0, true},   {"t.tap", LOCK_SH, 0, false},
                           {"d3", LOCK_EX, 300, true}, {"t.tap", LOCK_EX, 300, true},
                           {"d3", LOCK_EX, 0, false},  {"t.tap", LOCK_EX, 0, false}};
    for (const auto& [file, lock, ms, appends] : holds) {
        SCOPED_TRACE(::testing::Message() << file << " " << lock << " " << ms);
        WriteFile(FDir / "t.tap", kImage);
        const int fd = ::open((FDir / file).c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_EQ(::flock(fd, lock), 0);
        std::thread release;
        if (ms > 0)
            release = std::thread([fd, delay = ms] {
                std::this_thread::sleep_for(std::chrono::milliseconds(delay));
                ::close(fd);
            });
        const auto start = std::chrono::steady_clock::now();
        const TRun run = Reelkit(Split("+b t.tap d3"));
        const auto took = std::chrono::steady_clock::now() - start;
        if (ms > 0)
            release.join();
        else
            ::close(fd);
        Check(appends ? Ok("", kData3) : OpenFail("", file), run);
        if (!appends) {
            EXPECT_GE(took, std::chrono::milliseconds(900));
            // A runner such as valgrind adds its own start-up.
            EXPECT_LT(took, std::chrono::seconds(kRunner ? 30 : 4));
        }
    }
}

// Standard output that refuses the text fails a run that would have succeeded.
TEST_F(ReelkitTest, RefusedOutputIsAFailure) {
    // A pipe whose reader has gone: the program must end with a status, not
    // die of SIGPIPE (status 141).
    const std::string closedPipe =
        "{ sleep 0.2; \"$0\" \"$@\"; echo $? >status; } | :; exit $(cat status)";
    const std::tuple<std::string, const char*, int, std::string> cases[] = {
        {">/dev/full", "--help", 1, ""}, {">&-", "--help", 1, ""},
        {closedPipe, "--help", 1, ""},   {">/dev/full", "+b t.tap d3", 0, kData3},
        {">/dev/full", "+b", 2, ""},     {">/dev/full", "+b t.tap x", 1, ""}};
    for (const auto& [output, args, status, appended] : cases) {
        SCOPED_TRACE(output + " " + args);
        if (kRunner && output == ">&-")
            continue; // a runner opens files of its own, which may take the free descriptor
        WriteFile(FDir / "t.tap", kImage);
        const bool redirect = output.starts_with('>');
        const TRun run = ReelkitIn(redirect ? "exec \"$0\" \"$@\" " + output : output, Split(args));
        Check({{}, "", status, appended}, run);
    }
}

// A relative name cannot be made full without a current directory.
TEST_F(ReelkitTest, RemovedWorkingDirectoryFindsNoRelativeName) {
    if (kWine)
        GTEST_SKIP() << "a Windows program's working directory cannot be removed";
    const std::string gone = "mkdir gone && cd gone && rmdir ../gone && exec \"$0\" \"$@\"";
    Check(Usage("", NotFound(2)), ReelkitIn(gone, Split("+b t.tap d3")));
    Check(Usage("", NotFound(3)), ReelkitIn(gone, {"+b", (FDir / "t.tap").string(), "d3"}));
}

// +m: a tape made anew from a list in "sub", whose names are taken from that
// folder. A run leaves every file as it was but the tape it makes, and no
// other file behind: no temporary one.
struct TMakeCase {
    std::string list; // sub/game.list
    const char* tape; // TAPFile
    std::string out;  // '@' as in TCase
    int status = 0;
    std::optional<std::string> made; // the tape afterwards; none: as it was, or still missing
};
void PrintTo(const TMakeCase& c, std::ostream* os) {
    *os << c.tape << ": " << ::testing::PrintToString(c.list);
}

// The lines of one list, as a user may write them, and each as a command of
// its own from the work directory (the tape's name goes second).
const std::pair<std::string, TArgs> kMakeSteps[] = {
    {"# the loader, then the screen and the code it loads\r\n", {}},
    {"+l game 32768 24999 SC\r\n", {"+l", "game", "32768", "24999", "SC"}},
    {"\r\n", {}},
    {"+f\t../screen.scr screen C 16384\n", {"+f", "screen.scr", "screen", "C", "16384"}},
    {" \t+F \"my file.bin\" \"my code\" c 0x8000\r\n",
     {"+F", "sub/my file.bin", "my code", "c", "0x8000"}},
    {"+$ ../p.$B\n", {"+$", "p.$B"}},
    {"   # a header of its own, then its data\n", {}},
    {"+h \"two words\" C 24576 3\n", {"+h", "two words", "C", "24576", "3"}},
    {"+b \"my file.bin\"\n", {"+b", "sub/my file.bin"}},
    {"+hb ../h17\r\n", {"+hb", "h17"}},
    {"+b  ../d3 \n", {"+b", "d3"}},
    {"+t ../d.trd\n", {"+t", "d.trd"}},
    {"+T ../d.scl NOTES.TXT\n", {"+T", "d.scl", "NOTES.TXT"}},
    {"+d ../d3 1", {"+d", "d3", "1"}}};

class MakeTapeTest : public ReelkitTest {
protected:
    void SetUp() override {
        ReelkitTest::SetUp();
        fs::create_directories(FDir / "sub");
        WriteFile(FDir / "sub" / "my file.bin", kData);
    }

    static std::vector<std::string> Entries(const fs::path& dir) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TRun Make(const std::string& list, const char* tape) const {
        WriteFile(FDir / "sub" / "game.list", list);
        return Reelkit({"+m", tape, "sub/game.list"});
    }

    void Check(const TMakeCase& c, const TRun& run) const {
        std::string out = c.out;
        if (const auto at = out.find('@'); at != std::string::npos)
            out.replace(at, 1, FShownDir);
        EXPECT_EQ(run.out, out) << run.err;
        EXPECT_EQ(run.status, c.status);
        std::vector<std::string> names = {"dangling", "dir", "sub"};
        for (const auto& [name, bytes] : kFiles) {
            names.push_back(name);
            EXPECT_TRUE(ReadFile(FDir / name) == (name == c.tape && c.made ? *c.made : bytes))
                << name;
        }
        if (c.made && std::find(names.begin(), names.end(), c.tape) == names.end()) {
            names.emplace_back(c.tape);
            EXPECT_TRUE(ReadFile(FDir / c.tape) == *c.made) << c.tape;
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ(Entries(FDir), names);
        EXPECT_EQ(Entries(FDir / "sub"), (std::vector<std::string>{"game.list", "my file.bin"}));
    }
};

// The list gives the bytes of its commands run one by one on an empty tape,
// TAP and TZX, whatever the spacing, quoting, comments and line ends.
TEST_F(MakeTapeTest, ListGivesTheBytesOfItsCommandsOneByOne) {
    std::string list;
    for (const auto& [line, step] : kMakeSteps)
        list += line;
    for (const char* tape : {"x.tap", "x.tzx"}) {
        SCOPED_TRACE(tape);
        WriteFile(FDir / "one.tap", "");
        WriteFile(FDir / "one.tzx", "");
        const std::string one = tape == "x.tap"s ? "one.tap" : "one.tzx";
        for (const auto& [line, step] : kMakeSteps) {
            if (step.empty())
                continue;
            TArgs args = step;
            args.insert(args.begin() + 1, one);
            ASSERT_EQ(Reelkit(args).status, 0) << line;
        }
        const std::string bytes = ReadFile(FDir / one);
        fs::remove(FDir / "one.tap");
        fs::remove(FDir / "one.tzx");
        EXPECT_TRUE(tape == "x.tap"s
                        ? bytes.starts_with(kLoaderFileSC + Header(3, "screen", 6912, 16384))
                        : bytes.starts_with(kTZXHeader + TZX(kLoaderFileSC)));
        Check({list, tape, "", 0, bytes}, Make(list, tape));
        fs::remove(FDir / tape);
    }
}

// clang-format off
TMakeCase MakeOk(const char* tape, const std::string& list, const std::string& made) { return {list, tape, "", 0, made}; }
TMakeCase MakeUsage(const std::string& list, const std::string& text, const char* tape = "t.tap") { return {list, tape, text + "\r\n" + kUsage, 2, {}}; }
TMakeCase MakeFail(const std::string& list, const std::string& text, const char* tape = "t.tap") { return {list, tape, kFailure + text + "\r\n", 1, {}}; }
// clang-format on

class MakeTapeRun : public MakeTapeTest, public ::testing::WithParamInterface<TMakeCase> {};

TEST_P(MakeTapeRun, OutputStatusAndFiles) {
    Check(GetParam(), Make(GetParam().list, GetParam().tape));
}

// clang-format off
// A new tape is made, an empty file or a tape is replaced whole, a TZX image
// by its name; a refused line names itself and leaves the old tape as it was.
INSTANTIATE_TEST_SUITE_P(MakeTape, MakeTapeRun, ::testing::Values(
    MakeOk("new.tap", "+b ../d3\n", kData3), MakeOk("t.tap", "+b ../d3\r\n", kData3),
    MakeOk("e", "+b ../d3", kData3), MakeOk("new.TZX", "+b ../d3", kTZXHeader + TZX(kData3)),
    MakeOk("t.tzx", "+b ../d3", kTZXHeader + TZX(kData3)), MakeOk("tap.tzx", "+b ../d3", kTZXHeader + TZX(kData3)),
    MakeOk("rich.tzx", "+d ../d3 1\n", kTZXHeader + TZX(Block(1, kData))), MakeOk("t.tap", "# nothing\n\n", ""),
    MakeOk("t.tzx", "", kTZXHeader), MakeOk("t.tap", "+b \"\" ../d3", kData3),
    MakeUsage("+b ../d3\n+f none x C 1\n", "Line 2: " + NotFound(2)),
    MakeUsage("# one\r\n\r\n+b ../d3\r\n+b ../none\r\n", "Line 4: " + NotFound(2)),
    MakeUsage("+h n C 65536 1", "Line 1: Argument 4 out of range (0 - 65536)"),
    MakeUsage("+b ../d3\n\t+d ../d3 x\n", "Line 2: Unable to convert argument 3 to integer number"),
    MakeUsage("+x ../d3", "Line 1: Unknown command"), MakeUsage("t.tap ../d3", "Line 1: Unknown command"),
    MakeUsage("+i ../t.tap", "Line 1: Command +i adds no blocks to a tape"),
    MakeUsage("+M t.tap game.list", "Line 1: Command +M adds no blocks to a tape"),
    MakeUsage("+b ../d3 ../d3", "Line 1: " + kCount), MakeUsage("+l", "Line 1: " + kCount),
    MakeUsage("+d \"\" 1", "Line 1: Argument 2 is empty"), MakeUsage("+l game \"\" 24999", "Line 1: Argument 3 is empty"),
    MakeUsage("+t ../d.trd \"\"", "Line 1: Argument 3 is empty"),
    MakeUsage("+b ../d3", "Argument 2 is empty", ""),
    MakeFail("+b ../x", "Line 1: " + kTooLarge), MakeFail("\n+h n Q 5", "Line 2: " + kType),
    MakeFail("+b ../d3\n+b ../t.tap\n", "Line 2: Cannot open file \"@t.tap\". The input file is the tape image itself"),
    MakeFail("+b ../sub/../t.tap", "Line 1: Cannot open file \"@t.tap\". The input file is the tape image itself"),
    MakeFail("+h n C 0 5", "Fault in block 1: no data block follows the header"),
    MakeFail("+h n C 0 5\n+b ../d3", "Fault in block 2: 3 bytes, but the header in block 1 says 5"),
    MakeFail("+b ../d3", NotTape("game.bin"), "game.bin"), MakeFail("+b ../d3", NotTape("d3"), "d3"),
    MakeFail("+b ../d3", NotTape("cut.tap", "a TAP image whose block 2 is cut short by 3 bytes"), "cut.tap"),
    MakeFail("+b ../d3", NotTape("p.pzx", "a PZX tape image" + kOnly), "p.pzx"),
    MakeFail("+b ../d3", NotTape("d.trd", "a TRD disk image" + kOnly), "d.trd")));
// clang-format on

// The list named where the tape should be, or as the tape itself, is refused;
// so is a list that is no file.
TEST_F(MakeTapeTest, ListThatIsTheTapeOrNoFileIsRefused) {
    WriteFile(FDir / "sub" / "game.list", "");
    const std::string self = "Cannot open file \"@t.tap\". The input file is the tape image itself";
    Check({"", "t.tap", kFailure + self + "\r\n", 1, {}}, Reelkit({"+m", "t.tap", "t.tap"}));
    for (const char* list : {"sub/none", "dir"})
        Check(MakeUsage("", NotFound(3)), Reelkit({"+m", "t.tap", list}));
    for (const TArgs& args : {TArgs{"+m", "t.tap"}, TArgs{"+m", "t.tap", "sub/game.list", "x"}})
        Check(MakeUsage("", kCount), Reelkit(args));
}

// A tape named through a link is replaced where the link leads, as an append
// writes there; the link stays.
TEST_F(MakeTapeTest, LinkedTapeIsReplacedWhereItLeads) {
    if (kWine)
        GTEST_SKIP() << "a Windows program sees no POSIX link";
    fs::create_symlink("../t.tap", FDir / "sub" / "link.tap");
    WriteFile(FDir / "sub" / "game.list", "+b ../d3\n");
    EXPECT_EQ(Reelkit({"+m", "sub/link.tap", "sub/game.list"}).status, 0);
    EXPECT_TRUE(fs::is_symlink(FDir / "sub" / "link.tap"));
    EXPECT_TRUE(ReadFile(FDir / "t.tap") == kData3);
}

// A tool of Debian's fuse-emulator-utils, which the tests need: a run that
// shows it is not there fails the test, or skips it under REELKIT_ALLOW_SKIP=1.
bool Missing(const TRun& run, const char* tool) {
    if (run.status != 127 || !run.out.empty())
        return false;
    if (Env("REELKIT_ALLOW_SKIP") != "1")
        ADD_FAILURE() << tool << " (fuse-emulator-utils) is needed here; "
                      << "REELKIT_ALLOW_SKIP=1 skips the test instead";
    return true;
}

// Every command, on a TAP image and on a TZX image: other tools read both, and
// the TZX image is what their converter makes of the TAP one.
TEST_F(ReelkitTest, TapeReadsBackInAnotherTool) {
    for (const char* image : {"r.tap", "r.tzx"}) {
        WriteFile(FDir / image, "");
        for (std::string step : {"+h @ prog B 3 10", "+b @ d3", "+f @ d3 nums N a",
                                 "+f @ d3 strs $ b", "+f @ d3 code C 32768", "+hb @ h17", "+b @ d3",
                                 "+$ @ p.$B", "+d @ d3 1", "+d @ h17 0"}) {
            step.replace(step.find('@'), 1, image);
            ASSERT_EQ(Reelkit(Split(step)).status, 0) << step;
        }
    }
    const TRun convert = Spawn({"tapeconv", "r.tap", "c.tzx"});
    if (Missing(convert, "tapeconv"))
        GTEST_SKIP() << "tapeconv is not installed";
    ASSERT_EQ(convert.status, 0) << convert.out << convert.err;
    EXPECT_TRUE(ReadFile(FDir / "c.tzx") == ReadFile(FDir / "r.tzx"));

    const TRun list = Spawn({"tzxlist", "r.tzx"});
    if (Missing(list, "tzxlist"))
        GTEST_SKIP() << "tzxlist is not installed";
    ASSERT_EQ(list.status, 0) << list.out << list.err;
    EXPECT_EQ(Count(list.out, "Checksum: 0x"), 14u) << list.out;
    EXPECT_EQ(Count(list.out, " (PASS)\n"), 14u) << list.out;
    // +d's flag 1: the pilot tone of a header, 6.02 s, and the flag in the checksum
    // (d3's bytes add nothing to it); its flag 0 with 17 bytes: a header.
    const char* const flagged = "Block duration: 6.02 sec\n  Block length: 5 bytes\n"
                                "  Datablock length: 3\n  Checksum: 0x01 (PASS)";
    std::size_t at = 0;
    for (const std::string line :
         {"Program: \"prog      \" LINE 10\n", "Length: 3, includes variable length: 0",
          "Datablock length: 3", "Number Array: \"nums      \" DATA A()", "Datablock length: 3",
          "Character Array: \"strs      \" DATA B$()", "Datablock length: 3",
          "Bytes: \"code      \" CODE  32768, 3", "Datablock length: 3",
          "Bytes: \"raw       \" CODE  24576, 3", "Datablock length: 3",
          "Program: \"DEMO      \" LINE 10\n", "Length: 5, includes variable length: 2",
          "Datablock length: 5", flagged, "Bytes: \"raw       \" CODE  24576, 3"}) {
        at = list.out.find(line, at);
        ASSERT_NE(at, std::string::npos) << "missing in order: " << line << "\n" << list.out;
    }

    // A TZX image of other tools' blocks takes a block after them.
    ASSERT_EQ(Reelkit(Split("+b rich.tzx d3")).status, 0);
    const TRun rich = Spawn({"tzxlist", "rich.tzx"});
    ASSERT_EQ(rich.status, 0) << rich.out << rich.err;
    at = 0;
    for (const std::string type : {"0x11 (Turbo Speed Data)", "0x14 (Pure Data)", "0x20 (Pause)",
                                   "0x21 (Group Start)", "0x30 (Comment)", "0x22 (Group End)",
                                   "0x32 (Archive Info)", "0x10 (Standard Speed Data)"}) {
        at = rich.out.find("Block type " + type, at);
        ASSERT_NE(at, std::string::npos) << "missing in order: " << type << "\n" << rich.out;
    }
}

// The SCL image as another tool writes it out as a TRD one gives the same
// tape; and each file, named, is what +$ makes of it as a Hobeta file.
TEST_F(ReelkitTest, DiskImagesAgreeWithAnotherToolAndWithHobeta) {
    const TRun convert = Spawn({"scl2trd", "d.scl", "x.trd"});
    if (Missing(convert, "scl2trd"))
        GTEST_SKIP() << "scl2trd is not installed";
    ASSERT_EQ(convert.status, 0) << convert.out << convert.err;
    for (const char* tape : {"s.tap", "x.tap", "h.tap", "n.tap"})
        WriteFile(FDir / tape, "");
    ASSERT_EQ(Reelkit(Split("+t s.tap d.scl")).status, 0);
    ASSERT_EQ(Reelkit(Split("+t x.tap x.trd")).status, 0);
    EXPECT_TRUE(ReadFile(FDir / "s.tap") == kDisk && ReadFile(FDir / "x.tap") == kDisk);
    const char* names[] = {"PROG.B", "CODE.C", "NOTES.TXT"};
    for (std::size_t i = 0; i < std::size(names); ++i) {
        const TDiskFile& file = kDiskFiles[i];
        WriteFile(FDir / "f.$",
                  Hobeta(file.name.c_str(), file.type, file.w9, file.w11, file.sectors));
        ASSERT_EQ(Reelkit(Split("+$ h.tap f.$")).status, 0);
        ASSERT_EQ(Reelkit({"+t", "n.tap", "x.trd", names[i]}).status, 0);
    }
    EXPECT_TRUE(ReadFile(FDir / "h.tap") == ReadFile(FDir / "n.tap"));
}

// The program +l makes lists as its line in another tool, from a TAP and a TZX image.
TEST_F(ReelkitTest, LoaderListsAsItsLine) {
    const auto paging = [](const std::string& b) {
        return "POKE VAL \"23388\",VAL \"" + b + "\": OUT VAL \"32765\",VAL \"" + b + "\"";
    };
    const std::string restore = "POKE VAL \"23739\",VAL \"244\": ";
    const std::pair<const char*, std::string> cases[] = {
        {"32768 24999 SC", "CLEAR VAL \"24999\": LOAD \"\"SCREEN$ : POKE VAL \"23739\",VAL "
                           "\"111\": LOAD \"\"CODE : " +
                               restore + "RANDOMIZE USR VAL \"32768\""},
        {"32768", "CLEAR VAL \"32767\": LOAD \"\"CODE : RANDOMIZE USR VAL \"32768\""},
        {"0x6000 $5FFF cs", "CLEAR VAL \"24575\": LOAD \"\"CODE : LOAD \"\"SCREEN$ : POKE VAL "
                            "\"23739\",VAL \"111\": " +
                                restore + "RANDOMIZE USR VAL \"24576\""},
        {"0 0 CC", "CLEAR VAL \"0\": LOAD \"\"CODE : LOAD \"\"CODE : RANDOMIZE USR VAL \"0\""},
        {"0xC000 49151 1c70", "CLEAR VAL \"49151\": " + paging("17") +
                                  ": LOAD \"\"CODE : LOAD \"\"CODE : " + paging("23") +
                                  ": LOAD \"\"CODE : " + paging("16") + ": LOAD \"\"CODE : " +
                                  paging("16") + ": RANDOMIZE USR VAL \"49152\""}};
    for (const char* image : {"l.tap", "l.tzx"}) {
        WriteFile(FDir / image, "");
        std::string listing;
        for (const auto& [args, line] : cases) {
            ASSERT_EQ(Reelkit(Split("+l "s + image + " n " + args)).status, 0) << args;
            listing += "   10 "s + line + "\n";
        }
        const TRun list = Spawn({"listbasic", image});
        if (Missing(list, "listbasic"))
            GTEST_SKIP() << "listbasic is not installed";
        EXPECT_EQ(list.status, 0) << list.err;
        EXPECT_EQ(list.out, listing) << image;
    }
}

} // namespace
