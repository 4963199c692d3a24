// SPDX-License-Identifier: MIT
#include "platform/FileStream.h"

#include "platform/Exception.h"
#include "platform/FileCalls.h"
#include "platform/Path.h"
#include "platform/Process.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/vfs.h>
#elif defined(__APPLE__) || defined(__FreeBSD__) || defined(__OpenBSD__) || defined(__DragonFly__)
#include <sys/mount.h>
#define REELKIT_MNT_LOCAL
#else
#include <sys/statvfs.h>
#endif

namespace reelkit {
namespace {

// The wording another platform gives a file held elsewhere; a failed lock here
// reads the same way rather than as "Resource temporarily unavailable".
constexpr const char* kInUseText =
    "The process cannot access the file because it is being used by another process";

// Network file systems (and FUSE, which may be one) can keep a write error
// back until the data is flushed or the file closed. Where the system cannot
// tell, the flush is the safe side.
bool IsNetworkFileSystem(int fd) {
#if defined(__linux__)
    struct statfs info {};
    if (::fstatfs(fd, &info) != 0)
        return true;
    switch (static_cast<unsigned long>(info.f_type)) {
    case 0x6969:     // NFS
    case 0x517B:     // SMB
    case 0xFE534D42: // SMB2
    case 0xFF534D42: // CIFS
    case 0x65735546: // FUSE
    case 0x01021997: // 9P
    case 0x00C36400: // Ceph
        return true;
    default:
        return false;
    }
#elif defined(REELKIT_MNT_LOCAL)
    struct statfs info {};
    return ::fstatfs(fd, &info) != 0 || (info.f_flags & MNT_LOCAL) == 0;
#elif defined(ST_LOCAL) // NetBSD
    struct statvfs info {};
    return ::fstatvfs(fd, &info) != 0 || (info.f_flag & ST_LOCAL) == 0;
#else
    (void)fd;
    return true;
#endif
}

// Data only, not the times: all that a failed write would show up in. macOS
// declares no fdatasync.
int FlushData(int fd) {
#ifdef __APPLE__
    return ::fsync(fd);
#else
    return ::fdatasync(fd);
#endif
}

int DuplicateDescriptor(int fd) {
    return ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
}

void Pause(int milliseconds) {
    const timespec pause{0, milliseconds * 1000000L};
    ::nanosleep(&pause, nullptr);
}

// ENOTSUP and EOPNOTSUPP are one code on Linux, two on some other systems.
bool IsLockUnsupported(int error) {
    switch (error) {
    case ENOLCK:
    case ENOSYS:
    case ENOTSUP:
        return true;
    default:
        return error == EOPNOTSUPP;
    }
}

int Descriptor(std::intptr_t handle) {
    return static_cast<int>(handle);
}

// True when one of this process's own descriptors is on the file, whatever
// name led to it. Asked before locking, so that it holds where there are no locks.
bool HeldHere(const struct stat& file, const std::vector<std::intptr_t>& ours) {
    return std::any_of(ours.begin(), ours.end(), [&](std::intptr_t handle) {
        struct stat info {};
        return FileCalls().fstat(Descriptor(handle), &info) == 0 && info.st_dev == file.st_dev &&
               info.st_ino == file.st_ino;
    });
}

// A file held the other way is tried again for a while. Where the file system
// has no locks (NFS without a lock service, some FUSE and SMB mounts) the file
// is used without one, and locked is false: such locks would only be advisory
// there anyway.
int Lock(int fd, int operation, bool& locked) {
    locked = true;
    for (int waited = 0;;) {
        if (FileCalls().flock(fd, operation | LOCK_NB) == 0)
            return 0;
        const int error = errno;
        if (IsLockUnsupported(error)) {
            locked = false;
            return 0;
        }
        if (error == EINTR)
            continue;
        const int pause = TFileStream::NextPause(waited);
        if (error != EWOULDBLOCK || pause == 0)
            return error;
        FileCalls().pause(pause);
        waited += pause;
    }
}

// Writes all count bytes, or stops at the first failure: its errno value
// (ENOSPC for a write that put nothing); done counts what went out.
int WriteAll(int fd, const unsigned char* bytes, std::size_t count, std::size_t& done) {
    for (done = 0; done < count;) {
        const ssize_t put = FileCalls().write(fd, bytes + done, count - done);
        if (put > 0)
            done += static_cast<std::size_t>(put);
        else if (put == 0 || errno != EINTR)
            return put == 0 ? ENOSPC : errno;
    }
    return 0;
}

} // namespace

TFileCalls& FileCalls() {
    static TFileCalls calls{
        ::flock, ::fstat, ::write, ::ftruncate, IsNetworkFileSystem, FlushData, DuplicateDescriptor,
        ::close, Pause};
    return calls;
}

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : FFileName(fileName) {
    // O_NONBLOCK keeps a name that was swapped for a FIFO from hanging the open;
    // it has no effect on regular files.
    // An image that may be written but not read is still appended to.
    const bool reading = mode == TFileMode::fmOpenRead;
    const int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    int fd = ::open(fileName.c_str(), (reading ? O_RDONLY : O_RDWR | O_APPEND) | flags);
    if (fd < 0 && !reading && errno == EACCES) {
        fd = ::open(fileName.c_str(), O_WRONLY | O_APPEND | flags);
        FReadable = false;
    }
    if (fd < 0) {
        const int error = errno;
        throw EFOpenError(ExpandFileName(fileName), std::strerror(error));
    }

    struct stat info {};
    int error = 0;
    const char* text = nullptr;
    if (FileCalls().fstat(fd, &info) != 0)
        error = errno;
    else if (S_ISDIR(info.st_mode))
        error = EISDIR;
    else if (!S_ISREG(info.st_mode))
        error = ENODEV;
    // A writer that this process's own reader keeps out would wait in vain; a
    // reader of the file a TInputsHeld keeps from the inputs is refused too.
    else if (reading ? IsRefusedInput(fd) : HeldHere(info, HeldForReading()))
        text = kHeldHereText;
    else
        error = Lock(fd, reading ? LOCK_SH : LOCK_EX, FLocked);
    if (error == EWOULDBLOCK)
        text = kInUseText;
    if (error != 0 || text) {
        ::close(fd);
        throw EFOpenError(ExpandFileName(fileName), text ? text : std::strerror(error));
    }
    FHandle = fd;
    if (reading)
        HeldForReading().push_back(FHandle);
}

void TFileStream::Close(std::intptr_t handle) {
    FileCalls().close(Descriptor(handle));
}

std::optional<TFileStream::TIdentity> TFileStream::IdentityOf(const std::string& fileName) {
    struct stat info {};
    if (fileName.empty() || ::stat(fileName.c_str(), &info) != 0)
        return std::nullopt;
    return TIdentity{info.st_dev, info.st_ino};
}

std::optional<TFileStream::TIdentity> TFileStream::IdentityOf(std::intptr_t handle) {
    struct stat info {};
    if (FileCalls().fstat(Descriptor(handle), &info) != 0)
        return std::nullopt;
    return TIdentity{info.st_dev, info.st_ino};
}

void TFileStream::Replace(const std::string& fileName, std::span<const std::uint8_t> bytes) {
    const std::string full = ExpandFileName(fileName);
    // A link is followed to the file it names, which is replaced, as an append
    // writes to it; the report still names the file as it was given.
    std::string target = full;
    if (char* real = ::realpath(full.c_str(), nullptr)) {
        target = real;
        std::free(real);
    }
    // A rename passes over the file's own protection: a file that may not be
    // written is refused, as an append refuses it.
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0 && errno != ENOENT) {
        const int error = errno;
        throw EWriteError(full, std::strerror(error));
    }
    const TStopSignalsHeld held;
    // Hidden, named after the file, and unique: ".game.tap.Xq3f9a".
    std::string temporary =
        DirectoryOf(target) + "/." + target.substr(target.rfind('/') + 1) + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        throw EWriteError(full, std::strerror(error));
    }
    struct stat old {};
    mode_t mode = 0;
    if (::stat(target.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        mode = ::umask(0);
        ::umask(mode);
        mode = 0666 & ~mode;
    }
    std::size_t done = 0;
    int error = WriteAll(fd, bytes.data(), bytes.size(), done);
    if (error == 0 && ::fchmod(fd, mode) != 0)
        error = errno;
    if (error == 0 && FileCalls().flushNeeded(fd) && FileCalls().fdatasync(fd) != 0)
        error = errno;
    if (FileCalls().close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        throw EWriteError(full, std::strerror(error));
    }
}

std::int64_t TFileStream::GetSize() {
    struct stat info {};
    if (FileCalls().fstat(Descriptor(FHandle), &info) != 0)
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

std::size_t TFileStream::ReadAt(std::int64_t offset, void* buffer, std::size_t count) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(Descriptor(FHandle), bytes + done, count - done,
                                    static_cast<off_t>(offset) + static_cast<off_t>(done));
        if (got == 0)
            break;
        if (got > 0)
            done += static_cast<std::size_t>(got);
        else if (errno != EINTR)
            throw EReadError();
    }
    return done;
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
    std::size_t done = 0;
    const int error =
        WriteAll(Descriptor(FHandle), static_cast<const unsigned char*>(buffer), count, done);
    FWritten += static_cast<std::int64_t>(done);
    if (error != 0)
        throw EWriteError(ExpandFileName(FFileName), std::strerror(error));
    return done;
}

// The file was opened for appending, so the size taken under the lock is
// where the bytes land.
std::int64_t TFileStream::EndOfFile() {
    struct stat info {};
    if (FileCalls().fstat(Descriptor(FHandle), &info) != 0) {
        const int error = errno;
        throw EWriteError(ExpandFileName(FFileName), std::strerror(error));
    }
    return info.st_size;
}

// Flushed while still locked where the file system may hold a write error back.
// The close is checked too: on Linux every close reaches the file system (NFS
// writes back and reports there), so the one made here, on the original while
// a duplicate keeps the lock and a way to cut the file back, tells. On the
// BSDs and macOS only the last close of a file does, which is the duplicate's
// in the destructor, unchecked; there the flush on every file system that is
// not local is what catches a late error.
void TFileStream::Commit() {
    const auto fail = [this] {
        const int error = errno;
        throw EWriteError(ExpandFileName(FFileName), std::strerror(error));
    };
    const int fd = Descriptor(FHandle);
    if (FileCalls().flushNeeded(fd) && FileCalls().fdatasync(fd) != 0)
        fail();
    const int spare = FileCalls().duplicate(fd);
    if (spare < 0)
        fail();
    FHandle = spare;
    if (FileCalls().close(fd) != 0)
        fail();
}

std::string TFileStream::Truncate(std::int64_t size) {
    while (FileCalls().ftruncate(Descriptor(FHandle), static_cast<off_t>(size)) != 0)
        if (errno != EINTR)
            return std::strerror(errno);
    return {};
}

} // namespace reelkit
