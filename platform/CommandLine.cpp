// SPDX-License-Identifier: MIT
#include "platform/CommandLine.h"

namespace reelkit {
namespace {

bool IsSeparator(char c) {
    const auto code = static_cast<unsigned char>(c);
    return code >= 1 && code <= 32;
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
    std::vector<std::string> arguments;
    std::size_t i = 0;
    for (;;) {
        while (i < line.size() && IsSeparator(line[i]))
            ++i;
        std::string argument;
        bool quoted = false;
        bool any = false; // a quote makes an argument, if an empty one
        for (; i < line.size() && (quoted || !IsSeparator(line[i])); ++i, any = true) {
            if (line[i] == '"')
                quoted = !quoted;
            else
                argument += line[i];
        }
        if (!any)
            break;
        arguments.push_back(std::move(argument));
    }
    if (!arguments.empty())
        arguments.erase(arguments.begin()); // the program's own name
    return arguments;
}

std::vector<std::string> SplitWords(std::string_view line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    for (;;) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i == line.size())
            return words;
        std::string& word = words.emplace_back();
        for (bool quoted = false;
             i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t')); ++i) {
            if (line[i] == '"')
                quoted = !quoted;
            else
                word += line[i];
        }
    }
}

} // namespace reelkit
