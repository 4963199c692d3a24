// SPDX-License-Identifier: MIT
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

namespace reelkit {

// The calls that TFileStream makes on POSIX, once a file is open, to lock it,
// measure it, write, flush, close and cut it back, and to pause between tries
// (read and lseek are made directly): reached through here so that a test can
// make any of them fail. Each returns as the system call does, with errno set.
struct TFileCalls {
    int (*flock)(int fd, int operation);
    int (*fstat)(int fd, struct stat* info);
    ssize_t (*write)(int fd, const void* buffer, size_t count);
    int (*ftruncate)(int fd, off_t size);
    // True on file systems that may report a write error only at a flush.
    bool (*flushNeeded)(int fd);
    int (*fdatasync)(int fd);
    int (*duplicate)(int fd);
    int (*close)(int fd);
    void (*pause)(int milliseconds);
};

TFileCalls& FileCalls();

} // namespace reelkit
