#!/usr/bin/env python3
"""Writes platform/x11/start_order.ld: the objects whose code and read-only data a run of the
Linux program touches, so that the static link puts them side by side.

The kernel maps a program's file pages 64 KB at a time around each one touched (fault-around),
so hot code scattered among cold code makes the cold pages beside it resident too. This runs
build/linux/loma once, whole, under valgrind's lackey, notes every 256-byte block of the program
file it runs or reads, finds the input sections of the link map (build/linux/loma.map, written
by the static link) that hold them, and lists those objects for output sections of their own.
Figures go to standard error.

Usage: python3 tools/start_order.py [BUILD]   (BUILD defaults to build/linux)
Needs valgrind and a display in DISPLAY; the run takes about two minutes. Run it again when the
start-up path or the libraries change much: an object missing from the list, or one no longer
linked, only costs memory.
"""
import os
import re
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build/linux"))
PROGRAM = os.path.join(BUILD, "loma")
MAP = os.path.join(BUILD, "loma.map")
OUTPUT = os.path.join(ROOT, "platform/x11/start_order.ld")
BLOCK_BITS = 8  # 256-byte blocks
# Output section, its input sections, where the start's part goes: hot code just after the PLT,
# hot read-only data after the rest, in the read-only segment.
PLACES = ((".text", ".text .text.*", "BEFORE .text"),
          (".rodata", ".rodata .rodata.*", "AFTER .rodata"))
HEADER = """\
/* The objects a run of the Linux program touches, code and read-only data, each kind put
 * together so that the kernel's fault-around maps few cold pages beside hot ones. Written by
 * tools/start_order.py from a run under valgrind; used by the static link only. */
"""


def run_under_lackey():
    """The blocks one whole run touches, and the address the program file was loaded at."""
    # lackey writes a line per access; awk passes each block on once.
    awk = subprocess.Popen(
        ["awk", '{a = $2; sub(/,.*/, "", a); b = substr(a, 1, length(a) - 2);'
                ' if (!(b in seen)) { seen[b] = 1; print b } }'],
        stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    lackey = subprocess.Popen(
        ["valgrind", "--tool=lackey", "--trace-mem=yes", f"--log-fd={awk.stdin.fileno()}",
         PROGRAM], pass_fds=(awk.stdin.fileno(),),
        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    awk.stdin.close()
    base = None
    for _ in range(600):  # the program file is mapped within a minute
        with open(f"/proc/{lackey.pid}/maps", encoding="utf-8") as maps:
            for line in maps:
                fields = line.split()
                if fields[-1] == PROGRAM and fields[2] == "00000000":
                    base = int(fields[0].split("-")[0], 16)
        if base is not None:
            break
        time.sleep(0.1)
    if base is None:
        lackey.kill()
        sys.exit("the program was not mapped under valgrind")
    blocks = {int(line, 16) for line in awk.stdout if re.fullmatch(r"[0-9a-f]+\n", line)}
    if lackey.wait(timeout=600) != 0:
        sys.exit(f"the program ended with {lackey.returncode} under valgrind")
    return blocks, base


def read_map():
    """(output section, address, size, object) for each input section of the link map."""
    sections, output, pending = [], None, None
    with open(MAP, encoding="utf-8") as link_map:
        for line in link_map:
            if match := re.match(r"^(\.\S+)(\s+0x|\s*$)", line):
                output = match.group(1)
            elif re.match(r"^ \.\S+\s*$", line):
                pending = True  # the name is on its own line, the rest on the next
            elif match := re.match(r"^ (\.\S+)?\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$", line):
                if match.group(1) or pending:
                    address, size = int(match.group(2), 16), int(match.group(3), 16)
                    if address and size:
                        sections.append((output, address, size, match.group(4)))
                pending = None
    return sections


def ld_pattern(obj):
    """The linker script's name for an object: archive:member, or the object's last two parts."""
    if match := re.fullmatch(r"(.*)\((.*)\)", obj):
        return f"*{os.path.basename(match.group(1))}:{match.group(2)}"
    if os.path.basename(obj).startswith("crt"):
        return None  # the C start files stay where the default script puts them
    return "*" + "/".join(obj.split("/")[-2:])


def hot_objects(sections, blocks, base, output):
    """The objects with a touched block in an output section, in link order; prints figures."""
    hot, whole, in_hot, touched = [], 0, 0, 0
    for name, address, size, obj in sections:
        if name not in (output, output + ".start"):
            continue
        first = (base + address) >> BLOCK_BITS
        last = (base + address + size - 1) >> BLOCK_BITS
        used = sum(1 for block in range(first, last + 1) if block in blocks)
        whole += size
        if used:
            in_hot += size
            touched += used << BLOCK_BITS
            pattern = ld_pattern(obj)
            if pattern and pattern not in hot:
                hot.append(pattern)
    print(f"{output}: {touched // 1024} KB touched, in {in_hot // 1024} KB of "
          f"{len(hot)} objects, of {whole // 1024} KB", file=sys.stderr)
    return hot


def main():
    if not os.path.exists(MAP):
        sys.exit(f"no link map at {MAP}: build the linux preset first")
    blocks, base = run_under_lackey()
    sections = read_map()
    code = hot_objects(sections, blocks, base, ".text")
    data = hot_objects(sections, blocks, base, ".rodata")
    # Constants and strings are merged across the objects of an output section, so a read
    # lands in whichever object kept the one copy: the objects whose code runs keep theirs
    # among the hot ones too.
    data += [pattern for pattern in code if pattern not in data]
    with open(OUTPUT, "w", encoding="utf-8") as out:
        out.write(HEADER)
        for (output, inputs, where), hot in zip(PLACES, (code, data)):
            out.write(f"SECTIONS\n{{\n  {output}.start :\n  {{\n")
            out.writelines(f"    {pattern}({inputs})\n" for pattern in hot)
            out.write(f"  }}\n}}\nINSERT {where};\n")
    print(f"wrote {OUTPUT}", file=sys.stderr)


if __name__ == "__main__":
    main()
