// Counts the keyboard bells rung on an X display. Every QApplication::beep() of the program
// under test reaches the X server as one XKB BellNotify event.
//
//   bell_counter COUNT_FILE   writes one line per bell to COUNT_FILE, flushed at once. The file
//                             is created only when the event selection is in place, so its
//                             existence means no later bell can be missed.
//   bell_counter --mark       rings one named marker bell. The counter writes "marker" for it
//                             instead of "bell". The server handles the requests of a client
//                             that has exited before this later request, so once the marker
//                             shows up, every bell of the program under test has been counted.
//
// The display comes from DISPLAY.

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr const char* kMarkerName = "DISSIM_E2E_MARKER";

int ringMarker() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "bell_counter: cannot open the display\n");
        return 1;
    }
    const Atom marker = XInternAtom(display, kMarkerName, False);
    const bool rung = XkbBell(display, None, 0, marker);
    XSync(display, False);
    XCloseDisplay(display);
    return rung ? 0 : 1;
}

int countBells(const std::string& path) {
    int xkbEvent = 0;
    int xkbError = 0;
    int major = XkbMajorVersion;
    int minor = XkbMinorVersion;
    int status = 0;
    Display* display = XkbOpenDisplay(nullptr, &xkbEvent, &xkbError, &major, &minor, &status);
    if (display == nullptr) {
        std::fprintf(stderr, "bell_counter: cannot open the display with XKB (status %d)\n",
                     status);
        return 1;
    }
    if (!XkbSelectEvents(display, XkbUseCoreKbd, XkbBellNotifyMask, XkbBellNotifyMask)) {
        std::fprintf(stderr, "bell_counter: cannot select XKB bell events\n");
        return 1;
    }
    const Atom marker = XInternAtom(display, kMarkerName, False);
    XSync(display, False);

    // Written under another name and renamed, so the file appears only when counting is on.
    const std::string staging = path + ".starting";
    std::FILE* out = std::fopen(staging.c_str(), "w");
    if (out == nullptr || std::rename(staging.c_str(), path.c_str()) != 0) {
        std::perror("bell_counter");
        return 1;
    }

    for (;;) {
        XEvent event;
        XNextEvent(display, &event); // ends the process when the server goes away
        if (event.type != xkbEvent) {
            continue;
        }
        XkbEvent xkb;
        std::memcpy(&xkb, &event, sizeof event);
        if (xkb.any.xkb_type == XkbBellNotify) {
            std::fputs(xkb.bell.name == marker ? "marker\n" : "bell\n", out);
            std::fflush(out);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--mark") == 0) {
        return ringMarker();
    }
    if (argc == 2 && argv[1][0] != '-') {
        return countBells(argv[1]);
    }
    std::fprintf(stderr, "usage: %s COUNT_FILE | --mark\n", argv[0]);
    return 2;
}
