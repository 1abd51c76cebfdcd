// The recording injector with a US keyboard map.
#include <array>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/fake/fake_host.h"
#include "platform/inject.h"

namespace platform {
namespace fake {
namespace {

std::mutex injectorLock;
std::vector<std::string> calls;

// Virtual keys of a US keyboard: letters and digits are their own upper-case codes, the
// rest are the OEM keys. 0x100 is the Shift bit, 0x200 Ctrl.
std::array<int16_t, 256> usKeyboard() {
    std::array<int16_t, 256> keys;
    keys.fill(-1);
    for (int c = 'a'; c <= 'z'; ++c) {
        keys[static_cast<size_t>(c)] = static_cast<int16_t>(c - 'a' + 0x41);
        keys[static_cast<size_t>(c - 'a' + 'A')] = static_cast<int16_t>(0x100 + c - 'a' + 0x41);
        keys[static_cast<size_t>(c - 'a' + 1)] = static_cast<int16_t>(0x200 + c - 'a' + 0x41);
    }
    for (int c = '0'; c <= '9'; ++c)
        keys[static_cast<size_t>(c)] = static_cast<int16_t>(c);
    const char* shiftedDigits = ")!@#$%^&*(";
    for (int d = 0; d < 10; ++d)
        keys[static_cast<uint8_t>(shiftedDigits[d])] = static_cast<int16_t>(0x130 + d);
    struct Oem {
        char plain;
        char shifted;
        int16_t key;
    };
    const Oem oem[] = {{';', ':', 0xBA},  {'=', '+', 0xBB}, {',', '<', 0xBC}, {'-', '_', 0xBD},
                       {'.', '>', 0xBE},  {'/', '?', 0xBF}, {'`', '~', 0xC0}, {'[', '{', 0xDB},
                       {'\\', '|', 0xDC}, {']', '}', 0xDD}, {'\'', '"', 0xDE}};
    for (const Oem& o : oem) {
        keys[static_cast<uint8_t>(o.plain)] = o.key;
        keys[static_cast<uint8_t>(o.shifted)] = static_cast<int16_t>(0x100 + o.key);
    }
    keys[' '] = 0x20;
    keys['\b'] = 0x08;
    keys['\t'] = 0x09;
    keys['\r'] = 0x0D;
    keys['\n'] = 0x20D;
    keys[0x1B] = 0x1B;
    return keys;
}

std::array<int16_t, 256> keyAnswers = usKeyboard();

std::string hexKey(uint8_t key) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", key);
    return text;
}

}  // namespace

std::vector<std::string> injectedCalls() {
    std::lock_guard<std::mutex> guard(injectorLock);
    return calls;
}

void clearInjectedCalls() {
    std::lock_guard<std::mutex> guard(injectorLock);
    calls.clear();
}

void recordCall(const std::string& call) {
    std::lock_guard<std::mutex> guard(injectorLock);
    calls.push_back(call);
}

void setVirtualKeyAnswer(uint8_t character, int16_t answer) {
    std::lock_guard<std::mutex> guard(injectorLock);
    keyAnswers[character] = answer;
}

void resetVirtualKeyAnswers() {
    std::lock_guard<std::mutex> guard(injectorLock);
    keyAnswers = usKeyboard();
}

}  // namespace fake

void setCursorPosition(int x, int y) {
    fake::recordCall("setCursorPosition " + std::to_string(x) + " " + std::to_string(y));
    fake::moveFakeCursor(x, y);
}

void mouseButton(unsigned flag, int x, int y) {
    fake::recordCall("mouseButton " + std::to_string(flag) + " " + std::to_string(x) + " " +
                     std::to_string(y));
}

int16_t virtualKeyForCharacter(uint8_t character) {
    std::lock_guard<std::mutex> guard(fake::injectorLock);
    return fake::keyAnswers[character];
}

void keyboardEvent(uint8_t virtualKey, uint8_t scanCode, unsigned flags) {
    fake::recordCall("keyboardEvent " + fake::hexKey(virtualKey) + " " + std::to_string(scanCode) +
                     " " + std::to_string(flags));
}

void sendVirtualKeyInput(uint8_t virtualKey, unsigned flags) {
    fake::recordCall("sendVirtualKeyInput " + fake::hexKey(virtualKey) + " " +
                     std::to_string(flags));
}

}  // namespace platform
