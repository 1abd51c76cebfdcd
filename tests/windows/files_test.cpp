// Rewriting settings.ini when the system's replacement fails part way, and paths outside
// the system's code page, on Wine's file system.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/win32/file_faults.h"
#include "platform/win32/wide.h"

namespace {

// A fresh folder of its own under the temporary folder, named outside any code page.
class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ASSERT_NE(::GetTempPathW(MAX_PATH, temp), 0u);
        folder = platform::win32::narrow(temp) + "Grüße-Ω-テスト-" +
                 std::to_string(::GetCurrentProcessId());
        ASSERT_TRUE(::CreateDirectoryW(platform::win32::widen(folder).c_str(), nullptr));
        path = folder + "\\settings.ini";
    }

    void TearDown() override {
        platform::win32::failNextFilePlacements({});
        for (const std::string& name : names())
            platform::removeFile(folder + "\\" + name);
        ::RemoveDirectoryW(platform::win32::widen(folder).c_str());
    }

    std::vector<std::string> names() const {
        std::vector<std::string> found;
        WIN32_FIND_DATAW entry;
        HANDLE search = ::FindFirstFileW(platform::win32::widen(folder + "\\*").c_str(), &entry);
        if (search == INVALID_HANDLE_VALUE)
            return found;
        do {
            const std::wstring name = entry.cFileName;
            if (name != L"." && name != L"..")
                found.push_back(platform::win32::narrow(name));
        } while (::FindNextFileW(search, &entry));
        ::FindClose(search);
        return found;
    }

    std::string contentOf(const std::string& file) const {
        platform::FileImage image;
        return platform::readFileImage(file, image) ? image.bytes : "<unreadable>";
    }

    std::string folder;
    std::string path;
};

TEST_F(FilesTest, AFileInAFolderNamedOutsideTheCodePageIsMadeReadRewrittenAndRemoved) {
    EXPECT_TRUE(platform::createFile(path));
    EXPECT_TRUE(platform::replaceFileContents(path, "[server]\r\nport = 6000\r\n"));
    EXPECT_TRUE(platform::fileExists(path));
    EXPECT_EQ(contentOf(path), "[server]\r\nport = 6000\r\n");
    EXPECT_TRUE(platform::removeFile(path));
    EXPECT_FALSE(platform::fileExists(path));
}

TEST_F(FilesTest, WhenTheReplacementCouldNotBeMovedInTheNewTextIsMovedIntoPlace) {
    for (const unsigned long error :
         {ERROR_UNABLE_TO_MOVE_REPLACEMENT, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2}) {
        ASSERT_TRUE(platform::replaceFileContents(path, "old"));
        platform::win32::failNextFilePlacements({error});
        EXPECT_TRUE(platform::replaceFileContents(path, "new")) << error;
        EXPECT_EQ(contentOf(path), "new") << error;
        for (const std::string& name : names())
            EXPECT_EQ(name.rfind("kor", 0), std::string::npos) << name << " left after " << error;
    }
}

TEST_F(FilesTest, AFileHeldOpenForAMomentIsReplacedOnceItIsFree) {
    ASSERT_TRUE(platform::replaceFileContents(path, "old"));
    platform::win32::failNextFilePlacements({ERROR_SHARING_VIOLATION, ERROR_SHARING_VIOLATION});
    EXPECT_TRUE(platform::replaceFileContents(path, "new"));
    EXPECT_EQ(contentOf(path), "new");
    EXPECT_EQ(names().size(), 1u);
}

TEST_F(FilesTest, WhenTheOldFileIsGoneAndTheNewOneCannotTakeItsNameTheNewTextIsKept) {
    ASSERT_TRUE(platform::replaceFileContents(path, "old"));
    std::vector<unsigned long> errors{ERROR_UNABLE_TO_MOVE_REPLACEMENT};
    errors.resize(40, ERROR_SHARING_VIOLATION);
    platform::win32::failNextFilePlacements(errors);
    EXPECT_FALSE(platform::replaceFileContents(path, "new"));
    EXPECT_FALSE(platform::fileExists(path));
    const std::vector<std::string> left = names();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(contentOf(folder + "\\" + left[0]), "new");
}

}  // namespace
