#!/usr/bin/env python3
"""check_signed.py UNSIGNED SIGNED: the signed image is the unsigned one with a certificate
table appended, and nothing else changed but the header's checksum and the security directory
entry that points at the table."""
import struct
import sys


def layout(image):
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    optional = pe + 24
    magic = struct.unpack_from("<H", image, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    security = directories + 4 * 8
    return optional + 64, security


def main(unsigned_path, signed_path):
    unsigned = open(unsigned_path, "rb").read()
    signed = open(signed_path, "rb").read()
    checksum, security = layout(unsigned)
    table, size = struct.unpack_from("<II", signed, security)
    failures = []
    if struct.unpack_from("<II", unsigned, security) != (0, 0):
        failures.append("the unsigned image already has a certificate table")
    if size == 0 or table < len(unsigned) or table + size != len(signed):
        failures.append(f"certificate table at {table}+{size} is not appended after the image "
                        f"({len(unsigned)} bytes) up to the end ({len(signed)} bytes)")
    if any(signed[len(unsigned):table]):
        failures.append("the padding before the certificate table is not zero")
    changed = [i for i in range(len(unsigned)) if unsigned[i] != signed[i]
               and not (checksum <= i < checksum + 4 or security <= i < security + 8)]
    if changed:
        failures.append(f"{len(changed)} bytes of the image changed, the first at {changed[0]}")
    for f in failures:
        print(f"check_signed: {signed_path}: {f}", file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
