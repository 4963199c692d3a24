// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace reelkit {

class IZXFileInfo;
class TStream;

// Hands out the command-line arguments strictly from left to right. Positions
// in its messages count from the command switch, which is argument 1.
class ICommandLineHelper {
public:
    virtual ~ICommandLineHelper() = default;
    virtual std::string NextArgument() = 0;
    virtual char NextCharArgument() = 0;
    virtual std::uint16_t NextNumberArgument() = 0;
    // The full path of an existing file.
    virtual std::string NextFileArgument() = 0;
    virtual bool HasMoreArguments() = 0;
    virtual void CheckNoMoreArguments() = 0;
    // The position of the argument read last.
    virtual int Position() = 0;
    // From here on an empty argument is an argument, and refused at its
    // position, instead of being dropped as it is until then.
    virtual void ReportEmptyArguments() = 0;
};

class ICommand {
public:
    virtual ~ICommand() = default;
    // Reads the command's own arguments and does its work; raises on failure
    // and prints nothing on success.
    virtual void Execute() = 0;
    // Writes the command's usage lines, then one empty line.
    virtual void PrintUsage() = 0;
    // The switch that selects the command.
    virtual std::string GetName() = 0;
};

// One file for the tape: its header and the data of the block after it.
struct TTapeFile {
    IZXFileInfo& header;
    TStream& data;
};

// A file format: the tape writer implements the writing half, the Hobeta
// reader the reading half; the other half raises "Feature is not implemented yet".
class ISerializer {
public:
    virtual ~ISerializer() = default;
    virtual void WriteHeader(IZXFileInfo& header) = 0;
    virtual void WriteBlock(std::uint16_t length, std::uint8_t flag, TStream& data) = 0;
    virtual void WriteFile(IZXFileInfo& header, TStream& data) = 0;
    // Every file's header and data block, in order and in one write.
    virtual void WriteFiles(std::span<const TTapeFile> files) = 0;
    virtual void ReadFileInfo(IZXFileInfo& header) = 0;
    virtual void ReadData(TStream& data) = 0;
};

} // namespace reelkit
