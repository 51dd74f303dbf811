#!/usr/bin/env bash
# clang-tidy over every C++ file of ours that a build compiles, and every header of ours they
# include (.clang-tidy's HeaderFilterRegex): the Linux build's files (the program, its tests and
# tools) and the Windows build's Win32 backend, parsed with mingw-w64's headers. The tool's
# findings are printed; any finding fails.
#   tools/tidy.sh [linux-build] [windows-build]   (configured linux and windows presets)
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
linux=${1:-build/linux}
windows=${2:-build/windows}
status=0
for db in "$linux/compile_commands.json" "$windows/compile_commands.json"; do
  [ -f "$db" ] || { echo "no $db: configure its preset first"; exit 2; }
done

# The generated sources in the build folders are not ours to tidy.
run-clang-tidy -p "$linux" -j "$(nproc)" -quiet \
  "^$root/(app|forms|launch|platform|tests|tools|ui)/" || status=1
# clang takes the target from the compiler's name (x86_64-w64-mingw32-g++) and finds mingw-w64's
# C headers, but not Debian's GCC C++ library (in a folder named 12-win32 or 12-posix, which
# clang 14 does not read as a version): the compiler itself says where that is. clang knows no
# -fno-fat-lto-objects.
cxx=$(sed -nE 's/^ *"command": "([^ ]+) .*/\1/p' "$windows/compile_commands.json" | head -1)
extra=(-extra-arg=-Wno-ignored-optimization-argument)
for dir in $(echo | "$cxx" -xc++ -E -v - 2>&1 | sed -n '/search starts here/,/End of search/p' |
  grep '/c++'); do
  extra+=("-extra-arg-before=-isystem$dir")
done
run-clang-tidy -p "$windows" -j "$(nproc)" -quiet "${extra[@]}" \
  "^$root/platform/win32/" || status=1
[ "$status" -eq 0 ] && echo "tidy: no findings" || echo "tidy: findings above"
exit "$status"
