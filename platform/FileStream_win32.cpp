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

// Only plain disk files are files for this tool. A directory that slips past
// CreateFile is refused the way CreateFile itself refuses one; devices, pipes
// and consoles are refused as well.
DWORD CheckPlainFile(HANDLE handle) {
    if (::GetFileType(handle) != FILE_TYPE_DISK)
        return ERROR_NOT_SUPPORTED;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info))
        return ::GetLastError();
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

// ReadFile and WriteFile take a 32-bit count.
DWORD Part(std::size_t count) {
    return static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30));
}

} // namespace

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : FFileName(fileName) {
    // Share mode 0: while this handle lives, every other open of the file
    // fails at once with a sharing violation instead of waiting.
    const DWORD access = mode == TFileMode::fmOpenRead ? GENERIC_READ : GENERIC_WRITE;
    const HANDLE handle = ::CreateFileA(fileName.c_str(), access, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throw EFOpenError(ExpandFileName(fileName), SystemText(::GetLastError()));
    if (const DWORD error = CheckPlainFile(handle); error != ERROR_SUCCESS) {
        ::CloseHandle(handle);
        throw EFOpenError(ExpandFileName(fileName), SystemText(error));
    }
    FHandle = reinterpret_cast<std::intptr_t>(handle);
}

TFileStream::~TFileStream() {
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
        if (!::WriteFile(Handle(FHandle), bytes + done, Part(count - done), &put, nullptr))
            throw EWriteError(ExpandFileName(FFileName), SystemText(::GetLastError()));
        if (put == 0)
            throw EWriteError(ExpandFileName(FFileName), SystemText(ERROR_DISK_FULL));
        done += put;
    }
    return done;
}

void TFileStream::Truncate(std::int64_t size) noexcept {
    LARGE_INTEGER distance{};
    distance.QuadPart = size;
    if (::SetFilePointerEx(Handle(FHandle), distance, nullptr, FILE_BEGIN))
        ::SetEndOfFile(Handle(FHandle));
}

} // namespace reelkit
