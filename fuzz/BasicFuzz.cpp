// SPDX-License-Identifier: MIT
// Any bytes as a BASIC program, listed and checked as a loader. The input:
// one byte whose low three bits give a count of files, the program, then that
// many files of six bytes each (type, name letter, start, length) at its end.
// The listing has a line for each line ProgramLines walks, each in the span
// and no longer than its bytes can print; a cut of the program lists the
// beginnings of the same lines. The check names only blocks it was given and
// has faults only when it checked.
#include "FuzzSupport.h"
#include "formats/BasicListing.h"
#include "formats/LoaderCheck.h"

#include <algorithm>
#include <string>

using namespace reelkit;
using namespace reelkit::fuzz;

namespace {

constexpr std::size_t kFileSize = 6;
// " RANDOMIZE " is the most a byte prints.
constexpr std::size_t kMostPerByte = 11;

void CheckListing(std::span<const std::uint8_t> program, std::size_t cut) {
    const std::vector<TBasicLine> lines = ProgramLines(program);
    const std::vector<std::string> listing = ListProgram(program);
    Check(listing.size() == lines.size() && listing.size() <= program.size() / 4, "line count");
    const std::uint8_t* next = program.data() + 4;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const TBasicLine& line = lines[i];
        Check(line.number < 16384 && line.body.data() == next &&
                  line.body.data() + line.body.size() <= program.data() + program.size(),
              "line in the program");
        Check(listing[i].size() <= 5 + kMostPerByte * line.body.size() &&
                  std::stoi(listing[i].substr(0, 5)) == line.number,
              "listed line");
        next += line.body.size() + 4;
    }
    const std::vector<std::string> beginning = ListProgram(program.first(cut));
    Check(beginning.size() <= listing.size(), "cut line count");
    for (std::size_t i = 0; i < beginning.size(); ++i)
        Check(listing[i].compare(0, beginning[i].size(), beginning[i]) == 0, "cut listing");
}

void CheckLoaderOf(std::span<const std::uint8_t> program,
                   const std::vector<TFollowingFile>& files) {
    const TLoaderCheck check = CheckLoader(program, 1, files);
    Check(check.notChecked.empty() || check.faults.empty(), "faults of an unchecked program");
    for (const TLoaderFault& fault : check.faults) {
        bool known = fault.block == 1;
        for (const TFollowingFile& file : files)
            known = known || fault.block == file.block;
        Check(known && !fault.text.empty() && fault.text.back() != '.', fault.text);
    }
    const TLoaderCheck again = CheckLoader(program, 1, files);
    Check(again.notChecked == check.notChecked && again.faults.size() == check.faults.size(),
          "same check twice");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::size_t count = std::min<std::size_t>(data[0] & 7, (size - 1) / kFileSize);
    const std::span<const std::uint8_t> program(data + 1, size - 1 - count * kFileSize);
    std::vector<TFollowingFile> files;
    for (const std::uint8_t* file = program.data() + program.size(); files.size() < count;
         file += kFileSize)
        files.push_back({static_cast<int>(files.size()) * 2 + 3,
                         static_cast<std::uint8_t>(file[0] & 3),
                         std::string(1, static_cast<char>('a' + file[1] % 26)), Word(file + 2),
                         Word(file + 4)});
    CheckListing(program, program.empty() ? 0 : data[0] % program.size());
    CheckLoaderOf(program, files);
    return 0;
}
