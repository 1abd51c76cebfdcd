#include "viewer/frame_view.h"

#include <mutex>
#include <utility>

#include "platform/threads.h"
#include "state/main_window_ids.h"
#include "state/process_state.h"

namespace korvo {

namespace {

std::mutex frameMutex;
platform::Image shownImage;
platform::Image heldCopy;
// The frame shownImage was made from.
uint32_t shownCrc = 0;
size_t shownLength = 0;

platform::Rect viewGeometry() {
    return platform::controlGeometry(mainControl::kView);
}

// The window is sized once per run; the view then matches the frame.
bool fitMainWindow(platform::Size frame) {
    platform::Size desktop;
    platform::primaryDisplaySize(desktop);
    const platform::Rect window = platform::windowGeometry(kMainWindowId);
    platform::setWindowGeometry(
        kMainWindowId, fittedWindow(window, viewGeometry(), frame.width, frame.height, desktop));
    return platform::sleepUnlessStopped(shortTickMs);
}

// The decoded picture becomes shownImage: as it is when it has the view's size (the old
// shownImage's memory then serves the next decode), else scaled to the view.
void takeIntoView(platform::Image& candidate, const ReceivedFrame& frame) {
    const platform::Rect view = viewGeometry();
    const bool fits = candidate.width == view.width && candidate.height == view.height;
    platform::Image scaled;
    if (!fits)
        scaled = platform::scaleImage(candidate, view.width, view.height);
    std::lock_guard lock(frameMutex);
    if (fits)
        std::swap(shownImage, candidate);
    else
        shownImage = std::move(scaled);
    shownCrc = frame.crc;
    shownLength = frame.length;
}

}  // namespace

platform::Rect fittedWindow(platform::Rect window, platform::Rect view, int frameWidth,
                            int frameHeight, platform::Size desktop) {
    // Without a desktop size there is nothing to fit into.
    if (desktop.width > 0 && desktop.height > 0) {
        while (!(desktop.width > frameWidth && desktop.height > frameHeight) && frameWidth > 0 &&
               frameHeight > 0) {
            frameWidth /= 2;
            frameHeight /= 2;
        }
    }
    const int growWidth = frameWidth - view.width;
    const int growHeight = frameHeight - view.height;
    return {window.x - growWidth / 2, window.y - growHeight / 2, window.width + growWidth,
            window.height + growHeight};
}

platform::Size frameCover(const ClientRun& run) {
    if (!run.windowFitted) {
        platform::Size desktop;
        platform::primaryDisplaySize(desktop);
        return desktop;
    }
    const platform::Rect view = viewGeometry();
    return {view.width, view.height};
}

bool frameOnShow(uint32_t crc, size_t length) {
    const platform::Rect view = viewGeometry();
    std::lock_guard lock(frameMutex);
    return shownImage.valid() && shownCrc == crc && shownLength == length &&
           shownImage.width == view.width && shownImage.height == view.height;
}

bool presentFrame(ClientRun& run, const ReceivedFrame& frame) {
    if (!run.windowFitted) {
        if (!fitMainWindow(frame.announced))
            return false;
        run.windowFitted = true;
    }
    if (!frame.unchanged)
        takeIntoView(run.candidate, frame);
    std::lock_guard lock(frameMutex);
    if (frame.fromFile) {
        platform::showImage(mainControl::kView, &shownImage);
    } else if (frame.crc != run.lastShownCrc) {
        platform::showImage(mainControl::kView, &shownImage);
        heldCopy = shownImage;
        run.lastShownCrc = frame.crc;
    }
    return true;
}

bool heldCopyLive() {
    std::lock_guard lock(frameMutex);
    return heldCopy.valid();
}

void showHeldCopy() {
    std::lock_guard lock(frameMutex);
    if (heldCopy.valid())
        platform::showImage(mainControl::kView, &heldCopy);
}

void freeHeldCopy() {
    std::lock_guard lock(frameMutex);
    heldCopy = platform::Image{};
}

void freeShownImage() {
    std::lock_guard lock(frameMutex);
    shownImage = platform::Image{};
    shownLength = 0;
}

void clearView() {
    platform::showImage(mainControl::kView, nullptr);
}

void rescaleShownImage() {
    // Under the lock, so that a newer frame the client thread shows meanwhile stays on top.
    std::lock_guard lock(frameMutex);
    if (!shownImage.valid())
        return;
    const platform::Rect view = viewGeometry();
    const platform::Image scaled = platform::scaleImage(shownImage, view.width, view.height);
    if (scaled.valid())
        platform::showImage(mainControl::kView, &scaled);
}

}  // namespace korvo
