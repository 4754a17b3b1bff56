#!/usr/bin/env python3
"""Checks the built launcher image: 32-bit x86, GUI subsystem, address-space randomisation,
no-execute data and terminal-server awareness, imports from system DLLs only, and the
manifest, icon group and version resources. Usage: check_image.py tendril.exe objdump"""
import re
import struct
import subprocess
import sys

SYSTEM_DLLS = {"kernel32.dll", "msvcrt.dll", "advapi32.dll", "shell32.dll", "user32.dll",
               "ntdll.dll"}
RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
SUPPORTED_OS = ["e2011457-1546-43c5-a5fe-008deee3d3f0", "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
                "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
                "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"]

failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)


class Image:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        self.machine, sections, _, _, _, opt_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        self.opt = pe + 24
        self.magic, = struct.unpack_from("<H", data, self.opt)
        self.subsystem, self.dll_characteristics = struct.unpack_from("<HH", data, self.opt + 68)
        self.sections = []
        for i in range(sections):
            at = self.opt + opt_size + 40 * i
            vsize, va, rawsize, rawptr = struct.unpack_from("<IIII", data, at + 8)
            self.sections.append((va, max(vsize, rawsize), rawptr))
        self.rsrc_rva, = struct.unpack_from("<I", data, self.opt + 96 + 8 * 2)

    def offset(self, rva):
        for va, size, raw in self.sections:
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError(hex(rva))

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
    check(b"ADVAPI32.dll" in data and "___delayLoadHelper2@8" in dump,
          "advapi32.dll is delay-loaded")
    check("_wWinMain@16" in dump, "entry function wWinMain")
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


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
