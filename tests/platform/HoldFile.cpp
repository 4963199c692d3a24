// SPDX-License-Identifier: MIT
// Holds a file open as another Windows program would, for checks run from a
// script: HoldFile <file> share|alone <ready file> <release file>. The file is
// opened for reading, shared with readers or with nobody; the ready file is
// made once it is held, and it is held until the release file appears (at
// most a minute).
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstring>

int main(int argc, char* argv[]) {
    if (argc != 5)
        return 2;
    const DWORD share = std::strcmp(argv[2], "share") == 0 ? FILE_SHARE_READ : 0;
    const HANDLE held = ::CreateFileA(argv[1], GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE)
        return 1;
    const HANDLE ready = ::CreateFileA(argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (ready == INVALID_HANDLE_VALUE)
        return 1;
    ::CloseHandle(ready);
    for (int waited = 0; waited < 60000 && ::GetFileAttributesA(argv[4]) == INVALID_FILE_ATTRIBUTES;
         waited += 20)
        ::Sleep(20);
    ::CloseHandle(held);
    return 0;
}
