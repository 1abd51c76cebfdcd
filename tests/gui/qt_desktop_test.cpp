// The desktop around the program: what a click on the tray icon means, and the help
// viewer, played here by a script alone on PATH.
#include <QStandardPaths>

#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "gui/qt_ui_fixture.h"
#include "platform/qt/ui_tray_internal.h"

namespace {

using platform::TrayAction;
using platform::qtui::trayActionOf;

TEST(QtTrayTest, StatusNotifierActivationIsTheDoubleClickThatBringsTheWindowBack) {
    EXPECT_EQ(trayActionOf(QSystemTrayIcon::Trigger, true), TrayAction::LeftDoubleClick);
    EXPECT_EQ(trayActionOf(QSystemTrayIcon::Trigger, false), TrayAction::LeftClick);  // classic
}

class QtHelpViewerTest : public qt_ui_testing::QtUiTest {
protected:
    // Makes a script named `name` the only program on PATH: it notes its arguments, one a
    // line, then runs `rest`.
    void onlyViewer(const std::string& name, const std::string& rest) {
        const std::string script = bin_.file(name);
        testing_support::writeBytes(
            script, "#!/bin/sh\nprintf '%s\\n' \"$@\" > " + bin_.file("seen") + "\n" + rest + "\n");
        ASSERT_EQ(::chmod(script.c_str(), 0755), 0);
        ::setenv("PATH", bin_.path().c_str(), 1);
    }
    void TearDown() override {
        platform::stopHelpViewer();
        ::setenv("PATH", path_.c_str(), 1);
        QtUiTest::TearDown();
    }

    testing_support::TempDir bin_;
    const std::string path_ = std::getenv("PATH");
    const std::string sleep_ =
        QStandardPaths::findExecutable(QStringLiteral("sleep")).toStdString();
};

TEST_F(QtHelpViewerTest, ViewerIsAskedForThePageOfTheLanguage) {
    onlyViewer("xchm", "exec " + sleep_ + " 30");
    ASSERT_TRUE(platform::startHelpViewer(bin_.file("Korvo.chm"), "de.html"));
    EXPECT_EQ(testing_support::readBytes(bin_.file("seen")),
              "file:" + bin_.file("Korvo.chm") + "#xchm:/de.html\n");
}

TEST_F(QtHelpViewerTest, ViewerThatEndsAtOnceIsNotTakenAsOpen) {
    onlyViewer("xchm", "exit 0");
    EXPECT_FALSE(platform::startHelpViewer(bin_.file("Korvo.chm"), "en.html"));
}

}  // namespace
