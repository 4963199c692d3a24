// SPDX-License-Identifier: MIT
#include "platform/Arguments.h"

#include "platform/CommandLine.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace reelkit {

// Windows hands a program one command line; the runtime's own argv splitting
// treats backslashes before quotes as escapes, which this tool does not, so
// the line is split here.
std::vector<std::string> ProcessArguments(int, char**) {
    const char* line = ::GetCommandLineA();
    return SplitCommandLine(line != nullptr ? line : "");
}

} // namespace reelkit
