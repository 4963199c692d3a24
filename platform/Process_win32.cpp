// SPDX-License-Identifier: MIT
#include "platform/Process.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace reelkit {
namespace {

// Held exclusively by the main thread while a stop must wait.
SRWLOCK gStopHeld = SRWLOCK_INIT;

// Runs on a thread of its own. It waits for the main thread to let the stop
// through, then leaves the event to the default handler, which ends the process.
BOOL WINAPI OnStopRequest(DWORD) {
    ::AcquireSRWLockShared(&gStopHeld);
    ::ReleaseSRWLockShared(&gStopHeld);
    return FALSE;
}

} // namespace

void PrepareProcess() {
    // A console tool run from scripts must not stop to ask about a missing
    // disk; the failed open is reported instead.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    ::SetConsoleCtrlHandler(OnStopRequest, TRUE);
}

TStopSignalsHeld::TStopSignalsHeld() {
    ::AcquireSRWLockExclusive(&gStopHeld);
}

TStopSignalsHeld::~TStopSignalsHeld() {
    ::ReleaseSRWLockExclusive(&gStopHeld);
}

} // namespace reelkit
