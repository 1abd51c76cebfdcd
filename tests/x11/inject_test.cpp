// Pointer, buttons and keys played through XTest, read back as the X server delivers
// them to a window of the test's own.
// gtest before Xlib: Xlib's None and Bool macros would break gtest's headers.
#include <gtest/gtest.h>
// (keep)
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/inject.h"
#include "x11/display_fixture.h"
#include "x11/key_events.h"

namespace {

using testing_support::keysymOf;
using testing_support::lockedModifiers;
using testing_support::numLockMask;

constexpr long kKeyEvents = KeyPressMask | KeyReleaseMask;
constexpr long kButtonEvents = ButtonPressMask | ButtonReleaseMask;

class InjectTest : public testing_support::DisplayTest {
protected:
    // A full-screen window that has the keyboard focus.
    Window openInputWindow() {
        Window window = openWindow(0, 0, 1920, 1080, kKeyEvents | kButtonEvents);
        XSetInputFocus(display_, window, RevertToParent, CurrentTime);
        XSync(display_, False);
        return window;
    }

    // Presses and releases a virtual key; the keysym of the press (NoSymbol if none).
    KeySym strokeKeysym(Window window, uint8_t virtualKey) {
        platform::keyboardEvent(virtualKey, 0, platform::kKeyDown);
        XEvent press{};
        bool pressed = nextEvent(window, KeyPressMask, press);
        KeySym keysym = pressed ? keysymOf(display_, press.xkey) : NoSymbol;
        platform::keyboardEvent(virtualKey, 0, platform::kKeyUp);
        XEvent release{};
        EXPECT_EQ(pressed, nextEvent(window, KeyReleaseMask, release));
        return keysym;
    }

    struct Point {
        int x;
        int y;
    };

    Point pointer() {
        Window rootReturn = 0;
        Window child = 0;
        int x = 0;
        int y = 0;
        int windowX = 0;
        int windowY = 0;
        unsigned buttons = 0;
        XQueryPointer(display_, root_, &rootReturn, &child, &x, &y, &windowX, &windowY, &buttons);
        return {x, y};
    }

    void expectViewerKeys(Window window);
};

TEST_F(InjectTest, PointerLandsWhereAskedAndStaysOnTheScreen) {
    ASSERT_NO_FATAL_FAILURE(startDisplay("1920x1080x24"));
    struct Case {
        int x, y, wantX, wantY;
    };
    for (Case c :
         {Case{960, 540, 960, 540}, Case{0, 0, 0, 0}, Case{1919, 1079, 1919, 1079},
          Case{5000, -20, 1919, 0}, Case{70000, 70000, 1919, 1079}, Case{-70000, 600, 0, 600}}) {
        platform::setCursorPosition(c.x, c.y);
        XSync(display_, False);
        auto at = pointer();
        EXPECT_EQ(at.x, c.wantX) << c.x << "," << c.y;
        EXPECT_EQ(at.y, c.wantY) << c.x << "," << c.y;
    }
}

TEST_F(InjectTest, ButtonActionsReachTheWindowUnderThePointer) {
    ASSERT_NO_FATAL_FAILURE(startDisplay("1920x1080x24"));
    Window window = openInputWindow();
    platform::setCursorPosition(300, 200);
    platform::mouseButton(platform::kLeftDown, 0, 0);
    platform::mouseButton(platform::kLeftUp, 0, 0);
    platform::mouseButton(1, 0, 0);  // no button action: ignored
    platform::mouseButton(platform::kRightDown, 0, 0);
    platform::mouseButton(platform::kRightUp, 0, 0);

    std::vector<std::pair<int, unsigned>> seen;
    XEvent event{};
    while (nextEvent(window, kButtonEvents, event, 500))
        seen.emplace_back(event.type, event.xbutton.button);
    std::vector<std::pair<int, unsigned>> expected = {
        {ButtonPress, 1}, {ButtonRelease, 1}, {ButtonPress, 3}, {ButtonRelease, 3}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(event.xbutton.x_root, 300);
    EXPECT_EQ(event.xbutton.y_root, 200);
}

// What VkKeyScanA answers on a Windows US layout for the printable ASCII characters.
std::vector<std::pair<char, int>> usLayoutAnswers() {
    std::vector<std::pair<char, int>> answers = {{' ', 0x20}};
    for (char c = 'a'; c <= 'z'; ++c) {
        answers.emplace_back(c, 0x41 + (c - 'a'));
        answers.emplace_back(static_cast<char>(c - 'a' + 'A'), 0x141 + (c - 'a'));
    }
    const std::string shiftedDigits = ")!@#$%^&*(";
    for (int d = 0; d < 10; ++d) {
        answers.emplace_back(static_cast<char>('0' + d), 0x30 + d);
        answers.emplace_back(shiftedDigits[static_cast<size_t>(d)], 0x130 + d);
    }
    struct Punctuation {
        int key;
        char plain, shifted;
    };
    for (Punctuation p : {Punctuation{0xBA, ';', ':'},
                          {0xBB, '=', '+'},
                          {0xBC, ',', '<'},
                          {0xBD, '-', '_'},
                          {0xBE, '.', '>'},
                          {0xBF, '/', '?'},
                          {0xC0, '`', '~'},
                          {0xDB, '[', '{'},
                          {0xDC, '\\', '|'},
                          {0xDD, ']', '}'},
                          {0xDE, '\'', '"'}}) {
        answers.emplace_back(p.plain, p.key);
        answers.emplace_back(p.shifted, 0x100 + p.key);
    }
    return answers;
}

TEST_F(InjectTest, CharacterKeysAreTheUsLayoutsAnswers) {
    ASSERT_NO_FATAL_FAILURE(startDisplay("800x600x24"));
    auto answers = usLayoutAnswers();
    ASSERT_EQ(answers.size(), 95u);
    for (auto [character, key] : answers)
        EXPECT_EQ(platform::virtualKeyForCharacter(static_cast<uint8_t>(character)), key)
            << "character '" << character << "'";

    // Keys of their own among the control characters; Clear is the viewer's form feed.
    EXPECT_EQ(platform::virtualKeyForCharacter(0x08), 0x08);
    EXPECT_EQ(platform::virtualKeyForCharacter(0x09), 0x09);
    EXPECT_EQ(platform::virtualKeyForCharacter(0x0C), 0x0C);
    EXPECT_EQ(platform::virtualKeyForCharacter(0x0D), 0x0D);
    EXPECT_EQ(platform::virtualKeyForCharacter(0x1B), 0x1B);
    // Nothing on this map types these: skipped rather than typed wrong.
    for (int character : {0x00, 0x01, 0x0A, 0x7F, 0x85, 0xA0, 0xE9, 0xDF, 0xFF})
        EXPECT_EQ(platform::virtualKeyForCharacter(static_cast<uint8_t>(character)), -1)
            << character;
}

TEST_F(InjectTest, EveryCharacterTypesItselfWithTheShiftItReports) {
    ASSERT_NO_FATAL_FAILURE(startDisplay("800x600x24"));
    Window window = openInputWindow();
    for (auto [character, key] : usLayoutAnswers()) {
        int16_t answer = platform::virtualKeyForCharacter(static_cast<uint8_t>(character));
        bool shift = (answer >> 8) & 1;
        XEvent shiftEvent{};
        if (shift) {
            platform::keyboardEvent(platform::kVirtualKeyLeftShift, 1, platform::kKeyDown);
            ASSERT_TRUE(nextEvent(window, KeyPressMask, shiftEvent));
        }
        KeySym typed = strokeKeysym(window, static_cast<uint8_t>(answer & 0xFF));
        if (shift) {
            platform::keyboardEvent(platform::kVirtualKeyLeftShift, 1, platform::kKeyUp);
            ASSERT_TRUE(nextEvent(window, KeyReleaseMask, shiftEvent));
        }
        EXPECT_EQ(typed, static_cast<KeySym>(static_cast<uint8_t>(character)))
            << "character '" << character << "'";
    }
}

// Two keys of the US map made into a German map's umlaut and sharp-s keys: characters
// such a map types get keys of their own, and what it lost is no longer typed.
TEST_F(InjectTest, LatinOneCharactersFollowTheActiveMap) {
    ASSERT_NO_FATAL_FAILURE(startDisplay("800x600x24"));
    Window window = openInputWindow();
    KeyCode apostropheKey = XKeysymToKeycode(display_, XK_apostrophe);
    KeyCode minusKey = XKeysymToKeycode(display_, XK_minus);
    KeySym umlaut[] = {XK_adiaeresis, XK_Adiaeresis};
    KeySym sharpS[] = {XK_ssharp, XK_question};
    XChangeKeyboardMapping(display_, apostropheKey, 2, umlaut, 1);
    XChangeKeyboardMapping(display_, minusKey, 2, sharpS, 1);
    XSync(display_, False);

    int16_t small = platform::virtualKeyForCharacter(0xE4);    // ä
    int16_t capital = platform::virtualKeyForCharacter(0xC4);  // Ä
    int16_t sharp = platform::virtualKeyForCharacter(0xDF);    // ß
    ASSERT_GT(small, 0);
    ASSERT_GT(sharp, 0);
    EXPECT_EQ(capital, small | 0x100);
    EXPECT_NE(small & 0xFF, sharp & 0xFF);
    EXPECT_EQ(platform::virtualKeyForCharacter('?'), 0x1BF);  // still the slash key's
    EXPECT_EQ(platform::virtualKeyForCharacter('\''), -1);
    EXPECT_EQ(platform::virtualKeyForCharacter('-'), -1);

    EXPECT_EQ(strokeKeysym(window, static_cast<uint8_t>(small)), XK_adiaeresis);
    EXPECT_EQ(strokeKeysym(window, static_cast<uint8_t>(sharp)), XK_ssharp);
    XEvent shiftEvent{};
    platform::keyboardEvent(platform::kVirtualKeyLeftShift, 1, platform::kKeyDown);
    ASSERT_TRUE(nextEvent(window, KeyPressMask, shiftEvent));
    EXPECT_EQ(strokeKeysym(window, static_cast<uint8_t>(capital & 0xFF)), XK_Adiaeresis);
    platform::keyboardEvent(platform::kVirtualKeyLeftShift, 1, platform::kKeyUp);
}

// Every key the viewer sends, with the keysym X must deliver for it.
std::vector<std::pair<uint8_t, KeySym>> viewerKeys() {
    std::vector<std::pair<uint8_t, KeySym>> keys = {
        {0x08, XK_BackSpace},   {0x09, XK_Tab},         {0x0C, XK_Clear},
        {0x0D, XK_Return},      {0x12, XK_Alt_L},       {0x13, XK_Pause},
        {0x14, XK_Caps_Lock},   {0x1B, XK_Escape},      {0x20, XK_space},
        {0x21, XK_Prior},       {0x22, XK_Next},        {0x23, XK_End},
        {0x24, XK_Home},        {0x25, XK_Left},        {0x26, XK_Up},
        {0x27, XK_Right},       {0x28, XK_Down},        {0x29, XK_Select},
        {0x2A, XK_Print},       {0x2B, XK_Execute},     {0x2C, XK_Print},
        {0x2D, XK_Insert},      {0x2E, XK_Delete},      {0x2F, XK_Help},
        {0x6A, XK_KP_Multiply}, {0x6B, XK_KP_Add},      {0x6C, XK_KP_Separator},
        {0x6D, XK_KP_Subtract}, {0x6E, XK_KP_Decimal},  {0x6F, XK_KP_Divide},
        {0x90, XK_Num_Lock},    {0x91, XK_Scroll_Lock}, {0xA0, XK_Shift_L}};
    for (int i = 0; i < 10; ++i) {
        keys.emplace_back(static_cast<uint8_t>(0x30 + i), XK_0 + i);
        keys.emplace_back(static_cast<uint8_t>(0x60 + i), XK_KP_0 + i);
    }
    for (int i = 0; i < 26; ++i)
        keys.emplace_back(static_cast<uint8_t>(0x41 + i), XK_a + i);
    for (int i = 0; i < 24; ++i)
        keys.emplace_back(static_cast<uint8_t>(0x70 + i), XK_F1 + i);
    return keys;
}

// Caps Lock and Num Lock are pressed as keys in the list; the state is put back by
// pressing them again, so each pass starts from the lock state it was given.
void InjectTest::expectViewerKeys(Window window) {
    for (auto [virtualKey, keysym] : viewerKeys()) {
        KeySym typed = strokeKeysym(window, virtualKey);
        if (virtualKey == 0x14 || virtualKey == 0x90)
            strokeKeysym(window, virtualKey);
        EXPECT_EQ(typed, keysym) << "virtual key 0x" << std::hex << int{virtualKey};
    }
}

TEST_F(InjectTest, ViewerKeysGiveTheirKeysymsAndLeaveMapAndLocksAsFound) {
    ASSERT_NO_FATAL_FAILURE(startDisplay("800x600x24"));
    Window window = openInputWindow();
    int minCode = 0;
    int maxCode = 0;
    XDisplayKeycodes(display_, &minCode, &maxCode);
    int perCode = 0;
    KeySym* before = XGetKeyboardMapping(display_, static_cast<KeyCode>(minCode),
                                         maxCode - minCode + 1, &perCode);
    unsigned numLock = numLockMask(display_);
    ASSERT_NE(numLock, 0u);

    // Keypad keys follow Num Lock, whichever way it is set.
    for (bool numLockOn : {false, true}) {
        XkbLockModifiers(display_, XkbUseCoreKbd, numLock, numLockOn ? numLock : 0);
        XSync(display_, False);
        unsigned locks = lockedModifiers(display_);
        expectViewerKeys(window);
        EXPECT_EQ(lockedModifiers(display_), locks);
    }

    int perCodeAfter = 0;
    KeySym* after = XGetKeyboardMapping(display_, static_cast<KeyCode>(minCode),
                                        maxCode - minCode + 1, &perCodeAfter);
    ASSERT_EQ(perCodeAfter, perCode);
    size_t count = static_cast<size_t>(maxCode - minCode + 1) * perCode;
    for (size_t i = 0; i < count; ++i)
        EXPECT_EQ(before[i], after[i]) << "key code " << minCode + static_cast<int>(i) / perCode;
    XFree(before);
    XFree(after);
}

TEST_F(InjectTest, UnknownVirtualKeysAreIgnored) {
    ASSERT_NO_FATAL_FAILURE(startDisplay("800x600x24"));
    Window window = openInputWindow();
    for (uint8_t virtualKey : {uint8_t{0x00}, uint8_t{0x07}, uint8_t{0x3A}, uint8_t{0xFF}}) {
        platform::keyboardEvent(virtualKey, 0, platform::kKeyDown);
        platform::sendVirtualKeyInput(virtualKey, platform::kKeyUp);
    }
    XEvent event{};
    EXPECT_FALSE(nextEvent(window, kKeyEvents, event, 300));
}

}  // namespace
