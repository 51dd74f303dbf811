/* The stand-in diagnostic program of the soak runs, a native Linux program: records its process
 * id and every descriptor it was started with beyond 0, 1 and 2, then ends.
 *
 * It writes LOMADiag.ran next to itself, one line:
 *   pid=4242 fds=            (nothing inherited)
 *   pid=4242 fds=3:socket:[81723],4:/tmp/x
 * The line appears at once (written aside, then renamed), so a reader never sees half of it. */
#define _GNU_SOURCE
#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

int main(void) {
  char self[4096];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 8);
  if (n <= 0) return 2;
  self[n] = '\0';
  char* dot = strrchr(self, '.');
  char* slash = strrchr(self, '/');
  if (!dot || dot < slash) dot = self + n;

  char fds[8192] = "";
  size_t used = 0;
  DIR* dir = opendir("/proc/self/fd");
  if (!dir) return 3;
  struct dirent* entry;
  while ((entry = readdir(dir)) != NULL) {
    int fd = atoi(entry->d_name);
    if (entry->d_name[0] == '.' || fd <= 2 || fd == dirfd(dir)) continue;
    char link[64], target[1024];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    ssize_t t = readlink(link, target, sizeof target - 1);
    target[t > 0 ? t : 0] = '\0';
    used += (size_t)snprintf(fds + used, sizeof fds - used, "%s%d:%s", used ? "," : "", fd,
                             target);
    if (used >= sizeof fds) break;
  }
  closedir(dir);

  char record[4200], temporary[4208];
  snprintf(record, sizeof record, "%.*s.ran", (int)(dot - self), self);
  snprintf(temporary, sizeof temporary, "%s.part", record);
  FILE* out = fopen(temporary, "w");
  if (!out) return 4;
  fprintf(out, "pid=%ld fds=%s\n", (long)getpid(), fds);
  if (fclose(out) != 0 || rename(temporary, record) != 0) return 5;
  return 0;
}
