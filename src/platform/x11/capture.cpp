// Capture of the primary display: XShm where the server shares memory with us, plain
// XGetImage where it cannot (a display on another machine, or no MIT-SHM).
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdint>
#include <vector>

#include "platform/x11/cursor_shape.h"
#include "platform/x11/desktop.h"
#include "platform/x11/display_connection.h"
#include "platform/x11/display_watch.h"
#include "platform/x11/pixel_format.h"
#include "platform/x11/primary_output.h"

namespace platform {
namespace {

// What one thread's captures keep between frames: the image the pixels live in (a
// shared-memory one is set up once and reused while the size stays), and the BGRX copy
// for screens whose pixels are laid out otherwise.
struct CaptureBuffer {
    unsigned generation = 0;
    XImage* image = nullptr;
    bool shared = false;
    XShmSegmentInfo segment{};
    // Set when the server refused shared memory on this connection: not asked again.
    bool sharingRefused = false;
    std::vector<uint8_t> converted;

    ~CaptureBuffer() {
        x11::DisplayLock lock(false);
        release(lock);
    }

    void release(x11::DisplayLock& lock) {
        if (image == nullptr)
            return;
        if (shared) {
            if (lock.display() != nullptr && lock.generation() == generation)
                XShmDetach(lock.display(), &segment);
            shmdt(segment.shmaddr);
            image->data = nullptr;  // not Xlib's to free
            segment = {};
            shared = false;
        }
        XDestroyImage(image);
        image = nullptr;
    }
};

thread_local CaptureBuffer captureBuffer;

bool attachSharedImage(x11::DisplayLock& lock, CaptureBuffer& buffer, int width, int height) {
    Display* display = lock.display();
    int screen = DefaultScreen(display);
    XImage* image = XShmCreateImage(display, DefaultVisual(display, screen),
                                    static_cast<unsigned>(DefaultDepth(display, screen)), ZPixmap,
                                    nullptr, &buffer.segment, static_cast<unsigned>(width),
                                    static_cast<unsigned>(height));
    if (image == nullptr)
        return false;
    size_t bytes = static_cast<size_t>(image->bytes_per_line) * static_cast<size_t>(height);
    // Private to this user: other users must not read the screen through the segment.
    int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    void* address = id < 0 ? reinterpret_cast<void*>(-1) : shmat(id, nullptr, 0);
    if (address == reinterpret_cast<void*>(-1)) {
        if (id >= 0)
            shmctl(id, IPC_RMID, nullptr);
        XDestroyImage(image);
        return false;
    }
    buffer.segment.shmid = id;
    buffer.segment.shmaddr = static_cast<char*>(address);
    buffer.segment.readOnly = False;
    image->data = buffer.segment.shmaddr;

    lock.clearErrors();
    bool attached = XShmAttach(display, &buffer.segment) && !lock.failedSince();
    // Marked for removal now, so the segment goes away with the last detach even if
    // the process dies.
    shmctl(id, IPC_RMID, nullptr);
    if (!attached) {
        shmdt(address);
        image->data = nullptr;
        XDestroyImage(image);
        buffer.segment = {};
        return false;
    }
    buffer.image = image;
    buffer.shared = true;
    return true;
}

bool sharedMemoryOffered(Display* display) {
    int major = 0;
    int minor = 0;
    Bool pixmaps = False;
    return XShmQueryExtension(display) && XShmQueryVersion(display, &major, &minor, &pixmaps);
}

// Reads the rectangle into the buffer's image. The shared image is refilled in place;
// the fallback makes a new image each time.
bool readScreen(x11::DisplayLock& lock, CaptureBuffer& buffer, const x11::ScreenRect& rect) {
    Display* display = lock.display();
    Window root = DefaultRootWindow(display);
    bool sizeChanged = buffer.image != nullptr &&
                       (buffer.image->width != rect.width || buffer.image->height != rect.height);
    if (buffer.generation != lock.generation()) {
        buffer.release(lock);
        buffer.generation = lock.generation();
        buffer.sharingRefused = false;
    } else if (sizeChanged || (buffer.image != nullptr && !buffer.shared)) {
        buffer.release(lock);
    }

    if (buffer.image == nullptr && !buffer.sharingRefused) {
        if (!sharedMemoryOffered(display) ||
            !attachSharedImage(lock, buffer, rect.width, rect.height))
            buffer.sharingRefused = true;
    }
    if (buffer.shared)
        return XShmGetImage(display, root, buffer.image, rect.x, rect.y, AllPlanes) && !lock.lost();

    buffer.image = XGetImage(display, root, rect.x, rect.y, static_cast<unsigned>(rect.width),
                             static_cast<unsigned>(rect.height), AllPlanes, ZPixmap);
    return buffer.image != nullptr && !lock.lost();
}

}  // namespace

namespace x11 {

bool primaryDisplaySize(Size& size) {
    x11::DisplayLock lock;
    if (lock.display() == nullptr)
        return false;
    x11::takeDisplayReports(lock);
    x11::ScreenRect rect;
    if (!x11::primaryOutputRectAsReported(lock, rect) || lock.lost())
        return false;
    size = {rect.width, rect.height};
    return true;
}

bool captureDisplay(PixelView& view) {
    x11::DisplayLock lock;
    Display* display = lock.display();
    if (display == nullptr)
        return false;
    x11::takeDisplayReports(lock);
    x11::ScreenRect rect;
    if (!x11::primaryOutputRectAsReported(lock, rect) || lock.lost())
        return false;
    // Pixel values of other visual classes are colour-map indices: refused rather than
    // handed out as garbage.
    if (!x11::visualIsTrueColor(DefaultVisual(display, DefaultScreen(display))))
        return false;

    CaptureBuffer& buffer = captureBuffer;
    x11::noteCaptureStarts(lock);
    if (!readScreen(lock, buffer, rect))
        return false;
    XImage& image = *buffer.image;
    if (x11::imageIsBgrx(image)) {
        view = {reinterpret_cast<uint8_t*>(image.data), image.width, image.height,
                static_cast<size_t>(image.bytes_per_line)};
        return true;
    }
    if (!x11::convertToBgrx(image, buffer.converted))
        return false;
    view = {buffer.converted.data(), image.width, image.height,
            static_cast<size_t>(image.width) * 4};
    return true;
}

bool displayUnchangedSinceCapture() {
    x11::DisplayLock lock;
    if (lock.display() == nullptr)
        return false;
    x11::takeDisplayReports(lock);
    bool unchanged = x11::nothingDrawnSinceCapture(lock) && x11::cursorShapeUnchanged(lock);
    return unchanged && !lock.lost();
}

}  // namespace x11
}  // namespace platform
