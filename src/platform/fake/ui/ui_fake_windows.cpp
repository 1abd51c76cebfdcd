// Headless windows, bars, menus, shortcuts, the event queue, the tray, message boxes
// and desktop services.
#include <algorithm>
#include <chrono>

#include "platform/fake/ui/ui_fake_state.h"

namespace platform::fake_ui {

State& state() {
    static State instance;
    return instance;
}

void pushEventLocked(State& s, const Event& event) {
    if (event.kind == EventKind::Resized && !s.events.empty() &&
        s.events.back().kind == EventKind::Resized && s.events.back().window == event.window)
        s.events.back() = event;
    else
        s.events.push_back(event);
    s.eventPosted.notify_all();
}

namespace {

FakeWindow* windowLocked(State& s, int id) {
    auto found = s.windows.find(id);
    return found == s.windows.end() ? nullptr : &found->second;
}

int answerFor(State& s, MessageButtons buttons) {
    if (!s.scriptedAnswers.empty()) {
        int answer = s.scriptedAnswers.front();
        s.scriptedAnswers.pop_front();
        return answer;
    }
    return buttons == MessageButtons::YesNo ? kAnswerYes : kAnswerOk;
}

}  // namespace

void reset() {
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.available = true;
    s.trayAvailable = false;
    s.trayShown = false;
    s.trayTooltip.clear();
    s.menuBarHeight = 20;
    s.toolBarHeight = 26;
    s.statusBarHeight = 20;
    s.windows.clear();
    s.controls.clear();
    s.controlOrder.clear();
    s.menus.clear();
    s.toolBars.clear();
    s.shortcuts.clear();
    s.events.clear();
    s.boxes.clear();
    s.scriptedAnswers.clear();
    s.onceChosen.clear();
    s.tickOnce = false;
    s.lastPopup = 0;
    s.urls.clear();
    s.helpRunning = false;
    s.helpFile.clear();
    s.helpPage.clear();
}

void setUiAvailable(bool available) {
    std::lock_guard lock(state().mutex);
    state().available = available;
}

void setTrayAvailable(bool available) {
    std::lock_guard lock(state().mutex);
    state().trayAvailable = available;
}

void setBarHeights(int menuBar, int toolBar, int statusBar) {
    std::lock_guard lock(state().mutex);
    state().menuBarHeight = menuBar;
    state().toolBarHeight = toolBar;
    state().statusBarHeight = statusBar;
}

bool window(int id, FakeWindow& out) {
    std::lock_guard lock(state().mutex);
    FakeWindow* found = windowLocked(state(), id);
    if (found == nullptr)
        return false;
    out = *found;
    return true;
}

std::vector<int> windowIds() {
    std::lock_guard lock(state().mutex);
    std::vector<int> ids;
    for (const auto& [id, ignored] : state().windows)
        ids.push_back(id);
    return ids;
}

std::string menuTitle(int menu) {
    std::lock_guard lock(state().mutex);
    auto found = state().menus.find(menu);
    return found == state().menus.end() ? std::string() : found->second.title;
}

int menuWindow(int menu) {
    std::lock_guard lock(state().mutex);
    auto found = state().menus.find(menu);
    return found == state().menus.end() ? -1 : found->second.window;
}

std::vector<FakeMenuItem> menuItems(int menu) {
    std::lock_guard lock(state().mutex);
    auto found = state().menus.find(menu);
    return found == state().menus.end() ? std::vector<FakeMenuItem>() : found->second.items;
}

std::vector<FakeToolButton> toolButtons(int window) {
    std::lock_guard lock(state().mutex);
    auto found = state().toolBars.find(window);
    return found == state().toolBars.end() ? std::vector<FakeToolButton>() : found->second;
}

int shortcutEvent(int window, int key, unsigned modifiers) {
    std::lock_guard lock(state().mutex);
    auto table = state().shortcuts.find(window);
    if (table == state().shortcuts.end())
        return -1;
    auto found = table->second.find({key, modifiers});
    return found == table->second.end() ? -1 : found->second;
}

size_t shortcutCount(int window) {
    std::lock_guard lock(state().mutex);
    auto table = state().shortcuts.find(window);
    return table == state().shortcuts.end() ? 0 : table->second.size();
}

int lastPopupMenu() {
    std::lock_guard lock(state().mutex);
    return state().lastPopup;
}

std::vector<FakeMessageBox> messageBoxes() {
    std::lock_guard lock(state().mutex);
    return state().boxes;
}

void scriptAnswers(const std::vector<int>& answers) {
    std::lock_guard lock(state().mutex);
    state().scriptedAnswers.assign(answers.begin(), answers.end());
}

bool onceChosen(const std::string& name) {
    std::lock_guard lock(state().mutex);
    return state().onceChosen.count(name) != 0;
}

void setOnceChosen(const std::string& name, bool chosen) {
    std::lock_guard lock(state().mutex);
    if (chosen)
        state().onceChosen.insert(name);
    else
        state().onceChosen.erase(name);
}

void tickOnceBoxes(bool tick) {
    std::lock_guard lock(state().mutex);
    state().tickOnce = tick;
}

void setPointer(int window, ClientPoint point) {
    std::lock_guard lock(state().mutex);
    if (FakeWindow* found = windowLocked(state(), window))
        found->pointer = point;
}

void setMinimised(int window, bool minimised) {
    std::lock_guard lock(state().mutex);
    if (FakeWindow* found = windowLocked(state(), window))
        found->minimised = minimised;
}

std::vector<std::string> openedUrls() {
    std::lock_guard lock(state().mutex);
    return state().urls;
}

bool helpViewerRunning(std::string& file, std::string& page) {
    std::lock_guard lock(state().mutex);
    file = state().helpFile;
    page = state().helpPage;
    return state().helpRunning;
}

std::string trayTooltip() {
    std::lock_guard lock(state().mutex);
    return state().trayShown ? state().trayTooltip : std::string();
}

size_t pendingEvents() {
    std::lock_guard lock(state().mutex);
    return state().events.size();
}

}  // namespace platform::fake_ui

namespace platform {

using namespace fake_ui;

bool initUi() {
    std::lock_guard lock(state().mutex);
    return state().available;
}

bool uiAvailable() {
    std::lock_guard lock(state().mutex);
    return state().available;
}

void shutdownUi() {
    std::lock_guard lock(state().mutex);
    state().windows.clear();
    state().controls.clear();
    state().controlOrder.clear();
    state().events.clear();
    state().trayShown = false;
}

bool openWindow(int window, Rect inner, const std::string& title, unsigned flags, int owner) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (!s.available || window <= 0 || s.windows.count(window) != 0 || inner.width < 0 ||
        inner.height < 0)
        return false;
    FakeWindow created;
    created.inner = inner;
    created.title = title;
    created.flags = flags;
    created.owner = owner;
    if ((flags & kWindowMinimumSize) != 0) {
        created.minimumWidth = inner.width;
        created.minimumHeight = inner.height;
    }
    s.windows[window] = created;
    return true;
}

void closeWindow(int window) {
    State& s = state();
    std::vector<int> owned;
    {
        std::lock_guard lock(s.mutex);
        for (const auto& [id, w] : s.windows)
            if (w.owner == window && id != window)
                owned.push_back(id);
    }
    for (int id : owned)
        closeWindow(id);
    std::lock_guard lock(s.mutex);
    for (auto it = s.controls.begin(); it != s.controls.end();)
        it = it->second.window == window ? s.controls.erase(it) : std::next(it);
    s.controlOrder.erase(std::remove_if(s.controlOrder.begin(), s.controlOrder.end(),
                                        [&](int id) { return s.controls.count(id) == 0; }),
                         s.controlOrder.end());
    for (auto it = s.menus.begin(); it != s.menus.end();)
        it = it->second.window == window ? s.menus.erase(it) : std::next(it);
    s.toolBars.erase(window);
    s.shortcuts.erase(window);
    s.windows.erase(window);
}

bool windowExists(int window) {
    std::lock_guard lock(state().mutex);
    return state().windows.count(window) != 0;
}

void setWindowTitle(int window, const std::string& title) {
    std::lock_guard lock(state().mutex);
    if (FakeWindow* found = windowLocked(state(), window))
        found->title = title;
}

std::string windowTitle(int window) {
    std::lock_guard lock(state().mutex);
    FakeWindow* found = windowLocked(state(), window);
    return found == nullptr ? std::string() : found->title;
}

void setWindowIcon(int window, const Image* icon) {
    std::lock_guard lock(state().mutex);
    if (FakeWindow* found = windowLocked(state(), window))
        found->hasIcon = icon != nullptr && icon->valid();
}

void showWindow(int window, bool shown) {
    std::lock_guard lock(state().mutex);
    if (FakeWindow* found = windowLocked(state(), window))
        found->shown = shown;
}

void fadeWindow(int window, bool shown, int durationMs) {
    std::lock_guard lock(state().mutex);
    if (FakeWindow* found = windowLocked(state(), window)) {
        found->shown = shown;
        ++found->fades;
        found->lastFadeMs = durationMs;
    }
}

bool windowShown(int window) {
    std::lock_guard lock(state().mutex);
    FakeWindow* found = windowLocked(state(), window);
    return found != nullptr && found->shown;
}

bool windowMinimised(int window) {
    std::lock_guard lock(state().mutex);
    FakeWindow* found = windowLocked(state(), window);
    return found != nullptr && found->minimised;
}

Rect windowGeometry(int window) {
    std::lock_guard lock(state().mutex);
    FakeWindow* found = windowLocked(state(), window);
    return found == nullptr ? Rect{} : found->inner;
}

void setWindowGeometry(int window, Rect inner) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    FakeWindow* found = windowLocked(s, window);
    if (found == nullptr || inner.width < 0 || inner.height < 0)
        return;
    // A window cannot shrink below its minimum, as on a real desktop.
    inner.width = std::max(inner.width, found->minimumWidth);
    inner.height = std::max(inner.height, found->minimumHeight);
    const bool resized = inner.width != found->inner.width || inner.height != found->inner.height;
    found->inner = inner;
    if (resized)
        pushEventLocked(s, Event{EventKind::Resized, window, 0, inner.width, inner.height});
}

ClientPoint pointerPosition(int window) {
    std::lock_guard lock(state().mutex);
    FakeWindow* found = windowLocked(state(), window);
    return found == nullptr || !found->shown ? ClientPoint{} : found->pointer;
}

bool addMenu(int window, int menu, const std::string& title) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (menu <= 0 || s.menus.count(menu) != 0 || (window != 0 && s.windows.count(window) == 0))
        return false;
    s.menus[menu] = FakeMenu{window, title, {}};
    return true;
}

void addMenuItem(int menu, int command, const std::string& text, const Image* image) {
    std::lock_guard lock(state().mutex);
    auto found = state().menus.find(menu);
    if (found != state().menus.end())
        found->second.items.push_back(
            FakeMenuItem{command, text, image != nullptr && image->valid()});
}

void addMenuSeparator(int menu) {
    std::lock_guard lock(state().mutex);
    auto found = state().menus.find(menu);
    if (found != state().menus.end())
        found->second.items.push_back(FakeMenuItem{});
}

std::string menuItemText(int menu, int command) {
    std::lock_guard lock(state().mutex);
    auto found = state().menus.find(menu);
    if (found == state().menus.end() || command == 0)
        return std::string();
    for (const FakeMenuItem& item : found->second.items)
        if (item.command == command)
            return item.text;
    return std::string();
}

int menuBarHeight(int window) {
    std::lock_guard lock(state().mutex);
    for (const auto& [id, menu] : state().menus)
        if (window != 0 && menu.window == window)
            return state().menuBarHeight;
    return 0;
}

void showPopupMenu(int menu) {
    std::lock_guard lock(state().mutex);
    if (state().menus.count(menu) != 0)
        state().lastPopup = menu;
}

void addToolButton(int window, int command, const Image* image, const std::string& tooltip) {
    std::lock_guard lock(state().mutex);
    if (state().windows.count(window) != 0)
        state().toolBars[window].push_back(
            FakeToolButton{command, tooltip, image != nullptr && image->valid()});
}

void addToolSeparator(int window) {
    std::lock_guard lock(state().mutex);
    if (state().windows.count(window) != 0)
        state().toolBars[window].push_back(FakeToolButton{});
}

int toolBarHeight(int window) {
    std::lock_guard lock(state().mutex);
    return state().toolBars.count(window) != 0 ? state().toolBarHeight : 0;
}

bool createStatusBar(int window, const std::vector<int>& fieldWidths) {
    std::lock_guard lock(state().mutex);
    FakeWindow* found = windowLocked(state(), window);
    if (found == nullptr || !found->statusWidths.empty() || fieldWidths.empty())
        return false;
    found->statusWidths = fieldWidths;
    found->statusTexts.assign(fieldWidths.size(), std::string());
    found->statusHasImage.assign(fieldWidths.size(), false);
    return true;
}

void setStatusField(int window, int field, const std::string& text, const Image* image) {
    std::lock_guard lock(state().mutex);
    FakeWindow* found = windowLocked(state(), window);
    if (found == nullptr || field < 0 || field >= static_cast<int>(found->statusTexts.size()))
        return;
    found->statusTexts[static_cast<size_t>(field)] = text;
    found->statusHasImage[static_cast<size_t>(field)] = image != nullptr && image->valid();
}

std::string statusFieldText(int window, int field) {
    std::lock_guard lock(state().mutex);
    FakeWindow* found = windowLocked(state(), window);
    if (found == nullptr || field < 0 || field >= static_cast<int>(found->statusTexts.size()))
        return std::string();
    return found->statusTexts[static_cast<size_t>(field)];
}

int statusBarHeight(int window) {
    std::lock_guard lock(state().mutex);
    FakeWindow* found = windowLocked(state(), window);
    return found == nullptr || found->statusWidths.empty() ? 0 : state().statusBarHeight;
}

void addShortcut(int window, int key, unsigned modifiers, int eventNumber) {
    std::lock_guard lock(state().mutex);
    if (state().windows.count(window) != 0)
        state().shortcuts[window][{key, modifiers & (kModShift | kModControl | kModAlt)}] =
            eventNumber;
}

Event waitEvent(int timeoutMs) {
    State& s = state();
    std::unique_lock lock(s.mutex);
    const int waitMs = timeoutMs < 0 ? kWaitForeverCapMs : timeoutMs;
    s.eventPosted.wait_for(lock, std::chrono::milliseconds(waitMs),
                           [&] { return !s.events.empty(); });
    if (s.events.empty())
        return Event{};
    Event next = s.events.front();
    s.events.pop_front();
    return next;
}

void postEvent(const Event& event) {
    std::lock_guard lock(state().mutex);
    pushEventLocked(state(), event);
}

bool trayAvailable() {
    std::lock_guard lock(state().mutex);
    return state().trayAvailable;
}

void showTrayIcon(const Image*, const std::string& tooltip) {
    std::lock_guard lock(state().mutex);
    if (!state().trayAvailable)
        return;
    state().trayShown = true;
    state().trayTooltip = tooltip;
}

void hideTrayIcon() {
    std::lock_guard lock(state().mutex);
    state().trayShown = false;
}

bool trayIconShown() {
    std::lock_guard lock(state().mutex);
    return state().trayShown;
}

int showMessageBox(int owner, const std::string& title, const std::string& text, MessageIcon icon,
                   MessageButtons buttons) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (!s.available)
        return kAnswerNone;
    int answer = answerFor(s, buttons);
    s.boxes.push_back(FakeMessageBox{owner, title, text, icon, buttons, {}, {}, answer});
    return answer;
}

int showMessageBoxOnce(int owner, const std::string& title, const std::string& text,
                       MessageIcon icon, const std::string& valueName,
                       const std::string& checkText) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (!s.available)
        return kAnswerNone;
    if (!valueName.empty() && s.onceChosen.count(valueName) != 0)
        return kAnswerOk;
    int answer = answerFor(s, MessageButtons::Ok);
    s.boxes.push_back(
        FakeMessageBox{owner, title, text, icon, MessageButtons::Ok, valueName, checkText, answer});
    if (s.tickOnce && !valueName.empty())
        s.onceChosen.insert(valueName);
    return answer;
}

bool openUrl(const std::string& url) {
    std::lock_guard lock(state().mutex);
    if (!state().available)
        return false;
    state().urls.push_back(url);
    return true;
}

bool startHelpViewer(const std::string& file, const std::string& page) {
    std::lock_guard lock(state().mutex);
    if (!state().available)
        return false;
    state().helpRunning = true;
    state().helpFile = file;
    state().helpPage = page;
    return true;
}

void stopHelpViewer() {
    std::lock_guard lock(state().mutex);
    state().helpRunning = false;
}

}  // namespace platform
