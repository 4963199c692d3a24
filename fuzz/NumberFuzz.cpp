// SPDX-License-Identifier: MIT
// Any text as argument 1 of NextNumberArgument: a number from 0 to 65535, or
// one of the two number messages; the number reads back in every notation.
#include "FuzzSupport.h"
#include "shell/AppTypes.h"
#include "shell/CommandLineHelperUnit.h"

using namespace reelkit;
using namespace reelkit::fuzz;

namespace {

constexpr long kOutOfRange = -1, kUnreadable = -2;

long Read(const std::string& text) {
    try {
        return TCommandLineHelper({text}).NextNumberArgument();
    } catch (const ECommandLineFormatException& e) {
        if (e.Message() == "Argument 1 out of range (0 - 65536)")
            return kOutOfRange;
        Check(e.Message() == "Unable to convert argument 1 to integer number", e.Message());
        return kUnreadable;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(data, data + size);
    if (text.empty())
        return 0; // an empty argument never reaches the reader
    const long value = Read(text);
    Check(Read(text + " ") == kUnreadable, "trailing space accepted");
    if (text.size() <= 9 && text.find_first_not_of("0123456789") == std::string::npos)
        Check(value == (std::stol(text) <= 65535 ? std::stol(text) : kOutOfRange), "decimal");
    if (value < 0)
        return 0;
    char hex[24];
    std::snprintf(hex, sizeof hex, "%lX", value);
    for (const std::string prefix : {"$", "#", "x", "X", "0x", "0X", "  +$"})
        Check(Read(prefix + hex) == value, prefix + hex);
    Check(Read(std::string("-$") + hex) == (value > 0 ? kOutOfRange : 0), "negative");
    return 0;
}
