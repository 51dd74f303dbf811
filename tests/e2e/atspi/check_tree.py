"""The launcher as an AT-SPI client sees it: started by this script once its listeners are in
place, found on the accessibility bus, its tree checked, the status announcement and three
countdown name changes recorded, then ended through the close button's action.

Usage: check_tree.py LOMA-PROGRAM WINDOW-X WINDOW-Y   (in a session whose accessibility is on)
Prints one line per check and "N passed, N failed" last.
"""
import subprocess
import sys
import time

import pyatspi

from client import check, find_app, finish, press, pump

PROGRAM, WIN_X, WIN_Y = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
STATUS = "未發現 診斷系統"  # the prefix has no diagnostic program

events = []  # (seconds since start, type, source name, source role, text)
started = time.monotonic()


def on_event(event):
    try:
        source, role = event.source.name, event.source.getRoleName()
    except Exception:  # the source may be gone already
        source, role = "?", "?"
    events.append((time.monotonic() - started, event.type, source, role, str(event.any_data)))


for kind in ("object:property-change:accessible-name", "object:announcement"):
    pyatspi.Registry.registerEventListener(on_event, kind)

loma = subprocess.Popen([PROGRAM])
started = time.monotonic()

app = find_app(loma)
check("the application is on the accessibility bus", app is not None)
if app is None:
    loma.kill()
    finish()

window = app[0]
check("one window named LOMA", app.childCount == 1 and window.name == "LOMA"
      and window.getRole() == pyatspi.ROLE_WINDOW, (app.childCount, window.name, window.getRoleName()))
ext = window.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
check("the window's extents", (ext.x, ext.y, ext.width, ext.height) == (WIN_X, WIN_Y, 571, 253),
      (ext.x, ext.y, ext.width, ext.height))
states = window.getState()
check("the window is showing and does not claim the focus",
      states.contains(pyatspi.STATE_SHOWING) and not states.contains(pyatspi.STATE_FOCUSED))

want = [  # role, name, rectangle within the window
    (pyatspi.ROLE_IMAGE, "ZAVRO Fi 診斷系統啓動器", (42, 30, 492, 74)),
    (pyatspi.ROLE_PUSH_BUTTON, "關閉", (43, 103, 159, 108)),
    (pyatspi.ROLE_LABEL, STATUS, (218, 137, 304, 66)),
    (pyatspi.ROLE_LABEL, None, (45, 174, 89, 73)),  # the count: it moves on meanwhile
    (pyatspi.ROLE_LABEL, "(C) ZAVRO Fi LOMA Diagnostic Launcher", None),
    (pyatspi.ROLE_IMAGE, "時間倒數到 0 關閉啓動器", (139, 204, 327, 24)),
]
children = list(window)
check("six nodes: banner, button, status, count, credit, notice", len(children) == len(want),
      [(c.getRoleName(), c.name) for c in children])
button = None
for child, (role, name, rect) in zip(children, want):
    e = child.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    got = (e.x - WIN_X, e.y - WIN_Y, e.width, e.height)
    ok = child.getRole() == role and (name is None or child.name == name) and (rect is None or got == rect)
    check(f"{child.getRoleName()} {child.name!r} at {got}", ok, (pyatspi.Role(role), name, rect))
    if role == pyatspi.ROLE_PUSH_BUTTON:
        button = child
count_node = children[3] if len(children) > 3 else None
check("the count reads a number", count_node is not None and count_node.name.lstrip("-").isdigit(),
      count_node and count_node.name)
action = button.queryAction() if button is not None else None
check("the button's one action is click",
      action is not None and action.nActions == 1 and action.getName(0) == "click")

# Three ticks of the countdown, heard as name changes of the count.
pump(4.0, until=lambda: len([e for e in events if e[3] == "label" and e[4].isdigit()]) >= 3)
counts = [e[4] for e in events if e[1].startswith("object:property-change:accessible-name")
          and e[3] == "label" and e[4].lstrip("-").isdigit()]
check("three countdown name changes: 9, 8, 7", counts[:3] == ["9", "8", "7"], counts)
announced = [e for e in events if STATUS in e[4]]
check("the status was announced", len(announced) >= 1, events)
for e in announced[:1]:
    print(f"       status heard {e[0]:.2f} s after start as {e[1]} on the {e[3]} {e[2]!r}")

# The close button's action: the call returns, the click runs in the launcher's loop and ends it.
t = time.monotonic()
done, code = press(action, loma)
check(f"the button's action ends the launcher, code 0 ({time.monotonic() - t:.2f} s; action said {done})",
      code == 0, code)
finish()
