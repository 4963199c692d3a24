// SPDX-License-Identifier: MIT
#include "shell/CommandLineHelperUnit.h"

#include "platform/Path.h"
#include "shell/AppTypes.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>

namespace reelkit {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The strict integer reading: leading spaces, one optional sign, then decimal
// digits within the signed 32-bit range, or a hex prefix ("$", "x", "X", "0x",
// "0X") and at most eight significant hex digits taken as a signed 32-bit
// pattern. Nothing may follow the digits.
std::optional<std::int64_t> ReadInteger(std::string_view text) {
    std::size_t i = text.find_first_not_of(' ');
    if (i == std::string_view::npos)
        return std::nullopt;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-')
        negative = text[i++] == '-';
    const std::string_view rest = text.substr(i);

    std::size_t digits = 0;
    if (rest.starts_with('$') || rest.starts_with('x') || rest.starts_with('X'))
        digits = 1;
    else if (rest.starts_with("0x") || rest.starts_with("0X"))
        digits = 2;

    std::int64_t value = 0;
    if (digits > 0) {
        if (digits == rest.size())
            return std::nullopt;
        for (char c : rest.substr(digits)) {
            const int digit = HexDigit(c);
            if (digit < 0)
                return std::nullopt;
            value = value * 16 + digit;
            if (value > 0xFFFFFFFF)
                return std::nullopt;
        }
        value = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    } else {
        if (rest.empty())
            return std::nullopt;
        for (char c : rest) {
            if (c < '0' || c > '9')
                return std::nullopt;
            value = value * 10 + (c - '0');
            if (value > std::int64_t{1} << 31)
                return std::nullopt;
        }
        if (!negative && value > INT32_MAX)
            return std::nullopt;
    }
    return negative ? -value : value;
}

// A failed strict reading gets one more chance with a hex marker the strict
// syntax does not know: "#", or a "$", "0x", "0X" or "x" it could not use.
std::optional<std::int64_t> ReadNumber(std::string_view text) {
    if (auto value = ReadInteger(text))
        return value;
    std::string_view digits;
    if (text.starts_with('#') || text.starts_with('$') || text.starts_with('x'))
        digits = text.substr(1);
    else if (text.starts_with("0x") || text.starts_with("0X"))
        digits = text.substr(2);
    else
        return std::nullopt;
    std::string hex = "$";
    hex += digits;
    return ReadInteger(hex);
}

} // namespace

TCommandLineHelper::TCommandLineHelper(std::vector<std::string> arguments, std::string directory)
    : FArguments(std::move(arguments)), FDirectory(std::move(directory)) {}

std::size_t TCommandLineHelper::Next() const {
    std::size_t next = FNext;
    while (FDropEmpty && next < FArguments.size() && FArguments[next].empty())
        ++next;
    return next;
}

std::string TCommandLineHelper::NextArgument() {
    if (!HasMoreArguments())
        throw ECommandLineFormatException("Invalid command line argument count");
    FNext = Next() + 1;
    ++FPosition;
    std::string argument = FArguments[FNext - 1];
    if (argument.empty())
        throw ECommandLineFormatException("Argument %d is empty", FPosition);
    return argument;
}

char TCommandLineHelper::NextCharArgument() {
    const std::string argument = NextArgument();
    if (argument.size() != 1)
        throw ECommandLineFormatException("Argument %d must be a single charachter", FPosition);
    return argument.front();
}

std::uint16_t TCommandLineHelper::NextNumberArgument() {
    const std::string argument = NextArgument();
    const auto value = ReadNumber(argument);
    if (!value)
        throw ECommandLineFormatException("Unable to convert argument %d to integer number",
                                          FPosition);
    if (*value < 0 || *value > 65535)
        throw ECommandLineFormatException("Argument %d out of range (0 - 65536)", FPosition);
    return static_cast<std::uint16_t>(*value);
}

std::string TCommandLineHelper::NextFileArgument() {
    const std::string name = NextArgument();
    std::string path = FDirectory.empty() ? ExpandFileName(name) : ExpandFileName(name, FDirectory);
    if (!FileExists(path))
        throw ECommandLineFormatException("Specified in agrument %d file is not found", FPosition);
    return path;
}

bool TCommandLineHelper::HasMoreArguments() {
    return Next() < FArguments.size();
}

void TCommandLineHelper::CheckNoMoreArguments() {
    if (HasMoreArguments())
        throw ECommandLineFormatException("Invalid command line argument count");
}

} // namespace reelkit
