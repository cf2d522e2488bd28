#!/usr/bin/env python3
"""Writes the seed corpus of each fuzz target into corpus/<target>/ (run from anywhere)."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode("latin-1"))


# Profile files, some with edits after "\xFF\xFE" ("section\x02key\x02value", "\x01" between).
SETTINGS = ("[Globals\\Booleans]\r\nTray=1\r\n[Globals\\Integers]\r\nLastY=20\r\nTessaraCount=2\r\n"
            "[1\\Integers]\r\nLeft=-3000\r\nTop=$10\r\nColor=$707070\r\nCols=0x4\r\n[1\\Strings]\r\n"
            "BMPFilename=\"  C:\\pics\\a b.bmp \"\r\n[1\\Floats]\r\nZoom=1.25\r\nTiny=1E-7\r\n")
write("fuzz_inifile", "settings.ini", SETTINGS)
write("fuzz_inifile", "mixed_breaks.ini",
      "\xEF\xBB\xBF; mine\n[A]\r\nk = 1\rj=\"quoted\"\n\n[b]\nx=1\n[a]\nk=dup" +
      "\xFF\xFEa\x02k\x02new\x01b\x02y\x02 padded \x01C\x02z\x02line\r\nbreak")
write("fuzz_inifile", "long_value.ini", "[S]\nv=1\n[T]\nw=2" + "\xFF\xFES\x02v\x02" + "p" * 2100)
write("fuzz_inifile", "empty_with_edit.ini", "\xFF\xFENew\x02Key\x02\"x\"")

write("fuzz_values", "settings.ini", SETTINGS)
write("fuzz_values", "edges.ini",
      "[Integers]\nA=-2147483648\nB=2147483648\nC=$FFFFFFFF\nD=-$1\nE=0x\nF=+\n[Floats]\nA=1E4932\n"
      "B=-0.000001\nC=123456789012345678\nD=1.\nE=inf\n[Booleans]\nA=\nB=0x0\nC=$1\n[Strings]\nA=" + "s" * 2100 + "\n")

# Tile data: 821-byte records (column, row, four texts with a length byte, index, library, drive).
CAPS = [(8, 256), (264, 41), (305, 256), (561, 256)]


def record(col, row, texts, index=0, lib=0, drive=0, lengths=None):
    r = bytearray(821)
    struct.pack_into("<ii", r, 0, col, row)
    for i, ((at, field), text) in enumerate(zip(CAPS, texts)):
        text = text.encode("latin-1")[: field - 1]
        r[at] = len(text) if lengths is None or lengths[i] is None else lengths[i]
        r[at + 1: at + 1 + len(text)] = text
    struct.pack_into("<H", r, 817, index)
    r[819] = lib
    r[820] = drive
    return bytes(r)


write("fuzz_tiledata", "two_tiles.dat",
      record(1, 1, ["EXPLORER.EXE C:\\", "Drive C:", "", ""], 0, 0, 3) +
      record(3, 2, ["C:\\b.exe", "b", "C:\\", "C:\\icons.dll"], 7, 2, 0))
write("fuzz_tiledata", "odd_fields.dat",
      record(2, 2, ["a.exe", "d" * 40, "s", "i"], 1, 0, 200, lengths=[None, 99, None, None]) +
      record(2, 2, ["", "stale", "", ""]) + record(65, 1, ["x", "", "", ""]) + record(257, -255, ["y", "", "", ""]))
write("fuzz_tiledata", "trailing_piece.dat", record(64, 64, ["far.exe", "", "", ""]) + b"\x01" * 400)

# Icon files: a directory of 16-byte entries, then images (bitmap-info header or PNG).
def dib(width, height, bits):
    row = ((width * bits + 31) // 32) * 4
    mask = ((width + 31) // 32) * 4
    palette = 16 * 4 if bits == 4 else 0
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, bits, 0, (row + mask) * height, 0, 0,
                         16 if bits == 4 else 0, 0)
    return header + b"\x40" * palette + b"\x7f" * (row * height) + b"\x00" * (mask * height)


def icon(images):
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for w, h, img in images:
        out += struct.pack("<BBBBHHII", w & 0xFF, h & 0xFF, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    return out + b"".join(img for _, _, img in images)


PNG = b"\x89PNG\r\n\x1a\n" + b"\x00" * 24
write("fuzz_iconfile", "two_images.ico", icon([(16, 16, dib(16, 16, 32)), (3, 2, dib(3, 2, 4))]))
write("fuzz_iconfile", "png_image.ico", icon([(0, 0, PNG)]))
write("fuzz_iconfile", "beyond_end.ico", icon([(1, 1, dib(1, 1, 24))])[:-5])

# Layer files: 24-bit uncompressed bitmaps.
def bmp(width, height, info=40, top_down=False, extra=b""):
    stride = (3 * width + 3) // 4 * 4
    pixels = bytes((i * 37) & 0xFF for i in range(stride * height))
    offset = 14 + info + len(extra)
    head = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    header = struct.pack("<IiiHHIIiiII", info, width, -height if top_down else height, 1, 24, 0, len(pixels),
                         0, 0, 0, 0)
    return head + header + b"\x00" * (info - 40) + extra + pixels


write("fuzz_bmp24", "bottom_up.bmp", bmp(3, 2))
write("fuzz_bmp24", "top_down_v5.bmp", bmp(5, 3, info=124, top_down=True))
write("fuzz_bmp24", "gap_before_pixels.bmp", bmp(1, 1, extra=b"\xAA" * 12))
