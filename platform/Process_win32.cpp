// SPDX-License-Identifier: MIT
#include "platform/Process.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace reelkit {

void PrepareProcess() {
    // A console tool run from scripts must not stop to ask about a missing
    // disk; the failed open is reported instead.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}

} // namespace reelkit
