// SPDX-License-Identifier: MIT
#include "platform/MemoryStream.h"

#include <algorithm>
#include <cstring>

namespace reelkit {

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    std::int64_t base = 0;
    if (origin == TSeekOrigin::soCurrent)
        base = static_cast<std::int64_t>(FPosition);
    else if (origin == TSeekOrigin::soEnd)
        base = GetSize();
    FPosition = static_cast<std::size_t>(std::max<std::int64_t>(0, base + offset));
    return static_cast<std::int64_t>(FPosition);
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
    if (FPosition >= FBytes.size())
        return 0;
    count = std::min(count, FBytes.size() - FPosition);
    std::memcpy(buffer, FBytes.data() + FPosition, count);
    FPosition += count;
    return count;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
    if (count == 0)
        return 0;
    if (FBytes.size() < FPosition + count)
        FBytes.resize(FPosition + count);
    std::memcpy(FBytes.data() + FPosition, buffer, count);
    FPosition += count;
    return count;
}

} // namespace reelkit
