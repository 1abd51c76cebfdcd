#include "dialogs/dialog_window.h"

#include <vector>

#include "dialogs/dialog_ids.h"
#include "state/main_window_ids.h"
#include "state/window_shown.h"

namespace korvo {
namespace {

constexpr int kEnterKey = 0x0D;
constexpr int kEscapeKey = 0x1B;

// Events of other windows that arrived while a dialog was open; GUI thread only.
std::vector<platform::Event> heldEvents;

}  // namespace

bool openDialogWindow(int dialog, int width, int height, const std::string& title) {
    const unsigned flags =
        platform::kWindowToolWindow | platform::kWindowCentred | platform::kWindowModal;
    return platform::openWindow(dialog, platform::Rect{0, 0, width, height}, title, flags,
                                mainWindow.load());
}

void installDialogKeys(int dialog) {
    platform::addShortcut(dialog, kEscapeKey, 0, kEscapeEvent);
    platform::addShortcut(dialog, kEnterKey, 0, kEnterEvent);
}

void addDialogControl(int dialog, int control, platform::ControlKind kind, platform::Rect geometry,
                      const std::string& text, int parent) {
    platform::createControl(dialog, control, kind, geometry, text, parent);
}

DialogEvent nextDialogEvent(int dialog, int okButton) {
    using platform::EventKind;
    for (;;) {
        const platform::Event event = platform::waitEvent();
        if (event.kind == EventKind::None)
            continue;
        if (event.window != dialog) {
            heldEvents.push_back(event);
            continue;
        }
        switch (event.kind) {
            case EventKind::Shortcut:
                if (event.data == kEnterEvent)
                    return {DialogAction::Confirm, 0};
                if (event.data == kEscapeEvent)
                    return {DialogAction::Cancel, 0};
                break;
            case EventKind::CloseRequested:
                return {DialogAction::Cancel, 0};
            case EventKind::Command:
                if (event.id == okButton)
                    return {DialogAction::Confirm, okButton};
                return {DialogAction::Click, event.id};
            default:
                break;
        }
    }
}

void endDialog(int dialog) {
    setWindowShown(dialog, 1, 1);
    platform::closeWindow(dialog);
    // Keys and clicks that reached the dialog while it faded out go with it.
    for (platform::Event late = platform::waitEvent(0); late.kind != platform::EventKind::None;
         late = platform::waitEvent(0)) {
        if (late.window != dialog)
            heldEvents.push_back(late);
    }
    std::vector<platform::Event> waiting;
    waiting.swap(heldEvents);
    for (const platform::Event& event : waiting)
        platform::postEvent(event);
}

void selectComboItem(int combo, const std::string& text) {
    const int item = platform::findComboItem(combo, text);
    if (item >= 0)
        platform::setControlState(combo, item);
}

}  // namespace korvo
