/* Watches a program's windows from outside, through the X server's DAMAGE extension: starts the
 * program, and prints when its first window was created, when that window was first drawn
 * completely, and each later update of it. The program is not changed and logs nothing; the
 * times are this process's monotonic clock in ms from just before exec.
 *
 * "Drawn completely": every pixel of the window has been damaged, and the drawing then rests for
 * 250 ms; the frame time is that of its last drawing. (Mapping a window reports damage of its
 * own, so full coverage alone would count the map as a frame.)
 *
 * Usage: frame_probe [--first-frame-only] -- program [args...]
 * Output lines: "created MS", "first-frame MS WxH", "update MS X Y W H" (one per burst of
 * drawing), "dirty KB" (the program's private dirty memory 1.5 s after exec, from
 * /proc/PID/smaps_rollup: what it alone costs the machine, without library pages that other
 * programs share), "exit CODE", and "rusage MAXRSS_KB USER_MS SYS_MS" of the program (its own
 * figures from the kernel, to the microsecond). With --first-frame-only the program is killed
 * after its first frame.
 * Build: cc -O2 -o frame_probe frame_probe.c -lX11 -lXdamage -lXfixes */
#define _GNU_SOURCE
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#define MAX_WINDOWS 64

struct watched {
  Window window;
  Damage damage;
  int width, height, covered;
  unsigned char* seen; /* one byte per pixel: damaged at least once */
};

static struct watched windows[MAX_WINDOWS];
static int nwindows;
static double start_ms;

/* Private_Dirty of a process, in kB; -1 when it cannot be read. */
static long private_dirty_kb(pid_t pid) {
  char path[64], line[256];
  snprintf(path, sizeof path, "/proc/%d/smaps_rollup", (int)pid);
  FILE* f = fopen(path, "r");
  if (!f) return -1;
  long kb = -1;
  while (fgets(line, sizeof line, f))
    if (sscanf(line, "Private_Dirty: %ld kB", &kb) == 1) break;
  fclose(f);
  return kb;
}

static double now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static int ignore_errors(Display* d, XErrorEvent* e) {
  (void)d;
  (void)e; /* input-only windows cannot be watched; windows may go away */
  return 0;
}

static struct watched* find(Window w) {
  for (int i = 0; i < nwindows; ++i)
    if (windows[i].window == w) return &windows[i];
  return NULL;
}

static void resize(struct watched* w, int width, int height) {
  free(w->seen);
  w->width = width;
  w->height = height;
  w->covered = 0;
  w->seen = calloc((size_t)width * height, 1);
}

static void mark(struct watched* w, int x, int y, int width, int height) {
  for (int r = y; r < y + height && r < w->height; ++r)
    for (int c = x; c < x + width && c < w->width; ++c)
      if (r >= 0 && c >= 0 && !w->seen[r * w->width + c]) {
        w->seen[r * w->width + c] = 1;
        ++w->covered;
      }
}

int main(int argc, char** argv) {
  int first_only = 0, arg = 1;
  if (arg < argc && strcmp(argv[arg], "--first-frame-only") == 0) first_only = 1, ++arg;
  if (arg < argc && strcmp(argv[arg], "--") == 0) ++arg;
  if (arg >= argc) {
    fprintf(stderr, "usage: frame_probe [--first-frame-only] -- program [args...]\n");
    return 2;
  }
  Display* display = XOpenDisplay(NULL);
  int damage_event, damage_error;
  if (!display || !XDamageQueryExtension(display, &damage_event, &damage_error)) {
    fprintf(stderr, "frame_probe: no display with the DAMAGE extension\n");
    return 2;
  }
  XSetErrorHandler(ignore_errors);
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  XSync(display, False);

  start_ms = now_ms();
  pid_t child = fork();
  if (child == 0) {
    execvp(argv[arg], argv + arg);
    _exit(127);
  }

  struct watched* drawn = NULL; /* the first window to be damaged all over */
  int first_done = 0;
  double last_damage = 0;
  int ux0 = 0, uy0 = 0, ux1 = 0, uy1 = 0, pending = 0;
  int status = 0, dirty_done = 0;
  struct rusage usage;
  memset(&usage, 0, sizeof usage);
  for (;;) {
    while (XPending(display)) {
      XEvent e;
      XNextEvent(display, &e);
      double t = now_ms() - start_ms;
      if (e.type == CreateNotify && e.xcreatewindow.parent == DefaultRootWindow(display) &&
          nwindows < MAX_WINDOWS) {
        struct watched* w = &windows[nwindows++];
        w->window = e.xcreatewindow.window;
        resize(w, e.xcreatewindow.width, e.xcreatewindow.height);
        w->damage = XDamageCreate(display, w->window, XDamageReportRawRectangles);
        if (nwindows == 1) printf("created %.2f\n", t);
      } else if (e.type == ConfigureNotify) {
        struct watched* w = find(e.xconfigure.window);
        if (w && !drawn && (w->width != e.xconfigure.width || w->height != e.xconfigure.height))
          resize(w, e.xconfigure.width, e.xconfigure.height);
      } else if (e.type == damage_event + XDamageNotify) {
        XDamageNotifyEvent* d = (XDamageNotifyEvent*)&e;
        struct watched* w = find(d->drawable);
        if (!w) continue;
        if (!drawn) {
          mark(w, d->area.x, d->area.y, d->area.width, d->area.height);
          if (w->covered == w->width * w->height && w->width > 1) drawn = w;
          last_damage = t;
        } else if (w == drawn && !first_done) {
          last_damage = t;
        } else if (w == drawn) {
          /* Drawing within 20 ms of the first drawing of a burst belongs to the same update. */
          if (pending && t - last_damage > 20) {
            printf("update %.2f %d %d %d %d\n", last_damage, ux0, uy0, ux1 - ux0, uy1 - uy0);
            pending = 0;
          }
          int x1 = d->area.x + d->area.width, y1 = d->area.y + d->area.height;
          if (!pending) {
            ux0 = d->area.x, uy0 = d->area.y, ux1 = x1, uy1 = y1, pending = 1;
            last_damage = t;
          } else {
            if (d->area.x < ux0) ux0 = d->area.x;
            if (d->area.y < uy0) uy0 = d->area.y;
            if (x1 > ux1) ux1 = x1;
            if (y1 > uy1) uy1 = y1;
          }
        }
      }
    }
    if (drawn && !first_done && now_ms() - start_ms - last_damage > 250) {
      first_done = 1;
      printf("first-frame %.2f %dx%d\n", last_damage, drawn->width, drawn->height);
      fflush(stdout);
      if (first_only) kill(child, SIGTERM);
    }
    if (!dirty_done && now_ms() - start_ms >= 1500) {
      dirty_done = 1;
      long kb = private_dirty_kb(child);
      if (kb >= 0) printf("dirty %ld\n", kb);
    }
    if (wait4(child, &status, WNOHANG, &usage) == child) break;
    struct pollfd fd = {ConnectionNumber(display), POLLIN, 0};
    poll(&fd, 1, 5);
  }
  if (pending) printf("update %.2f %d %d %d %d\n", last_damage, ux0, uy0, ux1 - ux0, uy1 - uy0);
  printf("exit %d\n", WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
  printf("rusage %ld %.2f %.2f\n", usage.ru_maxrss,
         usage.ru_utime.tv_sec * 1e3 + usage.ru_utime.tv_usec / 1e3,
         usage.ru_stime.tv_sec * 1e3 + usage.ru_stime.tv_usec / 1e3);
  return 0;
}
