"""Every repository path that README.md and docs/*.md name exists in the checkout.

A path is a word with a slash whose first folder is one of the checkout's top-level folders
(`platform/x11/host.cpp`, `tests/e2e/`, `.ci/run`), in prose, in backticks or in code blocks, or
the target of a Markdown link (`[wine.md](wine.md)`, taken from the page's own folder). Words
with a placeholder or a glob (`<os>`, `*`, `$VAR`, `…`), absolute paths and paths under the
build outputs (build/, dist/) are not files of the repository and are left alone.

Prints each missing path as FILE:LINE, how many paths were read, and "N passed, N failed" last.
It first checks itself on a sample with missing paths in it, and fails when the pages name
fewer paths than a page set like ours must (a reader that found nothing would pass otherwise).
"""

import os
import re
import sys

ROOT = os.path.realpath(os.path.join(os.path.dirname(__file__), "..", ".."))
PAGES_GLOB = ("README.md", "docs")
OUTPUT_FOLDERS = {"build", "dist"}
PLACEHOLDER = re.compile(r"[<>*?{}$…\\]")
# What separates words here: white space, Markdown's and the shell's punctuation. A path of ours
# has none of these; '<', '>', '*', '$' stay in the word so that a placeholder is seen as one.
SEPARATORS = re.compile(r"[\s`()\[\]\"',;|=:!]+")
LINK = re.compile(r"\]\(([^)\s]+)\)")
FEWEST = 50


def top_folders(root):
    return {
        name
        for name in os.listdir(root)
        if os.path.isdir(os.path.join(root, name)) and name != ".git" and name not in OUTPUT_FOLDERS
    }


def mentions(text, page_folder, tops):
    """(line, path relative to the root) for every repository path the text names."""
    found = []
    for number, line in enumerate(text.splitlines(), 1):
        seen = set()
        for target in LINK.findall(line):
            if "://" in target or target.startswith(("#", "mailto:")):
                continue
            target = target.split("#", 1)[0]
            if not target or PLACEHOLDER.search(target):
                continue
            path = os.path.normpath(os.path.join(page_folder, target))
            if path.split("/", 1)[0] in OUTPUT_FOLDERS or path.startswith(".."):
                continue
            seen.add(path)
        for word in SEPARATORS.split(line):
            word = word.strip("*.")
            if "/" not in word or word.startswith(("/", "~", "./", "../")):
                continue
            if PLACEHOLDER.search(word) or "//" in word:
                continue
            first = word.split("/", 1)[0]
            if first not in tops:
                continue
            seen.add(os.path.normpath(word))
        found.extend((number, path) for path in sorted(seen))
    return found


def missing_in(root, page, text, tops):
    folder = os.path.dirname(page)
    found = mentions(text, folder, tops)
    return found, [(n, p) for n, p in found if not os.path.exists(os.path.join(root, p))]


def self_check(tops):
    """The reader on a sample: finds the good path, and each of the three broken ones."""
    sample = (
        "Start at `app/form_load.cpp`; the (`platform/x11/gone.cpp`) host.\n"
        "bash tests/nowhere/run.sh 30, see [the page](nowhere.md#part) and docs/\n"
        "`build/linux/loma`, `platform/<os>/main.cpp`, /usr/bin/wine, `$WINEPREFIX/drive_c`\n"
    )
    found, missing = missing_in(ROOT, "docs/sample.md", sample, tops)
    wanted = [(1, "platform/x11/gone.cpp"), (2, "docs/nowhere.md"), (2, "tests/nowhere/run.sh")]
    return sorted(missing) == wanted and len(found) == 5, found, missing


def pages(root):
    yield "README.md"
    for name in sorted(os.listdir(os.path.join(root, "docs"))):
        if name.endswith(".md"):
            yield "docs/" + name


def main():
    tops = top_folders(ROOT)
    passed = failed = 0
    ok, found, missing = self_check(tops)
    if ok:
        passed += 1
        print("ok   the reader finds the sample's paths and its three missing ones")
    else:
        failed += 1
        print(f"FAIL the reader on the sample: found {found}, missing {missing}")

    read = 0
    distinct = set()
    files = list(pages(ROOT))
    for page in files:
        with open(os.path.join(ROOT, page), encoding="utf-8") as f:
            found, missing = missing_in(ROOT, page, f.read(), tops)
        read += len(found)
        distinct.update(p for _, p in found)
        for number, path in missing:
            print(f"{page}:{number}: no such file or folder: {path}")
        failed += len(missing)
        passed += len(found) - len(missing)

    print(f"{read} paths read ({len(distinct)} distinct) in {len(files)} pages")
    if read < FEWEST:
        failed += 1
        print(f"FAIL fewer than {FEWEST} paths: the pages were not read as they should be")
    print(f"docs: {passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
