#!/usr/bin/env bash
# Checks tools/win32-run itself with three small 32-bit programs built here with mingw-w64:
#   - one that echoes its arguments and standard input and ends with status 3: output, arguments with
#     quotes and blanks, the --stdin file and the status pass through;
#   - one that writes through a null pointer: a non-zero status and a message naming the crash;
#   - one that never ends: stopped at the limit it is given (20 s here), status 124 and a message.
# Each run is one boot of the emulated machine. Needs i686-w64-mingw32-gcc and what win32-run needs.
set -euo pipefail
export LC_ALL=C

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
run=$root/tools/win32-run
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
ok() { printf 'win32-run-test: ok: %s\n' "$*"; }
fail() {
    printf 'win32-run-test: FAIL: %s\n' "$*" >&2
    failures=$((failures + 1))
}

mkdir -p "$work/programs"
cat >"$work/echo.c" <<'EOF'
#include <stdio.h>
int main(int argc, char** argv) {
    char line[256];
    printf("%d-bit, %d arguments:", (int)(sizeof(void*) * 8), argc - 1);
    for (int i = 1; i < argc; ++i) printf(" [%s]", argv[i]);
    printf("\n");
    while (fgets(line, sizeof line, stdin)) printf("read %s", line);
    fprintf(stderr, "a line on standard error\n");
    return 3;
}
EOF
cat >"$work/crash.c" <<'EOF'
#include <stdio.h>
int main(void) {
    volatile int* nowhere = 0;
    printf("about to crash\n");
    fflush(stdout);
    *nowhere = 1;
    return 0;
}
EOF
cat >"$work/hang.c" <<'EOF'
#include <stdio.h>
#include <windows.h>
int main(void) {
    printf("waiting forever\n");
    fflush(stdout);
    for (;;) Sleep(1000);
}
EOF
for program in echo crash hang; do
    i686-w64-mingw32-gcc -O1 -o "$work/programs/$program.exe" "$work/$program.c"
done
printf 'first line\nsecond line\n' >"$work/input"

expect_status() {  # what wanted actual
    if [ "$2" = "$3" ]; then ok "$1: status $3"; else fail "$1: status $3, wanted $2"; fi
}

started=$SECONDS
status=0
"$run" --stdin "$work/input" --timeout 120 "$work/programs" echo.exe "it's" 'two words' '$HOME' \
    >"$work/out" 2>"$work/err" || status=$?
expect_status "echo.exe" 3 "$status"
if [ "$(tr -d '\r' <"$work/out")" = "32-bit, 3 arguments: [it's] [two words] [\$HOME]
read first line
read second line" ]; then
    ok "echo.exe: a 32-bit program; its arguments, standard input and output pass through"
else
    fail "echo.exe: unexpected output"
    sed 's/^/    /' "$work/out" "$work/err" >&2
fi
if tr -d '\r' <"$work/err" | grep -qx 'a line on standard error'; then
    ok "echo.exe: standard error passes through"
else
    fail "echo.exe: standard error lost"
    sed 's/^/    /' "$work/err" >&2
fi
printf 'win32-run-test: echo.exe took %d s\n' "$((SECONDS - started))"

started=$SECONDS
status=0
"$run" --timeout 120 "$work/programs" crash.exe >"$work/out" 2>"$work/err" || status=$?
if [ "$status" -ne 0 ] && grep -q '^win32-run: crash.exe crashed' "$work/err" &&
    tr -d '\r' <"$work/out" | grep -qx 'about to crash'; then
    ok "crash.exe: status $status, the crash is named, the output before it kept"
else
    fail "crash.exe: status $status"
    sed 's/^/    /' "$work/out" "$work/err" >&2
fi
printf 'win32-run-test: crash.exe took %d s\n' "$((SECONDS - started))"

started=$SECONDS
status=0
"$run" --timeout 20 "$work/programs" hang.exe >"$work/out" 2>"$work/err" || status=$?
seconds=$((SECONDS - started))
if [ "$status" -eq 124 ] && grep -q 'did not finish within its limit of 20 s' "$work/err" &&
    tr -d '\r' <"$work/out" | grep -qx 'waiting forever'; then
    ok "hang.exe: stopped at its 20 s limit with status 124 after $seconds s in all"
else
    fail "hang.exe: status $status after $seconds s"
    sed 's/^/    /' "$work/out" "$work/err" >&2
fi

if [ "$failures" -ne 0 ]; then
    printf 'win32-run-test: %d check(s) FAILED\n' "$failures" >&2
    exit 1
fi
printf 'win32-run-test: all checks passed\n'
