// The headless UI where it has rules of its own: list rows and their selection, the
// merged resize events and the minimum size, scripted and remembered message boxes,
// the event queue across threads, and the address and combo rules it shares with Qt.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/fake/fake_ui.h"

namespace {

using namespace platform;
namespace fake = platform::fake_ui;

class FakeUiTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::reset();
        ASSERT_TRUE(openWindow(1, Rect{0, 0, 700, 525}, "Korvo v1.1",
                               kWindowResizable | kWindowMinimumSize, 0));
    }
};

TEST_F(FakeUiTest, ListRowsMoveUpAndSelectionFollows) {
    ASSERT_TRUE(createControl(1, 5, ControlKind::ListView, Rect{2, 2, 100, 100}, "", 0));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(addListRow(5, {std::to_string(i + 1)}, 100 + i), i);
    fake::selectListRows(5, {3, 1, 1, 9, -2});
    EXPECT_EQ(selectedListRows(5), (std::vector<int>{1, 3}));
    removeListRow(5, 1);
    EXPECT_EQ(selectedListRows(5), (std::vector<int>{2}));
    EXPECT_EQ(listRowData(5, 1), 102);
    EXPECT_EQ(listCellText(5, 2, 0), "4");
    removeListRow(5, 7);  // out of range: nothing
    EXPECT_EQ(listRowCount(5), 3);
    setListCellText(5, 0, 2, "late");
    EXPECT_EQ(listCellText(5, 0, 1), "");
    EXPECT_EQ(listCellText(5, 0, 2), "late");
    EXPECT_EQ(addListRow(6, {"x"}, 0), -1);  // not a list
}

TEST_F(FakeUiTest, ResizesMergeAndStopAtTheMinimum) {
    setWindowGeometry(1, Rect{10, 10, 800, 600});
    setWindowGeometry(1, Rect{10, 10, 900, 650});
    postEvent(Event{EventKind::Command, 1, 3, 0, 0});
    setWindowGeometry(1, Rect{20, 20, 900, 650});  // moved only: no event
    setWindowGeometry(1, Rect{20, 20, 100, 100});
    Event first = waitEvent(0);
    EXPECT_EQ(first.kind, EventKind::Resized);
    EXPECT_EQ(first.data, 900);
    EXPECT_EQ(first.data2, 650);
    EXPECT_EQ(waitEvent(0).kind, EventKind::Command);
    Event last = waitEvent(0);  // never below the creation size
    EXPECT_EQ(last.kind, EventKind::Resized);
    EXPECT_EQ(last.data, 700);
    EXPECT_EQ(last.data2, 525);
    EXPECT_EQ(waitEvent(0).kind, EventKind::None);
    const Rect inner = windowGeometry(1);
    EXPECT_EQ(inner.width, 700);
    EXPECT_EQ(inner.x, 20);
}

TEST_F(FakeUiTest, MessageBoxesAnswerAsScriptedAndAreRecorded) {
    fake::scriptAnswers({kAnswerCancel});
    EXPECT_EQ(showMessageBox(1, "Error", "a", MessageIcon::Error, MessageButtons::OkCancel),
              kAnswerCancel);
    EXPECT_EQ(showMessageBox(0, "", "b", MessageIcon::None, MessageButtons::Ok), kAnswerOk);
    EXPECT_EQ(showMessageBox(0, "", "c", MessageIcon::None, MessageButtons::YesNo), kAnswerYes);
    auto boxes = fake::messageBoxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].owner, 1);
    EXPECT_EQ(boxes[0].icon, MessageIcon::Error);
    EXPECT_EQ(boxes[2].text, "c");

    const std::string name = "{3F9C2B71-6D0A-4E58-B1C4-92A7E05D3C16}";
    EXPECT_EQ(showMessageBoxOnce(1, "Information", "n", MessageIcon::Information, name, "x"),
              kAnswerOk);
    fake::tickOnceBoxes(true);
    showMessageBoxOnce(1, "Information", "n", MessageIcon::Information, name, "x");
    EXPECT_TRUE(fake::onceChosen(name));
    showMessageBoxOnce(1, "Information", "n", MessageIcon::Information, name, "x");
    EXPECT_EQ(fake::messageBoxes().size(), 5u);  // the third notice was not shown

    fake::setUiAvailable(false);
    EXPECT_EQ(showMessageBox(0, "", "d", MessageIcon::None, MessageButtons::Ok), kAnswerNone);
}

TEST_F(FakeUiTest, WaitEventWakesForAnotherThreadAndTimesOut) {
    std::thread poster([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        postEvent(Event{EventKind::Shortcut, 1, 0, 97, 0});
    });
    Event event = waitEvent(2000);
    poster.join();
    EXPECT_EQ(event.kind, EventKind::Shortcut);
    EXPECT_EQ(event.data, 97);
    EXPECT_EQ(waitEvent(10).kind, EventKind::None);
}

TEST_F(FakeUiTest, ControlsFollowTheirKindsRules) {
    ASSERT_TRUE(createControl(1, 10, ControlKind::Ipv4Address, Rect{}, "", 0));
    EXPECT_EQ(controlText(10), "0.0.0.0");
    setControlText(10, "10.1");
    EXPECT_EQ(controlText(10), "10.1.0.0");
    setControlText(10, "1.2.3.999.5");
    EXPECT_EQ(controlText(10), "1.2.3.255");

    ASSERT_TRUE(createControl(1, 11, ControlKind::ComboBox, Rect{}, "", 0));
    addComboItem(11, "Auto");
    addComboItem(11,
                 "Gr\xF6\xDF"
                 "e");
    EXPECT_EQ(findComboItem(11,
                            "GR\xD6\xDF"
                            "E"),
              1);
    setControlText(11, "auto");
    EXPECT_EQ(controlState(11), -1);
    setControlState(11, 0);
    EXPECT_EQ(controlText(11), "Auto");

    ASSERT_TRUE(createControl(1, 12, ControlKind::CheckBox, Rect{}, "box", 0));
    fake::clickControl(12);
    EXPECT_EQ(controlState(12), 1);
    Event click = waitEvent(0);
    EXPECT_EQ(click.kind, EventKind::Command);
    EXPECT_EQ(click.id, 12);
    setControlEnabled(12, false);
    fake::clickControl(12);  // a disabled box takes no click
    EXPECT_EQ(controlState(12), 1);
    EXPECT_EQ(waitEvent(0).kind, EventKind::None);

    EXPECT_FALSE(createControl(1, 13, ControlKind::TabPage, Rect{}, "p", 12));
    ASSERT_TRUE(createControl(1, 13, ControlKind::TabPanel, Rect{}, "", 0));
    ASSERT_TRUE(createControl(1, 14, ControlKind::TabPage, Rect{}, "Client", 13));
    ASSERT_TRUE(createControl(1, 15, ControlKind::Label, Rect{}, "on the page", 14));
    setControlState(13, 1);  // no second page
    EXPECT_EQ(controlState(13), 0);
    destroyControl(13);
    EXPECT_FALSE(controlExists(15));
    closeWindow(1);
    EXPECT_FALSE(controlExists(10));
    EXPECT_FALSE(windowExists(1));
}

}  // namespace
