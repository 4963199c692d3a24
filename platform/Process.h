// SPDX-License-Identifier: MIT
#pragma once

namespace reelkit {

// Sets the process up so that every failure reaches the tool as an error code
// it can report and undo, rather than as a signal or a system dialog that ends
// or stalls the run: a write beyond a file size limit, output to a closed pipe.
void PrepareProcess();

// While one lives, a request to stop the process (POSIX: SIGINT, SIGTERM,
// SIGHUP, SIGQUIT; Windows: a console control event) waits; when it goes, a
// request that came meanwhile ends the process as it would have. An append
// therefore lands whole or is undone before the process ends. Nothing can hold
// back SIGKILL or a power cut.
class TStopSignalsHeld {
public:
    TStopSignalsHeld();
    ~TStopSignalsHeld();
    TStopSignalsHeld(const TStopSignalsHeld&) = delete;
    TStopSignalsHeld& operator=(const TStopSignalsHeld&) = delete;
};

} // namespace reelkit
