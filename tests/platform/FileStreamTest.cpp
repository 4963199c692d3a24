// SPDX-License-Identifier: MIT
#include "TestSupport.h"

#include <chrono>
#include <string_view>

#ifndef _WIN32
#include "platform/FileCalls.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

using namespace reelkit;
using namespace reelkit::test;

namespace {

using TMode = TFileMode;
const std::string kInUse =
    "The process cannot access the file because it is being used by another process";

class FileStreamTest : public TTempDirTest {};

// Within one process: readers share, and a writer kept out by this process's
// own reader is refused at once, since no wait could end that hold. A missing
// file is reported, never created.
TEST_F(FileStreamTest, OwnReaderRefusesAWriterAtOnceAndMissingFilesStayMissing) {
    const std::string held = Path("held.bin");
    WriteBytes(held, {1, 2, 3});
    for (const auto& [second, refused] :
         {std::pair{TMode::fmOpenRead, false}, std::pair{TMode::fmOpenWrite, true}}) {
        SCOPED_TRACE(int(second));
        TFileStream holder(held, TMode::fmOpenRead);
        const auto start = std::chrono::steady_clock::now();
        const auto failure =
            FailureOf<EFOpenError>([&, mode = second] { TFileStream again(held, mode); });
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
        const std::string report = "Cannot open file \"" + held + "\". ";
        EXPECT_EQ(failure, refused ? report + kHeldHereText : "(none)");
    }
    TFileStream(held, TMode::fmOpenWrite).Append(nullptr, 0); // the reader is gone
    const std::string missing = Path("missing.bin");
    for (auto mode : {TMode::fmOpenRead, TMode::fmOpenWrite}) {
        const auto failure = FailureOf<EFOpenError>([&] { TFileStream again(missing, mode); });
        EXPECT_EQ(failure.substr(0, missing.size() + 21), "Cannot open file \"" + missing + "\". ");
        EXPECT_GT(failure.size(), missing.size() + 21) << "no reason given";
    }
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_EQ(ReadBytes(held), (TBytes{1, 2, 3}));
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
        int intruder = -1; // a descriptor another writer appends through when write fails
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
    static void FailFlock() {
        FileCalls().flock = [](int fd, int operation) {
            if (Fault().flockFailures == 0)
                return Real().flock(fd, operation);
            Fault().flockFailures -= Fault().flockFailures > 0;
            errno = Fault().error;
            return -1;
        };
    }
};

// A second open in this process, by mode, after the first: shared, waited for
// about a second (the pauses are counted, not slept) or refused at once. Then
// flock failing in each way: a held file is waited for, a file system without
// locks is no refusal.
TEST_F(FileCallsTest, HeldFilesAreWaitedForOrRefusedAndNoLockSupportIsNoRefusal) {
    const std::string file = Path("file.bin");
    const std::string inUse = "Cannot open file \"" + file + "\". " + kInUse;
    const std::string heldHere = "Cannot open file \"" + file + "\". " + kHeldHereText;
    WriteBytes(file, {7});
    const std::tuple<TMode, TMode, int, bool> holds[] = {
        {TMode::fmOpenRead, TMode::fmOpenRead, 0, true},
        {TMode::fmOpenRead, TMode::fmOpenWrite, 0, false},
        {TMode::fmOpenWrite, TMode::fmOpenRead, 1000, false},
        {TMode::fmOpenWrite, TMode::fmOpenWrite, 1000, false}};
    for (const auto& [first, second, paused, opens] : holds) {
        SCOPED_TRACE(testing::Message() << int(first) << int(second));
        Fault().paused = 0;
        TFileStream holder(file, first);
        const auto failure =
            FailureOf<EFOpenError>([&, mode = second] { TFileStream again(file, mode); });
        EXPECT_EQ(failure, opens ? "(none)" : first == TMode::fmOpenRead ? heldHere : inUse);
        EXPECT_EQ(Fault().paused, paused);
    }

    FailFlock();
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
                EXPECT_EQ(failure, inUse);
            }
        }
    // Without locks too, a writer that this process's own reader would feed is refused.
    Fault().error = ENOLCK;
    Fault().flockFailures = -1;
    const TFileStream reader(file, TMode::fmOpenRead);
    EXPECT_EQ(FailureOf<EFOpenError>([&] { TFileStream again(file, TMode::fmOpenWrite); }),
              heldHere);
}

// Every call of an append failing in turn: the file is cut back, or the report
// says why it could not be (the cut failed too, or, without a lock, another
// writer's bytes landed after it).
TEST_F(FileCallsTest, FailedAppendIsRolledBackOrSaysItCouldNotBe) {
    const std::string image = Path("image.tap");
    const TBytes before = {1, 2, 3}, block = {4, 5, 6, 7, 8, 9}, theirs = {0xEE};
    FileCalls().fstat = [](int fd, struct stat* info) {
        return Fails("fstat") ? -1 : Real().fstat(fd, info);
    };
    FileCalls().write = [](int fd, const void* buffer, size_t count) -> ssize_t {
        if (Fault().call == "write" && Fault().calls++ == 0)
            return Real().write(fd, buffer, count / 2); // part of it lands first
        if (Fault().intruder >= 0 && Fault().call == "write")
            Real().write(Fault().intruder, "\xEE", 1);
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
    // call, error (EROFS: the cut fails too), lock held, another writer appends
    const std::tuple<std::string_view, int, bool, bool> cases[] = {
        {"fstat", EIO, true, false},
        {"fstat", EROFS, true, false},
        {"write", EIO, true, false},
        {"write", EROFS, true, false},
        {"fdatasync", EIO, true, false},
        {"fdatasync", EROFS, true, false},
        {"duplicate", EIO, true, false},
        {"duplicate", EROFS, true, false},
        {"close", EIO, true, false},
        {"close", EROFS, true, false},
        {"write", EIO, false, false},
        {"close", EIO, false, false},
        {"write", EIO, false, true},
        {"", 0, true, false},
        {"", 0, false, false}};
    for (const auto& [call, error, locked, intruder] : cases) {
        SCOPED_TRACE(testing::Message() << call << " " << error << " " << locked << intruder);
        WriteBytes(image, before);
        FailFlock();
        Fault() = {};
        Fault().error = locked ? 0 : ENOLCK;
        Fault().flockFailures = locked ? 0 : -1;
        TFileStream stream(image, TMode::fmOpenWrite);
        const int other = intruder ? ::open(image.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC) : -1;
        Fault() = {call, 0, error};
        Fault().intruder = other;
        const auto failure =
            FailureOf<EWriteError>([&] { stream.Append(block.data(), block.size()); });
        if (other >= 0)
            ::close(other);
        Fault() = {};
        if (call.empty()) {
            EXPECT_EQ(failure, "(none)");
            EXPECT_EQ(ReadBytes(image), Cat(before, block));
            continue;
        }
        EXPECT_EQ(failure.substr(0, report.size()), report);
        const bool leftLonger = (error == EROFS && call != "fstat") || intruder;
        EXPECT_EQ(failure.find(notRestored) != std::string::npos, leftLonger) << failure;
        if (intruder) {
            EXPECT_TRUE(failure.ends_with("another program may have written to it meanwhile"));
            EXPECT_EQ(ReadBytes(image), Cat(Cat(before, {4, 5, 6}), theirs));
        } else if (!leftLonger) {
            EXPECT_EQ(ReadBytes(image), before);
        }
    }
}

// A stop signal that comes during the write is held back until the append has
// landed whole, or has been undone, and then ends the process as it would have.
TEST_F(FileCallsTest, StopSignalWaitsUntilTheAppendLandsOrIsUndone) {
    const std::string image = Path("image.tap");
    const TBytes before = {1, 2, 3}, block = {4, 5, 6, 7, 8, 9};
    FileCalls().write = [](int fd, const void* buffer, size_t count) -> ssize_t {
        if (Fault().calls++ == 0) {
            ::raise(SIGTERM);
            return Real().write(fd, buffer, count / 2);
        }
        return Fails("write") ? -1 : Real().write(fd, buffer, count);
    };
    for (const int error : {0, EIO}) {
        SCOPED_TRACE(error);
        WriteBytes(image, before);
        Fault() = {error != 0 ? "write" : "", 0, error};
        EXPECT_EXIT(
            {
                try {
                    TFileStream(image, TMode::fmOpenWrite).Append(block.data(), block.size());
                } catch (const EWriteError&) {
                }
                std::_Exit(0);
            },
            testing::KilledBySignal(SIGTERM), "");
        EXPECT_EQ(ReadBytes(image), error != 0 ? before : Cat(before, block));
    }
}

#endif

} // namespace
