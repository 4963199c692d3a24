#pragma once

#include <string_view>

namespace reelkit {

// Console text is 8-bit and goes to standard output only; every line ends in
// CR LF on every platform. Lines are gathered and written out by ConsoleFlush.
void ConsoleWriteLine(std::string_view text = {});
void ConsoleFlush();

// The platform part: writes the bytes to standard output unchanged.
void WriteStandardOutput(std::string_view bytes);

} // namespace reelkit
