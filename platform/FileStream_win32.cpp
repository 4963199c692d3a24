// SPDX-License-Identifier: MIT
#include "platform/FileStream.h"

#include "platform/Exception.h"
#include "platform/Path.h"
#include "platform/Process.h"

#include <algorithm>
#include <vector>

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace reelkit {
namespace {

HANDLE Handle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// The system's own description of an error, in the system's language.
std::string SystemText(DWORD error) {
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
        nullptr, error, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    if (length == 0 || text == nullptr)
        return "System error " + std::to_string(error);
    std::string result(text, length);
    ::LocalFree(text);
    return result;
}

// Only plain disk files are files for this tool: devices, pipes and consoles
// are refused. (CreateFile opens no directory without backup semantics.)
DWORD CheckPlainFile(HANDLE handle) {
    return ::GetFileType(handle) == FILE_TYPE_DISK ? ERROR_SUCCESS : ERROR_NOT_SUPPORTED;
}

// A file on another machine can keep a write error back until it is flushed.
// A local volume answers that it has no remote protocol; any other answer
// leaves it unknown, and the flush is the safe side.
bool MayBeRemote(HANDLE handle) {
    FILE_REMOTE_PROTOCOL_INFO info{};
    return ::GetFileInformationByHandleEx(handle, FileRemoteProtocolInfo, &info, sizeof info) ||
           ::GetLastError() != ERROR_INVALID_PARAMETER;
}

// The volume and index that name a file whatever path leads to it.
bool Identity(HANDLE handle, BY_HANDLE_FILE_INFORMATION& info) {
    return ::GetFileInformationByHandle(handle, &info) != 0;
}

// True when one of this process's own handles is on the file: opened for its
// attributes only, which no share mode keeps out.
bool HeldHere(const std::string& fileName, const std::vector<std::intptr_t>& ours) {
    if (ours.empty())
        return false;
    const HANDLE handle = ::CreateFileA(fileName.c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION file{};
    const bool known = Identity(handle, file);
    ::CloseHandle(handle);
    return known && std::any_of(ours.begin(), ours.end(), [&](std::intptr_t held) {
               BY_HANDLE_FILE_INFORMATION info{};
               return Identity(reinterpret_cast<HANDLE>(held), info) &&
                      info.dwVolumeSerialNumber == file.dwVolumeSerialNumber &&
                      info.nFileIndexHigh == file.nFileIndexHigh &&
                      info.nFileIndexLow == file.nFileIndexLow;
           });
}

// Readers share with readers; a writer shares with nobody. A file held the
// other way is tried again for a while, unless this process holds it itself,
// which heldHere then says.
HANDLE Open(const std::string& fileName, DWORD access, const std::vector<std::intptr_t>& ours,
            bool& heldHere) {
    const bool reading = access == GENERIC_READ;
    for (int waited = 0;;) {
        const HANDLE handle = ::CreateFileA(fileName.c_str(), access, reading ? FILE_SHARE_READ : 0,
                                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_SHARING_VIOLATION)
            return handle;
        const int pause = TFileStream::NextPause(waited);
        heldHere = waited == 0 && HeldHere(fileName, ours);
        if (pause == 0 || heldHere) {
            ::SetLastError(ERROR_SHARING_VIOLATION);
            return handle;
        }
        ::Sleep(static_cast<DWORD>(pause));
        waited += pause;
    }
}

// ReadFile and WriteFile take a 32-bit count.
DWORD Part(std::size_t count) {
    return static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30));
}

// Writes all count bytes, or stops at the first failure: its error code
// (ERROR_DISK_FULL for a write that put nothing); done counts what went out.
DWORD WriteAll(HANDLE handle, const unsigned char* bytes, std::size_t count, std::size_t& done) {
    for (done = 0; done < count;) {
        DWORD put = 0;
        if (!::WriteFile(handle, bytes + done, Part(count - done), &put, nullptr))
            return ::GetLastError();
        if (put == 0)
            return ERROR_DISK_FULL;
        done += put;
    }
    return ERROR_SUCCESS;
}

} // namespace

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : FFileName(fileName) {
    // An image that may be written but not read is still appended to.
    const bool reading = mode == TFileMode::fmOpenRead;
    bool heldHere = false;
    HANDLE handle = Open(fileName, reading ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE,
                         HeldForReading(), heldHere);
    if (handle == INVALID_HANDLE_VALUE && !reading && ::GetLastError() == ERROR_ACCESS_DENIED) {
        handle = Open(fileName, GENERIC_WRITE, HeldForReading(), heldHere);
        FReadable = false;
    }
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError(); // before the path lookup can change it
        throw EFOpenError(ExpandFileName(fileName), heldHere ? kHeldHereText : SystemText(error));
    }
    if (const DWORD error = CheckPlainFile(handle); error != ERROR_SUCCESS) {
        ::CloseHandle(handle);
        throw EFOpenError(ExpandFileName(fileName), SystemText(error));
    }
    if (reading && IsRefusedInput(reinterpret_cast<std::intptr_t>(handle))) {
        ::CloseHandle(handle);
        throw EFOpenError(ExpandFileName(fileName), kHeldHereText);
    }
    FHandle = reinterpret_cast<std::intptr_t>(handle);
    if (reading)
        HeldForReading().push_back(FHandle);
}

void TFileStream::Close(std::intptr_t handle) {
    ::CloseHandle(Handle(handle));
}

std::optional<TFileStream::TIdentity> TFileStream::IdentityOf(const std::string& fileName) {
    if (fileName.empty())
        return std::nullopt;
    const HANDLE handle = ::CreateFileA(fileName.c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    const auto identity = IdentityOf(reinterpret_cast<std::intptr_t>(handle));
    ::CloseHandle(handle);
    return identity;
}

std::optional<TFileStream::TIdentity> TFileStream::IdentityOf(std::intptr_t handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!Identity(Handle(handle), info))
        return std::nullopt;
    return TIdentity{info.dwVolumeSerialNumber,
                     std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow};
}

// GetTempFileName makes the new file, "rk1A2B.tmp", unique in the folder.
void TFileStream::Replace(const std::string& fileName, std::span<const std::uint8_t> bytes) {
    const std::string full = ExpandFileName(fileName);
    // MoveFileEx would refuse a read-only file only after the wait for a reader.
    if (const DWORD attributes = ::GetFileAttributesA(full.c_str());
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        throw EWriteError(full, SystemText(ERROR_ACCESS_DENIED));
    const TStopSignalsHeld held;
    std::vector<char> temporary(MAX_PATH + 1);
    if (::GetTempFileNameA(DirectoryOf(full).c_str(), "rk", 0, temporary.data()) == 0) {
        const DWORD error = ::GetLastError();
        throw EWriteError(full, SystemText(error));
    }
    DWORD error = ERROR_SUCCESS;
    const HANDLE handle = ::CreateFileA(temporary.data(), GENERIC_WRITE, 0, nullptr,
                                        TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::size_t done = 0;
    if (handle == INVALID_HANDLE_VALUE)
        error = ::GetLastError();
    else
        error = WriteAll(handle, bytes.data(), bytes.size(), done);
    if (handle != INVALID_HANDLE_VALUE) {
        if (error == ERROR_SUCCESS && MayBeRemote(handle) && !::FlushFileBuffers(handle))
            error = ::GetLastError();
        if (!::CloseHandle(handle) && error == ERROR_SUCCESS)
            error = ::GetLastError();
    }
    // A reader of the old file keeps the rename out for as long as it holds it.
    for (int waited = 0; error == ERROR_SUCCESS;) {
        if (::MoveFileExA(temporary.data(), full.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return;
        error = ::GetLastError();
        const int pause = NextPause(waited);
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) || pause == 0)
            break;
        error = ERROR_SUCCESS;
        ::Sleep(static_cast<DWORD>(pause));
        waited += pause;
    }
    ::DeleteFileA(temporary.data());
    throw EWriteError(full, SystemText(error));
}

std::int64_t TFileStream::GetSize() {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(Handle(FHandle), &size))
        throw EReadError();
    return size.QuadPart;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    const DWORD method = origin == TSeekOrigin::soBeginning ? FILE_BEGIN
                         : origin == TSeekOrigin::soCurrent ? FILE_CURRENT
                                                            : FILE_END;
    LARGE_INTEGER distance{};
    distance.QuadPart = offset;
    LARGE_INTEGER position{};
    if (!::SetFilePointerEx(Handle(FHandle), distance, &position, method))
        throw EReadError();
    return position.QuadPart;
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
    DWORD got = 0;
    if (!::ReadFile(Handle(FHandle), buffer, Part(count), &got, nullptr))
        throw EReadError();
    return got;
}

// The offset goes with each read; the file pointer moves, which no caller relies on.
std::size_t TFileStream::ReadAt(std::int64_t offset, void* buffer, std::size_t count) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        OVERLAPPED at{};
        const auto position = static_cast<std::uint64_t>(offset) + done;
        at.Offset = static_cast<DWORD>(position & 0xFFFFFFFF);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        DWORD got = 0;
        if (!::ReadFile(Handle(FHandle), bytes + done, Part(count - done), &got, &at)) {
            if (::GetLastError() == ERROR_HANDLE_EOF)
                break;
            throw EReadError();
        }
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
    std::size_t done = 0;
    const DWORD error =
        WriteAll(Handle(FHandle), static_cast<const unsigned char*>(buffer), count, done);
    FWritten += static_cast<std::int64_t>(done);
    if (error != ERROR_SUCCESS)
        throw EWriteError(ExpandFileName(FFileName), SystemText(error));
    return done;
}

// The file is held alone, so its end stays where it is found here.
std::int64_t TFileStream::EndOfFile() {
    LARGE_INTEGER position{};
    if (!::SetFilePointerEx(Handle(FHandle), LARGE_INTEGER{}, &position, FILE_END)) {
        const DWORD error = ::GetLastError();
        throw EWriteError(ExpandFileName(FFileName), SystemText(error));
    }
    return position.QuadPart;
}

// Flushed while still held where the volume may keep a write error back. The
// close is checked too; it is made on the original while a duplicate keeps the
// file held and a way to cut it back. The file system itself sees only the last
// close, the duplicate's in the destructor: on a volume that may be remote the
// flush is what catches a late error.
void TFileStream::Commit() {
    const auto fail = [this] {
        const DWORD error = ::GetLastError();
        throw EWriteError(ExpandFileName(FFileName), SystemText(error));
    };
    const HANDLE handle = Handle(FHandle);
    if (MayBeRemote(handle) && !::FlushFileBuffers(handle))
        fail();
    HANDLE spare = INVALID_HANDLE_VALUE;
    const HANDLE process = ::GetCurrentProcess();
    if (!::DuplicateHandle(process, handle, process, &spare, 0, FALSE, DUPLICATE_SAME_ACCESS))
        fail();
    FHandle = reinterpret_cast<std::intptr_t>(spare);
    if (!::CloseHandle(handle))
        fail();
}

std::string TFileStream::Truncate(std::int64_t size) {
    LARGE_INTEGER distance{};
    distance.QuadPart = size;
    if (!::SetFilePointerEx(Handle(FHandle), distance, nullptr, FILE_BEGIN) ||
        !::SetEndOfFile(Handle(FHandle)))
        return SystemText(::GetLastError());
    return {};
}

} // namespace reelkit
