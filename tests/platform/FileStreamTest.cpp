// SPDX-License-Identifier: MIT
#include "TestSupport.h"

#include <chrono>
#include <string_view>

#ifndef _WIN32
#include "platform/FileCalls.h"

#include <cerrno>
#include <sys/file.h>
#endif

using namespace reelkit;
using namespace reelkit::test;

namespace {

using TMode = TFileMode;

class FileStreamTest : public TTempDirTest {};

TEST_F(FileStreamTest, ReadersShareAndAWriterIsAloneAfterAWait) {
    const std::string held = Path("held.bin");
    WriteBytes(held, {1, 2, 3});
    const std::tuple<TMode, TMode, bool> cases[] = {
        {TMode::fmOpenRead, TMode::fmOpenRead, true},
        {TMode::fmOpenRead, TMode::fmOpenWrite, false},
        {TMode::fmOpenWrite, TMode::fmOpenRead, false},
        {TMode::fmOpenWrite, TMode::fmOpenWrite, false}};
    for (const auto& [first, second, shared] : cases) {
        SCOPED_TRACE(testing::Message() << int(first) << int(second));
        TFileStream holder(held, first);
        const auto start = std::chrono::steady_clock::now();
        const auto failure =
            FailureOf<EFOpenError>([&, mode = second] { TFileStream again(held, mode); });
        const auto waited = std::chrono::steady_clock::now() - start;
        if (shared) {
            EXPECT_EQ(failure, "(none)");
        } else {
            EXPECT_EQ(failure.substr(0, held.size() + 19), "Cannot open file \"" + held + "\"");
            EXPECT_GE(waited, std::chrono::milliseconds(900));
            EXPECT_LT(waited, std::chrono::seconds(5));
        }
    }
    const std::string missing = Path("missing.bin");
    for (auto mode : {TMode::fmOpenRead, TMode::fmOpenWrite})
        EXPECT_EQ(FailureOf<EFOpenError>([&] { TFileStream again(missing, mode); }),
                  FailureOf<EFOpenError>([&] { TFileStream again(missing, mode); }));
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_EQ(ReadBytes(held), (TBytes{1, 2, 3}));
}

TEST_F(FileStreamTest, AppendLandsAtTheEnd) {
    const std::string image = Path("image.tap");
    WriteBytes(image, {1, 2, 3});
    const TBytes more = {4, 5};
    TFileStream(image, TMode::fmOpenWrite).Append(more.data(), more.size());
    TFileStream(image, TMode::fmOpenWrite).Append(more.data(), 0);
    TFileStream(image, TMode::fmOpenWrite).Append(more.data(), 1);
    EXPECT_EQ(ReadBytes(image), (TBytes{1, 2, 3, 4, 5, 4}));
}

#ifndef _WIN32

// Each test replaces some of the system calls; the real ones are put back after it.
class FileCallsTest : public FileStreamTest {
protected:
    void SetUp() override {
        FileStreamTest::SetUp();
        Real() = FileCalls();
        Fault() = {};
        FileCalls().pause = [](int milliseconds) { Fault().paused += milliseconds; };
    }
    void TearDown() override {
        FileCalls() = Real();
        FileStreamTest::TearDown();
    }

    struct TFault {
        std::string_view call; // the call that fails
        int flockFailures = 0; // flock: how many times in a row, -1 always
        int error = 0;
        int calls = 0;
        int paused = 0;
    };
    static TFileCalls& Real() {
        static TFileCalls calls;
        return calls;
    }
    static TFault& Fault() {
        static TFault fault;
        return fault;
    }
    static bool Fails(std::string_view call) {
        if (Fault().call != call)
            return false;
        errno = Fault().error;
        return true;
    }
};

TEST_F(FileCallsTest, HeldFileIsWaitedForAboutASecondAndNoLockSupportIsNoRefusal) {
    const std::string file = Path("file.bin");
    WriteBytes(file, {7});
    FileCalls().flock = [](int fd, int operation) {
        if (Fault().flockFailures == 0)
            return Real().flock(fd, operation);
        --Fault().flockFailures;
        errno = Fault().error;
        return -1;
    };
    struct TCase {
        int error, failures;
        bool opens;
        int paused;
    };
    const TCase cases[] = {{EWOULDBLOCK, 3, true, 70}, {EWOULDBLOCK, -1, false, 1000},
                           {EINTR, 2, true, 0},        {ENOLCK, -1, true, 0},
                           {EOPNOTSUPP, -1, true, 0},  {ENOTSUP, -1, true, 0},
                           {ENOSYS, -1, true, 0},      {EBADF, 1, false, 0}};
    for (const auto& c : cases)
        for (auto mode : {TMode::fmOpenRead, TMode::fmOpenWrite}) {
            SCOPED_TRACE(testing::Message() << c.error << " x" << c.failures << " " << int(mode));
            Fault().error = c.error;
            Fault().flockFailures = c.failures;
            Fault().paused = 0;
            const auto failure = FailureOf<EFOpenError>([&] { TFileStream again(file, mode); });
            EXPECT_EQ(failure == "(none)", c.opens) << failure;
            EXPECT_EQ(Fault().paused, c.paused);
            if (c.error == EWOULDBLOCK && !c.opens) {
                EXPECT_EQ(failure, "Cannot open file \"" + file +
                                       "\". The process cannot access the file because it is "
                                       "being used by another process");
            }
        }
}

TEST_F(FileCallsTest, FailedAppendIsRolledBackOrSaysItCouldNotBe) {
    const std::string image = Path("image.tap");
    const TBytes before = {1, 2, 3}, block = {4, 5, 6, 7, 8, 9};
    FileCalls().fstat = [](int fd, struct stat* info) {
        return Fails("fstat") ? -1 : Real().fstat(fd, info);
    };
    FileCalls().write = [](int fd, const void* buffer, size_t count) -> ssize_t {
        if (Fault().call == "write" && Fault().calls++ == 0)
            return Real().write(fd, buffer, count / 2); // part of it lands first
        return Fails("write") ? -1 : Real().write(fd, buffer, count);
    };
    FileCalls().flushNeeded = [](int) { return true; };
    FileCalls().fdatasync = [](int fd) { return Fails("fdatasync") ? -1 : Real().fdatasync(fd); };
    FileCalls().duplicate = [](int fd) { return Fails("duplicate") ? -1 : Real().duplicate(fd); };
    FileCalls().close = [](int fd) {
        Real().close(fd); // a close that reports an error has closed all the same
        return Fault().calls++ == 0 && Fails("close") ? -1 : 0;
    };
    FileCalls().ftruncate = [](int fd, off_t size) {
        return Fault().error == EROFS ? -1 : Real().ftruncate(fd, size);
    };
    const std::string report = "Cannot write file \"" + image + "\". ";
    const std::string notRestored = ". The file could not be restored to its former size: ";
    for (const std::string_view call : {"fstat", "write", "fdatasync", "duplicate", "close"})
        for (const int error : {EIO, EROFS}) { // EROFS: the truncation fails too
            SCOPED_TRACE(testing::Message() << call << " " << error);
            WriteBytes(image, before);
            TFileStream stream(image, TMode::fmOpenWrite);
            Fault() = {call, 0, error};
            const auto failure = FailureOf<EWriteError>([&] { stream.Append(block.data(), 6); });
            EXPECT_EQ(failure.substr(0, report.size()), report);
            const bool leftLonger = error == EROFS && call != "fstat";
            EXPECT_EQ(failure.find(notRestored) != std::string::npos, leftLonger) << failure;
            if (!leftLonger) {
                EXPECT_EQ(ReadBytes(image), before);
            }
            Fault() = {};
        }
    WriteBytes(image, before);
    TFileStream(image, TMode::fmOpenWrite).Append(block.data(), block.size());
    EXPECT_EQ(ReadBytes(image), Cat(before, block));
}

#endif

} // namespace
