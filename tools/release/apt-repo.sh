#!/usr/bin/env bash
# Lays out an apt repository with Debian's own tool (apt-ftparchive): pool/main/l/loma/ with the
# package, dists/stable/main/binary-amd64/Packages(.gz), and dists/stable/Release signed with
# LOMA_GPG_KEY as Release.gpg and InRelease. Served as it is (a file: URL or any web server), it
# is the line `deb [signed-by=/usr/share/keyrings/loma-archive-keyring.gpg] URL stable main`.
# A newer release's repository copied over an older one keeps the old package in pool/ and
# indexes the new one: apt-get upgrade picks it up. Dates are SOURCE_DATE_EPOCH's.
#
# Usage: tools/release/apt-repo.sh DEB REPO-DIR   (SOURCE_DATE_EPOCH, LOMA_GPG_KEY set)
set -euo pipefail
deb=$1 repo=$2
here=$(cd "$(dirname "$0")" && pwd)
: "${SOURCE_DATE_EPOCH:?}"

rm -rf "$repo"
mkdir -p "$repo/pool/main/l/loma" "$repo/dists/stable/main/binary-amd64"
cp "$deb" "$repo/pool/main/l/loma/"
touch --date="@$SOURCE_DATE_EPOCH" "$repo/pool/main/l/loma/"*
cd "$repo"
apt-ftparchive packages pool >dists/stable/main/binary-amd64/Packages
gzip -9n <dists/stable/main/binary-amd64/Packages >dists/stable/main/binary-amd64/Packages.gz
apt-ftparchive -o APT::FTPArchive::Release::Origin=LOMA -o APT::FTPArchive::Release::Label=LOMA \
  -o APT::FTPArchive::Release::Suite=stable -o APT::FTPArchive::Release::Codename=stable \
  -o APT::FTPArchive::Release::Architectures=amd64 -o APT::FTPArchive::Release::Components=main \
  -o APT::FTPArchive::Release::Description="LOMA releases" \
  -o APT::FTPArchive::Release::Date="$(LC_ALL=C date -u -d "@$SOURCE_DATE_EPOCH" '+%a, %d %b %Y %H:%M:%S UTC')" \
  release dists/stable >dists/stable/Release.tmp
mv dists/stable/Release.tmp dists/stable/Release
bash "$here/openpgp.sh" detach dists/stable/Release dists/stable/Release.gpg
bash "$here/openpgp.sh" clearsign dists/stable/Release dists/stable/InRelease
find . -exec touch -h --date="@$SOURCE_DATE_EPOCH" {} +
