#!/usr/bin/env python3
"""Packs the program's data folders into one file for the page, and writes
the page with the file's size in it:

    pack_data.py DATA_FOLDER OUT_FILE PAGE_TEMPLATE OUT_PAGE

The page's loading bar counts up to that size: a server that sends the
file compressed gives no other way to know it beforehand. The template's
@DATA_BYTES@ becomes the size (0 when DATA_FOLDER is empty, for a page
without data).

The file is the magic b"WIMMELPK", the length of the index as a 32-bit
little-endian number, the index (UTF-8 JSON: a list of [path, size] in file
order, paths relative to the data folder with "/" between folders), then
every file's bytes one after the other. Only the folders the program reads
go in (the pictures and the music), in name order, so the same data gives the
same bytes."""
import json
import os
import struct
import sys

FOLDERS = ["HG_bild", "figure", "musik", "objekte", "pattern"]
REQUIRED = ["HG_bild", "figure", "objekte", "pattern"]


def main():
    if len(sys.argv) != 5:
        sys.exit("usage: pack_data.py DATA_FOLDER OUT_FILE PAGE_TEMPLATE OUT_PAGE")
    data, out, template, page = sys.argv[1:5]
    size = pack(data, out) if data else 0
    with open(template, "r", encoding="utf-8") as f:
        text = f.read().replace("@DATA_BYTES@", str(size))
    with open(page + ".tmp", "w", encoding="utf-8") as f:
        f.write(text)
    os.replace(page + ".tmp", page)


def pack(data, out):
    missing = [f for f in REQUIRED if not os.path.isdir(os.path.join(data, f))]
    if missing:
        sys.exit("pack_data.py: %s holds no %s (build the native tree first)" % (data, ", ".join(missing)))
    files = []
    for folder in FOLDERS:
        top = os.path.join(data, folder)
        if not os.path.isdir(top):
            continue
        for root, dirs, names in os.walk(top):
            dirs.sort()
            for name in sorted(names):
                path = os.path.join(root, name)
                files.append((os.path.relpath(path, data).replace(os.sep, "/"), path))
    index = [[rel, os.path.getsize(path)] for rel, path in files]
    head = json.dumps(index, separators=(",", ":")).encode("utf-8")
    tmp = out + ".tmp"
    with open(tmp, "wb") as f:
        f.write(b"WIMMELPK")
        f.write(struct.pack("<I", len(head)))
        f.write(head)
        for _, path in files:
            with open(path, "rb") as g:
                f.write(g.read())
    os.replace(tmp, out)
    return os.path.getsize(out)


if __name__ == "__main__":
    main()
