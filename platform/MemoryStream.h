// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Stream.h"

#include <vector>

namespace reelkit {

// A stream in memory that grows with what is written past its end.
class TMemoryStream final : public TStream {
public:
    TMemoryStream() = default;

    std::int64_t GetSize() override { return static_cast<std::int64_t>(FBytes.size()); }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;

    const std::vector<unsigned char>& Bytes() const { return FBytes; }

private:
    std::vector<unsigned char> FBytes;
    std::size_t FPosition = 0;
};

} // namespace reelkit
