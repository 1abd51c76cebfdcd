// The in-memory image of one settings file: a list of lines (group headers, comments,
// entries) that is read once, changed value by value and written back whole.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvo {

enum class LineKind { Header, Comment, Entry };

struct SettingsLine {
    LineKind kind = LineKind::Entry;
    std::string text;   // header name, comment text or entry key (file bytes)
    std::string value;  // entry value (file bytes), leading blanks removed
};

struct SettingsDocument {
    bool isOpen = false;
    bool writable = false;
    bool utf8 = false;  // began with the UTF-8 byte-order mark and stays UTF-8
    bool modified = false;
    std::string path;
    std::vector<SettingsLine> lines;
    std::optional<size_t> currentGroup;  // index of the selected header; none: no group
    std::optional<std::string> pendingGroup;
};

// Builds the line list of a file's bytes (without the byte-order mark).
std::vector<SettingsLine> parseSettingsLines(std::string_view content);

// The file's complete text in the written form: every line ends with CR LF; in UTF-8
// mode the byte-order mark and an empty line come first.
std::string renderSettingsDocument(const SettingsDocument& doc);

namespace document {

// Opens an existing file, read-write when possible, else read-only.
bool open(SettingsDocument& doc, const std::string& path);
// Starts a document on a new, empty file.
bool create(SettingsDocument& doc, const std::string& path);
// The empty name selects no group. Returns whether the group exists.
bool selectGroup(SettingsDocument& doc, std::string_view name);
// Single-byte text of the key in the current group, or the default.
std::string readString(const SettingsDocument& doc, std::string_view key,
                       std::string_view defaultValue);
// Sets the key in the current group (single-byte value), adding it where missing.
void writeString(SettingsDocument& doc, std::string_view key, std::string_view value);
// Writes the document back if it was changed and may be written; forgets it.
// Returns false only when a write was due and failed (the file is then unchanged).
bool close(SettingsDocument& doc);

}  // namespace document

// The one document of the calling thread.
SettingsDocument& threadSettingsDocument();

}  // namespace korvo
