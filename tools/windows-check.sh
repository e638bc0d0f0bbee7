#!/usr/bin/env bash
# Cross-builds the Windows deliverables and checks them.
#
#   build-win32  i686-w64-mingw32: the real deliverables (Zarn504.dll, Zarn.eng, Chess32.dll,
#                zarn-host.exe, zarn.exe) and their release folder and zip
#   build-win64  x86_64-w64-mingw32: the same sources, for running under 64-bit Wine
#
# Checks, each reported as "ok" or "FAIL"; any failure makes the script exit with status 1:
#   - export tables: Zarn504.dll exactly the eighteen engine functions, Zarn.eng exactly Eng1-Eng15,
#     Eng19 and the five Show functions, all undecorated;
#   - import tables: only system DLLs (the C++ runtime is linked statically), Func3 as the one import
#     from Chess32.dll, the loader and bitmap services where they belong;
#   - Zarn.eng carries bitmap resource 102 (100 x 50, 24 bits per pixel);
#   - under Wine: zarn-host.exe starts the plug-in from the release's engines directory, Eng7 answers
#     "Zarn 504", a depth-limited search reports a principal variation and a best move; the zarn program
#     answers UCI; `zarn.exe bench` counts the same nodes as the Linux build.
# The Wine checks run on the 64-bit build with wine64, and on the 32-bit release with 32-bit Wine: directly
# where this machine's kernel runs 32-bit programs, otherwise inside an emulated x86-64 machine through
# tools/win32-run (one boot for all of them; the unlimited search stopped from another thread and the
# options bridge's six spin options are checked there too, and the bench runs at ZARN_WIN32_BENCH_DEPTH,
# default 9, the full bench, on both sides). Only where qemu-system-x86_64 is missing are they SKIPPED
# (then, if qemu-i386 and g++-multilib are installed, a 32-bit Linux build's bench runs under qemu-i386).
#
# Environment: ZARN_JOBS (default 2); ZARN_LINUX_BUILD, the Linux build directory whose zarn gives the
# reference bench count (default build/, built here if zarn is missing); WINEPREFIX as usual;
# ZARN_WIN32_BENCH_DEPTH and ZARN_WIN32_LIMIT (seconds for all 32-bit checks in the machine, default 900).
set -euo pipefail
export LC_ALL=C

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=${ZARN_JOBS:-2}
build32=$root/build-win32
build64=$root/build-win64
linuxBuild=${ZARN_LINUX_BUILD:-$root/build}

failures=0
ok() { printf 'windows-check: ok: %s\n' "$*"; }
fail() {
    printf 'windows-check: FAIL: %s\n' "$*" >&2
    failures=$((failures + 1))
}
note() { printf 'windows-check: %s\n' "$*"; }

# ---------------------------------------------------------------------------------------------------
# Building

cross_build() {  # directory triple
    local dir=$1 triple=$2
    note "building $triple in $dir"
    cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchains/$triple.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$dir" -j"$jobs"
    cmake --build "$dir" --target release
}

cross_build "$build32" i686-w64-mingw32
cross_build "$build64" x86_64-w64-mingw32

# ---------------------------------------------------------------------------------------------------
# Tables

engineExports=$(grep '^[A-Za-z]' "$root/engine/interface/exports.txt")
adapterExports=$(grep '^[A-Za-z]' "$root/adapter/exports.txt")

sorted_words() { tr -s ' \n\t' '\n\n\n' <<<"$1" | sed '/^$/d' | sort; }

objdump_of() { "$objdump" -p "$1"; }

export_names() {  # file: the exported names, sorted
    objdump_of "$1" | awk '/^\[Ordinal\/Name Pointer\] Table/ { on = 1; next } on && /^[[:space:]]*$/ { on = 0 }
                          on { print $NF }' | sort
}

imported_dlls() { objdump_of "$1" | awk '/DLL Name:/ { print $3 }' | sort; }

imports_from() {  # file dll: the names imported from that DLL, sorted
    objdump_of "$1" | awk -v dll="$2" '/DLL Name:/ { on = ($3 == dll); skip = 1; next }
                                      on && /^[[:space:]]*$/ { on = 0 }
                                      on && skip { skip = 0; next }
                                      on { print $NF }' | sort
}

same_set() {  # what file expected actual
    if [ "$2" = "$3" ]; then
        ok "$1"
    else
        fail "$1"
        diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") | sed 's/^/    /' >&2 || true
    fi
}

holds_all() {  # what wanted actual
    local missing
    missing=$(comm -23 <(sorted_words "$2") <(printf '%s\n' "$3"))
    if [ -z "$missing" ]; then ok "$1"; else fail "$1: missing $(echo $missing)"; fi
}

# Bitmap resource 102 (type RT_BITMAP = 2): the leaf is the bitmap without its file header,
# 40 bytes of info header and 50 rows of 100 three-byte pixels (300 bytes, already a multiple of 4).
check_logo() {  # file
    local leaf
    leaf=$(objdump_of "$1" | awk '
        /Resource Directory section/ { on = 1 }
        on && /^[0-9a-f]+   Entry: ID: 0x/ { type = $4 }
        on && /^[0-9a-f]+     Entry: ID: 0x/ { name = $4 }
        on && /Leaf: / && type == "0x000002," && name == "0x000066," {
            for (i = 1; i <= NF; ++i) if ($i == "Size:") print $(i + 1) }')
    leaf=${leaf%,}
    if [ -n "$leaf" ] && [ $((leaf)) -eq $((40 + 300 * 50)) ]; then
        ok "$2: bitmap resource 102, 100 x 50 at 24 bits"
    else
        fail "$2: bitmap resource 102 missing or of the wrong size (${leaf:-none})"
    fi
}

check_tables() {  # build-directory triple format
    local dir=$1 triple=$2 format=$3 tag release
    objdump=$triple-objdump
    tag=${triple%%-*}
    release=$(echo "$dir"/release/Zarn-*-win*/)
    release=${release%/}
    note "tables of the $tag build"

    local engine=$release/engines/Zarn.dll adapter=$release/engines/Zarn.eng
    local file
    for file in "$engine" "$adapter" "$release/zarn.exe" "$dir/Chess32.dll" "$dir/zarn-host.exe" \
                "$dir/engine/Zarn504.dll" "$dir/engines/Zarn.eng"; do
        if [ ! -f "$file" ]; then fail "$tag: $file was not built"; return; fi
        case "$(objdump_of "$file")" in
            *"file format $format"*) ;;
            *) fail "$tag: $file is not $format" ;;
        esac
    done

    same_set "$tag: Zarn504.dll exports exactly the eighteen engine functions" \
        "$(sorted_words "$engineExports")" "$(export_names "$engine")"
    same_set "$tag: Zarn.eng exports exactly Eng1-Eng15, Eng19 and the five Show functions" \
        "$(sorted_words "$adapterExports")" "$(export_names "$adapter")"
    same_set "$tag: the build tree's Zarn504.dll exports the same as the release copy" \
        "$(export_names "$engine")" "$(export_names "$dir/engine/Zarn504.dll")"
    same_set "$tag: Chess32.dll exports Func3 and the handler hook" \
        "$(sorted_words "Chess32SetHandler Func3")" "$(export_names "$dir/Chess32.dll")"

    # Nothing but system DLLs; Chess32.dll is the host's own library.
    same_set "$tag: Zarn504.dll imports only KERNEL32.dll and msvcrt.dll" \
        "$(sorted_words "KERNEL32.dll msvcrt.dll")" "$(imported_dlls "$engine")"
    same_set "$tag: Zarn.eng imports only Chess32.dll, KERNEL32.dll, USER32.dll and msvcrt.dll" \
        "$(sorted_words "Chess32.dll KERNEL32.dll USER32.dll msvcrt.dll")" "$(imported_dlls "$adapter")"
    same_set "$tag: zarn.exe imports only KERNEL32.dll and msvcrt.dll" \
        "$(sorted_words "KERNEL32.dll msvcrt.dll")" "$(imported_dlls "$release/zarn.exe")"
    same_set "$tag: zarn-host.exe imports only Chess32.dll, KERNEL32.dll and msvcrt.dll" \
        "$(sorted_words "Chess32.dll KERNEL32.dll msvcrt.dll")" "$(imported_dlls "$dir/zarn-host.exe")"
    same_set "$tag: Chess32.dll imports only KERNEL32.dll and msvcrt.dll" \
        "$(sorted_words "KERNEL32.dll msvcrt.dll")" "$(imported_dlls "$dir/Chess32.dll")"

    same_set "$tag: Zarn.eng imports Func3, undecorated, as its one entry of Chess32.dll" \
        "Func3" "$(imports_from "$adapter" Chess32.dll)"
    same_set "$tag: Zarn.eng imports LoadBitmapA as its one entry of USER32.dll" \
        "LoadBitmapA" "$(imports_from "$adapter" USER32.dll)"
    holds_all "$tag: Zarn.eng binds the engine with the loader services" \
        "FreeLibrary GetModuleFileNameA GetProcAddress GetTickCount LoadLibraryA" \
        "$(imports_from "$adapter" KERNEL32.dll)"
    holds_all "$tag: Zarn504.dll calls DisableThreadLibraryCalls" \
        "DisableThreadLibraryCalls" "$(imports_from "$engine" KERNEL32.dll)"
    check_logo "$adapter" "$tag: Zarn.eng"
}

check_tables "$build32" i686-w64-mingw32 pei-i386
check_tables "$build64" x86_64-w64-mingw32 pei-x86-64

# ---------------------------------------------------------------------------------------------------
# Behaviour under Wine

export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts when a fresh prefix is created.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

wine64=$(command -v wine64 || true)
[ -n "$wine64" ] || wine64=/usr/lib/wine/wine64
wine32=/usr/lib/wine/wine

# Runs a Windows program; its output with the line ends made plain.
run_windows() {  # wine-loader seconds program args...
    local loader=$1 seconds=$2
    shift 2
    timeout "$seconds" "$loader" "$@" 2>&1 | tr -d '\r'
    return "${PIPESTATUS[0]}"
}

# The reference node count of the Linux build, when the zarn program has a bench command.
linux_bench=""
reference_bench() {
    note "the Linux zarn in $linuxBuild gives the reference bench count"
    [ -f "$linuxBuild/CMakeCache.txt" ] || cmake -S "$root" -B "$linuxBuild" >/dev/null
    cmake --build "$linuxBuild" -j"$jobs" --target zarn >/dev/null
    linux_bench=$("$linuxBuild/zarn" bench 2>&1) || linux_bench=""
}

# What a bench run must reproduce exactly: each position's line (node count, score, variation) and the
# total; the times and speeds differ.
bench_signature() { grep -E '^ *[0-9]+ +[0-9]+ nodes|^Nodes searched: ' <<<"$1" || true; }
bench_nodes() { sed -n 's/^Nodes searched: \([0-9][0-9]*\)$/\1/p' <<<"$1"; }

check_behaviour() {  # build-directory loader tag
    local dir=$1 loader=$2 tag=$3 out status release
    release=$(echo "$dir"/release/Zarn-*-win*/)
    release=${release%/}
    note "running the $tag build under $(basename "$loader")"

    # The host's view: the plug-in from the release's engines directory, nothing else beside it.
    status=0
    out=$(cd "$dir" && run_windows "$loader" 180 ./zarn-host.exe --engines "$release/engines" --depth 6) || status=$?
    if [ "$status" -ne 0 ]; then
        fail "$tag: zarn-host.exe exited with status $status"
        sed 's/^/    /' <<<"$out" | tail -n 20 >&2
        return
    fi
    if grep -q '^plug-in .*: Zarn 504 by ' <<<"$out"; then
        ok "$tag: Eng7 answers \"Zarn 504\" before the engine starts"
    else
        fail "$tag: Eng7 did not answer \"Zarn 504\""
    fi
    if grep -q '^engine started, hash [0-9]* KB' <<<"$out" && grep -q '^\[330\] search started' <<<"$out"; then
        ok "$tag: Eng1 starts the engine from the engines directory and Eng9 starts a search"
    else
        fail "$tag: the engine did not start or the search was not announced"
    fi
    if grep -q '^\[344\] depth 6$' <<<"$out" && grep -q '^\[340\] pv score ' <<<"$out" &&
        grep -q '^best move [a-h][1-8][a-h][1-8]' <<<"$out"; then
        ok "$tag: the depth-6 search reports depth 6, a principal variation and a best move"
    else
        fail "$tag: the depth-6 search reported no principal variation"
        sed 's/^/    /' <<<"$out" | tail -n 20 >&2
    fi
    if grep -q '^engine stopped (Eng2 returned 1)$' <<<"$out"; then
        ok "$tag: Eng2 stops the engine"
    else
        fail "$tag: Eng2 did not stop the engine"
    fi

    # The UCI program: a search in its own thread, answered with a best move.
    status=0
    out=$( (printf 'uci\nisready\nposition startpos moves e2e4 e7e5\ngo depth 5\n'; sleep 5; printf 'quit\n') |
        (cd "$release" && run_windows "$loader" 60 ./zarn.exe)) || status=$?
    if [ "$status" -eq 0 ] && grep -q '^id name Zarn 504$' <<<"$out" && grep -q '^uciok$' <<<"$out" &&
        grep -q '^readyok$' <<<"$out" && grep -q '^bestmove [a-h][1-8][a-h][1-8]' <<<"$out"; then
        ok "$tag: zarn.exe speaks UCI and answers go depth 5 with a best move"
    else
        fail "$tag: zarn.exe UCI session (status $status)"
        sed 's/^/    /' <<<"$out" | tail -n 20 >&2
    fi

    # The search is deterministic: the same node count as the Linux build.
    if [ -z "$(bench_nodes "$linux_bench")" ]; then
        note "SKIPPED: $tag bench comparison (the Linux zarn has no bench count yet)"
        return
    fi
    status=0
    out=$(cd "$release" && run_windows "$loader" 600 ./zarn.exe bench) || status=$?
    local here there
    here=$(bench_nodes "$out")
    there=$(bench_nodes "$linux_bench")
    if [ "$status" -eq 0 ] && [ "$here" = "$there" ] &&
        [ "$(bench_signature "$out")" = "$(bench_signature "$linux_bench")" ]; then
        ok "$tag: zarn.exe bench counts $here nodes, position by position as the Linux build does"
    else
        fail "$tag: zarn.exe bench counts ${here:-nothing} nodes (status $status), the Linux build $there"
        diff <(bench_signature "$linux_bench") <(bench_signature "$out") | sed 's/^/    /' >&2 || true
    fi
}

reference_bench

if [ -x "$wine64" ] && [ "$(run_windows "$wine64" 300 "$build64/zarn.exe" --version 2>/dev/null | head -c 4)" = "Zarn" ]; then
    check_behaviour "$build64" "$wine64" "x86_64"
else
    fail "64-bit Wine cannot run $build64/zarn.exe --version"
fi

# Where 32-bit Wine cannot run, a 32-bit Linux build of the same sources under qemu-i386 user-mode
# emulation still shows that the search is clean on 32 bits (the data model is the one of Win32).
check_i386_linux() {
    local dir=$root/build-i386 out status here there
    if ! command -v qemu-i386 >/dev/null ||
        ! echo 'int main() {}' | g++ -m32 -static -x c++ - -o /dev/null >/dev/null 2>&1; then
        note "SKIPPED: the 32-bit Linux bench under qemu-i386 (needs qemu-user and g++-multilib)"
        return
    fi
    if [ -z "$(bench_nodes "$linux_bench")" ]; then
        note "SKIPPED: the 32-bit Linux bench under qemu-i386 (the Linux zarn has no bench count yet)"
        return
    fi
    note "building a 32-bit Linux zarn in $dir and running its bench under qemu-i386"
    cmake -S "$root" -B "$dir" -DZARN_BUILD_TESTS=OFF -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS=-m32 \
        -DCMAKE_EXE_LINKER_FLAGS="-m32 -static" >/dev/null
    cmake --build "$dir" -j"$jobs" --target zarn >/dev/null
    status=0
    out=$(timeout 900 qemu-i386 "$dir/zarn" bench 2>&1) || status=$?
    here=$(bench_nodes "$out")
    there=$(bench_nodes "$linux_bench")
    if [ "$status" -eq 0 ] && [ "$here" = "$there" ] &&
        [ "$(bench_signature "$out")" = "$(bench_signature "$linux_bench")" ]; then
        ok "i386 Linux under qemu-i386: bench counts $here nodes, position by position as the 64-bit build does"
    else
        fail "i386 Linux under qemu-i386: bench counts ${here:-nothing} nodes (status $status), the 64-bit build $there"
        diff <(bench_signature "$linux_bench") <(bench_signature "$out") | sed 's/^/    /' >&2 || true
    fi
}

# ---------------------------------------------------------------------------------------------------
# The 32-bit release under 32-bit Wine inside an emulated x86-64 machine (tools/win32-run), for machines
# whose kernel runs no 32-bit programs. The release zip is unpacked as a user installs it, zarn-host.exe
# and Chess32.dll beside its engines directory; all checks run in one boot.

stopFen="r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq -"
win32BenchDepth=${ZARN_WIN32_BENCH_DEPTH:-9}

# The checks inside the machine: each section's output between "=== NAME start" and "=== NAME end STATUS",
# with the machine's clock in seconds after each marker.
win32_guest_script() {  # release-folder-name
    cat <<EOF
release='$1'
stopFen='$stopFen'
benchDepth=$win32BenchDepth
EOF
    cat <<'EOF'
clock() { cut -d ' ' -f 1 /proc/uptime; }
section() {  # name command...
    name=$1
    shift
    echo "=== $name start $(clock)"
    "$@" >/tmp/section.out 2>&1
    status=$?
    tr -d '\r' </tmp/section.out
    echo "=== $name end $status $(clock)"
}
# A UCI session that waits for the best move (at most two minutes) before it says quit.
uci_session() {
    rm -f /tmp/uci.in /tmp/uci.raw
    mkfifo /tmp/uci.in
    wine zarn.exe </tmp/uci.in >/tmp/uci.raw 2>&1 &
    pid=$!
    exec 3>/tmp/uci.in
    printf 'uci\nisready\nposition startpos moves e2e4 e7e5\ngo depth 5\n' >&3
    waited=0
    while [ "$waited" -lt 120 ] && ! grep -q '^bestmove' /tmp/uci.raw; do
        sleep 1
        waited=$((waited + 1))
    done
    printf 'quit\n' >&3
    exec 3>&-
    wait "$pid"
    status=$?
    cat /tmp/uci.raw
    return "$status"
}
cd "$release" || exit 1
section first-start wine zarn.exe --version
section host-depth wine zarn-host.exe --depth 6
section host-stop wine zarn-host.exe --fen "$stopFen" --infinite --stop-after 1500
section uci uci_session
section bench wine zarn.exe bench "$benchDepth"
exit 0
EOF
}

# The lines of one section of the guest's output, and its status and seconds.
section_of() { awk -v name="$2" '$1 == "===" && $2 == name { on = ($3 == "start"); next } on' <<<"$1"; }
section_status() { awk -v name="$2" '$1 == "===" && $2 == name && $3 == "end" { print $4 }' <<<"$1"; }
section_seconds() {
    awk -v name="$2" '$1 == "===" && $2 == name && $3 == "start" { start = $4 }
                      $1 == "===" && $2 == name && $3 == "end" { printf "%.0f", $5 - start }' <<<"$1"
}

# A sequence of moves is legal from a position when the Linux zarn replays it.
legal_moves() {  # fen-or-empty moves
    local fen=()
    [ -z "$1" ] || fen=(--fen "$1")
    [ -n "$2" ] && "$linuxBuild/zarn" analyse "${fen[@]}" --moves "$2" --depth 1 >/dev/null 2>&1
}

check_win32_emulated() {
    local tag="i686 (32-bit Wine in qemu)" zip stage release out status started seconds
    zip=$(echo "$build32"/release/Zarn-*-win32.zip)
    if [ ! -f "$zip" ]; then fail "$tag: no release zip in $build32/release"; return; fi
    stage=$(mktemp -d)
    unzip -q "$zip" -d "$stage"
    release=$(basename "$zip" .zip)
    cp "$build32/zarn-host.exe" "$build32/Chess32.dll" "$stage/$release/"
    win32_guest_script "$release" >"$stage/checks.sh"
    note "running the i686 release from $(basename "$zip") under 32-bit Wine in an emulated machine"
    started=$SECONDS
    status=0
    out=$(ZARN_WIN32_VERBOSE=1 "$root/tools/win32-run" --timeout "${ZARN_WIN32_LIMIT:-900}" \
        --script "$stage/checks.sh" "$stage" 2>"$stage/stderr") || status=$?
    seconds=$((SECONDS - started))
    grep -E '^win32-run: (booted|finished|the machine ran|making|building|downloading)' "$stage/stderr" |
        sed 's/^win32-run: /    /' || true
    if [ "$status" -ne 0 ]; then
        fail "$tag: the checks did not run to their end (win32-run status $status after $seconds s)"
        grep -v 'console: \[' "$stage/stderr" | tail -n 30 | sed 's/^/    /' >&2
        printf '%s\n' "$out" | tail -n 30 | sed 's/^/    /' >&2
        rm -rf "$stage"
        return
    fi
    rm -rf "$stage"
    local name
    for name in first-start host-depth host-stop uci bench; do
        note "  $name: $(section_seconds "$out" "$name") s in the machine"
    done

    local first version host stop uci bench pv best
    first=$(section_of "$out" first-start)
    version=$(grep -m 1 '^Zarn' <<<"$first" || true)
    if [ "$(section_status "$out" first-start)" = 0 ] && [ -n "$version" ]; then
        ok "$tag: zarn.exe --version answers \"$version\""
    else
        fail "$tag: zarn.exe --version (status $(section_status "$out" first-start))"
        printf '%s\n' "$first" | tail -n 10 | sed 's/^/    /' >&2
    fi

    # The host's view: the plug-in from the engines directory beside it.
    host=$(section_of "$out" host-depth)
    if [ "$(section_status "$out" host-depth)" != 0 ]; then
        fail "$tag: zarn-host.exe --depth 6 exited with status $(section_status "$out" host-depth)"
        printf '%s\n' "$host" | tail -n 20 | sed 's/^/    /' >&2
    fi
    if grep -q '^plug-in .*engines/Zarn.eng: Zarn 504 by ' <<<"$host"; then
        ok "$tag: zarn-host.exe loads the plug-in from its engines directory; Eng7 answers \"Zarn 504\""
    else
        fail "$tag: Eng7 did not answer \"Zarn 504\" from the engines directory"
    fi
    if grep -q '^engine started, hash [0-9]* KB' <<<"$host" && grep -q '^\[330\] search started' <<<"$host"; then
        ok "$tag: Eng1 starts the engine and the search posts 330"
    else
        fail "$tag: the engine did not start or no 330 was posted"
    fi
    local spins
    spins=$(grep '^option .* spin ' <<<"$host" || true)
    same_set "$tag: the options bridge imports the six spin options with their ranges" \
"option RecaptureExtensions spin default 45 min 0 max 60
option PawnPushExtensions spin default 45 min 0 max 60
option ThreatExtensions spin default 36 min 0 max 60
option SingleMoveExtensions spin default 45 min 0 max 60
option DrawScore spin default 15 min -50 max 50
option BlitzPlayingSpeed spin default 26 min 25 max 35" "$spins"
    pv=$(sed -n 's/^\[340\] pv score [^:]*: //p' <<<"$host" | tail -n 1)
    best=$(sed -n 's/^best move \([a-h][1-8][a-h][1-8][qrbn]\{0,1\}\)$/\1/p' <<<"$host")
    if grep -q '^\[344\] depth 6$' <<<"$host" && [ -n "$best" ] && legal_moves "" "$pv" &&
        [ "$best" = "${pv%% *}" ]; then
        ok "$tag: the depth-6 search posts 344 (depth 6) and 340 with a legal principal variation: $pv"
    else
        fail "$tag: the depth-6 search: no depth 6, or the variation '$pv' is not legal or does not start with '$best'"
        printf '%s\n' "$host" | tail -n 20 | sed 's/^/    /' >&2
    fi
    if grep -q '^engine stopped (Eng2 returned 1)$' <<<"$host"; then
        ok "$tag: Eng2 stops the engine"
    else
        fail "$tag: Eng2 did not stop the engine"
    fi

    # A search without a limit, ended by Eng3 from the host's other thread.
    stop=$(section_of "$out" host-stop)
    best=$(sed -n 's/^best move \([a-h][1-8][a-h][1-8][qrbn]\{0,1\}\)$/\1/p' <<<"$stop")
    if [ "$(section_status "$out" host-stop)" = 0 ] && grep -q '^stopping the search (Eng3)$' <<<"$stop" &&
        grep -q '^search ended with ' <<<"$stop" && legal_moves "$stopFen" "$best"; then
        ok "$tag: Eng3 from another thread ends an unlimited search; best move $best"
    else
        fail "$tag: the unlimited search was not ended by Eng3 with a legal best move"
        printf '%s\n' "$stop" | tail -n 20 | sed 's/^/    /' >&2
    fi

    # The UCI program.
    uci=$(section_of "$out" uci)
    best=$(sed -n 's/^bestmove \([a-h][1-8][a-h][1-8][qrbn]\{0,1\}\).*/\1/p' <<<"$uci")
    if [ "$(section_status "$out" uci)" = 0 ] && grep -q '^id name Zarn 504$' <<<"$uci" &&
        grep -q '^uciok$' <<<"$uci" && grep -q '^readyok$' <<<"$uci" && legal_moves "" "e2e4 e7e5 $best"; then
        ok "$tag: zarn.exe speaks UCI and answers go depth 5 with the legal best move $best"
    else
        fail "$tag: zarn.exe UCI session (status $(section_status "$out" uci))"
        printf '%s\n' "$uci" | tail -n 20 | sed 's/^/    /' >&2
    fi

    # The same nodes as the Linux build, position by position, at the same depth.
    bench=$(section_of "$out" bench)
    local reference here there
    reference=$("$linuxBuild/zarn" bench "$win32BenchDepth" 2>&1) || reference=""
    here=$(bench_nodes "$bench")
    there=$(bench_nodes "$reference")
    if [ "$(section_status "$out" bench)" = 0 ] && [ -n "$here" ] && [ "$here" = "$there" ] &&
        [ "$(bench_signature "$bench")" = "$(bench_signature "$reference")" ]; then
        ok "$tag: zarn.exe bench $win32BenchDepth counts $here nodes, position by position as the Linux build does"
    else
        fail "$tag: zarn.exe bench $win32BenchDepth counts ${here:-nothing} nodes, the Linux build ${there:-nothing}"
        diff <(bench_signature "$reference") <(bench_signature "$bench") | sed 's/^/    /' >&2 || true
    fi
}

# 32-bit Wine runs here directly where the kernel runs 32-bit programs; elsewhere inside the emulated
# machine, and only where qemu-system-x86_64 is missing is the 32-bit behaviour left unchecked.
if [ -x "$wine32" ] && [ "$(run_windows "$wine32" 120 "$build32/zarn.exe" --version 2>/dev/null | head -c 4)" = "Zarn" ]; then
    check_behaviour "$build32" "$wine32" "i686"
elif command -v qemu-system-x86_64 >/dev/null; then
    check_win32_emulated
else
    note "SKIPPED: the i686 build under Wine (32-bit Wine cannot start programs here and qemu-system-x86_64 is not installed)"
    check_i386_linux
fi

if [ "$failures" -ne 0 ]; then
    printf 'windows-check: %d check(s) FAILED\n' "$failures" >&2
    exit 1
fi
note "all checks passed"
