// SPDX-License-Identifier: MIT
// Any bytes as a Hobeta file: a header and data that agree with the file, or a
// clean report; a file that is a tape or disk image is refused as one, before
// anything else is read. Listed as +i lists it, it gives its lines, or a read
// error where it is shorter than a header.
#include "FuzzSupport.h"
#include "formats/HobetaSerializer.h"
#include "formats/Listing.h"
#include "formats/TapeFormat.h"
#include "model/ZXFileInfo.h"
#include "platform/Exception.h"
#include "platform/MemoryStream.h"

#include <algorithm>

using namespace reelkit;
using namespace reelkit::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const TBytes bytes(data, data + size);
    const TScratchFile file("hobeta", bytes);
    TMemoryStream input;
    input.Write(data, size);
    const std::string wrong = WrongInput(input, "a Hobeta file");
    try {
        Check(!ListHobeta(input).lines.empty() && size >= 17, "listed");
    } catch (const EReadError&) {
        Check(size < 17, "a listing's read error");
    }
    TZXFileInfo header(zftUndefined);
    TMemoryStream stream;
    try {
        THobetaSerializer(file.Path).ReadFileInfo(header);
        THobetaSerializer(file.Path).ReadData(stream);
    } catch (const Exception& e) {
        Check(wrong.empty()
                  ? e.Message() == "Stream read error" ||
                        e.Message() == "Length of basic program cannot be greater that line length"
                  : e.Message() == wrong,
              e.Message());
        return 0;
    }
    Check(wrong.empty(), "not refused: " + wrong);
    const std::size_t length = header.GetLength(), end = 17 + length;
    Check(stream.GetPosition() == 0 && size >= end &&
              stream.Bytes() == TBytes(data + 17, data + end),
          "data");
    std::string name(data, data + 8);
    name.erase(std::max<std::size_t>(1, name.find_last_not_of(' ') + 1));
    Check(header.GetName() == name, "name");
    if (data[8] != 'B') {
        Check(header.GetFileType() == zftCode && header.GetStartAddress() == Word(data + 9) &&
                  length == Word(data + 11),
              "code header");
        return 0;
    }
    const bool started = size >= end + 4 && data[end] == 0x80 && data[end + 1] == 0xAA;
    Check(header.GetFileType() == zftProgram && length == Word(data + 9) &&
              header.GetProgramLength() == Word(data + 11) &&
              header.GetAutoStartLine() == (started ? Word(data + end + 2) : 0x8000),
          "program header");
    return 0;
}
