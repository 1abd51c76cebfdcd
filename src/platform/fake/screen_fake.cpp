// The scripted screen.
#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/fake/fake_host.h"
#include "platform/screen.h"

namespace platform {
namespace fake {
namespace {

std::mutex screenLock;
ScreenScript script;
int captures = 0;
// What the last capture handed out; the caller may paint into it.
std::vector<uint8_t> capturedPixels;

}  // namespace

void scriptScreen(const ScreenScript& replacement) {
    std::lock_guard<std::mutex> guard(screenLock);
    script = replacement;
    captures = 0;
}

ScreenScript screenScript() {
    std::lock_guard<std::mutex> guard(screenLock);
    return script;
}

ScreenScript desktopScript(int width, int height, std::vector<uint8_t> picture) {
    ScreenScript result;
    result.displaySize = {width, height};
    result.pictureWidth = width;
    result.pictureHeight = height;
    if (picture.empty())
        picture.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 0);
    result.picture = std::move(picture);
    result.cursorImage.width = 1;
    result.cursorImage.height = 1;
    result.cursorImage.argb = {0xFFFFFFFFu};
    return result;
}

int captureCount() {
    std::lock_guard<std::mutex> guard(screenLock);
    return captures;
}

void moveFakeCursor(int x, int y) {
    std::lock_guard<std::mutex> guard(screenLock);
    script.cursor.x = std::clamp(x, 0, std::max(0, script.displaySize.width - 1));
    script.cursor.y = std::clamp(y, 0, std::max(0, script.displaySize.height - 1));
}

}  // namespace fake

void startSharingDisplay(const std::string&) {}

bool displayReachable() {
    std::lock_guard<std::mutex> guard(fake::screenLock);
    return fake::script.displayPresent;
}

bool primaryDisplaySize(Size& size) {
    std::lock_guard<std::mutex> guard(fake::screenLock);
    if (!fake::script.displayPresent)
        return false;
    size = fake::script.displaySize;
    return true;
}

bool captureDisplay(PixelView& view) {
    int stallMs;
    {
        std::lock_guard<std::mutex> guard(fake::screenLock);
        ++fake::captures;
        stallMs = fake::script.captureStallMs;
    }
    if (stallMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(stallMs));
    std::lock_guard<std::mutex> guard(fake::screenLock);
    const fake::ScreenScript& s = fake::script;
    size_t bytes = static_cast<size_t>(std::max(0, s.pictureWidth)) *
                   static_cast<size_t>(std::max(0, s.pictureHeight)) * 4;
    if (!s.captureWorks || bytes == 0 || s.picture.size() < bytes)
        return false;
    fake::capturedPixels.assign(s.picture.begin(), s.picture.begin() + static_cast<long>(bytes));
    view = {fake::capturedPixels.data(), s.pictureWidth, s.pictureHeight,
            static_cast<size_t>(s.pictureWidth) * 4};
    return true;
}

bool displayUnchangedSinceCapture() {
    std::lock_guard<std::mutex> guard(fake::screenLock);
    return fake::script.reportsUnchanged && fake::captures > 0;
}

bool cursorPosition(Point& point) {
    std::lock_guard<std::mutex> guard(fake::screenLock);
    if (!fake::script.cursorPositionWorks)
        return false;
    point = fake::script.cursor;
    return true;
}

bool currentCursorImage(CursorImage& image) {
    std::lock_guard<std::mutex> guard(fake::screenLock);
    if (!fake::script.cursorImageWorks)
        return false;
    image = fake::script.cursorImage;
    return true;
}

}  // namespace platform
