// Headless windows, bars, menus, shortcuts, the event queue, the tray, message boxes
// and desktop services.
#include <algorithm>
#include <memory>

#include "platform/fake/ui/ui_fake_state.h"

namespace platform::fake_ui {

State& state() {
    static State instance;
    return instance;
}

ui_model::ImageHandle pictureOf(const Image* image) {
    if (image == nullptr || !image->valid())
        return nullptr;
    return std::make_shared<const Image>(*image);
}

namespace {

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
    s.clear();
    s.available = true;
    s.trayAvailable = false;
    s.trayTooltip.clear();
    s.menuBarHeight = 20;
    s.toolBarHeight = 26;
    s.statusBarHeight = 20;
    s.windowExtras.clear();
    s.controlExtras.clear();
    s.controlOrder.clear();
    s.toolBars.clear();
    s.shortcuts.clear();
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
    State& s = state();
    std::lock_guard lock(s.mutex);
    const ui_model::WindowRecord* found = s.window(id);
    if (found == nullptr)
        return false;
    out = FakeWindow{};
    static_cast<ui_model::WindowRecord&>(out) = *found;
    static_cast<FakeWindowExtra&>(out) = s.windowExtras[id];
    for (const ui_model::StatusField& field : found->statusFields) {
        out.statusTexts.push_back(field.text);
        out.statusHasImage.push_back(field.image != nullptr);
    }
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
    const ui_model::MenuRecord* found = state().menu(menu);
    return found == nullptr ? std::string() : found->title;
}

int menuWindow(int menu) {
    std::lock_guard lock(state().mutex);
    const ui_model::MenuRecord* found = state().menu(menu);
    return found == nullptr ? -1 : found->window;
}

std::vector<FakeMenuItem> menuItems(int menu) {
    std::lock_guard lock(state().mutex);
    const ui_model::MenuRecord* found = state().menu(menu);
    return found == nullptr ? std::vector<FakeMenuItem>() : found->items;
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
    if (ui_model::WindowRecord* found = state().window(window))
        found->pointer = point;
}

void setMinimised(int window, bool minimised) {
    std::lock_guard lock(state().mutex);
    if (ui_model::WindowRecord* found = state().window(window))
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
    state().clear();
    state().windowExtras.clear();
    state().controlExtras.clear();
    state().controlOrder.clear();
}

bool openWindow(int window, Rect inner, const std::string& title, unsigned flags, int owner) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (!s.available || window <= 0 || s.windows.count(window) != 0 || inner.width < 0 ||
        inner.height < 0)
        return false;
    s.addWindow(window, inner, title, flags, owner);
    FakeWindowExtra& extra = s.windowExtras[window];
    extra = FakeWindowExtra{};
    if ((flags & kWindowMinimumSize) != 0) {
        extra.minimumWidth = inner.width;
        extra.minimumHeight = inner.height;
    }
    return true;
}

void closeWindow(int window) {
    State& s = state();
    std::vector<int> owned;
    {
        std::lock_guard lock(s.mutex);
        owned = s.ownedWindows(window);
    }
    for (int id : owned)
        closeWindow(id);
    std::lock_guard lock(s.mutex);
    for (int control : s.removeWindow(window))
        s.controlExtras.erase(control);
    s.controlOrder.erase(std::remove_if(s.controlOrder.begin(), s.controlOrder.end(),
                                        [&](int id) { return s.controls.count(id) == 0; }),
                         s.controlOrder.end());
    s.toolBars.erase(window);
    s.shortcuts.erase(window);
    s.windowExtras.erase(window);
}

bool windowExists(int window) {
    std::lock_guard lock(state().mutex);
    return state().windows.count(window) != 0;
}

void setWindowTitle(int window, const std::string& title) {
    std::lock_guard lock(state().mutex);
    if (ui_model::WindowRecord* found = state().window(window))
        found->title = title;
}

std::string windowTitle(int window) {
    std::lock_guard lock(state().mutex);
    const ui_model::WindowRecord* found = state().window(window);
    return found == nullptr ? std::string() : found->title;
}

void setWindowIcon(int window, const Image* icon) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (s.windows.count(window) != 0)
        s.windowExtras[window].hasIcon = icon != nullptr && icon->valid();
}

void showWindow(int window, bool shown) {
    std::lock_guard lock(state().mutex);
    if (ui_model::WindowRecord* found = state().window(window))
        found->shown = shown;
}

void fadeWindow(int window, bool shown, int durationMs) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (ui_model::WindowRecord* found = s.window(window)) {
        found->shown = shown;
        FakeWindowExtra& extra = s.windowExtras[window];
        ++extra.fades;
        extra.lastFadeMs = durationMs;
    }
}

bool windowShown(int window) {
    std::lock_guard lock(state().mutex);
    const ui_model::WindowRecord* found = state().window(window);
    return found != nullptr && found->shown;
}

bool windowMinimised(int window) {
    std::lock_guard lock(state().mutex);
    const ui_model::WindowRecord* found = state().window(window);
    return found != nullptr && found->minimised;
}

Rect windowGeometry(int window) {
    std::lock_guard lock(state().mutex);
    const ui_model::WindowRecord* found = state().window(window);
    return found == nullptr ? Rect{} : found->inner;
}

void setWindowGeometry(int window, Rect inner) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    ui_model::WindowRecord* found = s.window(window);
    if (found == nullptr || inner.width < 0 || inner.height < 0)
        return;
    // A window cannot shrink below its minimum, as on a real desktop.
    const FakeWindowExtra& extra = s.windowExtras[window];
    inner.width = std::max(inner.width, extra.minimumWidth);
    inner.height = std::max(inner.height, extra.minimumHeight);
    const bool resized = inner.width != found->inner.width || inner.height != found->inner.height;
    found->inner = inner;
    if (resized)
        s.events.push(Event{EventKind::Resized, window, 0, inner.width, inner.height});
}

ClientPoint pointerPosition(int window) {
    std::lock_guard lock(state().mutex);
    const ui_model::WindowRecord* found = state().window(window);
    return found == nullptr || !found->shown ? ClientPoint{} : found->pointer;
}

bool addMenu(int window, int menu, const std::string& title) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (!s.addMenu(window, menu, title))
        return false;
    if (ui_model::WindowRecord* owner = s.window(window))
        owner->menuBarHeight = s.menuBarHeight;
    return true;
}

void addMenuItem(int menu, int command, const std::string& text, const Image* image) {
    std::lock_guard lock(state().mutex);
    state().addMenuItem(menu, FakeMenuItem{command, text, image != nullptr && image->valid()});
}

void addMenuSeparator(int menu) {
    std::lock_guard lock(state().mutex);
    state().addMenuItem(menu, FakeMenuItem{});
}

std::string menuItemText(int menu, int command) {
    std::lock_guard lock(state().mutex);
    return state().menuItemText(menu, command);
}

int menuBarHeight(int window) {
    std::lock_guard lock(state().mutex);
    const ui_model::WindowRecord* found = state().window(window);
    return found == nullptr ? 0 : found->menuBarHeight;
}

void showPopupMenu(int menu) {
    std::lock_guard lock(state().mutex);
    if (state().menu(menu) != nullptr)
        state().lastPopup = menu;
}

namespace {

void addToToolBar(int window, const FakeToolButton& button) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    ui_model::WindowRecord* found = s.window(window);
    if (found == nullptr)
        return;
    s.toolBars[window].push_back(button);
    found->toolBarHeight = s.toolBarHeight;
}

}  // namespace

void addToolButton(int window, int command, const Image* image, const std::string& tooltip) {
    addToToolBar(window, FakeToolButton{command, tooltip, image != nullptr && image->valid()});
}

void addToolSeparator(int window) {
    addToToolBar(window, FakeToolButton{});
}

int toolBarHeight(int window) {
    std::lock_guard lock(state().mutex);
    const ui_model::WindowRecord* found = state().window(window);
    return found == nullptr ? 0 : found->toolBarHeight;
}

bool createStatusBar(int window, const std::vector<int>& fieldWidths) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    ui_model::WindowRecord* found = s.window(window);
    if (found == nullptr || !found->statusWidths.empty() || fieldWidths.empty())
        return false;
    s.addStatusBar(window, fieldWidths);
    found->statusBarHeight = s.statusBarHeight;
    return true;
}

void setStatusField(int window, int field, const std::string& text, const Image* image) {
    std::lock_guard lock(state().mutex);
    state().setStatusField(window, field, text, pictureOf(image));
}

std::string statusFieldText(int window, int field) {
    std::lock_guard lock(state().mutex);
    return state().statusFieldText(window, field);
}

int statusBarHeight(int window) {
    std::lock_guard lock(state().mutex);
    const ui_model::WindowRecord* found = state().window(window);
    return found == nullptr ? 0 : found->statusBarHeight;
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
    return s.events.pop(lock, timeoutMs < 0 ? kWaitForeverCapMs : timeoutMs);
}

void postEvent(const Event& event) {
    std::lock_guard lock(state().mutex);
    state().events.push(event);
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
