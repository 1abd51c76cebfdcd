// The headless UI for tests (library korvo_platform_fake_ui). It implements
// platform/ui.h without a display: it records what the program builds and shows, lets
// a test post events, move the pointer, choose list rows and script the answers of
// message boxes. Nothing here sleeps or waits for a person: fades take no time, and a
// message box answers at once.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui.h"
#include "platform/ui_model/records.h"

namespace platform::fake_ui {

// What the headless UI counts of a window beside its record.
struct FakeWindowExtra {
    bool hasIcon = false;
    int fades = 0;         // fadeWindow calls
    int lastFadeMs = 0;    // duration of the last one
    int minimumWidth = 0;  // the creation size with kWindowMinimumSize
    int minimumHeight = 0;
};

// A copy of a window: its record (the pointer as a test set it) and the counts, with the
// status fields spelled out.
struct FakeWindow : ui_model::WindowRecord, FakeWindowExtra {
    std::vector<std::string> statusTexts;
    std::vector<bool> statusHasImage;
};

// What the headless UI counts of a control beside its record.
struct FakeControlExtra {
    bool focused = false;
    int imageShows = 0;  // showImage calls with an image
};

// A copy of a control: its record and the counts, with the image view's picture spelled
// out.
struct FakeControl : ui_model::ControlRecord, FakeControlExtra {
    bool hasImage = false;
    int imageWidth = 0;
    int imageHeight = 0;
};

using FakeMenuItem = ui_model::MenuItem;

struct FakeToolButton {
    int command = 0;  // 0 for a separator
    std::string tooltip;
    bool hasImage = false;
};

struct FakeMessageBox {
    int owner = 0;
    std::string title;
    std::string text;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    std::string onceName;  // set for showMessageBoxOnce
    std::string checkText;
    int answer = 0;
};

// Forgets everything and starts over: UI available, no tray, bar heights 20, 26, 20.
void reset();
void setUiAvailable(bool available);
void setTrayAvailable(bool available);
// The heights of the bars made from now on.
void setBarHeights(int menuBar, int toolBar, int statusBar);

// Copies of what was built; false when there is no such window or control.
bool window(int id, FakeWindow& out);
bool control(int id, FakeControl& out);
std::vector<int> windowIds();
std::vector<int> controlIds(int window);  // in creation order
std::string menuTitle(int menu);
int menuWindow(int menu);  // -1 when there is no such menu
std::vector<FakeMenuItem> menuItems(int menu);
std::vector<FakeToolButton> toolButtons(int window);
// The event number of a registered shortcut, -1 when none.
int shortcutEvent(int window, int key, unsigned modifiers);
size_t shortcutCount(int window);
int lastPopupMenu();  // 0 when none was shown

// Message boxes shown so far, and answers for the next ones in order (after the
// script: OK, or Yes for a Yes/No box).
std::vector<FakeMessageBox> messageBoxes();
void scriptAnswers(const std::vector<int>& answers);
// Whether a showMessageBoxOnce name was ticked "do not show again".
bool onceChosen(const std::string& name);
void setOnceChosen(const std::string& name, bool chosen);
// Ticks the check box of the next boxes shown by showMessageBoxOnce.
void tickOnceBoxes(bool tick);

// What only the user does.
void setPointer(int window, ClientPoint point);
void setMinimised(int window, bool minimised);
void selectListRows(int list, const std::vector<int>& rows);
void typeText(int control, const std::string& text);  // as typed: no event
void clickControl(int control);  // a button or check box: toggles a box, posts a command

std::vector<std::string> openedUrls();
bool helpViewerRunning(std::string& file, std::string& page);
std::string trayTooltip();
size_t pendingEvents();

// waitEvent(-1) gives up after this many milliseconds with a None event, so that a test
// whose loop waits for an event nobody posts ends instead of hanging.
inline constexpr int kWaitForeverCapMs = 5000;

}  // namespace platform::fake_ui
