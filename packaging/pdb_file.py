#!/usr/bin/env python3
"""Reads and rewrites the PDBs that ld writes (MSF 7.00).

  pdb_file.py relative PDB BUILD-DIR   rewrites the build folder out of the PDB's paths
  pdb_file.py identity PDB             prints the PDB's GUID and age, as a CodeView record has them

ld names every input in the PDB by its real absolute path (the module table, and the linker
module's folder and PDB path) and stamps it with the link time, so two builds of one image
gave different PDBs. Paths below the build folder become relative to it ("./..."), and the
time is SOURCE_DATE_EPOCH (0 without it); nothing else changes.
"""
import os
import struct
import sys
import uuid

MAGIC = b"Microsoft C/C++ MSF 7.00\r\n\x1aDS\0\0\0"
NIL_STREAM = 0xFFFFFFFF
INFO_STREAM = 1
DBI_STREAM = 3
DBI_HEADER = 64
MODULE_FIXED = 64
S_OBJNAME = 0x1101
S_ENVBLOCK = 0x113D


def read_streams(data):
    if data[:32] != MAGIC:
        raise ValueError("not an MSF 7.00 file")
    block_size, _, _, directory_bytes, _, map_block = struct.unpack_from("<6I", data, 32)

    def block(i):
        return data[i * block_size:(i + 1) * block_size]

    directory_blocks = (directory_bytes + block_size - 1) // block_size
    indices = struct.unpack_from(f"<{directory_blocks}I", block(map_block))
    directory = b"".join(block(i) for i in indices)[:directory_bytes]
    count = struct.unpack_from("<I", directory)[0]
    sizes = struct.unpack_from(f"<{count}I", directory, 4)
    at = 4 + 4 * count
    streams = []
    for size in sizes:
        if size == NIL_STREAM:
            streams.append(None)
            continue
        n = (size + block_size - 1) // block_size
        blocks = struct.unpack_from(f"<{n}I", directory, at)
        at += 4 * n
        streams.append(b"".join(block(i) for i in blocks)[:size])
    return block_size, streams


def write_msf(block_size, streams):
    # Blocks 1 and 2 of every interval hold the free block maps; stream data never goes there.
    def is_map_block(i):
        return i % block_size in (1, 2)

    blocks = {}
    next_block = 3

    def place(payload):
        nonlocal next_block
        placed = []
        for at in range(0, len(payload), block_size):
            while is_map_block(next_block):
                next_block += 1
            blocks[next_block] = payload[at:at + block_size]
            placed.append(next_block)
            next_block += 1
        return placed

    directory = struct.pack("<I", len(streams))
    directory += b"".join(struct.pack("<I", NIL_STREAM if s is None else len(s)) for s in streams)
    for s in streams:
        if s:
            placed = place(s)
            directory += struct.pack(f"<{len(placed)}I", *placed)
    directory_blocks = place(directory)
    if 4 * len(directory_blocks) > block_size:
        raise ValueError("stream directory too large for one block map block")
    map_block = place(struct.pack(f"<{len(directory_blocks)}I", *directory_blocks))[0]
    total = next_block
    free_map = bytearray(b"\xff" * block_size)
    if total > block_size * 8:
        raise ValueError("more blocks than one free block map block covers")
    for i in range(total):
        free_map[i // 8] &= ~(1 << (i % 8)) & 0xFF
    out = bytearray(total * block_size)
    out[:32] = MAGIC
    struct.pack_into("<6I", out, 32, block_size, 1, total, len(directory), 0, map_block)
    out[block_size:2 * block_size] = free_map
    for i in range(2, total):
        if is_map_block(i):
            out[i * block_size:(i + 1) * block_size] = b"\xff" * block_size
    for i, payload in blocks.items():
        out[i * block_size:i * block_size + len(payload)] = payload
    return bytes(out)


def relative(text, build_dir):
    # Only whole path components: a sibling folder that starts with the same name stays.
    prefix = build_dir.encode()
    out = b""
    while True:
        at = text.find(prefix)
        if at < 0:
            return out + text
        end = at + len(prefix)
        if end == len(text) or text[end:end + 1] in (b"/", b"\\", b"\0"):
            out += text[:at] + b"."
        else:
            out += text[:end]
        text = text[end:]


def relative_symbols(stream, sym_bytes, build_dir):
    # Only the records that name a path are rewritten; no other record points into these.
    out = bytearray(stream[:4])
    at = 4
    while at < sym_bytes:
        length, kind = struct.unpack_from("<HH", stream, at)
        record = stream[at + 4:at + 2 + length]
        if kind in (S_OBJNAME, S_ENVBLOCK):
            # Cut the old padding, whose length followed the old path's.
            if kind == S_OBJNAME:
                record = record[:record.index(b"\0", 4) + 1]
            else:
                strings = record[1:].split(b"\0")
                strings = strings[:strings.index(b"")] if b"" in strings else strings
                record = record[:1] + b"".join(s + b"\0" for s in strings) + b"\0"
            record = relative(record, build_dir)
            record += b"\0" * (-(len(record) + 4) % 4)
        elif build_dir.encode() in record:
            print(f"pdb_file.py: record 0x{kind:04x} names the build folder; left as is",
                  file=sys.stderr)
        out += struct.pack("<HH", len(record) + 2, kind) + record
        at += 2 + length
    return bytes(out), bytes(stream[sym_bytes:])


def make_relative(streams, build_dir):
    dbi = streams[DBI_STREAM]
    module_bytes = struct.unpack_from("<i", dbi, 24)[0]
    modules = dbi[DBI_HEADER:DBI_HEADER + module_bytes]
    rewritten = bytearray()
    at = 0
    while at < len(modules):
        fixed = bytearray(modules[at:at + MODULE_FIXED])
        stream_index, sym_bytes = struct.unpack_from("<HI", fixed, 34)
        names_end = modules.index(b"\0", modules.index(b"\0", at + MODULE_FIXED) + 1) + 1
        names = modules[at + MODULE_FIXED:names_end]
        at = names_end + (-names_end % 4)
        if stream_index != 0xFFFF and sym_bytes:
            symbols, rest = relative_symbols(streams[stream_index], sym_bytes, build_dir)
            streams[stream_index] = symbols + rest
            struct.pack_into("<I", fixed, 36, len(symbols))
        record = bytes(fixed) + relative(names, build_dir)
        rewritten += record + b"\0" * (-len(record) % 4)
    # ld stamps the info stream with the link time; nothing matches a PDB by it.
    info = bytearray(streams[INFO_STREAM])
    struct.pack_into("<I", info, 4, int(os.environ.get("SOURCE_DATE_EPOCH", "0")) & 0xFFFFFFFF)
    streams[INFO_STREAM] = bytes(info)
    header = bytearray(dbi[:DBI_HEADER])
    struct.pack_into("<i", header, 24, len(rewritten))
    streams[DBI_STREAM] = bytes(header) + bytes(rewritten) + dbi[DBI_HEADER + module_bytes:]


def identity(streams):
    # The info stream: version, signature, age, GUID (as a CodeView record stores it).
    _, _, age = struct.unpack_from("<III", streams[INFO_STREAM])
    guid = uuid.UUID(bytes_le=streams[INFO_STREAM][12:28])
    return guid, age


def main(argv):
    if len(argv) == 4 and argv[1] == "relative":
        with open(argv[2], "rb") as f:
            block_size, streams = read_streams(f.read())
        make_relative(streams, os.path.realpath(argv[3]))
        with open(argv[2], "wb") as f:
            f.write(write_msf(block_size, streams))
        return 0
    if len(argv) == 3 and argv[1] == "identity":
        with open(argv[2], "rb") as f:
            guid, age = identity(read_streams(f.read())[1])
        print(f"{guid} {age}")
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
