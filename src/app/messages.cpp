#include "app/messages.h"

#include "app/pictures.h"
#include "texts/texts.h"

namespace korvo {

void showAlreadyRunning() {
    platform::showMessageBox(0, "", texts.alreadyRunning, platform::MessageIcon::None,
                             platform::MessageButtons::Ok);
}

void putIconIntoTray() {
    platform::showTrayIcon(&applicationIcon, std::string(fixedText::kProductTitle));
}

void removeIconFromTray() {
    platform::hideTrayIcon();
}

}  // namespace korvo
