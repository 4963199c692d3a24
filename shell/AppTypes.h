// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Exception.h"

#include <string>
#include <string_view>

namespace reelkit {

// An application error: a header rule broken, a file of the wrong size, an
// operation a file format does not offer. Reported without the usage text.
class EAppException : public Exception {
public:
    using Exception::Exception;
};

// A listing found faults and has shown each of them: the run fails with no
// report of its own.
class EFaultsFound : public Exception {
public:
    using Exception::Exception;
};

// A malformed command line. Reported with the usage text after it.
class ECommandLineFormatException : public Exception {
public:
    using Exception::Exception;
    // Fills the "%d" of format with the argument's position.
    ECommandLineFormatException(std::string_view format, int position);
};

} // namespace reelkit
