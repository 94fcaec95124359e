// Top-level windows for the test of window_states (window_states_test.sh):
//
//   window_states_probe destroyed   maps a window and destroys it at once, before anything else
//                                   can set its state; prints its id as 0x...
//   window_states_probe kept        maps a new window and waits until its state (WM_STATE) is
//                                   Normal, unmaps it and waits until it is Withdrawn: what Wine
//                                   waits for at each window it shows or hides. Exits 1 with
//                                   what did not come after 5 s each.
//
// The display comes from DISPLAY.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {

// The window's WM_STATE, or -1 while it has none.
long stateOf(Display* display, Window window, Atom wmState) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    long state = -1;
    if (XGetWindowProperty(display, window, wmState, 0, 2, False, wmState, &type, &format, &count,
                           &after, &data) == Success &&
        type == wmState && format == 32 && count >= 1) {
        state = reinterpret_cast<const long*>(data)[0];
    }
    if (data != nullptr) {
        XFree(data);
    }
    return state;
}

bool waitForState(Display* display, Window window, Atom wmState, long wanted) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (stateOf(display, window, wmState) != wanted) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const bool destroyed = argc == 2 && std::strcmp(argv[1], "destroyed") == 0;
    const bool kept = argc == 2 && std::strcmp(argv[1], "kept") == 0;
    if (!destroyed && !kept) {
        std::fprintf(stderr, "usage: window_states_probe destroyed|kept\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "window_states_probe: cannot open the display\n");
        return 1;
    }
    const Window root = DefaultRootWindow(display);
    const Window window = XCreateSimpleWindow(display, root, 10, 10, 100, 100, 0, 0, 0);
    XMapWindow(display, window);
    if (destroyed) {
        // Both requests go in one go: the map is announced, the window is gone before the
        // announcement can be answered.
        XDestroyWindow(display, window);
        XSync(display, False);
        std::printf("0x%lx\n", window);
        return 0;
    }
    XSync(display, False);
    const Atom wmState = XInternAtom(display, "WM_STATE", False);
    if (!waitForState(display, window, wmState, NormalState)) {
        std::fprintf(stderr, "the new window's state never became Normal\n");
        return 1;
    }
    XUnmapWindow(display, window);
    XSync(display, False);
    if (!waitForState(display, window, wmState, WithdrawnState)) {
        std::fprintf(stderr, "the new window's state never became Withdrawn\n");
        return 1;
    }
    std::printf("the new window's state was kept\n");
    return 0;
}
