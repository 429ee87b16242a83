#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Drives one firing of the launcher as a screen reader user would, through
the AT-SPI accessibility bus, and reports what a screen reader finds.

Usage: atspi_fire.py APPLICATION DELAY [open]

Finds APPLICATION on the accessibility bus, records its console window,
replaces the delay text with DELAY, presses FIRE!, waits for the result
window, records it, presses its OK button and waits for it to close (with
"open", leaves it open for the caller to look at). Prints
one JSON object: the two windows as trees of role, name, description and
states, the seconds from the press to the result window, and whether the
result window closed. Exits 1, with "error" in the object, when a step
cannot be taken.
"""

import json
import sys
import time

import pyatspi

WAIT_SECONDS = 15


def record(node):
    # A role by its pyatspi constant ("ROLE_PUSH_BUTTON"): libatspi renames
    # the roles' readable names and nicks between releases, not their values.
    states = node.getState()
    return {
        "role": str(pyatspi.Role(int(node.getRole()))),
        "name": node.name,
        "description": node.description,
        "showing": states.contains(pyatspi.STATE_SHOWING),
        "focused": states.contains(pyatspi.STATE_FOCUSED),
        "children": [record(child) for child in children(node)],
    }


def children(node):
    found = (node.getChildAtIndex(i) for i in range(node.childCount))
    return [child for child in found if child is not None]


def find(node, matches):
    if matches(node):
        return node
    for child in children(node):
        hit = find(child, matches)
        if hit is not None:
            return hit
    return None


def wait_for(probe, seconds=WAIT_SECONDS):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = probe()
        if found is not None:
            return found
        time.sleep(0.05)
    return None


def application(name):
    def probe():
        desktop = pyatspi.Registry.getDesktop(0)
        return next((app for app in children(desktop) if app.name == name), None)

    return wait_for(probe)


def window(app, title):
    return next((w for w in children(app) if w.name == title), None)


def press(node):
    actions = node.queryAction()
    names = [actions.getName(i) for i in range(actions.nActions)]
    actions.doAction(names.index("Press"))


def fire(app_name, delay, leave_open):
    report = {}
    app = application(app_name)
    if app is None:
        raise RuntimeError("%s is not on the accessibility bus" % app_name)
    console = wait_for(lambda: children(app)[0] if children(app) else None)
    report["console"] = record(console)

    delay_box = find(console, lambda n: n.getRole() == pyatspi.ROLE_TEXT and n.name == "Delay")
    fire_button = find(console, lambda n: n.name == "FIRE!")
    if delay_box is None or fire_button is None:
        raise RuntimeError("no delay box or FIRE! button")
    delay_box.queryEditableText().setTextContents(delay)

    pressed = time.monotonic()
    press(fire_button)
    result = wait_for(lambda: window(app, "KABOOM!"))
    if result is None:
        raise RuntimeError("no result window")
    report["resultAfter"] = time.monotonic() - pressed
    report["result"] = record(result)
    if leave_open:
        return report

    press(find(result, lambda n: n.name == "OK"))
    report["resultClosed"] = wait_for(lambda: True if window(app, "KABOOM!") is None else None) is not None
    return report


def main():
    if len(sys.argv) not in (3, 4) or sys.argv[3:] not in ([], ["open"]):
        sys.exit(__doc__)
    try:
        report = fire(sys.argv[1], sys.argv[2], sys.argv[3:] == ["open"])
        status = 0
    except Exception as error:  # every failure is reported the same way
        report = {"error": str(error)}
        status = 1
    print(json.dumps(report))
    sys.exit(status)


if __name__ == "__main__":
    main()
