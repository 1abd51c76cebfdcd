// What happens to the widgets arrives in the one event queue: shortcuts as event numbers,
// the four clicks of the view, commands, resizing and closing; and the state other
// threads read stays current.
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTest>
#include <QToolBar>

#include <atomic>
#include <chrono>
#include <thread>

#include "gui/qt_ui_fixture.h"

namespace {

using namespace qt_ui_testing;
using platform::ControlKind;
using platform::Event;
using platform::EventKind;
using platform::Rect;

constexpr int kMain = 1;
constexpr int kDialog = 2;

void press(QWidget* target, int key, Qt::KeyboardModifiers modifiers, const QString& text) {
    QKeyEvent down(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &down);
    QKeyEvent up(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(target, &up);
}

void mouse(QWidget* target, QEvent::Type type, Qt::MouseButton button, QPoint at = {5, 5}) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, QPointF(at), QPointF(target->mapToGlobal(at)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

std::vector<int> shortcutNumbers(const std::vector<Event>& events) {
    std::vector<int> numbers;
    for (const Event& event : events)
        if (event.kind == EventKind::Shortcut)
            numbers.push_back(event.data);
    return numbers;
}

class QtEventsTest : public QtUiTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform::openWindow(kMain, Rect{40, 40, 500, 400}, "Korvo",
                                         platform::kWindowResizable | platform::kWindowMinimumSize,
                                         0));
    }
};

TEST_F(QtEventsTest, ShortcutKeysArriveAsEventNumbersAndReachNoControl) {
    ASSERT_TRUE(platform::createControl(kMain, 10, ControlKind::Edit, Rect{2, 2, 100, 20}, "", 0));
    platform::addShortcut(kMain, 0x41, 0, 97);                     // a
    platform::addShortcut(kMain, 0x41, platform::kModShift, 397);  // A
    platform::addShortcut(kMain, 0x31, 0, 49);                     // 1
    platform::addShortcut(kMain, 0x25, 0, 537);                    // Left
    platform::addShortcut(kMain, 0x0D, 0, 513);                    // Enter
    platform::addShortcut(kMain, 0x60, 0, 596);                    // keypad 0
    platform::addShortcut(kMain, 0x71, 0, 613);                    // F2
    platform::addShortcut(kMain, 0x12, 0, 518);                    // Alt
    platform::addShortcut(kMain, 0x12, 0, 519);                    // replaced number
    QWidget* edit = controlWidget(10);
    ASSERT_NE(edit, nullptr);

    press(edit, Qt::Key_A, Qt::NoModifier, "a");
    press(edit, Qt::Key_A, Qt::ShiftModifier, "A");
    press(edit, Qt::Key_1, Qt::NoModifier, "1");
    press(edit, Qt::Key_Left, Qt::NoModifier, "");
    press(edit, Qt::Key_Return, Qt::NoModifier, "\r");
    press(edit, Qt::Key_Enter, Qt::KeypadModifier, "\r");
    press(edit, Qt::Key_0, Qt::KeypadModifier, "0");
    press(edit, Qt::Key_F2, Qt::NoModifier, "");
    press(edit, Qt::Key_Alt, Qt::AltModifier, "");
    // Not in the table: Shift+1, Ctrl+C, the plain key b.
    press(edit, Qt::Key_Exclam, Qt::ShiftModifier, "!");
    press(edit, Qt::Key_C, Qt::ControlModifier, "\x03");
    press(edit, Qt::Key_B, Qt::NoModifier, "b");

    EXPECT_EQ(shortcutNumbers(runLoop(50)),
              (std::vector<int>{97, 397, 49, 537, 513, 513, 596, 613, 519}));
    // Only the keys outside the table reached the edit.
    EXPECT_EQ(platform::controlText(10), "!b");
}

TEST_F(QtEventsTest, ShortcutsBelongToTheirWindowOnly) {
    ASSERT_TRUE(platform::openWindow(kDialog, Rect{0, 0, 300, 210}, "Korvo",
                                     platform::kWindowToolWindow | platform::kWindowCentred,
                                     kMain));
    ASSERT_TRUE(
        platform::createControl(kDialog, 20, ControlKind::Edit, Rect{2, 2, 100, 20}, "", 0));
    platform::addShortcut(kMain, 0x41, 0, 97);
    platform::addShortcut(kDialog, 0x1B, 0, 1);
    press(controlWidget(20), Qt::Key_A, Qt::NoModifier, "a");
    press(controlWidget(20), Qt::Key_Escape, Qt::NoModifier, "");
    std::vector<Event> events = runLoop(30);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, EventKind::Shortcut);
    EXPECT_EQ(events[0].window, kDialog);
    EXPECT_EQ(events[0].data, 1);
    EXPECT_EQ(platform::controlText(20), "a");
    // The tool window keeps its size.
    EXPECT_EQ(windowWidget(kDialog)->minimumSize(), windowWidget(kDialog)->maximumSize());
}

TEST_F(QtEventsTest, ViewReportsFourKindsOfClick) {
    ASSERT_TRUE(
        platform::createControl(kMain, 30, ControlKind::ImageView, Rect{2, 2, 200, 150}, "", 0));
    QWidget* view = controlWidget(30);
    ASSERT_NE(view, nullptr);
    // Left: reported at the press; the double click at the second press.
    mouse(view, QEvent::MouseButtonPress, Qt::LeftButton);
    mouse(view, QEvent::MouseButtonRelease, Qt::LeftButton);
    mouse(view, QEvent::MouseButtonDblClick, Qt::LeftButton);
    mouse(view, QEvent::MouseButtonRelease, Qt::LeftButton);
    // Right: reported at the release, except the release that ends a double click.
    mouse(view, QEvent::MouseButtonPress, Qt::RightButton);
    mouse(view, QEvent::MouseButtonRelease, Qt::RightButton);
    mouse(view, QEvent::MouseButtonDblClick, Qt::RightButton);
    mouse(view, QEvent::MouseButtonRelease, Qt::RightButton);
    mouse(view, QEvent::MouseButtonPress, Qt::RightButton);
    mouse(view, QEvent::MouseButtonRelease, Qt::RightButton);
    // A middle click is nothing.
    mouse(view, QEvent::MouseButtonPress, Qt::MiddleButton);
    mouse(view, QEvent::MouseButtonRelease, Qt::MiddleButton);

    std::vector<EventKind> kinds;
    for (const Event& event : runLoop(50)) {
        EXPECT_EQ(event.id, 30);
        EXPECT_EQ(event.window, kMain);
        kinds.push_back(event.kind);
    }
    EXPECT_EQ(kinds, (std::vector<EventKind>{EventKind::LeftClick, EventKind::LeftDoubleClick,
                                             EventKind::RightClick, EventKind::RightDoubleClick,
                                             EventKind::RightClick}));
}

TEST_F(QtEventsTest, MenuToolbarAndButtonsReportCommands) {
    ASSERT_TRUE(platform::addMenu(kMain, 1, "?"));
    platform::addMenuItem(1, 104, "Help", nullptr);
    platform::addToolButton(kMain, 106, nullptr, "Hide in tray");
    ASSERT_TRUE(
        platform::createControl(kMain, 40, ControlKind::Button, Rect{2, 2, 70, 20}, "OK", 0));
    QWidget* top = windowWidget(kMain);
    top->findChild<QMenuBar*>()->actions().at(0)->menu()->actions().at(0)->trigger();
    top->findChild<QToolBar*>()->actions().last()->trigger();
    QTest::mouseClick(controlWidget(40), Qt::LeftButton);
    std::vector<int> commands;
    for (const Event& event : runLoop(50)) {
        EXPECT_EQ(event.kind, EventKind::Command);
        EXPECT_EQ(event.window, kMain);
        commands.push_back(event.id);
    }
    EXPECT_EQ(commands, (std::vector<int>{104, 106, 40}));
}

TEST_F(QtEventsTest, FramesLeaveClicksToWhatLiesBeneathAndToTheControlsInside) {
    platform::addToolButton(kMain, 106, nullptr, "Hide in tray");
    // Like the program's outer frame, over the toolbar's lowest 10 pixels.
    const Rect frame{2, platform::toolBarHeight(kMain) - 10, 496, 300};
    ASSERT_TRUE(platform::createControl(kMain, 10, ControlKind::Frame, frame, "", 0));
    ASSERT_TRUE(
        platform::createControl(kMain, 40, ControlKind::Button, Rect{20, 40, 70, 24}, "OK", 10));
    platform::showWindow(kMain, true);
    QWidget* top = windowWidget(kMain);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(top));
    QWidget* tool =
        top->findChild<QToolBar*>()->widgetForAction(top->findChild<QToolBar*>()->actions().last());
    QWidget* ok = controlWidget(40);
    const QPoint lowerEdge = tool->mapTo(top, QPoint(tool->width() / 2, tool->height() - 1));
    ASSERT_EQ(top->childAt(lowerEdge), controlWidget(10));  // the frame lies over it
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, lowerEdge);
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, ok->mapTo(top, QPoint(5, 5)));
    std::vector<int> commands;
    for (const Event& event : runLoop(50))
        if (event.kind == EventKind::Command)
            commands.push_back(event.id);
    EXPECT_EQ(commands, (std::vector<int>{106, 40}));
}

TEST_F(QtEventsTest, CloseBoxAsksAndResizesArriveMerged) {
    platform::showWindow(kMain, true);
    runLoop(30);
    EXPECT_TRUE(platform::windowShown(kMain));
    windowWidget(kMain)->close();
    Event closing = nextEvent();
    EXPECT_EQ(closing.kind, EventKind::CloseRequested);
    EXPECT_EQ(closing.window, kMain);
    EXPECT_TRUE(platform::windowExists(kMain));
    EXPECT_TRUE(windowWidget(kMain)->isVisible());

    // A resize from another thread reaches the loop; two in a row come as the last one.
    std::thread client([] {
        platform::setWindowGeometry(kMain, Rect{40, 40, 600, 450});
        platform::setWindowGeometry(kMain, Rect{40, 40, 640, 480});
    });
    client.join();
    std::vector<Event> events = runLoop(60);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, EventKind::Resized);
    EXPECT_EQ(events[0].data, 640);
    EXPECT_EQ(events[0].data2, 480);
    EXPECT_EQ(platform::windowGeometry(kMain).width, 640);

    // Never below the creation size.
    platform::setWindowGeometry(kMain, Rect{40, 40, 100, 100});
    runLoop(30);
    EXPECT_EQ(windowWidget(kMain)->size(), QSize(500, 400));
    EXPECT_EQ(platform::windowGeometry(kMain).height, 400);
}

TEST_F(QtEventsTest, WindowStateIsKnownToOtherThreads) {
    platform::showWindow(kMain, true);
    runLoop(20);
    QWidget* top = windowWidget(kMain);
    top->showMinimized();
    runLoop(20);
    std::atomic<bool> minimised{false};
    std::thread([&] { minimised = platform::windowMinimised(kMain); }).join();
    EXPECT_TRUE(minimised);

    top->showMaximized();
    runLoop(20);
    EXPECT_FALSE(platform::windowMinimised(kMain));
    platform::showWindow(kMain, false);
    runLoop(20);
    EXPECT_FALSE(platform::windowShown(kMain));
    platform::showWindow(kMain, true);  // back in the state it had
    runLoop(20);
    EXPECT_TRUE(platform::windowShown(kMain));
    EXPECT_TRUE(top->isMaximized());
}

TEST_F(QtEventsTest, PointerPositionIsRelativeToTheClientArea) {
    ASSERT_TRUE(platform::addMenu(kMain, 1, "Menu"));
    ASSERT_TRUE(platform::createControl(kMain, 50, ControlKind::Label, Rect{10, 20, 100, 50},
                                        "over here", 0));
    platform::showWindow(kMain, true);
    runLoop(20);
    EXPECT_EQ(platform::pointerPosition(kMain).x, -1);
    mouse(controlWidget(50), QEvent::MouseMove, Qt::NoButton, QPoint(5, 7));
    platform::ClientPoint seen;
    std::thread([&] { seen = platform::pointerPosition(kMain); }).join();
    EXPECT_EQ(seen.x, 15);
    EXPECT_EQ(seen.y, 27);  // the menu bar is not part of the client area

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(windowWidget(kMain), &leave);
    EXPECT_EQ(platform::pointerPosition(kMain).x, -1);
    EXPECT_EQ(platform::pointerPosition(kMain).y, -1);
}

TEST_F(QtEventsTest, WorkerThreadChangesReachTheWidgets) {
    ASSERT_TRUE(platform::createStatusBar(kMain, {20, 300, 20, 300}));
    ASSERT_TRUE(platform::createControl(kMain, 60, ControlKind::Label, Rect{2, 2, 200, 20}, "", 0));
    std::thread server([] {
        for (int i = 0; i < 200; ++i)
            platform::setControlText(60, "count " + std::to_string(i));
        platform::setStatusField(kMain, 3, "   Server: Online", nullptr);
        platform::setControlGeometry(60, Rect{5, 6, 150, 22});
    });
    server.join();
    // The question is answered at once; the widget follows when the GUI runs.
    EXPECT_EQ(platform::controlText(60), "count 199");
    runLoop(50);
    auto* label = qobject_cast<QLabel*>(controlWidget(60));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("count 199"));
    EXPECT_EQ(label->geometry(), QRect(5, 6, 150, 22));
    bool statusShown = false;
    for (QLabel* field : windowWidget(kMain)->findChildren<QLabel*>())
        statusShown |= field->text() == QStringLiteral("   Server: Online");
    EXPECT_TRUE(statusShown);
}

TEST_F(QtEventsTest, FadeTakesItsTimeAndEndsOpaque) {
    platform::showWindow(kMain, true);
    runLoop(20);
    const auto start = std::chrono::steady_clock::now();
    platform::fadeWindow(kMain, false, 120);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(120));
    EXPECT_FALSE(windowWidget(kMain)->isVisible());
    EXPECT_DOUBLE_EQ(windowWidget(kMain)->windowOpacity(), 1.0);
    platform::fadeWindow(kMain, true, 60);
    EXPECT_TRUE(windowWidget(kMain)->isVisible());
    EXPECT_TRUE(platform::windowShown(kMain));
}

TEST_F(QtEventsTest, PostedEventsWakeTheLoopInOrder) {
    std::thread other([] {
        platform::postEvent(Event{EventKind::Command, 0, 7, 0, 0});
        platform::postEvent(Event{EventKind::Command, 0, 8, 0, 0});
    });
    other.join();
    EXPECT_EQ(platform::waitEvent().id, 7);
    EXPECT_EQ(platform::waitEvent(0).id, 8);
    EXPECT_EQ(platform::waitEvent(0).kind, EventKind::None);
    // The loop belongs to the GUI thread: another thread gets nothing.
    platform::postEvent(Event{EventKind::Command, 0, 9, 0, 0});
    Event elsewhere;
    std::thread([&] { elsewhere = platform::waitEvent(0); }).join();
    EXPECT_EQ(elsewhere.kind, EventKind::None);
    EXPECT_EQ(platform::waitEvent(0).id, 9);
}

TEST_F(QtEventsTest, WithoutATrayNothingIsShown) {
    // The offscreen platform has no tray, like a bare X server.
    ASSERT_FALSE(platform::trayAvailable());
    platform::showTrayIcon(nullptr, "Korvo v1.1");
    EXPECT_FALSE(platform::trayIconShown());
    platform::hideTrayIcon();
    EXPECT_TRUE(runLoop(20).empty());
}

}  // namespace
