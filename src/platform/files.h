// Whole-file access for small files such as settings.ini.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace platform {

struct FileImage {
    std::string bytes;      // the complete content
    bool writable = false;  // the file may be rewritten by this process
};

// True when something exists at the path.
bool fileExists(const std::string& path);

// Reads the whole file. Tries read-write access first to learn whether it can be
// rewritten; falls back to read-only. Fails only when the file cannot be read at all.
bool readFileImage(const std::string& path, FileImage& image);

// The files createFile and replaceFileContents write may hold passwords: they are the
// owner's alone (mode 0600 when new; a rewritten file keeps only its owner's bits).

// Creates the file if it is missing and reports whether it exists and is writable now.
// An existing file keeps its content.
bool createFile(const std::string& path);

// Replaces the file's content as a whole. The new text goes to a temporary file in the
// same directory, which is then renamed over the old one with the old one's owner bits
// (and, best effort, its owner and group). A symbolic link is followed, so the link
// stays. When anything fails on this route, the old file is left exactly as it was.
// Two cases write into the old file instead: it has other hard links, which a new file
// would split off, or the directory refuses the temporary file or the rename. A failure
// there may leave the file part written. False whenever the new text did not land.
bool replaceFileContents(const std::string& path, std::string_view bytes);

// Opens the file as a C stream with one of fopen's modes; nullptr on failure. Paths are
// UTF-8 on every system, whatever the system's own code page.
std::FILE* openFileStream(const std::string& path, const char* mode);

// Deletes a file; true when it is gone afterwards.
bool removeFile(const std::string& path);

}  // namespace platform
