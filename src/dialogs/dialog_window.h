// What the settings window and the connect dialog share: a fixed tool window over the
// main window, Escape and Enter for the whole window, their own wait for events while
// the main window's wait, and the way they end.
#pragma once

#include <string>

#include "platform/ui.h"

namespace korvo {

// Creates the dialog hidden: a fixed-size tool window with a client area of this size,
// owned by the main window, centred over it and modal to it. False when it cannot be
// created.
bool openDialogWindow(int dialog, int width, int height, const std::string& title);

// Escape cancels and Enter confirms, whatever control of the dialog has the focus.
void installDialogKeys(int dialog);

// A control created visible and enabled; the caller ignores a failure, as a missing
// control only reads back empty.
void addDialogControl(int dialog, int control, platform::ControlKind kind, platform::Rect geometry,
                      const std::string& text, int parent = 0);

enum class DialogAction {
    Confirm,  // Enter, or a click on the dialog's OK button
    Cancel,   // Escape, or the close box
    Click,    // any other button or check box of the dialog
};

struct DialogEvent {
    DialogAction action = DialogAction::Cancel;
    int control = 0;  // for Click
};

// Waits for the next action on the dialog. Events of other windows wait meanwhile: the
// main window handles none of its commands while a dialog is open, and gets them back
// when the dialog ends.
DialogEvent nextDialogEvent(int dialog, int okButton);

// Hides the dialog with the fade, destroys it and hands the events that waited back to
// the main window's loop; what still came for the dialog is dropped.
void endDialog(int dialog);

// Selects the first item whose text equals `text` ignoring letter case; when none does,
// the selection stays as it was.
void selectComboItem(int combo, const std::string& text);

}  // namespace korvo
