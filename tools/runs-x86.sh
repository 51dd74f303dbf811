#!/usr/bin/env bash
# Exits 0 when this machine runs 32-bit x86 programs, 1 when it does not. Asked of the machine
# itself, not of its kernel's name: some x86-64 kernels refuse every i386 program ("Exec format
# error"), and there Wine's 32-bit loader cannot run either. The probe is a 96-byte static i386
# program of ours that only exits with code 42 (mov eax,1; mov ebx,42; int 0x80).
set -u
probe=$(mktemp "${TMPDIR:-/tmp}/loma-x86-probe.XXXXXX") || exit 1
trap 'rm -f "$probe"' EXIT
printf '\177ELF\001\001\001\0\0\0\0\0\0\0\0\0\002\0\003\0\001\0\0\0\124\200\004\010\064\0\0\0'\
'\0\0\0\0\0\0\0\0\064\0\040\0\001\0\0\0\0\0\0\0\001\0\0\0\0\0\0\0\0\200\004\010\0\200\004\010'\
'\140\0\0\0\140\0\0\0\005\0\0\0\0\020\0\0\270\001\0\0\0\273\052\0\0\0\315\200' >"$probe"
chmod 700 "$probe"
"$probe" 2>/dev/null
[ $? -eq 42 ]
