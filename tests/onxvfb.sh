#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs a command on an X server of its own: Xvfb picks a free display and
# names it once it answers, so tests started side by side never race for a
# number (xvfb-run's -a guesses from lock files and can collide). The server
# is stopped by its pid when the command ends.
set -uo pipefail

folder=$(mktemp -d)
server=
command=
stop() {
    for pid in $command $server; do
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    rm -rf "$folder"
}
trap stop EXIT
trap 'exit 143' TERM INT HUP

mkfifo "$folder/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$folder/display" \
    >"$folder/log" 2>&1 &
server=$!
number=
read -r -t 60 number <"$folder/display" || true
if [ -z "$number" ]; then
    echo "onxvfb: Xvfb did not start:" >&2
    cat "$folder/log" >&2
    exit 1
fi
# In the background, so that a signal to this script is acted on at once.
DISPLAY=":$number" "$@" &
command=$!
wait "$command"
status=$?
command=
exit "$status"
