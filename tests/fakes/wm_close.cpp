// Asks the X11 window WINDOW (its id, as a number) to close, the way a window manager's close button does:
// a WM_PROTOCOLS client message carrying WM_DELETE_WINDOW.
//   wm_close WINDOW
#include <X11/Xlib.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char **argv)
{
    Display *display = argc == 2 ? XOpenDisplay(nullptr) : nullptr;
    if (!display)
        return 2;
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = Window(std::strtoul(argv[1], nullptr, 10));
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
    XCloseDisplay(display);
    return sent ? 0 : 1;
}
