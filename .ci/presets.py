#!/usr/bin/env python3
"""What each configure preset of CMakePresets.json needs before its configure,
from its own fields (inheritance resolved) through the one table below; a
toolchain file or a compiler the table lacks is refused by name.

  .ci/presets.py list         each preset CI runs: its name, a tab, its displayName
  .ci/presets.py native       those that build for this machine, a name a line
  .ci/presets.py release      those whose ZIPs the release takes: every MinGW-w64 toolchain preset, which tests its ZIP
  .ci/presets.py needs [NAME [VAR=VALUE...]]   its build folder, Debian packages and set-up
                              commands, a line each (no NAME: the README's configure), -D VARs set
"""
import json
import re
import sys
from pathlib import Path

SOURCE_DIR = Path(__file__).resolve().parent.parent

# Every build: CMake, make and GoogleTest's sources (cross builds compile them);
# builds for this machine: its installed GoogleTest; MinGW-w64's: the version
# resource check.
EVERY_BUILD, NATIVE, MINGW = ["cmake", "make", "googletest"], ["libgtest-dev"], ["python3-pefile"]
# Windows builds that run their programs: clang and lld-link for the MSVC
# host, llvm-dlltool for tavik.lib (in the ZIP).
WINDOWS_RUN = MINGW + ["clang", "lld", "llvm"]

# Toolchain file: (packages, set-up); {VARIABLE} is the preset's cache variable.
TOOLCHAINS = {
    # The multilib of the default g++'s own version: g++-multilib conflicts
    # with Debian's cross compilers.
    "cmake/linux-m32.cmake": (["g++"], 'scripts/apt-install "g++-$(g++ -dumpversion)-multilib" && scripts/i386-binfmt.sh'),
    "cmake/linux-cross.cmake": (["g++-{TAVIK_LINUX_TRIPLET}", "qemu-user"], ""),
    "cmake/mingw-w64-x86_64.cmake": (["g++-mingw-w64-x86-64", "wine64"] + WINDOWS_RUN, ""),
    # Emulated where the kernel runs no i386 code, so slow: minutes of room.
    "cmake/mingw-w64-i686.cmake": (["g++-mingw-w64-i686"] + WINDOWS_RUN, "timeout 1800 scripts/wine32-setup.sh"),
}
# Compiler as a preset names it (a regular expression): its packages.
COMPILERS = {
    r"gcc|g\+\+|cc|c\+\+": ["g++"] + NATIVE,
    r"clang|clang\+\+": ["clang"] + NATIVE,
    r"i686-w64-mingw32-(gcc|g\+\+)(-posix)?|i686-w64-mingw32-windres": ["g++-mingw-w64-i686"] + MINGW,
    r"x86_64-w64-mingw32-(gcc|g\+\+)(-posix)?|x86_64-w64-mingw32-windres": ["g++-mingw-w64-x86-64"] + MINGW,
}
# The Debian packages (and set-up) of the tests in other languages, for Linux
# and for Windows: koffi from the npm registry, and npm only where it is
# missing (NodeSource's nodejs, which some machines have, conflicts with Debian's npm).
HOSTS = {
    "linux": (["python3", "mono-mcs", "mono-runtime", "cargo-web", "golang-go", "fp-compiler", "nodejs"],
              "{ command -v npm >/dev/null || scripts/apt-install npm; } && "
              '{ [ -f "$(npm root -g)/koffi/package.json" ] || npm install -g koffi@2.12.4; }'),
    "windows": (["golang-go"], ""),
}

def on(value):
    return str(value).upper() not in ("", "0", "OFF", "FALSE", "NO", "N", "IGNORE", "NOTFOUND")

def native(preset):
    return "toolchainFile" not in preset and "CMAKE_SYSTEM_NAME" not in preset.get("cacheVariables", {})

def needs(preset):
    """The packages and set-up commands of a resolved preset, or a SystemExit naming what is unknown."""
    cache = preset.get("cacheVariables", {})
    option = lambda name, default: on(cache.get(name, default))
    packages, setup = list(EVERY_BUILD), []
    toolchain = preset.get("toolchainFile", "").replace("${sourceDir}/", "")
    if toolchain:
        if toolchain not in TOOLCHAINS:
            raise SystemExit(f"preset {preset['name']}: no row for the toolchain file {toolchain} in .ci/presets.py")
        extra, command = TOOLCHAINS[toolchain]
        packages += [package.format(**cache) for package in extra]
        setup += [command] if command else []
    compilers = {cache.get(name, "") for name in ("CMAKE_C_COMPILER", "CMAKE_CXX_COMPILER", "CMAKE_RC_COMPILER")}
    if not toolchain:
        compilers |= {cache.get("CMAKE_C_COMPILER", "gcc"), cache.get("CMAKE_CXX_COMPILER", "g++")}
    for compiler in sorted(compilers - {""}):
        rows = [extra for pattern, extra in COMPILERS.items() if re.fullmatch(pattern, compiler)]
        if not rows:
            raise SystemExit(f"preset {preset['name']}: no row for the compiler {compiler} in .ci/presets.py")
        packages += rows[0]
    clang = "clang" in compilers
    if option("TAVIK_VALGRIND", False):
        packages.append("valgrind")
    if option("TAVIK_COVERAGE", False):
        packages.append("gcovr")
    if option("TAVIK_SANITIZE", False) and clang:
        packages.append("libclang-rt-dev")
    if native(preset) and option("TAVIK_BUILD_BENCHMARKS", True):
        packages.append("libbenchmark-dev")
    # The configure refuses TAVIK_TEST_HOSTS where the hosts cannot run.
    if option("TAVIK_BUILD_TESTS", True) and option("TAVIK_TEST_HOSTS", True):
        windows = toolchain.startswith("cmake/mingw-w64") or cache.get("CMAKE_SYSTEM_NAME") == "Windows"
        extra, command = HOSTS["windows" if windows else "linux"]
        packages += extra
        setup += [command] if command else []
    binary_dir = preset.get("binaryDir", "${sourceDir}/build").replace("${presetName}", preset["name"])
    return binary_dir.replace("${sourceDir}", str(SOURCE_DIR)), sorted(set(packages)), setup

def resolved(presets, name):
    """The preset with what it inherits merged in, nearer presets first."""
    preset = presets.get(name)
    if preset is None:
        raise SystemExit(f"no configure preset '{name}'; .ci/run --list names them")
    parents = preset.get("inherits", [])
    merged = {}
    for parent in reversed([parents] if isinstance(parents, str) else parents):
        merged.update({key: value for key, value in resolved(presets, parent).items() if key != "hidden"})
    own = {key: value["value"] if isinstance(value, dict) else value
           for key, value in preset.get("cacheVariables", {}).items()}
    cache = {**merged.get("cacheVariables", {}), **own}
    merged.update(preset)
    merged["cacheVariables"] = cache
    return merged

def main(arguments):
    presets = {preset["name"]: preset
               for preset in json.loads((SOURCE_DIR / "CMakePresets.json").read_text())["configurePresets"]}
    shown = [resolved(presets, name) for name, preset in presets.items() if not preset.get("hidden")]
    if arguments == ["list"]:
        for preset in shown:
            print(f"{preset['name']}\t{preset.get('displayName', '')}")
    elif arguments == ["native"]:
        print("\n".join(preset["name"] for preset in shown if native(preset)))
    elif arguments == ["release"]:
        print("\n".join(preset["name"] for preset in shown if "/cmake/mingw-w64" in preset.get("toolchainFile", "")))
    elif arguments[:1] == ["needs"] and all("=" in argument for argument in arguments[2:]):
        preset = resolved(presets, arguments[1]) if len(arguments) >= 2 else {"name": "(no preset)"}
        preset.setdefault("cacheVariables", {}).update(argument.split("=", 1) for argument in arguments[2:])
        binary_dir, packages, setup = needs(preset)
        print(binary_dir, " ".join(packages), " && ".join(setup), sep="\n")
    else:
        raise SystemExit(__doc__)

if __name__ == "__main__":
    main(sys.argv[1:])
