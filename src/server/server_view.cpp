#include "server/server_view.h"

#include <string>

#include "platform/ui.h"
#include "server/client_table.h"
#include "state/main_window_ids.h"
#include "state/message_box.h"
#include "texts/texts.h"

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
    showMessage(mainWindow.load(), texts.error, std::string(text), platform::MessageIcon::Error);
}

}  // namespace korvo
