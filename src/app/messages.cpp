#include "app/messages.h"

#include "app/pictures.h"
#include "app/texts/texts.h"
#include "protocol/process_state.h"
#include "settings/settings.h"

namespace korvo {

int showMessage(int owner, const std::string& title, const std::string& text,
                platform::MessageIcon icon) {
    if (settings.suppressMessages == 1)
        return 0;
    return platform::showMessageBox(owner, title, text, icon, platform::MessageButtons::Ok);
}

void showAlreadyRunning() {
    platform::showMessageBox(0, "", texts.alreadyRunning, platform::MessageIcon::None,
                             platform::MessageButtons::Ok);
}

int setWindowShown(int window, int hide, int fade) {
    const bool shown = hide != 1;
    if (fade == 1)
        platform::fadeWindow(window, shown, fadeMs);
    else
        platform::showWindow(window, shown);
    return 1;
}

void putIconIntoTray() {
    platform::showTrayIcon(&applicationIcon, std::string(fixedText::kProductTitle));
}

void removeIconFromTray() {
    platform::hideTrayIcon();
}

}  // namespace korvo
