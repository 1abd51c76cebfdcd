#include "state/message_box.h"

#include "settings/settings.h"

namespace korvo {

int showMessage(int owner, const std::string& title, const std::string& text,
                platform::MessageIcon icon) {
    if (settings.suppressMessages == 1)
        return 0;
    return platform::showMessageBox(owner, title, text, icon, platform::MessageButtons::Ok);
}

}  // namespace korvo
