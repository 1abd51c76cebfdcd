#include "viewer/viewer_state.h"

namespace korvo {

std::atomic<int> showingFrame{0};

}  // namespace korvo
