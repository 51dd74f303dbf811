#!/usr/bin/env bash
# Installs the Debian packages a purpose needs: `tools/deps.sh run|test|release|bench|check`. Packages already
# present are not fetched again, so calling it twice costs nothing.
set -euo pipefail

build=(ca-certificates cmake g++ make pkg-config libgtest-dev libcairo2-dev libturbojpeg0-dev
       libx11-dev libxext-dev libx11-xcb-dev libxcb-randr0-dev libxcb-xinerama0-dev
       libfontconfig-dev libatk1.0-dev libatk-bridge2.0-dev libdbus-1-dev)
# dpkg-buildflags: the package's flags, which every Linux build of the program takes.
build+=(dpkg-dev)
build+=(libwayland-dev wayland-protocols)  # the Wayland host: libwayland-client, wayland-scanner
run=(xvfb x11-utils imagemagick procps)
# The start helpers that the Linux program runs under Wine: the C cross compilers alone.
run+=(gcc-mingw-w64-i686-win32 gcc-mingw-w64-x86-64-win32)
test=(git mingw-w64 wine wine64 xvfb xdotool openbox wmctrl x11-utils imagemagick procps
      attr python3 python3-pil python3-numpy python3-fonttools python3-pyclipper
      libjpeg-turbo-progs fonts-noto-cjk fonts-inter fonts-urw-base35 clang-format clang-tidy
      dbus at-spi2-core python3-pyatspi x11-xserver-utils xserver-xephyr unicode-data)
test+=(orca speech-dispatcher)  # the real screen reader and its speech (e2e-orca)
test+=(sway foot grim xwayland)  # the Wayland host under a real compositor (e2e-wayland-sway)
# The other release's stage (tests/release/other-release.sh), inside its fresh root: the build,
# the unit tests, and the X11 suite with a Windows program started under 64-bit Wine.
check=(xvfb xdotool openbox wmctrl x11-utils x11-xserver-utils imagemagick procps python3
       python3-pil python3-numpy wine wine64)
# The release (tools/release.sh) and its checks.
release=(git mingw-w64 python3 dpkg-dev lintian wixl msitools zip strip-nondeterminism
         faketime)
# Signing, when the caller gives a certificate or a key: Authenticode, OpenPGP, the apt
# repository's indices.
release+=(osslsigncode gnupg apt-utils)
release_test=(diffoscope-minimal xvfb xdotool x11-utils imagemagick util-linux file unzip
              binutils)
# The desktop's own validators of the desktop entry and the AppStream component, and piuparts
# with the debootstrap it makes its roots with.
release_test+=(desktop-file-utils appstream piuparts debootstrap)
# The signed stage: its throw-away certificate authority, and gpgv, which Debian 13's gnupg
# no longer brings along.
release_test+=(openssl gpgv)
# bench/run.sh: the reference dialog, the probe's and the floors' headers, Wine for LOMA.exe,
# a session bus with an accessibility bus for its A11Y runs, xrdb for its DPI runs.
bench=(xvfb yad gcc libx11-dev libxdamage-dev libxfixes-dev libpango1.0-dev mingw-w64 wine wine64 dbus
       at-spi2-core x11-xserver-utils)
# The fuzz harnesses: clang with libFuzzer and its sanitizers, whose runtime is packaged per
# clang version: the one that this release's clang package stands for (clang-14 on Debian 12,
# clang-19 on 13), read from the installed package or else from apt's candidate.
clang_major() {
  local said
  said="$(dpkg-query -W -f='${Depends}' clang 2>/dev/null) $(apt-cache depends clang 2>/dev/null)"
  [[ $said =~ clang-([0-9]+) ]] && echo "${BASH_REMATCH[1]}"
}
test+=(clang)
major=$(clang_major || true)
[ -z "$major" ] || test+=("libclang-rt-$major-dev")  # else asked again after apt-get update
test+=(mutter xwayland)  # GNOME's window manager, on X11 and headless Wayland (e2e-desktops-mutter)
# Wine's 32-bit part runs the x86 installer, program and start helper, but only where this
# machine runs 32-bit programs at all: elsewhere Debian's /usr/bin/wine would prefer its 32-bit
# loader, which cannot run there, and every Wine call would fail, 64-bit programs' too.
if bash "${0%/*}/runs-x86.sh" 2>/dev/null; then
  release_test+=(wine32:i386)
elif dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; then
  echo "tools/deps.sh: wine32:i386 is installed, but this machine cannot run 32-bit programs;" \
    "every Wine call fails while it is there: apt-get remove wine32:i386" >&2
fi

case "${1:-}" in
  run) wanted=("${build[@]}" "${run[@]}") ;;
  test) wanted=("${build[@]}" "${test[@]}" "${release[@]}" "${release_test[@]}") ;;
  release) wanted=("${build[@]}" "${release[@]}") ;;
  bench) wanted=("${build[@]}" "${bench[@]}") ;;
  check) wanted=("${build[@]}" "${run[@]}" "${check[@]}") ;;
  *) echo "usage: tools/deps.sh run|test|release|bench|check" >&2; exit 2 ;;
esac

missing=()
for p in "${wanted[@]}"; do
  [[ " ${missing[*]} " == *" $p "* ]] && continue  # named by two groups
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

# A package of another architecture (wine32:i386) needs that architecture known to dpkg first.
arches=()
for p in "${missing[@]}"; do
  arch=${p##*:}
  [ "$arch" != "$p" ] || continue
  dpkg --print-foreign-architectures 2>/dev/null | grep -qx "$arch" || arches+=("$arch")
done

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    # Nothing here can install them: say exactly what to run as root.
    echo "tools/deps.sh: missing packages, and neither root nor sudo to install them." >&2
    echo "Run this as root (for example in 'su -'), then run tools/deps.sh again:" >&2
    for arch in "${arches[@]}"; do printf 'dpkg --add-architecture %s && ' "$arch"; done
    echo "apt-get update && apt-get install -y --no-install-recommends ${missing[*]}"
    exit 2
  fi
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
for arch in "${arches[@]}"; do "${sudo[@]}" dpkg --add-architecture "$arch"; done
"${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 update -q
if [ "$1" = test ] && [ -z "$major" ]; then
  major=$(clang_major || true)
  [ -n "$major" ] || { echo "tools/deps.sh: apt offers no clang package" >&2; exit 1; }
  missing+=("libclang-rt-$major-dev")
fi
"${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends "${missing[@]}"
