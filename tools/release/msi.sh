#!/usr/bin/env bash
# Builds LOMA-VERSION-ARCH.msi with wixl from loma.wxs. wixl draws GUIDs at random and writes
# its clock into the summary information, so every GUID here is derived from the version and
# architecture (the UpgradeCode is fixed per architecture) and wixl runs with its clock frozen
# at SOURCE_DATE_EPOCH. wixl 0.101 ignores the Package Id and draws the package code anyway:
# msibuild then writes the derived one into the summary information.
#
# Usage: tools/release/msi.sh VERSION x64|x86 LOMA.EXE WORK-DIR OUT-DIR   (SOURCE_DATE_EPOCH set)
set -euo pipefail
version=$1 arch=$2 exe=$3 work=$4 out=$5
here=$(cd "$(dirname "$0")" && pwd)
# The assets: LOMA_ASSETS, else those of the build that made LOMA.EXE.
assets=${LOMA_ASSETS:-$(sed -n 's/^LOMA_ASSETS_DIR:PATH=//p' "$(dirname "$exe")/CMakeCache.txt")}
: "${SOURCE_DATE_EPOCH:?}"

case $arch in
  x64) platform=x64 template="x64;1033" win64=yes folder=ProgramFiles64Folder upgrade=6C2F2B8E-4D0A-4F55-9A43-0B5F3F7E2C11 ;;
  x86) platform=x86 template="Intel;1033" win64=no folder=ProgramFilesFolder upgrade=0D7C9A53-8E61-4B2E-A6F4-5B13C2D9E840 ;;
  *) echo "architecture x64 or x86, not $arch" >&2; exit 2 ;;
esac
guid() {  # guid NAME: a name-based (SHA-1) UUID of NAME, the version and the architecture
  /usr/bin/python3 -c 'import sys, uuid
print(str(uuid.uuid5(uuid.UUID(sys.argv[1]), " ".join(sys.argv[2:]))).upper())' \
    "$upgrade" "$1" "$version" "$arch"
}

rm -rf "$work"
mkdir -p "$work"
cp "$exe" "$work/LOMA.exe"
cp "$assets/window_icon.ico" "$work/loma.ico"
cp "$assets"/fonts/LICENSE-LomaBlack.txt "$assets"/fonts/LICENSE-LomaMing.txt "$work/"
bash "$here/readme.sh" "$version" "$arch" >"$work/README.txt"
# The cabinet inside records each file's time.
touch --date="@$SOURCE_DATE_EPOCH" "$work"/*

msi=$(cd "$out" && pwd)/LOMA-$version-$arch.msi
# libfaketime with an absolute time stops the clock there; set directly rather than through the
# faketime command, which would turn it into an offset from a clock that may itself be faked.
clock=(env -u FAKETIME_SHARED TZ=UTC LD_PRELOAD='/usr/$LIB/faketime/libfaketime.so.1'
       FAKETIME="$(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S')")
package_code="{$(guid package)}"
(cd "$work" && "${clock[@]}" wixl -a "$platform" -o "$msi.tmp" \
    -D Version="$version" -D Arch="$arch" -D Win64="$win64" \
    -D ProgramFiles="$folder" -D UpgradeCode="{$upgrade}" \
    -D ProductCode="{$(guid product)}" -D PackageCode="$package_code" \
    -D ProgramGuid="{$(guid program)}" -D DocumentsGuid="{$(guid documents)}" \
    -D ShortcutGuid="{$(guid shortcut)}" "$here/loma.wxs")
"${clock[@]}" msibuild "$msi.tmp" -s "LOMA $version ($arch)" zavro "$template" "$package_code"
mv "$msi.tmp" "$msi"
