#include "platform/Path.h"

#include <vector>

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace reelkit {

std::string ExpandFileName(const std::string& name) {
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD length =
            ::GetFullPathNameA(name.c_str(), static_cast<DWORD>(path.size()), path.data(), nullptr);
        if (length == 0)
            return name;
        if (length < path.size())
            return std::string(path.data(), length);
        // Too small: length is the size needed, terminator included. The
        // current directory may change in between, hence the loop.
        path.resize(static_cast<std::size_t>(length) + 1);
    }
}

bool FileExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

} // namespace reelkit
