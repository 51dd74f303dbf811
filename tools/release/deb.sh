#!/usr/bin/env bash
# Packs the Linux build as loma_VERSION_amd64.deb: what `cmake --install` lays out under /usr,
# stripped, with a manual page, the changelog and a machine-readable copyright file; the
# dependencies are computed from the program by dpkg-shlibdeps.
#
# Usage: tools/release/deb.sh VERSION BUILD-DIR WORK-DIR OUT-DIR   (SOURCE_DATE_EPOCH set)
set -euo pipefail
version=$1 build=$2 work=$3 out=$4
here=$(cd "$(dirname "$0")" && pwd)
assets=$(sed -n 's/^LOMA_ASSETS_DIR:PATH=//p' "$build/CMakeCache.txt")
: "${SOURCE_DATE_EPOCH:?}"

rm -rf "$work"
pkg=$work/loma
mkdir -p "$pkg/DEBIAN"
DESTDIR=$pkg cmake --install "$build" --prefix /usr >/dev/null
# Debian's own way: no debugging symbols, comments or notes in the installed program.
strip --remove-section=.comment --remove-section=.note "$pkg/usr/bin/loma"

doc=$pkg/usr/share/doc/loma
# The fonts' licence texts are in the copyright file.
rm -f "$doc"/LICENSE*
# The copyright file ends with the text of the fonts' licence, as the font's own file gives it.
{
  cat "$here/copyright.in"
  sed -n '/^PREAMBLE/,$p' "$assets/fonts/LICENSE-LomaBlack.txt" |
    sed -e 's/[[:space:]]*$//' -e 's/^$/./' -e 's/^/ /'
} >"$doc/copyright"
# The changelog and the manual page carry the version and the day of SOURCE_DATE_EPOCH.
sed -e "s/@VERSION@/$version/g" -e "s/@DATE@/$(date -u -R -d "@$SOURCE_DATE_EPOCH")/" \
  "$here/changelog" | gzip -9n >"$doc/changelog.gz"
mkdir -p "$pkg/usr/share/man/man1"
sed -e "s/@VERSION@/$version/g" -e "s/@DATE@/$(date -u -d "@$SOURCE_DATE_EPOCH" +%F)/" \
  "$here/loma.1" | gzip -9n >"$pkg/usr/share/man/man1/loma.1.gz"

# dpkg-shlibdeps reads the package's name from a control file in a debian/ folder.
mkdir -p "$work/debian"
printf 'Source: loma\n\nPackage: loma\nArchitecture: amd64\n' >"$work/debian/control"
depends=$(cd "$work" && dpkg-shlibdeps -O -e loma/usr/bin/loma 2>/dev/null |
  sed -n 's/^shlibs:Depends=//p')
[ -n "$depends" ] || { echo "dpkg-shlibdeps found no dependencies" >&2; exit 1; }

find "$pkg" -type d -exec chmod 0755 {} +
find "$pkg" -type f -exec chmod 0644 {} +
chmod 0755 "$pkg/usr/bin/loma"
(cd "$pkg" && find usr -type f | LC_ALL=C sort | xargs md5sum >DEBIAN/md5sums)
chmod 0644 "$pkg/DEBIAN/md5sums"
# Installed-Size as dpkg-gencontrol counts it: each file's size in KiB rounded up, and 1 KiB
# for every other entry. Not du: a folder's own size is the build file system's (4 KiB on ext4,
# a few bytes on tmpfs), so the same package would differ by where it was built.
size=$(cd "$pkg" && find usr \( -type f -printf 'f %s\n' \) -o -printf 'o\n' |
  awk '{ kib += ($1 == "f") ? int(($2 + 1023) / 1024) : 1 } END { print kib }')
sed -e "s/@VERSION@/$version/" -e "s/@DEPENDS@/$depends/" -e "s/@SIZE@/$size/" \
  "$here/control.in" >"$pkg/DEBIAN/control"
chmod 0644 "$pkg/DEBIAN/control"
find "$pkg" -exec touch --no-dereference --date="@$SOURCE_DATE_EPOCH" {} +

# dpkg-deb sorts the members and clamps every time to SOURCE_DATE_EPOCH.
dpkg-deb --root-owner-group -Zxz --build "$pkg" "$out/loma_${version}_amd64.deb" >/dev/null
