// SPDX-License-Identifier: MIT
// Any bytes as a tape image: the walk hands out blocks that lie one after
// another from the image's start, each inside the input, with its Spectrum
// data inside it; it ends exactly at the input's end or names the block it
// stopped at. What Identify makes of the same bytes agrees with the walk.
#include "FuzzSupport.h"
#include "formats/TapeFormat.h"
#include "formats/TapeReader.h"
#include "platform/MemoryStream.h"

using namespace reelkit;
using namespace reelkit::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TMemoryStream stream;
    stream.Write(data, size);
    const auto end = static_cast<std::int64_t>(size);
    TTapeReader reader(stream);
    const TTapeKind kind = reader.Kind();
    std::int64_t next = kind == tkTZX ? 10 : 0;
    int count = 0;
    while (const auto block = reader.Next()) {
        ++count;
        Check(block->offset == next && block->size >= (kind == tkTAP ? 4 : 1) &&
                  block->offset + block->size <= end,
              "block " + std::to_string(count));
        if (block->dataSize > 0) {
            Check(block->dataOffset > block->offset &&
                      block->dataOffset + block->dataSize == block->offset + block->size,
                  "data");
            const TBytes bytes = reader.Data(*block);
            std::uint8_t parity = 0;
            for (const std::uint8_t byte : bytes)
                parity ^= byte;
            Check(std::ssize(bytes) == block->dataSize &&
                      std::equal(bytes.begin(), bytes.end(), data + block->dataOffset) &&
                      parity == reader.Parity(*block),
                  "parity");
            Check(count > 1 || kind != tkTAP || parity == 0, "first TAP block");
        }
        next = block->offset + block->size;
    }
    const auto& fault = reader.Fault();
    Check(kind != tkNone || (count == 0 && !fault), "no tape");
    Check(!fault || fault->block == count + 1 || (fault->block == 0 && kind == tkTZX), "fault");
    Check(kind == tkNone || fault || next == end, "end");
    Check(!reader.WalkToEnd() == (kind == tkNone || fault.has_value()), "walked");

    const TIdentity identity = Identify(stream);
    Check((identity.content == ctTape) == (kind != tkNone && !fault), "identity");
    Check((identity.content == ctDamagedTape) == !identity.fault.empty(), "damage");
    return 0;
}
