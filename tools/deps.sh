#!/usr/bin/env bash
# Installs the Debian packages a purpose needs: `tools/deps.sh run|test|release`. Packages already
# present are not fetched again, so calling it twice costs nothing.
set -euo pipefail

build=(ca-certificates cmake g++ make pkg-config libgtest-dev libcairo2-dev libpango1.0-dev
       libturbojpeg0-dev libx11-dev libxext-dev libxrandr-dev libfontconfig-dev)
run=(xvfb x11-utils imagemagick procps)
test=(git mingw-w64 wine wine64 xvfb xdotool openbox wmctrl x11-utils imagemagick procps
      attr python3 python3-pil python3-numpy python3-fonttools python3-pyclipper
      libjpeg-turbo-progs fonts-noto-cjk fonts-inter fonts-urw-base35 clang-format clang-tidy)
# The release (tools/release.sh) and its checks; 32-bit Wine runs the x86 installer and program.
release=(git mingw-w64 python3 dpkg-dev lintian wixl msitools zip strip-nondeterminism
         faketime)
release_test=(diffoscope-minimal wine32:i386 xvfb xdotool x11-utils imagemagick util-linux file unzip
              binutils)

case "${1:-}" in
  run) wanted=("${build[@]}" "${run[@]}") ;;
  test) wanted=("${build[@]}" "${test[@]}" "${release[@]}" "${release_test[@]}") ;;
  release) wanted=("${build[@]}" "${release[@]}") ;;
  *) echo "usage: tools/deps.sh run|test|release" >&2; exit 2 ;;
esac

missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
# A package of another architecture (wine32:i386) needs that architecture known to dpkg first.
for p in "${missing[@]}"; do
  arch=${p##*:}
  [ "$arch" != "$p" ] || continue
  dpkg --print-foreign-architectures | grep -qx "$arch" || "${sudo[@]}" dpkg --add-architecture "$arch"
done
"${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 update -q
"${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends "${missing[@]}"
