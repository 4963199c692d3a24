// SPDX-License-Identifier: MIT
#pragma once

#include "model/ZXFileInfo.h"
#include "platform/Exception.h"
#include "platform/FileStream.h"
#include "platform/MemoryStream.h"
#include "shell/AppTypes.h"
#include "shell/CommandLineHelperUnit.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace reelkit::test {

using TBytes = std::vector<std::uint8_t>;

inline void WriteBytes(const std::string& path, const TBytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::ssize(bytes));
}

inline TBytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(in), {});
}

inline TBytes Cat(TBytes head, const TBytes& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

// A memory stream holding bytes, left positioned at its end.
inline std::unique_ptr<TMemoryStream> Stream(const TBytes& bytes) {
    auto stream = std::make_unique<TMemoryStream>();
    stream->Write(bytes.data(), bytes.size());
    return stream;
}

// The message of the E that body raises, or "(none)"; any other exception
// escapes and fails the test.
template <class E = Exception, class F> std::string FailureOf(F&& body) {
    try {
        body();
    } catch (const E& e) {
        return e.Message();
    }
    return "(none)";
}

// Type letter, name and length, then the fields the type has.
inline std::string Describe(IZXFileInfo& info) {
    const TZXFileType type = info.GetFileType();
    std::string text =
        "BN$CU"[type] + (" '" + info.GetName() + "' ") + std::to_string(info.GetLength());
    if (type == zftProgram)
        text += " auto " + std::to_string(info.GetAutoStartLine()) + " prog " +
                std::to_string(info.GetProgramLength());
    if (type == zftCode)
        text += " at " + std::to_string(info.GetStartAddress());
    if (type == zftNumberArray || type == zftCharArray)
        text += std::string(" array ") + info.GetArrayName();
    return text;
}

// A fresh directory for each test, removed with its contents afterwards.
class TTempDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        FDir = std::filesystem::temp_directory_path() /
               ("reelkit-test-" + std::to_string(std::random_device{}()));
        ASSERT_TRUE(std::filesystem::create_directory(FDir));
    }
    void TearDown() override { std::filesystem::remove_all(FDir); }
    std::string Path(const std::string& name) const { return (FDir / name).string(); }

    std::filesystem::path FDir;
};

} // namespace reelkit::test
