// The real client thread against the real server thread (in a peer process, with the
// fake screen and the recording injector) on 127.0.0.1.
#include <algorithm>

#include "client_fixture.h"
#include "server_peer.h"

namespace testing_support {
namespace {

class ClientServerTest : public ClientTest {
protected:
    // Starts the peer's server on a desktop of width by height and the client against it.
    void connectTo(int width, int height, bool viaPipe = false) {
        ASSERT_EQ(
            peer_.ask("screen " + std::to_string(width) + " " + std::to_string(height) + " 1"),
            "ok");
        ASSERT_EQ(peer_.ask(std::string("pipe ") + (viaPipe ? "1" : "0")), "ok");
        const int port = peer_.start();
        ASSERT_GT(port, 0);
        startClient(port);
    }

    bool loggedIn() {
        return eventually(
            [] { return clientStatus() == "   Client:  Connection established 127.0.0.1"; });
    }

    bool frameShown() {
        return eventually([] { return view().imageShows > 0; });
    }

    // Waits until the server has served `more` frames beyond those served so far.
    bool framesServed(int more) {
        const int target = peer_.captures() + more;
        return eventually([&] { return peer_.captures() >= target; }, 15000);
    }

    // The injector's calls that the wanted ones, in order, are the last of.
    bool injected(const std::vector<std::string>& wanted) {
        return eventually(
            [&] {
                const auto calls = peer_.injectedCalls();
                return calls.size() >= wanted.size() &&
                       std::equal(wanted.begin(), wanted.end(), calls.end() - wanted.size());
            },
            3000);
    }

    // Sets pending input as the capture would and waits for the server to play it.
    // Input set between a cycle's copy and its reset is lost by design, so a second try
    // is allowed.
    bool playedOnServer(const std::function<void()>& capture,
                        const std::vector<std::string>& wanted) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            capture();
            if (injected(wanted))
                return true;
        }
        return false;
    }

    static void key(uint8_t kind, uint8_t value) {
        writePendingByte(korvo::kKeyValueOffset, value);
        writePendingByte(korvo::kKeyValueOffset + 1, 0);
        writePendingByte(korvo::kKeyKindOffset, kind);
    }

    ServerPeer peer_;
};

TEST_F(ClientServerTest, LogsInAndTheClientCommandEndsTheRunSoThatTheNextOneWorks) {
    connectTo(320, 240);
    ASSERT_TRUE(loggedIn());
    ASSERT_TRUE(frameShown());

    clientCommand();
    EXPECT_FALSE(clientRunning());
    EXPECT_EQ(clientStatus(), "   Client: No connection");
    EXPECT_FALSE(view().hasImage);
    EXPECT_EQ(korvo::clientConnection, 0);
    EXPECT_TRUE(eventually([] { return korvo::receiveLoopsActive() == 0; }));

    const int shows = view().imageShows;
    startClient(korvo::settings.clientPort);
    EXPECT_TRUE(loggedIn());
    EXPECT_TRUE(eventually([&] { return view().imageShows > shows; }));
    EXPECT_TRUE(messageBoxes().empty());
}

TEST_F(ClientServerTest, ARunStartsCleanWhateverUnitsAnEarlierRunLeftOnTheSemaphore) {
    // More than the Client command's reset takes away, as a server that sends replies
    // nobody asked for leaves them.
    for (int i = 0; i < 100; ++i)
        platform::postSemaphore(korvo::clientSemaphore);
    connectTo(320, 240);
    EXPECT_TRUE(loggedIn());
    EXPECT_TRUE(frameShown());
    ASSERT_TRUE(framesServed(3));
    EXPECT_TRUE(clientRunning());
}

TEST_F(ClientServerTest, FileRouteFramesReachTheViewAndTheWindowIsFittedToTheFirst) {
    const platform::Rect before = mainWindowGeometry();
    const platform::Rect viewBefore = view().geometry;
    connectTo(801, 601);
    ASSERT_TRUE(frameShown());

    // The view grows by 129 by 184; the window moves by half of it, rounded towards zero.
    const platform::Rect after = mainWindowGeometry();
    EXPECT_EQ(after.x, before.x - 64);
    EXPECT_EQ(after.y, before.y - 92);
    EXPECT_EQ(after.width, before.width + 801 - viewBefore.width);
    EXPECT_EQ(after.height, before.height + 601 - viewBefore.height);
    EXPECT_TRUE(eventually([] {
        const auto shown = view();
        return shown.geometry.width == 801 && shown.geometry.height == 601 &&
               shown.imageWidth == 801 && shown.imageHeight == 601;
    }));

    // Once per run: the window is not fitted again.
    platform::setWindowGeometry(korvo::kMainWindowId, {10, 10, 900, 700});
    ASSERT_TRUE(framesServed(3));
    EXPECT_EQ(mainWindowGeometry().width, 900);
    EXPECT_TRUE(eventually([] { return view().imageWidth == 900 - 28; }));
}

TEST_F(ClientServerTest, AFrameLargerThanTheLocalDesktopIsHalvedUntilItFits) {
    localDesktop(1024, 768);
    const platform::Rect before = mainWindowGeometry();
    const platform::Rect viewBefore = view().geometry;
    connectTo(1600, 1200);
    ASSERT_TRUE(frameShown());
    const platform::Rect after = mainWindowGeometry();
    EXPECT_EQ(after.width, before.width + 800 - viewBefore.width);
    EXPECT_EQ(after.height, before.height + 600 - viewBefore.height);
    EXPECT_TRUE(eventually([] { return view().imageWidth == 800 && view().imageHeight == 600; }));
}

TEST_F(ClientServerTest, MemoryRouteFramesAreShownOnceWhileUnchanged) {
    connectTo(320, 240, true);
    ASSERT_TRUE(frameShown());
    // Until its copy has served its time, every cycle shows the held copy again.
    ASSERT_TRUE(framesServed(14));
    const int shows = view().imageShows;
    ASSERT_TRUE(framesServed(4));
    EXPECT_EQ(view().imageShows, shows) << "an unchanged frame is not shown again";

    ASSERT_EQ(peer_.ask("screen 320 240 2"), "ok");
    EXPECT_TRUE(eventually([&] { return view().imageShows > shows; }));
}

TEST_F(ClientServerTest, KeysClicksAndThePointerReachTheInjectorWithTheirFields) {
    connectTo(320, 240);
    ASSERT_TRUE(frameShown());

    EXPECT_TRUE(playedOnServer(
        [] {
            const float x = 5000.0f, y = 2500.0f;
            writePendingInput(korvo::kPointerOffset, &x, 4);
            writePendingInput(korvo::kPointerOffset + 4, &y, 4);
        },
        {"setCursorPosition 160 60"}));
    EXPECT_TRUE(
        playedOnServer([] { key(1, 'a'); }, {"keyboardEvent 0x41 1 0", "keyboardEvent 0x41 1 2"}));
    EXPECT_TRUE(
        playedOnServer([] { key(1, 'A'); }, {"keyboardEvent 0xA0 1 0", "keyboardEvent 0x41 1 0",
                                             "keyboardEvent 0x41 1 2", "keyboardEvent 0xA0 1 2"}));
    EXPECT_TRUE(
        playedOnServer([] { key(1, 0x08); }, {"keyboardEvent 0x08 1 0", "keyboardEvent 0x08 1 2"}));
    EXPECT_TRUE(playedOnServer([] { key(2, 0x25); },
                               {"sendVirtualKeyInput 0x25 0", "sendVirtualKeyInput 0x25 2"}));
    EXPECT_TRUE(playedOnServer(
        [] {
            writePendingByte(korvo::kLeftClickOffset, 1);
            writePendingByte(korvo::kRightClickOffset, 1);
            writePendingByte(korvo::kMouseChangedOffset, 1);
        },
        {"mouseButton 2 160 60", "mouseButton 4 160 60", "mouseButton 8 160 60",
         "mouseButton 16 160 60"}));

    // Keys and clicks go out once; the pointer stays where it was.
    const size_t count = peer_.injectedCalls().size();
    ASSERT_TRUE(framesServed(3));
    EXPECT_EQ(peer_.injectedCalls().size(), count);
}

TEST_F(ClientServerTest, ARefusedLoginShowsItsMessageOnceAndRequestsNoFrame) {
    ASSERT_EQ(peer_.ask("login anna other"), "ok");
    connectTo(320, 240);
    ASSERT_TRUE(eventually([] { return !clientRunning(); }));
    EXPECT_EQ(messageBoxes(),
              std::vector<std::string>{"Error|Login failed. Wrong username or password."});
    EXPECT_EQ(clientStatus(), "   Client: No connection");
    EXPECT_EQ(peer_.captures(), 0);

    ServerPeer full;
    ASSERT_EQ(full.ask("limit 0"), "ok");
    startClient(full.start());
    ASSERT_TRUE(eventually([] { return !clientRunning(); }));
    EXPECT_EQ(messageBoxes().back(),
              "Error|Login failed. The server does not accept more clients.");
    EXPECT_EQ(messageBoxes().size(), 2u);
    EXPECT_EQ(full.captures(), 0);
}

TEST_F(ClientServerTest, NoFrameIsRequestedWhileTheWindowIsMinimisedOrTheServerTabShows) {
    connectTo(320, 240);
    ASSERT_TRUE(frameShown());

    // The pointer position goes out with every event, so a moved pointer shows that the
    // cycles go on.
    const auto cyclesGoOn = [this](float x) {
        writePendingInput(korvo::kPointerOffset, &x, 4);
        const float y = 5000.0f;
        writePendingInput(korvo::kPointerOffset + 4, &y, 4);
        return injected(
            {"setCursorPosition " + std::to_string(static_cast<int>(x * 320 / 10000)) + " 120"});
    };

    platform::fake_ui::setMinimised(korvo::kMainWindowId, true);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    int served = peer_.captures();
    EXPECT_TRUE(cyclesGoOn(2500.0f));
    EXPECT_TRUE(cyclesGoOn(7500.0f));
    EXPECT_EQ(peer_.captures(), served);

    platform::fake_ui::setMinimised(korvo::kMainWindowId, false);
    platform::setControlState(korvo::mainControl::kTabPanel, korvo::kServerTabIndex);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    served = peer_.captures();
    EXPECT_TRUE(cyclesGoOn(2500.0f));
    EXPECT_EQ(peer_.captures(), served);

    platform::setControlState(korvo::mainControl::kTabPanel, korvo::kClientTabIndex);
    EXPECT_TRUE(framesServed(1));
}

}  // namespace
}  // namespace testing_support
