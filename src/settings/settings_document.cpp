#include "settings/settings_document.h"

#include "platform/files.h"
#include "settings/latin1.h"

namespace korvo {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isLineBreak(char c) {
    return c == '\r' || c == '\n';
}

std::string_view withoutTrailingBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// One line's text without its leading blanks, already known to be neither empty nor
// a line break.
SettingsLine parseLine(std::string_view line) {
    SettingsLine parsed;
    if (line.front() == ';') {
        parsed.kind = LineKind::Comment;
        line.remove_prefix(1);
        if (!line.empty() && line.front() == ' ')
            line.remove_prefix(1);
        parsed.text = line;
    } else if (line.front() == '[') {
        parsed.kind = LineKind::Header;
        line.remove_prefix(1);
        parsed.text = line.substr(0, line.find(']'));
    } else {
        parsed.kind = LineKind::Entry;
        const size_t equals = line.find('=');
        parsed.text = withoutTrailingBlanks(line.substr(0, equals));
        if (equals != std::string_view::npos) {
            std::string_view value = line.substr(equals + 1);
            while (!value.empty() && isBlank(value.front()))
                value.remove_prefix(1);
            parsed.value = value;
        }
    }
    return parsed;
}

// The range [first, end) of lines that belong to the current group: after its header up
// to the next header; with no group, from the top up to the first header.
std::pair<size_t, size_t> currentGroupRange(const SettingsDocument& doc) {
    size_t first = doc.currentGroup ? *doc.currentGroup + 1 : 0;
    size_t end = first;
    while (end < doc.lines.size() && doc.lines[end].kind != LineKind::Header)
        ++end;
    return {first, end};
}

const SettingsLine* findEntry(const SettingsDocument& doc, std::string_view key, size_t& index) {
    auto [first, end] = currentGroupRange(doc);
    for (size_t i = first; i < end; ++i) {
        const SettingsLine& line = doc.lines[i];
        if (line.kind == LineKind::Entry && equalsIgnoringAsciiCase(line.text, key)) {
            index = i;
            return &line;
        }
    }
    return nullptr;
}

}  // namespace

std::vector<SettingsLine> parseSettingsLines(std::string_view content) {
    std::vector<SettingsLine> lines;
    size_t pos = 0;
    while (pos < content.size()) {
        while (pos < content.size() && isBlank(content[pos]))
            ++pos;
        if (pos < content.size() && !isLineBreak(content[pos])) {
            size_t end = pos;
            while (end < content.size() && !isLineBreak(content[end]))
                ++end;
            lines.push_back(parseLine(content.substr(pos, end - pos)));
            pos = end;
        }
        while (pos < content.size() && isLineBreak(content[pos]))
            ++pos;
    }
    return lines;
}

std::string renderSettingsDocument(const SettingsDocument& doc) {
    std::string text;
    if (doc.utf8) {
        text += kByteOrderMark;
        text += kLineEnd;
    }
    for (const SettingsLine& line : doc.lines) {
        switch (line.kind) {
            case LineKind::Header:
                text += '[';
                text += line.text;
                text += ']';
                break;
            case LineKind::Comment:
                text += "; ";
                text += line.text;
                break;
            case LineKind::Entry:
                text += line.text;
                text += " = ";
                text += line.value;
                break;
        }
        text += kLineEnd;
    }
    return text;
}

namespace document {

bool open(SettingsDocument& doc, const std::string& path) {
    close(doc);
    platform::FileImage image;
    if (!platform::readFileImage(path, image))
        return false;
    std::string_view content = image.bytes;
    doc.utf8 = content.substr(0, kByteOrderMark.size()) == kByteOrderMark;
    if (doc.utf8)
        content.remove_prefix(kByteOrderMark.size());
    doc.lines = parseSettingsLines(content);
    doc.writable = image.writable;
    doc.path = path;
    doc.isOpen = true;
    return true;
}

bool create(SettingsDocument& doc, const std::string& path) {
    close(doc);
    if (!platform::createFile(path))
        return false;
    doc.writable = true;
    doc.path = path;
    doc.isOpen = true;
    return true;
}

bool selectGroup(SettingsDocument& doc, std::string_view name) {
    doc.currentGroup.reset();
    doc.pendingGroup.reset();
    if (name.empty())
        return true;
    for (size_t i = 0; i < doc.lines.size(); ++i) {
        const SettingsLine& line = doc.lines[i];
        if (line.kind == LineKind::Header && equalsIgnoringAsciiCase(line.text, name)) {
            doc.currentGroup = i;
            return true;
        }
    }
    doc.pendingGroup = std::string(name);
    return false;
}

std::string readString(const SettingsDocument& doc, std::string_view key,
                       std::string_view defaultValue) {
    if (!doc.isOpen || doc.pendingGroup)
        return std::string(defaultValue);
    size_t index = 0;
    const SettingsLine* entry = findEntry(doc, key, index);
    if (entry == nullptr)
        return std::string(defaultValue);
    std::string_view value = trimBlanks(entry->value);
    return doc.utf8 ? utf8ToLatin1(value) : std::string(value);
}

void writeString(SettingsDocument& doc, std::string_view key, std::string_view value) {
    if (!doc.isOpen)
        return;
    if (doc.pendingGroup) {
        doc.lines.push_back({LineKind::Header, *doc.pendingGroup, {}});
        doc.currentGroup = doc.lines.size() - 1;
        doc.pendingGroup.reset();
    }
    std::string stored = doc.utf8 ? latin1ToUtf8(value) : std::string(value);
    size_t index = 0;
    if (findEntry(doc, key, index) != nullptr) {
        doc.lines[index].text = key;
        doc.lines[index].value = std::move(stored);
    } else {
        // New keys go after the group's last line, directly before the next header.
        const size_t insertAt = currentGroupRange(doc).second;
        doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                         SettingsLine{LineKind::Entry, std::string(key), std::move(stored)});
    }
    doc.modified = true;
}

bool close(SettingsDocument& doc) {
    if (!doc.isOpen)
        return true;
    bool ok = true;
    if (doc.modified && doc.writable) {
        ok = platform::replaceFileContents(doc.path, renderSettingsDocument(doc));
    }
    doc = SettingsDocument{};
    return ok;
}

}  // namespace document

SettingsDocument& threadSettingsDocument() {
    thread_local SettingsDocument doc;
    return doc;
}

}  // namespace korvo
