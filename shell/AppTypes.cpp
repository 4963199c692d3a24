// SPDX-License-Identifier: MIT
#include "shell/AppTypes.h"

namespace reelkit {
namespace {

std::string FormatPosition(std::string_view format, int position) {
    std::string text(format);
    if (const auto at = text.find("%d"); at != std::string::npos)
        text.replace(at, 2, std::to_string(position));
    return text;
}

} // namespace

ECommandLineFormatException::ECommandLineFormatException(std::string_view format, int position)
    : Exception(FormatPosition(format, position)) {}

} // namespace reelkit
