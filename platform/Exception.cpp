// SPDX-License-Identifier: MIT
#include "platform/Exception.h"

namespace reelkit {
namespace {

std::string& Prefix() {
    static std::string prefix;
    return prefix;
}

} // namespace

Exception::Exception(std::string message) : FMessage(Prefix() + std::move(message)) {}

TReportPrefix::TReportPrefix(std::string prefix) {
    Prefix() = std::move(prefix);
}

TReportPrefix::~TReportPrefix() {
    Prefix().clear();
}

EFOpenError::EFOpenError(const std::string& fullPath, const std::string& systemText)
    : Exception("Cannot open file \"" + fullPath + "\". " + TrimSystemText(systemText)) {}

EWriteError::EWriteError(const std::string& fullPath, const std::string& systemText)
    : Exception("Cannot write file \"" + fullPath + "\". " + TrimSystemText(systemText)) {}

EWriteError::EWriteError(const EWriteError& failure, const std::string& restoreText)
    : Exception(TPrefixed{
          failure.Message() +
          ". The file could not be restored to its former size: " + TrimSystemText(restoreText)}) {}

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
