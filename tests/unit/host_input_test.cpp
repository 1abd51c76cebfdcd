// Input injection: the record's layout and the exact call sequences at the recording
// injector, pauses included (the fake clock writes them into the same record).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "host/input_injection.h"
#include "platform/fake/fake_host.h"
#include "protocol/input_event.h"
#include "settings/settings.h"
#include "state/process_state.h"

namespace korvo {
namespace {

using Calls = std::vector<std::string>;

const std::string kShiftDown = "keyboardEvent 0xA0 1 0";
const std::string kShiftUp = "keyboardEvent 0xA0 1 2";
const std::string kPause = "sleepMs 4";

class InputInjection : public ::testing::Test {
protected:
    void SetUp() override {
        settings = Settings{};
        settings.allowMouse = 1;
        settings.allowKeyboard = 1;
        platform::fake::ScreenScript screen = platform::fake::desktopScript(1920, 1080);
        screen.cursor = {100, 200};
        platform::fake::scriptScreen(screen);
        platform::fake::resetVirtualKeyAnswers();
        platform::fake::clearInjectedCalls();
        lastPointerTarget = {0, 0};
        std::memset(serverWorkArea, 0, kWorkAreaSize);
    }
    void TearDown() override { settings = Settings{}; }

    // Receives the event into the work area as the request handler does and applies it.
    Calls apply(const InputEvent& event) {
        platform::fake::clearInjectedCalls();
        encodeInputEvent(event, serverWorkArea);
        applyInputEvent();
        return platform::fake::injectedCalls();
    }
};

InputEvent pointerAt(float x, float y) {
    InputEvent event;
    event.pointerX = x;
    event.pointerY = y;
    return event;
}

InputEvent character(char c) {
    InputEvent event;
    event.keyKind = kKeyKindCharacter;
    event.keyValue[0] = static_cast<uint8_t>(c);
    return event;
}

TEST(InputEventRecord, FieldsSitAtTheirOffsetsLittleEndian) {
    InputEvent event = pointerAt(5000.0f, -1.5f);
    event.leftDown = 1;
    event.rightDoubleClick = 7;
    event.mouseChanged = 1;
    event.keyKind = 2;
    event.keyValue[0] = 0x90;
    uint8_t body[kInputEventSize];
    encodeInputEvent(event, body);
    const uint8_t expected[kInputEventSize] = {
        0x00, 0x40, 0x9C, 0x45, 0x00, 0x00, 0xC0, 0xBF, 1, 0, 0, 0, 0, 0, 0, 7, 1, 2, 0x90, 0};
    EXPECT_EQ(std::memcmp(body, expected, kInputEventSize), 0);
    InputEvent back = decodeInputEvent(body);
    EXPECT_EQ(back.pointerX, 5000.0f);
    EXPECT_EQ(back.pointerY, -1.5f);
    EXPECT_EQ(back.leftDown, 1);
    EXPECT_EQ(back.rightDoubleClick, 7);
    EXPECT_EQ(back.keyValue[0], 0x90);
}

// The body's later fields overlap the places they move to; the scratch copy keeps them
// intact and is cleared afterwards.
TEST(InputEventRecord, PlacingSpreadsTheBodyOverTheWorkArea) {
    std::vector<uint8_t> area(kWorkAreaSize, 0);
    for (size_t i = 0; i < kInputEventSize; ++i)
        area[i] = static_cast<uint8_t>(0x40 + i);
    placeInputEvent(area.data());
    for (size_t i = 0; i < 8; ++i)
        EXPECT_EQ(area[i], 0x40 + i);
    for (size_t i = 0; i < 8; ++i)
        EXPECT_EQ(area[10 + i], 0x48 + i) << i;
    EXPECT_EQ(area[320], 0x50);
    EXPECT_EQ(area[256], 0x51);
    EXPECT_EQ(area[512], 0x52);
    EXPECT_EQ(area[513], 0x53);
    for (size_t i = 600; i < 620; ++i)
        EXPECT_EQ(area[i], 0) << i;
    InputEvent placed = placedInputEvent(area.data());
    EXPECT_EQ(placed.leftDown, 0x48);
    EXPECT_EQ(placed.rightDoubleClick, 0x4F);
    EXPECT_EQ(placed.mouseChanged, 0x50);
    EXPECT_EQ(placed.keyKind, 0x51);
}

TEST_F(InputInjection, PointerMovesOnlyWhenTheTargetChanges) {
    EXPECT_EQ(apply(pointerAt(5000, 5000)), (Calls{"setCursorPosition 960 540"}));
    EXPECT_EQ(apply(pointerAt(5000, 5000)), Calls{});
    EXPECT_EQ(lastPointerTarget.x, 960);
    EXPECT_EQ(lastPointerTarget.y, 540);
    // Someone at the server moved the mouse: not pulled back until the client's moves.
    platform::fake::moveFakeCursor(5, 5);
    EXPECT_EQ(apply(pointerAt(5000, 5000)), Calls{});
    EXPECT_EQ(apply(pointerAt(5001, 5000)), Calls{});  // 960.19 still rounds to 960
    EXPECT_EQ(apply(pointerAt(10000, 10000)), (Calls{"setCursorPosition 1920 1080"}));
}

TEST_F(InputInjection, TargetsRoundHalvesAwayFromZero) {
    platform::fake::scriptScreen(platform::fake::desktopScript(10000, 10000));
    EXPECT_EQ(movePointerTo(2.5f, 3.5f), 1);
    EXPECT_EQ(platform::fake::injectedCalls(), (Calls{"setCursorPosition 3 4"}));
}

TEST_F(InputInjection, PositionsNotAboveZeroAreNotApplied) {
    for (auto [x, y] : {std::pair{0.0f, 5000.0f},
                        {5000.0f, 0.0f},
                        {-1.0f, 100.0f},
                        {std::nanf(""), 100.0f},
                        {100.0f, -std::numeric_limits<float>::infinity()}}) {
        EXPECT_EQ(movePointerTo(x, y), 0) << x << "," << y;
    }
    EXPECT_EQ(platform::fake::injectedCalls(), Calls{});
    EXPECT_EQ(lastPointerTarget.x, 0);
}

TEST_F(InputInjection, HugePositionsStayWithinRange) {
    EXPECT_EQ(movePointerTo(std::numeric_limits<float>::infinity(), 3.0e38f), 1);
    EXPECT_EQ(platform::fake::injectedCalls(), (Calls{"setCursorPosition 1000000000 1000000000"}));
}

TEST_F(InputInjection, ButtonsActWithoutAMoveAtTheCurrentPosition) {
    InputEvent event = pointerAt(0, 5000);
    event.leftClick = 1;
    event.mouseChanged = 1;
    EXPECT_EQ(apply(event),
              (Calls{"mouseButton 2 100 200", kPause, "mouseButton 4 100 200", kPause}));
}

TEST_F(InputInjection, DoubleClickWinsOverClickAndSingleActions) {
    InputEvent event;
    event.leftDoubleClick = 1;
    event.leftClick = 1;
    event.leftDown = 1;
    event.leftUp = 1;
    event.mouseChanged = 1;
    EXPECT_EQ(apply(event),
              (Calls{"mouseButton 2 100 200", kPause, "mouseButton 4 100 200", kPause,
                     "mouseButton 2 100 200", kPause, "mouseButton 4 100 200", kPause}));
}

TEST_F(InputInjection, LeftGroupThenRightGroupWithSeparateActions) {
    InputEvent event;
    event.leftUp = 1;
    event.rightDown = 1;
    event.rightUp = 1;
    event.rightClick = 2;  // only exactly 1 is set
    event.mouseChanged = 1;
    EXPECT_EQ(apply(event), (Calls{"mouseButton 4 100 200", kPause, "mouseButton 8 100 200", kPause,
                                   "mouseButton 16 100 200", kPause}));
    event = InputEvent{};
    event.rightDoubleClick = 1;
    event.mouseChanged = 1;
    EXPECT_EQ(apply(event),
              (Calls{"mouseButton 8 100 200", kPause, "mouseButton 16 100 200", kPause,
                     "mouseButton 8 100 200", kPause, "mouseButton 16 100 200", kPause}));
}

TEST_F(InputInjection, ButtonBytesCountOnlyWhenMouseChangedIsOne) {
    for (int changed : {0, 2, 255}) {
        lastPointerTarget = {0, 0};
        InputEvent event = pointerAt(5000, 5000);
        event.leftClick = 1;
        event.mouseChanged = static_cast<uint8_t>(changed);
        EXPECT_EQ(apply(event), (Calls{"setCursorPosition 960 540"})) << changed;
    }
}

// Key first, then the move, then the buttons at the position read before the move.
TEST_F(InputInjection, KeyThenPointerThenButtons) {
    InputEvent event = character('a');
    event.pointerX = 5000;
    event.pointerY = 5000;
    event.rightClick = 1;
    event.mouseChanged = 1;
    EXPECT_EQ(apply(event), (Calls{"keyboardEvent 0x41 1 0", "keyboardEvent 0x41 1 2",
                                   "setCursorPosition 960 540", "mouseButton 8 100 200", kPause,
                                   "mouseButton 16 100 200", kPause}));
}

TEST_F(InputInjection, CharactersGetShiftExactlyWhenTheMapAsksForIt) {
    EXPECT_EQ(apply(character('A')),
              (Calls{kShiftDown, "keyboardEvent 0x41 1 0", "keyboardEvent 0x41 1 2", kShiftUp}));
    EXPECT_EQ(apply(character('a')), (Calls{"keyboardEvent 0x41 1 0", "keyboardEvent 0x41 1 2"}));
    EXPECT_EQ(apply(character('!')),
              (Calls{kShiftDown, "keyboardEvent 0x31 1 0", "keyboardEvent 0x31 1 2", kShiftUp}));
    EXPECT_EQ(apply(character('?')),
              (Calls{kShiftDown, "keyboardEvent 0xBF 1 0", "keyboardEvent 0xBF 1 2", kShiftUp}));
    // Needs Ctrl only (0x20D): no Shift.
    EXPECT_EQ(apply(character('\n')), (Calls{"keyboardEvent 0x0D 1 0", "keyboardEvent 0x0D 1 2"}));
}

TEST_F(InputInjection, CharactersThatTypeNothing) {
    EXPECT_EQ(apply(character(' ')), Calls{});
    EXPECT_EQ(apply(character('\0')), Calls{});
    // No key types it on this keyboard.
    EXPECT_EQ(apply(character(static_cast<char>(0xE9))), Calls{});
    platform::fake::setVirtualKeyAnswer('x', -1);
    EXPECT_EQ(apply(character('x')), Calls{});
}

TEST_F(InputInjection, VirtualKeysArePressedAndReleased) {
    InputEvent event;
    event.keyKind = kKeyKindVirtualKey;
    event.keyValue[0] = 0x90;
    event.keyValue[1] = 0x77;  // only byte 18 counts
    EXPECT_EQ(apply(event), (Calls{"sendVirtualKeyInput 0x90 0", "sendVirtualKeyInput 0x90 2"}));
    event.keyValue[0] = 0;
    EXPECT_EQ(apply(event), Calls{});
    event.keyKind = 3;
    event.keyValue[0] = 0x41;
    EXPECT_EQ(apply(event), Calls{});
}

bool oneShotFieldsCleared() {
    for (size_t i = 0; i < 18; ++i)
        if (serverWorkArea[i] != 0)
            return false;
    for (size_t at : {256, 257, 320, 321, 512, 513, 514, 515})
        if (serverWorkArea[at] != 0)
            return false;
    for (size_t i = 600; i < 620; ++i)
        if (serverWorkArea[i] != 0)
            return false;
    return true;
}

TEST_F(InputInjection, KeyboardOffClearsTheKeyButTheMouseStillActs) {
    settings.allowKeyboard = 0;
    InputEvent event = character('A');
    event.pointerX = 5000;
    event.pointerY = 5000;
    EXPECT_EQ(apply(event), (Calls{"setCursorPosition 960 540"}));
    EXPECT_TRUE(oneShotFieldsCleared());
}

// "Allowed" means exactly 1.
TEST_F(InputInjection, BothPermissionsOffIgnoreEverythingButClear) {
    settings.allowKeyboard = 2;
    settings.allowMouse = 0;
    InputEvent event = character('A');
    event.pointerX = 5000;
    event.pointerY = 5000;
    event.leftDoubleClick = 1;
    event.mouseChanged = 1;
    EXPECT_EQ(apply(event), Calls{});
    EXPECT_TRUE(oneShotFieldsCleared());
    EXPECT_EQ(lastPointerTarget.x, 0);
}

}  // namespace
}  // namespace korvo
