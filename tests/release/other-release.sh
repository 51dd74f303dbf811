#!/bin/bash
# The other Debian release, as a newcomer's fresh machine: a minimal root of it (Debian 13 when
# this machine runs 12, Debian 12 when it runs 13) bootstrapped from the archive apt uses, the
# checkout copied into its /root, and there, as root: tools/deps.sh, the Linux build with
# warnings as errors, the unit and golden tests, the X11 end-to-end suite (its Windows stand-in
# under that release's 64-bit Wine), and the .deb that this run's release made installed with
# apt, run against the X11 suite and a hidden start through Wine, and removed (deb-install.sh).
# The package is built for this machine's release: a root of an older one cannot install it,
# and says so as a skip. The mounts live in a namespace of their own and go with it; the root
# is a mount point there, as a machine's is, so that a test may make a namespace of its own.
#
# Usage: tests/release/other-release.sh [DIST]   (default dist/). Needs root, debootstrap and
# the windows preset's stand-ins (build/windows/stub). Prints "N passed, N failed" last.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
DIST=$(cd "${1:-$ROOT/dist}" && pwd) || exit 2
. "$ROOT/tests/e2e/lib.sh"
. "$ROOT/tests/release/archive.sh"

THIS=$(. /etc/os-release && echo "$VERSION_CODENAME")
case "$THIS" in
  bookworm) OTHER=trixie ;;
  trixie) OTHER=bookworm ;;
  *) echo "skip other release: this machine runs '$THIS', neither Debian 12 nor 13"
     echo "0 passed, 0 failed, 1 skipped"; exit 0 ;;
esac
[ "$(id -u)" -eq 0 ] || { echo "FAIL other release: needs root (chroot and mounts)"; echo "0 passed, 1 failed"; exit 1; }
e2e_init other-release
T0=$(e2e_now_ms)
seconds() { echo "$(( ($(e2e_now_ms) - $1) / 1000 )) s"; }

MIRROR=$(archive "$THIS")
check "apt's archive for $THIS: ${MIRROR:-none found}" test -n "$MIRROR"
[ -n "$MIRROR" ] || { e2e_summary; exit; }
R=$WORK/root
T=$(e2e_now_ms)
check "a minimal $OTHER root bootstrapped from $MIRROR" bash -c \
  'debootstrap --variant=minbase "$1" "$2" "$3" >"$4" 2>&1' _ "$OTHER" "$R" "$MIRROR" "$WORK/debootstrap.log"
echo "  $(seconds "$T")"
[ -x "$R/bin/bash" ] || { tail -5 "$WORK/debootstrap.log"; e2e_summary; exit; }

# The checkout as its files stand (uncommitted changes too), and what the windows preset built
# for the X11 suite: the Windows stand-ins, made by mingw-w64 the same on either release.
mkdir -p "$R/root/loma/build/windows"
git -C "$ROOT" ls-files -z | tar -C "$ROOT" --null -T - -cf - | tar -C "$R/root/loma" -xf -
cp -r "$ROOT/build/windows/stub" "$R/root/loma/build/windows/" 2>/dev/null ||
  echo "  no build/windows/stub: the X11 suite skips its Windows stand-in"
cp "$DIST"/loma_*_amd64.deb "$R/root/"
cp /etc/resolv.conf "$R/etc/resolv.conf" 2>/dev/null

inside() {  # inside NAME COMMAND: one counted step, run by bash in the root's checkout
  local name=$1 t
  t=$(e2e_now_ms)
  unshare --mount --propagation private bash -c '
    R=$1
    mount --bind "$R" "$R" && mount -t proc proc "$R/proc" && mount -t sysfs sys "$R/sys" &&
      mount --rbind /dev "$R/dev" && mount -t tmpfs shm "$R/dev/shm" || exit 1
    exec chroot "$R" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
      PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
      DEBIAN_FRONTEND=noninteractive bash -o pipefail -c "cd /root/loma && $2"' _ "$R" "$2" \
    >"$WORK/$name.log" 2>&1
  local code=$?
  if [ "$code" = 0 ]; then pass "$OTHER: $name ($(seconds "$t"))"
  else fail "$OTHER: $name ($(seconds "$t"))"; tail -25 "$WORK/$name.log" | sed 's/^/    /'; fi
  return "$code"
}
counted() {  # counted NAME: adds the suite's own counts from its log, as its own cases
  grep -E '^(ok|FAIL|skip) ' "$WORK/$1.log" | sed "s/^/  $OTHER: /"
  e2e_add_counts "$WORK/$1.log"
}

inside packages 'apt-get -o DPkg::Lock::Timeout=600 update -q && bash tools/deps.sh check' &&
  inside build 'cmake --preset linux -DLOMA_WERROR=ON >/dev/null && cmake --build --preset linux -j "$(nproc)"' &&
  inside unit 'ctest --preset linux -j "$(nproc)"'
if [ -x "$R/root/loma/build/linux/loma" ]; then
  inside x11-suite 'bash tests/e2e/x11/run.sh'
  counted x11-suite
fi
OLDER=$( [ "$OTHER" = bookworm ] && echo yes)
if [ -n "$OLDER" ]; then
  skip "$OTHER: this run's .deb installed and run" \
    "it is built for $THIS's libraries, newer than $OTHER's"
elif [ -f "$R/root/loma/tools/deps.sh" ]; then
  inside deb 'bash tests/release/deb-install.sh /root'
  counted deb
fi
echo "  $OTHER stage: $(seconds "$T0") in all"
e2e_summary
