// SPDX-License-Identifier: MIT
#include "platform/FileStream.h"

#include "platform/Exception.h"

#include <algorithm>

namespace reelkit {

void TFileStream::Append(const void* buffer, std::size_t count) {
    const std::int64_t oldSize = EndOfFile();
    try {
        Write(buffer, count);
        Commit();
    } catch (...) {
        const std::string notRestored = Truncate(oldSize);
        if (notRestored.empty())
            throw;
        try {
            throw;
        } catch (const EWriteError& failure) {
            throw EWriteError(failure, notRestored);
        }
    }
}

// Short pauses first: a file is mostly held for a moment only.
int TFileStream::NextPause(int waited) {
    constexpr int kWait = 1000;
    if (waited >= kWait)
        return 0;
    return std::min({10 + waited, 100, kWait - waited});
}

} // namespace reelkit
