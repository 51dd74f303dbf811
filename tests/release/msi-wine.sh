#!/bin/bash
# Installs the MSIs under Wine, as an administrator's silent install would, and runs what they
# installed: in a 64-bit prefix the x64 MSI (then a higher version over it, then uninstall) and
# the x86 MSI (into the 32-bit Program Files); in a 32-bit prefix the x86 MSI. Each installed
# LOMA.exe is started from its install folder, must show its window and end on a click on its
# close button; uninstall must leave no folder, shortcut or registry entry behind.
#
# Usage: tests/release/msi-wine.sh [DIST]   (default dist/; the higher version for the upgrade is
# packed from build/release's LOMA.exe). Needs wine, wine64, msitools, wixl, xvfb, xdotool,
# imagemagick, and for the x86 parts wine32:i386 on a machine that runs 32-bit programs (elsewhere
# they are skipped). KEEP=1 keeps the screenshots. Prints "N passed, N failed, N skipped" last.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
DIST=$(cd "${1:-$ROOT/dist}" && pwd) || exit 2
VERSION=$(sed -nE 's/^project\(loma VERSION ([0-9.]+).*/\1/p' "$ROOT/CMakeLists.txt")
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
. "$ROOT/tests/e2e/lib.sh"
e2e_init msi
e2e_display 1024x768

new_prefix() {  # new_prefix win64|win32
  local t; t=$(e2e_now_ms)
  e2e_wine_prefix "$WORK/prefix-$1" "$1"
  echo "  $1 prefix ready in $(( ($(e2e_now_ms) - t) / 100 ))/10 s"
}
property() { msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' -v k="$2" '$1 == k {print $2}'; }
uninstall_key() {  # uninstall_key MSI 32|64: the product's Apps & features key, as reg shows it
  local out
  out=$(e2e_wine reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$(property "$1" ProductCode)" \
    /reg:"$2" 2>/dev/null) && tr -d '\r' <<<"$out"
}
# Apps & features shows the icon that Windows Installer keeps for the product (ARPPRODUCTICON).
product_icon() { echo "$WINEPREFIX/drive_c/windows/Installer/$(property "$1" ProductCode)/loma.ico"; }
# Per machine, Windows puts the shortcut in the common Start menu; Wine's msi puts it in the
# installing user's.
shortcut() { find "$WINEPREFIX/drive_c" -path '*/Start Menu/Programs/LOMA.lnk' 2>/dev/null | head -1; }
msiexec() { e2e_wine msiexec "$1" "$(e2e_wine winepath -w "$2")" /qn >/dev/null 2>&1; }  # msiexec /i|/x MSI

run_installed() {  # run_installed FOLDER LABEL: starts LOMA.exe there; window, then close click
  local folder=$1 label=$2 pid t0 wx wy
  (cd "$folder" && e2e_wine_command && exec "${E2E_WINE[@]}" LOMA.exe) >/dev/null 2>&1 &
  pid=$!
  t0=$(e2e_now_ms)
  e2e_await_window -s "571 253" --name '^LOMA$'
  check "$label: the installed LOMA.exe shows its window ($(( ($(e2e_now_ms) - t0) / 100 ))/10 s)" test -n "$WIN"
  if [ -z "$WIN" ]; then kill "$pid" 2>/dev/null; return; fi
  read -r wx wy _ <<<"$WIN_GEOMETRY"
  sleep 0.7
  e2e_shot "$WORK/$label.png" 571 253 "$wx" "$wy"
  local red; red=$(convert "$WORK/$label.png" -crop 89x73+45+174 +repage -fuzz 10% -fill white \
    -opaque '#FF0000' -fill black +opaque white -format '%[fx:int(mean*w*h)]' info:)
  check "$label: the countdown number is drawn in red ($red pixels)" test "$red" -gt 300
  e2e_click $((wx + 122)) $((wy + 150))
  e2e_wait_exit "$pid" 5000
  check "$label: a click on the close button ends it, code 0 ($CODE)" test "$CODE" = 0
}

installed() {  # installed MSI FOLDER REGVIEW LABEL VERSION: files, shortcut, Apps & features entry
  local msi=$1 folder=$2 view=$3 label=$4 version=$5 key
  check "$label: LOMA.exe, README.txt and the fonts' licences in ${folder#"$WINEPREFIX"/}" bash -c \
    'cd "$1" && test "$(ls | tr "\n" " ")" = "LICENSE-LomaBlack.txt LICENSE-LomaMing.txt LOMA.exe README.txt "' _ "$folder"
  local link; link=$(shortcut)
  check "$label: the Start-menu shortcut (${link#"$WINEPREFIX"/}) to LOMA.exe, with the icon" \
    bash -c 's=$(strings "$1"; strings -el "$1"); grep -qF "LOMA\\LOMA.exe" <<<"$s" && grep -qF "\\loma.ico" <<<"$s"' \
    _ "$link"
  key=$(uninstall_key "$msi" "$view")
  check "$label: Apps & features: LOMA $version by zavro" bash -c '
    grep -qE "DisplayName +REG_SZ +LOMA$" <<<"$1" && grep -qE "DisplayVersion +REG_SZ +$2$" <<<"$1" &&
    grep -qE "Publisher +REG_SZ +zavro$" <<<"$1"' _ "$key" "$version" || sed 's/^/    /' <<<"$key"
  check "$label: Apps & features: the program's icon" cmp -s "$(product_icon "$msi")" "$ICON"
}

removed() {  # removed MSI FOLDER REGVIEW LABEL
  check "$4: uninstalled, no folder ${2#"$WINEPREFIX"/}" test ! -e "$2"
  check "$4: uninstalled, no shortcut" test -z "$(shortcut)"
  check "$4: uninstalled, no Apps & features entry or icon" \
    test -z "$(uninstall_key "$1" "$3")" -a ! -e "$(product_icon "$1")"
}

X64=$DIST/LOMA-$VERSION-x64.msi X86=$DIST/LOMA-$VERSION-x86.msi
ICON=$ROOT/assets/window_icon.ico
T=$(e2e_now_ms)

echo "64-bit Wine: the x64 MSI"
new_prefix win64
FOLDER="$WINEPREFIX/drive_c/Program Files/LOMA"
msiexec /i "$X64"
check "x64: silent install, exit code 0" test $? = 0
installed "$X64" "$FOLDER" 64 x64 "$VERSION"
check "x64: the installed LOMA.exe is the zip's" cmp -s "$FOLDER/LOMA.exe" \
  <(unzip -p "$DIST/LOMA-$VERSION-x64.zip" "LOMA-$VERSION-x64/LOMA.exe")
run_installed "$FOLDER" x64

# A higher version over it: the same program packed as the next patch version.
NEXT=${VERSION%.*}.$((${VERSION##*.} + 1))
mkdir -p "$WORK/next"
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$ROOT" log -1 --format=%ct)} \
  bash "$ROOT/tools/release/msi.sh" "$NEXT" x64 "$ROOT/build/release/windows-x64/LOMA.exe" \
    "$WORK/next-build" "$WORK/next" 2>/dev/null
X64_NEXT=$WORK/next/LOMA-$NEXT-x64.msi
msiexec /i "$X64_NEXT"
check "upgrade: $NEXT installs over $VERSION, exit code 0" test $? = 0
check "upgrade: $VERSION is gone from Apps & features" test -z "$(uninstall_key "$X64" 64)"
installed "$X64_NEXT" "$FOLDER" 64 upgrade "$NEXT"
check "upgrade: one LOMA in Apps & features" test "$(e2e_wine reg query \
  'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s /reg:64 2>/dev/null | tr -d '\r' |
  grep -cE 'DisplayName +REG_SZ +LOMA$')" = 1
run_installed "$FOLDER" upgrade
msiexec /x "$X64_NEXT"
check "upgrade: silent uninstall, exit code 0" test $? = 0
removed "$X64_NEXT" "$FOLDER" 64 upgrade
check "x64: no registry key of ours left" bash -c '! e2e_wine reg query "HKLM\\Software\\zavro" /reg:64 >/dev/null 2>&1'

# The x86 program, and any 32-bit prefix, need a machine that runs 32-bit programs; elsewhere
# each of their checks is counted as skipped.
skip_x86() { local name; for name in "$@"; do e2e_x86 "$name"; done; }
echo "64-bit Wine: the x86 MSI"
FOLDER="$WINEPREFIX/drive_c/Program Files (x86)/LOMA"
# 64-bit Wine's msiexec installs the x86 package without running any of it.
msiexec /i "$X86"
check "x86 on 64-bit: silent install, exit code 0" test $? = 0
installed "$X86" "$FOLDER" 32 x86-on-64 "$VERSION"
if e2e_runs_x86; then
  run_installed "$FOLDER" x86-on-64
else
  skip_x86 "x86-on-64: window" "x86-on-64: red number" "x86-on-64: close click"
fi
msiexec /x "$X86"
removed "$X86" "$FOLDER" 32 x86-on-64
wineserver -k

echo "32-bit Wine: the x86 MSI"
if e2e_runs_x86; then
  new_prefix win32
  FOLDER="$WINEPREFIX/drive_c/Program Files/LOMA"
  msiexec /i "$X86"
  check "x86: silent install, exit code 0" test $? = 0
  check "x86: a 32-bit prefix (no Program Files (x86))" test ! -e "$WINEPREFIX/drive_c/Program Files (x86)"
  installed "$X86" "$FOLDER" 32 x86 "$VERSION"
  run_installed "$FOLDER" x86
  msiexec /x "$X86"
  check "x86: silent uninstall, exit code 0" test $? = 0
  removed "$X86" "$FOLDER" 32 x86
else
  skip_x86 "x86: silent install" "x86: a 32-bit prefix" "x86: installed files" "x86: shortcut" \
    "x86: Apps & features entry" "x86: Apps & features icon" "x86: window" "x86: red number" \
    "x86: close click" "x86: silent uninstall" "x86: no folder" "x86: no shortcut" \
    "x86: no Apps & features entry"
fi

echo "all in $(( ($(e2e_now_ms) - T) / 1000 )) s"
e2e_summary
