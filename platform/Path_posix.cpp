// SPDX-License-Identifier: MIT
#include "platform/Path.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace reelkit {

std::string ExpandFileName(const std::string& name) {
    std::string whole;
    if (name.empty() || name.front() != '/') {
        std::vector<char> cwd(4096);
        while (::getcwd(cwd.data(), cwd.size()) == nullptr) {
            if (errno != ERANGE)
                return {};
            cwd.resize(cwd.size() * 2);
        }
        whole = cwd.data();
        whole += '/';
    }
    whole += name;

    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= whole.size()) {
        std::size_t end = whole.find('/', start);
        if (end == std::string::npos)
            end = whole.size();
        const std::string part = whole.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }

    std::string path;
    for (const auto& part : parts) {
        path += '/';
        path += part;
    }
    // A trailing slash says "directory"; keep it so that such a name is never
    // taken for a file.
    if (path.empty() || (!name.empty() && name.back() == '/'))
        path += '/';
    return path;
}

std::string ExpandFileName(const std::string& name, const std::string& directory) {
    return ExpandFileName(name.starts_with('/') ? name : directory + '/' + name);
}

std::string DirectoryOf(const std::string& fullPath) {
    const std::size_t slash = fullPath.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : fullPath.substr(0, slash);
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace reelkit
