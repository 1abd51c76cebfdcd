#include "viewer/frame_view.h"

#include <mutex>

#include "platform/threads.h"
#include "state/main_window_ids.h"
#include "state/process_state.h"

namespace korvo {

namespace {

std::mutex frameMutex;
platform::Image shownImage;
platform::Image heldCopy;

platform::Rect viewGeometry() {
    return platform::controlGeometry(mainControl::kView);
}

// The window is sized once per run; the view then matches the frame.
bool fitMainWindow(const platform::Image& frame) {
    platform::Size desktop;
    platform::primaryDisplaySize(desktop);
    const platform::Rect window = platform::windowGeometry(kMainWindowId);
    platform::setWindowGeometry(
        kMainWindowId, fittedWindow(window, viewGeometry(), frame.width, frame.height, desktop));
    return platform::sleepUnlessStopped(shortTickMs);
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

bool presentFrame(ClientRun& run, const platform::Image& candidate, bool fromFile,
                  uint32_t frameCrc) {
    {
        std::lock_guard lock(frameMutex);
        shownImage = platform::Image{};
    }
    if (!run.windowFitted) {
        if (!fitMainWindow(candidate))
            return false;
        run.windowFitted = true;
    }
    const platform::Rect view = viewGeometry();
    platform::Image scaled = platform::scaleImage(candidate, view.width, view.height);
    std::lock_guard lock(frameMutex);
    shownImage = std::move(scaled);
    if (fromFile) {
        platform::showImage(mainControl::kView, &shownImage);
    } else if (frameCrc != run.lastShownCrc) {
        platform::showImage(mainControl::kView, &shownImage);
        heldCopy = shownImage;
        run.lastShownCrc = frameCrc;
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
