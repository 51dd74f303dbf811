#!/usr/bin/env bash
# Signs a Windows program file or an MSI with Authenticode (osslsigncode): SHA-256, the whole
# chain that the PKCS#12 file holds, the description "LOMA"; the signing time is
# SOURCE_DATE_EPOCH, so the same file and certificate give the same bytes (RSA PKCS#1 v1.5
# signatures are deterministic) with the same osslsigncode: 2.5 and 2.9 order the certificates
# differently and encode a program file's flags differently. The password is read from a file,
# never given as an argument.
# With LOMA_SIGN_TIMESTAMP_URL an RFC 3161 server countersigns (its time and signature are its
# own: such a file is no longer reproducible).
#
# Usage: tools/release/authenticode.sh IN OUT   (LOMA_SIGN_PKCS12, LOMA_SIGN_PASSWORD_FILE,
# SOURCE_DATE_EPOCH set; LOMA_SIGN_URL adds a URL to the signature)
set -euo pipefail
in=$1 out=$2
: "${SOURCE_DATE_EPOCH:?}" "${LOMA_SIGN_PKCS12:?}" "${LOMA_SIGN_PASSWORD_FILE:?}"
args=(-pkcs12 "$LOMA_SIGN_PKCS12" -readpass "$LOMA_SIGN_PASSWORD_FILE" -h sha256 -n LOMA
      -time "$SOURCE_DATE_EPOCH")
[ -z "${LOMA_SIGN_URL:-}" ] || args+=(-i "$LOMA_SIGN_URL")
[ -z "${LOMA_SIGN_TIMESTAMP_URL:-}" ] || args+=(-ts "$LOMA_SIGN_TIMESTAMP_URL")
rm -f "$out"
if ! log=$(osslsigncode sign "${args[@]}" -in "$in" -out "$out" 2>&1); then
  echo "$log" >&2
  rm -f "$out"
  echo "authenticode: $in could not be signed" >&2
  exit 1
fi
echo "signed ${in#"$PWD"/}"
