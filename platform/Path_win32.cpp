// SPDX-License-Identifier: MIT
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
            return {};
        if (length < path.size())
            return std::string(path.data(), length);
        // Too small: length is the size needed, terminator included. The
        // current directory may change in between, hence the loop.
        path.resize(static_cast<std::size_t>(length) + 1);
    }
}

// Absolute: "\\server\share", "\path" and "/path" (on the current drive), "C:\path";
// "C:path" is relative to the drive's own current folder, which is kept.
std::string ExpandFileName(const std::string& name, const std::string& directory) {
    const bool separated = !name.empty() && (name[0] == '\\' || name[0] == '/');
    const bool onDrive = name.size() >= 2 && name[1] == ':';
    return ExpandFileName(separated || onDrive ? name : directory + '\\' + name);
}

std::string DirectoryOf(const std::string& fullPath) {
    const std::size_t separator = fullPath.find_last_of("\\/");
    if (separator == std::string::npos)
        return fullPath;
    // The root of a drive keeps its separator: "C:\".
    return fullPath.substr(0, separator == 2 && fullPath[1] == ':' ? 3 : separator);
}

// Opened, not merely looked up, so that links are followed to what they name.
bool FileExists(const std::string& path) {
    const HANDLE handle =
        ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        // Present but not to be opened now (no access, held by another program):
        // the open that follows reports why, as on POSIX.
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return false;
        const DWORD attributes = ::GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES &&
               (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool file = ::GetFileInformationByHandle(handle, &info) &&
                      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    ::CloseHandle(handle);
    return file;
}

} // namespace reelkit
