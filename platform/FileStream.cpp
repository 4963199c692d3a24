#include "platform/FileStream.h"

#include "platform/Exception.h"

namespace reelkit {

void TFileStream::Append(const void* buffer, std::size_t count) {
    const std::int64_t oldSize = Seek(0, TSeekOrigin::soEnd);
    try {
        Write(buffer, count);
    } catch (const EWriteError&) {
        Truncate(oldSize);
        throw;
    }
}

} // namespace reelkit
