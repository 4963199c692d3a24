// SPDX-License-Identifier: MIT
// A loader is read line by line as ProgramLines walks the program
// (formats/BasicListing.h); a line ends at the first 0x0D outside a number.
// A number typed into a line is its text, then 0x0E and five bytes, the value
// the Spectrum uses whatever the text says:
//
//   00 ss lo hi 00   a whole number: lo + 256 * hi, less 65536 when ss is FF
//   ee m1 m2 m3 m4   otherwise: the binary fraction 0.m1m2m3m4 times
//                    2^(ee - 128), its first bit taken as 1: m1's bit 7
//                    holds the sign instead
//
// The memory the checks use: the ROM below 16384; the screen from 16384 to
// 23295; the program from 23755 (48K, no Interface 1); on a 128K, the bank
// paged at 49152 chosen by port 32765 (bits 0-2; bit 5 locks the paging).
#include "formats/LoaderCheck.h"

#include "formats/BasicListing.h"
#include "formats/BasicLoader.h"
#include "formats/BasicTokens.h"
#include "model/ZXFileInfo.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <optional>
#include <string_view>

namespace reelkit {
namespace {

constexpr std::int64_t kScreenStart = 16384; // also where the ROM ends
constexpr std::int64_t kScreenEnd = 23296;
constexpr std::uint16_t kScreenLength = 6912;
constexpr std::int64_t kProgramStart = 23755;
constexpr std::int64_t kMemoryEnd = 65536;

bool IsDigit(std::uint8_t c) {
    return c >= '0' && c <= '9';
}

// What may stand between a number's first digit and its 0x0E.
bool IsNumberText(std::uint8_t c) {
    return IsDigit(c) || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-' || c == ' ';
}

std::optional<double> FiveByteValue(std::span<const std::uint8_t> bytes) {
    if (bytes[0] == 0) {
        if ((bytes[1] != 0 && bytes[1] != 0xFF) || bytes[4] != 0)
            return std::nullopt;
        const int word = bytes[2] | bytes[3] << 8;
        return bytes[1] == 0 ? word : word - 65536;
    }
    const std::uint32_t mantissa = std::uint32_t{bytes[1] | 0x80u} << 24 |
                                   std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 8 |
                                   bytes[4];
    const double magnitude = std::ldexp(mantissa, bytes[0] - 160);
    return (bytes[1] & 0x80) != 0 ? -magnitude : magnitude;
}

// A whole number as it is written; one too large for that in six digits and
// a power of ten, as 1.70141e+38.
std::string Shown(double value) {
    const double magnitude = std::fabs(value);
    if (magnitude < 1e15)
        return std::to_string(static_cast<std::int64_t>(value));
    int exponent = static_cast<int>(std::floor(std::log10(magnitude)));
    auto digits = std::llround(magnitude / std::pow(10.0, exponent - 5));
    if (digits >= 1000000) {
        digits = (digits + 5) / 10;
        ++exponent;
    }
    std::string text = std::to_string(digits);
    while (text.size() > 1 && text.back() == '0')
        text.pop_back();
    std::string shown(value < 0 ? "-" : "");
    shown += text[0];
    if (text.size() > 1)
        shown.append(".").append(text, 1);
    shown.append("e+").append(std::to_string(exponent));
    return shown;
}

std::string Quoted(const std::string& name) {
    return '"' + name + '"';
}

std::string FileText(const TFollowingFile& file) {
    constexpr std::array<std::string_view, 3> kTypes = {"Program", "Number array",
                                                        "Character array"};
    const std::string type = file.type < kTypes.size() ? std::string(kTypes[file.type])
                                                       : "type " + std::to_string(file.type);
    return type + ' ' + Quoted(file.name);
}

// A code file where a LOAD put it, in the bank paged then.
struct TLoaded {
    std::int64_t start = 0;
    std::int64_t end = 0;
    int bank = 0;
    const TFollowingFile* file = nullptr;

    bool Screen() const { return start >= kScreenStart && end <= kScreenEnd; }
    bool Holds(std::int64_t address, int pagedBank) const {
        return address >= start && address < end && (address < kBankAddress || bank == pagedBank);
    }
};

// A RANDOMIZE USR, with the bank paged and the number of files loaded then.
struct TUsr {
    std::int64_t address = 0;
    int bank = 0;
    std::size_t loaded = 0;
};

// Reads the loader's statements and runs them against the files. A reading
// step returns false once the program is not checked, and the walk ends
// there. Once the Spectrum would have stopped the reading goes on, to the end
// of the program, but nothing more is run.
class TLoaderRun {
public:
    TLoaderRun(std::span<const std::uint8_t> program, int programBlock,
               std::span<const TFollowingFile> following)
        : FProgram(program), FProgramBlock(programBlock), FFollowing(following) {}

    TLoaderCheck Check() {
        const std::vector<TBasicLine> lines = ProgramLines(FProgram);
        if (lines.empty())
            return {"the program has no lines", {}};
        for (const TBasicLine& line : lines)
            if (!Line(line))
                return {FCheck.notChecked, {}};
        Finish();
        return FCheck;
    }

private:
    // Reading. Peek skips what the ROM skips: spaces, and control codes with
    // their operands; past the line's bytes it notes that the line ran off.
    std::uint8_t Peek() {
        while (FAt < FBody.size()) {
            const std::uint8_t c = FBody[FAt];
            if (c > ' ' || c == kEndOfLine || c == kNumberMark)
                return c;
            FAt += ControlSize(c);
        }
        FRanOff = true;
        return kEndOfLine;
    }
    bool AtStatementEnd() {
        const std::uint8_t c = Peek();
        return c == ':' || c == kEndOfLine;
    }
    bool NotChecked(std::string why) {
        FCheck.notChecked = std::move(why);
        return false;
    }
    bool Holds(const std::string& what) {
        return NotChecked("line " + std::to_string(FLine) + " holds " + what);
    }
    bool Unexpected() {
        const std::uint8_t c = Peek();
        if (FRanOff)
            return NotChecked("line " + std::to_string(FLine) + " is cut short");
        if (c == ':' || c == kEndOfLine)
            return Holds("an unfinished " + std::string(KeywordText(FStatement)));
        if (c >= btSpectrum)
            return Holds(std::string(KeywordText(c)));
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
            return Holds("a variable");
        if (IsDigit(c) || c == '.')
            return Holds("a number");
        if (c == '"')
            return Holds("a string");
        if (c == kNumberMark)
            return Holds("a number in an unknown form");
        return Holds('"' + ListBytes(FBody.subspan(FAt, 1)) + '"');
    }
    bool Expect(std::uint8_t code) {
        if (Peek() != code)
            return Unexpected();
        ++FAt;
        return true;
    }

    // At a quote: what is inside it, a doubled quote kept as two.
    std::optional<std::span<const std::uint8_t>> String() {
        const std::size_t first = FAt + 1;
        std::size_t at = first;
        for (; at < FBody.size() && FBody[at] != kEndOfLine; ++at) {
            if (FBody[at] != '"')
                continue;
            if (at + 1 < FBody.size() && FBody[at + 1] == '"') {
                ++at;
                continue;
            }
            FAt = at + 1;
            return FBody.subspan(first, at - first);
        }
        FAt = at;
        Unexpected();
        return std::nullopt;
    }

    std::optional<double> Number() {
        const std::uint8_t c = Peek();
        if (c == btVal)
            return ValNumber();
        if (c == btBin)
            ++FAt;
        else if (!IsDigit(c) && c != '.') {
            Unexpected();
            return std::nullopt;
        }
        std::size_t at = FAt;
        while (at < FBody.size() && IsNumberText(FBody[at]))
            ++at;
        const std::optional<double> value =
            at + kNumberSize < FBody.size() && FBody[at] == kNumberMark
                ? FiveByteValue(FBody.subspan(at + 1, kNumberSize))
                : std::nullopt;
        if (!value)
            Holds("a number in an unknown form");
        FAt = at + 1 + kNumberSize;
        return value;
    }

    // VAL "digits": a whole number in decimal, nothing else in the string.
    std::optional<double> ValNumber() {
        const std::size_t val = FAt++;
        if (Peek() != '"') {
            Unexpected();
            return std::nullopt;
        }
        const auto text = String();
        if (!text)
            return std::nullopt;
        double value = 0;
        bool plain = !text->empty();
        for (const std::uint8_t c : *text) {
            plain = plain && IsDigit(c);
            value = value * 10 + (c - '0');
        }
        if (!plain || !std::isfinite(value)) {
            Holds(ListBytes(FBody.subspan(val, FAt - val)));
            return std::nullopt;
        }
        return value;
    }

    // A number rounded as the ROM rounds it (FP-TO-BC: the whole number
    // nearest, a half up). Out of range, the Spectrum stops with an error;
    // the reading goes on with low, which nothing runs.
    std::optional<std::int64_t> Value(std::string_view name, std::int64_t low, std::int64_t high) {
        const std::optional<double> number = Number();
        if (!number)
            return std::nullopt;
        const double rounded = std::floor(*number + 0.5);
        if (rounded >= static_cast<double>(low) && rounded <= static_cast<double>(high))
            return static_cast<std::int64_t>(rounded);
        Stop(std::string(name) + ' ' + Shown(rounded) + " is out of range, " + std::to_string(low) +
             " to " + std::to_string(high));
        return low;
    }

    bool Line(const TBasicLine& line) {
        FLine = line.number;
        FBody = line.body;
        FAt = 0;
        FRanOff = line.cut;
        while (!FRanOff) {
            const std::uint8_t c = Peek();
            if (c == kEndOfLine && !FRanOff)
                return true;
            if (c == ':') {
                ++FAt;
                continue;
            }
            if (c == btRem)
                return true;
            FStatement = c;
            ++FAt;
            if (!Statement())
                return false;
            if (!AtStatementEnd())
                return Unexpected();
        }
        return Unexpected();
    }

    bool Statement() {
        switch (FStatement) {
        case btClear:
            return Clear();
        case btLoad:
            return Load();
        case btPoke:
            return Value("POKE address", 0, 65535) && Expect(',') && Value("POKE value", -255, 255);
        case btOut:
            return Out();
        case btBorder:
            return Value("BORDER", 0, 7).has_value();
        case btPaper:
            return Value("PAPER", 0, 9).has_value();
        case btInk:
            return Value("INK", 0, 9).has_value();
        case btBright:
            return Bright();
        case btCls:
            return true;
        case btRandomize:
            return Usr();
        case btPrint:
            return Print();
        default:
            --FAt;
            return Unexpected();
        }
    }

    bool Clear() {
        if (AtStatementEnd())
            return true; // CLEAR alone keeps RAMTOP where it is
        const auto address = Value("CLEAR", 0, 65535);
        // CLEAR 0 keeps RAMTOP where it is too: the ROM takes 0 for no value.
        if (address && *address != 0 && !FStopped)
            FClears.push_back(*address);
        return address.has_value();
    }

    bool Load() {
        if (Peek() != '"')
            return Unexpected();
        const auto name = String();
        if (!name)
            return false;
        if (!name->empty())
            return Holds("a named LOAD");
        const std::uint8_t kind = Peek();
        if ((kind == ':' || kind == kEndOfLine) && !FRanOff)
            return Holds("LOAD \"\" of a program");
        if (kind != btCode && kind != btScreen)
            return Unexpected();
        ++FAt;
        // 0, as the ROM takes it, is no value: the file's own start, any length.
        std::int64_t address = 0;
        std::int64_t length = 0;
        if (kind == btCode && !AtStatementEnd()) {
            const auto given = Value("LOAD \"\"CODE address", 0, 65535);
            if (!given)
                return false;
            address = *given;
            if (Peek() == ',') {
                ++FAt;
                const auto most = Value("LOAD \"\"CODE length", 0, 65535);
                if (!most)
                    return false;
                length = *most;
            }
        }
        if (!FStopped)
            LoadFile(kind, address, length);
        return true;
    }

    bool Out() {
        const auto port = Value("OUT address", 0, 65535);
        if (!port || !Expect(','))
            return false;
        const auto value = Value("OUT value", 0, 255);
        if (!value)
            return false;
        if (*port == kPagingPort && !FLocked && !FStopped)
            Page(static_cast<int>(*value));
        return true;
    }

    bool Bright() {
        const auto value = Value("BRIGHT", 0, 255);
        if (value && *value != 0 && *value != 1 && *value != 8)
            Stop("BRIGHT " + std::to_string(*value) + " is not 0, 1 or 8");
        return value.has_value();
    }

    bool Usr() {
        if (Peek() != btUsr)
            return Unexpected();
        ++FAt;
        const auto address = Value("RANDOMIZE USR", 0, 65535);
        if (address && !FStopped)
            FUsrs.push_back({*address, FBank, FLoaded.size()});
        return address.has_value();
    }

    // PRINT items, each a string, a number, AT n,n or TAB n, between
    // separators.
    bool Print() {
        bool itemAllowed = true;
        while (!AtStatementEnd()) {
            const std::uint8_t c = Peek();
            if (c == ';' || c == ',' || c == '\'') {
                ++FAt;
                itemAllowed = true;
                continue;
            }
            if (!itemAllowed)
                return Unexpected();
            itemAllowed = false;
            if (!PrintItem(c))
                return false;
        }
        return true;
    }
    bool PrintItem(std::uint8_t c) {
        if (c == '"')
            return String().has_value();
        if (c != btAt && c != btTab)
            return Number().has_value();
        ++FAt;
        if (c == btTab)
            return Value("TAB", 0, 65535).has_value();
        return Value("AT line", 0, 21) && Expect(',') && Value("AT column", 0, 31);
    }

    // Running.
    void Fault(int block, std::string text) { FCheck.faults.push_back({block, std::move(text)}); }
    void Stop(std::string text) {
        if (!FStopped)
            Fault(FProgramBlock, std::move(text));
        FStopped = true;
    }

    // address and length as LOAD ""CODE gives them; 0 for none.
    void LoadFile(std::uint8_t kind, std::int64_t address, std::int64_t length) {
        ++FLoads;
        if (FLoads > FFollowing.size())
            return;
        const TFollowingFile& file = FFollowing[FLoads - 1];
        const std::string statement = kind == btCode ? "LOAD \"\"CODE" : "LOAD \"\"SCREEN$";
        if (file.type != zftCode)
            return Fault(file.block, statement + " finds " + FileText(file) + ", not code");
        std::int64_t start = address != 0 ? address : file.start;
        if (kind == btScreen) {
            start = kScreenStart;
            if (file.length != kScreenLength || file.start != kScreenStart)
                Fault(file.block, statement + " finds " + Quoted(file.name) + ", " +
                                      std::to_string(file.length) + " bytes at " +
                                      std::to_string(file.start) +
                                      ": a screen is 6912 bytes at 16384");
        }
        if (length != 0 && file.length > length)
            Fault(file.block, statement + ' ' + std::to_string(start) + ',' +
                                  std::to_string(length) + " finds " + Quoted(file.name) + ", " +
                                  std::to_string(file.length) + " bytes: more than " +
                                  std::to_string(length));
        // More than a screen's length is a tape loading error.
        const std::int64_t end =
            start + (kind == btScreen ? std::min(file.length, kScreenLength) : file.length);
        if (end > kMemoryEnd)
            Fault(file.block,
                  Quoted(file.name) + " ends at " + std::to_string(end) + ", past 65536");
        FLoaded.push_back({start, end, FBank, &file});
    }

    // The machine stack lies under the CLEAR address: paged out with the
    // bank at 49152, BASIC loses its way back.
    void Page(int value) {
        FLocked = (value & 0x20) != 0;
        if ((value & 7) == FBank)
            return;
        FBank = value & 7;
        if (!FPaged && FClears.empty())
            Fault(FProgramBlock, "the loader pages 128K banks with no CLEAR below 49152");
        else if (!FPaged && FClears.back() >= kBankAddress)
            Fault(FProgramBlock, "CLEAR " + std::to_string(FClears.back()) +
                                     " is not below 49152, where the loader pages 128K banks");
        FPaged = true;
    }

    void CheckUsr(const TUsr& usr) {
        const auto programEnd = kProgramStart + static_cast<std::int64_t>(FProgram.size());
        if (usr.address < kScreenStart ||
            (usr.address >= kProgramStart && usr.address < programEnd))
            return;
        const auto holds = [&usr](const TLoaded& load) {
            return load.Holds(usr.address, usr.bank);
        };
        const auto before = FLoaded.begin() + static_cast<std::ptrdiff_t>(usr.loaded);
        if (std::any_of(FLoaded.begin(), before, holds))
            return;
        const std::string text = "RANDOMIZE USR " + std::to_string(usr.address);
        if (const auto later = std::find_if(before, FLoaded.end(), holds); later != FLoaded.end())
            Fault(FProgramBlock, text + " runs before " + Quoted(later->file->name) + " is loaded");
        else if (FPaged && usr.address >= kBankAddress)
            Fault(FProgramBlock, text + " is in no file loaded into bank " +
                                     std::to_string(usr.bank) + ", the bank paged at the USR");
        else
            Fault(FProgramBlock, text + " is in no file the loader loads");
    }

    // What can be told once the loader has run (or stopped): the files
    // against every CLEAR, the USR addresses against the files, the count.
    void Finish() {
        for (const TLoaded& load : FLoaded) {
            const auto clear = std::find_if(FClears.begin(), FClears.end(),
                                            [&load](std::int64_t c) { return load.start <= c; });
            if (!load.Screen() && clear != FClears.end())
                Fault(load.file->block, Quoted(load.file->name) + " loads at " +
                                            std::to_string(load.start) + ", not above CLEAR " +
                                            std::to_string(*clear));
        }
        for (const TUsr& usr : FUsrs)
            CheckUsr(usr);
        if (!FStopped && FLoads != FFollowing.size())
            Fault(FProgramBlock, "the loader loads " + std::to_string(FLoads) +
                                     (FLoads == 1 ? " file, " : " files, ") +
                                     std::to_string(FFollowing.size()) +
                                     (FFollowing.size() == 1 ? " follows it" : " follow it"));
    }

    std::span<const std::uint8_t> FProgram;
    int FProgramBlock;
    std::span<const TFollowingFile> FFollowing;
    TLoaderCheck FCheck;

    // The line being read.
    std::uint16_t FLine = 0;
    std::span<const std::uint8_t> FBody;
    std::size_t FAt = 0;
    bool FRanOff = false;
    std::uint8_t FStatement = 0;

    // The Spectrum running it.
    bool FStopped = false;
    std::size_t FLoads = 0;
    std::vector<TLoaded> FLoaded;
    std::vector<std::int64_t> FClears;
    std::vector<TUsr> FUsrs;
    int FBank = 0;
    bool FPaged = false;
    bool FLocked = false;
};

} // namespace

TLoaderCheck CheckLoader(std::span<const std::uint8_t> program, int programBlock,
                         std::span<const TFollowingFile> following) {
    return TLoaderRun(program, programBlock, following).Check();
}

} // namespace reelkit
