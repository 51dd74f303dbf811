#!/usr/bin/env bash
# Packs what tools/release.sh built into a release folder: the .deb, an MSI and a zip per
# Windows architecture, and SHA256SUMS over them; signed where the caller gives the means
# (below), else unsigned, as it says in one line. A file that fails to sign stops it, and the
# folder is then removed: never a half-signed release.
#
#   LOMA_SIGN_PKCS12, LOMA_SIGN_PASSWORD_FILE   Authenticode: both LOMA.exe files before they
#       are packed, then both MSIs (tools/release/authenticode.sh); LOMA_SIGN_TIMESTAMP_URL
#       names an RFC 3161 time-stamp server that countersigns.
#   LOMA_GPG_KEY   a key in GNUPGHOME: SHA256SUMS.asc, the key as loma-archive-keyring.gpg, and
#       the apt repository apt/ signed with it (tools/release/apt-repo.sh).
#
# Usage: tools/release/pack.sh VERSION BUILD-DIR OUT-DIR   (SOURCE_DATE_EPOCH set; BUILD-DIR
# holds linux/, windows-x64/ and windows-x86/ as tools/release.sh builds them; its other
# folders are the packers' work folders)
set -euo pipefail
version=$1 build=$2 out=$3
here=$(cd "$(dirname "$0")" && pwd)
: "${SOURCE_DATE_EPOCH:?}"

sign_exe=0
if [ -n "${LOMA_SIGN_PKCS12:-}" ]; then
  : "${LOMA_SIGN_PASSWORD_FILE:?LOMA_SIGN_PKCS12 needs LOMA_SIGN_PASSWORD_FILE}"
  sign_exe=1
fi
if [ $sign_exe = 0 ] && [ -z "${LOMA_GPG_KEY:-}" ]; then
  echo "unsigned release (neither LOMA_SIGN_PKCS12 nor LOMA_GPG_KEY set)"
elif [ $sign_exe = 0 ]; then
  echo "Windows files unsigned (no LOMA_SIGN_PKCS12); checksums and apt repository signed"
elif [ -z "${LOMA_GPG_KEY:-}" ]; then
  echo "Windows files signed; checksums unsigned and no apt repository (no LOMA_GPG_KEY)"
fi
trap 'rm -rf "$out"; echo "release stopped: nothing left in $out" >&2' ERR
rm -rf "$out"
mkdir -p "$out"

bash "$here/deb.sh" "$version" "$build/linux" "$build/deb" "$out"
for arch in x64 x86; do
  exe=$build/windows-$arch/LOMA.exe
  if [ $sign_exe = 1 ]; then
    mkdir -p "$build/signed-$arch"
    bash "$here/authenticode.sh" "$exe" "$build/signed-$arch/LOMA.exe"
    exe=$build/signed-$arch/LOMA.exe
  fi
  assets=$(sed -n 's/^LOMA_ASSETS_DIR:PATH=//p' "$build/windows-$arch/CMakeCache.txt")
  LOMA_ASSETS=$assets bash "$here/msi.sh" "$version" "$arch" "$exe" "$build/msi-$arch" "$out"
  LOMA_ASSETS=$assets bash "$here/zip.sh" "$version" "$arch" "$exe" "$build/zip-$arch" "$out"
  if [ $sign_exe = 1 ]; then
    msi=$out/LOMA-$version-$arch.msi
    bash "$here/authenticode.sh" "$msi" "$msi.signed"
    mv "$msi.signed" "$msi"
  fi
done
(cd "$out" && sha256sum -- *.deb *.msi *.zip >SHA256SUMS)
if [ -n "${LOMA_GPG_KEY:-}" ]; then
  bash "$here/openpgp.sh" export "$out/loma-archive-keyring.gpg"
  bash "$here/openpgp.sh" detach "$out/SHA256SUMS" "$out/SHA256SUMS.asc"
  bash "$here/apt-repo.sh" "$out/loma_${version}_amd64.deb" "$out/apt"
fi
trap - ERR
