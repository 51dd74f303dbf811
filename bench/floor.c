/* The floor of the start-up bench: the least a program can do to show loma's window. It maps a
 * 571x253 window where loma puts it with the same properties and hints as loma's
 * (name, class, no focus, no decorations, pid, fixed size, above, a 32x32 icon),
 * puts one full frame of pixels into it when it is exposed, and then, like loma, updates a
 * small area on a schedule of one tick a second from the window's creation, ending one tick
 * after the tenth. Plain Xlib, no toolkit, nothing decoded or shaped: what no program built on
 * any library can beat on this display.
 *
 * Linked with floor_stack.c, the same window's frame is drawn by loma's libraries instead: "the
 * floor of the stack".
 *
 * Build: cc -O2 -o floor floor.c -lX11 */
#define _GNU_SOURCE
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

enum { kWidth = 571, kHeight = 253, kTicks = 11 };

static int64_t now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (int64_t)t.tv_sec * 1000 + t.tv_nsec / 1000000;
}

static void set_cardinals(Display* d, Window w, Atom property, Atom type, const long* v, int n) {
  XChangeProperty(d, w, property, type, 32, PropModeReplace, (const unsigned char*)v, n);
}

/* Hook for floor_stack.c: the work loma's libraries do before its first frame, or nothing. */
void floor_prepare(void) __attribute__((weak));
/* Fills the frame; floor_stack.c draws it with loma's libraries. */
void floor_draw(uint32_t* pixels, int width, int height, int stride) __attribute__((weak));

int main(void) {
  Display* d = XOpenDisplay(NULL);
  if (!d) return 1;
  int screen = DefaultScreen(d);
  Window root = RootWindow(d, screen);
  int x = (DisplayWidth(d, screen) - kWidth) / 2, y = 7; /* where loma puts it */

  static char* names[] = {"WM_PROTOCOLS", "WM_DELETE_WINDOW", "_MOTIF_WM_HINTS",
                          "UTF8_STRING",  "_NET_WM_NAME",     "_NET_WM_ICON",
                          "_NET_WM_PID",  "_NET_WM_STATE",    "_NET_WM_STATE_ABOVE"};
  Atom a[9];
  XInternAtoms(d, names, 9, False, a);

  XSetWindowAttributes attributes;
  memset(&attributes, 0, sizeof attributes);
  attributes.background_pixmap = None;
  attributes.bit_gravity = NorthWestGravity;
  attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | VisibilityChangeMask;
  Window w = XCreateWindow(d, root, x, y, kWidth, kHeight, 0, CopyFromParent, InputOutput,
                           CopyFromParent, CWBackPixmap | CWBitGravity | CWEventMask, &attributes);
  XStoreName(d, w, "LOMA");
  XChangeProperty(d, w, a[4], a[3], 8, PropModeReplace, (const unsigned char*)"LOMA", 4);
  XClassHint class_hint = {"loma", "LOMA"};
  XSetClassHint(d, w, &class_hint);
  XWMHints wm_hints;
  memset(&wm_hints, 0, sizeof wm_hints);
  wm_hints.flags = InputHint | StateHint;
  wm_hints.input = False;
  wm_hints.initial_state = NormalState;
  XSetWMHints(d, w, &wm_hints);
  XSetWMProtocols(d, w, &a[1], 1);
  const long motif[5] = {2, 0, 0, 0, 0};
  set_cardinals(d, w, a[2], a[2], motif, 5);
  const long pid = getpid();
  set_cardinals(d, w, a[6], XA_CARDINAL, &pid, 1);
  XSizeHints size;
  memset(&size, 0, sizeof size);
  size.flags = USPosition | PPosition | PSize | PMinSize | PMaxSize;
  size.x = x, size.y = y;
  size.width = size.min_width = size.max_width = kWidth;
  size.height = size.min_height = size.max_height = kHeight;
  XSetWMNormalHints(d, w, &size);
  long icon[2 + 32 * 32] = {32, 32};
  for (int i = 0; i < 32 * 32; ++i) icon[2 + i] = (long)0xFF3060C0u;
  set_cardinals(d, w, a[5], XA_CARDINAL, icon, 2 + 32 * 32);
  const long above = (long)a[8];
  set_cardinals(d, w, a[7], XA_ATOM, &above, 1);
  XFlush(d);
  int64_t created = now_ms();

  /* The frame is drawn while the server creates the window. */
  if (floor_prepare) floor_prepare();
  uint32_t* pixels = malloc((size_t)kWidth * kHeight * 4);
  if (floor_draw) {
    floor_draw(pixels, kWidth, kHeight, kWidth * 4);
  } else {
    for (int r = 0; r < kHeight; ++r)
      for (int c = 0; c < kWidth; ++c) pixels[r * kWidth + c] = (uint32_t)(r * 0x10101 ^ c * 0x100);
  }
  XMapWindow(d, w);
  GC gc = XCreateGC(d, w, 0, NULL);
  XImage* image = XCreateImage(d, DefaultVisual(d, screen), 24, ZPixmap, 0, (char*)pixels, kWidth,
                               kHeight, 32, kWidth * 4);
  image->byte_order = LSBFirst;

  int ticks = 0;
  for (;;) {
    while (XPending(d)) {
      XEvent e;
      XNextEvent(d, &e);
      if (e.type == Expose)
        XPutImage(d, w, gc, image, e.xexpose.x, e.xexpose.y, e.xexpose.x, e.xexpose.y,
                  (unsigned)e.xexpose.width, (unsigned)e.xexpose.height);
    }
    int64_t due = created + (ticks + 1) * 1000;
    if (now_ms() >= due) {
      if (++ticks == kTicks) break;
      /* The countdown's number: a small area drawn again. */
      for (int r = 150; r < 200; ++r)
        for (int c = 250; c < 320; ++c) pixels[r * kWidth + c] ^= 0xFFFFFF;
      XPutImage(d, w, gc, image, 250, 150, 250, 150, 70, 50);
      XFlush(d);
      continue;
    }
    struct pollfd fd = {ConnectionNumber(d), POLLIN, 0};
    poll(&fd, 1, (int)(due - now_ms()));
  }
  image->data = NULL;
  XDestroyImage(image);
  free(pixels);
  XCloseDisplay(d);
  return 0;
}
