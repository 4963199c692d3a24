// SPDX-License-Identifier: MIT
#pragma once

#include "shell/Interfaces.h"

#include <vector>

namespace reelkit {

class TCommandLineHelper final : public ICommandLineHelper {
public:
    // arguments: the process's arguments after the program's name. Empty ones
    // are left out, and the positions after them close up, until
    // ReportEmptyArguments. A relative file name is taken against directory,
    // a full path, where one is given, else against the current directory.
    explicit TCommandLineHelper(std::vector<std::string> arguments, std::string directory = {});

    std::string NextArgument() override;
    char NextCharArgument() override;
    std::uint16_t NextNumberArgument() override;
    std::string NextFileArgument() override;
    bool HasMoreArguments() override;
    void CheckNoMoreArguments() override;
    int Position() override { return FPosition; }
    void ReportEmptyArguments() override { FDropEmpty = false; }

private:
    // Where the next argument is, empty ones skipped while they are dropped.
    std::size_t Next() const;

    std::vector<std::string> FArguments;
    std::string FDirectory;
    std::size_t FNext = 0;
    int FPosition = 0;
    bool FDropEmpty = true;
};

} // namespace reelkit
