// SPDX-License-Identifier: MIT
#include "platform/Console.h"

#include <string>

namespace reelkit {
namespace {

std::string& Pending() {
    static std::string text;
    return text;
}

} // namespace

void ConsoleWriteLine(std::string_view text) {
    Pending().append(text).append("\r\n");
}

bool ConsoleFlush() {
    const bool written = WriteStandardOutput(Pending());
    Pending().clear();
    return written;
}

} // namespace reelkit
