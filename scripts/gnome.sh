#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The program on a real GNOME desktop: a headless GNOME Shell session
# (Wayland, with its X server) in a fresh minimal root of Debian 12 or 13
# (scripts/freshroot.sh). The program starts as from the desktop, fires once
# with delay 1 through the accessibility bus and leaves the result window
# open; the shell then says how it sees both windows. Fails unless the
# desktop draws both frames with exactly their buttons (the console minimise
# and close, the result window close only), the result window has the focus
# and stays out of the taskbar, and the window manager warned of nothing.
# Prints what it found, and leaves a screenshot in build/gnome-RELEASE.png.
# Usage: gnome.sh 12|13 (as root, or through sudo). Takes about 5 minutes;
# not part of the test command.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${LASER_IN_ROOT:-0}" != 1 ]; then
    source scripts/freshroot.sh
    asRootFor "$0" "$@"
    makeRoot "$1"
    status=0
    runInRoot scripts/gnome.sh LASER_IN_ROOT=1 || status=$?
    cp "$root/src/build/gnome.png" "build/gnome-$1.png" 2>/dev/null || true
    exit "$status"
fi

# In the root, as root.
scripts/deps.sh gnome >/dev/null
cmake --preset package >/dev/null
cmake --build --preset package --target vantory-laser >/dev/null
# GNOME Shell takes a session with a logind seat for a real one: without the
# seats it keeps to itself. It needs a system bus and a runtime folder.
rm -rf /run/user/0
mkdir -p /run/systemd /run/dbus /run/user/0 /tmp/.X11-unix
mount -t tmpfs -o mode=755 none /run/systemd
chmod 700 /run/user/0
chmod 1777 /tmp/.X11-unix
dbus-daemon --system --fork --nopidfile
export XDG_RUNTIME_DIR=/run/user/0 LANG=C.UTF-8

exec dbus-run-session -- bash -s <<'SESSION'
set -euo pipefail
log=build/gnome-shell.log
gnome-shell --headless --wayland --virtual-monitor 1280x800 --unsafe-mode >"$log" 2>&1 &
shell=$!
trap 'kill "$shell" 2>/dev/null || true' EXIT
evaluate() {
    gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
        --method org.gnome.Shell.Eval "$1" | sed -n "s/^(true, '\(.*\)')$/\1/p"
}
for _ in $(seq 120); do
    [ "$(evaluate 1 2>/dev/null)" = 1 ] && break
    sleep 0.5
done
# The session opens on the overview once it has started, as after a login;
# a user leaves it.
for _ in $(seq 120); do
    [ "$(evaluate 'Main.layoutManager._startingUp')" = false ] && break
    sleep 0.25
done
evaluate 'Main.overview.hide()' >/dev/null
for _ in $(seq 40); do
    [ "$(evaluate 'Main.overview.visible || Main.overview.animationInProgress')" = false ] && break
    sleep 0.25
done
export WAYLAND_DISPLAY=wayland-0
DISPLAY=$(sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' "$log")
XAUTHORITY=$(ls "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.*)
export DISPLAY XAUTHORITY
mkdir -p build/temp
# The shell's own warnings so far come from a session without its manager.
before=$(wc -l <"$log")
TEMP=$PWD/build/temp QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
    build/package/app/vantory-laser >build/program.log 2>&1 &
program=$!
fired=$(python3 tests/atspi_fire.py vantory-laser 1 open)
sleep 1
# What the shell knows of each window, written where the check below reads it.
evaluate 'imports.gi.GLib.file_set_contents("'"$PWD"'/build/windows.json", JSON.stringify(
    global.get_window_actors().map(a => a.meta_window).map(w => ({
        title: w.get_title(), x11: w.get_client_type() === 1, normal: w.get_window_type() === 0,
        decorated: w.decorated, minimise: w.can_minimize(), maximise: w.can_maximize(),
        skipTaskbar: w.skip_taskbar, focused: w.has_focus(),
        client: (r => [r.x, r.y, r.width, r.height])(w.frame_rect_to_client_rect(w.get_frame_rect()))}))))' >/dev/null
focusApp=$(evaluate '(imports.gi.Shell.WindowTracker.get_default().focus_app || {get_name: () => "none"}).get_name()')
altTab=$(evaluate 'global.display.get_tab_list(imports.gi.Meta.TabList.NORMAL, null).map(w => w.get_title()).join(" | ")')
gdbus call --session --dest org.gnome.Shell.Screenshot --object-path /org/gnome/Shell/Screenshot \
    --method org.gnome.Shell.Screenshot.Screenshot false false "$PWD/build/gnome.png" >/dev/null
kill "$program"
wait "$program" || true

echo "GNOME Shell: $(gnome-shell --version)"
echo "focus application while the result window has the focus: ${focusApp}"
echo "Alt+Tab lists: ${altTab}"
python3 - build/windows.json "$fired" "$log" "$before" <<'PY'
import json, sys
windows = {w["title"]: w for w in json.load(open(sys.argv[1]))}
fired = json.loads(sys.argv[2])
lines = open(sys.argv[3], errors="replace").readlines()[int(sys.argv[4]):]
warnings = [l.strip() for l in lines if "Window manager warning" in l]
expected = {
    "Vantory Orbital Laser - qelmor edition:tm:": dict(minimise=True),
    "KABOOM!": dict(minimise=False, skipTaskbar=True, focused=True),
}
failed = "error" in fired
for title, wanted in expected.items():
    window = windows.get(title)
    print("%s: %s" % (title, json.dumps(window)))
    wanted = dict(x11=True, normal=True, decorated=True, maximise=False, **wanted)
    wrong = [k for k, v in wanted.items() if window is None or window[k] != v]
    if wrong:
        print("  not as it should be: " + ", ".join(wrong))
        failed = True
for warning in warnings:
    print("  " + warning)
failed = failed or bool(warnings)
print("FAILED" if failed else "PASSED")
sys.exit(1 if failed else 0)
PY
SESSION
