// SPDX-License-Identifier: MIT
#include "platform/Process.h"

#include <csignal>
#include <initializer_list>

namespace reelkit {
namespace {

sigset_t& HeldBefore() {
    static sigset_t mask;
    return mask;
}

} // namespace

void PrepareProcess() {
    // A write beyond RLIMIT_FSIZE then fails with EFBIG, and the append is
    // rolled back, instead of the process dying with half a block written.
    std::signal(SIGXFSZ, SIG_IGN);
    // A closed standard output fails the write instead of killing the process,
    // so the exit status still tells what happened.
    std::signal(SIGPIPE, SIG_IGN);
}

// Blocked, not caught: a signal that arrives meanwhile stays pending and is
// delivered, with its usual effect, as soon as the old mask is back.
TStopSignalsHeld::TStopSignalsHeld() {
    sigset_t stop;
    sigemptyset(&stop);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
        sigaddset(&stop, signal);
    sigprocmask(SIG_BLOCK, &stop, &HeldBefore());
}

TStopSignalsHeld::~TStopSignalsHeld() {
    sigprocmask(SIG_SETMASK, &HeldBefore(), nullptr);
}

} // namespace reelkit
