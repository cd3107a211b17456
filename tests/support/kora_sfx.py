#!/usr/bin/env python3
"""Independent writer and reader of the driver package archive, for tests.

Written from the archive format alone (docs/package-archive.md), with Python's
zlib, so that the extractor and kadu-pack are each checked against a second
implementation:

    stub | member zlib streams | directory | count u32 | "1.10" | "!KORA_SFX!" | tail

A directory entry is offset, uncompressed size, compressed size (u32 LE), the
file name bytes, their length (u32), the folder bytes (ending with a
backslash, or empty), their length (u32); entries are in member order.

Commands:
  pack --stub FILE --out FILE [--level N] [--wbits N] [--strategy S] FOLDER
  list PACKAGE
  extract PACKAGE --to DIR
  check PACKAGE FOLDER [--stub FILE]   strict: the package holds exactly FOLDER
"""
import argparse
import os
import struct
import sys
import zlib

MAGIC = b"!KORA_SFX!"
VERSION = b"1.10"
SEARCH_BYTES = 10_000_000
MAX_ENTRIES = 1000
MAX_STRING = 999
CHUNK = 1 << 20
ENCODING = "cp1252"
STRATEGIES = {
    "default": zlib.Z_DEFAULT_STRATEGY,
    "filtered": zlib.Z_FILTERED,
    "huffman": zlib.Z_HUFFMAN_ONLY,
    "rle": zlib.Z_RLE,
    "fixed": zlib.Z_FIXED,
}


class ArchiveError(Exception):
    pass


# ---------------------------------------------------------------- writing

def walk_tree(folder):
    """(relative folder with backslashes, name, host path) of every file, in
    this packer's own order: plain sorted os.walk, top-down."""
    found = []
    for root, dirs, files in os.walk(folder):
        dirs.sort()
        rel = os.path.relpath(root, folder)
        prefix = "" if rel == "." else rel.replace(os.sep, "\\") + "\\"
        for name in sorted(files):
            found.append((prefix, name, os.path.join(root, name)))
    return found


def compress_file(path, out, level, wbits, strategy):
    """Streams one file through a zlib compressor into `out`; returns sizes."""
    comp = zlib.compressobj(level, zlib.DEFLATED, wbits, 8, strategy)
    usize = csize = 0
    with open(path, "rb") as f:
        while True:
            block = f.read(CHUNK)
            if not block:
                break
            usize += len(block)
            data = comp.compress(block)
            out.write(data)
            csize += len(data)
    data = comp.flush()
    out.write(data)
    return usize, csize + len(data)


def directory_bytes(entries):
    """entries: (offset, usize, csize, name bytes, folder bytes)."""
    parts = []
    for offset, usize, csize, name, folder in entries:
        parts.append(struct.pack("<III", offset, usize, csize))
        parts.append(name + struct.pack("<I", len(name)))
        parts.append(folder + struct.pack("<I", len(folder)))
    return b"".join(parts)


def trailer_bytes(count, version=VERSION):
    return struct.pack("<I", count) + version + MAGIC


def pack_tree(stub_path, folder, out_path, level=6, wbits=15, strategy="default"):
    members = walk_tree(folder)
    with open(stub_path, "rb") as f:
        stub = f.read()
    entries = []
    with open(out_path, "wb") as out:
        out.write(stub)
        for prefix, name, path in members:
            offset = out.tell()
            usize, csize = compress_file(path, out, level, wbits, STRATEGIES[strategy])
            entries.append((offset, usize, csize, name.encode(ENCODING), prefix.encode(ENCODING)))
        out.write(directory_bytes(entries))
        out.write(trailer_bytes(len(entries)))
    os.chmod(out_path, os.stat(stub_path).st_mode & 0o777)
    return entries


# ---------------------------------------------------------------- reading

def find_magic(f, size):
    """Position of the last magic that starts less than SEARCH_BYTES before the end."""
    lowest = max(0, size - (SEARCH_BYTES - 1))
    f.seek(lowest)
    window = f.read(size - lowest)
    at = window.rfind(MAGIC)
    if at < 0:
        raise ArchiveError("no magic")
    return lowest + at


def read_directory(path):
    """Entries (offset, usize, csize, name bytes, folder bytes) in member order,
    and the position where the directory starts."""
    size = os.path.getsize(path)
    with open(path, "rb") as f:
        magic = find_magic(f, size)
        if magic < 8:
            raise ArchiveError("trailer cut short")
        f.seek(magic - 8)
        count_bytes, version = f.read(4), f.read(4)
        if version != VERSION:
            raise ArchiveError("version %r" % version)
        (count,) = struct.unpack("<I", count_bytes)
        if count == 0 or count > MAX_ENTRIES:
            raise ArchiveError("entry count %d" % count)
        pos = magic - 8
        entries = []

        def back(n):
            nonlocal pos
            if n > pos:
                raise ArchiveError("directory runs before the file start")
            pos -= n
            f.seek(pos)
            return f.read(n)

        for _ in range(count):
            (dlen,) = struct.unpack("<I", back(4))
            if dlen > MAX_STRING:
                raise ArchiveError("folder length %d" % dlen)
            folder = back(dlen)
            (nlen,) = struct.unpack("<I", back(4))
            if nlen > MAX_STRING:
                raise ArchiveError("name length %d" % nlen)
            name = back(nlen)
            offset, usize, csize = struct.unpack("<III", back(12))
            entries.append((offset, usize, csize, name, folder))
        entries.reverse()
        return entries, pos


def safe_relative(folder, name):
    text = (folder + name).replace("\\", "/")
    parts = text.split("/")
    if text.startswith("/") or ":" in text or ".." in parts or "/" in name.replace("\\", "/"):
        raise ArchiveError("unsafe member path %r" % (folder + name))
    return os.path.join(*[p for p in parts if p])


def inflate_member(f, offset, data_end, sink):
    """Inflates the stream at `offset`; returns (bytes consumed, bytes produced)."""
    f.seek(offset)
    d = zlib.decompressobj()
    consumed = produced = 0
    while not d.eof:
        block = f.read(min(CHUNK, data_end - offset - consumed))
        if not block:
            raise ArchiveError("stream at %d ends early" % offset)
        out = d.decompress(block)
        produced += len(out)
        sink(out)
        consumed += len(block) - len(d.unused_data)
    return consumed, produced


def extract(path, dest, strict=False):
    """Extracts every member; returns {relative host path: (usize, csize)}."""
    entries, data_end = read_directory(path)
    found = {}
    with open(path, "rb") as f:
        for offset, usize, csize, name, folder in entries:
            rel = safe_relative(folder.decode(ENCODING), name.decode(ENCODING))
            if folder and not folder.endswith(b"\\"):
                raise ArchiveError("folder %r lacks its backslash" % folder)
            target = os.path.join(dest, rel)
            os.makedirs(os.path.dirname(target) or dest, exist_ok=True)
            with open(target, "wb") as out:
                consumed, produced = inflate_member(f, offset, data_end, out.write)
            if strict and (consumed, produced) != (csize, usize):
                raise ArchiveError("%s: sizes %d/%d, directory says %d/%d" % (rel, consumed, produced, csize, usize))
            found[rel] = (usize, csize)
    return found


def check(path, folder, stub_path=None):
    """Strict reading of a package that should hold exactly the files under
    `folder`: contents, sizes, contiguous streams after the stub."""
    entries, data_end = read_directory(path)
    expected = {}
    for root, _, files in os.walk(folder):
        for name in files:
            full = os.path.join(root, name)
            expected[os.path.relpath(full, folder)] = full
    problems = []
    next_offset = os.path.getsize(stub_path) if stub_path else entries[0][0]
    if stub_path:
        with open(stub_path, "rb") as s, open(path, "rb") as p:
            if p.read(next_offset) != s.read():
                problems.append("package does not start with the stub")
    seen = set()
    with open(path, "rb") as f:
        for offset, usize, csize, name, folder_bytes in entries:
            rel = safe_relative(folder_bytes.decode(ENCODING), name.decode(ENCODING))
            if offset != next_offset:
                problems.append("%s: offset %d, expected %d" % (rel, offset, next_offset))
            next_offset = offset + csize
            if rel not in expected:
                problems.append("%s: not in the folder" % rel)
                continue
            seen.add(rel)
            with open(expected[rel], "rb") as src:
                state = {"same": True}

                def compare(block, src=src, state=state):
                    if block and src.read(len(block)) != block:
                        state["same"] = False

                consumed, produced = inflate_member(f, offset, data_end, compare)
                if src.read(1):
                    state["same"] = False
            if not state["same"]:
                problems.append("%s: contents differ" % rel)
            if (consumed, produced) != (csize, usize):
                problems.append("%s: sizes %d/%d, directory says %d/%d" % (rel, consumed, produced, csize, usize))
    if next_offset != data_end:
        problems.append("directory starts at %d, streams end at %d" % (data_end, next_offset))
    for rel in sorted(set(expected) - seen):
        problems.append("%s: missing from the package" % rel)
    return problems


def main(argv):
    p = argparse.ArgumentParser(description="Independent package archive packer and reader for tests.")
    sub = p.add_subparsers(dest="command", required=True)
    pk = sub.add_parser("pack")
    pk.add_argument("--stub", required=True)
    pk.add_argument("--out", required=True)
    pk.add_argument("--level", type=int, default=6)
    pk.add_argument("--wbits", type=int, default=15)
    pk.add_argument("--strategy", choices=sorted(STRATEGIES), default="default")
    pk.add_argument("folder")
    ls = sub.add_parser("list")
    ls.add_argument("package")
    ex = sub.add_parser("extract")
    ex.add_argument("package")
    ex.add_argument("--to", required=True)
    ck = sub.add_parser("check")
    ck.add_argument("package")
    ck.add_argument("folder")
    ck.add_argument("--stub")
    a = p.parse_args(argv)
    try:
        if a.command == "pack":
            entries = pack_tree(a.stub, a.folder, a.out, a.level, a.wbits, a.strategy)
            print("%d members" % len(entries))
        elif a.command == "list":
            entries, _ = read_directory(a.package)
            for offset, usize, csize, name, folder in entries:
                print("%s%s %d %d %d" % (folder.decode(ENCODING), name.decode(ENCODING), usize, csize, offset))
        elif a.command == "extract":
            found = extract(a.package, a.to, strict=True)
            print("%d members" % len(found))
        else:
            problems = check(a.package, a.folder, a.stub)
            for line in problems:
                print(line)
            return 1 if problems else 0
    except (ArchiveError, OSError, zlib.error) as e:
        print("kora_sfx: %s" % e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
