#!/usr/bin/env bash
# Prepares this machine to run 32-bit Windows programs: 32-bit Wine with its
# preloader (without it Wine cannot reserve the Windows address ranges under
# emulation), run through qemu user-mode emulation when the kernel cannot
# execute i386 code (scripts/i386-binfmt.sh), and a dedicated 32-bit Wine
# prefix. With TAVIK_WINE32_FROM_MAIN_SUITE=1 (as .ci/run sets it), a stale
# security index is worked around (scripts/apt-install --from-main-suite). Safe to run again:
# it does only what is missing. Run it as the user who runs the tests, since
# the prefix is made in that user's home; the steps that need root (apt-get,
# binfmt_misc) go through scripts/as-root.
set -euo pipefail

scripts=$(dirname "$0")
prefix=$("$scripts/wine-run" --prefix32)
if [[ -n ${SUDO_USER:-} ]]; then
  echo "wine32-setup: run under sudo, so the prefix is root's ($prefix), not $SUDO_USER's;" \
    "run it without sudo to make it for $SUDO_USER" >&2
fi

packages=(wine wine32:i386 wine32-preloader:i386 qemu-user)
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "$scripts/as-root" dpkg --add-architecture i386
fi
# The amd64 libraries that Wine shares with its i386 half come from the
# security suite, whose i386 index a mirror may serve stale for days; their
# i386 twins are then only in the main suite, at an older version.
if ! "$scripts/apt-install" "${packages[@]}"; then
  [[ ${TAVIK_WINE32_FROM_MAIN_SUITE:-} == 1 ]] || {
    echo "wine32-setup: where the security suite's i386 index is stale, its amd64 libraries have no i386 twins" \
      "of their version. TAVIK_WINE32_FROM_MAIN_SUITE=1 installs from the main suite for this one apt-get command," \
      "downgrading those libraries (apt lists them) and so undoing their security updates until the next upgrade." >&2
    exit 1
  }
  echo "wine32-setup: installing from the main suite instead, downgrading what Wine shares with its i386 half"
  "$scripts/apt-install" --from-main-suite "${packages[@]}"
fi
"$scripts/i386-binfmt.sh"
/usr/lib/wine/wine --version >/dev/null

if [[ ! -f $prefix/system.reg ]]; then
  echo "creating the 32-bit Wine prefix $prefix (slow under emulation: minutes rather than seconds)"
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
