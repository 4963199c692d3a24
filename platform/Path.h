#pragma once

#include <string>

namespace reelkit {

// The full path of name: a relative name is taken against the current
// directory, and "." and ".." are folded by the text alone (links are not
// followed).
std::string ExpandFileName(const std::string& name);

// True when path names an existing regular file, links followed. Directories,
// FIFOs, devices and sockets are not files for this tool.
bool FileExists(const std::string& path);

} // namespace reelkit
