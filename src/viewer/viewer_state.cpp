#include "viewer/viewer_state.h"

namespace korvo {

std::atomic<int> showingFrame{0};
std::atomic<int> clientWaiting{0};
std::atomic<uint32_t> reportedFrameCrc{0};
std::atomic<uint32_t> checksumReplies{0};

}  // namespace korvo
