// SPDX-License-Identifier: MIT
#pragma once

#include "shell/Interfaces.h"

#include <string>

namespace reelkit {

// Reads one ZX Spectrum file kept behind a Hobeta header; writes nothing.
class THobetaSerializer final : public ISerializer {
public:
    explicit THobetaSerializer(std::string fileName) : FFileName(std::move(fileName)) {}

    void WriteHeader(IZXFileInfo& header) override;
    void WriteBlock(std::uint16_t length, std::uint8_t flag, TStream& data) override;
    void WriteFile(IZXFileInfo& header, TStream& data) override;
    // Fills a header of undefined type from the Hobeta header.
    void ReadFileInfo(IZXFileInfo& info) override;
    // Writes the file's data from the stream's start and leaves it at 0.
    void ReadData(TStream& data) override;

private:
    std::string FFileName;
};

} // namespace reelkit
