#include "dialogs/settings_window.h"

#include "dialogs/dialog_ids.h"
#include "dialogs/dialog_window.h"
#include "dialogs/settings_window_parts.h"
#include "platform/ui.h"
#include "state/window_shown.h"

namespace korvo {

bool SettingsWindow(int initialPage) {
    using namespace settingsControl;
    if (!buildSettingsWindow())
        return false;
    fillSettingsWindow();
    platform::setControlState(kPages, initialPage);
    installDialogKeys(kSettingsWindowId);
    setWindowShown(kSettingsWindowId, 0, 0);
    for (;;) {
        const DialogEvent event = nextDialogEvent(kSettingsWindowId, kOk);
        if (event.action == DialogAction::Confirm) {
            saveSettingsWindow();
            endDialog(kSettingsWindowId);
            return true;
        }
        if (event.action == DialogAction::Cancel) {
            endDialog(kSettingsWindowId);
            return false;
        }
        if (event.control == kClientLimit)
            platform::setControlEnabled(kClientCount, platform::controlState(kClientLimit) == 1);
        else if (event.control == kReset)
            resetSettingsWindow();
    }
}

}  // namespace korvo
