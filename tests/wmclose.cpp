// Asks a top-level window to close the way a window manager's close button
// does, by the WM_DELETE_WINDOW message; the bare X server of the window
// tests has no window manager to do it.
// Usage: wmclose WINDOW-ID
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: wmclose WINDOW-ID\n");
        return 2;
    }
    char* end = nullptr;
    const Window window = std::strtoul(argv[1], &end, 0);
    if (end == argv[1] || *end != '\0') {
        std::fprintf(stderr, "wmclose: not a window id: %s\n", argv[1]);
        return 2;
    }
    ::Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "wmclose: cannot open the display\n");
        return 1;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    return sent != 0 ? 0 : 1;
}
