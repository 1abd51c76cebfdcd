// Where settings.ini and help.chm are found, on real folders with real permissions.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "state/program_files.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"

namespace korvo {
namespace {

using testing_support::TempDir;
using testing_support::writeBytes;

mode_t modeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// A program folder, bin/, inside a temporary folder that the unprivileged user may enter,
// and a configuration home beside it.
class ProgramFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
        std::filesystem::create_directory(programDir);
        ::setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
    }
    void TearDown() override {
        ::chmod(programDir.c_str(), 0755);
        ::unsetenv("XDG_CONFIG_HOME");
    }

    TempDir dir;
    std::string programDir = dir.file("bin");
    std::string configHome = dir.file("config");
};

TEST_F(ProgramFilesTest, ReadOnlyProgramFolderWithoutSettingsUsesPrivateConfigFolder) {
    ASSERT_EQ(::chmod(programDir.c_str(), 0555), 0);
    testing_support::runUnprivileged(
        [&] { EXPECT_EQ(chooseSettingsPath(programDir), configHome + "/korvo/settings.ini"); });
    EXPECT_EQ(modeOf(configHome + "/korvo"), 0700u);
    EXPECT_EQ(modeOf(configHome), 0700u);
}

TEST_F(ProgramFilesTest, ReadOnlyProgramFolderWithSettingsKeepsThem) {
    writeBytes(programDir + "/settings.ini", "[misc]\r\n");
    ASSERT_EQ(::chmod(programDir.c_str(), 0555), 0);
    testing_support::runUnprivileged(
        [&] { EXPECT_EQ(chooseSettingsPath(programDir), programDir + "/settings.ini"); });
    EXPECT_FALSE(std::filesystem::exists(configHome));
}

TEST_F(ProgramFilesTest, WritableProgramFolderGetsTheSettings) {
    ASSERT_EQ(::chmod(programDir.c_str(), 0777), 0);
    testing_support::runUnprivileged(
        [&] { EXPECT_EQ(chooseSettingsPath(programDir), programDir + "/settings.ini"); });
    EXPECT_FALSE(std::filesystem::exists(configHome));
}

TEST_F(ProgramFilesTest, ConfigFolderDefaultsToDotConfigInHome) {
    ::unsetenv("XDG_CONFIG_HOME");
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome ? oldHome : "/";
    ::setenv("HOME", dir.path().c_str(), 1);
    ASSERT_EQ(::chmod(programDir.c_str(), 0555), 0);
    testing_support::runUnprivileged(
        [&] { EXPECT_EQ(chooseSettingsPath(programDir), dir.file(".config/korvo/settings.ini")); });
    ::setenv("HOME", savedHome.c_str(), 1);
}

TEST_F(ProgramFilesTest, HelpFileIsLookedUpInCurrentThenProgramThenDataFolder) {
    const std::string dataDir = dir.file("share/korvo");
    std::filesystem::create_directories(dataDir);
    const std::string work = dir.file("work");
    std::filesystem::create_directory(work);
    const auto oldCwd = std::filesystem::current_path();
    std::filesystem::current_path(work);

    EXPECT_EQ(findHelpFile(programDir), "");
    writeBytes(dataDir + "/help.chm", "ITSF");
    EXPECT_EQ(findHelpFile(programDir), dataDir + "/help.chm");
    writeBytes(programDir + "/help.chm", "ITSF");
    EXPECT_EQ(findHelpFile(programDir), programDir + "/help.chm");
    writeBytes(work + "/help.chm", "ITSF");
    EXPECT_EQ(findHelpFile(programDir), "help.chm");

    std::filesystem::current_path(oldCwd);
}

}  // namespace
}  // namespace korvo
