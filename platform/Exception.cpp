// SPDX-License-Identifier: MIT
#include "platform/Exception.h"

namespace reelkit {

EFOpenError::EFOpenError(const std::string& fullPath, const std::string& systemText)
    : Exception("Cannot open file \"" + fullPath + "\". " + TrimSystemText(systemText)) {}

EWriteError::EWriteError(const std::string& fullPath, const std::string& systemText)
    : Exception("Cannot write file \"" + fullPath + "\". " + TrimSystemText(systemText)) {}

EWriteError::EWriteError(const EWriteError& failure, const std::string& restoreText)
    : Exception(failure.Message() + ". The file could not be restored to its former size: " +
                TrimSystemText(restoreText)) {}

EReadError::EReadError() : Exception("Stream read error") {}

std::string TrimSystemText(std::string text) {
    while (!text.empty()) {
        const auto last = static_cast<unsigned char>(text.back());
        if (last > ' ' && last != '.')
            break;
        text.pop_back();
    }
    return text;
}

} // namespace reelkit
