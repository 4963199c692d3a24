// SPDX-License-Identifier: MIT
#pragma once

// Shared by the fuzz targets. A failed check aborts, so that libFuzzer and the
// corpus replay in the test suite both stop on it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace reelkit::fuzz {

using TBytes = std::vector<std::uint8_t>;

inline void Check(bool ok, const std::string& what) {
    if (!ok) {
        std::fprintf(stderr, "check failed: %s\n", what.c_str());
        std::abort();
    }
}

inline std::uint16_t Word(const std::uint8_t* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

inline TBytes Load(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    Check(file && std::fseek(file, 0, SEEK_END) == 0, path);
    TBytes bytes(static_cast<std::size_t>(std::ftell(file)));
    std::rewind(file);
    Check(bytes.empty() || std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size(), path);
    std::fclose(file);
    return bytes;
}

// A file of this process's own in /dev/shm (or TMPDIR), gone with the object.
struct TScratchFile {
    explicit TScratchFile(const char* tag, const TBytes& bytes = {}) {
        const char* tmp = std::getenv("TMPDIR");
        Path = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : tmp ? tmp : "/tmp";
        Path += "/reelkit-fuzz-" + std::to_string(::getpid()) + tag;
        std::FILE* file = std::fopen(Path.c_str(), "wb");
        Check(file &&
                  (bytes.empty() ||
                   std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size()) &&
                  std::fclose(file) == 0,
              Path);
    }
    ~TScratchFile() { ::unlink(Path.c_str()); }
    std::string Path;
};

} // namespace reelkit::fuzz
