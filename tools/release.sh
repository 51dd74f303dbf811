#!/usr/bin/env bash
# Builds a release into dist/: the Debian package, an MSI and a zip for 64- and 32-bit Windows,
# and SHA256SUMS over them. Installs what it needs first (tools/deps.sh; as root, or through
# sudo). The same commit gives the same bytes, wherever, whenever and by whomever it is built:
# every time stamp is the last commit's (SOURCE_DATE_EPOCH), and no path, user or clock reaches
# a file.
#
# Signed when the caller gives the means (LOMA_SIGN_PKCS12 and LOMA_SIGN_PASSWORD_FILE for
# Authenticode, LOMA_GPG_KEY for SHA256SUMS.asc and the apt repository dist/apt/; see
# tools/release/pack.sh and docs/install.md), else unsigned, as it says.
#
# Usage: tools/release.sh        (LOMA_NO_DEPS=1 to skip the package check)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

[ "${LOMA_NO_DEPS:-0}" = 1 ] || bash tools/deps.sh release
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C.UTF-8
umask 022
# The one version: project(loma VERSION x.y.z) in CMakeLists.txt.
version=$(sed -nE 's/^project\(loma VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "no project version in CMakeLists.txt" >&2; exit 1; }
echo "LOMA $version, time stamps at $(date -d "@$SOURCE_DATE_EPOCH" '+%F %T') UTC"

build=$root/build/release
rm -rf "$build" dist
mkdir -p "$build" dist
jobs=$(( $(nproc) < 2 ? $(nproc) : 2 ))
# Paths of the source and build folders are written as "." and "build" wherever a compiler
# would record them.
prefix_map="-ffile-prefix-map=$root/=./ -ffile-prefix-map=$root=. -ffile-prefix-map=$build/=build/"

# The Linux program as the linux preset builds it, the one the tests and the bench run:
# Debian's flags with its hardening, and the shared libraries that Debian keeps up to date.
cmake --preset linux -B "$build/linux" -DLOMA_TESTS=OFF -DLOMA_WERROR=ON \
  -DCMAKE_CXX_FLAGS="$prefix_map" -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build/linux" --target loma -j "$jobs"

# The Windows program, 64- and 32-bit.
for arch in x64 x86; do
  toolchain=cmake/mingw-w64.cmake
  [ "$arch" = x86 ] && toolchain=cmake/mingw-w64-i686.cmake
  cmake -S . -B "$build/windows-$arch" --toolchain "$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DLOMA_TESTS=OFF -DLOMA_WERROR=ON -DCMAKE_CXX_FLAGS="$prefix_map" >/dev/null
  cmake --build "$build/windows-$arch" --target loma_win32 -j "$jobs"
done

bash tools/release/pack.sh "$version" "$build" dist
echo "dist/:"
(cd dist && find . -type f | sort | sed 's|^\./||' | while read -r f; do
  printf '  %s\t%s\n' "$(stat -c %s "$f")" "$f"; done)
