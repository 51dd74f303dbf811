"""The include arrows between the platform folders run one way, as the folders say.

  linux/ -> x11/, wayland/ -> paint/, posix/ -> forms/ (and platform/api.h)

- The drawing (platform/paint) includes no header of a display system (X11, XCB, Wayland) and
  nothing of ours above it; posix/ nothing but itself.
- No file outside platform/x11 includes a header from it, except the Linux entry, the one
  Wayland file that shows the unhandled-error message through XWayland, and the X11 tests.
- Every source in platform/x11 includes an X11 or XCB header, or serves one that does (a header
  such a file includes, or the implementation of such a header).
- System code (app/, ui/, launch/) and the forms runtime include no operating-system header.

Prints each broken arrow as FILE:LINE, and "layers: N passed, M failed" last.
"""

import os
import re
import sys

ROOT = os.path.realpath(os.path.join(os.path.dirname(__file__), "..", ".."))
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
DISPLAY_HEADER = re.compile(r"^(X11/|xcb/|wayland-|cairo-xlib|.*-client-protocol\.h$)")
OS_HEADER = re.compile(r"^(windows\.h|X11/|xcb/|wayland-|cairo|unistd\.h|sys/|poll\.h|dlfcn\.h)")
# What each folder of ours may include from platform/ (besides itself and platform/api.h).
ALLOWED = {
    "platform/paint": set(),
    "platform/posix": set(),
    "platform/x11": {"platform/paint"},
    "platform/wayland": {"platform/paint"},
    "platform/linux": {"platform/x11", "platform/wayland", "platform/paint", "platform/posix"},
}
X11_USERS_OUTSIDE = {"platform/linux/main.cpp", "platform/wayland/x11_message.cpp"}
SOURCE = (".cpp", ".h", ".c")


def sources(folder):
    for base, dirs, files in os.walk(os.path.join(ROOT, folder)):
        dirs[:] = [d for d in dirs if d not in ("build", ".git")]
        for name in sorted(files):
            if name.endswith(SOURCE):
                yield os.path.relpath(os.path.join(base, name), ROOT)


_read = {}


def includes(path):
    """(line, system header?, header) of each include, each file read once."""
    if path not in _read:
        found = []
        with open(os.path.join(ROOT, path), encoding="utf-8") as f:
            for number, line in enumerate(f, 1):
                m = INCLUDE.match(line)
                if m:
                    found.append((number, m.group(1) == "<", m.group(2)))
        _read[path] = found
    return _read[path]


def folder_of(header):
    return os.path.dirname(header)


def main():
    passed, failed = 0, 0

    def verdict(ok, where, what):
        nonlocal passed, failed
        if ok:
            passed += 1
        else:
            failed += 1
            print(f"FAIL {where}: {what}")

    # The arrows between the platform folders.
    for folder, allowed in ALLOWED.items():
        for path in sources(folder):
            for number, system, header in includes(path):
                where = f"{path}:{number}"
                if system:
                    if folder == "platform/paint":
                        verdict(not DISPLAY_HEADER.match(header), where, f"<{header}> in the drawing")
                    continue
                if not header.startswith("platform/") or header == "platform/api.h":
                    continue
                other = folder_of(header)
                ok = other == folder or other in allowed
                if folder == "platform/wayland" and other == "platform/x11":
                    ok = path in X11_USERS_OUTSIDE
                verdict(ok, where, f'"{header}" against the arrows')

    # The X11 host's headers, from outside it.
    for top in ("app", "ui", "launch", "forms", "platform", "tools", "tests", "bench"):
        for path in sources(top):
            if path.startswith("platform/x11/") or path.startswith("tests/x11/"):
                continue
            for number, system, header in includes(path):
                if not system and header.startswith("platform/x11/"):
                    verdict(path in X11_USERS_OUTSIDE, f"{path}:{number}", f'"{header}" from outside')

    # Every X11 source touches X11, or serves a file that does.
    x11 = list(sources("platform/x11"))
    serving = {p for p in x11 if any(s and DISPLAY_HEADER.match(h) for _, s, h in includes(p))}
    grew = True
    while grew:
        grew = False
        for path in x11:
            if path in serving:
                continue
            own_header = os.path.splitext(path)[0] + ".h"
            used_by = any(
                not s and h == path for user in serving for _, s, h in includes(user)
            )
            if used_by or (path.endswith(".cpp") and own_header in serving):
                serving.add(path)
                grew = True
    for path in x11:
        verdict(path in serving, path, "neither X11 nor XCB, nor serving a file that is")

    # System code and the forms runtime: no operating system.
    for top in ("app", "ui", "launch", "forms"):
        for path in sources(top):
            for number, system, header in includes(path):
                if system:
                    verdict(not OS_HEADER.match(header), f"{path}:{number}", f"<{header}>")

    if passed < 100:
        verdict(False, "layers.py", f"only {passed} includes read: the reader is broken")
    print(f"layers: {passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
