#!/usr/bin/env bash
# CI step: the Windows deliverables. Installs the mingw-w64 cross compilers, Wine (64-bit, and 32-bit
# through the i386 architecture), zip, and for the emulated machine that runs 32-bit Wine where this
# kernel cannot (tools/win32-run) qemu-system-x86, busybox-static and cpio, when they are missing
# (tools/install-deps --windows, the list tools/packages-windows.txt). Then
# it checks tools/win32-run itself (tools/win32-run-test.sh) and runs tools/windows-check.sh, which
# cross-builds build-win32 and build-win64, checks the export and import tables and runs the programs
# under Wine, the 32-bit release inside the emulated machine. The machine's kernel package is downloaded
# with apt-get and cached with its archive and Wine prefix in ~/.cache/zarn-win32.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"

tools/install-deps --windows

# The tool itself first: exit status and output pass through, a crash and a hang end it.
started=$SECONDS
tools/win32-run-test.sh
printf '30-windows: tools/win32-run-test.sh took %d s\n' "$((SECONDS - started))"

# The reference bench count comes from the Linux build that .ci/run made before the steps.
ZARN_LINUX_BUILD=${ZARN_LINUX_BUILD:-$root/build} tools/windows-check.sh
printf '30-windows: the step took %d s\n' "$SECONDS"
