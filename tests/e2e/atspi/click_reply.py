"""The close button's action over a socket that sends each reply late (slow_reply.c preloaded
into the launcher): the call must still return True before the launcher ends, never fail with a
D-Bus error because the click ended the program first.

Usage: click_reply.py LOMA-PROGRAM PRELOAD   (in a session whose accessibility is on)
Prints one line per check and "N passed, N failed" last.
"""
import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

PROGRAM, PRELOAD = sys.argv[1], sys.argv[2]
results = []


def check(name, ok, detail=""):
    results.append(ok)
    print(("ok   " if ok else "FAIL ") + name + ("" if ok or not detail else ": " + str(detail)))


context = GLib.MainContext.default()


def pump(seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        while context.pending():
            context.iteration(False)
        time.sleep(0.01)


for run in range(1, 4):
    loma = subprocess.Popen([PROGRAM], env=dict(os.environ, LD_PRELOAD=PRELOAD))
    button = None
    deadline = time.monotonic() + 10
    while button is None and time.monotonic() < deadline:
        pump(0.1)
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == "loma" and app.get_process_id() == loma.pid:
                for child in app[0]:
                    if child.getRole() == pyatspi.ROLE_PUSH_BUTTON:
                        button = child
    if button is None:
        check(f"run {run}: the button is found", False)
        loma.kill()
        continue
    try:
        said = button.queryAction().doAction(0)
    except Exception as error:  # the reply lost to the exit
        said = repr(error)
    try:
        code = loma.wait(timeout=3)
    except subprocess.TimeoutExpired:
        loma.kill()
        code = "still running"
    check(f"run {run}: the action's call returned True before the launcher ended (code {code})",
          said is True and code == 0, f"the call said {said!r}")
print(f"{sum(results)} passed, {len(results) - sum(results)} failed")
sys.exit(0 if all(results) else 1)
