#include "server/server_view.h"

#include "server/client_table.h"

namespace korvo {

void showServerStatus(bool) {}
void showClientRowAdded(const ClientSlot&) {}
void showClientRowRemoved(size_t) {}
void showClientRowsCleared() {}
void showServerError(std::string_view) {}

}  // namespace korvo
