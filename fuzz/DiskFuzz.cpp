// SPDX-License-Identifier: MIT
// Any bytes as a TRD or SCL disk image: a clean report, or a catalogue whose
// every file either converts to sectors that lie inside the input, or is
// refused by name for the reason due; and an image that DiskImageKind names
// is one ReadDiskImage reads without a fault.
#include "FuzzSupport.h"
#include "formats/DiskImage.h"
#include "formats/HobetaSerializer.h"
#include "model/ZXFileInfo.h"
#include "platform/Exception.h"
#include "platform/MemoryStream.h"

#include <algorithm>

using namespace reelkit;
using namespace reelkit::fuzz;

namespace {

// Converts one file as +t does; checks what comes of it against the input. A
// file without a fault converts without a report.
void CheckFile(const TBytes& input, const TDiskImage& image, const TDiskEntry& file) {
    const std::size_t size = file.fields[13] * std::size_t{256};
    const std::string fault = DiskFileFault(image, file);
    if (!fault.empty()) {
        const std::string quoted = "Disk file \"" + DiskFileName(file) + "\" ";
        Check(fault == quoted + "does not fit in the disk image" ||
                  fault == quoted + "is longer than its sectors" ||
                  fault == quoted + "has a program length greater than its length",
              fault);
        return;
    }
    const TBytes hobeta = DiskFileHobeta(image, file);
    Check(file.offset && *file.offset + size <= input.size() && hobeta.size() == 17 + size &&
              std::equal(hobeta.begin() + 17, hobeta.end(),
                         input.begin() + static_cast<std::ptrdiff_t>(*file.offset)) &&
              std::equal(file.fields.begin(), file.fields.begin() + 13, hobeta.begin()),
          "sectors");
    TZXFileInfo header(zftUndefined);
    TMemoryStream data;
    ReadHobetaFileInfo(hobeta, header);
    ReadHobetaData(hobeta, data);
    Check(header.GetLength() <= size && data.Bytes().size() == header.GetLength(), "length");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const TBytes input(data, data + size);
    TMemoryStream stream;
    stream.Write(data, size);
    TDiskImage image;
    try {
        image = ReadDiskImage(stream);
    } catch (const Exception& e) {
        Check(e.Message() == "File is not a TRD or SCL disk image" ||
                  e.Message() == "Disk image ends inside its catalogue",
              e.Message());
        Check(DiskImageKind(stream).empty(), "kind of no disk image");
        return 0;
    }
    Check(image.bytes.size() <= size && std::equal(image.bytes.begin(), image.bytes.end(), data),
          "image bytes");
    Check(image.files.size() <= 255, "file count");
    Check(DiskImageKind(stream).empty() == !image.fault.empty(), "kind");
    for (const TDiskEntry& file : image.files) {
        CheckFile(input, image, file);
        const auto wanted = ParseDiskFileName(DiskFileName(file));
        Check(!wanted || DiskFileName(file).find('?') != std::string::npos ||
                  DiskFileMatches(file, *wanted),
              "own name");
    }
    return 0;
}
