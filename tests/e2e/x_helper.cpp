// What the program's tests need from a bare X server that has no desktop around it:
//   x_helper tray              own the system tray selection until killed, so that the
//                              program finds a tray
//   x_helper wait-window PID   wait (up to 20 s) until PID shows a window; exit 0 then
//   x_helper close PID         ask every window of PID to close (WM_DELETE_WINDOW), the
//                              way a window manager's close button does
//   x_helper count PID         print how many visible windows PID has
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

long windowPid(Display* display, Window window) {
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", True);
    if (pidAtom == None)
        return -1;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                           &count, &after, &data) == Success &&
        data != nullptr && count == 1 && format == 32)
        pid = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
    if (data != nullptr)
        XFree(data);
    return pid;
}

// Visible top-level windows of the process.
std::vector<Window> windowsOf(Display* display, long pid) {
    std::vector<Window> found;
    Window root = DefaultRootWindow(display), parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, root, &root, &parent, &children, &count))
        return found;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display, children[i], &attributes) &&
            attributes.map_state == IsViewable && windowPid(display, children[i]) == pid)
            found.push_back(children[i]);
    }
    if (children != nullptr)
        XFree(children);
    return found;
}

int ownTray(Display* display) {
    const Atom selection = XInternAtom(display, "_NET_SYSTEM_TRAY_S0", False);
    const Window owner =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(display, selection, owner, CurrentTime);
    if (XGetSelectionOwner(display, selection) != owner)
        return 1;
    // Tell waiting clients that a tray manager is there.
    XClientMessageEvent announce{};
    announce.type = ClientMessage;
    announce.window = DefaultRootWindow(display);
    announce.message_type = XInternAtom(display, "MANAGER", False);
    announce.format = 32;
    announce.data.l[0] = CurrentTime;
    announce.data.l[1] = static_cast<long>(selection);
    announce.data.l[2] = static_cast<long>(owner);
    XSendEvent(display, DefaultRootWindow(display), False, StructureNotifyMask,
               reinterpret_cast<XEvent*>(&announce));
    XFlush(display);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);  // dock requests are accepted and ignored
    }
}

int closeWindows(Display* display, long pid) {
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    const std::vector<Window> windows = windowsOf(display, pid);
    for (Window window : windows) {
        XClientMessageEvent message{};
        message.type = ClientMessage;
        message.window = window;
        message.message_type = protocols;
        message.format = 32;
        message.data.l[0] = static_cast<long>(deleteWindow);
        message.data.l[1] = CurrentTime;
        XSendEvent(display, window, False, NoEventMask, reinterpret_cast<XEvent*>(&message));
    }
    XFlush(display);
    return windows.empty() ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return 3;
    const std::string command = argv[1];
    const long pid = argc > 2 ? std::atol(argv[2]) : -1;
    int result = 2;
    if (command == "tray") {
        result = ownTray(display);
    } else if (command == "close") {
        result = closeWindows(display, pid);
    } else if (command == "count") {
        std::printf("%zu\n", windowsOf(display, pid).size());
        result = 0;
    } else if (command == "wait-window") {
        result = 1;
        for (int i = 0; i < 200 && result != 0; ++i) {
            if (!windowsOf(display, pid).empty())
                result = 0;
            else
                usleep(100000);
        }
    }
    XCloseDisplay(display);
    return result;
}
