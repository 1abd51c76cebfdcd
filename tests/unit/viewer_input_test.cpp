// Keys, clicks and the pointer over the view become the client's pending input, on the
// headless UI with the main window's body at its creation geometry.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <ostream>
#include <thread>

#include "platform/fake/fake_ui.h"
#include "platform/threads.h"
#include "state/main_window_ids.h"
#include "state/process_state.h"
#include "state/role_threads.h"
#include "viewer/input_capture.h"
#include "viewer/viewer_state.h"

namespace korvo {
namespace {

namespace fake = platform::fake_ui;
using namespace mainControl;

// Event numbers of "a", Shift+"a", Backspace and Left.
constexpr int kKeyA = 97, kShiftA = 397, kBackspace = 508, kLeft = 537;

void idleClient() {
    while (platform::sleepUnlessStopped(1000)) {
    }
}

void stopClient() {
    platform::terminateThread(clientThread);
    clientThread = nullptr;
}

class ViewerInput : public ::testing::Test {
protected:
    void SetUp() override {
        using platform::ControlKind;
        fake::reset();
        platform::openWindow(kMainWindowId, {0, 0, 700, 525}, "Korvo v1.1", 0, 0);
        platform::showWindow(kMainWindowId, true);
        mainWindow = kMainWindowId;
        // Tab panel at x 6, flat frame 676 by 404: the area is left 12, top 56, 672 by 400.
        platform::createControl(kMainWindowId, kTabPanel, ControlKind::TabPanel, {6, 27, 688, 458},
                                "", 0);
        platform::createControl(kMainWindowId, kClientPage, ControlKind::TabPage, {}, "Client",
                                kTabPanel);
        platform::createControl(kMainWindowId, kServerPage, ControlKind::TabPage, {}, "Server",
                                kTabPanel);
        platform::createControl(kMainWindowId, kFlatFrame, ControlKind::FlatFrame, {2, 2, 676, 404},
                                "", kClientPage);
        fake::setPointer(kMainWindowId, {342, 254});
        std::memset(clientWorkArea, 0, kWorkAreaSize);
        forgetPendingInput();
        showingFrame = 0;
        clientThread = platform::startThread(idleClient);
    }
    void TearDown() override { stopClient(); }

    static bool nothingPending() {
        const InputEvent event = takePendingInput();
        return event.keyKind == 0 && event.keyValue[0] == 0 && event.mouseChanged == 0;
    }
};

struct KeyCase {
    int eventNumber;
    uint8_t kind;
    uint8_t value;
};
void PrintTo(const KeyCase& key, std::ostream* out) {
    *out << "event " << key.eventNumber;
}
class KeyOverView : public ViewerInput, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(KeyOverView, GoesOutWithItsKindAndValue) {
    EXPECT_EQ(captureShortcutEvent(GetParam().eventNumber), 1);
    const InputEvent event = takePendingInput();
    EXPECT_EQ(event.keyKind, GetParam().kind);
    EXPECT_EQ(event.keyValue[0], GetParam().value);
    EXPECT_EQ(event.keyValue[1], 0);
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyOverView,
                         ::testing::Values(KeyCase{kKeyA, kKeyKindCharacter, 'a'},
                                           KeyCase{kShiftA, kKeyKindCharacter, 'A'},
                                           KeyCase{kBackspace, kKeyKindCharacter, 8},
                                           KeyCase{kLeft, kKeyKindVirtualKey, 0x25}));

// Each condition alone keeps keys out.
struct Condition {
    const char* name;
    void (*apply)();
};
void PrintTo(const Condition& condition, std::ostream* out) {
    *out << condition.name;
}
class KeySwallowed : public ViewerInput, public ::testing::WithParamInterface<Condition> {};

TEST_P(KeySwallowed, StoresNothing) {
    GetParam().apply();
    EXPECT_EQ(captureShortcutEvent(kKeyA), 0);
    EXPECT_EQ(captureShortcutEvent(kLeft), 0);
    EXPECT_TRUE(nothingPending());
}

INSTANTIATE_TEST_SUITE_P(
    Conditions, KeySwallowed,
    ::testing::Values(Condition{"no client runs", stopClient},
                      Condition{"the Server tab is shown",
                                [] { platform::setControlState(kTabPanel, kServerTabIndex); }},
                      Condition{"pointer on the left edge",
                                [] {
                                    fake::setPointer(kMainWindowId, {12, 254});
                                }},
                      Condition{"pointer on the bottom edge",
                                [] {
                                    fake::setPointer(kMainWindowId, {342, 456});
                                }},
                      Condition{"pointer off the window", [] {
                                    fake::setPointer(kMainWindowId, {-1, -1});
                                }}));

// Fast typing and keys typed while a frame is taken in are not lost: they go out one an
// event, in the order typed.
TEST_F(ViewerInput, KeysOfOneCycleGoOutInOrderOneAnEvent) {
    captureShortcutEvent(kKeyA);
    showingFrame = 1;
    EXPECT_EQ(captureShortcutEvent(kLeft), 1);
    showingFrame = 0;
    captureShortcutEvent(kShiftA);
    const uint8_t expected[] = {'a', 0x25, 'A'};
    for (uint8_t value : expected)
        EXPECT_EQ(takePendingInput().keyValue[0], value);
    EXPECT_TRUE(nothingPending());
}

TEST_F(ViewerInput, KeyTypedWhileAFrameIsTakenInWaitsForTheNextEvent) {
    showingFrame = 1;
    captureShortcutEvent(kKeyA);
    showingFrame = 0;
    EXPECT_EQ(takePendingInput().keyValue[0], 'a');
}

// A server that stalls leaves keys waiting: those older than the key life are dropped,
// the one typed last still goes out.
TEST_F(ViewerInput, KeysThatWaitedPastTheirLifeAreDropped) {
    captureShortcutEvent(kKeyA);
    captureShortcutEvent(kLeft);
    std::this_thread::sleep_for(std::chrono::milliseconds(kKeyLifeMs + 100));
    captureShortcutEvent(kShiftA);
    EXPECT_EQ(takePendingInput().keyValue[0], 'A');
    EXPECT_TRUE(nothingPending());
}

TEST_F(ViewerInput, ANewRunForgetsWhatAnEarlierOneLeft) {
    captureShortcutEvent(kKeyA);
    captureShortcutEvent(kLeft);
    captureClick(kLeftClickOffset);
    forgetPendingInput();
    EXPECT_TRUE(nothingPending());
}

TEST_F(ViewerInput, NumbersOutsideTheShortcutTableStoreNothing) {
    // 349 is what a shifted "1" would be numbered; there is no such shortcut.
    for (int number : {0, 47, 349, 500, 548, 1000, -97})
        EXPECT_EQ(captureShortcutEvent(number), 0) << number;
    EXPECT_EQ(captureVirtualKey(500 + 256), 0);
    EXPECT_TRUE(nothingPending());
}

TEST_F(ViewerInput, LeftThenRightClickOfACycleGoOutTogether) {
    captureClick(kLeftClickOffset);
    captureClick(kRightClickOffset);
    const InputEvent event = takePendingInput();
    EXPECT_EQ(event.leftClick, 1);
    EXPECT_EQ(event.rightClick, 1);
    EXPECT_EQ(event.mouseChanged, 1);
    EXPECT_EQ(event.leftDoubleClick + event.leftDown, 0);
}

TEST_F(ViewerInput, ClicksNeedOnlyARunningClient) {
    showingFrame = 1;
    platform::setControlState(kTabPanel, kServerTabIndex);
    fake::setPointer(kMainWindowId, {-1, -1});
    EXPECT_EQ(captureClick(kRightDoubleClickOffset), 1);
    EXPECT_EQ(takePendingInput().rightDoubleClick, 1);
    stopClient();
    EXPECT_EQ(captureClick(kLeftClickOffset), 0);
    EXPECT_TRUE(nothingPending());
}

TEST_F(ViewerInput, ClickReachesNoByteButTheFourFlags) {
    for (int position : {-1, 0, 9, 18, int(kKeyKindOffset), int(kWorkAreaSize), 1 << 30})
        EXPECT_EQ(captureClick(position), 0) << position;
    EXPECT_TRUE(std::all_of(clientWorkArea, clientWorkArea + kWorkAreaSize,
                            [](uint8_t b) { return b == 0; }));
}

TEST_F(ViewerInput, PointerIsMeasuredFromTheReferenceLinesAndKeptOffTheView) {
    EXPECT_EQ(capturePointer(), 1);
    fake::setPointer(kMainWindowId, {690, 100});
    EXPECT_EQ(capturePointer(), 1);
    const InputEvent event = takePendingInput();
    EXPECT_FLOAT_EQ(event.pointerX, 5000.0f);  // (342 - 6) / (672 / 10000)
    EXPECT_FLOAT_EQ(event.pointerY, 5000.0f);  // (254 - 54) / (400 / 10000)
}

TEST_F(ViewerInput, TakingClearsTheOneShotFieldsAndKeepsThePointer) {
    capturePointer();
    captureClick(kLeftDoubleClickOffset);
    captureShortcutEvent(kLeft);
    takePendingInput();
    const InputEvent next = takePendingInput();
    EXPECT_TRUE(next.keyKind == 0 && next.keyValue[0] == 0 && next.mouseChanged == 0);
    EXPECT_EQ(next.leftDoubleClick, 0);
    EXPECT_FLOAT_EQ(next.pointerX, 5000.0f);
}

// While the GUI thread stores keys and the client thread takes events, an event never
// carries the kind of one key with the value of another.
TEST_F(ViewerInput, TakenKeyIsNeverHalfOfTwo) {
    std::atomic<bool> typing{true};
    std::thread gui([&] {
        while (typing) {
            captureShortcutEvent(kKeyA);
            captureShortcutEvent(kLeft);
        }
    });
    int whole = 0, mixed = 0;
    for (int i = 0; i < 2000000 && whole < 4000; ++i) {
        const InputEvent e = takePendingInput();
        if ((e.keyKind == kKeyKindCharacter && e.keyValue[0] == 'a') ||
            (e.keyKind == kKeyKindVirtualKey && e.keyValue[0] == 0x25))
            ++whole;
        else if (e.keyKind != 0 || e.keyValue[0] != 0)
            ++mixed;
    }
    typing = false;
    gui.join();
    EXPECT_GT(whole, 0);
    EXPECT_EQ(mixed, 0);
}

}  // namespace
}  // namespace korvo
