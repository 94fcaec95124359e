// Keeps the ICCCM window state (WM_STATE) of every top-level window on an X server that has no
// window manager, as a window manager would: Normal once a window is mapped, Withdrawn once it
// is unmapped. Nothing else of a window manager's work is done: no frames, no placement, no
// focus. Wine waits for this property each time it shows or hides a window (two seconds when
// it never comes); the end-to-end tests of the Windows program run with this beside them.
//
//   window_states   runs until killed; prints "ready" on standard output once it watches, and
//                   "gone 0x..." for each window that had gone before its state was set.
//
// A window can be destroyed before its map or unmap is handled here (a program that ends at
// once, a test that ends it): setting its state then fails with an X error (BadWindow), which
// says nothing about the windows that remain, so it is noted and the watch goes on. Any other X
// error is written to standard error and the watch goes on too; only the loss of the display
// ends it. The display comes from DISPLAY.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>

namespace {

int onError(Display* display, XErrorEvent* error) {
    if (error->error_code == BadWindow) {
        std::printf("gone 0x%lx\n", error->resourceid);
        std::fflush(stdout);
        return 0;
    }
    char text[256] = {};
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::fprintf(stderr, "window_states: X error \"%s\" (request %d) on 0x%lx; going on\n", text,
                 error->request_code, error->resourceid);
    return 0;
}

} // namespace

int main() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "window_states: cannot open the display\n");
        return 1;
    }
    XSetErrorHandler(onError);
    const Window root = DefaultRootWindow(display);
    const Atom wmState = XInternAtom(display, "WM_STATE", False);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        Window window = None;
        long state = 0;
        if (event.type == MapNotify && !event.xmap.override_redirect) {
            window = event.xmap.window;
            state = NormalState;
        } else if (event.type == UnmapNotify) {
            window = event.xunmap.window;
            state = WithdrawnState;
        } else {
            continue;
        }
        const long value[2] = {state, static_cast<long>(None)};
        XChangeProperty(display, window, wmState, wmState, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(value), 2);
        XFlush(display);
    }
}
