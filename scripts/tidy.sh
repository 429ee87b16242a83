#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs clang-tidy with the committed .clang-tidy over every source file a
# configured build compiles (build/default unless another folder is given),
# one per processor. Any finding fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
if [ ! -f "$build/compile_commands.json" ]; then
    echo "tidy: $build has no compile_commands.json; configure it first" >&2
    exit 2
fi
# The project's own sources only, not the files the build generates. The
# build's precompiled headers are GCC's, which clang cannot read, so each file
# is checked with the includes it names itself.
database=$build/tidy
mkdir -p "$database"
python3 - "$build" "$database" <<'PY' >"$build/tidy-files.txt"
import json, os, re, sys
build = os.path.realpath(sys.argv[1])
entries = json.load(open(os.path.join(build, "compile_commands.json")))
for entry in entries:
    entry["command"] = re.sub(r" -Winvalid-pch| -include \S*cmake_pch\.hxx", "", entry["command"])
json.dump(entries, open(os.path.join(sys.argv[2], "compile_commands.json"), "w"), indent=1)
files = {entry["file"] for entry in entries}
print("\n".join(sorted(f for f in files if not os.path.realpath(f).startswith(build + os.sep))))
PY
count=$(wc -l <"$build/tidy-files.txt")
status=0
xargs -P"$(nproc)" -n4 clang-tidy -p "$database" --quiet <"$build/tidy-files.txt" \
    >"$build/tidy.log" 2>&1 || status=$?
# clang-tidy counts the warnings it suppressed in system headers; only findings matter.
grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$|^Suppressed [0-9]+ warnings|^Use -header-filter|^Error while processing' \
    "$build/tidy.log" || true
if [ "$status" -ne 0 ]; then
    echo "tidy: findings in the ${count} files checked" >&2
    exit 1
fi
echo "tidy: ${count} files, no findings"
