// Asks the top-level X11 windows whose title is TITLE to close, the way a window manager's close button
// does: a WM_PROTOCOLS client message carrying WM_DELETE_WINDOW. Exits 0 when at least one was asked.
//   wm_close TITLE
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string titleOf(Display *display, Window window)
{
    // Qt names its windows through the EWMH property only.
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count, &after,
                           &data) == Success &&
        data) {
        std::string title(reinterpret_cast<char *>(data), count);
        XFree(data);
        return title;
    }
    return {};
}

void collect(Display *display, Window window, const std::string &title, std::vector<Window> &found)
{
    if (titleOf(display, window) == title)
        found.push_back(window);
    Window root = 0, parent = 0;
    Window *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count))
        return;
    for (unsigned int i = 0; i < count; ++i)
        collect(display, children[i], title, found);
    if (children)
        XFree(children);
}

} // namespace

int main(int argc, char **argv)
{
    Display *display = argc == 2 ? XOpenDisplay(nullptr) : nullptr;
    if (!display)
        return 2;
    std::vector<Window> windows;
    collect(display, DefaultRootWindow(display), argv[1], windows);
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    for (const Window window : windows) {
        XEvent event;
        std::memset(&event, 0, sizeof event);
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = protocols;
        event.xclient.format = 32;
        event.xclient.data.l[0] = long(deleteWindow);
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, window, False, NoEventMask, &event);
    }
    XCloseDisplay(display);
    return windows.empty() ? 1 : 0;
}
