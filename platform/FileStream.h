#pragma once

#include "platform/Stream.h"

#include <cstdint>
#include <string>

namespace reelkit {

enum class TFileMode { fmOpenRead, fmOpenWrite };

// An existing file opened by name for reading only or for writing only, and
// held without sharing: while it is open, no other opening of the same file
// succeeds, in this process or in another. A file is never created.
class TFileStream final : public TStream {
public:
    // Raises EFOpenError, naming the full path, when the file cannot be had.
    TFileStream(const std::string& fileName, TFileMode mode);
    ~TFileStream() override;

    std::int64_t GetSize() override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::size_t Read(void* buffer, std::size_t count) override;
    // Writes all of the buffer or raises EWriteError.
    std::size_t Write(const void* buffer, std::size_t count) override;

    // Writes the whole buffer at the end of the file. Should the system take
    // less (a full disk, a file size limit), the file is cut back to the size
    // it had and EWriteError is raised, so the file is never left half-written.
    void Append(const void* buffer, std::size_t count);

private:
    void Truncate(std::int64_t size) noexcept;

    std::string FFileName;
    std::intptr_t FHandle;
};

} // namespace reelkit
