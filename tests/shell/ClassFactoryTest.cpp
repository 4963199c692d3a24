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
         "/no/such/8", "/no/such/9", "/no/such/10", "/no/such/11", "/no/such/12"});
    TCommandTable commands;
    TClassFactory::CreateCommands(commands, reader);
    EXPECT_EQ(reader.use_count(), std::ssize(commands) + 1);
    EXPECT_EQ(reader->NextArgument(), "+x");
    const char* names[] = {"+b", "+h", "+f", "+hb", "+$", "+l", "+t", "+d", "+i", "+m"};
    ASSERT_EQ(std::size(names), commands.size());
    for (std::size_t i = 0; i < commands.size(); ++i) {
        EXPECT_EQ(commands[i]->GetName(), names[i]);
        // Each command starts with a file, taken from the one reader; +m's
        // first, the tape it makes, need not exist.
        const std::size_t file = i + 2 + (names[i] == std::string("+m"));
        EXPECT_EQ(FailureOf<ECommandLineFormatException>([&] { commands[i]->Execute(); }),
                  "Specified in agrument " + std::to_string(file) + " file is not found");
    }
}

// Given an image, a command that appends takes no tape image from its
// arguments and writes to the image; TZX framing goes by the image's name.
class FactoryImageTest : public TTempDirTest {};

TEST_F(FactoryImageTest, CommandsGivenAnImageWriteToIt) {
    WriteBytes(Path("d"), {1, 2, 3});
    const TBytes block = {5, 0, 0xFF, 1, 2, 3, 0xFF};
    for (const char* name : {"new.tap", "new.TZX"}) {
        const auto image = TClassFactory::CreateSerializer(skNewTape, name);
        for (const std::vector<std::string>& line :
             {std::vector<std::string>{"+b", "d"}, {"+B", "d"}}) {
            const auto reader = TClassFactory::CreateCommandLineHelper(line, FDir.string());
            TCommandTable commands;
            TClassFactory::CreateCommands(commands, reader, image);
            reader->NextArgument();
            commands[0]->Execute();
        }
        TMemoryStream made;
        image->ReadData(made);
        const TBytes tzx = {'Z', 'X', 'T', 'a', 'p', 'e', '!', 0x1A, 1, 20};
        const TBytes framed = Cat({0x10, 0xE8, 0x03}, block);
        EXPECT_EQ(TBytes(made.Bytes().begin(), made.Bytes().end()),
                  name == std::string("new.tap") ? Cat(block, block)
                                                 : Cat(tzx, Cat(framed, framed)));
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
