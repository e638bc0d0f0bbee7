#!/usr/bin/env bash
# CI step: the README's quick start on a bare Debian 12, as a newcomer meets it. A minimal Debian
# (debootstrap --variant=minbase bookworm) gets a clean copy of the checked-out commit, and the README's
# two commands, read from its first two sh blocks under "Quick start" so that the two cannot drift apart,
# run in it as root (who has no sudo there). Then the sudo route: a user with sudo runs the first command
# again in a copy of their own, after cmake has been removed, so that tools/install-deps installs it
# through sudo. Any failure fails the step.
#
# The bootstrapped system is cached as a zstd archive below ~/.cache/zarn-bare-debian (ZARN_BARE_DEBIAN_CACHE),
# one per week and mirror, and so are the packages the commands installed; the host's own downloaded
# packages (/var/cache/apt/archives) are offered to the system's apt as well. /proc, /sys and /dev are
# mounted for the system in a mount namespace of its own, so they are gone when the step ends, however it
# ends. Needs root, debootstrap, zstd and unshare (tools/install-deps --ci).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
self=$root/.ci/steps/$(basename "${BASH_SOURCE[0]}")
fail() { echo "bare-debian: $*" >&2; exit 1; }
say() { printf 'bare-debian: %s\n' "$*"; }

# The commands that run inside the system, in the step's own mount namespace:
#   SELF --inside SYSTEM COMMAND...
if [ "${1:-}" = --inside ]; then
    system=$2
    shift 2
    unmount() { umount -R "$system/dev" 2>/dev/null || true; umount "$system/sys" "$system/proc" 2>/dev/null || true; }
    trap unmount EXIT
    mount -t proc proc "$system/proc"
    mount -t sysfs sysfs "$system/sys"
    mount --rbind /dev "$system/dev"
    "$@"
    exit
fi

[ "$(id -u)" -eq 0 ] || fail "needs root (to bootstrap the system and enter it)"
cd "$root"
"$root/tools/install-deps" --ci

suite=bookworm
mirror=${ZARN_DEBIAN_MIRROR:-http://deb.debian.org/debian}
security=${ZARN_DEBIAN_SECURITY_MIRROR:-http://deb.debian.org/debian-security}
cache=${ZARN_BARE_DEBIAN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zarn-bare-debian}
mkdir -p "$cache/debs"
started=$SECONDS
# The host's downloaded packages join those of earlier runs, as hard links where the file systems allow.
find /var/cache/apt/archives -maxdepth 1 -name '*.deb' -exec cp -l -n -t "$cache/debs" {} + 2>/dev/null || true

work=$(mktemp -d "$cache/work.XXXXXX")
cleanup() { rm -rf --one-file-system "$work"; }
trap cleanup EXIT

# The README's two commands, written to readme-1.sh and readme-2.sh.
count=$(awk -v out="$work/readme-" '
    /^## / { inside = ($0 ~ /^## Quick start/) }
    inside && /^```sh$/ { n++; reading = 1; next }
    reading && /^```$/ { reading = 0; close(out n ".sh"); next }
    reading && n <= 2 { print > (out n ".sh") }
    END { print n + 0 }' README.md)
[ "$count" -ge 2 ] || fail "README.md has fewer than two sh blocks under its Quick start heading"
for n in 1 2; do say "README command $n: $(cat "$work/readme-$n.sh")"; done

system=$work/system
# Runs a command line in the system as root, or with --user NAME as that user, in a login-like
# environment: only HOME, PATH and TERM set, the user's PATH as Debian's /etc/profile gives it.
in_system() {
    local user=root home=/root path=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
    if [ "$1" = --user ]; then
        user=$2 home=/home/$2 path=/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games
        shift 2
    fi
    # chroot takes the user's numbers: a name would be looked up on the host.
    local ids
    ids=$(awk -F: -v name="$user" '$1 == name { print $3 ":" $4 }' "$system/etc/passwd")
    unshare --mount --propagation private -- "$self" --inside "$system" \
        chroot --userspec="$ids" "$system" env -i HOME="$home" PATH="$path" TERM=dumb bash -ec "$1"
}

# The bootstrapped system, from the cache or made anew (a few minutes) and cached.
key=$suite-minbase-$(date -u +%G-W%V)-$(printf '%s %s' "$mirror" "$security" | sha256sum | cut -c1-12)
tarball=$cache/$key.tar.zst
mkdir "$system"
if [ -f "$tarball" ]; then
    say "system from $tarball"
    zstd -dc "$tarball" | tar -C "$system" -xf -
else
    say "bootstrapping $suite from $mirror"
    unshare --mount --propagation private -- \
        debootstrap --variant=minbase --cache-dir="$cache/debs" "$suite" "$system" "$mirror" \
        >"$work/debootstrap.log" 2>&1 || { tail -n 30 "$work/debootstrap.log" >&2; fail "debootstrap failed"; }
    # As an installed Debian 12 has it: the release, its updates and its security updates; no downloaded
    # packages or package lists left; services are not started inside the chroot.
    printf 'deb %s %s main\ndeb %s %s-updates main\ndeb %s %s-security main\n' \
        "$mirror" "$suite" "$mirror" "$suite" "$security" "$suite" >"$system/etc/apt/sources.list"
    find "$system/var/cache/apt/archives" "$system/var/lib/apt/lists" -maxdepth 1 -type f ! -name lock -delete
    printf '#!/bin/sh\nexit 101\n' >"$system/usr/sbin/policy-rc.d"
    chmod 755 "$system/usr/sbin/policy-rc.d"
    tar -C "$system" -cf - . | zstd -q -T0 -o "$tarball.partial"
    mv "$tarball.partial" "$tarball"
    find "$cache" -maxdepth 1 -name '*.tar.zst' ! -name "$key.tar.zst" -delete
fi
cp /etc/resolv.conf "$system/etc/resolv.conf"
# The packages downloaded before, offered to the system's apt (hard links: the same file system).
archives=$system/var/cache/apt/archives
find "$cache/debs" -maxdepth 1 -name '*.deb' -exec cp -l -n -t "$archives" {} +
say "system ready after $((SECONDS - started)) s ($(find "$archives" -maxdepth 1 -name '*.deb' | wc -l) packages offered to its apt)"

# Keeps the downloaded packages that the system installed for the next run, and no others.
keep_debs() {
    local installed
    installed=$(chroot "$system" dpkg-query -W -f='${Package}_${Version}_${Architecture}.deb\n' | sed 's/:/%3a/g')
    rm -rf "$cache/debs.new"
    mkdir "$cache/debs.new"
    (cd "$archives" && grep -Fx -f <(printf '%s\n' "$installed") <(ls) | xargs -r cp -l -t "$cache/debs.new")
    rm -rf "$cache/debs"
    mv "$cache/debs.new" "$cache/debs"
}

# A clean copy of the checked-out commit, as a newcomer's clone has it.
clone() {  # DIRECTORY
    git init -q "$1"
    git -C "$1" fetch -q "$root" HEAD
    git -C "$1" checkout -q --detach FETCH_HEAD
}
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
    say "note: the work tree has uncommitted changes; the system gets the commit $(git rev-parse --short HEAD) without them"
fi
clone "$system/root/zarn"
cp "$work/readme-1.sh" "$work/readme-2.sh" "$system/root/"

status=0
for n in 1 2; do
    phase=$SECONDS
    say "as root: README command $n"
    if ! in_system "cd ~/zarn && bash -e ../readme-$n.sh"; then
        status=1
        say "as root: README command $n FAILED after $((SECONDS - phase)) s"
        break
    fi
    say "as root: README command $n passed in $((SECONDS - phase)) s"
done
keep_debs
[ "$status" -eq 0 ] || fail "the README's commands fail on a bare Debian 12 (as root)"

# The sudo route: sudo and a user allowed to use it; cmake removed, so that the first command has to
# install it again, through sudo.
phase=$SECONDS
in_system "apt-get install -y -qq sudo >/dev/null && apt-get remove -y -qq cmake >/dev/null
    useradd --create-home --shell /bin/bash newcomer
    echo 'newcomer ALL=(ALL) NOPASSWD: ALL' >/etc/sudoers.d/newcomer
    chmod 440 /etc/sudoers.d/newcomer"
clone "$system/home/newcomer/zarn"
cp "$system/root/readme-1.sh" "$system/home/newcomer/readme-1.sh"
chroot "$system" chown -R newcomer:newcomer /home/newcomer
say "as a user with sudo: README command 1"
output=$(in_system --user newcomer "cd ~/zarn && bash -e ../readme-1.sh" 2>&1) || status=1
printf '%s\n' "$output"
keep_debs
[ "$status" -eq 0 ] || fail "the README's first command fails on a bare Debian 12 for a user with sudo"
grep -q '^install-deps: installing cmake' <<<"$output" || fail "tools/install-deps did not reinstall cmake through sudo"
say "as a user with sudo: README command 1 passed in $((SECONDS - phase)) s"
say "passed in $((SECONDS - started)) s"
