/* start-hidden-x86.exe / start-hidden-x64.exe PROGRAM: the Linux launcher's way to start a
 * Windows program under Wine with an initial show state. Wine's own command line cannot carry
 * one, so the launcher runs `wine start-hidden-*.exe PROGRAM`, and this starts PROGRAM the way
 * LOMA.exe does on Windows: CreateProcessW with STARTF_USESHOWWINDOW and SW_HIDE, no arguments
 * (the command line is the quoted path alone), no current folder given (the program inherits
 * ours, which Wine made of the launcher's, as LOMA.exe's program inherits LOMA.exe's), no handle
 * inherited. It does not wait for the program.
 *
 * PROGRAM is the host (Unix) path of the entry that the launcher's lookup resolved, so that the
 * very file found is the file started. Wine's kernel32 turns it into the DOS path on the drive
 * that holds it (wine_get_dos_file_name); on Windows itself, where that export does not exist,
 * PROGRAM is taken as a Windows path already.
 *
 * Exit code: 0 once the program runs; otherwise the classic runtime's number for the failure,
 * as the launcher would raise it: 53 no such file, 70 permission denied, 5 anything else. The
 * launcher's reaper reads it and, while the countdown runs, reports a non-zero one as an
 * unhandled error.
 *
 * Only kernel32 is imported: no C runtime, so the entry point is our own and nothing else runs
 * before or after it. */
#include <windows.h>

/* Wine's code page for Unix file names: the conversion that turned the Unix argument into
   UTF-16, undone exactly. */
#define LOMA_CP_UNIXCP 65010

enum { kStarted = 0, kFileNotFound = 53, kPermissionDenied = 70, kInvalidCall = 5 };

typedef WCHAR*(CDECL* DosFileName)(const char* unixPath);

static HANDLE heap;

static void* allocate(SIZE_T bytes) {
  return HeapAlloc(heap, HEAP_ZERO_MEMORY, bytes);
}

/* The compiler's own calls for copying and clearing memory (it may emit them for any struct),
   which a C runtime would otherwise provide; built with -fno-tree-loop-distribute-patterns, so
   that these loops are never turned back into calls of themselves. */
void* memset(void* to, int value, size_t bytes) {
  unsigned char* p = to;
  while (bytes--) *p++ = (unsigned char)value;
  return to;
}

void* memcpy(void* to, const void* from, size_t bytes) {
  unsigned char* p = to;
  const unsigned char* q = from;
  while (bytes--) *p++ = *q++;
  return to;
}

static SIZE_T length(const WCHAR* text) {
  SIZE_T n = 0;
  while (text[n]) ++n;
  return n;
}

static int isBlank(WCHAR c) {
  return c == L' ' || c == L'\t';
}

/* The first argument after the program's own name, by the rules that Windows programs split a
   command line with (and that Wine quotes by): the name ends at the next quote if it began with
   one, else at a blank; then 2n backslashes before a quote are n backslashes and the quote
   opens or closes a quoted run, 2n+1 are n and a literal quote, and backslashes before anything
   else stay as they are. NULL when there is no argument. */
static WCHAR* firstArgument(const WCHAR* line) {
  const WCHAR* p = line;
  if (*p == L'"') {
    ++p;
    while (*p && *p != L'"') ++p;
    if (*p) ++p;
  } else {
    while (*p && !isBlank(*p)) ++p;
  }
  while (isBlank(*p)) ++p;
  if (!*p) return NULL;

  WCHAR* argument = allocate((length(p) + 1) * sizeof(WCHAR));
  if (!argument) return NULL;
  WCHAR* out = argument;
  int quoted = 0;
  while (*p && (quoted || !isBlank(*p))) {
    SIZE_T backslashes = 0;
    while (*p == L'\\') {
      ++backslashes;
      ++p;
    }
    if (*p == L'"') {
      for (SIZE_T i = 0; i < backslashes / 2; ++i) *out++ = L'\\';
      if (backslashes % 2) {
        *out++ = L'"';
      } else if (quoted && p[1] == L'"') {
        *out++ = L'"'; /* "" inside a quoted run: one quote, as the C runtime reads it */
        ++p;
      } else {
        quoted = !quoted;
      }
      ++p;
    } else {
      for (SIZE_T i = 0; i < backslashes; ++i) *out++ = L'\\';
      if (*p && (quoted || !isBlank(*p))) *out++ = *p++;
    }
  }
  *out = 0;
  return argument;
}

/* The DOS path of a Unix path, by Wine's own mapping of the prefix's drives; NULL outside Wine
   or when the conversion fails. */
static WCHAR* dosPath(const WCHAR* unixPath) {
  HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  FARPROC found = kernel32 ? GetProcAddress(kernel32, "wine_get_dos_file_name") : NULL;
  if (!found) return NULL;
  DosFileName convert;
  /* A FARPROC is the address of any kind of function; this one's real type is DosFileName. */
  CopyMemory(&convert, &found, sizeof convert);

  int bytes = WideCharToMultiByte(LOMA_CP_UNIXCP, 0, unixPath, -1, NULL, 0, NULL, NULL);
  if (bytes <= 0) return NULL;
  char* narrow = allocate((SIZE_T)bytes);
  if (!narrow || !WideCharToMultiByte(LOMA_CP_UNIXCP, 0, unixPath, -1, narrow, bytes, NULL, NULL))
    return NULL;
  return convert(narrow);
}

/* The numbers that LOMA.exe raises for the same errors of CreateProcessW. */
static UINT failure(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return kFileNotFound;
    case ERROR_ACCESS_DENIED:
      return kPermissionDenied;
    default:
      return kInvalidCall;
  }
}

static UINT start(void) {
  WCHAR* argument = firstArgument(GetCommandLineW());
  if (!argument || !*argument) return kInvalidCall;
  /* A Unix path begins with "/"; anything else is a Windows path already. */
  WCHAR* program = argument[0] == L'/' ? dosPath(argument) : argument;
  if (!program) return kFileNotFound;

  SIZE_T n = length(program);
  WCHAR* commandLine = allocate((n + 3) * sizeof(WCHAR)); /* CreateProcessW may write to it */
  if (!commandLine) return kInvalidCall;
  commandLine[0] = L'"';
  CopyMemory(commandLine + 1, program, n * sizeof(WCHAR));
  commandLine[n + 1] = L'"';

  STARTUPINFOW startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process;
  ZeroMemory(&process, sizeof process);
  if (!CreateProcessW(program, commandLine, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
    return failure(GetLastError());
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return kStarted;
}

/* The entry point, named to the linker (there is no C runtime to provide one). A GUI program:
   no console is made for it. */
void startHidden(void) {
  heap = GetProcessHeap();
  ExitProcess(start());
}
