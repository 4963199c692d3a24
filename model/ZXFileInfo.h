// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace reelkit {

class ICommandLineHelper;

// A ZX file name as reports show it: trailing spaces dropped, and bytes that
// are not printable ASCII shown as '?'.
std::string ShownName(std::string_view name);

// The type codes a tape header carries, plus the state of a header whose type
// is not set yet.
enum TZXFileType : std::uint8_t {
    zftProgram = 0,
    zftNumberArray = 1,
    zftCharArray = 2,
    zftCode = 3,
    zftUndefined = 4,
};

// The fields of a ZX Spectrum tape header and which of them each file type has.
class IZXFileInfo {
public:
    virtual ~IZXFileInfo() = default;
    virtual char GetArrayName() = 0;
    virtual std::uint16_t GetAutoStartLine() = 0;
    virtual std::uint16_t GetProgramLength() = 0;
    virtual std::uint16_t GetStartAddress() = 0;
    virtual TZXFileType GetFileType() = 0;
    virtual std::uint16_t GetLength() = 0;
    virtual std::string GetName() = 0;
    virtual void SetArrayName(char name) = 0;
    virtual void SetAutoStartLine(std::uint16_t line) = 0;
    virtual void SetProgramLength(std::uint16_t length) = 0;
    virtual void SetStartAddress(std::uint16_t address) = 0;
    virtual void SetFileType(TZXFileType type) = 0;
    virtual void SetLength(std::uint16_t length) = 0;
    virtual void SetName(const std::string& name) = 0;
};

class TZXFileInfo final : public IZXFileInfo {
public:
    // An empty header of the given type, stored as it is. Every field starts
    // at its reset value below.
    explicit TZXFileInfo(TZXFileType type);
    // A header read from the command line: "ZXFile <type letter> <fields>",
    // where the fields include the length.
    explicit TZXFileInfo(ICommandLineHelper& reader);
    // The same, with the length given instead of read.
    TZXFileInfo(ICommandLineHelper& reader, std::uint16_t length);

    char GetArrayName() override;
    std::uint16_t GetAutoStartLine() override;
    std::uint16_t GetProgramLength() override;
    std::uint16_t GetStartAddress() override;
    TZXFileType GetFileType() override { return FFileType; }
    std::uint16_t GetLength() override { return FLength; }
    std::string GetName() override { return FName; }
    void SetArrayName(char name) override;
    void SetAutoStartLine(std::uint16_t line) override;
    void SetProgramLength(std::uint16_t length) override;
    void SetStartAddress(std::uint16_t address) override;
    void SetFileType(TZXFileType type) override;
    void SetLength(std::uint16_t length) override;
    void SetName(const std::string& name) override;

private:
    void CheckTypeAllowed(std::initializer_list<TZXFileType> allowed) const;
    void LoadFromArguments(ICommandLineHelper& reader, std::optional<std::uint16_t> givenLength);

    TZXFileType FFileType = zftUndefined;
    std::string FName;
    std::uint16_t FLength = 0;
    std::uint16_t FStartAddress = 0;
    char FArrayName = '\0';
    std::uint16_t FAutoStartLine = 0x8000; // 32768: the program does not start by itself
    std::uint16_t FProgramLength = 0;
    bool FProgramLengthSet = false;
    bool FLengthSet = false;
};

} // namespace reelkit
