// SPDX-License-Identifier: MIT
#include "platform/Arguments.h"

namespace reelkit {

std::vector<std::string> ProcessArguments(int argc, char** argv) {
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{};
}

} // namespace reelkit
