// SPDX-License-Identifier: MIT
#pragma once

#include <exception>
#include <string>

namespace reelkit {

// Root of every error the tool reports. Each carries its finished message
// text, which begins with the TReportPrefix in force where it was raised.
class Exception : public std::exception {
public:
    explicit Exception(std::string message);
    const char* what() const noexcept override { return FMessage.c_str(); }
    const std::string& Message() const noexcept { return FMessage; }

protected:
    // A message that has its prefix already.
    struct TPrefixed {
        std::string message;
    };
    explicit Exception(TPrefixed message) : FMessage(std::move(message.message)) {}

private:
    std::string FMessage;
};

// While one lives, every report raised begins with its text, such as "Line 3: "
// for a line of a tape list. They do not nest.
class TReportPrefix {
public:
    explicit TReportPrefix(std::string prefix);
    ~TReportPrefix();
    TReportPrefix(const TReportPrefix&) = delete;
    TReportPrefix& operator=(const TReportPrefix&) = delete;
};

// A file could not be opened: "Cannot open file "<full path>". <system text>".
class EFOpenError : public Exception {
public:
    EFOpenError(const std::string& fullPath, const std::string& systemText);
};

// A file could not take all the bytes written to it: "Cannot write file
// "<full path>". <system text>", followed, when the file could not be cut back
// to the size it had, by a sentence saying so and why.
class EWriteError : public Exception {
public:
    EWriteError(const std::string& fullPath, const std::string& systemText);
    // The failure's report, adding that the file could not be cut back.
    EWriteError(const EWriteError& failure, const std::string& restoreText);
};

// A stream held fewer bytes than were asked for, or reading or moving in it failed.
class EReadError : public Exception {
public:
    EReadError();
};

// The system's description of an error, without the trailing blanks, control
// characters and full stops that would clash with the report around it.
std::string TrimSystemText(std::string text);

} // namespace reelkit
