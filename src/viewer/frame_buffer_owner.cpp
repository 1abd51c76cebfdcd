#include "viewer/frame_buffer_owner.h"

#include <cstring>
#include <mutex>

#include "state/process_state.h"

namespace korvo {

namespace {

// Held for a flag change or one copy of at most a chunk, never across a wait.
std::mutex ownerLock;
bool lent = false;

}  // namespace

void lendFrameBuffer() {
    std::lock_guard lock(ownerLock);
    lent = true;
}

void takeFrameBufferBack() {
    std::lock_guard lock(ownerLock);
    lent = false;
}

bool frameBufferLent() {
    std::lock_guard lock(ownerLock);
    return lent;
}

bool writeFrameBuffer(size_t offset, const uint8_t* bytes, size_t count) {
    std::lock_guard lock(ownerLock);
    if (!lent || offset > kFrameBufferSize || count > kFrameBufferSize - offset)
        return false;
    std::memcpy(frameBuffer + offset, bytes, count);
    return true;
}

}  // namespace korvo
