#!/bin/bash
# Builds the release twice and compares every file in dist/: first here (tools/release.sh,
# into dist/, which the install stages then use), then from a clone in another folder, three
# days later by the clock (faketime), as another user (nobody, when run as root) with another
# umask. Any difference is shown with diffoscope and fails the stage.
#
# Usage: tests/release/reproducible.sh   Prints each build's minutes, "N passed, N failed" last.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
cd "$ROOT" || exit 2
passed=0 failed=0
ok() { passed=$((passed + 1)); echo "ok   $*"; }
bad() { failed=$((failed + 1)); echo "FAIL $*"; }
minutes() { awk -v s="$1" 'BEGIN { printf "%.1f", s / 60 }'; }

start=$SECONDS
if env -u SOURCE_DATE_EPOCH bash tools/release.sh >/tmp/loma-release-a.log 2>&1; then
  ok "first build, here ($(minutes $((SECONDS - start))) min)"
else
  tail -30 /tmp/loma-release-a.log; bad "first build"
  echo "$passed passed, $failed failed"; exit 1
fi

OTHER=$(mktemp -d /tmp/loma-repro.XXXXXX)
trap 'rm -rf "$OTHER"' EXIT
SRC=$OTHER/another/folder/loma
git clone -q "$ROOT" "$SRC"
mkdir -p "$OTHER/home"
as_other=()
if [ "$(id -u)" = 0 ]; then
  chown -R 65534:65534 "$OTHER"
  as_other=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  who=nobody
else
  who=$(id -un)
fi
start=$SECONDS
if (cd "$SRC" && "${as_other[@]}" env -u SOURCE_DATE_EPOCH HOME="$OTHER/home" USER=$who LOGNAME=$who \
      LOMA_NO_DEPS=1 faketime -f +3d bash -c 'umask 0077; bash tools/release.sh') \
    >"$OTHER/build.log" 2>&1; then
  ok "second build, in $SRC as $who, three days later ($(minutes $((SECONDS - start))) min)"
else
  tail -30 "$OTHER/build.log"; bad "second build"
  echo "$passed passed, $failed failed"; exit 1
fi

for f in dist/*; do
  name=$(basename "$f")
  if cmp -s "$f" "$SRC/dist/$name"; then
    ok "$name: the same bytes ($(sha256sum <"$f" | cut -c1-16)…)"
  else
    bad "$name differs"
    diffoscope --text - "$f" "$SRC/dist/$name" 2>&1 | head -200
  fi
done
extra=$(cd "$SRC/dist" && ls | grep -vxF -f <(ls "$ROOT/dist"))
[ -z "$extra" ] && ok "no file in the second dist/ that the first lacks" || bad "only in the second: $extra"

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
