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
#include <string_view>
#include <thread>

namespace {

// Whether the window's WM_STATE becomes `wanted` within 5 s.
bool reachesState(Display* display, Window window, long wanted) {
    const Atom wmState = XInternAtom(display, "WM_STATE", False);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        const bool reached = XGetWindowProperty(display, window, wmState, 0, 2, False, wmState,
                                                &type, &format, &count, &after, &data) == Success &&
                             type == wmState && format == 32 && count >= 1 &&
                             reinterpret_cast<const long*>(data)[0] == wanted;
        if (data != nullptr) {
            XFree(data);
        }
        if (reached || std::chrono::steady_clock::now() > deadline) {
            return reached;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::string_view mode = argc == 2 ? argv[1] : "";
    if (mode != "destroyed" && mode != "kept") {
        std::fprintf(stderr, "usage: window_states_probe destroyed|kept\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "window_states_probe: cannot open the display\n");
        return 1;
    }
    const Window window =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 10, 10, 100, 100, 0, 0, 0);
    XMapWindow(display, window);
    if (mode == "destroyed") {
        // Both requests go in one go: the map is announced, the window is gone before the
        // announcement can be answered.
        XDestroyWindow(display, window);
        XSync(display, False);
        std::printf("0x%lx\n", window);
        return 0;
    }
    XSync(display, False);
    if (!reachesState(display, window, NormalState)) {
        std::fprintf(stderr, "the new window's state never became Normal\n");
        return 1;
    }
    XUnmapWindow(display, window);
    XSync(display, False);
    if (!reachesState(display, window, WithdrawnState)) {
        std::fprintf(stderr, "the new window's state never became Withdrawn\n");
        return 1;
    }
    std::printf("the new window's state was kept\n");
    return 0;
}
