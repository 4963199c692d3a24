// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

namespace reelkit {

// Console text is 8-bit and goes to standard output only; every line ends in
// CR LF on every platform. Lines are gathered and written out by ConsoleFlush,
// which is false when standard output did not take them all.
void ConsoleWriteLine(std::string_view text = {});
bool ConsoleFlush();

// The platform part: writes the text to standard output, false when the system
// refuses it. Redirected output gets the bytes unchanged.
bool WriteStandardOutput(std::string_view bytes);

} // namespace reelkit
