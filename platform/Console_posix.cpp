#include "platform/Console.h"

#include <cerrno>
#include <unistd.h>

namespace reelkit {

void WriteStandardOutput(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return; // nowhere left to say anything
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
}

} // namespace reelkit
