#!/usr/bin/env bash
# Builds everything and runs every test: the asset format checks, the unit and scenario tests
# (also under the sanitizers), the Windows cross build, and the end-to-end runs of both programs
# in virtual displays. Installs what it needs first. Exits non-zero if anything fails.
set -uo pipefail
cd "$(dirname "$0")/.."

bash tools/deps.sh test || exit 1

export jobs=$(nproc)
passed=0
failed=0
skipped=0
log=$(mktemp -d /tmp/loma-test.XXXXXX)
echo "Each stage's output is kept in $log/STAGE.txt"

# The stages, in order: a name, and the command that bash runs for it from the top of the
# repository (with pipefail; $jobs is the number of processors).
stages=(
  # The pictures and fonts as their formats say.
  'assets                /usr/bin/python3 -m unittest discover -s tests/assets -v'
  # Every repository path that README.md and docs/ name exists.
  'docs                  /usr/bin/python3 tests/tools/doc_paths.py'
  # The include arrows between the platform folders: linux -> x11, wayland -> paint, posix.
  'layers                /usr/bin/python3 tests/tools/layers.py'
  'format                git ls-files "*.cpp" "*.h" | xargs --no-run-if-empty clang-format --dry-run -Werror'
  'unit                  cmake --preset linux -DLOMA_WERROR=ON >/dev/null && cmake --build --preset linux -j $jobs && ctest --preset linux -j $jobs'
  # Every source and header of ours, the Win32 backend with mingw-w64's headers.
  'tidy                  cmake --preset windows -DLOMA_WERROR=ON >/dev/null && bash tools/tidy.sh'
  'sanitizers            cmake --preset linux-asan -DLOMA_WERROR=ON >/dev/null && cmake --build --preset linux-asan -j $jobs && ctest --preset linux-asan -j $jobs'
  'windows               cmake --preset windows -DLOMA_WERROR=ON >/dev/null && cmake --build --preset windows -j $jobs'
  # tools/deps.sh where it cannot install: not root, no sudo.
  'deps                  bash tests/tools/deps_test.sh'
  'e2e-x11               bash tests/e2e/x11/run.sh'
  'e2e-wine              bash tests/e2e/wine/run.sh'
  'e2e-atspi             bash tests/e2e/atspi/run.sh'
  'e2e-wine-a11y         bash tests/e2e/wine/a11y/run.sh'
  # A screen reader's click ends the launcher only after the call's reply has left.
  'e2e-atspi-click       bash tests/e2e/atspi/click_reply.sh'
  # The real screen reader: Orca speaks the status and reads every control by mouse review.
  'e2e-orca              bash tests/e2e/orca/run.sh'
  'e2e-x11-lookup        bash tests/e2e/x11/lookup.sh'
  'e2e-wine-casemap      bash tests/e2e/wine/casemap/check.sh'
  # The Linux program starting a Windows program hidden, through its start helper under Wine.
  'e2e-x11-hidden        bash tests/e2e/x11/hidden_start.sh'
  'e2e-x11-density       bash tests/e2e/x11/density.sh'
  'e2e-x11-displays      bash tests/e2e/x11/displays.sh'
  'e2e-wine-density      bash tests/e2e/wine/density.sh'
  # The native Wayland host under a real sway, headless, at scales 1 and 2; the X11 fallback.
  'e2e-wayland-sway      bash tests/e2e/wayland/sway.sh'
  # GNOME's window manager, on X11 and as a headless Wayland compositor.
  'e2e-desktops-mutter   bash tests/e2e/desktops/mutter.sh'
  # Robustness: each fuzz harness for 30 s (two side by side), 40 soak runs of the Linux
  # program, and the X11 end-to-end suite once more against the sanitizer build made above.
  'fuzz                  FUZZ_JOBS=2 bash tests/fuzz/run.sh 30'
  'soak                  bash tests/soak/run.sh 40'
  'e2e-x11-asan          LOMA=build/linux-asan/loma bash tests/e2e/x11/run.sh'
  # The release, built twice (here into dist/, and in another folder, later, as another user)
  # and compared; then its packages checked, installed and run: the .deb here, the MSIs under
  # Wine, and install, removal, purge and upgrade in a fresh root of this release as Debian checks them.
  'release-reproducible  bash tests/release/reproducible.sh'
  'release-check         bash tests/release/check.sh dist'
  'release-deb           bash tests/release/deb-install.sh dist'
  'release-msi           bash tests/release/msi-wine.sh dist'
  'release-piuparts      bash tests/release/piuparts.sh dist'
  # The same programs packed again, signed with a throw-away certificate and OpenPGP key, twice
  # and compared; each signature checked, the apt repository used in a fresh root, the MSIs
  # under Wine.
  'release-signed        bash tests/release/signed.sh'
  # The other Debian release (13 from 12, 12 from 13) in a fresh minimal root: the build with
  # warnings as errors, the unit and golden tests, the X11 suite with Wine, this run's .deb.
  'other-release         bash tests/release/other-release.sh dist'
)

stage() {  # stage NAME COMMAND: runs it, keeps its output, says its minutes
  local name=$1 command=$2 start=$SECONDS result=ok
  echo "=== $name"
  bash -o pipefail -c "$command" 2>&1 | tee "$log/$name.txt" || result=FAILED
  echo "=== $name: $result ($(awk -v s=$((SECONDS - start)) 'BEGIN { printf "%.1f", s / 60 }') min)"
  [ "$result" = ok ] || failed_stages+=("$name")
}
failed_stages=()

count() {  # adds what a stage's output says it ran: ctest's summary, unittest's, or ours
  local f=$log/$1.txt p=0 q=0 s=0 line
  if line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$f" | tail -1); then
    q=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/')
    p=$(($(echo "$line" | sed -E 's/.*out of ([0-9]+).*/\1/') - q))
  elif line=$(grep -E '^Ran [0-9]+ tests?' "$f" | tail -1); then
    p=$(echo "$line" | sed -E 's/Ran ([0-9]+).*/\1/')
    for n in $(grep -E '^FAILED \(' "$f" | grep -oE '(failures|errors)=[0-9]+' | cut -d= -f2); do
      q=$((q + n))
    done
    s=$(grep -E '^(OK|FAILED) \(.*skipped=[0-9]+' "$f" | grep -oE 'skipped=[0-9]+' | cut -d= -f2 | tail -1)
    p=$((p - q - ${s:-0}))
  elif line=$(grep -E '^([A-Za-z-]+: )?[0-9]+ passed, [0-9]+ failed(, [0-9]+ skipped)?' "$f" | tail -1); then
    p=$(echo "$line" | sed -E 's/^([A-Za-z-]+: )?([0-9]+) passed.*/\2/')
    q=$(echo "$line" | sed -E 's/.* ([0-9]+) failed.*/\1/')
    s=$(echo "$line" | grep -oE '[0-9]+ skipped' | cut -d' ' -f1)
  fi
  passed=$((passed + p))
  failed=$((failed + q))
  skipped=$((skipped + ${s:-0}))
}

for row in "${stages[@]}"; do
  name=${row%% *}
  command=${row#"$name"}
  stage "$name" "${command#"${command%%[! ]*}"}"
  count "$name"
done

echo
if [ ${#failed_stages[@]} -gt 0 ]; then
  echo "Failed stages: ${failed_stages[*]} (their output is in $log)"
  [ "$failed" -eq 0 ] && failed=${#failed_stages[@]}
fi
echo "All stages: $(awk -v s=$SECONDS 'BEGIN { printf "%.1f", s / 60 }') min"
echo "$passed passed, $failed failed, $skipped skipped"
[ ${#failed_stages[@]} -eq 0 ]
