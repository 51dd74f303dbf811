#!/usr/bin/env bash
# The upper-case table that the launcher compares file names by, against its source and against
# Wine itself: (1) tools/unicode/make_upcase.py, run on this system's UnicodeData.txt, writes the
# committed forms/upcase_table.inc unchanged for the Unicode version that the table names (from
# newer data it keeps the case pairs of the characters that version had assigned, which by
# Unicode's case pair stability are that version's case pairs; older data cannot tell, and that
# case is skipped); (2) Wine's RtlUpcaseUnicodeChar changes exactly the units the table changes,
# and to the same letters; (3) Wine's own file lookup, asked for a file by each simple case
# mapping of the Unicode data (2,363 of them, upper and lower), finds it exactly when the table
# folds both names alike. Needs mingw-w64, wine and unicode-data.
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/../../../.." && pwd)
cd "$ROOT" || exit 1
. "$ROOT/tests/e2e/lib.sh"
e2e_init casemap

data=/usr/share/unicode/UnicodeData.txt
name="the committed table is the generator's output"
made_from=$(sed -nE '1s/^\/\/ Generated .* of Unicode ([0-9]+\.[0-9]+\.[0-9]+);.*/\1/p' \
  forms/upcase_table.inc)
here=$(python3 -B -c 'import sys; sys.path.insert(0, "tools/unicode"); import make_upcase
print(make_upcase.unicode_version(sys.argv[1]))' "$data")
echo "table made from Unicode ${made_from:-?}; this system's data: Unicode $here"
if [ -z "$made_from" ]; then
  fail "$name" "the table's first line names no Unicode version"
elif [ "$(printf '%s\n' "$here" "$made_from" | sort -V | head -1)" != "$made_from" ]; then
  skip "$name" "this system's Unicode data ($here) is older than the table's ($made_from)"
else
  regenerated() {
    python3 tools/unicode/make_upcase.py --as-of "$made_from" "$data" >"$WORK/generated.inc" &&
      cmp -s "$WORK/generated.inc" forms/upcase_table.inc
  }
  check "$name" regenerated
fi

x86_64-w64-mingw32-gcc -O2 -Wall -Werror -o "$WORK/upcase_probe.exe" \
  tests/e2e/wine/casemap/upcase_probe.c -lntdll || exit 1
e2e_wine_prefix "$WORK/prefix"
e2e_wine "$WORK/upcase_probe.exe" table 2>/dev/null | tr -d '\r' >"$WORK/wine-table.txt"

# The committed table as "XXXX YYYY" lines, and every simple mapping of the Unicode data.
python3 - "$data" "$WORK" <<'PY'
import re, sys
data, work = sys.argv[1], sys.argv[2]
pairs = re.findall(r"\{0x([0-9A-F]{4}), 0x([0-9A-F]{4})\}", open("forms/upcase_table.inc").read())
with open(f"{work}/table.txt", "w") as out:
    for a, b in pairs:
        out.write(f"{a} {b}\n")
mappings = set()
for line in open(data):
    f = line.split(";")
    for m in (f[12], f[13]):
        if m and int(f[0], 16) < 0x10000 and int(m, 16) < 0x10000:
            mappings.add((int(f[0], 16), int(m, 16)))
with open(f"{work}/mappings.txt", "w") as out:
    for a, b in sorted(mappings):
        out.write(f"{a:04X} {b:04X}\n")
PY
echo "table: $(wc -l <"$WORK/table.txt") units; Wine's RtlUpcaseUnicodeChar: $(wc -l <"$WORK/wine-table.txt")"
check "Wine's RtlUpcaseUnicodeChar changes the same units to the same letters" \
  cmp -s "$WORK/table.txt" "$WORK/wine-table.txt"

e2e_wine "$WORK/upcase_probe.exe" files 'C:\casemap' <"$WORK/mappings.txt" 2>/dev/null |
  tr -d '\r' >"$WORK/wine-files.txt"
lookups() {
  python3 - "$WORK" <<'PY'
import sys
work = sys.argv[1]
table = {}
for line in open(f"{work}/table.txt"):
    a, b = line.split()
    table[int(a, 16)] = int(b, 16)
key = lambda unit: table.get(unit, unit)
asked = wrong = 0
for line in open(f"{work}/wine-files.txt"):
    stored, wanted, found = line.split()
    stored, wanted = int(stored, 16), int(wanted, 16)
    asked += 1
    if (found == "1") != (key(stored) == key(wanted)):
        wrong += 1
        print(f"  U+{stored:04X} asked as U+{wanted:04X}: Wine {'finds' if found == '1' else 'misses'} it")
expected = sum(1 for _ in open(f"{work}/mappings.txt"))
print(f"Wine's lookup: {asked} of {expected} names asked, {wrong} answered otherwise than the table")
sys.exit(0 if asked == expected and wrong == 0 else 1)
PY
}
check "Wine's file lookup finds a name by another case exactly when the table folds both alike" \
  lookups

e2e_summary
