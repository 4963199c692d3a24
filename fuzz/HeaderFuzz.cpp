// SPDX-License-Identifier: MIT
// Header fields from an argument list: a header that keeps the model's rules,
// or one of the model's or the reader's messages. Byte 0 picks the constructor,
// bytes 1-2 are the length a caller gives, the rest split on '\0' are the
// arguments after the switch.
#include "FuzzSupport.h"
#include "model/ZXFileInfo.h"
#include "shell/AppTypes.h"
#include "shell/CommandLineHelperUnit.h"

#include <cctype>
#include <regex>

using namespace reelkit;
using namespace reelkit::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::regex model("An attempt to set non-letter name to an array|Not allowed "
                                  "type of header|Length of basic program cannot be greater "
                                  "that line length");
    static const std::regex reader("Invalid command line argument count|Argument [0-9]+ (must "
                                   "be a single charachter|out of range \\(0 - 65536\\))|Unable "
                                   "to convert argument [0-9]+ to integer number");
    if (size < 3)
        return 0;
    std::vector<std::string> arguments{"+h", ""};
    for (std::size_t i = 3; i < size; ++i)
        data[i] ? arguments.back() += static_cast<char>(data[i]) : arguments.emplace_back();
    TCommandLineHelper helper(arguments);
    helper.NextArgument();
    try {
        TZXFileInfo header =
            data[0] & 1 ? TZXFileInfo(helper, Word(data + 1)) : TZXFileInfo(helper);
        std::erase(arguments, "");
        const TZXFileType type = header.GetFileType();
        Check(type < zftUndefined && header.GetName() == arguments.at(1) &&
                  (~data[0] & 1 || header.GetLength() == Word(data + 1)),
              "header");
        if (type == zftProgram)
            Check(header.GetProgramLength() <= header.GetLength(), "program length");
        if (type == zftNumberArray || type == zftCharArray)
            Check(std::isalpha(static_cast<unsigned char>(header.GetArrayName())), "array name");
    } catch (const EAppException& e) {
        Check(std::regex_match(e.Message(), model), e.Message());
    } catch (const ECommandLineFormatException& e) {
        Check(std::regex_match(e.Message(), reader), e.Message());
    }
    return 0;
}
