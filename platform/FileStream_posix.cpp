#include "platform/FileStream.h"

#include "platform/Exception.h"
#include "platform/Path.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace reelkit {
namespace {

// The wording another platform gives a file held elsewhere; a failed lock here
// reads the same way rather than as "Resource temporarily unavailable".
constexpr const char* kInUseText =
    "The process cannot access the file because it is being used by another process";

// NFS emulates flock with byte-range locks, where an exclusive lock needs a
// handle open for writing; a file opened for reading takes a shared lock there,
// which still keeps out every writer and every other exclusive open.
int Lock(int fd, TFileMode mode) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        return 0;
    if (errno == EBADF && mode == TFileMode::fmOpenRead && ::flock(fd, LOCK_SH | LOCK_NB) == 0)
        return 0;
    return errno;
}

int Descriptor(std::intptr_t handle) {
    return static_cast<int>(handle);
}

} // namespace

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : FFileName(fileName) {
    // O_NONBLOCK keeps a name that was swapped for a FIFO from hanging the open;
    // it has no effect on regular files.
    const int access = mode == TFileMode::fmOpenRead ? O_RDONLY : O_WRONLY;
    const int fd = ::open(fileName.c_str(), access | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        throw EFOpenError(ExpandFileName(fileName), std::strerror(errno));

    struct stat info {};
    int error = 0;
    const char* text = nullptr;
    if (::fstat(fd, &info) != 0)
        error = errno;
    else if (S_ISDIR(info.st_mode))
        error = EISDIR;
    else if (!S_ISREG(info.st_mode))
        error = ENODEV;
    else if ((error = Lock(fd, mode)) == EWOULDBLOCK)
        text = kInUseText;
    if (error != 0) {
        ::close(fd);
        throw EFOpenError(ExpandFileName(fileName), text ? text : std::strerror(error));
    }
    FHandle = fd;
}

TFileStream::~TFileStream() {
    ::close(Descriptor(FHandle));
}

std::int64_t TFileStream::GetSize() {
    struct stat info {};
    if (::fstat(Descriptor(FHandle), &info) != 0)
        throw EReadError();
    return info.st_size;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    const int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
                       : origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                          : SEEK_END;
    const off_t position = ::lseek(Descriptor(FHandle), static_cast<off_t>(offset), whence);
    if (position < 0)
        throw EReadError();
    return position;
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
    for (;;) {
        const ssize_t got = ::read(Descriptor(FHandle), buffer, count);
        if (got >= 0)
            return static_cast<std::size_t>(got);
        if (errno != EINTR)
            throw EReadError();
    }
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t put = ::write(Descriptor(FHandle), bytes + done, count - done);
        if (put > 0) {
            done += static_cast<std::size_t>(put);
            continue;
        }
        if (put < 0 && errno == EINTR)
            continue;
        throw EWriteError(ExpandFileName(FFileName), std::strerror(put < 0 ? errno : ENOSPC));
    }
    return done;
}

void TFileStream::Truncate(std::int64_t size) noexcept {
    while (::ftruncate(Descriptor(FHandle), static_cast<off_t>(size)) != 0 && errno == EINTR) {
    }
}

} // namespace reelkit
