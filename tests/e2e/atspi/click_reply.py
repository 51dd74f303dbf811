"""The close button's action over a socket that sends each reply late (slow_reply.c preloaded
into the launcher): the call must still return True before the launcher ends, never fail with a
D-Bus error because the click ended the program first.

Usage: click_reply.py LOMA-PROGRAM PRELOAD   (in a session whose accessibility is on)
Prints one line per check and "N passed, N failed" last.
"""
import os
import subprocess
import sys

import pyatspi

from client import check, find_app, finish, press

PROGRAM, PRELOAD = sys.argv[1], sys.argv[2]

for run in range(1, 4):
    loma = subprocess.Popen([PROGRAM], env=dict(os.environ, LD_PRELOAD=PRELOAD))
    app = find_app(loma)
    buttons = [c for c in (app[0] if app is not None else []) if c.getRole() == pyatspi.ROLE_PUSH_BUTTON]
    if not buttons:
        check(f"run {run}: the button is found", False)
        loma.kill()
        continue
    said, code = press(buttons[0].queryAction(), loma)
    check(f"run {run}: the action's call returned True before the launcher ended (code {code})",
          said is True and code == 0, f"the call said {said!r}")
finish()
