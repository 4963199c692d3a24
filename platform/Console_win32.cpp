#include "platform/Console.h"

#include <algorithm>

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace reelkit {

// Straight to the handle: the runtime's text mode would turn LF into CR LF
// and the lines already end in CR LF.
void WriteStandardOutput(std::string_view bytes) {
    const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == nullptr || output == INVALID_HANDLE_VALUE)
        return;
    while (!bytes.empty()) {
        const auto part = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD put = 0;
        if (!::WriteFile(output, bytes.data(), part, &put, nullptr) || put == 0)
            return; // nowhere left to say anything
        bytes.remove_prefix(put);
    }
}

} // namespace reelkit
