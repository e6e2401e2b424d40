#!/usr/bin/env bash
# Prepares this machine to run 32-bit Windows programs: 32-bit Wine with its
# preloader (without it Wine cannot reserve the Windows address ranges under
# emulation), run through qemu user-mode emulation when the kernel cannot
# execute i386 code, and a dedicated 32-bit Wine prefix. Safe to run again:
# it does only what is missing. Run it as the user who runs the tests, since
# the prefix is made in that user's home; the steps that need root (apt-get,
# binfmt_misc) go through sudo.
set -euo pipefail

prefix=${TAVIK_WINE32_PREFIX:-$HOME/.wine-tavik32}
as_root() { if ((EUID == 0)); then "$@"; else sudo "$@"; fi; }
if [[ -n ${SUDO_USER:-} ]]; then
  echo "wine32-setup: run under sudo, so the prefix is root's ($prefix), not $SUDO_USER's;" \
    "run it without sudo to make it for $SUDO_USER" >&2
fi

packages=(wine wine32:i386 wine32-preloader:i386 qemu-user)
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
fi
"$(dirname "$0")/apt-install" "${packages[@]}"

# Can this kernel run i386 code by itself?
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  binfmt=/proc/sys/fs/binfmt_misc
  [[ -e $binfmt/register ]] || as_root mount -t binfmt_misc binfmt_misc "$binfmt"
  if [[ ! -e $binfmt/qemu-i386 ]]; then
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:' |
      as_root tee "$binfmt/register" >/dev/null
  fi
  /usr/lib/wine/wine --version >/dev/null
fi

if [[ ! -f $prefix/system.reg ]]; then
  echo "creating the 32-bit Wine prefix $prefix (this takes minutes under emulation)"
  rm -rf "$prefix"
  # Some of Wine's own services crash under emulation while the prefix is
  # made; the prefix works regardless, so their noise goes to a log.
  log=$(mktemp)
  if ! WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all /usr/lib/wine/wine wineboot --init >"$log" 2>&1; then
    cat "$log" >&2
    exit 1
  fi
  rm -f "$log"
  WINEPREFIX=$prefix /usr/lib/wine/wineserver -w
fi
echo "32-bit Wine ready: WINEPREFIX=$prefix"
