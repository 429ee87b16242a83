# SPDX-License-Identifier: MIT
# Sourced by the scripts that run this checkout in a fresh minimal root of
# Debian 12 or 13 (lane.sh, gnome.sh); not a command of its own.
#
# makeRoot RELEASE makes the root under build/ from the archive this
# machine's apt already uses (no archive is named here), with nothing
# installed but the minimal base and a copy of this checkout in /src.
# runInRoot SCRIPT [NAME=VALUE...] runs SCRIPT (bash, from /src) in it as root.
# asRootFor SCRIPT ARGS... checks that the first argument is a release it can
# make and starts the script again through sudo unless it runs as root.
# The root is removed when the calling script ends, however it ends.
#
# Everything in the root runs in mount and process namespaces of its own:
# its mounts are never seen outside, and when the run ends, however it ends,
# the kernel ends every process left in it and drops every mount with it.

root=
inner=

asRootFor() {
    local script=$1
    shift
    if [ "${1:-}" != 12 ] && [ "${1:-}" != 13 ]; then
        echo "usage: $script 12|13" >&2
        exit 2
    fi
    if [ "$(id -u)" -ne 0 ]; then
        exec sudo "$script" "$@"
    fi
}

removeRoot() {
    if [ -n "$inner" ]; then
        # unshare leaves SIGINT and SIGTERM to the process it started; killed
        # itself, it takes that one along (--kill-child), and the kernel every
        # other process in the namespace.
        kill -KILL "$inner" 2>/dev/null || true
        wait "$inner" 2>/dev/null || true
    fi
    # The root's mounts lived in the namespace that has gone, so none is left
    # to cross; --one-file-system makes sure of it.
    [ -z "$root" ] || rm -rf --one-file-system "$root"
}

makeRoot() {
    local suite
    case $1 in
        12) suite=bookworm ;;
        13) suite=trixie ;;
        *) return 2 ;;
    esac
    scripts/deps.sh lane
    # The archive and its security archive as this machine's own apt sources
    # name them for its own release, asked for the other suite.
    local host mirror security
    host=$(. /etc/os-release && echo "$VERSION_CODENAME")
    mirror=$(archiveOf "$host")
    security=$(archiveOf "$host-security")
    if [ -z "$mirror" ]; then
        echo "freshroot: this machine's apt sources name no archive for ${host}" >&2
        return 1
    fi
    local sources=("deb $mirror $suite main" "deb $mirror $suite-updates main")
    [ -z "$security" ] || sources+=("deb $security $suite-security main")

    mkdir -p build
    root=$(mktemp -d "$PWD/build/root-$1.XXXXXX")
    trap removeRoot EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM HUP
    echo "=== Debian $1 ($suite) from ${mirror} ==="
    mmdebstrap --quiet --variant=minbase --mode=root "$suite" "$root" "${sources[@]}"
    # No package's maintainer script starts a service in the root, as in any
    # Debian build root.
    printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
    chmod 755 "$root/usr/sbin/policy-rc.d"
    mkdir "$root/src"
    git ls-files -z --cached --others --exclude-standard |
        tar --null --files-from=- --ignore-failed-read -cf - | tar -xf - -C "$root/src"
}

archiveOf() {
    apt-get indextargets --format '$(RELEASE) $(REPO_URI)' 'Identifier: Packages' |
        awk -v release="$1" '$1 == release { print $2; exit }'
}

runInRoot() {
    local script=$1
    shift
    unshare --mount --propagation private --pid --fork --kill-child -- \
        bash -s "$root" "$script" "$@" <<'INNER' &
set -euo pipefail
root=$1
script=$2
shift 2
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
exec chroot "$root" env -i HOME=/root TERM=dumb \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@" \
    bash -c 'cd /src && exec bash "$0"' "$script" </dev/null
INNER
    inner=$!
    local status=0
    wait "$inner" || status=$?
    inner=
    return "$status"
}
