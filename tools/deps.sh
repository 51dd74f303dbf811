#!/usr/bin/env bash
# Installs the Debian packages a purpose needs: `tools/deps.sh run|test`. Packages already
# present are not fetched again, so calling it twice costs nothing.
set -euo pipefail

build=(ca-certificates cmake g++ make pkg-config libgtest-dev libcairo2-dev libpango1.0-dev
       libturbojpeg0-dev libx11-dev libxext-dev libxrandr-dev libfontconfig-dev
       libatk1.0-dev libatk-bridge2.0-dev libdbus-1-dev)
run=(xvfb x11-utils imagemagick procps)
test=(git mingw-w64 wine wine64 xvfb xdotool openbox wmctrl x11-utils imagemagick procps
      attr python3 python3-pil python3-numpy python3-fonttools python3-pyclipper
      libjpeg-turbo-progs fonts-noto-cjk fonts-inter fonts-urw-base35 clang-format clang-tidy
      dbus at-spi2-core python3-pyatspi x11-xserver-utils)
test+=(clang libclang-rt-14-dev)  # the fuzz harnesses: clang with libFuzzer and its sanitizers

case "${1:-}" in
  run) wanted=("${build[@]}" "${run[@]}") ;;
  test) wanted=("${build[@]}" "${test[@]}") ;;
  *) echo "usage: tools/deps.sh run|test" >&2; exit 2 ;;
esac

missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    # Nothing here can install them: say exactly what to run as root.
    echo "tools/deps.sh: missing packages, and neither root nor sudo to install them." >&2
    echo "Run this as root (for example in 'su -'), then run tools/deps.sh again:" >&2
    echo "apt-get update && apt-get install -y --no-install-recommends ${missing[*]}"
    exit 2
  fi
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 update -q
"${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends "${missing[@]}"
