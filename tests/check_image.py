#!/usr/bin/env python3
"""Checks the built launcher image: 32-bit x86, GUI subsystem, address-space randomisation,
no-execute data and terminal-server awareness, imports from system DLLs only, every import slot
its code reads bound by an import or a delay-load stub, and the manifest, icon group and version
resources.
Usage: check_image.py tendril.exe objdump
       check_image.py --expect-unbound FUNCTION image.exe objdump
The second form checks only the slot binding and passes when exactly FUNCTION's slot is unbound."""
import collections
import re
import struct
import subprocess
import sys

SYSTEM_DLLS = {"kernel32.dll", "msvcrt.dll", "advapi32.dll", "shell32.dll", "user32.dll",
               "ntdll.dll"}
RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
IMAGE_SCN_CNT_CODE, IMAGE_SCN_MEM_EXECUTE = 0x20, 0x20000000
SUPPORTED_OS = ["e2011457-1546-43c5-a5fe-008deee3d3f0", "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
                "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
                "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"]

failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)


Section = collections.namedtuple("Section", "name va size raw raw_size code")
ImportTable = collections.namedtuple("ImportTable", "dll iat functions descriptor")


class Image:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        self.machine, sections, _, _, _, opt_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        self.opt = pe + 24
        self.magic, = struct.unpack_from("<H", data, self.opt)
        self.base, = struct.unpack_from("<I", data, self.opt + 28)
        self.subsystem, self.dll_characteristics = struct.unpack_from("<HH", data, self.opt + 68)
        self.sections = []
        for i in range(sections):
            at = self.opt + opt_size + 40 * i
            name = data[at:at + 8].rstrip(b"\0").decode("ascii", "replace")
            vsize, va, rawsize, rawptr = struct.unpack_from("<IIII", data, at + 8)
            flags, = struct.unpack_from("<I", data, at + 36)
            code = bool(flags & (IMAGE_SCN_CNT_CODE | IMAGE_SCN_MEM_EXECUTE))
            self.sections.append(Section(name, va, max(vsize, rawsize), rawptr, rawsize, code))
        directories, = struct.unpack_from("<I", data, self.opt + 92)
        self.directories = [struct.unpack_from("<II", data, self.opt + 96 + 8 * i)
                            for i in range(min(directories, 16))]
        self.rsrc_rva = self.directories[2][0]

    def offset(self, rva):
        for section in self.sections:
            if section.va <= rva < section.va + section.size:
                return section.raw + rva - section.va
        raise ValueError(hex(rva))

    def section_of(self, rva):
        return next((s for s in self.sections if s.va <= rva < s.va + s.size), None)

    def stored(self, rva, size=1):
        """The file offset of size bytes at rva, or None when they are not in the file."""
        section = self.section_of(rva)
        if not section or rva + size > section.va + section.raw_size:
            return None
        return section.raw + rva - section.va

    def u32(self, rva):
        at = self.stored(rva, 4)
        return None if at is None else struct.unpack_from("<I", self.data, at)[0]

    def ascii(self, rva, limit=260):
        at = self.stored(rva)
        end = -1 if at is None else self.data.find(b"\0", at, at + limit)
        text = self.data[at:end] if end > at else b""
        return text.decode("ascii") if text and all(32 <= c < 127 for c in text) else None

    def resources(self):
        """Yields (type, name, bytes) for every resource leaf."""
        base = self.offset(self.rsrc_rva)

        def entries(at):
            named, ids = struct.unpack_from("<HH", self.data, at + 12)
            for i in range(named + ids):
                name, target = struct.unpack_from("<II", self.data, at + 16 + 8 * i)
                if name & 0x80000000:
                    length, = struct.unpack_from("<H", self.data, base + (name & 0x7FFFFFFF))
                    start = base + (name & 0x7FFFFFFF) + 2
                    name = self.data[start:start + 2 * length].decode("utf-16-le")
                yield name, target

        for rtype, t in entries(base):
            for rname, n in entries(base + (t & 0x7FFFFFFF)):
                for _, leaf in entries(base + (n & 0x7FFFFFFF)):
                    rva, size = struct.unpack_from("<II", self.data, base + leaf)
                    at = self.offset(rva)
                    yield rtype, rname, self.data[at:at + size]


def thunk_names(image, rva):
    """The function names of a null-terminated import lookup table, or None if it is not one."""
    names = []
    while len(names) < 4096:
        entry = image.u32(rva + 4 * len(names))
        if entry is None:
            return None
        if entry == 0:
            return names
        name = f"#{entry & 0xFFFF}" if entry & 0x80000000 else image.ascii(entry + 2)
        if name is None:
            return None
        names.append(name)
    return None


def import_tables(image):
    tables = []
    rva = image.directories[1][0]
    while rva and image.stored(rva, 20) is not None:
        lookup, _, _, name, iat = struct.unpack_from("<5I", image.data, image.stored(rva, 20))
        if not (lookup or name or iat):
            break
        tables.append(ImportTable(image.ascii(name), iat, thunk_names(image, lookup or iat) or [],
                                  None))
        rva += 20
    return tables


def delay_table(image, rva):
    """The delay-import descriptor (ImgDelayDescr, RVA-based) at rva, or None if it is not one."""
    at = image.stored(rva, 32)
    if at is None:
        return None
    attributes, name, module, iat, lookup, bound, unload, _ = struct.unpack_from("<8I",
                                                                                 image.data, at)
    if attributes != 1 or not image.section_of(module) or image.stored(iat, 4) is None:
        return None
    if any(r and not image.section_of(r) for r in (bound, unload)):
        return None
    dll = image.ascii(name)
    functions = thunk_names(image, lookup)
    if not dll or not dll.lower().endswith(".dll") or not functions:
        return None
    return ImportTable(dll, iat, functions, rva)


def delay_tables(image):
    # mingw's ld leaves the Delay Import Directory entry empty: the descriptors are then found
    # by their shape wherever they were placed.
    rva, _ = image.directories[13] if len(image.directories) > 13 else (0, 0)
    if rva:
        tables = []
        while (table := delay_table(image, rva + 32 * len(tables))) is not None:
            tables.append(table)
        return tables
    found = []
    for section in image.sections:
        start, end = section.raw, section.raw + section.raw_size
        at = image.data.find(b"\1\0\0\0", start, end)
        while at >= 0:
            if (at - start) % 4 == 0 and (table := delay_table(image, section.va + at - start)):
                found.append(table)
            at = image.data.find(b"\1\0\0\0", at + 1, end)
    return found


INSTRUCTION = re.compile(r"^\s*([0-9a-f]+):\t([0-9a-f ]+)\t", re.M)


def absolute_pointer(code):
    """The address an indirect call, indirect jump or register load reads its pointer from."""
    if code[:1] == b"\x3e":  # notrack
        code = code[1:]
    if len(code) == 5 and code[0] == 0xA1:  # mov eax, [abs]
        return struct.unpack_from("<I", code, 1)[0]
    if len(code) == 6 and (code[:2] in (b"\xff\x15", b"\xff\x25")  # call/jmp [abs]
                           or code[0] == 0x8B and code[1] & 0xC7 == 0x05):  # mov reg, [abs]
        return struct.unpack_from("<I", code, 2)[0]
    return None


def pointer_reads(disassembly):
    """{pointer address: [addresses of the instructions reading it]} over the image's code."""
    reads = collections.defaultdict(list)
    for match in INSTRUCTION.finditer(disassembly):
        pointer = absolute_pointer(bytes.fromhex(match.group(2)))
        if pointer is not None:
            reads[pointer].append(int(match.group(1), 16))
    return reads


def import_symbols(image, dump):
    """{address: name} from the symbol table, __imp_ names first; empty for a stripped image."""
    symbols = {}
    entry = re.compile(r"^\[\s*\d+\]\(sec\s+(\d+)\).*\(nx \d+\) 0x([0-9a-f]+) (\S+)$", re.M)
    for sec, value, name in entry.findall(dump):
        if not 1 <= int(sec) <= len(image.sections):
            continue
        address = image.base + image.sections[int(sec) - 1].va + int(value, 16)
        if name.startswith("__imp_") or address not in symbols:
            symbols[address] = name
    return symbols


def stub_problem(image, slot, table):
    """Why the file's value of a delay-load slot is not its loader stub, or None when it is:
    mov/push of the slot's address, then a jump to a tail merge that pushes the descriptor."""
    target = image.u32(slot - image.base) or 0
    section = image.section_of(target - image.base) if target else None
    at = image.stored(target - image.base, 10) if section and section.code else None
    if at is None:
        return f"its delay-load slot holds {target:#x}, not an address in the code"
    code = image.data[at:at + 10]
    if code[0] not in (0xB8, 0x68) or code[1:5] != struct.pack("<I", slot):
        return f"its delay-load slot holds {target:#x}, which does not load the slot's address"
    if code[5] == 0xE9:
        merge = target + 10 + struct.unpack_from("<i", code, 6)[0]
    elif code[5] == 0xEB:
        merge = target + 7 + struct.unpack_from("<b", code, 6)[0]
    else:
        return f"its loader stub at {target:#x} does not jump to a tail merge"
    descriptor = image.base + table.descriptor
    at = image.stored(merge - image.base, 16)
    if at is None or b"\x68" + struct.pack("<I", descriptor) not in image.data[at:at + 16]:
        return f"its tail merge at {merge:#x} does not pass descriptor {descriptor:#x}"
    return None


def unbound_slots(image, tables, reads, symbols):
    """(number of import slots the code reads, [(function or None, description)] of those that
    no import descriptor binds and no delay-load stub fills)."""
    slots = {image.base + t.iat + 4 * i: (t, f) for t in tables for i, f in enumerate(t.functions)}
    idata = [(image.base + s.va, image.base + s.va + s.size) for s in image.sections
             if s.name == ".idata"]
    iats = [(image.base + t.iat, image.base + t.iat + 4 * len(t.functions) + 4) for t in tables]
    unbound, checked = [], 0
    for pointer, sites in sorted(reads.items()):
        if pointer not in slots and not any(lo <= pointer < hi for lo, hi in idata + iats):
            continue
        checked += 1
        table, function = slots.get(pointer, (None, None))
        if table is None:
            why = "lies in no import or delay-import table"
        elif table.descriptor is None:
            continue
        elif (why := stub_problem(image, pointer, table)) is None:
            continue
        names = [n for n in (symbols.get(pointer), table and f"{table.dll}!{function}") if n]
        at = ", ".join(f"{site:#x}" for site in sites[:3]) + (", ..." if len(sites) > 3 else "")
        unbound.append((function, f"slot {pointer:#x} ({', '.join(names) or 'no symbol'}), "
                                  f"read at {at}: {why}"))
    return checked, unbound


def binding(image, path, objdump, dump):
    """(delay-import tables, slots read, unbound slots) of the image."""
    disassembly = subprocess.run([objdump, "-d", "--insn-width=16", path], capture_output=True,
                                 text=True, check=True).stdout
    delayed = delay_tables(image)
    reads = pointer_reads(disassembly)
    return (delayed,) + unbound_slots(image, import_tables(image) + delayed, reads,
                                      import_symbols(image, dump))


def main(path, objdump):
    data = open(path, "rb").read()
    image = Image(data)
    check(image.machine == 0x14C and image.magic == 0x10B, "32-bit x86 image (PE32, i386)")
    check(image.subsystem == 2, "Windows GUI subsystem")
    for flag, name in ((0x40, "address-space randomisation"), (0x100, "no-execute data"),
                       (0x8000, "terminal-server awareness")):
        check(image.dll_characteristics & flag, name)

    dump = subprocess.run([objdump, "-p", "-t", path], capture_output=True, text=True,
                          check=True).stdout
    imports = {line.split(":", 1)[1].strip().lower() for line in dump.splitlines()
               if "DLL Name:" in line}
    check(imports and imports <= SYSTEM_DLLS, f"imports only system DLLs: {sorted(imports)}")
    check("SetDefaultDllDirectories" not in dump, "SetDefaultDllDirectories is not imported")
    # Only an update run needs these: they are loaded on first use, not at every start.
    check(not imports & {"advapi32.dll", "shell32.dll", "user32.dll"},
          "advapi32, shell32 and user32 are not loaded at start-up")
    delayed, checked, unbound = binding(image, path, objdump, dump)
    for table in delayed:
        check(True, f"{table.dll} is delay-loaded: descriptor at "
                    f"{image.base + table.descriptor:#x}, {len(table.functions)} functions")
    check(any(t.dll.lower() == "advapi32.dll" for t in delayed), "advapi32.dll is delay-loaded")
    # A dllimport call reads its slot directly; a delay-load slot that ld left empty sends the
    # first call to address 0.
    for _, what in unbound:
        check(False, "unbound " + what)
    check(checked and not unbound,
          f"each of the {checked} import slots the code reads is bound by an import descriptor "
          "or filled with a delay-load stub")
    # A release image has no symbol table to name its functions by.
    if "(scl" in dump:  # objdump -t lists each symbol with its storage class
        check("_wWinMain@16" in dump, "entry function wWinMain")
    else:
        print("skip entry function wWinMain: no symbol table (a stripped release image)")
    # A failed check's module table only accepts a CodeView record of 28 bytes or more.
    codeview = re.search(r"^\s*2\s+CodeView\s+([0-9a-f]+)\s", dump, re.M)
    check(codeview and int(codeview.group(1), 16) >= 28 and "format RSDS" in dump,
          "debug directory with a full CodeView (RSDS) record")

    resources = list(image.resources())
    manifests = [r for t, _, r in resources if t == RT_MANIFEST]
    check(len(manifests) == 1, "one manifest")
    manifest = manifests[0].decode("utf-8") if manifests else ""
    check('level="asInvoker"' in manifest and 'uiAccess="false"' in manifest,
          "manifest asks for asInvoker without uiAccess")
    check('name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' in manifest,
          "manifest depends on Common-Controls 6.0.0.0")
    check(all(f"{{{guid}}}" in manifest for guid in SUPPORTED_OS),
          "manifest lists Vista, 7, 8, 8.1 and 10")

    groups = {name: r for t, name, r in resources if t == RT_GROUP_ICON}
    check("IDI_MAIN" in groups, "icon group IDI_MAIN")
    if "IDI_MAIN" in groups:
        group = groups["IDI_MAIN"]
        count, = struct.unpack_from("<H", group, 4)
        sizes = []
        for i in range(count):
            w, h, _, _, _, bits, _, _ = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
            sizes.append((w or 256, h or 256, bits))
        check(sorted(sizes) == [(16, 16, 32), (32, 32, 32), (48, 48, 32), (256, 256, 32)],
              f"icon images 16, 32, 48 and 256 pixels at 32 bits: {sizes}")

    versions = [r for t, _, r in resources if t == RT_VERSION]
    fixed = versions[0].find(struct.pack("<I", 0xFEEF04BD)) if versions else -1
    if fixed >= 0:
        fms, fls, pms, pls = struct.unpack_from("<IIII", versions[0], fixed + 8)
        want = ((23 << 16) | 0, (0 << 16) | 602)
        check((fms, fls) == want and (pms, pls) == want, "file and product version 23.0.0.602")
    else:
        check(False, "version resource")
    return 1 if failures else 0


def expect_unbound(function, path, objdump):
    image = Image(open(path, "rb").read())
    dump = subprocess.run([objdump, "-t", path], capture_output=True, text=True,
                          check=True).stdout
    _, _, unbound = binding(image, path, objdump, dump)
    for _, what in unbound:
        print("rejects unbound " + what)
    check(unbound and all(f == function for f, _ in unbound),
          f"rejected for an unbound {function} slot and nothing else")
    return 1 if failures else 0


if __name__ == "__main__":
    if sys.argv[1] == "--expect-unbound":
        sys.exit(expect_unbound(*sys.argv[2:5]))
    sys.exit(main(sys.argv[1], sys.argv[2]))
