// SPDX-License-Identifier: MIT
#include "platform/Stream.h"

#include "platform/Exception.h"

#include <algorithm>
#include <vector>

namespace reelkit {

std::size_t TStream::ReadUpTo(void* buffer, std::size_t count) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const std::size_t got = Read(bytes + done, count - done);
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

std::size_t TStream::ReadAt(std::int64_t offset, void* buffer, std::size_t count) {
    Seek(offset, TSeekOrigin::soBeginning);
    return ReadUpTo(buffer, count);
}

void TStream::ReadBuffer(void* buffer, std::size_t count) {
    if (ReadUpTo(buffer, count) != count)
        throw EReadError();
}

void TStream::CopyFrom(TStream& source, std::size_t count) {
    std::vector<unsigned char> chunk(std::min<std::size_t>(count, 65536));
    while (count > 0) {
        const std::size_t part = std::min(count, chunk.size());
        source.ReadBuffer(chunk.data(), part);
        Write(chunk.data(), part);
        count -= part;
    }
}

} // namespace reelkit
