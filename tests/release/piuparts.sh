#!/bin/bash
# Checks the Debian package as Debian checks its own: piuparts installs it into a fresh root of
# the release this machine runs (the one the package was built for), removes it and purges it,
# and fails on anything left behind or changed; then it installs
# the package's previous version with apt-get and upgrades it to the next one (this package
# packed again as the next patch version, VERSION -> VERSION+1 as the MSI upgrade test does),
# and purges that. The root is bootstrapped once, from the archive that this machine's apt uses,
# and kept as a tarball for the second run. Needs root (or sudo), piuparts and debootstrap.
#
# Usage: tests/release/piuparts.sh [DIST]   (default dist/; the next version is packed from
# build/release/linux). Prints "N passed, N failed" last.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
DIST=$(cd "${1:-$ROOT/dist}" && pwd) || exit 2
VERSION=$(sed -nE 's/^project\(loma VERSION ([0-9.]+).*/\1/p' "$ROOT/CMakeLists.txt")
NEXT=${VERSION%.*}.$((${VERSION##*.} + 1))
DEB=$DIST/loma_${VERSION}_amd64.deb
SUITE=$(. /etc/os-release && echo "$VERSION_CODENAME")
. "$ROOT/tests/e2e/lib.sh"
e2e_init piuparts
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)

. "$ROOT/tests/release/archive.sh"
MIRROR=$(archive "$SUITE")
check "apt's archive for $SUITE: ${MIRROR:-none found}" test -n "$MIRROR"
[ -n "$MIRROR" ] || { e2e_summary; exit; }

run_piuparts() {  # run_piuparts LOG ARG...: piuparts' verdict, its last lines when it fails
  local log=$1
  shift
  "${sudo[@]}" piuparts -d "$SUITE" -m "$MIRROR" -l "$log" "$@" >/dev/null 2>&1
  local code=$?
  [ "$code" = 0 ] || grep -E 'FAIL|ERROR' "$log" | tail -15 | sed 's/^/  /'
  return "$code"
}

T=$(e2e_now_ms)
check "piuparts: $(basename "$DEB") installs, removes and purges in a fresh $SUITE root, nothing left" \
  run_piuparts "$WORK/install.log" --save="$WORK/base.tgz" "$DEB"
check "piuparts says so: PASS: Installation and purging test" \
  grep -qF "PASS: Installation and purging test." "$WORK/install.log"
echo "  $(( ($(e2e_now_ms) - T) / 1000 )) s, the root bootstrapped from $MIRROR" \
  "($(du -m "$WORK/base.tgz" 2>/dev/null | cut -f1) MB as a tarball)"

# The next version: the same program packed again, as the MSI upgrade test packs it.
mkdir -p "$WORK/next" "$WORK/repo"
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$ROOT" log -1 --format=%ct)} \
  bash "$ROOT/tools/release/deb.sh" "$NEXT" "$ROOT/build/release/linux" "$WORK/next-build" "$WORK/next"
NEXT_DEB=$WORK/next/loma_${NEXT}_amd64.deb
check "loma $NEXT packed" test -f "$NEXT_DEB"
# The previous version, in an archive of its own that apt inside the root reads.
cp "$DEB" "$WORK/repo/"
(cd "$WORK/repo" && dpkg-scanpackages --multiversion . >Packages 2>/dev/null)
T=$(e2e_now_ms)
check "piuparts: $VERSION from apt, upgraded to $NEXT, purged, nothing left" \
  run_piuparts "$WORK/upgrade.log" --basetgz="$WORK/base.tgz" --no-install-purge-test \
  --bindmount="$WORK/repo" --extra-repo="deb [trusted=yes] file://$WORK/repo ./" "$NEXT_DEB"
# piuparts skips the upgrade, and still succeeds, when apt in the root does not know the old one.
check "piuparts says so: PASS: Installation, upgrade and purging tests" \
  grep -qF "PASS: Installation, upgrade and purging tests." "$WORK/upgrade.log"
echo "  $(( ($(e2e_now_ms) - T) / 1000 )) s"
e2e_summary
