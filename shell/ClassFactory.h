// SPDX-License-Identifier: MIT
#pragma once

#include "shell/Interfaces.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace reelkit {

// skNewTape: a tape image made anew in memory (TNewTapeSerializer).
enum TSerializerKind : std::uint8_t { skTAP = 0, skHobeta = 1, skNewTape = 2 };

// The commands in the order they are searched and listed in the usage text.
using TCommandTable = std::array<std::shared_ptr<ICommand>, 10>;

// The command whose switch is name, whatever its case; none when no command has it.
std::shared_ptr<ICommand> FindCommand(const TCommandTable& commands, std::string_view name);

// The one place that names the concrete reader, commands and serializers.
class TClassFactory {
public:
    TClassFactory() = delete;

    // Relative file names are taken against directory where one is given.
    static std::shared_ptr<ICommandLineHelper>
    CreateCommandLineHelper(std::vector<std::string> arguments, std::string directory = {});
    // Fills the table with +b, +h, +f, +hb, +$, +l, +t, +d, +i, +m, all sharing the one
    // reader. Given an image, the commands that append write to it and take
    // no tape image from their arguments.
    static void CreateCommands(TCommandTable& commands,
                               const std::shared_ptr<ICommandLineHelper>& commandLine,
                               const std::shared_ptr<ISerializer>& image = nullptr);
    // Binds a serializer to a file name without touching the file; an unknown
    // kind gives an empty reference.
    static std::shared_ptr<ISerializer> CreateSerializer(TSerializerKind kind,
                                                         const std::string& fileName);
};

} // namespace reelkit
