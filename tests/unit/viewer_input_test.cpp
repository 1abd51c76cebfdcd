// Keys, clicks and the pointer over the view become the client's pending input, on the
// headless UI with the main window's body at its creation geometry.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

#include "platform/fake/fake_ui.h"
#include "platform/threads.h"
#include "protocol/input_event.h"
#include "state/main_window_ids.h"
#include "state/process_state.h"
#include "state/role_threads.h"
#include "viewer/input_capture.h"
#include "viewer/viewer_state.h"

namespace korvo {
namespace {

namespace fake = platform::fake_ui;
using platform::ControlKind;

// Event numbers of the main window's shortcuts.
constexpr int kKeyA = 97;
constexpr int kShiftA = 397;
constexpr int kBackspace = 508;
constexpr int kLeft = 537;

// The tab panel at x 6 and a flat frame 676 by 404 on the Client page give the area
// left 12, top 56, 672 by 400.
constexpr platform::ClientPoint kOverView{342, 254};

void idleClient() {
    while (platform::sleepUnlessStopped(1000)) {
    }
}

class ViewerInput : public ::testing::Test {
protected:
    void SetUp() override {
        using namespace mainControl;
        fake::reset();
        ASSERT_TRUE(platform::openWindow(kMainWindowId, {0, 0, 700, 525}, "Korvo v1.1", 0, 0));
        platform::showWindow(kMainWindowId, true);
        mainWindow = kMainWindowId;
        ASSERT_TRUE(platform::createControl(kMainWindowId, kTabPanel, ControlKind::TabPanel,
                                            {6, 27, 688, 458}, "", 0));
        ASSERT_TRUE(platform::createControl(kMainWindowId, kClientPage, ControlKind::TabPage, {},
                                            "Client", kTabPanel));
        ASSERT_TRUE(platform::createControl(kMainWindowId, kServerPage, ControlKind::TabPage, {},
                                            "Server", kTabPanel));
        ASSERT_TRUE(platform::createControl(kMainWindowId, kFlatFrame, ControlKind::FlatFrame,
                                            {2, 2, 676, 404}, "", kClientPage));
        fake::setPointer(kMainWindowId, kOverView);
        std::memset(clientWorkArea, 0, kWorkAreaSize);
        showingFrame = 0;
        startClient();
    }
    void TearDown() override {
        stopClient();
        mainWindow = 0;
    }

    static void startClient() {
        clientThread = platform::startThread(idleClient);
        ASSERT_NE(clientThread.load(), nullptr);
    }
    static void stopClient() {
        platform::terminateThread(clientThread);
        clientThread = nullptr;
    }

    static bool nothingPending() {
        const InputEvent event = takePendingInput();
        return event.keyKind == 0 && event.keyValue[0] == 0 && event.mouseChanged == 0 &&
               event.leftClick == 0 && event.rightClick == 0;
    }
};

// ---- Keys ----

struct KeyCase {
    int eventNumber;
    uint8_t kind;
    uint8_t value;
};

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

TEST_F(ViewerInput, LaterKeyOfACycleReplacesTheEarlierOne) {
    captureShortcutEvent(kKeyA);
    captureShortcutEvent(kLeft);
    const InputEvent event = takePendingInput();
    EXPECT_EQ(event.keyKind, kKeyKindVirtualKey);
    EXPECT_EQ(event.keyValue[0], 0x25);
}

TEST_F(ViewerInput, KeysWaitWhileAFrameIsTakenIn) {
    showingFrame = 1;
    EXPECT_EQ(captureShortcutEvent(kKeyA), 0);
    EXPECT_TRUE(nothingPending());
    showingFrame = 0;
    EXPECT_EQ(captureShortcutEvent(kKeyA), 1);
}

TEST_F(ViewerInput, KeysNeedARunningClient) {
    stopClient();
    EXPECT_EQ(captureShortcutEvent(kKeyA), 0);
    EXPECT_EQ(captureShortcutEvent(kLeft), 0);
    EXPECT_TRUE(nothingPending());
}

TEST_F(ViewerInput, KeysNeedThePointerStrictlyInsideTheView) {
    for (platform::ClientPoint outside :
         {platform::ClientPoint{12, 254}, {684, 254}, {342, 56}, {342, 456}, {-1, -1}}) {
        fake::setPointer(kMainWindowId, outside);
        EXPECT_EQ(captureShortcutEvent(kKeyA), 0) << outside.x << "," << outside.y;
    }
    EXPECT_TRUE(nothingPending());
    fake::setPointer(kMainWindowId, {13, 57});
    EXPECT_EQ(captureShortcutEvent(kKeyA), 1);
}

TEST_F(ViewerInput, KeysNeedTheClientTab) {
    platform::setControlState(mainControl::kTabPanel, kServerTabIndex);
    EXPECT_EQ(captureShortcutEvent(kKeyA), 0);
    EXPECT_TRUE(nothingPending());
}

TEST_F(ViewerInput, NumbersOutsideTheShortcutTableStoreNothing) {
    // 349 is what a shifted "1" would be numbered; there is no such shortcut.
    for (int number : {0, 47, 349, 500, 548, 1000, -97})
        EXPECT_EQ(captureShortcutEvent(number), 0) << number;
    EXPECT_EQ(captureCharacter(kKeyA, 4), 0);
    EXPECT_EQ(captureVirtualKey(500 + 256), 0);
    EXPECT_TRUE(nothingPending());
}

// ---- Clicks ----

TEST_F(ViewerInput, LeftThenRightClickOfACycleGoOutTogether) {
    EXPECT_EQ(captureClick(kLeftClickOffset), 1);
    EXPECT_EQ(captureClick(kRightClickOffset), 1);
    const InputEvent event = takePendingInput();
    EXPECT_EQ(event.leftClick, 1);
    EXPECT_EQ(event.rightClick, 1);
    EXPECT_EQ(event.mouseChanged, 1);
    EXPECT_EQ(event.leftDoubleClick, 0);
    EXPECT_EQ(event.leftDown, 0);
}

TEST_F(ViewerInput, ClicksNeedOnlyARunningClient) {
    showingFrame = 1;
    platform::setControlState(mainControl::kTabPanel, kServerTabIndex);
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

// ---- Taking the event ----

TEST_F(ViewerInput, TakingClearsTheOneShotFieldsAndKeepsThePointer) {
    capturePointer();
    captureClick(kLeftDoubleClickOffset);
    captureShortcutEvent(kLeft);
    takePendingInput();
    const InputEvent next = takePendingInput();
    EXPECT_EQ(next.keyKind, 0);
    EXPECT_EQ(next.keyValue[0], 0);
    EXPECT_EQ(next.leftDoubleClick, 0);
    EXPECT_EQ(next.mouseChanged, 0);
    EXPECT_FLOAT_EQ(next.pointerX, 5000.0f);
}

// The GUI thread stores keys while the client thread takes events: an event never carries
// the kind of one key with the value of another.
TEST_F(ViewerInput, TakenKeyIsNeverHalfOfTwo) {
    std::atomic<bool> typing{true};
    std::thread gui([&] {
        while (typing) {
            captureShortcutEvent(kKeyA);
            captureShortcutEvent(kLeft);
        }
    });
    int characters = 0;
    int virtualKeys = 0;
    int mixed = 0;
    for (int i = 0; i < 2000000 && (characters < 2000 || virtualKeys < 2000); ++i) {
        const InputEvent event = takePendingInput();
        if (event.keyKind == kKeyKindCharacter && event.keyValue[0] == 'a')
            ++characters;
        else if (event.keyKind == kKeyKindVirtualKey && event.keyValue[0] == 0x25)
            ++virtualKeys;
        else if (event.keyKind != 0 || event.keyValue[0] != 0)
            ++mixed;
    }
    typing = false;
    gui.join();
    EXPECT_GT(characters + virtualKeys, 0);
    EXPECT_EQ(mixed, 0);
}

// ---- The pointer ----

TEST_F(ViewerInput, PointerIsMeasuredFromTheReferenceLines) {
    EXPECT_EQ(capturePointer(), 1);
    const InputEvent event = takePendingInput();
    EXPECT_FLOAT_EQ(event.pointerX, 5000.0f);  // (342 - 6) / (672 / 10000)
    EXPECT_FLOAT_EQ(event.pointerY, 5000.0f);  // (254 - 54) / (400 / 10000)
}

TEST_F(ViewerInput, PointerOffTheViewKeepsTheLastValues) {
    capturePointer();
    fake::setPointer(kMainWindowId, {690, 100});
    EXPECT_EQ(capturePointer(), 1);
    fake::setPointer(kMainWindowId, {100, 100});
    platform::setControlState(mainControl::kTabPanel, kServerTabIndex);
    EXPECT_EQ(capturePointer(), 1);
    const InputEvent event = takePendingInput();
    EXPECT_FLOAT_EQ(event.pointerX, 5000.0f);
    EXPECT_FLOAT_EQ(event.pointerY, 5000.0f);
}

}  // namespace
}  // namespace korvo
