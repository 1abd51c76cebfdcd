#include <windows.h>

#include <string>

#include "platform/system.h"

namespace platform {

std::string userLanguageName() {
    // The language's own name ("Deutsch"), whatever language the system itself speaks;
    // read as UTF-16 and narrowed to ISO 8859-1, which the texts use.
    wchar_t name[80];
    if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SNATIVELANGNAME, name, 80) <= 1)
        return "English";
    std::string latin1;
    for (const wchar_t* c = name; *c != L'\0'; ++c)
        latin1 += *c <= 0xFF ? static_cast<char>(*c) : '?';
    return latin1;
}

}  // namespace platform
