// SPDX-License-Identifier: MIT
// Runs every file in the given folders once through the fuzz target it is
// linked with, so that the ordinary test suite replays the seeds and every
// crash ever found.
#include "FuzzSupport.h"

#include <filesystem>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    std::size_t count = 0;
    for (int i = 1; i < argc; ++i)
        if (std::filesystem::is_directory(argv[i]))
            for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
                const reelkit::fuzz::TBytes bytes = reelkit::fuzz::Load(entry.path());
                LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
                ++count;
            }
    std::printf("%zu inputs replayed\n", count);
    return count > 0 ? 0 : 1;
}
