#!/usr/bin/env bash
# Packs LOMA-VERSION-ARCH.zip: one folder of that name with LOMA.exe, README.txt and the fonts'
# licences; members sorted, times at SOURCE_DATE_EPOCH, no owner or extra fields.
#
# Usage: tools/release/zip.sh VERSION x64|x86 LOMA.EXE WORK-DIR OUT-DIR   (SOURCE_DATE_EPOCH set)
set -euo pipefail
version=$1 arch=$2 exe=$3 work=$4 out=$5
here=$(cd "$(dirname "$0")" && pwd)
# The assets: LOMA_ASSETS, else those of the build that made LOMA.EXE.
assets=${LOMA_ASSETS:-$(sed -n 's/^LOMA_ASSETS_DIR:PATH=//p' "$(dirname "$exe")/CMakeCache.txt")}
: "${SOURCE_DATE_EPOCH:?}"

name=LOMA-$version-$arch
rm -rf "$work"
mkdir -p "$work/$name"
cp "$exe" "$work/$name/LOMA.exe"
cp "$assets"/fonts/LICENSE-LomaBlack.txt "$assets"/fonts/LICENSE-LomaMing.txt "$work/$name/"
bash "$here/readme.sh" "$version" "$arch" >"$work/$name/README.txt"
chmod 0644 "$work/$name"/*
touch --date="@$SOURCE_DATE_EPOCH" "$work/$name"/*

zip=$(cd "$out" && pwd)/$name.zip
rm -f "$zip"
(cd "$work" && find "$name" -type f | LC_ALL=C sort | zip -q -X -D -9 "$zip" -@)
# zip writes local times and its own extra fields; this sets them to SOURCE_DATE_EPOCH.
strip-nondeterminism -t zip -T "$SOURCE_DATE_EPOCH" "$zip" >/dev/null
