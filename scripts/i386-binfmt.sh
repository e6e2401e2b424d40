#!/usr/bin/env bash
# Lets this machine run 32-bit x86 Linux programs (the m32 build's tests,
# 32-bit Wine): where the kernel cannot execute i386 code itself, registers
# qemu-i386 with binfmt_misc, as root (scripts/as-root). Safe to run again.
set -euo pipefail
scripts=$(dirname "$0")
binfmt=/proc/sys/fs/binfmt_misc
# Registered before: the kernel looks qemu-i386 up where a program runs, a fresh root too.
[[ ! -e $binfmt/qemu-i386 ]] ||
  { "$scripts/apt-install" qemu-user; echo "i386-binfmt: 32-bit x86 code runs under qemu-i386 here (registered before)"; exit 0; }
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
# A program that only exits: gcc's -m32 code generation alone builds it (the
# 32-bit Windows builds' packages bring no gcc of their own).
command -v gcc >/dev/null || "$scripts/apt-install" --no-install-recommends gcc
# shellcheck disable=SC2016 # the $ are the assembler's
printf 'void _start(void) { __asm__ volatile("movl $1, %%eax\\n xorl %%ebx, %%ebx\\n int $0x80"); }\n' >"$probe/exit.c"
gcc -m32 -nostdlib -static -o "$probe/exit" "$probe/exit.c"
if "$probe/exit" 2>/dev/null; then
  echo "i386-binfmt: this kernel runs 32-bit x86 code itself"
  exit 0
fi
"$scripts/apt-install" qemu-user
[[ -e $binfmt/register ]] || "$scripts/as-root" mount -t binfmt_misc binfmt_misc "$binfmt"
printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:' |
  "$scripts/as-root" tee "$binfmt/register" >/dev/null
"$probe/exit"
echo "i386-binfmt: 32-bit x86 code runs under qemu-i386 here: registered with binfmt_misc, for the whole machine"
