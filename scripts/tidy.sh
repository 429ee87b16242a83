#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs clang-tidy with the committed .clang-tidy over every source file the
# configured builds compile (build/default unless other folders are given;
# the first to compile a file gives its command), one per processor, or only
# those in the top-level folders LASER_TIDY_FOLDERS names (space-separated).
# Any finding fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
builds=("$@")
[ ${#builds[@]} -gt 0 ] || builds=(build/default)
for build in "${builds[@]}"; do
    if [ ! -f "$build/compile_commands.json" ]; then
        echo "tidy: $build has no compile_commands.json; configure it first" >&2
        exit 2
    fi
done
build=${builds[0]}
# The project's own sources only, not the files the builds generate. Each
# file is checked with the includes it names itself, without the build's
# precompiled headers (clang-tidy cannot read GCC's, and clang's spare it
# nothing: matching, not parsing, is its cost).
# run-clang-tidy, which Debian's clang-tidy ships, would run the build's
# commands as they are, precompiled headers included, and start the files in
# no set order (it queues them from a set), so that a costly one may start
# last and leave the other processors idle meanwhile; hence this script.
database=$build/tidy
mkdir -p "$database"
python3 - "$database" "${builds[@]}" <<'PY' >"$build/tidy-files.txt"
import json, os, re, sys
checked = {}
top = os.path.realpath(".")
folders = os.environ.get("LASER_TIDY_FOLDERS", "").split()
for folder in sys.argv[2:]:
    build = os.path.realpath(folder)
    for entry in json.load(open(os.path.join(build, "compile_commands.json"))):
        source = os.path.realpath(entry["file"])
        if source in checked or source.startswith(build + os.sep):
            continue
        if folders and os.path.relpath(source, top).split(os.sep)[0] not in folders:
            continue
        entry["command"] = re.sub(r" -Winvalid-pch|( -Xclang)? -include(-pch)?( -Xclang)? \S*cmake_pch\.hxx(\.pch)?",
                                  "", entry["command"])
        checked[source] = entry
json.dump(list(checked.values()), open(os.path.join(sys.argv[1], "compile_commands.json"), "w"), indent=1)
# The costliest first (the tests, which include the most of Qt), so that
# the last files to finish leave no processor idle for long.
print("\n".join(sorted(checked, key=lambda f: (os.sep + "tests" + os.sep not in f, -os.path.getsize(f)))))
PY
count=$(wc -l <"$build/tidy-files.txt")
status=0
xargs -P"$(nproc)" -n1 clang-tidy -p "$database" --quiet <"$build/tidy-files.txt" \
    >"$build/tidy.log" 2>&1 || status=$?
# clang-tidy counts the warnings it suppressed in system headers; only findings matter.
grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$|^Suppressed [0-9]+ warnings|^Use -header-filter|^Error while processing' \
    "$build/tidy.log" || true
if [ "$status" -ne 0 ]; then
    echo "tidy: findings in the ${count} files checked" >&2
    exit 1
fi
echo "tidy: ${count} files, no findings"
