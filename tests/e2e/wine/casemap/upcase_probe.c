/* Asks Wine how it folds letter case, two ways, for tests/e2e/wine/casemap/check.sh:
 *   upcase_probe table          every UTF-16 unit that RtlUpcaseUnicodeChar changes, as
 *                               "XXXX YYYY" lines (the table Wine compares file names by)
 *   upcase_probe files DIR      for each "XXXX YYYY" line on stdin: creates DIR\<X>, asks for
 *                               DIR\<Y> (a real lookup through Wine's file system, not a table),
 *                               prints "XXXX YYYY 1" when it is found, "... 0" when not
 */
#include <stdio.h>
#include <string.h>
#include <windows.h>

WCHAR WINAPI RtlUpcaseUnicodeChar(WCHAR ch);

static int table(void) {
  for (unsigned c = 0; c <= 0xFFFF; ++c) {
    WCHAR up = RtlUpcaseUnicodeChar((WCHAR)c);
    if (up != c) printf("%04X %04X\n", c, (unsigned)up);
  }
  return 0;
}

static void pathOf(WCHAR* out, const WCHAR* dir, unsigned unit) {
  size_t n = wcslen(dir);
  memcpy(out, dir, n * sizeof(WCHAR));
  out[n] = L'\\';
  out[n + 1] = L'n';
  out[n + 2] = (WCHAR)unit;
  out[n + 3] = 0;
}

static int files(const char* dirA) {
  WCHAR dir[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, dirA, -1, dir, MAX_PATH);
  CreateDirectoryW(dir, NULL);
  char line[64];
  while (fgets(line, sizeof line, stdin)) {
    unsigned stored, asked;
    if (sscanf(line, "%x %x", &stored, &asked) != 2) continue;
    WCHAR storedPath[MAX_PATH], askedPath[MAX_PATH];
    pathOf(storedPath, dir, stored);
    pathOf(askedPath, dir, asked);
    HANDLE h = CreateFileW(storedPath, GENERIC_WRITE, 0, NULL, CREATE_NEW, 0, NULL);
    if (h == INVALID_HANDLE_VALUE) {
      printf("%04X %04X ?\n", stored, asked);
      continue;
    }
    CloseHandle(h);
    int found = GetFileAttributesW(askedPath) != INVALID_FILE_ATTRIBUTES;
    DeleteFileW(storedPath);
    printf("%04X %04X %d\n", stored, asked, found);
  }
  return 0;
}

int main(int argc, char** argv) {
  if (argc == 2 && strcmp(argv[1], "table") == 0) return table();
  if (argc == 3 && strcmp(argv[1], "files") == 0) return files(argv[2]);
  fprintf(stderr, "usage: upcase_probe table | files DIR\n");
  return 2;
}
