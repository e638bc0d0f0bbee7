#!/usr/bin/env bash
# Installs the build folder below /usr in a staging folder (DESTDIR), as the Debian package does, and
# into a temporary prefix, as a user does with --prefix. Checks that exactly the program, the engine
# library, its header, the manual page and the documents land there, the program in games/ below /usr
# and in bin/ below another prefix, that the manual page names the files where they landed, that the
# installed program runs, that the page renders without a warning and that the header compiles as C.
set -euo pipefail
cmake=$1 build=$2 bindir=$3 usrbindir=$4 librarydir=$5 includedir=$6 mandir=$7 docdir=$8 compiler=$9

prefix=$(mktemp -d "$build/install-test.XXXXXX")
stage=$prefix.stage
# cmake --install rewrites the build folder's install manifest, which a real installation's uninstall
# reads: it is put back afterwards.
manifest=$build/install_manifest.txt
saved=$prefix.manifest
if [ -f "$manifest" ]; then cp "$manifest" "$saved"; fi
restore() {
    if [ -f "$saved" ]; then mv "$saved" "$manifest"; else rm -f "$manifest"; fi
    rm -rf "$prefix" "$stage"
}
trap restore EXIT
fail() { echo "install test: $*" >&2; exit 1; }

# The files below a root, and the manual page there naming each of them below the installed prefix.
check_files() {  # ROOT PREFIX PROGRAMDIR
    local root=$1 installed=$2 programdir=$3 expected actual path escaped
    expected=$(printf '%s\n' "$programdir/zarn" "$librarydir/libZarn504.so" "$includedir/zarn/zarn.h" \
        "$mandir/man6/zarn.6" "$docdir/README.md" "$docdir/copyright" | sort)
    actual=$(cd "$root" && find . ! -type d | sed 's|^\./||' | sort)
    if [ "$expected" != "$actual" ]; then
        diff <(echo "$expected") <(echo "$actual") >&2 || true
        fail "unexpected file list below $installed (< expected, > installed)"
    fi
    [ -x "$root/$programdir/zarn" ] || fail "the program is not executable"
    for path in "$programdir/zarn" "$librarydir/libZarn504.so" "$includedir/zarn/zarn.h" "$docdir/README.md"; do
        escaped=$(sed 's/\\/\\e/g; s/-/\\-/g; s|\(.\)/|\1/\\:|g' <<<"$installed/$path")
        grep -qxF "\\fB\\%$escaped\\fR" "$root/$mandir/man6/zarn.6" ||
            fail "the manual page installed below $installed does not name $installed/$path"
    done
}

DESTDIR=$stage "$cmake" --install "$build" --prefix /usr >/dev/null
check_files "$stage/usr" /usr "$usrbindir"

"$cmake" --install "$build" --prefix "$prefix" >/dev/null
check_files "$prefix" "$prefix" "$bindir"

program="$prefix/$bindir/zarn"
version=$("$program" --version)
[ "$version" = "Zarn 504" ] || fail "--version printed '$version'"
analysis=$("$program" analyse --depth 3) || fail "analyse failed"
grep -q '^best move [a-h][1-8][a-h][1-8]' <<<"$analysis" || fail "no best move in: $analysis"
# The help and the manual page come from one text: both carry the same synopsis line.
help=$("$program" help)
grep -qxF '  zarn perft DEPTH [FEN]' <<<"$help" || fail "help lacks the synopsis"
grep -qxF '\fBzarn\fR \fBperft\fR DEPTH [FEN]' "$prefix/$mandir/man6/zarn.6" ||
    fail "the manual page lacks the synopsis"

if command -v man >/dev/null 2>&1; then
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$prefix/$mandir/man6/zarn.6" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "the manual page renders with warnings: $warnings"
else
    echo "install test: man is not installed (tools/install-deps --test installs it); the manual page's rendering is not checked"
fi

printf '#include <zarn/zarn.h>\nint main(void) { ReportCallbacks r = {24, 0, 0, 0, 0, 0}; (void)r;\n%s\n}\n' \
    'return ZarnGetVersion() == 0;' >"$prefix/embed.c"
"$compiler" -x c -std=c99 -Wall -Wextra -pedantic -Werror -fsyntax-only -I"$prefix/$includedir" "$prefix/embed.c" ||
    fail "the installed header does not compile as C"
rm "$prefix/embed.c"

"$cmake" -DZARN_MANIFEST="$manifest" -P "$(dirname "$0")/../../cmake/uninstall.cmake" >/dev/null
left=$(cd "$prefix" && find . -mindepth 1 \( ! -type d -o -name zarn \))
[ -z "$left" ] || fail "left after uninstalling: $left"
echo "install test: passed"
