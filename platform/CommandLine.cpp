// SPDX-License-Identifier: MIT
#include "platform/CommandLine.h"

namespace reelkit {
namespace {

bool IsSeparator(char c) {
    const auto code = static_cast<unsigned char>(c);
    return code >= 1 && code <= 32;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The words of line between separators; a double quote opens or closes a
// stretch in which separators count as text, and makes a word, if an empty one.
template <typename TIsSeparator>
std::vector<std::string> Split(std::string_view line, TIsSeparator isSeparator) {
    std::vector<std::string> words;
    std::size_t i = 0;
    for (;;) {
        while (i < line.size() && isSeparator(line[i]))
            ++i;
        if (i == line.size())
            return words;
        std::string& word = words.emplace_back();
        for (bool quoted = false; i < line.size() && (quoted || !isSeparator(line[i])); ++i) {
            if (line[i] == '"')
                quoted = !quoted;
            else
                word += line[i];
        }
    }
}

} // namespace

bool SameText(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

std::vector<std::string> SplitCommandLine(std::string_view line) {
    std::vector<std::string> arguments = Split(line, IsSeparator);
    if (!arguments.empty())
        arguments.erase(arguments.begin()); // the program's own name
    return arguments;
}

std::vector<std::string> SplitWords(std::string_view line) {
    return Split(line, IsBlank);
}

} // namespace reelkit
