#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/system.h"

namespace platform {
namespace {

struct LanguageName {
    std::string_view code;  // ISO 639-1
    std::string_view name;  // ISO 8859-1 bytes
};

// Each language by the name it has for itself, as ISO 8859-1 bytes (octal escapes).
constexpr LanguageName kLanguageNames[] = {
    {"de", "Deutsch"},  {"en", "English"},     {"fr", "Fran\347ais"},  {"es", "Espa\361ol"},
    {"it", "Italiano"}, {"nl", "Nederlands"},  {"pt", "Portugu\352s"}, {"da", "Dansk"},
    {"sv", "Svenska"},  {"nb", "Norsk"},       {"nn", "Norsk"},        {"no", "Norsk"},
    {"fi", "Suomi"},    {"is", "\315slenska"}, {"ca", "Catal\340"},    {"ga", "Gaeilge"},
    {"et", "Eesti"},    {"pl", "Polski"},      {"hu", "Magyar"},       {"tr", "T\374rk\347e"},
    {"hr", "Hrvatski"}, {"id", "Indonesia"},   {"ms", "Melayu"},       {"af", "Afrikaans"},
};

// The language part of a locale name such as "de_AT.UTF-8" or "de".
std::string_view languagePart(std::string_view locale) {
    size_t end = locale.find_first_of("_.@");
    return locale.substr(0, end);
}

}  // namespace

std::string userLanguageName() {
    // The first of these that is set decides, as for every other program.
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value == nullptr || *value == '\0')
            continue;
        std::string_view code = languagePart(value);
        for (const LanguageName& entry : kLanguageNames) {
            if (entry.code == code)
                return std::string(entry.name);
        }
        // "C" and "POSIX" are the untranslated system; other languages by their code.
        if (code.empty() || code == "C" || code == "POSIX")
            return "English";
        return std::string(code);
    }
    return "English";
}

}  // namespace platform
