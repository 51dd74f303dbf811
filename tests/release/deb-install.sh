#!/bin/bash
# Installs the Debian package with apt-get as a user would, runs the X11 end-to-end checks
# against the installed /usr/bin/loma (found, not found, the close click, the countdown, and a
# Windows program started hidden through /usr/lib/loma/'s helper), then
# removes it with apt-get and checks that nothing of ours is left. Needs root (or sudo).
#
# Usage: tests/release/deb-install.sh [DIST]   (default dist/). Prints "N passed, N failed" last.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
DIST=$(cd "${1:-$ROOT/dist}" && pwd) || exit 2
VERSION=$(sed -nE 's/^project\(loma VERSION ([0-9.]+).*/\1/p' "$ROOT/CMakeLists.txt")
DEB=$DIST/loma_${VERSION}_amd64.deb
. "$ROOT/tests/e2e/lib.sh"  # the counting; the displays are the X11 suite's own
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
apt() { "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -y -q "$@"; }
status() { dpkg-query -W -f='${Status}' loma 2>/dev/null; }

if [ -n "$(status | grep ' installed$')" ]; then
  echo "loma is installed already: remove it first (apt-get remove loma)"; exit 2
fi
apt install "$DEB" >/tmp/loma-deb-install.log 2>&1
check "apt-get install ./dist/$(basename "$DEB")" test "$(status)" = "install ok installed"
check "loma $VERSION installed" test "$(dpkg-query -W -f='${Version}' loma 2>/dev/null)" = "$VERSION"
check "/usr/bin/loma runs from the PATH" test "$(command -v loma)" = /usr/bin/loma
check "its libraries are all there" bash -c '! ldd /usr/bin/loma | grep -q "not found"'

echo "--- the X11 end-to-end checks against /usr/bin/loma"
LOMA=/usr/bin/loma bash "$ROOT/tests/e2e/x11/run.sh" 2>&1 | tee /tmp/loma-deb-e2e.log | sed 's/^/  /'
e2e_add_counts /tmp/loma-deb-e2e.log

echo "--- the hidden start of a Windows program by /usr/bin/loma, through /usr/lib/loma/"
LOMA=/usr/bin/loma bash "$ROOT/tests/e2e/x11/hidden_start.sh" 2>&1 | tee /tmp/loma-deb-hidden.log | sed 's/^/  /'
e2e_add_counts /tmp/loma-deb-hidden.log

OURS=$(dpkg-deb -c "$DEB" | awk '$1 !~ /^d/ {print substr($NF, 2)}')
apt remove loma >>/tmp/loma-deb-install.log 2>&1
check "apt-get remove loma" test -z "$(status | grep -v '^unknown ok not-installed$' | grep -v '^deinstall ok not-installed$')"
check "dpkg forgets it (no config files left)" bash -c '! dpkg-query -W loma 2>/dev/null | grep -q . || 
  dpkg-query -W -f="\${Status}" loma | grep -q "not-installed"'
left=$(for f in $OURS; do [ -e "$f" ] && echo "$f"; done)
check "none of its $(wc -w <<<"$OURS") files is left" test -z "$left"
[ -n "$left" ] && echo "  left: $left"
check "no folder of ours is left" bash -c \
  '! [ -e /usr/share/doc/loma ] && ! [ -e /usr/share/fonts/opentype/loma ] && ! [ -e /usr/lib/loma ]'

e2e_summary
