#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/wayland/desktop.h"
#include "platform/wayland/frame_store.h"
#include "platform/wayland/gnome_session.h"

namespace platform::wayland {
namespace {

struct Frame {
    std::vector<uint8_t> pixels;
    int width = 0;
    int height = 0;
};

// `latest` is written by PipeWire's thread; `served` belongs to the server thread
// between two captures and is swapped, never copied, when a newer frame is there.
struct Store {
    std::mutex mutex;
    std::condition_variable sizeKnown;
    Frame latest;
    Frame served;
    uint64_t latestSerial = 0;  // 0: no frame of the current stream yet
    uint64_t servedSerial = 0;
    bool live = false;
    Size streamSize;
    bool pointerMoved = false;
};

Store store;

void copyRow(uint8_t* to, const uint8_t* from, int width, PixelOrder order) {
    if (order == PixelOrder::Bgrx) {
        std::memcpy(to, from, static_cast<size_t>(width) * 4);
        return;
    }
    for (int x = 0; x < width; ++x, to += 4, from += 4) {
        to[0] = from[2];
        to[1] = from[1];
        to[2] = from[0];
        to[3] = from[3];
    }
}

}  // namespace

void noteStreamSize(int width, int height) {
    std::lock_guard lock(store.mutex);
    store.streamSize = {width, height};
    store.live = true;
    store.sizeKnown.notify_all();
}

void storeFrame(const uint8_t* pixels, int width, int height, size_t stride, PixelOrder order) {
    std::lock_guard lock(store.mutex);
    Frame& frame = store.latest;
    frame.pixels.resize(static_cast<size_t>(width) * 4 * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        copyRow(frame.pixels.data() + static_cast<size_t>(y) * width * 4,
                pixels + static_cast<size_t>(y) * stride, width, order);
    frame.width = width;
    frame.height = height;
    store.latestSerial = store.servedSerial + 1;
    store.live = true;
}

void noteStreamLost() {
    std::lock_guard lock(store.mutex);
    store.live = false;
    store.latestSerial = 0;
    store.servedSerial = 0;
}

void notePointerMoved() {
    std::lock_guard lock(store.mutex);
    store.pointerMoved = true;
}

bool awaitStreamSize(Size& size, int timeoutMs) {
    std::unique_lock lock(store.mutex);
    store.sizeKnown.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [] { return store.streamSize.width > 0; });
    size = store.streamSize;
    return size.width > 0 && size.height > 0;
}

bool primaryDisplaySize(Size& size) {
    startGnomeSession();
    {
        std::lock_guard lock(store.mutex);
        size = store.streamSize;
        if (size.width > 0 && size.height > 0)
            return true;
    }
    // Only until the first stream has told its size: the session is being set up.
    static bool waited = false;
    if (waited)
        return false;
    waited = true;
    return awaitStreamSize(size, 3000);
}

bool captureDisplay(PixelView& view) {
    startGnomeSession();
    std::lock_guard lock(store.mutex);
    store.pointerMoved = false;
    // Before the stream's first buffer and while it is gone the caller paints black.
    if (!store.live || store.latestSerial == 0)
        return false;
    if (store.latestSerial != store.servedSerial) {
        std::swap(store.latest, store.served);
        store.servedSerial = store.latestSerial;
    }
    Frame& frame = store.served;
    view = {frame.pixels.data(), frame.width, frame.height, static_cast<size_t>(frame.width) * 4};
    return true;
}

bool displayUnchangedSinceCapture() {
    std::lock_guard lock(store.mutex);
    return store.live && store.servedSerial != 0 && store.latestSerial == store.servedSerial &&
           !store.pointerMoved;
}

// The compositor paints the cursor into the frames itself.
bool cursorPosition(Point&) {
    return false;
}

bool currentCursorImage(CursorImage&) {
    return false;
}

}  // namespace platform::wayland
