// SPDX-License-Identifier: MIT
#include "platform/FileStream.h"

#include "platform/Exception.h"
#include "platform/Process.h"

#include <algorithm>

namespace reelkit {
namespace {

// The handles a TInputsHeld keeps open, and whether one lives.
std::vector<std::intptr_t>& Kept() {
    static std::vector<std::intptr_t> handles;
    return handles;
}
bool gKeeping = false;
// The file that may not be an input meanwhile.
std::optional<std::pair<std::uint64_t, std::uint64_t>> gOutput;

} // namespace

TFileStream::~TFileStream() {
    auto& readers = HeldForReading();
    if (gKeeping && std::find(readers.begin(), readers.end(), FHandle) != readers.end()) {
        Kept().push_back(FHandle);
        return;
    }
    std::erase(readers, FHandle);
    Close(FHandle);
}

TInputsHeld::TInputsHeld(const std::string& output) {
    gKeeping = true;
    gOutput = TFileStream::IdentityOf(output);
}

TInputsHeld::~TInputsHeld() {
    gKeeping = false;
    gOutput.reset();
    for (const std::intptr_t handle : Kept()) {
        std::erase(TFileStream::HeldForReading(), handle);
        TFileStream::Close(handle);
    }
    Kept().clear();
}

void TFileStream::Append(const void* buffer, std::size_t count) {
    const TStopSignalsHeld held;
    const std::int64_t oldSize = EndOfFile();
    try {
        Write(buffer, count);
        Commit();
    } catch (...) {
        const std::string notRestored = Restore(oldSize);
        if (notRestored.empty())
            throw;
        try {
            throw;
        } catch (const EWriteError& failure) {
            throw EWriteError(failure, notRestored);
        }
    }
}

// Without a lock another writer may have appended meanwhile, and its block,
// already reported as written, must not be cut away with this one.
std::string TFileStream::Restore(std::int64_t oldSize) {
    if (!FLocked) {
        std::int64_t size = -1;
        try {
            size = GetSize();
        } catch (const EReadError&) {
        }
        if (size != oldSize + FWritten)
            return "another program may have written to it meanwhile";
    }
    return Truncate(oldSize);
}

bool TFileStream::IsRefusedInput(std::intptr_t handle) {
    return gOutput && IdentityOf(handle) == gOutput;
}

std::vector<std::intptr_t>& TFileStream::HeldForReading() {
    static std::vector<std::intptr_t> handles;
    return handles;
}

// Short pauses first: a file is mostly held for a moment only.
int TFileStream::NextPause(int waited) {
    constexpr int kWait = 1000;
    if (waited >= kWait)
        return 0;
    return std::min({10 + waited, 100, kWait - waited});
}

} // namespace reelkit
