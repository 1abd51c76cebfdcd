// Message boxes: from the GUI thread they run in place; from another thread only the
// caller waits while the GUI loop goes on; the "do not show again" choice is kept; an
// empty caption shows empty.
#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "gui/qt_ui_fixture.h"
#include "x11/xvfb.h"

// Xlib's name for "no value" would hide the program's enumerators of that name.
#undef None

namespace {

using namespace qt_ui_testing;
using platform::Event;
using platform::EventKind;
using platform::MessageButtons;
using platform::MessageIcon;
using platform::Rect;

constexpr int kMain = 1;

QMessageBox* openBox() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(widget); box != nullptr && box->isVisible())
            return box;
    return nullptr;
}

// Presses a button of the next box that opens, from inside the GUI loop.
void answerNextBox(QMessageBox::StandardButton button, bool tick = false) {
    QTimer::singleShot(20, [button, tick] {
        QMessageBox* box = openBox();
        ASSERT_NE(box, nullptr);
        if (tick && box->checkBox() != nullptr)
            box->checkBox()->setChecked(true);
        box->button(button)->click();
    });
}

class QtMessagesTest : public QtUiTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform::openWindow(kMain, Rect{40, 40, 500, 400}, "Korvo", 0, 0));
        platform::showWindow(kMain, true);
        runLoop(20);
    }
};

TEST_F(QtMessagesTest, BoxFromAWorkerBlocksOnlyTheWorker) {
    std::atomic<int> answer{-1};
    std::thread worker([&] {
        answer =
            platform::showMessageBox(kMain, "Error", "Login failed.\n\rWrong username or password.",
                                     MessageIcon::Error, MessageButtons::Ok);
    });
    QMessageBox* box = nullptr;
    for (int i = 0; i < 200 && box == nullptr; ++i) {
        platform::waitEvent(10);
        box = openBox();
    }
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Error"));
    EXPECT_EQ(box->text(), QStringLiteral("Login failed.\nWrong username or password."));
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_EQ(answer.load(), -1);

    // The loop still delivers while the box is open.
    platform::postEvent(Event{EventKind::Command, kMain, 42, 0, 0});
    EXPECT_EQ(nextEvent().id, 42);

    box->button(QMessageBox::Ok)->click();
    for (int i = 0; i < 200 && answer.load() == -1; ++i)
        platform::waitEvent(10);
    worker.join();
    EXPECT_EQ(answer.load(), platform::kAnswerOk);
}

TEST_F(QtMessagesTest, BoxOnTheGuiThreadAnswersWithTheButtonPressed) {
    answerNextBox(QMessageBox::Ok);
    EXPECT_EQ(platform::showMessageBox(kMain, "Information", "Client and server",
                                       MessageIcon::Information, MessageButtons::Ok),
              platform::kAnswerOk);
    answerNextBox(QMessageBox::Cancel);
    EXPECT_EQ(platform::showMessageBox(0, "", "plain", MessageIcon::None, MessageButtons::OkCancel),
              platform::kAnswerCancel);
    answerNextBox(QMessageBox::No);
    EXPECT_EQ(platform::showMessageBox(0, "?", "q", MessageIcon::Question, MessageButtons::YesNo),
              platform::kAnswerNo);

    // Closed by Escape: an OK box says OK, an OK/Cancel box says Cancel.
    QTimer::singleShot(20, [] {
        if (QMessageBox* box = openBox())
            box->reject();
    });
    EXPECT_EQ(platform::showMessageBox(0, "x", "y", MessageIcon::None, MessageButtons::OkCancel),
              platform::kAnswerCancel);
}

TEST_F(QtMessagesTest, NoticeOnceIsNotShownAfterTheBoxWasTicked) {
    const std::string name = "{3F9C2B71-6D0A-4E58-B1C4-92A7E05D3C16}";
    answerNextBox(QMessageBox::Ok, false);
    EXPECT_EQ(
        platform::showMessageBoxOnce(kMain, "Information", "Changes", MessageIcon::Information,
                                     name, "Do not show this message again"),
        platform::kAnswerOk);
    answerNextBox(QMessageBox::Ok, true);  // shown again, and now ticked
    EXPECT_EQ(
        platform::showMessageBoxOnce(kMain, "Information", "Changes", MessageIcon::Information,
                                     name, "Do not show this message again"),
        platform::kAnswerOk);

    bool shown = false;
    QTimer::singleShot(20, [&shown] {
        if (QMessageBox* box = openBox()) {
            shown = true;
            box->button(QMessageBox::Ok)->click();
        }
    });
    EXPECT_EQ(
        platform::showMessageBoxOnce(kMain, "Information", "Changes", MessageIcon::Information,
                                     name, "Do not show this message again"),
        platform::kAnswerOk);
    runLoop(40);
    EXPECT_FALSE(shown);
    // Kept in the program's own configuration folder, beside an installed settings.ini.
    EXPECT_TRUE(std::filesystem::exists(std::string(std::getenv("XDG_CONFIG_HOME")) +
                                        "/korvo/choices.conf"));
}

TEST_F(QtMessagesTest, ClosingTheOwnerReleasesAWaitingWorker) {
    std::atomic<int> answer{-1};
    std::thread worker([&] {
        answer =
            platform::showMessageBox(kMain, "Error", "x", MessageIcon::Error, MessageButtons::Ok);
    });
    for (int i = 0; i < 200 && openBox() == nullptr; ++i)
        platform::waitEvent(10);
    ASSERT_NE(openBox(), nullptr);
    platform::closeWindow(kMain);
    for (int i = 0; i < 200 && answer.load() == -1; ++i)
        platform::waitEvent(10);
    worker.join();
    EXPECT_EQ(answer.load(), platform::kAnswerNone);
}

}  // namespace

namespace {

class QtShutdownTest : public qt_ui_testing::QtUiTest {};

TEST_F(QtShutdownTest, EndingTheUiReleasesWaitingCallersAndItCanStartAgain) {
    using namespace qt_ui_testing;
    ASSERT_TRUE(platform::openWindow(kMain, Rect{40, 40, 300, 200}, "Korvo", 0, 0));
    std::atomic<int> answer{-1};
    std::thread worker([&] {
        answer = platform::showMessageBox(0, "Error", "x", MessageIcon::Error, MessageButtons::Ok);
    });
    for (int i = 0; i < 200 && openBox() == nullptr; ++i)
        platform::waitEvent(10);
    ASSERT_NE(openBox(), nullptr);
    platform::shutdownUi();
    worker.join();
    EXPECT_EQ(answer.load(), platform::kAnswerNone);
    EXPECT_FALSE(platform::uiAvailable());
    EXPECT_FALSE(platform::windowExists(kMain));
    // Without a UI every call is harmless and boxes answer at once.
    platform::setControlText(10, "nobody");
    EXPECT_EQ(platform::showMessageBox(0, "", "x", MessageIcon::None, MessageButtons::Ok),
              platform::kAnswerNone);
    EXPECT_EQ(platform::waitEvent(0).kind, EventKind::None);

    ASSERT_TRUE(platform::initUi());
    EXPECT_TRUE(platform::openWindow(kMain, Rect{40, 40, 300, 200}, "Korvo", 0, 0));
}

}  // namespace

namespace {

// A fresh process each, as the application is made once per process.
TEST(QtUiStartTest, UnreachableDisplayMeansNoUiInsteadOfAnAbort) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            ::unsetenv("QT_QPA_PLATFORM");
            ::setenv("DISPLAY", ":65000", 1);
            const bool started = platform::initUi();
            const int answer = platform::showMessageBox(0, "", "x", platform::MessageIcon::None,
                                                        platform::MessageButtons::Ok);
            std::_Exit(!started && answer == platform::kAnswerNone ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(
        {
            ::unsetenv("QT_QPA_PLATFORM");
            ::unsetenv("DISPLAY");
            std::_Exit(platform::initUi() ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace

namespace {

// A fresh process on an X server of its own: the caption is what the window system shows.
TEST(QtCaptionTest, EmptyCaptionShowsEmptyOnTheScreen) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            testing_support::Xvfb xvfb;
            if (!xvfb.start("640x480x24"))
                std::_Exit(2);
            ::setenv("QT_QPA_PLATFORM", "xcb", 1);
            ::setenv("DISPLAY", xvfb.name().c_str(), 1);
            if (!platform::initUi())
                std::_Exit(3);
            QTimer::singleShot(300, [] {
                QMessageBox* box = openBox();
                QGuiApplication::sync();
                QProcess xprop;
                xprop.start(QStringLiteral("xprop"),
                            {QStringLiteral("-id"), QString::number(box->winId()),
                             QStringLiteral("_NET_WM_NAME")});
                xprop.waitForFinished();
                std::fprintf(stderr, "%s", xprop.readAllStandardOutput().constData());
                box->button(QMessageBox::Ok)->click();
            });
            platform::showMessageBox(0, "", "Korvo is already running.", MessageIcon::None,
                                     MessageButtons::Ok);
            platform::shutdownUi();
            xvfb.stop();
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "_NET_WM_NAME\\(UTF8_STRING\\) = \" *\"");
}

}  // namespace
