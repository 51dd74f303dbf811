#!/bin/bash
# Checks what tools/release.sh wrote: SHA256SUMS; the Debian package (lintian, pedantic, with no
# tag at all; computed dependencies; the copyright file; the files; the desktop entry and the
# AppStream component as Debian's own validators read them; the icon theme; no fonts where
# fontconfig would find them); each Windows program as the
# zip and the MSI carry it (the same bytes; hardening flags; every import one that Windows 7 SP1
# has; the manifest's architecture; the version block and icon); the MSIs' tables; the zips.
#
# Usage: tests/release/check.sh [DIST]   (default dist/). Prints "N passed, N failed" last.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
DIST=$(cd "${1:-$ROOT/dist}" && pwd) || exit 2
SDE=${SOURCE_DATE_EPOCH:-$(git -C "$ROOT" log -1 --format=%ct)}
VERSION=$(sed -nE 's/^project\(loma VERSION ([0-9.]+).*/\1/p' "$ROOT/CMakeLists.txt")
. "$ROOT/tests/e2e/lib.sh"  # the counting and the work folder
e2e_init release-check
has() { grep -qE -- "$1" <<<"$2" || { echo "  no /$1/ in:"; sed 's/^/    /' <<<"$2" | head -20; return 1; }; }
lacks() { ! grep -qE -- "$1" <<<"$2" || { echo "  /$1/ in:"; grep -E -- "$1" <<<"$2" | sed 's/^/    /'; return 1; }; }

DEB=$DIST/loma_${VERSION}_amd64.deb
FILES="loma_${VERSION}_amd64.deb LOMA-$VERSION-x64.msi LOMA-$VERSION-x86.msi LOMA-$VERSION-x64.zip LOMA-$VERSION-x86.zip"
check "dist holds the five packages and SHA256SUMS" \
  test "$(cd "$DIST" && ls | LC_ALL=C sort | tr '\n' ' ')" = "$(echo $FILES SHA256SUMS | tr ' ' '\n' | LC_ALL=C sort | tr '\n' ' ')"
check "SHA256SUMS lists them and matches" bash -c "cd '$DIST' && test \$(wc -l <SHA256SUMS) = 5 && sha256sum --quiet -c SHA256SUMS"

# --- the Debian package ----------------------------------------------------------------------
# Every tag lintian knows, the pedantic and the informational ones too: none may be ours. Its
# AppStream tag (lintian of Debian 13) only repeats appstreamcli's verdict, which is checked
# below on its own.
quiet=()
lintian-explain-tags appstream-metadata-validation-failed >/dev/null 2>&1 &&
  quiet=(--suppress-tags appstream-metadata-validation-failed)
LINTIAN=$(lintian --pedantic --display-info --fail-on error,warning,info,pedantic "${quiet[@]}" \
  "$DEB" 2>&1); code=$?
[ -n "$LINTIAN" ] && sed 's/^/  lintian: /' <<<"$LINTIAN"
check "lintian --pedantic: no tag at all" test "$code" = 0 -a -z "$(grep -E '^[EWIPX]: ' <<<"$LINTIAN")"
CONTROL=$(dpkg-deb -f "$DEB")
check "control: version $VERSION, section, priority, our maintainer" has \
  "Version: $VERSION" "$CONTROL"
check "control: section utils, priority optional" has $'Section: utils' "$CONTROL"
check "control: priority optional" has 'Priority: optional' "$CONTROL"
check "control: maintainer LOMA maintainers" has '^Maintainer: LOMA maintainers <' "$CONTROL"
check "control: recommends wine (most users start a Windows program)" has '^Recommends: wine(,|$)' "$CONTROL"
# Opened at run time by the Wayland host alone, so dpkg-shlibdeps cannot see it; without it the
# launcher runs on X11. 1.20.0 is the first with wl_proxy_marshal_flags.
check "control: recommends libwayland-client0 (>= 1.20.0) (the Wayland host opens it)" \
  has '^Recommends: (.*, )?libwayland-client0 \(>= 1\.20\.0\)(,|$)' "$CONTROL"
check "control: the program's libraries, computed (libc6; no Pango, HarfBuzz, fontconfig, GLib or libwayland-client)" \
  bash -c 'd=$(dpkg-deb -f "$1" Depends); grep -qF -- "libc6 (>=" <<<"$d" || { echo "  libc6 missing from: $d"; exit 1; }
    for l in libpango libharfbuzz libfontconfig libglib libwayland; do
    ! grep -qF -- "$l" <<<"$d" || { echo "  $l in: $d"; exit 1; }; done' _ "$DEB"
CONTENTS=$(dpkg-deb -c "$DEB" | awk '{print $NF}')
METAINFO=./usr/share/metainfo/invalid.zavro.loma.metainfo.xml
for f in ./usr/bin/loma ./usr/share/applications/loma.desktop "$METAINFO" \
    ./usr/share/doc/loma/copyright ./usr/share/doc/loma/changelog.gz ./usr/share/man/man1/loma.1.gz; do
  check "deb holds $f" has "^$f\$" "$CONTENTS"
done
ICONS=$(grep -E '^\./usr/share/icons/.*\.png$' <<<"$CONTENTS" | LC_ALL=C sort | tr '\n' ' ')
check "deb holds the icon at 16, 24, 32, 48, 64, 128 and 256 px in the hicolor theme" test "$ICONS" = \
  "$(for n in 16 24 32 48 64 128 256; do echo "./usr/share/icons/hicolor/${n}x$n/apps/loma.png"; done |
     LC_ALL=C sort | tr '\n' ' ')"
check "deb holds no font where fontconfig looks (/usr/share/fonts), nor any font file" \
  lacks '^\./usr/share/fonts/|\.(otf|ttf|ttc|pfb)$' "$CONTENTS"
dpkg-deb -x "$DEB" "$WORK/deb"
for n in 16 24 32 48 64 128 256; do
  check "the ${n} px icon is the artwork's" \
    cmp -s "$WORK/deb/usr/share/icons/hicolor/${n}x${n}/apps/loma.png" "$ROOT/assets/icons/loma-$n.png"
done
VALIDATE=$(desktop-file-validate "$WORK/deb/usr/share/applications/loma.desktop" 2>&1); code=$?
[ -n "$VALIDATE" ] && sed 's/^/  desktop-file-validate: /' <<<"$VALIDATE"
check "desktop-file-validate: the desktop entry, without error or warning" test "$code" = 0 -a -z "$VALIDATE"
check "desktop entry: keywords, the icon and the program by name" bash -c \
  'grep -q "^Keywords=..*;$" "$1" && grep -qx "Icon=loma" "$1" && grep -qx "Exec=loma" "$1"' _ \
  "$WORK/deb/usr/share/applications/loma.desktop"
# The notes left are informational (the identifier's top-level domain is the reserved
# "invalid", the maker's own address's, which no list of real domains holds), and one warning
# of AppStream 1.0 (Debian 13): the project has no homepage to name.
APPSTREAM=$(appstreamcli validate --no-net --pedantic "$WORK/deb/$METAINFO" 2>&1)
sed 's/^/  appstreamcli: /' <<<"$APPSTREAM"
check "appstreamcli validate --pedantic: the component, with no error, warning or pedantic note but the homepage" \
  test -z "$(grep -E '^[EWP]: ' <<<"$APPSTREAM" | grep -v '^W: [^ ]*: url-homepage-missing$')"
RELEASE_DAY=$(zcat "$WORK/deb/usr/share/doc/loma/changelog.gz" | sed -n 's/^ -- .*>  //p' | head -1)
check "metainfo: launched by loma.desktop, release $VERSION on the changelog's day" bash -c \
  'grep -qF "<launchable type=\"desktop-id\">loma.desktop</launchable>" "$1" &&
   grep -qF "<release version=\"$2\" date=\"$(date -u -d "$3" +%F)\"/>" "$1"' _ \
  "$WORK/deb/$METAINFO" "$VERSION" "$RELEASE_DAY"
COPYRIGHT=$(cat "$WORK/deb/usr/share/doc/loma/copyright")
check "copyright: machine-readable" has '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' "$COPYRIGHT"
check "copyright: both fonts under OFL-1.1, with the licence's text" bash -c \
  'test "$(grep -c "^License: OFL-1.1$" <<<"$1")" = 3 && grep -q "^Files: assets/fonts/LomaMing-Bold.otf" <<<"$1" &&
   grep -q "^Files: assets/fonts/LomaBlack.otf" <<<"$1" && grep -q "SIL OPEN FONT LICENSE\|Open Font License" <<<"$1" &&
   grep -q "^ THE FONT SOFTWARE IS PROVIDED" <<<"$1"' _ "$COPYRIGHT"
check "the packaged program is stripped and has no build path" bash -c \
  'file "$1" | grep -q ", stripped" && ! grep -qaF "$2" "$1"' _ "$WORK/deb/usr/bin/loma" "$ROOT"
# The program the tests and the bench run (the linux preset's) is the one the package installs:
# every byte that is loaded into memory the same (code, data, relocations, the dynamic section
# with its libraries and BIND_NOW), the build id aside, which hashes the debug information too.
TESTED=${LOMA_TESTED:-$ROOT/build/linux/loma}
if [ -x "$TESTED" ]; then
  check "the tests' program ($TESTED) loads byte for byte as the package's" bash -c \
    'loaded() { objcopy -O binary -R .note.gnu.build-id "$1" "$2"; }
     loaded "$1" "$3/tested.bin" && loaded "$2" "$3/packaged.bin" && cmp "$3/tested.bin" "$3/packaged.bin"' \
    _ "$TESTED" "$WORK/deb/usr/bin/loma" "$WORK"
  check "the package's program: PIE, BIND_NOW, RELRO, fortified, stack protector" bash -c \
    'readelf -hW "$1" | grep -q "Type: *DYN" && readelf -dW "$1" | grep -q "FLAGS_1.*NOW.*PIE" &&
     readelf -lW "$1" | grep -q GNU_RELRO && nm -D "$1" | grep -q " __stack_chk_fail" &&
     nm -D "$1" | grep -qE " __[a-z]+_chk(@|$)"' _ "$WORK/deb/usr/bin/loma"
else
  skip "the tests' program against the package's" "no $TESTED (build the linux preset first)"
fi
# The start helpers that Wine runs to start a Windows program hidden: a GUI program for each
# architecture, importing from kernel32 alone, with no time stamp and no build path.
for arch in x86 x64; do
  helper=$WORK/deb/usr/lib/loma/start-hidden-$arch.exe
  if [ "$arch" = x64 ]; then machine='pei-x86-64'; else machine='pei-i386'; fi
  check "deb holds /usr/lib/loma/start-hidden-$arch.exe: $machine, GUI, not executable" bash -c \
    'x86_64-w64-mingw32-objdump -f "$1" | grep -q "file format $2" &&
     x86_64-w64-mingw32-objdump -p "$1" | grep -q "Subsystem.*(Windows GUI)" && test "$(stat -c %a "$1")" = 644' \
    _ "$helper" "$machine"
  check "start-hidden-$arch.exe: imports from KERNEL32.dll alone, no time stamp, no build path" bash -c \
    'h=$(x86_64-w64-mingw32-objdump -p "$1"); test "$(grep "DLL Name:" <<<"$h" | awk "{print \$3}")" = KERNEL32.dll &&
     grep -qE "Time/Date[[:space:]]+Thu Jan  1 00:00:00 1970" <<<"$h" &&
     grep -qx "[[:space:]]*DYNAMIC_BASE" <<<"$h" && grep -qx "[[:space:]]*NX_COMPAT" <<<"$h" && ! grep -qaF "$2" "$1"' \
    _ "$helper" "$ROOT"
done

# --- the Windows programs --------------------------------------------------------------------
allowed=$(grep -v '^#' "$ROOT/tests/release/windows7-imports.txt" | sort -u)
for arch in x64 x86; do
  zip=$DIST/LOMA-$VERSION-$arch.zip msi=$DIST/LOMA-$VERSION-$arch.msi
  check "$arch zip: LOMA.exe, README.txt and the fonts' licences in LOMA-$VERSION-$arch/" test \
    "$(zipinfo -1 "$zip" | tr '\n' ' ')" = "LOMA-$VERSION-$arch/LICENSE-LomaBlack.txt LOMA-$VERSION-$arch/LICENSE-LomaMing.txt LOMA-$VERSION-$arch/LOMA.exe LOMA-$VERSION-$arch/README.txt "
  # A zip's times count in two-second steps.
  check "$arch zip: every member dated at the last commit" test -z \
    "$(TZ=UTC zipinfo -T "$zip" | awk '/^-/ {print $(NF-1)}' | sort -u |
       grep -vx "$(TZ=UTC date -d "@$((SDE - SDE % 2))" +%Y%m%d.%H%M%S)")"
  README=$(unzip -p "$zip" "LOMA-$VERSION-$arch/README.txt" | tr -d '\r')
  check "$arch zip: the readme names the diagnostic program's path" has 'C:\\ORNPrg\\ZAVRO_Fi\\LOMADiag.exe' "$README"
  unzip -p "$zip" "LOMA-$VERSION-$arch/LOMA.exe" >"$WORK/LOMA-$arch.exe"
  mkdir -p "$WORK/msi-$arch"
  msiextract -C "$WORK/msi-$arch" "$msi" >/dev/null
  inside=$(find "$WORK/msi-$arch" -name LOMA.exe | head -1)
  check "$arch: the MSI installs the zip's LOMA.exe" cmp -s "$inside" "$WORK/LOMA-$arch.exe"

  exe=$WORK/LOMA-$arch.exe
  x86_64-w64-mingw32-objdump -p "$exe" >"$WORK/headers-$arch.txt"
  HEADERS=$(cat "$WORK/headers-$arch.txt")
  if [ "$arch" = x64 ]; then machine='pei-x86-64'; else machine='pei-i386'; fi
  check "$arch exe: $machine, GUI" bash -c 'x86_64-w64-mingw32-objdump -f "$1" | grep -q "file format $2" &&
    grep -q "Subsystem.*(Windows GUI)" "$3"' _ "$exe" "$machine" "$WORK/headers-$arch.txt"
  check "$arch exe: no time stamp" has 'Time/Date[[:space:]]+Thu Jan  1 00:00:00 1970' "$HEADERS"
  check "$arch exe: DYNAMIC_BASE, NX_COMPAT" bash -c \
    'grep -qx "[[:space:]]*DYNAMIC_BASE" "$1" && grep -qx "[[:space:]]*NX_COMPAT" "$1"' _ "$WORK/headers-$arch.txt"
  if [ "$arch" = x64 ]; then
    check "x64 exe: HIGH_ENTROPY_VA" has '^[[:space:]]*HIGH_ENTROPY_VA$' "$HEADERS"
  else
    check "x86 exe: no HIGH_ENTROPY_VA" lacks 'HIGH_ENTROPY_VA' "$HEADERS"
  fi
  imports=$(awk '/DLL Name:/ {dll=tolower($3)} /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ && dll {print dll, $3}' <<<"$HEADERS" | sort -u)
  check "$arch exe: $(wc -l <<<"$imports") imports, each one Windows 7 SP1 has" \
    test -z "$(comm -23 <(echo "$imports") <(echo "$allowed") | tee /dev/stderr)"
  check "$arch exe: SetDefaultDllDirectories looked up, not imported" bash -c \
    '! grep -q " SetDefaultDllDirectories$" <<<"$1" && grep -qa SetDefaultDllDirectories "$2"' _ "$imports" "$exe"
  x86_64-w64-mingw32-windres -i "$exe" -O rc >"$WORK/resources-$arch.rc" 2>/dev/null
  RESOURCES=$(grep -v "^ *0x" "$WORK/resources-$arch.rc")
  if [ "$arch" = x64 ]; then want=amd64; else want=x86; fi
  check "$arch exe: manifest architecture $want" has "processorArchitecture=\"\"$want\"\"" "$RESOURCES"
  check "$arch exe: icon group 1 with image 30001" bash -c \
    'grep -q "^1 14 .*RT_GROUP_ICON" <<<"$1" && grep -q "^30001 3 " <<<"$1"' _ "$RESOURCES"
  check "$arch exe: version block with its six strings at 1.00" bash -c '
    for v in "\"CompanyName\", \"zavro\"" "\"ProductName\", \"LOMA\"" "\"FileVersion\", \"1.00\"" \
        "\"ProductVersion\", \"1.00\"" "\"InternalName\", \"LOMA\"" "\"OriginalFilename\", \"LOMA.exe\""; do
      grep -qF "$v" <<<"$1" || { echo "  no $v"; exit 1; }; done' _ "$RESOURCES"

  # --- the MSI ---
  mkdir -p "$WORK/dump-$arch"
  PROPS=$(cd "$WORK/dump-$arch" && msidump -t "$msi" >/dev/null 2>&1; cat Property.idt)
  SUMMARY=$(msiinfo suminfo "$msi")
  if [ "$arch" = x64 ]; then platform=x64 folder=ProgramFiles64Folder; else platform=Intel folder=ProgramFilesFolder; fi
  check "$arch msi: $platform package, per machine" bash -c \
    'grep -q "^Template: $2;" <<<"$1" && grep -q "^Source: 2 " <<<"$1" && grep -qP "^ALLUSERS\t1\r?$" "$3"' \
    _ "$SUMMARY" "$platform" "$WORK/dump-$arch/Property.idt"
  check "$arch msi: publisher zavro, version $VERSION, icon in Apps & features" bash -c \
    'grep -qP "^Manufacturer\tzavro\r?$" <<<"$1" && grep -qP "^ProductVersion\t$2\r?$" <<<"$1" &&
     grep -qP "^ARPPRODUCTICON\tloma.ico\r?$" <<<"$1"' _ "$PROPS" "$VERSION"
  check "$arch msi: the fixed UpgradeCode, a major upgrade" bash -c \
    'grep -qP "^UpgradeCode\t\{[0-9A-F-]{36}\}\r?$" <<<"$1" && grep -q "$(grep -oP "(?<=^UpgradeCode\t)\{[^}]*\}" <<<"$1")" "$2/Upgrade.idt" &&
     grep -q RemoveExistingProducts "$2/InstallExecuteSequence.idt"' _ "$PROPS" "$WORK/dump-$arch"
  check "$arch msi: into $folder\\LOMA" bash -c \
    'grep -qP "^INSTALLDIR\t$2\tLOMA\r?$" "$1/Directory.idt"' _ "$WORK/dump-$arch" "$folder"
  check "$arch msi: a Start-menu shortcut with the icon" bash -c \
    'grep -P "^LomaShortcut\tProgramMenuFolder\tLOMA\t" "$1/Shortcut.idt" | grep -q "loma.ico"' _ "$WORK/dump-$arch"
  check "$arch msi: created and saved at the last commit" bash -c \
    'test "$(grep -cE "^(Created|Last saved): $2" <<<"$1")" = 2' _ "$SUMMARY" \
    "$(TZ=UTC date -d "@$SDE" '+%a %b %e %H:%M:%S %Y')"
  check "$arch msi: the package code derived from version and architecture" bash -c \
    'grep -q "^Revision number (UUID): {[0-9A-F]\{8\}-[0-9A-F]\{4\}-5" <<<"$1"' _ "$SUMMARY"
done

e2e_summary
