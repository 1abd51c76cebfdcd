// A private temporary directory for one test, removed with everything in it.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace testing_support {

class TempDir {
public:
    TempDir() {
#ifdef _WIN32
        // The user's own temporary folder; a fresh name is found by trying.
        for (unsigned attempt = 0;; ++attempt) {
            path_ = std::filesystem::temp_directory_path() /
                    ("korvo-test-" + std::to_string(std::rand()) + "-" + std::to_string(attempt));
            if (std::filesystem::create_directory(path_))
                break;
        }
#else
        std::string pattern =
            (std::filesystem::temp_directory_path() / "korvo-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        path_ = pattern;
#endif
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string file(const std::string& name) const {
        return (path_ / name).string();
    }
    const std::filesystem::path& path() const {
        return path_;
    }

private:
    std::filesystem::path path_;
};

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace testing_support
