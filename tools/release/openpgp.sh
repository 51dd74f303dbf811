#!/usr/bin/env bash
# OpenPGP signatures with the key LOMA_GPG_KEY in GNUPGHOME, made at a fixed time: the commit's
# (SOURCE_DATE_EPOCH), or the key's own creation if that is later, since no signature may be
# older than its key. With an Ed25519 or RSA key the same input then gives the same bytes.
#
# Usage: tools/release/openpgp.sh export KEYRING      the public key, binary, for apt and gpgv
#        tools/release/openpgp.sh detach FILE OUT     a detached, ASCII-armoured signature
#        tools/release/openpgp.sh clearsign FILE OUT  FILE with its signature inline (InRelease)
set -euo pipefail
: "${SOURCE_DATE_EPOCH:?}" "${LOMA_GPG_KEY:?}"
gpg=(gpg --batch --no-tty --quiet --no-auto-key-locate --no-auto-key-retrieve)

if [ "$1" = export ]; then
  "${gpg[@]}" --export --export-options export-minimal "$LOMA_GPG_KEY" >"$2.tmp"
  [ -s "$2.tmp" ] || { rm -f "$2.tmp"; echo "openpgp: no public key $LOMA_GPG_KEY" >&2; exit 1; }
  mv "$2.tmp" "$2"
  exit
fi

created=$("${gpg[@]}" --with-colons --list-secret-keys "$LOMA_GPG_KEY" |
  awk -F: '$1 == "sec" || $1 == "ssb" { if ($6 > t) t = $6 } END { print t + 0 }')
when=$SOURCE_DATE_EPOCH
[ "$created" -le "$when" ] || when=$created
sign=("${gpg[@]}" --faked-system-time "$when!" --local-user "$LOMA_GPG_KEY" --digest-algo SHA512
      --pinentry-mode loopback --yes)
case $1 in
  detach) sign+=(--armor --detach-sign) ;;
  clearsign) sign+=(--clearsign) ;;
  *) echo "usage: openpgp.sh export|detach|clearsign" >&2; exit 2 ;;
esac
# gpg warns on every run that its clock is set: shown only when it fails.
if ! log=$("${sign[@]}" --output "$3" "$2" 2>&1); then
  grep -v 'running with faked system time' <<<"$log" >&2
  rm -f "$3"
  echo "openpgp: $2 could not be signed with $LOMA_GPG_KEY" >&2
  exit 1
fi
