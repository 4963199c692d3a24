// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace reelkit {

// Same length, same bytes, with only A-Z folded to a-z: no locale involved.
// Command switches match so.
bool SameText(std::string_view a, std::string_view b);

// Splits a whole command line, as one platform delivers it, into the arguments
// after the program's name. Separators are the codes 1 to 32; a double quote
// opens or closes a stretch in which separators count as text; quoted and
// unquoted stretches that touch make one argument, and "" alone an empty one
// (which the argument reader drops for the commands that drop them); a
// backslash is an ordinary character.
std::vector<std::string> SplitCommandLine(std::string_view line);

// The words of one line of a tape list: separated by spaces and tabs; a double
// quote opens or closes a stretch in which they count as text; quoted and
// unquoted stretches that touch make one word, and "" alone an empty word; a
// quote left open runs to the line's end. A backslash is an ordinary character.
std::vector<std::string> SplitWords(std::string_view line);

} // namespace reelkit
