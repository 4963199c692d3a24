// SPDX-License-Identifier: MIT
#pragma once

#include "shell/Interfaces.h"

#include <cstdint>
#include <string>
#include <vector>

namespace reelkit {

// The 17 bytes of a header block's record for the header: type, name, length
// and the type's two parameters.
std::vector<std::uint8_t> HeaderRecord(IZXFileInfo& header);

// Appends blocks to an existing tape image, TAP or TZX as the image's own
// first bytes say (see TapeFormatOf); never rewrites it.
class TTAPSerializer final : public ISerializer {
public:
    explicit TTAPSerializer(std::string fileName) : FFileName(std::move(fileName)) {}

    void WriteHeader(IZXFileInfo& header) override;
    void WriteBlock(std::uint16_t length, std::uint8_t flag, TStream& data) override;
    // Appends the header block and the data block together: both land or neither.
    void WriteFile(IZXFileInfo& header, TStream& data) override;
    // All of the files' blocks land, or none.
    void WriteFiles(std::span<const TTapeFile> files) override;
    void ReadFileInfo(IZXFileInfo& header) override;
    void ReadData(TStream& data) override;

    // The blocks of one append in TAP form, and where each of them starts.
    struct TBlocks {
        // Room for that many bytes in that many blocks, and their TZX framing.
        TBlocks(std::size_t size, std::size_t count);
        std::vector<std::uint8_t> bytes;
        std::vector<std::size_t> starts;
    };

private:
    // Frames the blocks as the image's format wants them, then appends them.
    void Append(TBlocks& blocks);

    std::string FFileName;
};

} // namespace reelkit
