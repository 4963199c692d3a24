// SPDX-License-Identifier: MIT
#include "model/ZXFileInfo.h"

#include "shell/AppTypes.h"
#include "shell/Interfaces.h"

#include <algorithm>

namespace reelkit {

std::string ShownName(std::string_view name) {
    std::string text(name.substr(0, name.find_last_not_of(' ') + 1));
    for (char& c : text)
        if (c < ' ' || c > '~')
            c = '?';
    return text;
}

namespace {

constexpr std::initializer_list<TZXFileType> kDefinedTypes = {zftProgram, zftNumberArray,
                                                              zftCharArray, zftCode};
constexpr std::initializer_list<TZXFileType> kArrayTypes = {zftNumberArray, zftCharArray};

char UpperCase(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

TZXFileInfo::TZXFileInfo(TZXFileType type) : FFileType(type) {}

TZXFileInfo::TZXFileInfo(ICommandLineHelper& reader) {
    LoadFromArguments(reader, std::nullopt);
}

TZXFileInfo::TZXFileInfo(ICommandLineHelper& reader, std::uint16_t length) {
    LoadFromArguments(reader, length);
}

void TZXFileInfo::CheckTypeAllowed(std::initializer_list<TZXFileType> allowed) const {
    if (std::find(allowed.begin(), allowed.end(), FFileType) == allowed.end())
        throw EAppException(
            "An attempt to read or write a file property that is not supported by this file type");
}

char TZXFileInfo::GetArrayName() {
    CheckTypeAllowed(kArrayTypes);
    return FArrayName;
}

std::uint16_t TZXFileInfo::GetAutoStartLine() {
    CheckTypeAllowed({zftProgram});
    return FAutoStartLine;
}

std::uint16_t TZXFileInfo::GetProgramLength() {
    CheckTypeAllowed({zftProgram});
    return FProgramLength;
}

std::uint16_t TZXFileInfo::GetStartAddress() {
    CheckTypeAllowed({zftCode});
    return FStartAddress;
}

void TZXFileInfo::SetArrayName(char name) {
    CheckTypeAllowed(kArrayTypes);
    const char upper = UpperCase(name);
    if (upper < 'A' || upper > 'Z')
        throw EAppException("An attempt to set non-letter name to an array");
    FArrayName = name;
}

void TZXFileInfo::SetAutoStartLine(std::uint16_t line) {
    CheckTypeAllowed({zftProgram});
    FAutoStartLine = line;
}

void TZXFileInfo::SetProgramLength(std::uint16_t length) {
    CheckTypeAllowed({zftProgram});
    if (FLengthSet && length > FLength)
        throw EAppException("Length of basic program cannot be greater that line length");
    if (!FLengthSet) {
        FLength = length;
        FLengthSet = true;
    }
    FProgramLength = length;
    FProgramLengthSet = true;
}

void TZXFileInfo::SetStartAddress(std::uint16_t address) {
    CheckTypeAllowed({zftCode});
    FStartAddress = address;
}

void TZXFileInfo::SetFileType(TZXFileType type) {
    CheckTypeAllowed({zftUndefined});
    FFileType = type;
}

void TZXFileInfo::SetLength(std::uint16_t length) {
    CheckTypeAllowed(kDefinedTypes);
    FLength = length;
    FLengthSet = true;
    // Unless told otherwise, a program has no variables area.
    if (FFileType == zftProgram && !FProgramLengthSet) {
        FProgramLength = length;
        FProgramLengthSet = true;
    }
}

void TZXFileInfo::SetName(const std::string& name) {
    CheckTypeAllowed(kDefinedTypes);
    FName = name;
}

void TZXFileInfo::LoadFromArguments(ICommandLineHelper& reader,
                                    std::optional<std::uint16_t> givenLength) {
    const std::string name = reader.NextArgument();
    const char letter = UpperCase(reader.NextCharArgument());
    const auto length = [&] { return givenLength ? *givenLength : reader.NextNumberArgument(); };

    switch (letter) {
    case 'B':
        SetFileType(zftProgram);
        SetName(name);
        SetLength(length());
        if (reader.HasMoreArguments())
            SetAutoStartLine(reader.NextNumberArgument());
        if (reader.HasMoreArguments())
            SetProgramLength(reader.NextNumberArgument());
        break;
    case 'N':
    case '$':
        SetFileType(letter == '$' ? zftCharArray : zftNumberArray);
        SetName(name);
        SetLength(length());
        SetArrayName(reader.NextCharArgument());
        break;
    case 'C':
        SetFileType(zftCode);
        SetName(name);
        SetStartAddress(reader.NextNumberArgument());
        SetLength(length());
        break;
    default:
        throw EAppException("Not allowed type of header");
    }
}

} // namespace reelkit
