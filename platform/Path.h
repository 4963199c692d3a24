// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace reelkit {

// The full path of name: a relative name is taken against the current
// directory, and "." and ".." are folded by the text alone (links are not
// followed). Empty when a relative name cannot be made full: the current
// directory is gone.
std::string ExpandFileName(const std::string& name);

// The same, with a relative name taken against directory, a full path.
std::string ExpandFileName(const std::string& name, const std::string& directory);

// The folder a full path names its file in, without a separator at its end
// (but for the root).
std::string DirectoryOf(const std::string& fullPath);

// True when path names an existing file that is not a directory, links
// followed: a link to nothing is not found. On POSIX only regular files count; a device or pipe
// that gets past this test is refused when it is opened.
bool FileExists(const std::string& path);

} // namespace reelkit
