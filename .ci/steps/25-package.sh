#!/usr/bin/env bash
# CI step: the Debian package. Builds it with cpack in a folder of its own, build-package (configured
# for /usr, without the tests), after checking that cpack refuses the plain build (configured for
# /usr/local) at once. Checks the package's contents and metadata with dpkg-deb, runs lintian (an error
# or a warning fails the step), installs it with apt-get, runs the installed program by name as a user's
# PATH and, as the README says, polyglot with root's PATH find it, reads its manual page, removes it and
# checks that nothing of it is left.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
jobs=${ZARN_JOBS:-2}
build=${ZARN_PACKAGE_BUILD:-build-package}
plain=${ZARN_PLAIN_BUILD:-build}
sudo=()
if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
fail() { echo "package step: $*" >&2; exit 1; }

# polyglot comes with the tests' packages; cpack's helpers, lintian and man with these.
tools/install-deps --test --package --ci

echo "--- cpack refuses a build not configured for /usr before building anything"
[ -f "$plain/CMakeCache.txt" ] || cmake -S . -B "$plain" >/dev/null
grep -q '^CMAKE_INSTALL_PREFIX:PATH=/usr/local$' "$plain/CMakeCache.txt" || fail "$plain is not configured for /usr/local"
started=$SECONDS
if refusal=$(cd "$plain" && timeout 60 cpack -G DEB 2>&1); then fail "cpack made a package from $plain: $refusal"; fi
grep -q 'The Debian package needs a build configured with' <<<"$refusal" || fail "cpack failed otherwise: $refusal"
[ $((SECONDS - started)) -lt 10 ] || fail "cpack took $((SECONDS - started)) s to refuse"
! grep -q 'Run preinstall target' <<<"$refusal" || fail "cpack built before refusing: $refusal"

cmake -S . -B "$build" -DCMAKE_INSTALL_PREFIX=/usr -DZARN_BUILD_TESTS=OFF
cmake --build "$build" -j"$jobs"
rm -f "$build"/zarn_*.deb
(cd "$build" && cpack -G DEB)
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
[ -n "$version" ] || fail "no version in $build/CPackConfig.cmake"
arch=$(dpkg --print-architecture)
deb=$root/$build/zarn_${version}_${arch}.deb
[ -f "$deb" ] || fail "no package at $deb"

echo "--- metadata"
dpkg-deb -I "$deb"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = zarn ] || fail "package name $(field Package)"
[ "$(field Version)" = "$version" ] || fail "version $(field Version), not $version"
[ "$(field Architecture)" = "$arch" ] || fail "architecture $(field Architecture)"
[ "$(field Section)" = games ] || fail "section $(field Section)"
grep -q 'libc6' <<<"$(field Depends)" || fail "no libc6 among the computed dependencies: $(field Depends)"
grep -q 'libstdc++6' <<<"$(field Depends)" || fail "no libstdc++6 among the computed dependencies"
[ "$(field Description | wc -l)" -gt 3 ] || fail "no long description"

echo "--- contents"
dpkg-deb -c "$deb"
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:[A-Z]*=//p' "$build/CMakeCache.txt")
expected=$(printf '%s\n' ./usr/games/zarn "./usr/$libdir/zarn/libZarn504.so" ./usr/include/zarn/zarn.h \
    ./usr/share/man/man6/zarn.6.gz ./usr/share/doc/zarn/README.md ./usr/share/doc/zarn/copyright \
    ./usr/share/doc/zarn/changelog.gz | sort)
[ "$files" = "$expected" ] || { diff <(echo "$expected") <(echo "$files") || true; fail "unexpected contents"; }
dpkg-deb --fsys-tarfile "$deb" | tar -xOf - ./usr/share/doc/zarn/copyright | grep -qx 'License: GPL-3+' ||
    fail "the copyright file does not name the licence GPL-3+"
owners=$(dpkg-deb -c "$deb" | awk '{print $2}' | sort -u)
[ "$owners" = root/root ] || fail "files not owned by root: $owners"

echo "--- lintian"
lintian --fail-on error,warning --info "$deb"

echo "--- install, use, remove"
"${sudo[@]}" apt-get install -y "$deb"
[ "$(/usr/games/zarn --version)" = "Zarn 504" ] || fail "the installed program does not run"
userpath=/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games
[ "$(env PATH=$userpath zarn --version)" = "Zarn 504" ] || fail "zarn is not found by name on a user's PATH"
analysis=$(env PATH=$userpath zarn analyse --depth 4)
grep -q '^best move' <<<"$analysis" || fail "the installed program does not analyse: $analysis"
if grep -rqs 'path-exclude.*/usr/share/man' /etc/dpkg/dpkg.cfg.d/; then
    echo "dpkg excludes manual pages on this machine; the manual page is not checked"
else
    [ "$(man -w zarn)" = /usr/share/man/man6/zarn.6.gz ] || fail "man -w zarn: $(man -w zarn)"
    page=$(MANWIDTH=80 man zarn 2>&1)
    grep -q 'UCI OPTIONS' <<<"$page" || fail "man zarn shows no manual: $page"
fi
# xboard's adapter finds the engine by name and reports its name: with root's PATH and /usr/games added
# to it, as the README's example does, which works for users and root alike.
work=$(mktemp -d)
printf '[PolyGlot]\nEngineCommand = zarn\nEngineDir = .\nLog = false\n[Engine]\n' >"$work/zarn.ini"
rootpath=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
reply=$( (printf 'xboard\nprotover 2\n'; sleep 2; printf 'quit\n') |
    (cd "$work" && env PATH=$rootpath bash -c 'export PATH="$PATH:/usr/games"; timeout 20 polyglot zarn.ini') 2>&1) || true
rm -rf "$work"
grep -q 'myname="[^"]*Zarn 504' <<<"$reply" || fail "polyglot did not start zarn by name: $reply"

"${sudo[@]}" apt-get remove -y --purge zarn
if dpkg -s zarn >/dev/null 2>&1; then fail "zarn is still installed"; fi
for path in /usr/games/zarn "/usr/$libdir/zarn" /usr/include/zarn /usr/share/man/man6/zarn.6.gz /usr/share/doc/zarn; do
    [ ! -e "$path" ] || fail "$path is left after removal"
done
echo "package step: passed"
