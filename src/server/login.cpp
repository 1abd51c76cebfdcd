#include "server/login.h"

#include <cstring>

#include "platform/net.h"
#include "protocol/sha1.h"
#include "protocol/wire.h"
#include "server/client_table.h"
#include "server/login_throttle.h"
#include "server/newcomers.h"
#include "server/replies.h"
#include "server/request_handler.h"
#include "server/server_clock.h"
#include "settings/settings.h"
#include "state/process_state.h"

namespace korvo {
namespace {

// The login area inside serverWorkArea.
constexpr size_t kLoginAreaOffset = 1000;
constexpr size_t kLoginAreaLength = 512;

// Written through a volatile pointer, so that the compiler does not leave out stores to
// memory that is released or never read again.
void wipe(void* bytes, size_t count) {
    volatile uint8_t* byte = static_cast<volatile uint8_t*>(bytes);
    for (size_t i = 0; i < count; ++i)
        byte[i] = 0;
}

void wipe(std::string& text) {
    wipe(text.data(), text.size());
}

std::string upperHex(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'f')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// Without a branch on the letter, so that the time is the same for every byte.
unsigned foldAsciiCase(char c) {
    const unsigned byte = static_cast<uint8_t>(c);
    const unsigned isUpper = (byte - 'A') < 26u;
    return byte | (isUpper << 5);
}

// Both sides are looked at to the end whatever differs where; only a difference in
// length ends the comparison early.
bool sameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    unsigned difference = 0;
    for (size_t i = 0; i < a.size(); ++i)
        difference |= foldAsciiCase(a[i]) ^ foldAsciiCase(b[i]);
    return difference == 0;
}

bool sameBytes(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    unsigned difference = 0;
    for (size_t i = 0; i < a.size(); ++i)
        difference |=
            static_cast<unsigned>(static_cast<uint8_t>(a[i]) ^ static_cast<uint8_t>(b[i]));
    return difference == 0;
}

}  // namespace

bool credentialsMatch(std::string_view username, std::string_view password) {
    std::string received = upperHex(sha1Hex(password));
    std::string expected = upperHex(sha1Hex(settings.serverPassword));
    const bool passwordMatches = sameBytes(received, expected);
    const bool usernameMatches = sameIgnoringAsciiCase(username, settings.serverUser);
    wipe(received);
    return usernameMatches & passwordMatches;
}

void handleLogin(int connection, bool loggedIn) {
    uint8_t* area = serverWorkArea + kLoginAreaOffset;
    std::memset(area, 0, kLoginAreaLength);
    const size_t got = platform::receiveBytes(connection, area, kLoginBodyLength,
                                              loggedIn ? kMessageCompletionMs : 0);
    LoginFields login = decodeLoginBody(area);
    wipe(area, kLoginAreaLength);
    if (got < kLoginBodyLength && !loggedIn) {
        wipe(login.username);
        wipe(login.password);
        dropConnection(connection);
        return;
    }

    uint32_t address = 0;
    if (!platform::peerAddress(connection, address))
        address = 0;
    const bool sent = sendReplyByte(connection, kTagLoginResult);
    const uint64_t nowMs = serverNowMs();
    const bool refused = loginsRefusedFrom(address, nowMs);
    const bool matches = sent && !refused && credentialsMatch(login.username, login.password);
    wipe(login.username);
    wipe(login.password);
    if (!sent)
        return;

    if (!matches) {
        if (!refused)
            noteFailedLogin(address, nowMs);
        if (sendReplyByte(connection, kLoginWrongCredentials))
            dropConnection(connection);
        return;
    }
    noteAcceptedLogin(address);
    if (static_cast<int64_t>(clientSlotCount()) >= settings.serverMaxClients) {
        if (sendReplyByte(connection, kLoginServerFull))
            dropConnection(connection);
        return;
    }
    noteLoggedIn(connection);
    addClientSlot(connection);
    sendReplyByte(connection, kLoginAccepted);
}

}  // namespace korvo
