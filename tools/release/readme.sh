#!/usr/bin/env bash
# Writes the Windows packages' README.txt for VERSION and ARCH (x64|x86), with Windows line ends.
set -euo pipefail
case $2 in
  x64) bits="64-bit Windows" folder="Program Files" ;;
  x86) bits="32-bit or 64-bit Windows" folder="Program Files (x86) on 64-bit Windows, Program Files" ;;
esac
sed -e "s/@VERSION@/$1/" -e "s/@ARCH@/$2/" -e "s/@BITS@/$bits/" -e "s/@FOLDER@/$folder/" \
  -e 's/$/\r/' "$(dirname "$0")/README-windows.txt"
