// SPDX-License-Identifier: MIT
#include "platform/FileStream.h"

#include "platform/Exception.h"
#include "platform/Path.h"

#include <algorithm>

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
bool IsRemote(HANDLE handle) {
    FILE_REMOTE_PROTOCOL_INFO info{};
    return ::GetFileInformationByHandleEx(handle, FileRemoteProtocolInfo, &info, sizeof info) != 0;
}

// Readers share with readers; a writer shares with nobody. A file held the
// other way is tried again for a while.
HANDLE Open(const std::string& fileName, TFileMode mode) {
    const bool reading = mode == TFileMode::fmOpenRead;
    for (int waited = 0;;) {
        const HANDLE handle = ::CreateFileA(
            fileName.c_str(), reading ? GENERIC_READ : GENERIC_WRITE, reading ? FILE_SHARE_READ : 0,
            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_SHARING_VIOLATION)
            return handle;
        const int pause = TFileStream::NextPause(waited);
        if (pause == 0)
            return handle;
        ::Sleep(static_cast<DWORD>(pause));
        waited += pause;
    }
}

// ReadFile and WriteFile take a 32-bit count.
DWORD Part(std::size_t count) {
    return static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30));
}

} // namespace

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : FFileName(fileName) {
    const HANDLE handle = Open(fileName, mode);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError(); // before the path lookup can change it
        throw EFOpenError(ExpandFileName(fileName), SystemText(error));
    }
    if (const DWORD error = CheckPlainFile(handle); error != ERROR_SUCCESS) {
        ::CloseHandle(handle);
        throw EFOpenError(ExpandFileName(fileName), SystemText(error));
    }
    FHandle = reinterpret_cast<std::intptr_t>(handle);
}

TFileStream::~TFileStream() {
    if (Handle(FHandle) != INVALID_HANDLE_VALUE)
        ::CloseHandle(Handle(FHandle));
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

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        DWORD put = 0;
        if (!::WriteFile(Handle(FHandle), bytes + done, Part(count - done), &put, nullptr)) {
            const DWORD error = ::GetLastError();
            throw EWriteError(ExpandFileName(FFileName), SystemText(error));
        }
        if (put == 0)
            throw EWriteError(ExpandFileName(FFileName), SystemText(ERROR_DISK_FULL));
        done += put;
    }
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

// Flushed while still held where the file system may hold a write error back.
// The handle is the only one, so its close is the one the file system sees;
// should it fail, the file cannot be cut back and the report says so.
void TFileStream::Commit() {
    const auto fail = [this] {
        const DWORD error = ::GetLastError();
        throw EWriteError(ExpandFileName(FFileName), SystemText(error));
    };
    const HANDLE handle = Handle(FHandle);
    if (IsRemote(handle) && !::FlushFileBuffers(handle))
        fail();
    FHandle = reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE);
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
