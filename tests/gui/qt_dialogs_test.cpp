// The settings window and the connect dialog on the Qt backend: every control where the
// program placed it, the labels whole in both languages, and the keyboard as a user
// types: the address by its dots, Enter in any field to confirm, Escape to cancel.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTest>
#include <QTimer>

#include <functional>

#include "dialogs/connect_dialog.h"
#include "dialogs/dialog_ids.h"
#include "dialogs/settings_window.h"
#include "gui/qt_ui_fixture.h"
#include "settings/settings.h"
#include "state/main_window_ids.h"
#include "support/temp_dir.h"
#include "texts/texts.h"

namespace korvo {
namespace {

using namespace qt_ui_testing;

// Plays the user once the window shows, from inside the dialog's own wait for events.
void whenShown(int window, std::function<void()> user) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, window, user] {
        QWidget* top = windowWidget(window);
        if (top == nullptr || !top->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        QApplication::setActiveWindow(top);
        user();
    });
    poll->start(10);
}

// Types as the keyboard does: each key goes to whatever has the focus then.
void typeKeys(const char* keys) {
    for (const char* key = keys; *key != '\0'; ++key)
        QTest::keyClick(QApplication::focusWidget(), *key);
}

QLineEdit* field(int control) {
    return qobject_cast<QLineEdit*>(controlWidget(control));
}

// Every label, button and check box text of these controls fits the width the program
// gave it: none is cut off.
void expectTextsFit(int first, int last) {
    for (int control = first; control <= last; ++control) {
        QWidget* widget = controlWidget(control);
        if (qobject_cast<QLabel*>(widget) == nullptr &&
            qobject_cast<QAbstractButton*>(widget) == nullptr)
            continue;
        const QString text = widget->property("text").toString();
        int room = widget->width();
        if (qobject_cast<QCheckBox*>(widget) != nullptr)
            room -= widget->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, widget) +
                    widget->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, widget);
        EXPECT_LE(widget->fontMetrics().horizontalAdvance(text), room) << text.toStdString();
    }
}

class QtDialogsTest : public QtUiTest {
protected:
    void SetUp() override {
        settingsPath = directory_.file("settings.ini");
        settings = Settings{};
        useLanguage("english");
        ASSERT_TRUE(platform::openWindow(kMainWindowId, {0, 0, 700, 525}, "Korvo", 0, 0));
        platform::showWindow(kMainWindowId, true);
        mainWindow = kMainWindowId;
    }
    static void useLanguage(const char* setting) {
        language = chooseLanguage(setting, "english");
        texts = buildTextTable(language.languageCode);
    }
    testing_support::TempDir directory_;
};

TEST_F(QtDialogsTest, ControlsSitWhereThePagesPutThemAndTheirTextsFitInBothLanguages) {
    using namespace settingsControl;
    for (const char* setting : {"english", "german"}) {
        useLanguage(setting);
        whenShown(kSettingsWindowId, [] {
            QWidget* top = windowWidget(kSettingsWindowId);
            EXPECT_EQ(QApplication::activeModalWidget(), top);
            EXPECT_EQ(top->size(), QSize(400, 280));
            for (int control = kOk; control <= kSuppress; ++control) {
                QWidget* widget = controlWidget(control);
                if (widget == nullptr || control == kClientPage || control == kServerPage ||
                    control == kMiscPage)
                    continue;
                const platform::Rect placed = platform::controlGeometry(control);
                EXPECT_EQ(widget->geometry(),
                          QRect(placed.x, placed.y, placed.width, placed.height))
                    << control;
            }
            expectTextsFit(kOk, kSuppress);
            EXPECT_EQ(controlWidget(kServerUser)->parentWidget(), controlWidget(kServerPage));
            EXPECT_EQ(controlWidget(kServerPortLabel)->property("text").toString(),
                      language.languageCode == "deutsch" ? "Portnummer:" : "Portnumber:");
            // Escape ends the window; the Return typed after it goes with the window.
            QTest::keyClick(controlWidget(kQuality), Qt::Key_Escape);
            QTest::keyClick(controlWidget(kQuality), Qt::Key_Return);
        });
        EXPECT_FALSE(SettingsWindow(kServerSettingsPage));
        for (const platform::Event& left : runLoop(20))
            EXPECT_NE(left.window, kSettingsWindowId);
    }
    EXPECT_FALSE(std::filesystem::exists(settingsPath));

    useLanguage("german");
    whenShown(kConnectDialogId, [] {
        expectTextsFit(connectControl::kFrame, connectControl::kSaveAsDefault);
        QTest::keyClick(field(connectControl::kUser), Qt::Key_Escape);
    });
    EXPECT_FALSE(ConnectDialog());
}

TEST_F(QtDialogsTest, EnterInAnyFieldConfirmsWhatWasTyped) {
    whenShown(kConnectDialogId, [] {
        using namespace connectControl;
        QLineEdit* first = controlWidget(kAddress)->findChildren<QLineEdit*>().value(0);
        ASSERT_NE(first, nullptr);
        first->setFocus();
        typeKeys("10.0.12.7");  // each "." moves on to the next field
        QTest::keyClicks(field(kPort), "6001");
        QTest::keyClicks(field(kUser), "anna");
        QTest::keyClicks(field(kPassword), "secret");
        QTest::keyClick(field(kPassword), Qt::Key_Return);
    });
    EXPECT_TRUE(ConnectDialog());
    EXPECT_EQ(settings.clientIp, "10.0.12.7");
    EXPECT_EQ(settings.clientPort, 6001);
    EXPECT_EQ(settings.clientPassword, "secret");

    whenShown(kSettingsWindowId, [] {
        using namespace settingsControl;
        QTest::keyClicks(field(kServerUser), "anna");
        QTest::keyClick(field(kServerUser), Qt::Key_Enter, Qt::KeypadModifier);
    });
    EXPECT_TRUE(SettingsWindow(kServerSettingsPage));
    EXPECT_NE(testing_support::readBytes(settingsPath).find("[server]\r\nuser = anna\r\n"),
              std::string::npos);
}

}  // namespace
}  // namespace korvo
