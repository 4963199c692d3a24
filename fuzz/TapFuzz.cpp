// SPDX-License-Identifier: MIT
// A header and data derived from the input, appended with WriteFile to an empty
// image: the image then holds exactly the expected two blocks, or it is still
// empty and the refusal is the one due. Input: type, flags (name length, length
// from input, data repeated to size), parameter 1, parameter 2, size, stream
// position, name, data.
#include "FuzzSupport.h"
#include "formats/BlockLength.h"
#include "formats/TAPSerializer.h"
#include "model/ZXFileInfo.h"
#include "platform/Exception.h"
#include "platform/MemoryStream.h"

#include <algorithm>
#include <utility>

using namespace reelkit;
using namespace reelkit::fuzz;

namespace {

void Put(TBytes& out, std::initializer_list<unsigned> words) {
    for (const unsigned word : words)
        out.insert(out.end(),
                   {static_cast<std::uint8_t>(word), static_cast<std::uint8_t>(word >> 8)});
}

void PutBlock(TBytes& out, std::uint8_t flag, const TBytes& data) {
    Put(out, {static_cast<unsigned>(data.size() + 2)});
    out.push_back(flag);
    out.insert(out.end(), data.begin(), data.end());
    for (const std::uint8_t byte : data)
        flag ^= byte;
    out.push_back(flag);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
    if (size < 9 || size < 9u + (input[1] & 15))
        return 0;
    const auto type = static_cast<TZXFileType>(input[0] % 5);
    const std::uint16_t p1 = Word(input + 2), p2 = Word(input + 4), count = Word(input + 6);
    const std::string name(input + 9, input + 9 + (input[1] & 15));
    TBytes data(input + 9 + name.size(), input + size);
    if (input[1] & 0x20) // the data repeated up to count bytes
        for (data.resize(std::max<std::size_t>(data.size(), 1)); data.size() < count;) {
            TBytes part(data);
            part.resize(std::min<std::size_t>(part.size(), count - part.size()));
            data.insert(data.end(), part.begin(), part.end());
        }
    const auto length = static_cast<std::uint16_t>(input[1] & 0x10 ? count : data.size());

    TZXFileInfo header(zftUndefined);
    TBytes record(11, ' ');
    record[0] = type;
    for (std::size_t i = 0; i < name.size() && i < 10; ++i)
        record[i + 1] = static_cast<std::uint8_t>(name[i]);
    unsigned q1 = p1, q2 = 0;
    if (type != zftUndefined) {
        header.SetFileType(type);
        header.SetName(name);
        header.SetLength(length);
    }
    if (type == zftProgram) {
        header.SetAutoStartLine(p1);
        q2 = p2 % (length + 1u);
        header.SetProgramLength(static_cast<std::uint16_t>(q2));
    } else if (type == zftNumberArray || type == zftCharArray) {
        const auto letter = static_cast<char>((p1 & 0x20) + 'A' + p2 % 26);
        header.SetArrayName(letter);
        q1 = ((type == zftNumberArray ? 0x80u : 0xC0u) |
              (static_cast<unsigned char>(letter) & 0x1Fu))
             << 8;
    } else if (type == zftCode) {
        header.SetStartAddress(p1);
    }
    Put(record, {length, q1, q2});

    std::string refusal;
    if (data.size() != header.GetLength()) // an undefined header keeps length 0
        refusal = "Length in file data and length specified in file header are different";
    else if (std::cmp_greater(data.size(), kMaxBlockData))
        refusal = "File to add to image is too large";
    else if (type == zftUndefined)
        refusal = "An attempt to parse not initialized FileInfo";

    const TScratchFile image("tap");
    TMemoryStream stream;
    stream.Write(data.data(), data.size());
    stream.Seek(input[8], TSeekOrigin::soBeginning);
    TBytes expected;
    try {
        TTAPSerializer(image.Path).WriteFile(header, stream);
        PutBlock(expected, 0x00, record);
        PutBlock(expected, 0xFF, data);
        Check(refusal.empty(), "not refused: " + refusal);
    } catch (const Exception& e) {
        Check(e.Message() == refusal, e.Message());
    }
    Check(Load(image.Path) == expected, "image");
    return 0;
}
