// What the client's threads and the GUI thread share about the frame being taken in.
#pragma once

#include <atomic>

namespace korvo {

// 1 while the client thread takes a new frame in (from the end of the frame wait until
// the pointer has been sampled); keys typed meanwhile are ignored.
extern std::atomic<int> showingFrame;

}  // namespace korvo
