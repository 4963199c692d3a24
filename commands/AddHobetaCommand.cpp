// SPDX-License-Identifier: MIT
#include "commands/AddHobetaCommand.h"

#include "model/ZXFileInfo.h"
#include "platform/Console.h"
#include "platform/MemoryStream.h"
#include "shell/ClassFactory.h"

namespace reelkit {

// +$ TAPFile HobetaFile: everything is read before anything is written, and the
// reader holds the Hobeta file until the append is done.
void TAddHobetaCommand::Execute() {
    const auto writer = NextImage();
    const auto reader = TClassFactory::CreateSerializer(skHobeta, CommandLine().NextFileArgument());
    CommandLine().CheckNoMoreArguments();
    const std::shared_ptr<IZXFileInfo> header = std::make_shared<TZXFileInfo>(zftUndefined);
    reader->ReadFileInfo(*header);
    TMemoryStream data;
    reader->ReadData(data);
    writer->WriteFile(*header, data);
}

void TAddHobetaCommand::PrintUsage() {
    ConsoleWriteLine("Reelkit.exe +$ TAPFile HobetaFile");
    ConsoleWriteLine("\tAdds a content of Hobeta file to TAPFile TAP image with matching header.");
    ConsoleWriteLine("\tAll file properties passes to TAP header. <B> files trandfers with Basic");
    ConsoleWriteLine("\tprogram header, any other excesions transfers to Code block files.");
    ConsoleWriteLine();
}

} // namespace reelkit
