#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The release lane: makes a fresh minimal root of Debian 12 or 13 from the
# archive this machine's apt already uses, copies this checkout into it, runs
# the README's test command there as root with nothing installed but what
# that command installs, and removes the root again. Usage: lane.sh 12|13.
#
# Everything in the root runs in mount and process namespaces of its own:
# its mounts are never seen outside, and when the run ends, however it ends,
# the kernel ends every process left in it and drops every mount with it.
set -euo pipefail
cd "$(dirname "$0")/.."

case ${1:-} in
    12) suite=bookworm ;;
    13) suite=trixie ;;
    *)
        echo "usage: $0 12|13" >&2
        exit 2
        ;;
esac
if [ "$(id -u)" -ne 0 ]; then
    exec sudo "$0" "$@"
fi
scripts/deps.sh lane

# The archive and its security archive as this machine's own apt sources name
# them for its own release; the lane asks them for the other suite.
host=$(. /etc/os-release && echo "$VERSION_CODENAME")
archive() {
    apt-get indextargets --format '$(RELEASE) $(REPO_URI)' 'Identifier: Packages' |
        awk -v release="$1" '$1 == release { print $2; exit }'
}
mirror=$(archive "$host")
security=$(archive "$host-security")
if [ -z "$mirror" ]; then
    echo "lane: this machine's apt sources name no archive for ${host}" >&2
    exit 1
fi
sources=("deb $mirror $suite main" "deb $mirror $suite-updates main")
[ -z "$security" ] || sources+=("deb $security $suite-security main")

mkdir -p build
root=$(mktemp -d "$PWD/build/lane-$1.XXXXXX")
inner=
removeRoot() {
    if [ -n "$inner" ]; then
        kill "$inner" 2>/dev/null || true
        wait "$inner" 2>/dev/null || true
    fi
    # The root's mounts lived in the namespace that has just gone, so none is
    # left to cross; --one-file-system makes sure of it.
    rm -rf --one-file-system "$root"
}
trap removeRoot EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

started=$SECONDS
echo "=== lane: Debian $1 ($suite) from ${mirror} ==="
mmdebstrap --quiet --variant=minbase --mode=root "$suite" "$root" "${sources[@]}"
# No package's maintainer script starts a service in the root, as in any
# Debian build root.
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod 755 "$root/usr/sbin/policy-rc.d"
mkdir "$root/src"
git ls-files -z --cached --others --exclude-standard |
    tar --null --files-from=- --ignore-failed-read -cf - | tar -xf - -C "$root/src"
echo "=== lane: root made in $((SECONDS - started)) s ==="

unshare --mount --propagation private --pid --fork --kill-child -- \
    bash -s "$root" "${CI:-}" <<'INNER' &
set -euo pipefail
root=$1
mount -t proc proc "$root/proc"
mount -t sysfs -o ro sysfs "$root/sys"
# A /dev of the root's own, so that nothing under the root is the machine's.
mount -t tmpfs -o mode=755,nosuid dev "$root/dev"
for node in null zero full random urandom tty; do
    touch "$root/dev/$node"
    mount --bind "/dev/$node" "$root/dev/$node"
done
mkdir "$root/dev/pts" "$root/dev/shm"
mount -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts"
mount -t tmpfs -o mode=1777,nosuid,nodev shm "$root/dev/shm"
ln -s pts/ptmx "$root/dev/ptmx"
ln -s /proc/self/fd "$root/dev/fd"
ln -s fd/0 "$root/dev/stdin"
ln -s fd/1 "$root/dev/stdout"
ln -s fd/2 "$root/dev/stderr"
# LASER_LANE=1: the test command leaves out the benchmarks and clang-tidy
# over the asset generator (scripts/test.sh says why), which
# the run on this machine covers, to keep the lane within 12 minutes on two
# processors.
exec chroot "$root" env -i CI="$2" HOME=/root TERM=dumb LASER_LANE=1 \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    bash -c 'cd /src && exec bash scripts/test.sh' </dev/null
INNER
inner=$!
status=0
wait "$inner" || status=$?
inner=
echo "=== lane: Debian $1 ended with ${status} after $((SECONDS - started)) s ==="
exit "$status"
