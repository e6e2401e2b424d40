#!/usr/bin/env python3
"""Prints a Windows binary's export and import tables as CMake code for
pe_tables.cmake; pefile reads them, as objdump's layout differs from one
binutils release to the next:  pe_tables.py libtavik.dll
"""
import sys

import pefile


def main(path):
    pe = pefile.PE(path, fast_load=True)
    pe.parse_data_directories([pefile.DIRECTORY_ENTRY[f"IMAGE_DIRECTORY_ENTRY_{kind}"] for kind in ("EXPORT", "IMPORT")])
    exports = pe.DIRECTORY_ENTRY_EXPORT.symbols if hasattr(pe, "DIRECTORY_ENTRY_EXPORT") else []
    imports = {dll.dll.decode().lower(): [f.name.decode() if f.name else f"#{f.ordinal}" for f in dll.imports]
               for dll in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])}
    tables = {"pe_exports": [symbol.name.decode() for symbol in exports],
              "pe_forwarders": [f"{s.name.decode()}={s.forwarder.decode()}" for s in exports if s.forwarder],
              "pe_dlls": list(imports), **{f"pe_imports_{dll}": names for dll, names in imports.items()}}
    for name, values in tables.items():
        print(f'set({name} "{";".join(values)}" PARENT_SCOPE)')


if __name__ == "__main__":
    main(*sys.argv[1:])
