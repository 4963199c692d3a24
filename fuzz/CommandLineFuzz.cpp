// SPDX-License-Identifier: MIT
// Any bytes as a whole Windows command line: the split never yields an
// argument holding a double quote, and the arguments, each put back in double
// quotes behind a program name, split into the same list again, empty ones
// included.
#include "FuzzSupport.h"
#include "platform/CommandLine.h"

#include <algorithm>

using namespace reelkit;
using namespace reelkit::fuzz;

namespace {

// A command line that carries the arguments as they are: none holds a double
// quote, so quoting each whole keeps its separators as text.
std::string Quoted(const std::vector<std::string>& arguments) {
    std::string line = "p";
    for (const std::string& argument : arguments)
        line += " \"" + argument + '"';
    return line;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(data, data + size);
    const std::vector<std::string> arguments = SplitCommandLine(line);
    for (const std::string& argument : arguments)
        Check(std::ranges::find(argument, '"') == argument.end(), "quote in " + argument);
    Check(SplitCommandLine(Quoted(arguments)) == arguments, "quoted again: " + Quoted(arguments));
    return 0;
}
