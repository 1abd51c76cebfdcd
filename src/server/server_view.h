// What the server shows on the main window: the status field and the clients list.
// The only place where the server reaches the window.
#pragma once

#include <cstddef>
#include <string_view>

namespace korvo {

struct ClientSlot;

void showServerStatus(bool online);
void showClientRowAdded(const ClientSlot& slot);
void showClientRowRemoved(size_t row);
void showClientRowsCleared();
// An error message box (title "Error", error icon) over the main window.
void showServerError(std::string_view text);

}  // namespace korvo
