#include "app/messages.h"

#include "app/pictures.h"
#include "state/process_state.h"
#include "texts/texts.h"

namespace korvo {

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
