#include "dialogs/client_fields.h"

#include <algorithm>
#include <array>

#include "platform/ui.h"
#include "settings/numbers.h"
#include "settings/password.h"
#include "settings/settings.h"

namespace korvo {

std::string addressFieldText(std::string_view stored) {
    if (stored.empty())
        return std::string();
    std::array<std::string_view, 4> parts;
    for (std::string_view& part : parts) {
        const size_t dot = stored.find('.');
        part = stored.substr(0, dot);
        stored = dot == std::string_view::npos ? std::string_view() : stored.substr(dot + 1);
    }
    std::string text;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            text.push_back('.');
        text += formatInteger(std::clamp<int64_t>(parseInteger(parts[i]), 0, 255));
    }
    return text;
}

std::string portFieldText(const std::string& stored, const std::string& otherwise) {
    return parseInteger(stored) > 0 ? stored : otherwise;
}

int switchState(const std::string& stored) {
    return parseInteger(stored) == 1 ? 1 : 0;
}

void fillClientFields(const ClientFieldIds& fields) {
    platform::setControlText(fields.address,
                             addressFieldText(readSetting(SettingsGroup::Client, "ip")));
    platform::setControlText(fields.port,
                             portFieldText(readSetting(SettingsGroup::Client, "port"), ""));
    platform::setControlText(fields.user, readSetting(SettingsGroup::Client, "user"));
    platform::setControlText(fields.password,
                             decodePassword(readSetting(SettingsGroup::Client, "pass")));
}

}  // namespace korvo
