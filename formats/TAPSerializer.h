// SPDX-License-Identifier: MIT
#pragma once

#include "shell/Interfaces.h"

#include <cstdint>
#include <string>
#include <vector>

namespace reelkit {

// Appends blocks to an existing TAP image; never reads or rewrites it.
class TTAPSerializer final : public ISerializer {
public:
    explicit TTAPSerializer(std::string fileName) : FFileName(std::move(fileName)) {}

    void WriteHeader(IZXFileInfo& header) override;
    void WriteBlock(std::uint16_t length, std::uint8_t flag, TStream& data) override;
    // Appends the header block and the data block together: both land or neither.
    void WriteFile(IZXFileInfo& header, TStream& data) override;
    void ReadFileInfo(IZXFileInfo& header) override;
    void ReadData(TStream& data) override;

private:
    void Append(const std::vector<std::uint8_t>& blocks);

    std::string FFileName;
};

} // namespace reelkit
