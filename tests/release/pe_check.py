#!/usr/bin/env python3
"""Checks Windows program files the way an IT department would before it allows them.

Usage: pe_check.py [--arch win32|win64] PROGRAM.exe...

For each program file: every DLL it imports, statically or delay-loaded, is one Windows always
takes from its system folder (a known DLL, or COMCTL32, which the common-controls manifest
redirects to the side-by-side store); the loader may place it anywhere in the address space
(ASLR, relocations present, and in a 64-bit program high-entropy addresses; a 32-bit program has
no such flag) and keeps data out of execution (DEP); and it is aware of Terminal Services. With
--arch, the program is built for that architecture: x86 for the win32 archives, x64 for the
win64 ones. Reads the file itself, so it needs neither Windows nor the linker's tools. Exit code 0 when every file passes, 1 otherwise.
"""
import struct
import sys

ALLOWED = {
    name.lower()
    for name in (
        "KERNEL32.dll", "USER32.dll", "GDI32.dll", "ole32.dll", "OLEAUT32.dll", "msvcrt.dll",
        "ADVAPI32.dll", "SHELL32.dll", "SHLWAPI.dll", "COMDLG32.dll", "IMM32.dll", "combase.dll",
        "RPCRT4.dll", "COMCTL32.dll",
    )
}

IMAGE_FILE_RELOCS_STRIPPED = 0x0001
HIGH_ENTROPY_VA = 0x0020
DYNAMIC_BASE = 0x0040
NX_COMPAT = 0x0100
TERMINAL_SERVER_AWARE = 0x8000
PE32, PE32_PLUS = 0x10B, 0x20B
# The machine type each release archive's programs are built for.
MACHINES = {"win32": (0x14C, "x86"), "win64": (0x8664, "x64")}
DIRECTORY_IMPORT, DIRECTORY_BASERELOC, DIRECTORY_DELAY_IMPORT = 1, 5, 13


class Image:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        (self.machine, sections, _, _, _, optional_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        if magic not in (PE32, PE32_PLUS):
            raise ValueError(f"unknown optional header magic {magic:#x}")
        self.wide = magic == PE32_PLUS
        self.dll_characteristics = struct.unpack_from("<H", data, optional + 70)[0]
        # PE32+ has no BaseOfData and 8-byte image base and stack sizes: its directories start
        # 16 bytes later.
        directories = optional + (112 if self.wide else 96)
        count = struct.unpack_from("<I", data, directories - 4)[0]
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i)
                            for i in range(min(count, 16))]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            virtual_size, address, raw_size, raw_offset = struct.unpack_from(
                "<IIII", data, table + 40 * i + 8)
            self.sections.append((address, max(virtual_size, raw_size), raw_offset))

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def offset(self, rva):
        for address, size, raw_offset in self.sections:
            if address <= rva < address + size:
                return raw_offset + rva - address
        raise ValueError(f"address {rva:#x} lies in no section")

    def text(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def descriptors(self, index, entry_size):
        """The offsets of the import descriptors in directory `index`."""
        rva, _ = self.directory(index)
        if rva == 0:
            return
        at = self.offset(rva)
        while any(self.data[at:at + entry_size]):
            yield at
            at += entry_size

    def dlls(self, index, entry_size, name_at):
        return [self.text(struct.unpack_from("<I", self.data, at + name_at)[0])
                for at in self.descriptors(index, entry_size)]

    def functions(self, index, entry_size, name_at, names_at):
        """(DLL, function) for every import in directory `index`; an import by ordinal is
        given as "#ordinal"."""
        imports = []
        # A thunk is as wide as an address; its top bit marks an import by ordinal.
        form, size = ("<Q", 8) if self.wide else ("<I", 4)
        by_ordinal = 1 << (8 * size - 1)
        for at in self.descriptors(index, entry_size):
            dll = self.text(struct.unpack_from("<I", self.data, at + name_at)[0])
            thunk = self.offset(struct.unpack_from("<I", self.data, at + names_at)[0])
            while True:
                entry = struct.unpack_from(form, self.data, thunk)[0]
                if entry == 0:
                    break
                if entry & by_ordinal:
                    imports.append((dll, f"#{entry & 0xFFFF}"))
                else:
                    imports.append((dll, self.text((entry & 0x7FFFFFFF) + 2)))  # after the hint
                thunk += size
        return imports

    def imported_functions(self):
        """Every function imported, statically or delay-loaded, as (DLL, function)."""
        return (self.functions(DIRECTORY_IMPORT, 20, 12, 0) +
                self.functions(DIRECTORY_DELAY_IMPORT, 32, 4, 16))


def check(path, arch=None):
    with open(path, "rb") as f:
        image = Image(f.read())
    problems = []
    print(f"{path}:")
    print(f"  machine: {image.machine:#06x}, {'PE32+' if image.wide else 'PE32'}")
    if arch is not None:
        machine, name = MACHINES[arch]
        if image.machine != machine or image.wide != (arch == "win64"):
            problems.append(f"not an {name} program, as the {arch} archives hold")
    imported = image.dlls(DIRECTORY_IMPORT, 20, 12)
    delayed = image.dlls(DIRECTORY_DELAY_IMPORT, 32, 4)
    print("  imports: " + ", ".join(imported))
    if delayed:
        print("  delay-loaded: " + ", ".join(delayed))
    # Every Windows program imports KERNEL32: without it the table was not read.
    if "kernel32.dll" not in (name.lower() for name in imported):
        problems.append("import table without KERNEL32.dll")
    for name in imported + delayed:
        if name.lower() not in ALLOWED:
            problems.append(f"imports {name}, which the loader may look for beside the program")
    flags = image.dll_characteristics
    print(f"  DllCharacteristics: {flags:#06x}")
    wanted = [(DYNAMIC_BASE, "dynamic base (ASLR)"), (NX_COMPAT, "NX compatible (DEP)"),
              (TERMINAL_SERVER_AWARE, "Terminal Server aware (no per-user INI and path tricks)")]
    if image.wide:
        wanted.append((HIGH_ENTROPY_VA, "high-entropy virtual addresses"))
    for flag, what in wanted:
        if not flags & flag:
            problems.append(f"not {what}")
    if image.characteristics & IMAGE_FILE_RELOCS_STRIPPED or image.directory(DIRECTORY_BASERELOC)[1] == 0:
        problems.append("no relocations, so ASLR cannot move it")
    for problem in problems:
        print(f"  FAILED: {problem}")
    return not problems


def check_all(paths, check_one):
    """Runs check_one on every file, a file that cannot be read counting as failed; True when all
    pass."""
    ok = True
    for path in paths:
        try:
            ok = check_one(path) and ok
        except (OSError, ValueError, struct.error) as error:
            print(f"{path}: FAILED: {error}")
            ok = False
    return ok


def main(args):
    arch = None
    if args[:1] == ["--arch"] and len(args) > 1 and args[1] in MACHINES:
        arch, args = args[1], args[2:]
    if not args or args[0].startswith("-"):
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    return 0 if check_all(args, lambda path: check(path, arch)) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
