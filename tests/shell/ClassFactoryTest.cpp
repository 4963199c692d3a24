// SPDX-License-Identifier: MIT
#include "shell/ClassFactory.h"
#include "TestSupport.h"
#include "formats/HobetaSerializer.h"
#include "formats/TAPSerializer.h"

using namespace reelkit;
using namespace reelkit::test;

TEST(ClassFactory, CommandsInSearchOrderShareOneReader) {
    const auto reader = TClassFactory::CreateCommandLineHelper(
        {"+x", "/no/such/2", "/no/such/3", "/no/such/4", "/no/such/5", "/no/such/6", "/no/such/7",
         "/no/such/8", "/no/such/9", "/no/such/10"});
    TCommandTable commands;
    TClassFactory::CreateCommands(commands, reader);
    EXPECT_EQ(reader.use_count(), std::ssize(commands) + 1);
    EXPECT_EQ(reader->NextArgument(), "+x");
    const char* names[] = {"+b", "+h", "+f", "+hb", "+$", "+l", "+t", "+d", "+i"};
    ASSERT_EQ(std::size(names), commands.size());
    for (std::size_t i = 0; i < commands.size(); ++i) {
        EXPECT_EQ(commands[i]->GetName(), names[i]);
        // Each command starts with the tape image, taken from the one reader.
        EXPECT_EQ(FailureOf<ECommandLineFormatException>([&] { commands[i]->Execute(); }),
                  "Specified in agrument " + std::to_string(i + 2) + " file is not found");
    }
}

TEST(ClassFactory, SerializersAreNewObjectsForAnyName) {
    for (const std::string name : {"", "/no/such/file"}) {
        const auto tap = TClassFactory::CreateSerializer(skTAP, name);
        EXPECT_NE(tap, TClassFactory::CreateSerializer(skTAP, name));
        EXPECT_NE(dynamic_cast<TTAPSerializer*>(tap.get()), nullptr);
        const auto hobeta = TClassFactory::CreateSerializer(skHobeta, name);
        EXPECT_NE(dynamic_cast<THobetaSerializer*>(hobeta.get()), nullptr);
    }
    EXPECT_EQ(TClassFactory::CreateSerializer(static_cast<TSerializerKind>(7), "x"), nullptr);
}
