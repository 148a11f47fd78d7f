#!/usr/bin/env python3
"""Writes src/text/font_data.cpp, the glyph rows of Wimmel's three bitmap fonts.

Font 0 (8 x 16) is taken from the VGA console fonts of the Debian package
console-setup-linux and moved up one row so that capitals stand in rows 1 to 10;
fonts 1 (6 x 7) and 2 (6 x 12) are drawn in fonts_small.py next to this script.
The build does not run this script: its output is committed. Regenerate with

    apt-get install console-setup-linux
    python3 tools/fontgen/fontgen.py [--psf-dir /usr/share/consolefonts]

Row words use bit j for column j, so bit 0 is the leftmost pixel.
"""

import argparse
import gzip
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import fonts_small  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
OUT = os.path.join(REPO, "src", "text", "font_data.cpp")

# Height and width of fonts 0, 1 and 2.
METRICS = [(16, 8), (7, 6), (12, 6)]

# The control codes that carry pictures, with the character they show.
CONTROL_PICTURES = {
    1: "\u00b1",  # plus-minus
    16: "\u25ba",  # triangle pointing right
    17: "\u25c4",  # triangle pointing left
    22: "\u25ac",  # thick bar (font 2 only)
    24: "\u2191",
    25: "\u2193",
    26: "\u2192",
    27: "\u2190",
    30: "\u25b2",
    31: "\u25bc",
    127: "\u2302",  # house
}

# The Latin-1 positions of the German letters take those letters instead of
# the code page's pictures, because the program's own texts are Latin-1.
GERMAN = {196: "\u00c4", 214: "\u00d6", 220: "\u00dc", 223: "\u00df", 228: "\u00e4",
          246: "\u00f6", 252: "\u00fc"}


def char_of(code):
    """The character that code shows in every font."""
    if code in GERMAN:
        return GERMAN[code]
    if code in CONTROL_PICTURES:
        return CONTROL_PICTURES[code]
    if 33 <= code <= 126:
        return chr(code)
    if 127 <= code <= 254:
        return bytes([code]).decode("cp437")
    return None


def coverage(font):
    """The codes that have ink in a font."""
    codes = {1, 16, 17, 24, 25, 26, 27, 30, 31} | set(range(33, 255))
    if font == 2:
        codes.add(22)
        codes.discard(95)
    return codes


# ---------------------------------------------------------------- PSF files
def load_psf(path):
    """Glyph bitmaps and the Unicode map of a PSF 1 or 2 console font."""
    data = gzip.open(path).read() if path.endswith(".gz") else open(path, "rb").read()
    uni = {}
    if data[:2] == b"\x36\x04":
        mode, height = data[2], data[3]
        count = 512 if mode & 1 else 256
        glyphs = [data[4 + i * height: 4 + (i + 1) * height] for i in range(count)]
        pos = 4 + count * height
        if mode & 6:
            for i in range(count):
                while True:
                    (v,) = struct.unpack_from("<H", data, pos)
                    pos += 2
                    if v == 0xFFFF:
                        break
                    if v != 0xFFFE:
                        uni.setdefault(v, i)
        return glyphs, uni, 8, height
    _, _, hsize, flags, count, per_glyph, height, width = struct.unpack_from("<8I", data)
    if width != 8:
        raise SystemExit(f"{path}: only 8 pixel wide fonts are read")
    glyphs = [data[hsize + i * per_glyph: hsize + (i + 1) * per_glyph] for i in range(count)]
    pos = hsize + count * per_glyph
    if flags & 1:
        for i in range(count):
            end = data.index(b"\xff", pos)
            for ch in data[pos:end].split(b"\xfe")[0].decode("utf-8", "replace"):
                uni.setdefault(ord(ch), i)
            pos = end + 1
    return glyphs, uni, width, height


def reverse8(b):
    """PSF rows keep the leftmost pixel in the top bit; the table keeps it in bit 0."""
    return int(f"{b:08b}"[::-1], 2)


def art(text, width=8):
    """Rows from a picture of '#' (ink) and '.' (paper), leftmost column first."""
    rows = []
    for line in text.strip("\n").split("\n"):
        line = line.strip()
        if len(line) > width:
            raise ValueError(f"row too wide: {line!r}")
        rows.append(sum(1 << j for j, ch in enumerate(line) if ch == "#"))
    return rows


# Glyphs whose mark starts in the top row: which row to drop instead of the
# empty top row when the face is moved up by one (None keeps it in place).
DROP_ROW = {"\u00c5": 3, "\u00c9": 1, "\u00d1": 2, "^": None}

# Box drawing, shades, blocks and the integral halves fill their whole cell
# and meet their neighbours, so they keep their rows.
FULL_CELL = set(range(176, 224)) | {244, 245}

# The single-storey "a" of font 0, rows 4 to 10.
A_BODY = [46, 51, 51, 51, 51, 51, 46]

FONT0_EXTRA = {
    "\u25ba": art("""
        ........
        ........
        ........
        #.......
        ##......
        ###.....
        ####....
        #####...
        ######..
        #####...
        ####....
        ###.....
        ##......
        #.......
        ........
        ........"""),
    "\u25c4": art("""
        ........
        ........
        ........
        ......#.
        .....##.
        ....###.
        ...####.
        ..#####.
        .######.
        ..#####.
        ...####.
        ....###.
        .....##.
        ......#.
        ........
        ........"""),
}


def build_font0(psf_dir):
    sources = [load_psf(os.path.join(psf_dir, name))
               for name in ("FullGreek-VGA16.psf.gz", "Uni2-VGA16.psf.gz")]
    font = {}
    for code in sorted(coverage(0)):
        ch = char_of(code)
        rows = None
        for glyphs, uni, _, height in sources:
            if ord(ch) in uni and height == 16:
                rows = [reverse8(b) for b in glyphs[uni[ord(ch)]]]
                break
        if rows is None:
            if ch not in FONT0_EXTRA:
                raise SystemExit(f"font 0: no glyph for code {code} ({ch!r})")
            font[code] = FONT0_EXTRA[ch]
            continue
        if code not in FULL_CELL or code in GERMAN:
            if rows[0] == 0:
                rows = rows[1:] + [0]
            elif ch in DROP_ROW:
                drop = DROP_ROW[ch]
                if drop is not None:
                    rows = rows[:drop] + rows[drop + 1:] + [0]
            elif rows[0] == rows[1]:
                rows = rows[:1] + rows[2:] + [0]
            else:
                raise SystemExit(f"font 0: code {code} ({ch!r}) has ink in its top row")
        if ch in "a\u00e0\u00e1\u00e2\u00e4\u00e5":
            rows[4:11] = A_BODY
        font[code] = rows
    return font


# ---------------------------------------------------------------- checks
TELLING = {
    (0, "A"): [0, 8, 28, 54, 99, 99, 127, 99, 99, 99, 99, 0, 0, 0, 0, 0],
    (0, "a"): [0, 0, 0, 0, 46, 51, 51, 51, 51, 51, 46, 0, 0, 0, 0, 0],
    (1, "A"): [0, 12, 18, 30, 18, 82, 64],
    (2, "A"): [0, 28, 34, 34, 98, 92, 98, 98, 98, 98, 64, 0],
}


def check(fonts):
    for f, font in enumerate(fonts):
        height, _ = METRICS[f]
        cover = coverage(f)
        for code in range(1, 256):
            rows = font.get(code, [])
            if len(rows) > height or any(r < 0 or r > 255 for r in rows):
                raise SystemExit(f"font {f} code {code}: rows out of range")
            inked = any(rows)
            if inked != (code in cover):
                raise SystemExit(f"font {f} code {code}: coverage wrong (ink {inked})")
    for (f, ch), want in TELLING.items():
        got = fonts[f][ord(ch)] + [0] * (METRICS[f][0] - len(fonts[f][ord(ch)]))
        if got != want:
            raise SystemExit(f"font {f} {ch!r}: rows {got} instead of {want}")
    for code, ch in GERMAN.items():
        cp = ch.encode("cp437")[0]
        for f, font in enumerate(fonts):
            if font[code] != font[cp]:
                raise SystemExit(f"font {f}: {ch} differs between {code} and {cp}")


# ---------------------------------------------------------------- output
LICENCE = """\
// The shapes of font 0 come from the VGA console fonts (Uni2-VGA16 and
// FullGreek-VGA16) of the Debian package console-setup-linux, built there from
// u_vga16.bdf, under this licence:
//
//   Copyright (C) 2000, 2001 by Dmitry Bolkhovityanov.  All Rights Reserved.
//
//   Permission is hereby granted, free of charge, to any person obtaining a
//   copy of this software and associated documentation files (the
//   "Software"), to deal in the Software without restriction, including
//   without limitation the rights to use, copy, modify, merge, publish,
//   distribute, sublicense, and/or sell copies of the Software, and to permit
//   persons to whom the Software is furnished to do so, subject to the
//   following conditions:
//
//   The above copyright notice and this permission notice shall be included
//   in all copies or substantial portions of the Software.
//
//   THE SOFTWARE IS PROVIDED "AS IS", WITHOUT WARRANTY OF ANY KIND, EXPRESS
//   OR IMPLIED, INCLUDING BUT NOT LIMITED TO THE WARRANTIES OF
//   MERCHANTABILITY, FITNESS FOR A PARTICULAR PURPOSE AND NONINFRINGEMENT. IN
//   NO EVENT SHALL THE XFREE86 PROJECT BE LIABLE FOR ANY CLAIM, DAMAGES OR
//   OTHER LIABILITY, WHETHER IN AN ACTION OF CONTRACT, TORT OR OTHERWISE,
//   ARISING FROM, OUT OF OR IN CONNECTION WITH THE SOFTWARE OR THE USE OR
//   OTHER DEALINGS IN THE SOFTWARE.
//
//   Except as contained in this notice, the name of Dmitry Bolkhovityanov
//   shall not be used in advertising or otherwise to promote the sale, use
//   or other dealings in this Software without prior written authorization
//   from the Dmitry Bolkhovityanov.
//
// The glyphs were moved up one row, the "a" family got a single-storey body,
// the German letters were copied to their Latin-1 positions, and the
// triangles of codes 16 and 17 were drawn anew. Fonts 1 and 2 are Wimmel's
// own drawings (tools/fontgen/fonts_small.py).
"""


def label(code):
    ch = char_of(code)
    if ch is None:
        return f"{code}"
    if ch == "\\":
        return f"{code} backslash"
    return f"{code} {ch}"


def write(fonts, path):
    out = []
    out.append("// Generated by tools/fontgen/fontgen.py. Do not edit; change the generator.\n")
    out.append(LICENCE)
    out.append('\n#include "text/font_data.h"\n\nnamespace wimmel::text {\n\n')
    out.append("// clang-format off\n")
    out.append("const uint8_t kFontRows[3][256][16] = {\n")
    for f, font in enumerate(fonts):
        out.append(f"    // font {f}: {METRICS[f][0]} rows x {METRICS[f][1]} columns\n    {{\n")
        for code in range(256):
            rows = font.get(code, [])
            rows = rows + [0] * (16 - len(rows))
            body = ", ".join(f"0x{r:02X}" for r in rows)
            out.append(f"        {{{body}}},  // {label(code)}\n")
        out.append("    },\n")
    out.append("};\n// clang-format on\n\n}  // namespace wimmel::text\n")
    text = "".join(out)
    with open(path, "w", encoding="utf-8") as fh:
        fh.write(text)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--psf-dir", default="/usr/share/consolefonts")
    parser.add_argument("--out", default=OUT)
    args = parser.parse_args()
    fonts = [build_font0(args.psf_dir), fonts_small.font1(), fonts_small.font2()]
    for font in fonts:
        font.pop(0, None)
    check(fonts)
    write(fonts, args.out)
    print(f"wrote {args.out}")


if __name__ == "__main__":
    main()
