// The desktop around the program: what a click on the tray icon means.
#include <gtest/gtest.h>

#include "platform/qt/ui_tray_internal.h"

namespace {

using platform::TrayAction;
using platform::qtui::trayActionOf;

TEST(QtTrayTest, StatusNotifierActivationIsTheDoubleClickThatBringsTheWindowBack) {
    EXPECT_EQ(trayActionOf(QSystemTrayIcon::Trigger, true), TrayAction::LeftDoubleClick);
    EXPECT_EQ(trayActionOf(QSystemTrayIcon::Trigger, false), TrayAction::LeftClick);  // classic
}

}  // namespace
