#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Starts a program from its launcher file as a desktop's menu does, through
GIO, with a launch context that gives out a start-up notification ID when
GIO asks for one (it asks only when the launcher wants start-up feedback).
Prints "id <ID>" or "id none", then "pid <PID>" of the started program.
Usage: launch_desktop.py LAUNCHER [LOG]. The program writes its output to LOG
(or nowhere), never to this script's pipes, which close when the script ends."""
import os
import sys

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

STARTUP_ID = "laser-test-launch_TIME0"


class MenuContext(Gio.AppLaunchContext):
    def __init__(self):
        super().__init__()
        self.given = None

    def do_get_startup_notify_id(self, info, files):
        self.given = STARTUP_ID
        return STARTUP_ID


def main():
    info = Gio.DesktopAppInfo.new_from_filename(sys.argv[1])
    if info is None:
        print("not a launcher: " + sys.argv[1], file=sys.stderr)
        return 1
    report = os.fdopen(os.dup(1), "w")
    log = os.open(sys.argv[2] if len(sys.argv) > 2 else os.devnull,
                  os.O_WRONLY | os.O_CREAT | os.O_TRUNC)
    os.dup2(log, 1)
    os.dup2(log, 2)
    context = MenuContext()
    pids = []
    info.launch_uris_as_manager([], context, GLib.SpawnFlags.SEARCH_PATH,
                                None, None, lambda _info, pid, *_: pids.append(pid), None)
    print("id " + (context.given or "none"), file=report)
    print("pid %d" % (pids[0] if pids else 0), file=report)
    return 0


if __name__ == "__main__":
    sys.exit(main())
