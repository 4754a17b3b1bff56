#!/usr/bin/env python3
"""Checks the release package: check_package.py IMAGES-ZIP SYMBOLS-ZIP VERSION

The images archive holds exactly the shipped images and the README (which names VERSION), the
symbols archive exactly their PDBs, and each PDB's GUID and age are the ones its image's
CodeView record names, so a debugger finds it."""
import os
import struct
import sys
import zipfile

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pdb_file  # noqa: E402  (this folder's module)

IMAGES = ("tendril.exe", "regupd-check.exe", "patch-check.exe")
IMAGE_DEBUG_TYPE_CODEVIEW = 2


def codeview(image):
    # PE header -> debug directory -> the RSDS record: GUID (16 bytes), age, PDB name.
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE image")
    sections, optional_size = struct.unpack_from("<H12xH", image, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", image, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    debug_rva, debug_size = struct.unpack_from("<II", image, directories + 6 * 8)
    table = optional + optional_size

    def offset(rva):
        for i in range(sections):
            size, address, _, raw = struct.unpack_from("<IIII", image, table + 40 * i + 8)
            if address <= rva < address + size:
                return rva - address + raw
        raise ValueError(f"RVA 0x{rva:x} in no section")

    at = offset(debug_rva)
    for entry in range(debug_size // 28):
        kind, size, _, raw = struct.unpack_from("<IIII", image, at + 28 * entry + 12)
        if kind == IMAGE_DEBUG_TYPE_CODEVIEW and image[raw:raw + 4] == b"RSDS":
            guid = image[raw + 4:raw + 20]
            age = struct.unpack_from("<I", image, raw + 20)[0]
            name = image[raw + 24:raw + size].split(b"\0")[0].decode()
            return guid, age, name
    raise ValueError("no CodeView record")


def main(images_zip, symbols_zip, version):
    failures = []
    with zipfile.ZipFile(images_zip) as images, zipfile.ZipFile(symbols_zip) as symbols:
        image_names = sorted(images.namelist())
        pdb_names = sorted(symbols.namelist())
        want_images = sorted(IMAGES + ("README.txt",))
        want_pdbs = sorted(n[:-4] + ".pdb" for n in IMAGES)
        if image_names != want_images:
            failures.append(f"{images_zip}: holds {image_names}, expected {want_images}")
        if pdb_names != want_pdbs:
            failures.append(f"{symbols_zip}: holds {pdb_names}, expected {want_pdbs}")
        if "README.txt" in image_names and version not in images.read("README.txt").decode():
            failures.append(f"README.txt does not name version {version}")
        for name in IMAGES:
            pdb_name = name[:-4] + ".pdb"
            if name not in image_names or pdb_name not in pdb_names:
                continue
            guid, age, named = codeview(images.read(name))
            _, streams = pdb_file.read_streams(symbols.read(pdb_name))
            streams_guid = streams[pdb_file.INFO_STREAM][12:28]
            streams_age = struct.unpack_from("<I", streams[pdb_file.INFO_STREAM], 8)[0]
            if (streams_guid, streams_age) != (guid, age):
                failures.append(f"{pdb_name}: GUID/age {streams_guid.hex()}/{streams_age}, "
                                f"{name} names {guid.hex()}/{age}")
            if os.path.basename(named.replace("\\", "/")) != pdb_name:
                failures.append(f"{name}: CodeView record names {named!r}, not {pdb_name}")
    for f in failures:
        print("check_package: " + f, file=sys.stderr)
    if not failures:
        print(f"check_package: {len(IMAGES)} images, README and matching PDBs")
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
