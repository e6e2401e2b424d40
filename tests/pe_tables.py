#!/usr/bin/env python3
"""Prints a Windows binary's export and import tables, an entry a line, for
pe_tables.cmake; pefile reads them, as objdump's layout differs from one
binutils release to the next:

    pe_tables.py libtavik.dll
    export <name> [<where it is forwarded to>]
    import <DLL, in lower case> <name, or #ordinal>
"""
import sys

import pefile


def main(path):
    pe = pefile.PE(path, fast_load=True)
    pe.parse_data_directories([pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_EXPORT"],
                               pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_IMPORT"]])
    exports = pe.DIRECTORY_ENTRY_EXPORT.symbols if hasattr(pe, "DIRECTORY_ENTRY_EXPORT") else []
    for symbol in exports:
        forwarder = f" {symbol.forwarder.decode()}" if symbol.forwarder else ""
        print(f"export {symbol.name.decode()}{forwarder}")
    for dll in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []):
        for function in dll.imports:
            name = function.name.decode() if function.name else f"#{function.ordinal}"
            print(f"import {dll.dll.decode().lower()} {name}")


if __name__ == "__main__":
    main(*sys.argv[1:])
