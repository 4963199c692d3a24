// SPDX-License-Identifier: MIT
#include "formats/BlockLength.h"

#include "shell/AppTypes.h"

namespace reelkit {

std::uint16_t BlockLength(std::int64_t size) {
    // A negative size, which no file has, is refused rather than wrapped.
    if (size < 0 || size > kMaxBlockData)
        throw EAppException("File to add to image is too large");
    return static_cast<std::uint16_t>(size);
}

} // namespace reelkit
