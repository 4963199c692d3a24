// SPDX-License-Identifier: MIT
#pragma once

#include "shell/Interfaces.h"

#include <vector>

namespace reelkit {

class TCommandLineHelper final : public ICommandLineHelper {
public:
    // arguments: the process's arguments after the program's name. Empty ones
    // are left out, and the positions after them close up.
    explicit TCommandLineHelper(std::vector<std::string> arguments);

    std::string NextArgument() override;
    char NextCharArgument() override;
    std::uint16_t NextNumberArgument() override;
    std::string NextFileArgument() override;
    bool HasMoreArguments() override;
    void CheckNoMoreArguments() override;

private:
    std::vector<std::string> FArguments;
    std::int32_t FConsumed = 0;
};

} // namespace reelkit
