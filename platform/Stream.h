// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>

namespace reelkit {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

// A seekable byte stream. Read and Write report how many bytes they moved;
// ReadUpTo stops at the end only, ReadBuffer and CopyFrom insist on the whole
// count.
class TStream {
public:
    virtual ~TStream() = default;

    virtual std::int64_t GetSize() = 0;
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;

    std::int64_t GetPosition() { return Seek(0, TSeekOrigin::soCurrent); }
    // Reads up to count bytes from offset, stopping at the end only; returns
    // how many. The position afterwards is unspecified.
    virtual std::size_t ReadAt(std::int64_t offset, void* buffer, std::size_t count);

    // Reads until count bytes are in or the stream ends; returns how many.
    std::size_t ReadUpTo(void* buffer, std::size_t count);
    // Reads exactly count bytes or raises EReadError.
    void ReadBuffer(void* buffer, std::size_t count);
    // Copies exactly count bytes from source's position or raises EReadError.
    void CopyFrom(TStream& source, std::size_t count);

protected:
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;
};

} // namespace reelkit
