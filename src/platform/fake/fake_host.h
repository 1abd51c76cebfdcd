// Controls of the fake screen and the recording injector, for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/screen.h"

namespace platform::fake {

// What the fake screen answers. Every field may be changed between calls.
struct ScreenScript {
    bool displayPresent = true;
    Size displaySize{1920, 1080};
    // The captured picture: BGRX rows of pictureWidth * 4 bytes, top down. It may differ
    // in size from displaySize, as when the display changes size between the two calls.
    bool captureWorks = true;
    int captureStallMs = 0;  // a capture that takes this long, as a stuck one would
    int pictureWidth = 0;
    int pictureHeight = 0;
    std::vector<uint8_t> picture;
    bool cursorPositionWorks = true;
    Point cursor{0, 0};
    bool cursorImageWorks = true;
    CursorImage cursorImage;
    // What displayUnchangedSinceCapture answers once a capture was taken.
    bool reportsUnchanged = false;
};

// Replaces the script (thread-safe) and reads a copy of it.
void scriptScreen(const ScreenScript& script);
ScreenScript screenScript();
// A display of width by height whose picture is the given BGRX rows (or black when
// empty), a 1 by 1 white opaque cursor at (0, 0); everything works.
ScreenScript desktopScript(int width, int height, std::vector<uint8_t> picture = {});
// How many captures were taken since the last script.
int captureCount();
// Puts the pointer at (x, y), kept on the display as a real system keeps it.
void moveFakeCursor(int x, int y);

// Every injector call (and, with the fake clock, every pause) in order, one text each:
//   "setCursorPosition 960 540", "mouseButton 2 10 20", "keyboardEvent 0xA0 1 0",
//   "sendVirtualKeyInput 0x90 2", "sleepMs 4"
std::vector<std::string> injectedCalls();
void clearInjectedCalls();
void recordCall(const std::string& call);

// The answers of virtualKeyForCharacter; by default those of a US keyboard for ASCII
// (for instance 'a' 0x41, 'A' 0x141, '!' 0x131, ' ' 0x20), -1 for everything else.
// With the in-memory network (korvo_platform_fake_net): a connection that reads out the
// bytes as a peer that sent them all and then closed would deliver them; its handle.
int openHeldConnection(const uint8_t* bytes, size_t count);

void setVirtualKeyAnswer(uint8_t character, int16_t answer);
void resetVirtualKeyAnswers();

}  // namespace platform::fake
