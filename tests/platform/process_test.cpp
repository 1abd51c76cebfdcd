// The single-instance lock, the private frame path and the fault handler.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>

#include "platform/clock.h"
#include "platform/process.h"
#include "platform/threads.h"
#include "support/temp_dir.h"

namespace {

using testing_support::TempDir;

// The lock lives as long as the process, so each check runs in a child of its own.
void inChild(const std::function<void()>& check) {
    EXPECT_EXIT(
        {
            check();
            std::_Exit(::testing::Test::HasFailure() ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(SingleInstanceTest, OneLockPerUserAndDisplay) {
    TempDir runtime;
    inChild([&] {
        ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
        ::setenv("DISPLAY", ":77.0", 1);
        EXPECT_TRUE(platform::claimSingleInstance());
        EXPECT_FALSE(platform::claimSingleInstance());
        ::setenv("DISPLAY", ":77", 1);  // the same desktop, another screen spelling
        EXPECT_FALSE(platform::claimSingleInstance());
        ::setenv("DISPLAY", ":78", 1);  // another desktop may have its own instance
        EXPECT_TRUE(platform::claimSingleInstance());
    });
}

TEST(SingleInstanceTest, AReleasedLockCanBeClaimedAgain) {
    TempDir runtime;
    ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    ::setenv("DISPLAY", ":79", 1);
    inChild([] { EXPECT_TRUE(platform::claimSingleInstance()); });
    inChild([] { EXPECT_TRUE(platform::claimSingleInstance()); });  // the first one ended
}

TEST(SingleInstanceTest, APlantedLinkNeitherBlocksNorIsFollowed) {
    TempDir runtime;
    const std::string target = runtime.file("victim");
    testing_support::writeBytes(target, "keep");
    inChild([&] {
        ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
        ::setenv("DISPLAY", ":80", 1);
        const std::string lock = runtime.file("korvo-" + std::to_string(::getuid()) + "-_80.lock");
        ASSERT_EQ(::symlink(target.c_str(), lock.c_str()), 0);
        EXPECT_TRUE(platform::claimSingleInstance());
    });
    EXPECT_EQ(testing_support::readBytes(target), "keep");
}

TEST(TempFramePathTest, LivesInAPrivateDirectoryThatGoesAwayAtTheEnd) {
    TempDir base;
    const std::string marker = base.file("frame-path");
    EXPECT_EXIT(
        {
            ::setenv("TMPDIR", base.path().c_str(), 1);
            const std::string path = platform::reserveTempFramePath();
            if (path.empty() || platform::reserveTempFramePath() != path)
                std::_Exit(2);
            const std::filesystem::path directory = std::filesystem::path(path).parent_path();
            struct stat info {};
            if (::stat(directory.c_str(), &info) != 0 || (info.st_mode & 0777) != 0700)
                std::_Exit(3);
            if (std::filesystem::exists(path))  // only the name is reserved
                std::_Exit(4);
            testing_support::writeBytes(path, "frame");
            testing_support::writeBytes(marker, directory.string());
            platform::endProcess(0);
        },
        ::testing::ExitedWithCode(0), "");
    const std::string directory = testing_support::readBytes(marker);
    ASSERT_FALSE(directory.empty());
    EXPECT_EQ(directory.rfind(base.path().string(), 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(directory));
}

TEST(TempFramePathTest, AProcessEndedFromOutsideLeavesNoDirectoryEither) {
    TempDir base;
    const std::string marker = base.file("frame-path");
    EXPECT_EXIT(
        {
            ::setenv("TMPDIR", base.path().c_str(), 1);
            const std::string path = platform::reserveTempFramePath();
            testing_support::writeBytes(path, "frame");
            testing_support::writeBytes(marker, path);
            ::raise(SIGTERM);
            std::_Exit(2);
        },
        ::testing::KilledBySignal(SIGTERM), "");
    const std::string path = testing_support::readBytes(marker);
    ASSERT_FALSE(path.empty());
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(path).parent_path()));
}

// Published before the thread faults, so that the report can name it.
std::atomic<platform::ThreadHandle> faultingThread{nullptr};

void faultNow() {
    for (int i = 0; i < 5000 && faultingThread.load() == nullptr; ++i)
        platform::sleepMs(1);
    ::raise(SIGSEGV);
}

void onFaultReport() {
    // Ordinary context: the handler may use the platform freely.
    platform::sleepMs(10);
    platform::endProcess(platform::faultHappenedOn(faultingThread.load()) ? 7 : 8);
}

TEST(FaultHandlerTest, AFaultInAnyThreadRunsTheHandlerWhichEndsTheProcess) {
    EXPECT_EXIT(
        {
            if (!platform::installFaultHandler(onFaultReport))
                std::_Exit(2);
            faultingThread = platform::startThread(faultNow);
            for (int i = 0; i < 5000; ++i)
                platform::sleepMs(1);
            std::_Exit(3);
        },
        ::testing::ExitedWithCode(7), "");
}

TEST(FaultHandlerTest, AFaultOnTheMainThreadIsHandledToo) {
    EXPECT_EXIT(
        {
            if (!platform::installFaultHandler(onFaultReport))
                std::_Exit(2);
            faultingThread = platform::currentThread();
            // A real access fault: writing to a read-only page.
            void* page = ::mmap(nullptr, 4096, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            if (page == MAP_FAILED)
                std::_Exit(4);
            *static_cast<volatile int*>(page) = 1;
            std::_Exit(3);
        },
        ::testing::ExitedWithCode(7), "");
}

}  // namespace
