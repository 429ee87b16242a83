#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes the Debian package from the default build, which is compiled as the
# package preset compiles the program, and checks it as a packager would:
# lintian, the hardening of the binary inside, its dates and that a copy of
# the sources built in another folder gives the same package; then installs
# it, runs the installed game through the real-program test under Xvfb and
# purges it again, leaving the machine's packages as they were. Needs the
# default build.
set -euo pipefail
cd "$(dirname "$0")/.."

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
package=vantory-laser
program=/usr/games/vantory-laser
build=build/default
tester=$build/tests/tst_program

fail() {
    echo "package: $*" >&2
    exit 1
}

[ -f "$build/CPackConfig.cmake" ] || fail "configure and build the default preset first"
rm -rf "$build/deb"
cpack --config "$build/CPackConfig.cmake" -B "$build/deb" >/dev/null
debs=("$build/deb/${package}"_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    fail "cpack made no single package"
fi
deb=${debs[0]}
echo "Built ${deb}"
dpkg-deb --field "$deb" Package Version Section Priority Depends

# Warnings fail too: the package is clean today and should stay so.
lintian --fail-on error,warning --info --display-info "$deb"

unpacked=$(mktemp -d)
elsewhere=$(mktemp -d)
installedBefore=$(mktemp)
cleanUp() {
    rm -rf "$unpacked" "$elsewhere"
    rm -f "$installedBefore"
}
trap cleanUp EXIT

# Stripped, no library search path, position-independent, immediate binding
# behind read-only relocations, stack protector and fortified calls.
dpkg-deb -x "$deb" "$unpacked"
binary=$unpacked$program
file "$binary" | grep -q ', stripped' || fail "the binary is not stripped"
dynamic=$(readelf -d "$binary")
! grep -qE 'RUNPATH|RPATH' <<<"$dynamic" || fail "the binary has a library search path"
grep -qE 'FLAGS_1.*NOW.*PIE|FLAGS_1.*PIE.*NOW' <<<"$dynamic" || fail "the binary is not a PIE bound now"
readelf -lW "$binary" | grep -q GNU_RELRO || fail "the binary has no read-only relocations"
symbols=$(nm -D "$binary")
grep -q '__stack_chk_fail' <<<"$symbols" || fail "the binary has no stack protector"
grep -q '_chk@' <<<"$symbols" || fail "the binary calls no fortified function"
echo "Hardening: stripped, no RUNPATH, PIE, BIND_NOW, RELRO, stack protector, fortify"

# Reproducible: the source folder (the build folder lies inside it) is not
# in the binary even before it is stripped, as its build ID hashes what is
# there; and every date in the package is the build's source date.
built=$build/app/vantory-laser
! grep -qaF "$PWD" "$built" || fail "the binary names the folder ${PWD}"
epoch=$(cat "$build/packaging/source-date-epoch")
[[ $epoch =~ ^[0-9]+$ ]] || fail "the build has no source date"
day=$(TZ=UTC date -d "@${epoch}" '+%Y-%m-%d %H:%M:%S')
for listing in --ctrl-tarfile --fsys-tarfile; do
    others=$(dpkg-deb "$listing" "$deb" | TZ=UTC tar -tv --full-time | grep -vF " ${day} " || true)
    [ -z "$others" ] || fail "archive entries not dated ${day}: ${others}"
done
members=$(TZ=UTC ar tv "$deb" | grep -vF " $(TZ=UTC date -d "@${epoch}" '+%b %e %H:%M %Y') " || true)
[ -z "$members" ] || fail "package members not dated ${day}: ${members}"
echo "Reproducible: no build folder in the binary, every date ${day} (${epoch})"

# The same sources copied to another folder and built there as the package
# preset builds them, on the same date, give the same package byte for byte.
# LASER_PACKAGE_ELSEWHERE=0 leaves this out (scripts/test.sh says when).
if [ "${LASER_PACKAGE_ELSEWHERE:-1}" = 1 ]; then
    started=$SECONDS
    tar --exclude=./build --exclude='./build-*' --exclude=./.git --exclude=./Testing -cf - . |
        tar -xf - -C "$elsewhere"
    (
        cd "$elsewhere"
        SOURCE_DATE_EPOCH=$epoch cmake --preset package >/dev/null
        cmake --build --preset package >/dev/null
        cpack --preset package >/dev/null
    )
    again=("$elsewhere/build/package/${package}"_*.deb)
    if ! cmp -s "$deb" "${again[0]}"; then
        dpkg-deb -x "${again[0]}" "$elsewhere/unpacked"
        diff -rq "$unpacked" "$elsewhere/unpacked" >&2 || true
        fail "the package built in ${elsewhere} differs from ${deb}"
    fi
    echo "Reproducible: built again in ${elsewhere}, the same package ($((SECONDS - started)) s)"
fi

if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    echo "SKIPPED installing the package: ${package} is already installed here, and purging it" \
         "afterwards would remove the copy already in use."
    exit 0
fi

installed() {
    dpkg-query -W -f='${db:Status-Abbrev} ${binary:Package}\n' | awk '$1 == "ii" {print $2}' | sort
}
installed >"$installedBefore"
# Purges the package and whatever it pulled in, then checks that the list of
# installed packages is the one from before.
purge() {
    local status=$? added
    added=$(comm -13 "$installedBefore" <(installed))
    if [ -n "$added" ]; then
        # shellcheck disable=SC2086
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get purge -y $added || status=1
    fi
    if ! diff <(installed) "$installedBefore" >/dev/null; then
        echo "package: the installed packages differ from before the check" >&2
        status=1
    fi
    cleanUp
    exit "$status"
}
trap purge EXIT

DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "./${deb}"
[ -x "$program" ] || fail "${program} was not installed"
man -w "$package" >/dev/null || fail "man cannot find the manual page"

[ -x "$tester" ] || fail "${tester} is missing: build the default preset first"
LASER_PROGRAM=$program QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy \
    tests/onxvfb.sh \
    "$tester" oneFiringFromEndToEnd signalEndsLikeClosing
