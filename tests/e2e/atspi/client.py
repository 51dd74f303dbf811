"""What the AT-SPI clients of these tests share: counted checks, pumping GLib's loop, finding
a launcher on the bus and pressing its button through the action interface."""
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

results = []
_context = GLib.MainContext.default()


def check(name, ok, detail=""):
    results.append(ok)
    print(("ok   " if ok else "FAIL ") + name + ("" if ok or not detail else ": " + str(detail)))


def finish():
    print(f"{sum(results)} passed, {len(results) - sum(results)} failed")
    sys.exit(0 if results and all(results) else 1)


def pump(seconds, until=lambda: False):
    """Serves GLib's loop (the bus's events and replies) for SECONDS, or until UNTIL() holds."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline and not until():
        while _context.pending():
            _context.iteration(False)
        time.sleep(0.01)


def find_app(process, seconds=10):
    """The application of the launcher PROCESS on the bus, waited for; None if it never came."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        pump(0.1)
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == "loma" and app.get_process_id() == process.pid:
                return app
    return None


def press(action, process):
    """Calls the action's first verb, then waits for PROCESS to end: (what the call said, exit
    code or "still running")."""
    try:
        said = action.doAction(0)
    except Exception as error:  # a reply lost to the exit
        said = repr(error)
    try:
        code = process.wait(timeout=3)
    except subprocess.TimeoutExpired:
        process.kill()
        code = "still running"
    return said, code
