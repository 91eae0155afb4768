#!/usr/bin/env python3
"""The resources of a Windows program (a PE file), read without Windows:
its icons, its version and its manifest.

  pe_resources.py FILE.exe   prints what it found, one line each
"""
import re
import struct
import sys

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24


def sections(data):
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    count, optional_size = struct.unpack_from("<H", data, pe + 6)[0], struct.unpack_from("<H", data, pe + 20)[0]
    table = pe + 24 + optional_size
    for i in range(count):
        name, _, virtual, size, raw = struct.unpack_from("<8sIIII", data, table + 40 * i)
        yield name.rstrip(b"\0").decode(), virtual, size, raw


def resources(data):
    """{type: [(id, bytes)]} of every resource, by type and name."""
    found = {}
    for name, virtual, size, raw in sections(data):
        if name != ".rsrc":
            continue

        def entries(offset):
            named, numbered = struct.unpack_from("<HH", data, raw + offset + 12)
            for i in range(named + numbered):
                ident, target = struct.unpack_from("<II", data, raw + offset + 16 + 8 * i)
                yield ident, target

        def leaf(target):
            while target & 0x80000000:  # a directory: its first entry (one language)
                target = next(entries(target & 0x7FFFFFFF))[1]
            rva, length = struct.unpack_from("<II", data, raw + target)
            return data[raw + rva - virtual:raw + rva - virtual + length]

        for kind, directory in entries(0):
            for ident, target in entries(directory & 0x7FFFFFFF):
                found.setdefault(kind, []).append((ident, leaf(target)))
    return found


def version(block):
    """The fixed file version (a.b.c.d) and the text ProductVersion."""
    at = block.find(struct.pack("<I", 0xFEEF04BD))
    ms, ls = struct.unpack_from("<II", block, at + 8)
    fixed = "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    text = block.decode("utf-16-le", "replace")
    product = re.search("ProductVersion\0+([^\0]*)", text)
    return fixed, product.group(1) if product else None


def icon_images(path):
    """The pictures of an .ico file, as stored."""
    with open(path, "rb") as f:
        data = f.read()
    count = struct.unpack_from("<H", data, 4)[0]
    images = []
    for i in range(count):
        size, offset = struct.unpack_from("<II", data, 6 + 16 * i + 8)
        images.append(data[offset:offset + size])
    return images


if __name__ == "__main__":
    with open(sys.argv[1], "rb") as f:
        found = resources(f.read())
    print("icons: %d, icon groups: %d" % (len(found.get(RT_ICON, [])), len(found.get(RT_GROUP_ICON, []))))
    for _, block in found.get(RT_VERSION, []):
        print("version: %s, product version: %s" % version(block))
    for _, manifest in found.get(RT_MANIFEST, []):
        print("manifest: " + " ".join(manifest.decode("utf-8", "replace").split()))
