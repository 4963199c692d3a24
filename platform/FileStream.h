// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Stream.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace reelkit {

// Why a file that this process holds for reading cannot be opened for writing:
// the only file written is the tape image.
constexpr const char* kHeldHereText = "The input file is the tape image itself";

// fmOpenRead: for reading, shared with other readers and with no writer.
// fmOpenWrite: for appending, held alone; also read from where the system
// allows it (see Readable).
enum class TFileMode { fmOpenRead, fmOpenWrite };

// An existing file opened by name; a file is never created. Any number of
// readers may hold a file at once, a writer holds it alone (POSIX: advisory
// flock locks; Windows: share modes). A file held the other way by another
// process is waited for about a second, then refused; one that this process
// itself holds for reading is refused at once, since that hold would outlast
// any wait.
class TFileStream final : public TStream {
public:
    // Raises EFOpenError, naming the full path, when the file cannot be had.
    TFileStream(const std::string& fileName, TFileMode mode);
    ~TFileStream() override;

    std::int64_t GetSize() override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::size_t Read(void* buffer, std::size_t count) override;
    // One system call where the count is met at once (pread, ReadFile at an offset).
    std::size_t ReadAt(std::int64_t offset, void* buffer, std::size_t count) override;
    // Writes all of the buffer or raises EWriteError.
    std::size_t Write(const void* buffer, std::size_t count) override;

    // False for a file opened with fmOpenWrite that the system lets this
    // process write but not read.
    bool Readable() const { return FReadable; }

    // Writes the whole buffer at the end of a file opened with fmOpenWrite and
    // lets the file go: flushed where the file system may keep a write error
    // back, and closed, with the result checked (see Commit in the platform
    // parts for what each system's close reaches). Should the system refuse any
    // part of it (a full disk, a file size limit, a failed flush or close), the
    // file is cut back to the size it had and EWriteError is raised, so the
    // file is never left half-written; without a lock the cut is made only
    // while the file holds nothing but this append. Signals that ask the
    // process to stop are held back until the append has landed or been undone.
    void Append(const void* buffer, std::size_t count);

    // How long to pause before trying a held file again, given the time already
    // waited; 0 when the wait is over. Milliseconds.
    static int NextPause(int waited);

    // Makes bytes the whole of the file of that name, existing or not, in one
    // step that readers see whole: a new file in the same folder, written,
    // flushed where the file system may keep a write error back, closed, and
    // renamed over the name (a rename held up by another program is tried
    // again for about a second). On any failure the new file is removed, the
    // old one left as it was, and EWriteError raised. Stop signals are held
    // back meanwhile. An existing file's permissions go to the new one; one
    // that this process may not write is refused and left as it is.
    static void Replace(const std::string& fileName, std::span<const std::uint8_t> bytes);

private:
    friend class TInputsHeld;
    // The platform part of the destructor.
    static void Close(std::intptr_t handle);
    // What names a file whatever path leads to it (device and inode, volume
    // and index); empty where it cannot be had.
    using TIdentity = std::pair<std::uint64_t, std::uint64_t>;
    static std::optional<TIdentity> IdentityOf(const std::string& fileName);
    static std::optional<TIdentity> IdentityOf(std::intptr_t handle);
    // True for the handle of a file that a TInputsHeld keeps from being an input.
    static bool IsRefusedInput(std::intptr_t handle);

    // The platform parts of Append; each raises EWriteError.
    std::int64_t EndOfFile();
    void Commit();
    // Empty when the file is cut back, else the system's reason.
    std::string Truncate(std::int64_t size);
    // Truncate, where that cuts away nothing but this append.
    std::string Restore(std::int64_t oldSize);

    // The handles of the files this process holds open for reading. A writer
    // that one of them keeps out would wait in vain.
    static std::vector<std::intptr_t>& HeldForReading();

    std::string FFileName;
    std::intptr_t FHandle;
    bool FReadable = true;
    bool FLocked = true;
    std::int64_t FWritten = 0; // by Write, for a rollback without a lock
};

// While one lives, the files this process opens for reading stay open, and so
// locked against writers, after their streams have gone: what was read cannot
// change until it goes, when they are closed. The output, a file that is to
// be written over (the tape being made), may not be one of them: where it
// exists, an open of it for reading, under any name, is refused at once with
// kHeldHereText. One at a time.
class TInputsHeld {
public:
    explicit TInputsHeld(const std::string& output);
    ~TInputsHeld();
    TInputsHeld(const TInputsHeld&) = delete;
    TInputsHeld& operator=(const TInputsHeld&) = delete;
};

} // namespace reelkit
