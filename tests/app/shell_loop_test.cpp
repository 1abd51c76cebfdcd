// The main window, its event loop and commands, start-up choices and the ways out,
// driven through the headless UI with stand-ins for the roles.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "app/gui.h"
#include "app/main_window.h"
#include "app/messages.h"
#include "app/pictures.h"
#include "app/program.h"
#include "app/role_commands.h"
#include "platform/clock.h"
#include "platform/fake/fake_ui.h"
#include "role_stand_ins.h"
#include "settings/settings.h"
#include "state/main_window_ids.h"
#include "state/process_state.h"
#include "state/role_threads.h"
#include "support/temp_dir.h"
#include "texts/texts.h"

namespace korvo {
namespace {

namespace fake = platform::fake_ui;
using platform::Event;
using platform::EventKind;

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::reset();
        fake::setTrayAvailable(true);
        standIn::resetRecord();
        settings = Settings{};
        settings.serverUser = "anna";
        settings.serverPassword = "secret";
        language = chooseLanguage("english", "english");
        texts = buildTextTable(language.languageCode);
        exitRequested = 0;
        stopServerRequested = 0;
        stopClientRequested = 0;
        serverThread = nullptr;
        clientThread = nullptr;
        receiveThread = nullptr;
        mainWindow = 0;
        if (clientSemaphore == nullptr)
            clientSemaphore = platform::createSemaphore(0);
        while (platform::tryWaitSemaphore(clientSemaphore)) {
        }
        loadApplicationIcon();
        decodePictures();
    }
    void TearDown() override {
        for (platform::ThreadHandle t :
             {serverThread.load(), clientThread.load(), receiveThread.load()})
            platform::terminateThread(t);
    }

    static Event commandEvent(int id) { return {EventKind::Command, kMainWindowId, id, 0, 0}; }

    static std::string statusText(int field) {
        return platform::statusFieldText(kMainWindowId, field);
    }

    static platform::Rect geometry(int control) {
        fake::FakeControl c;
        EXPECT_TRUE(fake::control(control, c)) << control;
        return c.geometry;
    }

    static fake::FakeWindow mainWindowRecord() {
        fake::FakeWindow w;
        EXPECT_TRUE(fake::window(kMainWindowId, w));
        return w;
    }
};

void expectRect(const platform::Rect& r, int x, int y, int w, int h) {
    EXPECT_EQ(r.x, x);
    EXPECT_EQ(r.y, y);
    EXPECT_EQ(r.width, w);
    EXPECT_EQ(r.height, h);
}

// ---- Building the window ----

TEST_F(ShellTest, TheMainWindowIsBuiltHiddenWithItsTitleSizeAndFlags) {
    ASSERT_TRUE(buildMainWindow());
    EXPECT_EQ(mainWindow, kMainWindowId);
    const fake::FakeWindow w = mainWindowRecord();
    EXPECT_EQ(w.title, "Korvo v1.1");
    EXPECT_EQ(w.inner.width, 700);
    EXPECT_EQ(w.inner.height, 525);
    EXPECT_FALSE(w.shown);
    EXPECT_TRUE(w.hasIcon);
    EXPECT_NE(w.flags & platform::kWindowMinimumSize, 0u);
    EXPECT_NE(w.flags & platform::kWindowCentred, 0u);
    EXPECT_NE(w.flags & platform::kWindowResizable, 0u);
}

TEST_F(ShellTest, MenusToolbarAndTrayPopupCarryTheirTextsAndImages) {
    language = chooseLanguage("german", "english");
    texts = buildTextTable(language.languageCode);
    ASSERT_TRUE(buildMainWindow());
    EXPECT_EQ(fake::menuTitle(menuId::kMainMenu), "Men\374");
    EXPECT_EQ(fake::menuTitle(menuId::kHelpMenu), "?");
    const auto mainItems = fake::menuItems(menuId::kMainMenu);
    ASSERT_EQ(mainItems.size(), 4u);
    EXPECT_EQ(mainItems[0].text, "Client");
    EXPECT_EQ(mainItems[1].text, "Server");
    EXPECT_EQ(mainItems[2].command, 0);  // separator
    EXPECT_EQ(mainItems[3].text, "Beenden");
    const auto helpItems = fake::menuItems(menuId::kHelpMenu);
    ASSERT_EQ(helpItems.size(), 4u);
    EXPECT_EQ(helpItems[0].text, "Hilfe");
    EXPECT_EQ(helpItems[1].text, "Einstellungen");
    EXPECT_EQ(helpItems[3].text, "Homepage");
    for (const auto& item : mainItems)
        EXPECT_EQ(item.hasImage, item.command != 0);

    const auto buttons = fake::toolButtons(kMainWindowId);
    const std::vector<int> order = {0,
                                    command::kClient,
                                    command::kServer,
                                    command::kExit,
                                    0,
                                    command::kHelp,
                                    command::kSettings,
                                    command::kHomepage,
                                    0,
                                    command::kHideInTray,
                                    0};
    ASSERT_EQ(buttons.size(), order.size());
    const std::vector<std::string> tooltips = {
        "",      "Client",        "Server",   "Beenden", "",
        "Hilfe", "Einstellungen", "Homepage", "",        "Im Tray verstecken",
        ""};
    for (size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(buttons[i].command, order[i]) << i;
        EXPECT_EQ(buttons[i].tooltip, tooltips[i]) << i;
        EXPECT_EQ(buttons[i].hasImage, order[i] != 0) << i;
    }

    const auto popup = fake::menuItems(menuId::kTrayPopup);
    ASSERT_EQ(popup.size(), 2u);
    EXPECT_EQ(popup[0].text, "\326ffnen");
    EXPECT_EQ(popup[0].command, command::kOpen);
    EXPECT_EQ(popup[1].command, command::kExit);
    EXPECT_EQ(fake::menuWindow(menuId::kTrayPopup), 0);
}

TEST_F(ShellTest, StatusBarTabsListAndShortcutsAreInPlace) {
    ASSERT_TRUE(buildMainWindow());
    const fake::FakeWindow w = mainWindowRecord();
    EXPECT_EQ(w.statusWidths, (std::vector<int>{20, 300, 20, 300}));
    EXPECT_EQ(statusText(statusField::kClientStatus), "   Client: No connection");
    EXPECT_EQ(statusText(statusField::kServerStatus), "   Server: Offline");
    EXPECT_TRUE(w.statusHasImage.at(statusField::kClientImage));
    EXPECT_TRUE(w.statusHasImage.at(statusField::kServerImage));

    fake::FakeControl page;
    ASSERT_TRUE(fake::control(mainControl::kClientPage, page));
    EXPECT_EQ(page.text, "Client");
    EXPECT_EQ(page.parent, mainControl::kTabPanel);
    ASSERT_TRUE(fake::control(mainControl::kServerPage, page));
    EXPECT_EQ(page.text, "Server");
    fake::FakeControl list;
    ASSERT_TRUE(fake::control(mainControl::kClientsList, list));
    EXPECT_EQ(list.kind, platform::ControlKind::ListView);
    EXPECT_EQ(list.parent, mainControl::kServerPage);
    ASSERT_EQ(list.columns.size(), 3u);
    EXPECT_EQ(list.columns[0], std::make_pair(std::string("Nr."), 80));
    EXPECT_EQ(list.columns[1], std::make_pair(std::string("Client IP"), 200));
    EXPECT_EQ(list.columns[2], std::make_pair(std::string("Connected since"), 200));
    fake::FakeControl view;
    ASSERT_TRUE(fake::control(mainControl::kView, view));
    EXPECT_EQ(view.kind, platform::ControlKind::ImageView);
    EXPECT_EQ(view.parent, mainControl::kClientPage);

    EXPECT_EQ(fake::shortcutCount(kMainWindowId), 128u);
    EXPECT_EQ(fake::shortcutEvent(kMainWindowId, 'A', platform::kModShift), 397);
    EXPECT_EQ(fake::shortcutEvent(kMainWindowId, 0x70, 0), 612);
}

TEST_F(ShellTest, BodyGeometryAtCreationAndAfterAResizeToTheMinimum) {
    fake::setBarHeights(20, 26, 20);
    ASSERT_TRUE(buildMainWindow());
    // H - MH - TB - SB = 525 - 66 = 459
    expectRect(geometry(mainControl::kOuterFrame), 2, 16, 696, 459);
    expectRect(geometry(mainControl::kTabPanel), 6, 27, 688, 452);
    expectRect(geometry(mainControl::kFlatFrame), 2, 2, 676, 421);
    expectRect(geometry(mainControl::kView), 4, 4, 672, 417);
    expectRect(geometry(mainControl::kClientsList), 2, 2, 676, 421);

    EXPECT_TRUE(handleEvent({EventKind::Resized, kMainWindowId, 0, 900, 625}));
    expectRect(geometry(mainControl::kOuterFrame), 2, 16, 896, 567);
    expectRect(geometry(mainControl::kView), 4, 4, 872, 517);
    EXPECT_EQ(standIn::record.frameRefreshes, 1);

    EXPECT_TRUE(handleEvent({EventKind::Resized, kMainWindowId, 0, 700, 525}));
    expectRect(geometry(mainControl::kOuterFrame), 2, 16, 696, 467);
    expectRect(geometry(mainControl::kTabPanel), 6, 27, 688, 452);
    expectRect(geometry(mainControl::kFlatFrame), 2, 2, 676, 421);
    expectRect(geometry(mainControl::kView), 4, 4, 672, 417);
    expectRect(geometry(mainControl::kClientsList), 2, 2, 676, 421);
}

TEST_F(ShellTest, AWindowThatCannotBeCreatedLeadsStraightToTheExit) {
    fake::setUiAvailable(false);
    const uint64_t start = platform::monotonicMs();
    runGui();
    EXPECT_EQ(exitRequested, 1);
    EXPECT_EQ(mainWindow, 0);
    EXPECT_GE(platform::monotonicMs() - start, 1000u);
}

// ---- Start-up choices and the tray ----

TEST_F(ShellTest, WithoutStartInTrayTheWindowFadesIn) {
    ASSERT_TRUE(buildMainWindow());
    applyStartupChoices();
    const fake::FakeWindow w = mainWindowRecord();
    EXPECT_TRUE(w.shown);
    EXPECT_EQ(w.fades, 1);
    EXPECT_EQ(w.lastFadeMs, 500);
    EXPECT_FALSE(platform::trayIconShown());
}

TEST_F(ShellTest, StartInTrayKeepsTheWindowHiddenUntilTheIconIsDoubleClicked) {
    settings.startInTray = 1;
    ASSERT_TRUE(buildMainWindow());
    applyStartupChoices();
    EXPECT_FALSE(mainWindowRecord().shown);
    EXPECT_TRUE(platform::trayIconShown());
    EXPECT_EQ(fake::trayTooltip(), "Korvo v1.1");

    handleEvent({EventKind::Tray, 0, 0, static_cast<int>(platform::TrayAction::LeftClick), 0});
    EXPECT_FALSE(mainWindowRecord().shown);
    handleEvent({EventKind::Tray, 0, 0, static_cast<int>(platform::TrayAction::RightClick), 0});
    EXPECT_EQ(fake::lastPopupMenu(), menuId::kTrayPopup);
    handleEvent(
        {EventKind::Tray, 0, 0, static_cast<int>(platform::TrayAction::LeftDoubleClick), 0});
    EXPECT_TRUE(mainWindowRecord().shown);
    EXPECT_EQ(mainWindowRecord().fades, 0);  // at once
    EXPECT_FALSE(platform::trayIconShown());
}

TEST_F(ShellTest, HideInTrayAndOpenSwapWindowAndIconWithoutFading) {
    ASSERT_TRUE(buildMainWindow());
    platform::showWindow(kMainWindowId, true);
    EXPECT_TRUE(handleEvent(commandEvent(command::kHideInTray)));
    EXPECT_FALSE(mainWindowRecord().shown);
    EXPECT_TRUE(platform::trayIconShown());
    EXPECT_TRUE(handleEvent(commandEvent(command::kOpen)));
    EXPECT_TRUE(mainWindowRecord().shown);
    EXPECT_FALSE(platform::trayIconShown());
    EXPECT_EQ(mainWindowRecord().fades, 0);
}

TEST_F(ShellTest, WithoutATrayTheWindowIsNeverHiddenAway) {
    fake::setTrayAvailable(false);
    settings.startInTray = 1;
    ASSERT_TRUE(buildMainWindow());
    applyStartupChoices();
    EXPECT_TRUE(mainWindowRecord().shown);
    handleEvent(commandEvent(command::kHideInTray));
    EXPECT_TRUE(mainWindowRecord().shown);
}

// ---- Commands ----

TEST_F(ShellTest, ExitCommandAndTheCloseButtonLeaveTheLoop) {
    ASSERT_TRUE(buildMainWindow());
    EXPECT_FALSE(handleEvent(commandEvent(command::kExit)));
    EXPECT_FALSE(handleEvent({EventKind::CloseRequested, kMainWindowId, 0, 0, 0}));
    EXPECT_TRUE(handleEvent({EventKind::CloseRequested, 99, 0, 0, 0}));  // another window
    EXPECT_TRUE(handleEvent({EventKind::None, 0, 0, 0, 0}));
}

TEST_F(ShellTest, ClicksOnTheViewAndShortcutsGoToTheViewerCapture) {
    ASSERT_TRUE(buildMainWindow());
    handleEvent({EventKind::LeftClick, kMainWindowId, mainControl::kView, 0, 0});
    handleEvent({EventKind::RightClick, kMainWindowId, mainControl::kView, 0, 0});
    handleEvent({EventKind::LeftDoubleClick, kMainWindowId, mainControl::kView, 0, 0});
    handleEvent({EventKind::RightDoubleClick, kMainWindowId, mainControl::kView, 0, 0});
    handleEvent({EventKind::LeftClick, kMainWindowId, mainControl::kClientsList, 0, 0});
    EXPECT_EQ(standIn::record.clicks, (std::vector<int>{14, 15, 16, 17}));
    handleEvent({EventKind::Shortcut, kMainWindowId, 0, 397, 0});
    EXPECT_EQ(standIn::record.shortcuts, (std::vector<int>{397}));
}

TEST_F(ShellTest, HelpReportsAMissingFileAndOpensAnExistingOne) {
    testing_support::TempDir dir;
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    ASSERT_TRUE(buildMainWindow());
    handleEvent(commandEvent(command::kHelp));
    auto boxes = fake::messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Error");
    EXPECT_EQ(boxes[0].text, "Help file \"help.chm\" not found.");
    EXPECT_EQ(boxes[0].icon, platform::MessageIcon::Error);
    EXPECT_EQ(boxes[0].owner, kMainWindowId);

    testing_support::writeBytes(dir.file("help.chm"), "help");
    handleEvent(commandEvent(command::kHelp));
    std::string file, page;
    EXPECT_TRUE(fake::helpViewerRunning(file, page));
    EXPECT_EQ(file, "help.chm");
    EXPECT_EQ(page, "en.html");
    EXPECT_EQ(fake::messageBoxes().size(), 1u);

    // Leaving closes the viewer this thread opened.
    runExitPath();
    EXPECT_FALSE(fake::helpViewerRunning(file, page));
    std::filesystem::current_path(before);
}

TEST_F(ShellTest, HomepageOpensTheProductsPage) {
    ASSERT_TRUE(buildMainWindow());
    handleEvent(commandEvent(command::kHomepage));
    EXPECT_EQ(fake::openedUrls(), (std::vector<std::string>{std::string(kHomepageUrl)}));
}

TEST_F(ShellTest, SettingsConfirmedShowsTheRestartNoticeEvenWhenMessagesAreSuppressed) {
    settings.suppressMessages = 1;
    ASSERT_TRUE(buildMainWindow());
    handleEvent(commandEvent(command::kSettings));  // cancelled: nothing
    EXPECT_TRUE(fake::messageBoxes().empty());
    standIn::record.settingsAnswer = true;
    handleEvent(commandEvent(command::kSettings));
    EXPECT_EQ(standIn::record.settingsPages, (std::vector<int>{0, 0}));
    const auto boxes = fake::messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Information");
    EXPECT_EQ(boxes[0].text, "Changes will take effect after a restart.");
    EXPECT_EQ(boxes[0].onceName, "{3F9C2B71-6D0A-4E58-B1C4-92A7E05D3C16}");
}

// ---- Roles ----

TEST_F(ShellTest, TheRolesExcludeEachOtherWithAnInformationMessage) {
    ASSERT_TRUE(buildMainWindow());
    clientThread = platform::startThread(standIn::stubbornRole);
    handleEvent(commandEvent(command::kServer));
    EXPECT_EQ(standIn::record.serverStarts, 0);
    platform::terminateThread(clientThread);
    clientThread = nullptr;

    serverThread = platform::startThread(standIn::stubbornRole);
    handleEvent(commandEvent(command::kClient));
    EXPECT_EQ(standIn::record.connectDialogRuns, 0);
    EXPECT_EQ(standIn::record.clientStarts, 0);

    const auto boxes = fake::messageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    for (const auto& box : boxes) {
        EXPECT_EQ(box.title, "Information");
        EXPECT_EQ(box.text, "Client and server can not be runned at the same time.");
        EXPECT_EQ(box.icon, platform::MessageIcon::Information);
        EXPECT_EQ(box.owner, kMainWindowId);
    }
}

TEST_F(ShellTest, SuppressedMessagesAreSilentOnlyForTheValueOne) {
    ASSERT_TRUE(buildMainWindow());
    serverThread = platform::startThread(standIn::stubbornRole);
    settings.suppressMessages = 1;
    handleEvent(commandEvent(command::kClient));
    EXPECT_TRUE(fake::messageBoxes().empty());
    settings.suppressMessages = 2;
    handleEvent(commandEvent(command::kClient));
    EXPECT_EQ(fake::messageBoxes().size(), 1u);
}

TEST_F(ShellTest, ServerWithoutLoginAsksForItInTheSettingsWindow) {
    ASSERT_TRUE(buildMainWindow());
    settings.serverPassword.clear();
    handleEvent(commandEvent(command::kServer));
    EXPECT_EQ(standIn::record.serverStarts, 0);
    EXPECT_EQ(standIn::record.settingsPages, (std::vector<int>{1}));
    const auto boxes = fake::messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              "To run the server you have to select a username and a password first.");
}

TEST_F(ShellTest, ServerTwiceStartsThenStopsIt) {
    ASSERT_TRUE(buildMainWindow());
    standIn::record.roleEntry = standIn::obedientServer;
    handleEvent(commandEvent(command::kServer));
    EXPECT_EQ(standIn::record.serverStarts, 1);
    ASSERT_TRUE(platform::threadRunning(serverThread));

    const uint64_t start = platform::monotonicMs();
    handleEvent(commandEvent(command::kServer));
    const uint64_t took = platform::monotonicMs() - start;
    EXPECT_GE(took, 505u);
    EXPECT_LT(took, 2000u);
    EXPECT_EQ(standIn::record.closeServerCalls, 1);
    EXPECT_FALSE(platform::threadRunning(serverThread));
    EXPECT_EQ(stopServerRequested, 0);  // cleared by the server thread itself
    EXPECT_EQ(statusText(statusField::kServerStatus), "   Server: Offline");
    EXPECT_EQ(standIn::record.serverStarts, 1);
}

TEST_F(ShellTest, AServerThatIgnoresTheStopIsTerminatedAndTheNextOneCanRun) {
    ASSERT_TRUE(buildMainWindow());
    serverThread = platform::startThread(standIn::stubbornRole);
    platform::setStatusField(kMainWindowId, statusField::kServerStatus, "   Server: Online",
                             nullptr);
    handleEvent(commandEvent(command::kServer));
    EXPECT_FALSE(platform::threadRunning(serverThread));
    EXPECT_EQ(statusText(statusField::kServerStatus), "   Server: Offline");
    EXPECT_EQ(stopServerRequested, 0);
}

TEST_F(ShellTest, AClientThatIgnoresTheStopIsTerminatedAfterAboutHalfASecond) {
    ASSERT_TRUE(buildMainWindow());
    clientThread = platform::startThread(standIn::stubbornRole);
    receiveThread = platform::startThread(standIn::stubbornRole);
    platform::Image frame;
    ASSERT_TRUE(drawPixelArt(pictureArt(Picture::Client), frame));
    platform::showImage(mainControl::kView, &frame);
    platform::setStatusField(kMainWindowId, statusField::kClientStatus,
                             "   Client:  Connection established ", nullptr);

    const uint64_t start = platform::monotonicMs();
    handleEvent(commandEvent(command::kClient));
    const uint64_t took = platform::monotonicMs() - start;
    EXPECT_GE(took, 505u);
    EXPECT_LT(took, 2000u);
    EXPECT_FALSE(platform::threadRunning(clientThread));
    EXPECT_FALSE(platform::threadRunning(receiveThread));
    EXPECT_EQ(statusText(statusField::kClientStatus), "   Client: No connection");
    fake::FakeControl view;
    ASSERT_TRUE(fake::control(mainControl::kView, view));
    EXPECT_FALSE(view.hasImage);
    EXPECT_EQ(stopClientRequested, 0);
    EXPECT_EQ(standIn::record.closeConnectionCalls, 1);
    EXPECT_EQ(standIn::record.connectDialogRuns, 0);
}

TEST_F(ShellTest, ClientStartsOnlyAfterTheConnectDialogWithTheSemaphoreDrained) {
    ASSERT_TRUE(buildMainWindow());
    standIn::record.roleEntry = standIn::stubbornRole;
    handleEvent(commandEvent(command::kClient));
    EXPECT_EQ(standIn::record.connectDialogRuns, 1);
    EXPECT_EQ(standIn::record.clientStarts, 0);

    for (int i = 0; i < 7; ++i)  // left over from an earlier run
        platform::postSemaphore(clientSemaphore);
    standIn::record.connectDialogAnswer = true;
    handleEvent(commandEvent(command::kClient));
    EXPECT_EQ(standIn::record.clientStarts, 1);
    EXPECT_TRUE(platform::threadRunning(clientThread));
    // 7 + 6 posted, 11 taken: more than five left over leaves the rest.
    int left = 0;
    while (platform::tryWaitSemaphore(clientSemaphore))
        ++left;
    EXPECT_EQ(left, 2);
}

TEST_F(ShellTest, StartModesStartTheirRoleAtOnce) {
    ASSERT_TRUE(buildMainWindow());
    standIn::record.roleEntry = standIn::stubbornRole;
    settings.startMode = StartMode::Client;
    applyStartupChoices();
    EXPECT_EQ(standIn::record.clientStarts, 1);
    EXPECT_EQ(standIn::record.connectDialogRuns, 0);
    platform::terminateThread(clientThread);

    settings.startMode = StartMode::Server;
    settings.serverUser.clear();
    applyStartupChoices();
    EXPECT_EQ(standIn::record.serverStarts, 0);
    EXPECT_EQ(standIn::record.settingsPages, (std::vector<int>{1}));
    settings.serverUser = "anna";
    applyStartupChoices();
    EXPECT_EQ(standIn::record.serverStarts, 1);
}

// ---- Messages ----

TEST_F(ShellTest, TheSecondInstanceBoxIsPlainAndNeverSilenced) {
    settings.suppressMessages = 1;
    showAlreadyRunning();
    const auto boxes = fake::messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "");
    EXPECT_EQ(boxes[0].text, "There is already an instance of Korvo running");
    EXPECT_EQ(boxes[0].icon, platform::MessageIcon::None);
    EXPECT_EQ(boxes[0].buttons, platform::MessageButtons::Ok);
    EXPECT_EQ(boxes[0].owner, 0);
}

TEST_F(ShellTest, MessagesFromAnotherThreadReachTheUser) {
    platform::ThreadHandle t = platform::startThread([] {
        showMessage(0, "Error", "Can not create the network server.", platform::MessageIcon::Error);
    });
    ASSERT_NE(t, nullptr);
    for (int i = 0; i < 2000 && platform::threadRunning(t); ++i)
        platform::sleepMs(1);
    const auto boxes = fake::messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Can not create the network server.");
}

// ---- The ways out ----

TEST_F(ShellTest, TheExitPathRequestsTheExitFadesOutStopsBothRolesAndWaits) {
    ASSERT_TRUE(buildMainWindow());
    platform::showWindow(kMainWindowId, true);
    const uint64_t start = platform::monotonicMs();
    runExitPath();
    EXPECT_GE(platform::monotonicMs() - start, 1000u);
    EXPECT_EQ(exitRequested, 1);
    const fake::FakeWindow w = mainWindowRecord();
    EXPECT_FALSE(w.shown);
    EXPECT_EQ(w.fades, 1);
    EXPECT_EQ(w.lastFadeMs, 500);
    EXPECT_EQ(stopServerRequested, 1);
    EXPECT_EQ(stopClientRequested, 1);
}

TEST_F(ShellTest, ShutdownStopsWhatStillRunsAndDeletesTheFrameFile) {
    testing_support::TempDir dir;
    tempFramePath = dir.file("frame.jpg");
    testing_support::writeBytes(tempFramePath, "jpeg");
    clientThread = platform::startThread(standIn::stubbornRole);
    serverThread = platform::startThread(standIn::stubbornRole);
    shutDownRoles();
    EXPECT_FALSE(platform::threadRunning(clientThread));
    EXPECT_FALSE(platform::threadRunning(serverThread));
    EXPECT_EQ(standIn::record.closeConnectionCalls, 1);
    EXPECT_EQ(standIn::record.closeServerCalls, 2);  // for the server, then once more
    EXPECT_FALSE(std::filesystem::exists(tempFramePath));
    tempFramePath.clear();
}

}  // namespace
}  // namespace korvo
