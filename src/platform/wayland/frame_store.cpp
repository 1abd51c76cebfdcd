#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/wayland/desktop.h"
#include "platform/wayland/frame_store.h"
#include "platform/wayland/gnome_session.h"
#include "platform/wayland/pipewire_frames.h"
#include "platform/wayland/portal_session.h"
#include "platform/wayland/route.h"

namespace platform::wayland {
namespace {

// How long the first frame request waits for the session to tell the monitor's size.
constexpr int kFirstSizeWaitMs = 3000;
constexpr Size kStandInSize{1024, 768};

std::mutex sizeMutex;
std::condition_variable sizeKnown;
Size streamSize;  // the last stream's; kept while the compositor is away

// Counts the buffers PipeWire brought; never goes back, so that a new stream's first
// frame differs from whatever was served before.
std::atomic<uint64_t> newestFrame{0};
std::atomic<bool> streamHasFrame{false};
std::atomic<bool> pointerMoved{false};

// The server thread's own: the frame handed out last and its number.
std::vector<uint8_t> served;
int servedWidth = 0;
int servedHeight = 0;
uint64_t servedFrame = 0;

}  // namespace

void noteStreamSize(int width, int height) {
    std::lock_guard lock(sizeMutex);
    streamSize = {width, height};
    sizeKnown.notify_all();
}

void noteNewFrame() {
    newestFrame.fetch_add(1);
    streamHasFrame = true;
}

void noteStreamLost() {
    streamHasFrame = false;
}

void notePointerMoved() {
    pointerMoved = true;
}

void startSharingDisplay(const std::string& programFilesFolder) {
    if (onPortal())
        startPortalSession(programFilesFolder);
    else
        startGnomeSession();
}

// Without a session (the client role) there is no size to be had: the compositor tells
// it only to a screen cast.
bool primaryDisplaySize(Size& size) {
    std::unique_lock lock(sizeMutex);
    bool sharing = gnomeSessionStarted() || portalSessionStarted();
    // Only until GNOME's first stream has told its size: the session is being set up. The
    // portal's waits for a person to answer its dialog; no frame waits for that.
    static bool waited = false;
    if (!waited && gnomeSessionStarted()) {
        waited = true;
        sizeKnown.wait_for(lock, std::chrono::milliseconds(kFirstSizeWaitMs),
                           [] { return streamSize.width > 0; });
    }
    size = streamSize;
    // No stream has come (a consent dialog not answered, or refused): the frames are black
    // ones of a stand-in size, so that a client keeps getting frames.
    if (sharing && size.width <= 0)
        size = kStandInSize;
    return size.width > 0 && size.height > 0;
}

bool captureDisplay(PixelView& view) {
    pointerMoved = false;
    // Before the stream's first buffer and while it is gone the caller paints black.
    if (!streamHasFrame)
        return false;
    uint64_t newest = newestFrame.load();
    if (newest != servedFrame) {
        if (!copyNewestFrame(served, servedWidth, servedHeight))
            return false;
        servedFrame = newest;
    }
    view = {served.data(), servedWidth, servedHeight, static_cast<size_t>(servedWidth) * 4};
    return true;
}

bool displayUnchangedSinceCapture() {
    return streamHasFrame && servedFrame != 0 && newestFrame.load() == servedFrame && !pointerMoved;
}

// The compositor paints the cursor into the frames itself.
bool cursorPosition(Point&) {
    return false;
}

bool currentCursorImage(CursorImage&) {
    return false;
}

}  // namespace platform::wayland
