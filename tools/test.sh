#!/usr/bin/env bash
# Builds everything and runs every test: the asset format checks, the unit and scenario tests
# (also under the sanitizers), the Windows cross build, and the end-to-end runs of both programs
# in virtual displays. Installs what it needs first. Exits non-zero if anything fails.
set -uo pipefail
cd "$(dirname "$0")/.."

bash tools/deps.sh test || exit 1

jobs=$(nproc)
passed=0
failed=0
skipped=0
log=$(mktemp -d /tmp/loma-test.XXXXXX)
echo "Each stage's output is kept in $log/STAGE.txt"

stage() {  # stage NAME COMMAND...: runs it, keeps its output, counts its cases, says its minutes
  local name=$1 start=$SECONDS minutes
  shift
  echo "=== $name"
  if "$@" 2>&1 | tee "$log/$name.txt"; then
    minutes=$(awk -v s=$((SECONDS - start)) 'BEGIN { printf "%.1f", s / 60 }')
    echo "=== $name: ok ($minutes min)"
  else
    minutes=$(awk -v s=$((SECONDS - start)) 'BEGIN { printf "%.1f", s / 60 }')
    echo "=== $name: FAILED ($minutes min)"
    failed_stages+=("$name")
  fi
}
failed_stages=()

count() {  # adds what a stage's output says it ran, and what it skipped
  local f=$log/$1.txt p=0 q=0 s=0 line
  if line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$f" | tail -1); then
    q=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/')
    p=$(( $(echo "$line" | sed -E 's/.*out of ([0-9]+).*/\1/') - q ))
  elif line=$(grep -E '^Ran [0-9]+ tests?' "$f" | tail -1); then
    p=$(echo "$line" | sed -E 's/Ran ([0-9]+).*/\1/')
    for n in $(grep -E '^FAILED \(' "$f" | grep -oE '(failures|errors)=[0-9]+' | cut -d= -f2); do
      q=$((q + n))
    done
    p=$((p - q))
  elif line=$(grep -E '^([A-Za-z-]+: )?[0-9]+ passed, [0-9]+ failed' "$f" | tail -1); then
    p=$(echo "$line" | sed -E 's/^([A-Za-z-]+: )?([0-9]+) passed.*/\2/')
    q=$(echo "$line" | sed -E 's/.* ([0-9]+) failed.*/\1/')
    if [[ $line =~ ([0-9]+)\ skipped ]]; then s=${BASH_REMATCH[1]}; fi
  fi
  passed=$((passed + p))
  failed=$((failed + q))
  skipped=$((skipped + s))
}

if [ -d tests/assets ]; then
  stage assets /usr/bin/python3 -m unittest discover -s tests/assets -v
  count assets
fi

stage format bash -c 'set -o pipefail; git ls-files "*.cpp" "*.h" |
  xargs --no-run-if-empty clang-format --dry-run -Werror'

stage unit bash -c "cmake --preset linux -DLOMA_WERROR=ON >/dev/null &&
  cmake --build --preset linux -j $jobs && ctest --preset linux -j $jobs"
count unit

# clang-tidy over the program's own code (not the Windows backend: its headers are mingw's).
stage tidy bash -c "set -o pipefail; git ls-files '*.cpp' | grep -vE '^(platform/win32|tests|tools|bench)/' |
  xargs -P $jobs -n 4 clang-tidy -p build/linux --quiet --warnings-as-errors='*' 2>/dev/null"

stage sanitizers bash -c "cmake --preset linux-asan -DLOMA_WERROR=ON >/dev/null &&
  cmake --build --preset linux-asan -j $jobs && ctest --preset linux-asan -j $jobs"
count sanitizers

if [ -f platform/win32/CMakeLists.txt ]; then
  stage windows bash -c "cmake --preset windows -DLOMA_WERROR=ON >/dev/null &&
    cmake --build --preset windows -j $jobs"
fi

# tools/deps.sh where it cannot install: not root, no sudo.
stage deps bash tests/tools/deps_test.sh
count deps

for e2e in tests/e2e/x11/run.sh tests/e2e/wine/run.sh tests/e2e/atspi/run.sh \
           tests/e2e/wine/a11y/run.sh; do
  [ -f "$e2e" ] || continue
  name=e2e-$(dirname "${e2e#tests/e2e/}" | tr / -)
  stage "$name" bash "$e2e"
  count "$name"
done

# A screen reader's click ends the launcher only after the call's reply has left.
if [ -f tests/e2e/atspi/click_reply.sh ]; then
  stage e2e-atspi-click bash tests/e2e/atspi/click_reply.sh
  count e2e-atspi-click
fi
# The real screen reader: Orca speaks the status and reads every control by mouse review.
if [ -f tests/e2e/orca/run.sh ]; then
  stage e2e-orca bash tests/e2e/orca/run.sh
  count e2e-orca
fi

if [ -f tests/e2e/x11/lookup.sh ]; then
  stage e2e-x11-lookup bash tests/e2e/x11/lookup.sh
  count e2e-x11-lookup
fi
if [ -f tests/e2e/wine/casemap/check.sh ]; then
  stage e2e-wine-casemap bash tests/e2e/wine/casemap/check.sh
  count e2e-wine-casemap
fi
# The Linux program starting a Windows program hidden, through its start helper under Wine.
if [ -f tests/e2e/x11/hidden_start.sh ]; then
  stage e2e-x11-hidden bash tests/e2e/x11/hidden_start.sh
  count e2e-x11-hidden
fi
if [ -f tests/e2e/x11/density.sh ]; then
  stage e2e-x11-density bash tests/e2e/x11/density.sh
  count e2e-x11-density
fi
if [ -f tests/e2e/x11/displays.sh ]; then
  stage e2e-x11-displays bash tests/e2e/x11/displays.sh
  count e2e-x11-displays
fi
# The native Wayland host under a real sway, headless, at scales 1 and 2; the X11 fallback.
if [ -f tests/e2e/wayland/sway.sh ]; then
  stage e2e-wayland-sway bash tests/e2e/wayland/sway.sh
  count e2e-wayland-sway
fi
if [ -f tests/e2e/wine/density.sh ]; then
  stage e2e-wine-density bash tests/e2e/wine/density.sh
  count e2e-wine-density
fi
if [ -f tests/e2e/desktops/mutter.sh ]; then
  stage e2e-desktops-mutter bash tests/e2e/desktops/mutter.sh
  count e2e-desktops-mutter
fi

# Robustness: each fuzz harness for 30 s (two side by side), 40 soak runs of the Linux program,
# and the X11 end-to-end suite once more against the sanitizer build made above.
if [ -f tests/fuzz/run.sh ]; then
  stage fuzz env FUZZ_JOBS=2 bash tests/fuzz/run.sh 30
  count fuzz
fi
if [ -f tests/soak/run.sh ]; then
  stage soak bash tests/soak/run.sh 40
  count soak
fi
if [ -f tests/e2e/x11/run.sh ]; then
  stage e2e-x11-asan env LOMA=build/linux-asan/loma bash tests/e2e/x11/run.sh
  count e2e-x11-asan
fi

# The release, built twice (here into dist/, and in another folder, later, as another user) and
# compared; then its packages checked, installed and run: the .deb here, the MSIs under Wine.
stage release-reproducible bash tests/release/reproducible.sh
count release-reproducible
if [ -f dist/SHA256SUMS ]; then
  stage release-check bash tests/release/check.sh dist
  count release-check
  stage release-deb bash tests/release/deb-install.sh dist
  count release-deb
  stage release-msi bash tests/release/msi-wine.sh dist
  count release-msi
  # Install, remove, purge and upgrade in a fresh bookworm root, as Debian checks packages.
  stage release-piuparts bash tests/release/piuparts.sh dist
  count release-piuparts
fi

echo
if [ ${#failed_stages[@]} -gt 0 ]; then
  echo "Failed stages: ${failed_stages[*]} (their output is in $log)"
  [ "$failed" -eq 0 ] && failed=${#failed_stages[@]}
fi
echo "$passed passed, $failed failed, $skipped skipped"
[ ${#failed_stages[@]} -eq 0 ]
