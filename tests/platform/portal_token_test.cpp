// The desktop portal's restore token, kept in a file of its own beside settings.ini.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform/wayland/portal_token.h"
#include "support/temp_dir.h"

namespace {

using platform::wayland::keepPortalToken;
using platform::wayland::keptPortalToken;
using testing_support::readBytes;
using testing_support::writeBytes;

constexpr const char* kToken = "5f0c6a2e-3b7d-4c1e-9a8f-0d2b6e4c8a13";

mode_t modeOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

TEST(PortalToken, KeptForTheOwnerAloneReplacedByTheNextAndRemovedWhenNoneCame) {
    testing_support::TempDir folder;
    const std::string file = folder.file("portal-token");
    writeBytes(folder.file("settings.ini"), "[server]\r\n");
    EXPECT_EQ(keptPortalToken(folder.path().string()), "");

    ASSERT_TRUE(keepPortalToken(folder.path().string(), kToken));
    EXPECT_EQ(modeOf(file), 0600u);
    EXPECT_EQ(keptPortalToken(folder.path().string()), kToken);

    ASSERT_TRUE(keepPortalToken(folder.path().string(), "next-token"));
    EXPECT_EQ(keptPortalToken(folder.path().string()), "next-token");
    EXPECT_EQ(modeOf(file), 0600u);

    ASSERT_TRUE(keepPortalToken(folder.path().string(), ""));
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(readBytes(folder.file("settings.ini")), "[server]\r\n");
}

TEST(PortalToken, AFileNotHoldingATokenCountsAsNoneAndNoSuchTokenIsWritten) {
    testing_support::TempDir folder;
    const std::string file = folder.file("portal-token");
    for (const std::string& garbage : {std::string("a b"), std::string("tok\"en"),
                                       std::string(129, 'a'), std::string("\x01\xff", 2)}) {
        writeBytes(file, garbage);
        EXPECT_EQ(keptPortalToken(folder.path().string()), "") << garbage;
        EXPECT_FALSE(keepPortalToken(folder.path().string(), garbage));
        EXPECT_EQ(readBytes(file), garbage) << "a bad token replaced the kept file";
    }
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);  // unreadable as a file, even for root
    EXPECT_EQ(keptPortalToken(folder.path().string()), "");
}

}  // namespace
