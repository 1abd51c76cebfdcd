#include "settings/client_settings.h"

#include <mutex>

#include "settings/settings.h"

namespace korvo {

namespace {

// Held only while the four values are copied.
std::mutex clientSettingsLock;

}  // namespace

ClientSettings clientSettings() {
    std::lock_guard lock(clientSettingsLock);
    return {settings.clientIp, settings.clientPort, settings.clientUser, settings.clientPassword};
}

void setClientSettings(const ClientSettings& values) {
    std::lock_guard lock(clientSettingsLock);
    settings.clientIp = values.ip;
    settings.clientPort = values.port;
    settings.clientUser = values.user;
    settings.clientPassword = values.password;
}

}  // namespace korvo
