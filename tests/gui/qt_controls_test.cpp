// The Qt backend's windows and controls: what the program sets is what the widgets show
// and what the program reads back, texts in ISO 8859-1 included.
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

#include <thread>

#include "gui/qt_ui_fixture.h"
#include "platform/image.h"

namespace {

using namespace qt_ui_testing;
using platform::ControlKind;
using platform::Rect;

constexpr int kMain = 1;

platform::Image solidImage(int width, int height, uint32_t pixel) {
    platform::Image image;
    image.width = width;
    image.height = height;
    image.pixels.assign(static_cast<size_t>(width * height), pixel);
    return image;
}

size_t fromDisplayLength(QWidget* edit) {
    return static_cast<size_t>(qobject_cast<QLineEdit*>(edit)->text().size());
}

class QtControlsTest : public QtUiTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform::openWindow(kMain, Rect{50, 60, 400, 300}, "Korvo", 0, 0));
    }
};

TEST_F(QtControlsTest, Latin1TextsRoundTripAndShowAsUnicode) {
    const std::string german =
        "Gr\xFC\xDF"
        "e aus M\xFCnchen \xC4\xD6\xDC";
    ASSERT_TRUE(
        platform::createControl(kMain, 10, ControlKind::Label, Rect{1, 2, 200, 20}, german, 0));
    ASSERT_TRUE(platform::createControl(kMain, 11, ControlKind::Edit, Rect{1, 30, 200, 20}, "", 0));
    EXPECT_EQ(platform::controlText(10), german);
    auto* label = qobject_cast<QLabel*>(controlWidget(10));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QString::fromUtf8("Grüße aus München ÄÖÜ"));

    // What the user types comes back in ISO 8859-1; what it cannot hold becomes '?'.
    auto* edit = qobject_cast<QLineEdit*>(controlWidget(11));
    ASSERT_NE(edit, nullptr);
    edit->setText(QString::fromUtf8("Bildqualität 5 €"));
    EXPECT_EQ(platform::controlText(11), "Bildqualit\xE4t 5 ?");

    // The program's LF CR break shows as one line break.
    platform::setControlText(10, "one\n\rtwo");
    EXPECT_EQ(label->text(), QStringLiteral("one\ntwo"));
    EXPECT_EQ(platform::controlText(10), "one\n\rtwo");

    platform::setWindowTitle(kMain, "Einstellungen \xFC");
    EXPECT_EQ(windowWidget(kMain)->windowTitle(), QString::fromUtf8("Einstellungen ü"));
    EXPECT_EQ(platform::windowTitle(kMain), "Einstellungen \xFC");
}

TEST_F(QtControlsTest, GeometryIsRelativeToTheParentAndReadBack) {
    ASSERT_TRUE(
        platform::createControl(kMain, 10, ControlKind::Frame, Rect{2, 16, 396, 250}, "", 0));
    ASSERT_TRUE(
        platform::createControl(kMain, 11, ControlKind::TabPanel, Rect{6, 27, 388, 243}, "", 0));
    ASSERT_TRUE(platform::createControl(kMain, 12, ControlKind::TabPage, Rect{}, "Client", 11));
    ASSERT_TRUE(platform::createControl(kMain, 13, ControlKind::TabPage, Rect{}, "Server", 11));
    ASSERT_TRUE(
        platform::createControl(kMain, 14, ControlKind::FlatFrame, Rect{2, 2, 376, 212}, "", 12));
    ASSERT_TRUE(
        platform::createControl(kMain, 15, ControlKind::ImageView, Rect{2, 2, 372, 208}, "", 14));
    QWidget* view = controlWidget(15);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->geometry(), QRect(2, 2, 372, 208));
    EXPECT_EQ(view->parentWidget(), controlWidget(14));

    platform::setControlGeometry(15, Rect{3, 4, -1, 10});  // refused: negative width
    platform::setControlGeometry(14, Rect{2, 2, 500, 400});
    const Rect flat = platform::controlGeometry(14);
    EXPECT_EQ(flat.width, 500);
    EXPECT_EQ(flat.height, 400);
    EXPECT_EQ(controlWidget(14)->geometry(), QRect(2, 2, 500, 400));
    EXPECT_EQ(controlWidget(15)->geometry(), QRect(2, 2, 372, 208));

    // Pages follow their panel; their place is given relative to the panel.
    platform::showWindow(kMain, true);
    runLoop(30);
    const Rect page = platform::controlGeometry(12);
    EXPECT_GT(page.y, 0);
    EXPECT_GT(page.width, 0);
    EXPECT_LE(page.x + page.width, 388);

    // A tab page cannot sit anywhere but on a panel, and ids are not reused.
    EXPECT_FALSE(platform::createControl(kMain, 16, ControlKind::TabPage, Rect{}, "x", 0));
    EXPECT_FALSE(platform::createControl(kMain, 16, ControlKind::TabPage, Rect{}, "x", 14));
    EXPECT_FALSE(platform::createControl(kMain, 15, ControlKind::Label, Rect{}, "x", 0));
    EXPECT_FALSE(platform::createControl(kMain, 16, ControlKind::Label, Rect{}, "x", 99));
    EXPECT_FALSE(platform::createControl(7, 16, ControlKind::Label, Rect{}, "x", 0));
}

TEST_F(QtControlsTest, TabSelectionFollowsProgramAndUser) {
    ASSERT_TRUE(
        platform::createControl(kMain, 11, ControlKind::TabPanel, Rect{6, 6, 300, 200}, "", 0));
    ASSERT_TRUE(platform::createControl(kMain, 12, ControlKind::TabPage, Rect{}, "Client", 11));
    ASSERT_TRUE(platform::createControl(kMain, 13, ControlKind::TabPage, Rect{}, "Server", 11));
    auto* tabs = qobject_cast<QTabWidget*>(controlWidget(11));
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("Server"));
    EXPECT_EQ(platform::controlState(11), 0);
    platform::setControlState(11, 1);
    EXPECT_EQ(tabs->currentIndex(), 1);
    platform::setControlState(11, 2);  // no such page
    EXPECT_EQ(platform::controlState(11), 1);
    tabs->setCurrentIndex(0);  // the user's choice
    EXPECT_EQ(platform::controlState(11), 0);
}

TEST_F(QtControlsTest, WindowHasMenuToolbarAndStatusBarInsideItsInnerSize) {
    platform::closeWindow(kMain);
    ASSERT_TRUE(platform::openWindow(
        kMain, Rect{0, 0, 700, 525}, "Korvo v1.1",
        platform::kWindowResizable | platform::kWindowMinimumSize | platform::kWindowCentred, 0));
    const platform::Image icon = solidImage(16, 16, 0xFF2040A0u);
    ASSERT_TRUE(platform::addMenu(kMain, 1, "Men\xFC"));
    platform::addMenuItem(1, 100, "Client", &icon);
    platform::addMenuSeparator(1);
    platform::addMenuItem(1, 102, "Beenden", &icon);
    EXPECT_FALSE(platform::addMenu(kMain, 1, "again"));
    platform::addToolSeparator(kMain);
    platform::addToolButton(kMain, 100, &icon, "Client");
    platform::addToolButton(kMain, 106, &icon, "Hide in tray");
    ASSERT_TRUE(platform::createStatusBar(kMain, {20, 300, 20, 300}));
    platform::setStatusField(kMain, 0, "", &icon);
    platform::setStatusField(kMain, 1, "   Client: No connection", nullptr);
    platform::setStatusField(kMain, 9, "nowhere", nullptr);

    EXPECT_EQ(platform::menuItemText(1, 102), "Beenden");
    EXPECT_EQ(platform::menuItemText(1, 999), "");
    EXPECT_EQ(platform::statusFieldText(kMain, 1), "   Client: No connection");
    EXPECT_EQ(platform::statusFieldText(kMain, 9), "");

    QWidget* top = windowWidget(kMain);
    ASSERT_NE(top, nullptr);
    auto* bar = top->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->actions().at(0)->text(), QString::fromUtf8("Menü"));

    const int menuHeight = platform::menuBarHeight(kMain);
    const int toolHeight = platform::toolBarHeight(kMain);
    const int statusHeight = platform::statusBarHeight(kMain);
    EXPECT_GT(menuHeight, 0);
    EXPECT_GT(toolHeight, 0);
    EXPECT_GT(statusHeight, 0);
    EXPECT_EQ(top->size(), QSize(700, 525));
    EXPECT_EQ(top->minimumSize(), QSize(700, 525));
    const Rect inner = platform::windowGeometry(kMain);
    EXPECT_EQ(inner.width, 700);
    EXPECT_EQ(inner.height, 525);

    // The toolbar lies at the top of the client area, the status bar at its bottom.
    auto* tools = top->findChild<QToolBar*>();
    ASSERT_NE(tools, nullptr);
    EXPECT_EQ(tools->mapTo(top, QPoint(0, 0)), QPoint(0, menuHeight));
    EXPECT_EQ(tools->actions().last()->toolTip(), QStringLiteral("Hide in tray"));
    bool statusFound = false;
    for (QLabel* label : top->findChildren<QLabel*>()) {
        if (label->text() == QStringLiteral("   Client: No connection")) {
            statusFound = true;
            const QPoint at = label->parentWidget()->mapTo(top, QPoint(0, 0));
            EXPECT_EQ(at.y() + label->parentWidget()->height(), 525);
            EXPECT_EQ(label->parentWidget()->height(), statusHeight);
        }
    }
    EXPECT_TRUE(statusFound);
}

TEST_F(QtControlsTest, ListRowsCarryDataAndSelectionFromAnyThread) {
    ASSERT_TRUE(
        platform::createControl(kMain, 20, ControlKind::ListView, Rect{2, 2, 380, 200}, "", 0));
    platform::addListColumn(20, "Nr.", 80);
    platform::addListColumn(20, "Client IP", 200);
    platform::addListColumn(20, "Verbunden seit", 200);
    std::thread server([] {
        EXPECT_EQ(platform::addListRow(20, {"1", "10.0.0.1", "2009-03-07 18:05:09"}, 111), 0);
        EXPECT_EQ(platform::addListRow(20, {"2", "10.0.0.2"}, 222), 1);
        EXPECT_EQ(platform::addListRow(20, {"3", "10.0.0.3", "x"}, 333), 2);
        platform::removeListRow(20, 0);
        EXPECT_EQ(platform::listRowCount(20), 2);  // at once, not after the GUI caught up
    });
    server.join();
    EXPECT_EQ(platform::listRowData(20, 0), 222);
    EXPECT_EQ(platform::listCellText(20, 0, 2), "");
    EXPECT_EQ(platform::listCellText(20, 1, 1), "10.0.0.3");
    EXPECT_EQ(platform::listRowData(20, 5), 0);
    EXPECT_EQ(platform::listCellText(20, -1, 0), "");

    runLoop(20);
    auto* list = qobject_cast<QTreeWidget*>(controlWidget(20));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->headerItem()->text(2), QStringLiteral("Verbunden seit"));
    EXPECT_EQ(list->columnWidth(1), 200);
    EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("10.0.0.2"));
    EXPECT_EQ(list->topLevelItem(1)->text(0), QStringLiteral("3"));

    // Whole rows, several at once.
    list->topLevelItem(0)->setSelected(true);
    list->topLevelItem(1)->setSelected(true);
    EXPECT_EQ(platform::selectedListRows(20), (std::vector<int>{0, 1}));
    platform::removeListRow(20, 0);
    EXPECT_EQ(platform::selectedListRows(20), (std::vector<int>{0}));

    platform::setListCellText(20, 0, 2, "later");
    platform::clearList(20);
    EXPECT_EQ(platform::listRowCount(20), 0);
    EXPECT_TRUE(platform::selectedListRows(20).empty());
    runLoop(20);
    EXPECT_EQ(list->topLevelItemCount(), 0);
}

TEST_F(QtControlsTest, ComboSelectsByTextAndIndex) {
    ASSERT_TRUE(
        platform::createControl(kMain, 30, ControlKind::ComboBox, Rect{1, 1, 159, 20}, "", 0));
    for (const char* item : {"Auto", "English", "German"})
        platform::addComboItem(30, item);
    EXPECT_EQ(platform::comboItemCount(30), 3);
    EXPECT_EQ(platform::controlState(30), -1);
    EXPECT_EQ(platform::findComboItem(30, "GERMAN"), 2);
    EXPECT_EQ(platform::findComboItem(30, "Germa"), -1);

    platform::setControlText(30, "English");
    EXPECT_EQ(platform::controlState(30), 1);
    platform::setControlText(30, "german");  // exact text only: nothing changes
    EXPECT_EQ(platform::controlText(30), "English");
    auto* combo = qobject_cast<QComboBox*>(controlWidget(30));
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->currentIndex(), 1);

    combo->setCurrentIndex(2);  // the user's choice
    EXPECT_EQ(platform::controlText(30), "German");
    platform::setControlState(30, 7);
    EXPECT_EQ(platform::controlState(30), -1);
    EXPECT_EQ(platform::controlText(30), "");
    EXPECT_EQ(combo->currentIndex(), -1);
}

TEST_F(QtControlsTest, AddressControlReadsFourNumbers) {
    ASSERT_TRUE(platform::createControl(kMain, 40, ControlKind::Ipv4Address, Rect{115, 27, 110, 20},
                                        "", 0));
    EXPECT_EQ(platform::controlText(40), "0.0.0.0");
    platform::setControlText(40, "10.1");
    EXPECT_EQ(platform::controlText(40), "10.1.0.0");
    auto fields = controlWidget(40)->findChildren<QLineEdit*>();
    ASSERT_EQ(fields.size(), 4);
    EXPECT_EQ(fields[1]->text(), QStringLiteral("1"));
    EXPECT_EQ(fields[2]->text(), QString());  // shown blank, read as 0
    platform::setControlText(40, "300.007.x.4.9");
    EXPECT_EQ(platform::controlText(40), "255.7.0.4");

    platform::setControlText(40, "");
    platform::showWindow(kMain, true);
    runLoop(20);
    QApplication::setActiveWindow(windowWidget(kMain));
    fields[0]->setFocus();
    QTest::keyClicks(fields[0], "1925");  // a fourth digit does not fit
    EXPECT_EQ(platform::controlText(40), "192.0.0.0");
    EXPECT_TRUE(fields[1]->hasFocus());  // the third one moved on to the next field
    QTest::keyClicks(fields[1], "5");
    EXPECT_EQ(platform::controlText(40), "192.5.0.0");
    QTest::keyClicks(fields[2], "999");
    EXPECT_EQ(platform::controlText(40), "192.5.255.0");
}

TEST_F(QtControlsTest, EditKindsAndCheckBoxesBehaveAsTheirKind) {
    ASSERT_TRUE(
        platform::createControl(kMain, 50, ControlKind::DigitsEdit, Rect{1, 1, 34, 20}, "", 0));
    ASSERT_TRUE(platform::createControl(kMain, 51, ControlKind::PasswordEdit, Rect{1, 30, 100, 20},
                                        "geheim", 0));
    ASSERT_TRUE(platform::createControl(kMain, 52, ControlKind::CheckBox, Rect{1, 60, 80, 20},
                                        "Max. Clients:", 0));
    platform::showWindow(kMain, true);
    runLoop(20);
    QTest::keyClicks(controlWidget(50), "6a0b0x0");
    EXPECT_EQ(platform::controlText(50), "6000");
    EXPECT_EQ(qobject_cast<QLineEdit*>(controlWidget(51))->echoMode(), QLineEdit::Password);
    EXPECT_EQ(platform::controlText(51), "geheim");
    const std::string longName(40000, 'x');  // longer than a line edit takes by default
    platform::setControlText(51, longName);
    EXPECT_EQ(fromDisplayLength(controlWidget(51)), longName.size());

    auto* box = qobject_cast<QCheckBox*>(controlWidget(52));
    ASSERT_NE(box, nullptr);
    platform::setControlState(52, 1);
    EXPECT_TRUE(box->isChecked());
    platform::setControlEnabled(50, false);
    EXPECT_FALSE(platform::controlEnabled(50));
    EXPECT_FALSE(controlWidget(50)->isEnabled());
    platform::setControlVisible(51, false);
    EXPECT_TRUE(controlWidget(51)->isHidden());

    QTest::mouseClick(box, Qt::LeftButton);  // the user unchecks it
    EXPECT_EQ(platform::controlState(52), 0);
    platform::Event clicked = nextEvent();
    EXPECT_EQ(clicked.kind, platform::EventKind::Command);
    EXPECT_EQ(clicked.window, kMain);
    EXPECT_EQ(clicked.id, 52);
}

TEST_F(QtControlsTest, ViewShowsACopyOfTheImageAndClears) {
    ASSERT_TRUE(
        platform::createControl(kMain, 60, ControlKind::ImageView, Rect{0, 0, 64, 48}, "", 0));
    {
        platform::Image frame = solidImage(64, 48, 0xFFFF0000u);
        std::thread client([&frame] { platform::showImage(60, &frame); });
        client.join();
    }  // the caller's image is gone before the GUI shows it
    runLoop(20);
    auto* view = qobject_cast<QLabel*>(controlWidget(60));
    ASSERT_NE(view, nullptr);
    QPixmap shown = view->pixmap();
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown.size(), QSize(64, 48));
    EXPECT_EQ(shown.toImage().pixel(5, 5), 0xFFFF0000u);
    platform::showImage(60, nullptr);
    runLoop(10);
    EXPECT_TRUE(view->pixmap().isNull());
}

class QtImageTest : public QtUiTest {};

TEST_F(QtImageTest, DecodesPictureFilesAndScalesSmoothly) {
    QImage source(3, 2, QImage::Format_ARGB32);
    source.fill(0xFF00FF00u);
    source.setPixel(2, 1, 0x800000FFu);
    for (const char* format : {"PNG", "ICO"}) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(source.save(&buffer, format)) << format;
        platform::Image decoded;
        ASSERT_TRUE(platform::decodeImageFile(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                              static_cast<size_t>(bytes.size()), decoded))
            << format;
        EXPECT_EQ(decoded.width, 3);
        EXPECT_EQ(decoded.height, 2);
        EXPECT_EQ(decoded.pixels[0], 0xFF00FF00u);
        EXPECT_EQ(decoded.pixels[5], 0x800000FFu);
    }
    const uint8_t garbage[] = {1, 2, 3, 4, 5, 6, 7, 8};
    platform::Image none;
    EXPECT_FALSE(platform::decodeImageFile(garbage, sizeof garbage, none));
    EXPECT_FALSE(none.valid());
    EXPECT_FALSE(platform::decodeImageFile(nullptr, 10, none));

    platform::Image small = solidImage(2, 2, 0xFF102030u);
    platform::Image big = platform::scaleImage(small, 5, 3);
    ASSERT_TRUE(big.valid());
    EXPECT_EQ(big.width, 5);
    EXPECT_EQ(big.height, 3);
    EXPECT_EQ(big.pixels[7], 0xFF102030u);
    EXPECT_FALSE(platform::scaleImage(small, 0, 3).valid());
    EXPECT_FALSE(platform::scaleImage(platform::Image{}, 4, 4).valid());
}

}  // namespace
