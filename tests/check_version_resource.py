#!/usr/bin/env python3
"""Reads the version resource of a built DLL and checks what Windows shows.

    check_version_resource.py libtavik.dll 1.2.0 "<file description>" "<copyright>"   (as the build sets them)
"""
import sys

import pefile


def main(dll, version, description, copyright):
    pe = pefile.PE(dll, fast_load=True)
    pe.parse_data_directories([pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    if not hasattr(pe, "VS_FIXEDFILEINFO"):
        return f"{dll} has no version resource"
    fixed = pe.VS_FIXEDFILEINFO[0]
    numbers = [int(part) for part in version.split(".")] + [0]
    packed = (numbers[0] << 16 | numbers[1], numbers[2] << 16 | numbers[3])
    problems = []
    for field in ("File", "Product"):
        found = (getattr(fixed, field + "VersionMS"), getattr(fixed, field + "VersionLS"))
        if found != packed:
            problems.append(f"fixed {field}Version is {found}, not {packed}")

    strings = {}
    for info in pe.FileInfo[0]:
        for table in getattr(info, "StringTable", []):
            strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    expected = {
        "FileVersion": version,
        "ProductVersion": version,
        "ProductName": "libtavik",
        "OriginalFilename": "libtavik.dll",
        "FileDescription": description,
        "LegalCopyright": copyright,
    }
    for key, value in expected.items():
        if strings.get(key) != value:
            problems.append(f"{key} is {strings.get(key)!r}, not {value!r}")
    for key in sorted(strings):
        print(f"{key}: {strings[key]}")
    return "\n".join(problems) or None


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
