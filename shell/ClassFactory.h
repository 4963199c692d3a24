// SPDX-License-Identifier: MIT
#pragma once

#include "shell/Interfaces.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace reelkit {

enum TSerializerKind : std::uint8_t { skTAP = 0, skHobeta = 1 };

// The commands in the order they are searched and listed in the usage text.
using TCommandTable = std::array<std::shared_ptr<ICommand>, 8>;

// The one place that names the concrete reader, commands and serializers.
class TClassFactory {
public:
    TClassFactory() = delete;

    static std::shared_ptr<ICommandLineHelper>
    CreateCommandLineHelper(std::vector<std::string> arguments);
    // Fills the table with +b, +h, +f, +hb, +$, +l, +t, +d, all sharing the one reader.
    static void CreateCommands(TCommandTable& commands,
                               const std::shared_ptr<ICommandLineHelper>& commandLine);
    // Binds a serializer to a file name without touching the file; an unknown
    // kind gives an empty reference.
    static std::shared_ptr<ISerializer> CreateSerializer(TSerializerKind kind,
                                                         const std::string& fileName);
};

} // namespace reelkit
