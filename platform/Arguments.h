// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace reelkit {

// The process's arguments after the program's own name, as the system hands
// them over (empty ones included).
std::vector<std::string> ProcessArguments(int argc, char** argv);

} // namespace reelkit
