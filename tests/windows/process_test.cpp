// The Win32 process pieces: the named mutex, the temporary frame name, faults.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <string>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/threads.h"

namespace {

TEST(SingleInstanceTest, TheNamedMutexKorvoMarksTheInstance) {
    EXPECT_TRUE(platform::claimSingleInstance());
    HANDLE seen = ::OpenMutexA(SYNCHRONIZE, FALSE, "Korvo");
    EXPECT_NE(seen, nullptr);  // other processes of the session find the name
    if (seen != nullptr)
        ::CloseHandle(seen);
    EXPECT_FALSE(platform::claimSingleInstance());
}

TEST(TempFramePathTest, AFreeNameInTheUsersTemporaryFolder) {
    const std::string path = platform::reserveTempFramePath();
    ASSERT_FALSE(path.empty());
    char folder[MAX_PATH];
    ASSERT_GT(::GetTempPathA(MAX_PATH, folder), 0u);
    EXPECT_EQ(path.rfind(folder, 0), 0u) << path;
    EXPECT_FALSE(platform::fileExists(path));
    EXPECT_EQ(platform::reserveTempFramePath(), path);
}

// Published before the thread faults, so that the report can name it.
std::atomic<platform::ThreadHandle> faultingThread{nullptr};

void faultNow() {
    for (int i = 0; i < 5000 && faultingThread.load() == nullptr; ++i)
        platform::sleepMs(1);
    *static_cast<volatile int*>(nullptr) = 1;
}

void onFaultReport() {
    // Ordinary context: the handler may use the platform freely.
    platform::sleepMs(10);
    platform::endProcess(platform::faultHappenedOn(faultingThread.load()) ? 7 : 8);
}

TEST(FaultHandlerTest, AnAccessFaultInAThreadRunsTheHandlerWhichEndsTheProcess) {
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

TEST(FaultHandlerTest, AFaultThatSystemCodeHandlesItselfIsLeftToIt) {
    EXPECT_EXIT(
        {
            if (!platform::installFaultHandler(onFaultReport))
                std::_Exit(2);
            // IsBadReadPtr probes the address and catches its own access fault.
            if (!::IsBadReadPtr(nullptr, 4))
                std::_Exit(4);
            std::_Exit(5);
        },
        ::testing::ExitedWithCode(5), "");
}

}  // namespace
