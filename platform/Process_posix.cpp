// SPDX-License-Identifier: MIT
#include "platform/Process.h"

#include <csignal>

namespace reelkit {

void PrepareProcess() {
    // A write beyond RLIMIT_FSIZE then fails with EFBIG, and the append is
    // rolled back, instead of the process dying with half a block written.
    std::signal(SIGXFSZ, SIG_IGN);
    // A closed standard output fails the write instead of killing the process,
    // so the exit status still tells what happened.
    std::signal(SIGPIPE, SIG_IGN);
}

} // namespace reelkit
