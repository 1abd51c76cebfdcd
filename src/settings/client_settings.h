// The four client settings the GUI thread may change while a client thread runs. The GUI
// thread stores them through setClientSettings; a client run takes its copy through
// clientSettings, so neither sees the other's work half done.
#pragma once

#include <cstdint>
#include <string>

namespace korvo {

struct ClientSettings {
    std::string ip;
    int64_t port = 0;
    std::string user;
    std::string password;
};

// A copy of settings.clientIp, clientPort, clientUser and clientPassword.
ClientSettings clientSettings();

// GUI thread: stores the four values in settings.
void setClientSettings(const ClientSettings& values);

}  // namespace korvo
