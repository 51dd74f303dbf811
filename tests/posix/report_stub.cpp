// A native stand-in for the diagnostic program: reports which file was started and what it
// inherited, in one write that appears whole. The report goes to $LOMA_STUB_REPORT, or beside
// the program as <argv[0]>.ran, and holds two lines: the inode of the file that runs (from
// /proc/self/exe, which names the running file whatever its path names by now) and how many
// descriptors above stderr it was given.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  if (argc < 1) return 2;
  int inherited = 0;
  for (int fd = 3; fd < 1024; ++fd) {
    if (fcntl(fd, F_GETFD) != -1) ++inherited;
  }
  struct stat self = {};
  if (stat("/proc/self/exe", &self) != 0) return 3;
  const char* wanted = std::getenv("LOMA_STUB_REPORT");
  std::string report = wanted && *wanted ? wanted : std::string(argv[0]) + ".ran";
  std::string text = std::to_string(self.st_ino) + "\n" + std::to_string(inherited) + "\n";
  std::string partial = report + ".part";
  FILE* out = std::fopen(partial.c_str(), "w");
  if (!out) return 4;
  bool written = std::fputs(text.c_str(), out) >= 0;
  if (std::fclose(out) != 0 || !written) return 5;
  return std::rename(partial.c_str(), report.c_str()) == 0 ? 0 : 6;
}
