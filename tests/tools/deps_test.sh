#!/usr/bin/env bash
# tools/deps.sh as a user that is not root and has no sudo, with two packages missing: it must
# print the exact install command for what is missing and exit 2, running no apt-get.
# Prints "N passed, N failed" last.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
bin=$(mktemp -d /tmp/loma-deps-test.XXXXXX)
trap 'rm -rf "$bin"' EXIT

# A PATH of the few tools the script uses, with id, dpkg-query and apt-get faked; no sudo.
for tool in bash grep env; do ln -s "$(command -v $tool)" "$bin/$tool"; done
printf '#!/bin/sh\necho 1000\n' > "$bin/id"
printf '#!/bin/sh\ncase "$*" in *cmake*|*xdotool*) exit 1;; esac\necho "install ok installed"\n' \
  > "$bin/dpkg-query"
printf '#!/bin/sh\ntouch "%s/apt-get-ran"\n' "$bin" > "$bin/apt-get"
chmod +x "$bin"/id "$bin"/dpkg-query "$bin"/apt-get

out=$(PATH=$bin "$bin/bash" "$ROOT/tools/deps.sh" test 2>"$bin/stderr")
code=$?
passed=0 failed=0
check() {
  if eval "$2"; then passed=$((passed + 1)); echo "ok   $1"; else failed=$((failed + 1)); echo "FAIL $1"; fi
}
check "exits 2" '[ "$code" = 2 ]'
check "prints the install line of exactly what is missing" \
  '[ "$out" = "apt-get update && apt-get install -y --no-install-recommends cmake xdotool" ]'
check "says to run it as root" 'grep -q "as root" "$bin/stderr"'
check "runs no apt-get and no sudo" '[ ! -e "$bin/apt-get-ran" ] && ! grep -q "sudo: " "$bin/stderr"'
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
