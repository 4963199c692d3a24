// SPDX-License-Identifier: MIT
#pragma once

namespace reelkit {

// Sets the process up so that every failure reaches the tool as an error code
// it can report and undo, rather than as a signal or a system dialog that ends
// or stalls the run: a write beyond a file size limit, output to a closed pipe.
void PrepareProcess();

} // namespace reelkit
