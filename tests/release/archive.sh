# Sourced: `archive SUITE` prints the archive that apt is set to fetch SUITE from, in either of
# its formats: one-line entries in sources.list (and *.list), or deb822 stanzas in
# sources.list.d/*.sources. Nothing when apt knows no archive for it.
archive() {
  local suite=$1 f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -r "$f" ] || continue
    awk -v s="$suite" '$1 == "deb" { sub(/^deb +(\[[^]]*\] +)?/, ""); if ($2 == s) { print $1; exit } }' "$f"
  done
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -r "$f" ] || continue
    awk -v s="$suite" 'BEGIN { RS = ""; FS = "\n" }
      { types = uris = suites = ""
        for (i = 1; i <= NF; i++) {
          if ($i ~ /^Types:/) types = $i
          if ($i ~ /^URIs:/) uris = $i
          if ($i ~ /^Suites:/) suites = $i
        }
        if (types ~ /[ :]deb( |$)/ && (" " suites " ") ~ (" " s " ")) {
          sub(/^URIs: */, "", uris); split(uris, u, " "); print u[1]; exit
        } }' "$f"
  done | head -1
}
