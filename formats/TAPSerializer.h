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

// Builds tape blocks in TAP form: a header's record, data blocks, a file's
// header and data together; where they go is the derived class's to say.
class TTapeWriter : public ISerializer {
public:
    void WriteHeader(IZXFileInfo& header) override;
    void WriteBlock(std::uint16_t length, std::uint8_t flag, TStream& data) override;
    // The header block and the data block go out together: both or neither.
    void WriteFile(IZXFileInfo& header, TStream& data) override;
    // All of the files' blocks go out together, or none.
    void WriteFiles(std::span<const TTapeFile> files) override;
    void ReadFileInfo(IZXFileInfo& header) override;
    void ReadData(TStream& data) override;

    // The blocks of one write in TAP form, and where each of them starts.
    struct TBlocks {
        // Room for that many bytes in that many blocks, and their TZX framing.
        TBlocks(std::size_t size, std::size_t count);
        std::vector<std::uint8_t> bytes;
        std::vector<std::size_t> starts;
    };

protected:
    // Takes the blocks of one write.
    virtual void Append(TBlocks& blocks) = 0;
};

// Appends blocks to an existing tape image, TAP or TZX as the image's content
// says (see TapeFormatOf); never rewrites it.
class TTAPSerializer final : public TTapeWriter {
public:
    explicit TTAPSerializer(std::string fileName) : FFileName(std::move(fileName)) {}

private:
    // Frames the blocks as the image's format wants them, then appends them.
    void Append(TBlocks& blocks) override;

    std::string FFileName;
};

// Keeps the blocks written to it for a tape image made anew, a TZX image when
// its name ends in .tzx and a TAP image otherwise: each write's blocks as they
// were built, not copied. ReadData gives the whole image, once: the blocks are
// framed in place and go to the stream in one piece, sized for them all.
class TNewTapeSerializer final : public TTapeWriter {
public:
    explicit TNewTapeSerializer(std::string fileName) : FFileName(std::move(fileName)) {}

    // The image's bytes into the stream from its start; the stream is left at 0.
    void ReadData(TStream& data) override;

private:
    void Append(TBlocks& blocks) override;

    std::string FFileName;
    std::vector<TBlocks> FWrites;
};

} // namespace reelkit
