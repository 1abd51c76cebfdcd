// Parse arbitrary bytes as settings.ini, write them back, parse again: the lines and
// every value must survive unchanged, and nothing may read past the data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "settings/settings_document.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace korvo;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    SettingsDocument doc;
    doc.isOpen = true;
    doc.lines = parseSettingsLines(input);
    const std::string text = renderSettingsDocument(doc);

    SettingsDocument again;
    again.isOpen = true;
    again.lines = parseSettingsLines(text);
    if (again.lines.size() != doc.lines.size())
        std::abort();
    for (size_t i = 0; i < doc.lines.size(); ++i) {
        const SettingsLine& a = doc.lines[i];
        const SettingsLine& b = again.lines[i];
        if (a.kind != b.kind || a.text != b.text)
            std::abort();
        if (a.value != b.value)
            std::abort();
    }
    // Every group reads the same values before and after the round trip.
    for (const SettingsLine& line : doc.lines) {
        if (line.kind != LineKind::Header)
            continue;
        document::selectGroup(doc, line.text);
        document::selectGroup(again, line.text);
        for (const SettingsLine& entry : doc.lines) {
            if (entry.kind != LineKind::Entry)
                continue;
            if (document::readString(doc, entry.text, "\x01") !=
                document::readString(again, entry.text, "\x01")) {
                std::abort();
            }
        }
    }
    if (renderSettingsDocument(again) != text)
        std::abort();
    return 0;
}
