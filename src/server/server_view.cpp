#include "server/server_view.h"

#include <string>

#include "app/state/main_window_ids.h"
#include "app/texts/texts.h"
#include "platform/ui.h"
#include "server/client_table.h"
#include "settings/settings.h"

namespace korvo {

void showServerStatus(bool online) {
    std::string text(online ? fixedText::kServerOnline : fixedText::kServerOffline);
    platform::setStatusField(kMainWindowId, statusField::kServerStatus, text, nullptr);
}

void showClientRowAdded(const ClientSlot& slot) {
    platform::addListRow(mainControl::kClientsList,
                         {slot.number, slot.clientIp, slot.connectedSince}, slot.connection);
}

void showClientRowRemoved(size_t row) {
    platform::removeListRow(mainControl::kClientsList, static_cast<int>(row));
}

void showClientRowsCleared() {
    platform::clearList(mainControl::kClientsList);
}

void showServerError(std::string_view text) {
    // As every box of the program, silenced by "Suppress message boxes".
    if (settings.suppressMessages == 1)
        return;
    platform::showMessageBox(mainWindow.load(), texts.error, std::string(text),
                             platform::MessageIcon::Error, platform::MessageButtons::Ok);
}

}  // namespace korvo
