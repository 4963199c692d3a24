// SPDX-License-Identifier: MIT
#include "commands/Command.h"

#include "shell/ClassFactory.h"

namespace reelkit {

std::shared_ptr<ISerializer> TCommand::NextImage() const {
    if (FImage)
        return FImage;
    return TClassFactory::CreateSerializer(skTAP, FCommandLine->NextFileArgument());
}

TFileStream TCommand::NextInputFile() const {
    return TFileStream(FCommandLine->NextFileArgument(), TFileMode::fmOpenRead);
}

} // namespace reelkit
