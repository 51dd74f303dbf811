#!/bin/bash
# A signed release, checked as an administrator would check it. The stage makes a throw-away
# certificate authority with a code-signing certificate (openssl) and a throw-away Ed25519
# OpenPGP key, in its own folder, and packs the programs that tools/release.sh built in
# build/release twice, signed, into folders of its own (tools/release/pack.sh). Then:
# - the two are byte for byte the same;
# - osslsigncode verifies both LOMA.exe files (as built, in the MSIs, in the zips) and both MSIs
#   against the CA and names the certificate's subject; a file with one byte changed, or a
#   check against another CA, fails;
# - gpgv accepts SHA256SUMS.asc with loma-archive-keyring.gpg, and refuses it once one byte of
#   SHA256SUMS has changed;
# - in a fresh minimal root of this machine's release, apt refuses the repository unsigned,
#   signed by another key, or changed after signing; installs loma from it signed; and upgrades
#   it to the next patch version once that version's repository is laid out over the first;
# - the signed MSIs install, upgrade and uninstall under Wine (tests/release/msi-wine.sh).
# Needs root (or sudo) for the root, osslsigncode, gnupg, gpgv, openssl, faketime, apt-utils,
# debootstrap, msitools, unzip, and what tests/release/msi-wine.sh needs.
#
# Usage: tests/release/signed.sh   (after tools/release.sh). Prints "N passed, N failed" last.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
VERSION=$(sed -nE 's/^project\(loma VERSION ([0-9.]+).*/\1/p' "$ROOT/CMakeLists.txt")
NEXT=${VERSION%.*}.$((${VERSION##*.} + 1))
SUITE=$(. /etc/os-release && echo "$VERSION_CODENAME")
. "$ROOT/tests/e2e/lib.sh"
e2e_init signed
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$ROOT" log -1 --format=%ct)} TZ=UTC LC_ALL=C.UTF-8
secs() { echo "$(( ($(e2e_now_ms) - $1) / 1000 )) s"; }
for part in linux windows-x64 windows-x86; do
  [ -d "$ROOT/build/release/$part" ] || { fail "build/release/$part: run tools/release.sh first"; e2e_summary; exit; }
done

# --- the throw-away keys: made a day before the commit, as a real key would be -------------
K=$WORK/keys
mkdir -p "$K" && chmod 700 "$K"
before="$(date -u -d "@$((SOURCE_DATE_EPOCH - 86400))" '+%Y-%m-%d %H:%M:%S')"
ca() {  # ca NAME SUBJECT: a self-signed certificate authority
  faketime "$before" openssl req -x509 -newkey rsa:3072 -noenc -keyout "$K/$1.key" -out "$K/$1.pem" \
    -days 3650 -subj "$2" -addext basicConstraints=critical,CA:true \
    -addext keyUsage=critical,keyCertSign,cRLSign 2>/dev/null
}
ca ca "/CN=LOMA Test Root CA"
ca other-ca "/CN=Another Test CA"
SUBJECT="/C=DE/O=zavro/CN=zavro Test Code Signing"
faketime "$before" openssl req -newkey rsa:3072 -noenc -keyout "$K/sign.key" -out "$K/sign.csr" \
  -subj "$SUBJECT" 2>/dev/null
printf 'basicConstraints=critical,CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >"$K/ext"
faketime "$before" openssl x509 -req -in "$K/sign.csr" -CA "$K/ca.pem" -CAkey "$K/ca.key" \
  -set_serial 2 -days 3650 -extfile "$K/ext" -out "$K/sign.pem" 2>/dev/null
head -c 24 /dev/urandom | base64 >"$K/password"
openssl pkcs12 -export -inkey "$K/sign.key" -in "$K/sign.pem" -certfile "$K/ca.pem" \
  -passout "file:$K/password" -out "$K/sign.p12"
check "throw-away CA and code-signing certificate ($SUBJECT)" test -s "$K/sign.p12"

export GNUPGHOME=$WORK/gnupg
mkdir -p "$GNUPGHOME" && chmod 700 "$GNUPGHOME"
gpg=(gpg --batch --quiet --pinentry-mode loopback --passphrase '')
newkey() {  # newkey UID: an Ed25519 signing key made a day before the commit; its fingerprint
  "${gpg[@]}" --faked-system-time "$((SOURCE_DATE_EPOCH - 86400))!" \
    --quick-gen-key "$1" ed25519 sign never 2>/dev/null
  gpg --batch --with-colons --list-keys "$1" 2>/dev/null | awk -F: '$1 == "fpr" { print $10; exit }'
}
KEY=$(newkey "LOMA Test Archive <archive@invalid.zavro>")
OTHER_KEY=$(newkey "Someone Else <else@invalid.zavro>")
check "throw-away OpenPGP keys ($KEY, $OTHER_KEY)" test -n "$KEY" -a -n "$OTHER_KEY"

# --- two signed releases of the same build ---------------------------------------------------
export LOMA_SIGN_PKCS12=$K/sign.p12 LOMA_SIGN_PASSWORD_FILE=$K/password LOMA_GPG_KEY=$KEY
pack() {  # pack NAME: the release, signed, in $WORK/NAME/dist
  mkdir -p "$WORK/$1/build"
  for part in linux windows-x64 windows-x86; do ln -s "$ROOT/build/release/$part" "$WORK/$1/build/$part"; done
  bash "$ROOT/tools/release/pack.sh" "$VERSION" "$WORK/$1/build" "$WORK/$1/dist" >"$WORK/$1.log" 2>&1
}
T=$(e2e_now_ms)
pack a; code=$?
check "signed release packed ($(secs "$T"))" test "$code" = 0 || tail -20 "$WORK/a.log"
T=$(e2e_now_ms)
pack b; code=$?
check "signed again, into another folder ($(secs "$T"))" test "$code" = 0 || tail -20 "$WORK/b.log"
D=$WORK/a/dist
echo "  $(cd "$D" && find . -type f | sort | sed 's|^\./||' | tr '\n' ' ')"
check "the two signed releases are byte for byte the same" diff -r "$D" "$WORK/b/dist"
check "SHA256SUMS holds the signed files" bash -c 'cd "$1" && sha256sum --quiet -c SHA256SUMS' _ "$D"
check "the pack said what it signed: 4 program files and MSIs" \
  test "$(grep -c '^signed ' "$WORK/a.log")" = 4
# A certificate that does not open stops the release, and leaves no folder behind.
echo "not the password" >"$K/wrong-password"
LOMA_SIGN_PASSWORD_FILE=$K/wrong-password pack wrong; code=$?
check "with the wrong password the release stops, no half-signed folder left" \
  test "$code" != 0 -a ! -e "$WORK/wrong/dist"
# Without the variables: unsigned, said in one line, nothing signed.
(unset LOMA_SIGN_PKCS12 LOMA_SIGN_PASSWORD_FILE LOMA_GPG_KEY; pack unsigned)
check "without a certificate or key: \"$(grep -m1 unsigned "$WORK/unsigned.log")\", no signature, no apt/" \
  bash -c 'test "$(grep -c "^unsigned release" "$1.log")" = 1 && test ! -e "$1/dist/SHA256SUMS.asc" -a ! -e "$1/dist/apt" &&
    ! osslsigncode verify -CAfile "$2" -in "$1/dist/LOMA-$3-x64.msi" >/dev/null 2>&1' _ "$WORK/unsigned" "$K/ca.pem" "$VERSION"

# --- Authenticode ----------------------------------------------------------------------------
verify() {  # verify FILE [CA]: osslsigncode's verdict; its output in $VERIFIED
  VERIFIED=$(osslsigncode verify -CAfile "${2:-$K/ca.pem}" -in "$1" 2>&1)
}
signed_by_subject() {  # signed_by_subject FILE: verifies, SHA-256, and names the subject
  verify "$1" && grep -qF "Subject: $SUBJECT" <<<"$VERIFIED" &&
    grep -qE "Message digest algorithm *: SHA256" <<<"$VERIFIED" &&
    grep -qF "Signature verification: ok" <<<"$VERIFIED"
}
flip() {  # flip FILE: changes the byte at a third of FILE
  python3 -c 'import os, sys
with open(sys.argv[1], "r+b") as f:
    f.seek(os.path.getsize(sys.argv[1]) // 3)
    b = f.read(1)[0]
    f.seek(-1, 1)
    f.write(bytes([b ^ 0x01]))' "$1"
}
mkdir -p "$WORK/exe"
for arch in x64 x86; do
  msi=$D/LOMA-$VERSION-$arch.msi zip=$D/LOMA-$VERSION-$arch.zip
  unzip -p "$zip" "LOMA-$VERSION-$arch/LOMA.exe" >"$WORK/exe/zip-$arch.exe"
  msiextract -C "$WORK/exe/msi-$arch" "$msi" >/dev/null
  find "$WORK/exe/msi-$arch" -name LOMA.exe -exec cp {} "$WORK/exe/msi-$arch.exe" \;
  cp "$WORK/a/build/signed-$arch/LOMA.exe" "$WORK/exe/built-$arch.exe"
  check "$arch: the LOMA.exe in the MSI and in the zip are the signed one" bash -c \
    'cmp -s "$1" "$2" && cmp -s "$1" "$3"' _ "$WORK/exe/built-$arch.exe" "$WORK/exe/msi-$arch.exe" "$WORK/exe/zip-$arch.exe"
  check "$arch: LOMA.exe from the zip verifies against the CA, SHA-256, signed by the subject" \
    signed_by_subject "$WORK/exe/zip-$arch.exe" || sed 's/^/    /' <<<"$VERIFIED" | tail -15
  check "$arch: LOMA.exe from the MSI verifies" signed_by_subject "$WORK/exe/msi-$arch.exe"
  check "$(basename "$msi") verifies against the CA, SHA-256, signed by the subject" \
    signed_by_subject "$msi" || sed 's/^/    /' <<<"$VERIFIED" | tail -15
  check "$(basename "$msi") does not verify against another CA" bash -c '! osslsigncode verify -CAfile "$1" -in "$2" >/dev/null 2>&1' \
    _ "$K/other-ca.pem" "$msi"
  # One byte changed after signing: in the program's code; in the MSI's cabinet.
  cp "$WORK/exe/built-$arch.exe" "$WORK/exe/changed-$arch.exe"
  flip "$WORK/exe/changed-$arch.exe"
  verify "$WORK/exe/changed-$arch.exe"
  check "$arch: LOMA.exe with one byte changed fails the check" test $? != 0
  cp "$msi" "$WORK/changed-$arch.msi"
  flip "$WORK/changed-$arch.msi"
  verify "$WORK/changed-$arch.msi"
  check "$(basename "$msi") with one byte changed fails the check ($(grep -c MISMATCH <<<"$VERIFIED") mismatch)" \
    bash -c '! grep -qF "Signature verification: ok" <<<"$1"' _ "$VERIFIED"
done
verify "$D/LOMA-$VERSION-x64.msi"
echo "  $(osslsigncode --version 2>&1 | head -1 | cut -d, -f1) verify: $(grep -m1 -F 'Subject:' <<<"$VERIFIED" | sed 's/^[[:space:]]*//')"

# --- the checksum list -----------------------------------------------------------------------
check "gpgv accepts SHA256SUMS.asc with loma-archive-keyring.gpg" \
  gpgv --keyring "$D/loma-archive-keyring.gpg" "$D/SHA256SUMS.asc" "$D/SHA256SUMS" 2>/dev/null
sed '1s/^./X/' "$D/SHA256SUMS" >"$WORK/SHA256SUMS.changed"
check "gpgv refuses it once one byte of SHA256SUMS has changed" bash -c \
  '! gpgv --keyring "$1" "$2" "$3" 2>/dev/null' _ "$D/loma-archive-keyring.gpg" "$D/SHA256SUMS.asc" "$WORK/SHA256SUMS.changed"
check "gpgv refuses a signature by a key outside the keyring" bash -c \
  'LOMA_GPG_KEY=$4 bash "$1/tools/release/openpgp.sh" detach "$2" "$2.other" &&
   ! gpgv --keyring "$3" "$2.other" "$2" 2>/dev/null' _ "$ROOT" "$WORK/SHA256SUMS.changed" \
  "$D/loma-archive-keyring.gpg" "$OTHER_KEY"

# --- the apt repository, in a fresh root -----------------------------------------------------
. "$ROOT/tests/release/archive.sh"
MIRROR=$(archive "$SUITE")
if [ -z "$MIRROR" ]; then
  skip "apt repository in a fresh $SUITE root" "apt knows no archive for $SUITE"
else
  R=$WORK/root
  # At the end: /proc unmounted (if it was mounted), then the root removed, never beyond it.
  e2e_at_exit "${sudo[*]} umount -l '$R/proc' 2>/dev/null; ${sudo[*]} rm -rf --one-file-system '$R'"
  T=$(e2e_now_ms)
  "${sudo[@]}" debootstrap --variant=minbase "$SUITE" "$R" "$MIRROR" >"$WORK/debootstrap.log" 2>&1
fi
if [ -n "$MIRROR" ] && [ ! -x "$R/usr/bin/apt-get" ]; then
  fail "a fresh minimal $SUITE root from $MIRROR"
  tail -5 "$WORK/debootstrap.log"
elif [ -n "$MIRROR" ]; then
  pass "a fresh minimal $SUITE root ($(secs "$T"))"
  "${sudo[@]}" mount -t proc proc "$R/proc"
  in_root() { "${sudo[@]}" chroot "$R" env DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8 "$@"; }
  printf '#!/bin/sh\nexit 101\n' | "${sudo[@]}" tee "$R/usr/sbin/policy-rc.d" >/dev/null
  "${sudo[@]}" chmod 755 "$R/usr/sbin/policy-rc.d"
  "${sudo[@]}" install -m 644 "$D/loma-archive-keyring.gpg" "$R/usr/share/keyrings/"
  # Copies of the repository: unsigned, signed by another key, changed after signing, signed.
  "${sudo[@]}" mkdir -p "$R/srv/unsigned" "$R/srv/other" "$R/srv/loma"
  "${sudo[@]}" cp -a "$D/apt/." "$R/srv/unsigned/"
  "${sudo[@]}" rm "$R/srv/unsigned/dists/stable/InRelease" "$R/srv/unsigned/dists/stable/Release.gpg"
  mkdir -p "$WORK/other" && cp -a "$D/apt" "$WORK/other/apt"
  LOMA_GPG_KEY=$OTHER_KEY bash "$ROOT/tools/release/openpgp.sh" detach "$WORK/other/apt/dists/stable/Release" \
    "$WORK/other/apt/dists/stable/Release.gpg"
  LOMA_GPG_KEY=$OTHER_KEY bash "$ROOT/tools/release/openpgp.sh" clearsign "$WORK/other/apt/dists/stable/Release" \
    "$WORK/other/apt/dists/stable/InRelease"
  "${sudo[@]}" cp -a "$WORK/other/apt/." "$R/srv/other/"
  # Signed by the release's key, then one word of Release changed.
  "${sudo[@]}" mkdir -p "$R/srv/changed"
  "${sudo[@]}" cp -a "$D/apt/." "$R/srv/changed/"
  "${sudo[@]}" sed -i 's/^Label: LOMA$/Label: LOMB/' "$R/srv/changed/dists/stable/InRelease" \
    "$R/srv/changed/dists/stable/Release"
  "${sudo[@]}" cp -a "$D/apt/." "$R/srv/loma/"
  "${sudo[@]}" chmod -R a+rX "$R/srv"
  line() { echo "deb [signed-by=/usr/share/keyrings/loma-archive-keyring.gpg] file:/srv/$1 stable main"; }
  use() { line "$1" | "${sudo[@]}" tee "$R/etc/apt/sources.list.d/loma.list" >/dev/null; }
  update_loma() {  # update_loma: apt-get update of the LOMA repository alone; its output in $APT
    APT=$(in_root apt-get update -o Dir::Etc::SourceList=sources.list.d/loma.list \
      -o Dir::Etc::SourceParts=- -o APT::Get::List-Cleanup=0 2>&1)
  }
  no_candidate() { ! in_root apt-cache policy loma 2>/dev/null | grep -qE 'Candidate: [0-9]'; }
  T=$(e2e_now_ms)
  check "apt-get update of the Debian archive in the root" in_root apt-get update -q >/dev/null 2>&1
  use unsigned
  update_loma
  update_loma; code=$?
  check "apt refuses the repository without a signature" \
    bash -c '[ "$1" != 0 ] && grep -qF "is not signed" <<<"$2"' _ "$code" "$APT" || sed 's/^/    /' <<<"$APT"
  check "  and offers no loma from it" no_candidate
  use other
  update_loma; code=$?
  check "apt refuses the repository signed by another key ($(grep -oE 'NO_PUBKEY [0-9A-F]+' <<<"$APT" | head -1))" \
    bash -c '[ "$1" != 0 ] && grep -qE "NO_PUBKEY|couldn.t be verified|Missing key" <<<"$2"' _ "$code" "$APT" ||
    sed 's/^/    /' <<<"$APT"
  check "  and offers no loma from it" no_candidate
  use changed
  update_loma; code=$?
  check "apt refuses the repository whose Release changed after signing ($(grep -oE 'BADSIG [0-9A-F]+' <<<"$APT" | head -1))" \
    bash -c '[ "$1" != 0 ] && grep -qE "BADSIG|couldn.t be verified|Bad signature|Message has been manipulated" <<<"$2"' _ "$code" "$APT" ||
    sed 's/^/    /' <<<"$APT"
  check "  and offers no loma from it" no_candidate
  use loma
  echo "  sources.list.d/loma.list: $(line loma)"
  update_loma; code=$?
  check "apt-get update accepts the signed repository, no warning" \
    bash -c '[ "$1" = 0 ] && ! grep -qE "^(W|E):" <<<"$2"' _ "$code" "$APT" || sed 's/^/    /' <<<"$APT"
  in_root apt-get install -y -q --no-install-recommends loma >"$WORK/install.log" 2>&1
  check "apt-get install loma: $VERSION installed from it ($(secs "$T"))" \
    test "$(in_root dpkg-query -W -f='${Version}' loma 2>/dev/null)" = "$VERSION" || tail -5 "$WORK/install.log"
  check "  /usr/bin/loma is there" test -x "$R/usr/bin/loma"

  # The next release, laid out over the first as its owner would publish it.
  T=$(e2e_now_ms)
  mkdir -p "$WORK/next"
  bash "$ROOT/tools/release/deb.sh" "$NEXT" "$ROOT/build/release/linux" "$WORK/next-build" "$WORK/next" >/dev/null
  bash "$ROOT/tools/release/apt-repo.sh" "$WORK/next/loma_${NEXT}_amd64.deb" "$WORK/next/apt"
  "${sudo[@]}" cp -a "$WORK/next/apt/." "$R/srv/loma/"
  "${sudo[@]}" chmod -R a+rX "$R/srv"
  check "the repository's pool holds both versions" test -f "$R/srv/loma/pool/main/l/loma/loma_${VERSION}_amd64.deb" \
    -a -f "$R/srv/loma/pool/main/l/loma/loma_${NEXT}_amd64.deb"
  update_loma; code=$?
  check "apt-get update accepts the next release's repository" test "$code" = 0
  in_root apt-get upgrade -y -q >"$WORK/upgrade.log" 2>&1
  check "apt-get upgrade: loma $VERSION upgraded to $NEXT ($(secs "$T"))" \
    test "$(in_root dpkg-query -W -f='${Version}' loma 2>/dev/null)" = "$NEXT" || tail -5 "$WORK/upgrade.log"
fi

# --- the signed MSIs under Wine --------------------------------------------------------------
T=$(e2e_now_ms)
env -u LOMA_SIGN_PKCS12 -u LOMA_SIGN_PASSWORD_FILE -u LOMA_GPG_KEY -u GNUPGHOME \
  bash "$ROOT/tests/release/msi-wine.sh" "$D" >"$WORK/msi.log" 2>&1
grep -E '^ *(FAIL|skip) ' "$WORK/msi.log"
e2e_add_counts "$WORK/msi.log"
echo "  the signed MSIs under Wine: $(tail -1 "$WORK/msi.log") ($(secs "$T"))"
e2e_summary
