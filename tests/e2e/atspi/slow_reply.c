/* A D-Bus socket that takes each method reply only 50 ms after it was first offered, as a full
 * socket would: preloaded into the launcher, it makes libdbus queue every reply and send it
 * later from the main loop, once the socket takes it. A program that ends before its loop has sent
 * the reply to "DoAction" loses it, and the screen reader's call fails instead of returning. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <time.h>

static long long refusedSince; /* ms: when the reply now waiting was first refused, or 0 */

static long long nowMs(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1000LL + t.tv_nsec / 1000000;
}

ssize_t sendmsg(int fd, const struct msghdr* msg, int flags) {
  static ssize_t (*real)(int, const struct msghdr*, int);
  if (!real) real = (ssize_t(*)(int, const struct msghdr*, int))dlsym(RTLD_NEXT, "sendmsg");
  const unsigned char* head = msg && msg->msg_iovlen > 0 && msg->msg_iov[0].iov_len >= 2
                                  ? (const unsigned char*)msg->msg_iov[0].iov_base
                                  : 0;
  /* A D-Bus message starts with its byte order ('l' or 'B') and its type; 2 is a reply. */
  if (head && (head[0] == 'l' || head[0] == 'B') && head[1] == 2) {
    if (!refusedSince) refusedSince = nowMs();
    if (nowMs() - refusedSince < 50) {
      errno = EAGAIN;
      return -1;
    }
    refusedSince = 0;
  }
  return real(fd, msg, flags);
}
