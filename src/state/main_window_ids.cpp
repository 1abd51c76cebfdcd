#include "state/main_window_ids.h"

namespace korvo {

std::atomic<int> mainWindow{0};

}  // namespace korvo
