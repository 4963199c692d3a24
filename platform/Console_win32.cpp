// SPDX-License-Identifier: MIT
#include "platform/Console.h"

#include <algorithm>
#include <vector>

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace reelkit {
namespace {

// A console shows characters, not bytes: the text, in the ANSI code page, is
// converted and written as such, so that it reads right whatever code page the
// console itself uses.
bool WriteToConsole(HANDLE console, std::string_view bytes) {
    if (bytes.empty())
        return true;
    if (bytes.size() > 1u << 30)
        return false; // never this much console text
    const int size = static_cast<int>(bytes.size());
    const int length = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    if (length <= 0)
        return false;
    std::vector<wchar_t> text(static_cast<std::size_t>(length));
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, text.data(), length);
    for (std::size_t done = 0; done < text.size();) {
        // Small parts: a console takes only so much at once.
        const auto part = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 8192));
        DWORD put = 0;
        if (!::WriteConsoleW(console, text.data() + done, part, &put, nullptr) || put == 0)
            return false;
        done += put;
    }
    return true;
}

} // namespace

// Redirected output goes straight to the handle: the runtime's text mode would
// turn LF into CR LF and the lines already end in CR LF.
bool WriteStandardOutput(std::string_view bytes) {
    const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == nullptr || output == INVALID_HANDLE_VALUE)
        return bytes.empty();
    if (DWORD mode = 0; ::GetConsoleMode(output, &mode))
        return WriteToConsole(output, bytes);
    while (!bytes.empty()) {
        const auto part = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD put = 0;
        if (!::WriteFile(output, bytes.data(), part, &put, nullptr) || put == 0)
            return false;
        bytes.remove_prefix(put);
    }
    return true;
}

} // namespace reelkit
