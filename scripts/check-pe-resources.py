#!/usr/bin/env python3
"""Checks a Windows build of the plug-in without running it: the machine type, and that the resources
hold the editor's bitmaps (byte for byte the committed files), the manifest and a version record.
   check-pe-resources.py FILE.dll i686|x86_64 RESOURCE_DIR"""
import re
import struct
import sys

MACHINES = {"i686": 0x14C, "x86_64": 0x8664}
RT_BITMAP, RT_VERSION, RT_MANIFEST = 2, 16, 24
BITMAPS = {101: "background.bmp", 901: "knob-strip.bmp", 902: "knob-strip-mask.bmp"}


def fail(message):
    print(f"FAIL: {message}", file=sys.stderr)
    sys.exit(1)


def read_resources(image):
    """Returns the machine word and {(type, id): bytes} of every resource with a numeric type and id."""
    if image[:2] != b"MZ":
        fail("not an MZ executable")
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        fail("no PE signature")
    machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", image, pe + 4)
    optional = pe + 24
    magic = struct.unpack_from("<H", image, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    resource_rva, resource_size = struct.unpack_from("<II", image, directories + 2 * 8)
    if resource_size == 0:
        fail("no resource section")
    table = optional + optional_size

    def file_offset(rva):
        for i in range(sections):
            _, virtual_size, address, raw_size, raw_pointer = struct.unpack_from("<8sIIII", image, table + 40 * i)
            if address <= rva < address + max(virtual_size, raw_size):
                return raw_pointer + rva - address
        fail(f"address {rva:#x} lies in no section")

    base = file_offset(resource_rva)

    def entries(offset):
        named, numbered = struct.unpack_from("<HH", image, base + offset + 12)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", image, base + offset + 16 + 8 * i)
            yield name, target

    found = {}
    for type_id, types in entries(0):
        for res_id, names in entries(types & 0x7FFFFFFF):
            if type_id & 0x80000000 or res_id & 0x80000000 or not names & 0x80000000:
                continue
            for _, leaf in entries(names & 0x7FFFFFFF):
                data_rva, size = struct.unpack_from("<II", image, base + leaf)
                start = file_offset(data_rva)
                found[(type_id, res_id)] = image[start:start + size]
    return machine, found


def main():
    path, processor, resource_dir = sys.argv[1:4]
    with open(path, "rb") as f:
        machine, found = read_resources(f.read())
    if machine != MACHINES[processor]:
        fail(f"machine type {machine:#x}, expected {MACHINES[processor]:#x} ({processor})")
    for res_id, name in BITMAPS.items():
        with open(f"{resource_dir}/{name}", "rb") as f:
            expected = f.read()[14:]  # a bitmap resource is the file without its 14-byte file header
        if found.get((RT_BITMAP, res_id)) != expected:
            fail(f"bitmap {res_id} is missing or differs from {name}")
    manifest = found.get((RT_MANIFEST, 2), b"")
    for needed in (b"Microsoft.Windows.Common-Controls", b'version="6.0.0.0"', b'level="asInvoker"'):
        if needed not in manifest:
            fail(f"manifest 2 lacks {needed.decode()}")
    if (RT_VERSION, 1) not in found:
        fail("no version record")
    check_version(found[(RT_VERSION, 1)], resource_dir)
    print(f"machine {processor}; bitmaps {', '.join(map(str, BITMAPS))}, manifest and version record present")


def check_version(record, resource_dir):
    """The version record's numbers (VS_FIXEDFILEINFO) and texts are the product facts' version."""
    with open(f"{resource_dir}/../limiter/ProductFacts.h") as f:
        match = re.search(r'versionText = "([0-9.]+)"', f.read())
    expected = match.group(1)
    numbers = [int(n) for n in expected.split(".")]
    fixed = record.find(struct.pack("<I", 0xFEEF04BD))  # VS_FIXEDFILEINFO's signature
    if fixed < 0:
        fail("the version record has no fixed file information")
    ms, ls = struct.unpack_from("<II", record, fixed + 8)
    found = [ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF]
    if found != numbers:
        fail(f"version record numbers {found}, expected {numbers}")
    for key in ("FileVersion", "ProductVersion"):
        needle = (key + "\0").encode("utf-16-le")
        at = record.find(needle)
        if at < 0:
            fail(f"the version record has no {key}")
        start = at + len(needle)
        start += (4 - start % 4) % 4  # the value starts on a 32-bit boundary
        end = record.find(b"\0\0", start)
        while end >= 0 and (end - start) % 2:
            end = record.find(b"\0\0", end + 1)
        value = record[start:end].decode("utf-16-le")
        if value != expected:
            fail(f"{key} is {value!r}, expected {expected!r}")


if __name__ == "__main__":
    main()
