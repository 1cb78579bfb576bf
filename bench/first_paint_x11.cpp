// Watches an X screen for a program's first window, for scripts/bench-start:
// prints the milliseconds from START_NS (CLOCK_REALTIME, as `date +%s%N`
// gives it) until a viewable top-level window whose title ends with TITLE
// exists, and until the pixel (X, Y) of the screen is no longer black.
// Polls every millisecond; a screenshot tool takes tens of milliseconds a
// look, too coarse beside a start of a few hundred.
//   first-paint START_NS TITLE X Y [LIMIT_S]
// Built by the script with the host compiler (Xlib), not part of the product.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

long long NowNs() {
  timespec t{};
  clock_gettime(CLOCK_REALTIME, &t);
  return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

// The UTF-8 title Wine sets, else the plain one.
std::string Title(Display* display, Window window, Atom netName, Atom utf8) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, rest = 0;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(display, window, netName, 0, 256, False, utf8, &type, &format, &count,
                         &rest, &data) == Success &&
      data != nullptr && type == utf8) {
    title.assign(reinterpret_cast<char*>(data), count);
  }
  if (data != nullptr) XFree(data);
  if (title.empty()) {
    char* name = nullptr;
    if (XFetchName(display, window, &name) && name != nullptr) {
      title = name;
      XFree(name);
    }
  }
  return title;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool WindowShown(Display* display, Window root, const std::string& end, Atom netName, Atom utf8) {
  Window rootOut = 0, parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, root, &rootOut, &parent, &children, &count)) return false;
  bool found = false;
  for (unsigned int i = 0; i < count && !found; ++i) {
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, children[i], &attributes) &&
        attributes.map_state == IsViewable) {
      found = EndsWith(Title(display, children[i], netName, utf8), end);
    }
  }
  if (children != nullptr) XFree(children);
  return found;
}

bool PixelLit(Display* display, Window root, int x, int y) {
  XImage* image = XGetImage(display, root, x, y, 1, 1, AllPlanes, ZPixmap);
  if (image == nullptr) return false;
  const unsigned long pixel = XGetPixel(image, 0, 0);
  XDestroyImage(image);
  return pixel != 0;
}

// Errors from windows that went away between the listing and the look.
int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: first-paint START_NS TITLE X Y [LIMIT_S]\n");
    return 2;
  }
  const long long start = std::atoll(argv[1]);
  const std::string title = argv[2];
  const int x = std::atoi(argv[3]);
  const int y = std::atoi(argv[4]);
  const long long limit = (argc > 5 ? std::atoll(argv[5]) : 60) * 1000000000LL;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "first-paint: no X display\n");
    return 1;
  }
  XSetErrorHandler(IgnoreErrors);
  const Window root = DefaultRootWindow(display);
  const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  long long shown = -1;
  long long painted = -1;
  const timespec pause{0, 1000000};
  while (painted < 0 && NowNs() - start < limit) {
    if (shown < 0 && WindowShown(display, root, title, netName, utf8)) shown = NowNs();
    // Only the program's window can light the pixel on a bare screen.
    if (shown >= 0 && PixelLit(display, root, x, y)) painted = NowNs();
    if (painted < 0) nanosleep(&pause, nullptr);
  }
  XCloseDisplay(display);
  if (painted < 0) {
    std::fprintf(stderr, "first-paint: no painted \"%s\" window in time\n", title.c_str());
    return 1;
  }
  std::printf("%lld %lld\n", (shown - start) / 1000000, (painted - start) / 1000000);
  return 0;
}
