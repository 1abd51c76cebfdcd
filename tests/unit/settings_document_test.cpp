// settings.ini as bytes: what the program writes, and how it rewrites hand-edited files.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "settings/settings.h"
#include "settings/settings_document.h"
#include "support/temp_dir.h"
#ifndef _WIN32
#include "support/unprivileged.h"
#endif

namespace korvo {
namespace {

using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override { settingsPath = dir.file("settings.ini"); }
    TempDir dir;
};

TEST_F(SettingsFileTest, FirstWriteOnMissingFileMakesHeaderAndEntry) {
    EXPECT_TRUE(writeSetting(SettingsGroup::Client, "ip", "10.0.0.1"));
    EXPECT_EQ(readBytes(settingsPath), "[client]\r\nip = 10.0.0.1\r\n");
}

TEST_F(SettingsFileTest, SettingsWindowOnEmptyFileWritesThreeSections) {
    writeBytes(settingsPath, "");
    const char* client[][2] = {
        {"ip", "127.0.0.1"}, {"port", "6000"}, {"user", "anna"}, {"pass", "c2VjcmV0"}};
    const char* server[][2] = {{"user", "bob"},  {"pass", ""},   {"port", "6000"},  {"limit", "1"},
                               {"clients", "3"}, {"image", "5"}, {"keyboard", "1"}, {"mouse", "0"}};
    const char* misc[][2] = {
        {"lang", "Auto"}, {"start", "--"}, {"systray", "0"}, {"suppress", "0"}};
    for (auto& kv : client)
        writeSetting(SettingsGroup::Client, kv[0], kv[1]);
    for (auto& kv : server)
        writeSetting(SettingsGroup::Server, kv[0], kv[1]);
    for (auto& kv : misc)
        writeSetting(SettingsGroup::Misc, kv[0], kv[1]);
    EXPECT_EQ(readBytes(settingsPath),
              "[client]\r\nip = 127.0.0.1\r\nport = 6000\r\nuser = anna\r\npass = c2VjcmV0\r\n"
              "[server]\r\nuser = bob\r\npass = \r\nport = 6000\r\nlimit = 1\r\nclients = 3\r\n"
              "image = 5\r\nkeyboard = 1\r\nmouse = 0\r\n"
              "[misc]\r\nlang = Auto\r\nstart = --\r\nsystray = 0\r\nsuppress = 0\r\n");
}

TEST_F(SettingsFileTest, RewriteNormalisesHandEditedFileAndKeepsEverythingElse) {
    writeBytes(settingsPath,
               "orphan=kept\n"
               ";no space comment\n"
               "\n\n"
               "   [CLIENT] trailing words\n"
               "  PORT\t=\t  7000  \n"
               "just some text\n"
               "user=x=y\n"
               "[server]\r\n"
               "user = first\r\n"
               "[Server]\r\n"
               "user = second\r\n"
               "[other]\n"
               "key = ;not a comment\n");
    EXPECT_EQ(readSetting(SettingsGroup::Client, "port"), "7000");
    EXPECT_EQ(readSetting(SettingsGroup::Client, "user"), "x=y");
    EXPECT_EQ(readSetting(SettingsGroup::Client, "just some text"), "");
    EXPECT_EQ(readSetting(SettingsGroup::Server, "user"), "first");
    EXPECT_EQ(readSetting(SettingsGroup::Misc, "orphan"), "");

    writeSetting(SettingsGroup::Client, "port", "8000");
    writeSetting(SettingsGroup::Client, "ip", "1.2.3.4");
    writeSetting(SettingsGroup::Server, "user", "changed");
    EXPECT_EQ(readBytes(settingsPath),
              "orphan = kept\r\n"
              "; no space comment\r\n"
              "[CLIENT]\r\n"
              "port = 8000\r\n"
              "just some text = \r\n"
              "user = x=y\r\n"
              "ip = 1.2.3.4\r\n"
              "[server]\r\n"
              "user = changed\r\n"
              "[Server]\r\n"
              "user = second\r\n"
              "[other]\r\n"
              "key = ;not a comment\r\n");
}

TEST_F(SettingsFileTest, TrailingBlanksOfValueStayInFileButAreNotRead) {
    writeBytes(settingsPath, "[misc]\r\nlang = german  \r\n");
    EXPECT_EQ(readSetting(SettingsGroup::Misc, "lang"), "german");
    writeSetting(SettingsGroup::Misc, "start", "server");
    EXPECT_EQ(readBytes(settingsPath), "[misc]\r\nlang = german  \r\nstart = server\r\n");
}

TEST_F(SettingsFileTest, EntryWithoutGroupGoesToTopOrBeforeFirstHeader) {
    SettingsDocument doc;
    ASSERT_TRUE(document::create(doc, settingsPath));
    document::selectGroup(doc, "");
    document::writeString(doc, "a", "1");
    document::selectGroup(doc, "g");
    document::writeString(doc, "b", "2");
    document::selectGroup(doc, "");
    document::writeString(doc, "c", "3");
    ASSERT_TRUE(document::close(doc));
    EXPECT_EQ(readBytes(settingsPath), "a = 1\r\nc = 3\r\n[g]\r\nb = 2\r\n");
}

TEST_F(SettingsFileTest, Utf8FileIsReadAsLatin1AndKeptUtf8) {
    writeBytes(settingsPath,
               "\xEF\xBB\xBF[client]\nuser = J\xC3\xBCrgen\nother = \xE2\x82\xAC\xC3\n");
    EXPECT_EQ(readSetting(SettingsGroup::Client, "user"), "J\xFCrgen");
    EXPECT_EQ(readSetting(SettingsGroup::Client, "other"), "??");
    writeSetting(SettingsGroup::Client, "user", "M\xFCller");
    EXPECT_EQ(readBytes(settingsPath),
              "\xEF\xBB\xBF\r\n[client]\r\nuser = M\xC3\xBCller\r\nother = \xE2\x82\xAC\xC3\r\n");
    EXPECT_EQ(readSetting(SettingsGroup::Client, "user"), "M\xFCller");
}

#ifndef _WIN32
// File modes, owners and links as POSIX has them.
TEST_F(SettingsFileTest, ReadOnlyFileIsReadAndNeverChanged) {
    const std::string original = "[client]\nport = 7000\n";
    writeBytes(settingsPath, original);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
    ASSERT_EQ(::chmod(settingsPath.c_str(), 0444), 0);
    testing_support::runUnprivileged([&] {
        EXPECT_EQ(readSetting(SettingsGroup::Client, "port"), "7000");
        EXPECT_FALSE(writeSetting(SettingsGroup::Client, "port", "1"));
    });
    EXPECT_EQ(readBytes(settingsPath), original);
}

TEST_F(SettingsFileTest, WritableFileIsRewrittenWhereTheFolderRefusesReplacing) {
    // 0555 takes no temporary file; 01777 takes one but lets nobody rename it over a file
    // that root owns.
    for (mode_t folderMode : {0555, 01777}) {
        writeBytes(settingsPath, "[client]\nport = 7000\n");
        ASSERT_EQ(::chmod(settingsPath.c_str(), 0666), 0);
        ASSERT_EQ(::chmod(dir.path().c_str(), folderMode), 0);
        testing_support::runUnprivileged(
            [&] { EXPECT_TRUE(writeSetting(SettingsGroup::Client, "port", "1")); });
        ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
        EXPECT_EQ(readBytes(settingsPath), "[client]\r\nport = 1\r\n") << std::oct << folderMode;
    }
}

TEST_F(SettingsFileTest, RewriteReachesEveryHardLink) {
    const std::string other = dir.file("other.ini");
    writeBytes(settingsPath, "[client]\r\n");
    ASSERT_EQ(::link(settingsPath.c_str(), other.c_str()), 0);
    writeSetting(SettingsGroup::Client, "ip", "1.1.1.1");
    EXPECT_EQ(readBytes(settingsPath), "[client]\r\nip = 1.1.1.1\r\n");
    EXPECT_EQ(readBytes(other), readBytes(settingsPath));
}

TEST_F(SettingsFileTest, RewriteByRootKeepsOwnerAndGroup) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a file to someone else";
    writeBytes(settingsPath, "[client]\r\n");
    ASSERT_EQ(::chown(settingsPath.c_str(), testing_support::kNobody, testing_support::kNobody), 0);
    writeSetting(SettingsGroup::Client, "ip", "1.1.1.1");
    struct stat info {};
    ASSERT_EQ(::stat(settingsPath.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, testing_support::kNobody);
    EXPECT_EQ(info.st_gid, testing_support::kNobody);
}

TEST_F(SettingsFileTest, RewriteKeepsPermissionsAndSymbolicLink) {
    const std::string real = dir.file("real.ini");
    writeBytes(real, "[client]\r\n");
    ASSERT_EQ(::chmod(real.c_str(), 0600), 0);
    ASSERT_EQ(::symlink(real.c_str(), settingsPath.c_str()), 0);
    writeSetting(SettingsGroup::Client, "ip", "1.1.1.1");
    struct stat info {};
    ASSERT_EQ(::lstat(settingsPath.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    ASSERT_EQ(::stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(readBytes(real), "[client]\r\nip = 1.1.1.1\r\n");
}

mode_t permissionBits(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

// settings.ini holds both passwords.
TEST_F(SettingsFileTest, NewFileIsTheOwnersAlone) {
    writeSetting(SettingsGroup::Server, "pass", "c2VjcmV0");
    EXPECT_EQ(permissionBits(settingsPath), 0600u);
}

TEST_F(SettingsFileTest, RewriteTakesAwayWhatOthersMayDo) {
    // A file of its own is replaced; one with another hard link is written in place.
    const std::string linked = dir.file("linked.ini");
    writeBytes(linked, "[server]\r\n");
    ASSERT_EQ(::link(linked.c_str(), dir.file("other.ini").c_str()), 0);
    writeBytes(settingsPath, "[server]\r\n");
    for (const std::string& path : {settingsPath, linked}) {
        ASSERT_EQ(::chmod(path.c_str(), 0664), 0);
        settingsPath = path;
        writeSetting(SettingsGroup::Server, "pass", "c2VjcmV0");
        EXPECT_EQ(permissionBits(path), 0600u) << path;
    }
}

#endif

TEST_F(SettingsFileTest, MissingOrUnreadableFileReadsEmpty) {
    EXPECT_EQ(readSetting(SettingsGroup::Client, "ip"), "");
    settingsPath = dir.path().string();  // a directory is not a settings file
    EXPECT_EQ(readSetting(SettingsGroup::Client, "ip"), "");
    EXPECT_FALSE(writeSetting(SettingsGroup::Client, "ip", "x"));
}

TEST(SettingsLinesTest, ParserStopsAtEndOfDataInEveryLineKind) {
    for (const char* text : {"[", "[abc", ";", "; ", "key", "key=", "  ", "\r", "=v"}) {
        std::vector<SettingsLine> lines = parseSettingsLines(text);
        SettingsDocument doc;
        doc.lines = lines;
        EXPECT_EQ(parseSettingsLines(renderSettingsDocument(doc)).size(), lines.size()) << text;
    }
    EXPECT_EQ(parseSettingsLines("[abc").at(0).text, "abc");
    EXPECT_EQ(parseSettingsLines(";").at(0).kind, LineKind::Comment);
}

}  // namespace
}  // namespace korvo
