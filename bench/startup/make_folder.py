#!/usr/bin/env python3
"""Fills a program folder for the start-up benchmark: sixteen windows of 8 x 8 tiles in
three looks (plain colour, tiled picture, transparent), every tile pointing at a real file
of the Wine prefix. Also writes floor-geometry.txt: "L,T,W,H" of each window, one line,
for the floor program. With --own-icons every tile shows an icon of its own instead, as a
user's tiles do: 1,024 distinct icon files (32-bit with alpha, and one in four 24-bit with a
mask) in the folder's "icons" folder.

usage: make_folder.py [--own-icons] PROGRAM_FOLDER WINEPREFIX
"""
import os
import struct
import sys

RECORD = 821
BORDER_WIDTH = [0, 1, 1, 2]


def text_field(text, capacity):
    data = text.encode("latin-1")[:capacity]
    return bytes([len(data)]) + data + b"\0" * (capacity - len(data))


def tile_record(col, row, filename, description, start_in, icon_file, icon_index, lib_icon=0, drive=0):
    rec = (struct.pack("<ii", col, row) + text_field(filename, 255) + text_field(description, 40) +
           text_field(start_in, 255) + text_field(icon_file, 255) + struct.pack("<HBB", icon_index, lib_icon, drive))
    assert len(rec) == RECORD
    return rec


def bmp24(width, height):
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height):
        row = bytearray()
        for x in range(width):
            row += bytes(((x * 4) & 0xFF, (y * 4) & 0xFF, ((x ^ y) * 8) & 0xFF))
        rows.append(bytes(row) + b"\0" * (stride - width * 3))
    pixels = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + pixels


def ico32(n):
    """A 32 x 32 icon file unlike any other n: a gradient, a disc whose place and colour follow
    n, and either a soft alpha edge or (n % 4 == 3) 24-bit colour with a mask."""
    size = 32
    alpha = n % 4 != 3
    cx, cy = 8 + n % 17, 8 + (n // 17) % 17
    xor_rows, and_rows = [], []
    for y in range(size - 1, -1, -1):  # bottom row first
        row = bytearray()
        mask_bits = 0
        for x in range(size):
            d2 = (x - cx) ** 2 + (y - cy) ** 2
            inside = d2 <= 100
            b, g, r = (n * 37 + x * 5) & 0xFF, (n * 11 + y * 7) & 0xFF, (n * 3 + (x ^ y) * 4) & 0xFF
            if alpha:
                a = 255 if d2 <= 64 else (max(0, 255 - (d2 - 64) * 7) if d2 <= 100 else 0)
                row += bytes((b, g, r, a))
            else:
                row += bytes((b, g, r) if inside else (0, 0, 0))
            mask_bits = (mask_bits << 1) | (0 if inside else 1)
        row += b"\0" * ((-len(row)) % 4)
        xor_rows.append(bytes(row))
        and_rows.append(mask_bits.to_bytes(4, "big"))
    pixels = b"".join(xor_rows) + b"".join(and_rows)
    bits = 32 if alpha else 24
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bits, 0, len(pixels), 0, 0, 0, 0)
    image = header + pixels
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", size, size, 0, 0, 1, bits, len(image), 22) + image


def windows_path(unix_path):
    return "Z:" + os.path.abspath(unix_path).replace("/", "\\")


def main():
    args = sys.argv[1:]
    own_icons = "--own-icons" in args
    folder, prefix = [a for a in args if a != "--own-icons"]
    os.makedirs(os.path.join(folder, "settings"), exist_ok=True)
    if own_icons:
        os.makedirs(os.path.join(folder, "icons"), exist_ok=True)
    system32 = os.path.join(prefix, "drive_c", "windows", "system32")
    names = sorted(n for n in os.listdir(system32) if n.lower().endswith((".exe", ".dll")))
    targets = ["C:\\windows\\notepad.exe"] + ["C:\\windows\\system32\\" + n for n in names]
    if len(targets) < 64:
        sys.exit("too few files in " + system32)

    picture = os.path.join(folder, "back.bmp")
    with open(picture, "wb") as f:
        f.write(bmp24(64, 48))

    tswin = []
    geometry = []
    t = 0
    for n in range(1, 17):
        i = n - 1
        look = i % 3  # 0 colour, 1 picture, 2 transparent
        border_type = i % 4
        border_spacing = i % 3
        cell_spacing = i % 2
        tile_width = (32, 34, 36)[i % 3]
        tile_height = 32
        border = BORDER_WIDTH[border_type] + border_spacing
        width = 2 * border + 8 * tile_width + 7 * cell_spacing
        height = 2 * border + 8 * tile_height + 7 * cell_spacing
        left = (i % 4) * 318 + 4
        top = (i // 4) * 250 + 2
        geometry.append("%d,%d,%d,%d" % (left, top, width, height))
        tswin += ["[%d\\Booleans]" % n, "LetterShadow=%d" % (i % 2), "",
                  "[%d\\Integers]" % n, "Left=%d" % left, "Top=%d" % top, "Cols=8", "Rows=8",
                  "TileWidth=%d" % tile_width, "TileHeight=%d" % tile_height,
                  "CellSpacing=%d" % cell_spacing, "Color=%d" % (0x204060 + 0x0A0A0A * i),
                  "Border=%d" % border, "BorderSpacing=%d" % border_spacing,
                  "BorderType=%d" % border_type, "BackType=%d" % look,
                  "Opacity=%d" % (50 if i % 2 == 0 else 0), "Effect=%d" % (i % 5 if look == 2 else 0), "",
                  "[%d\\Strings]" % n, "BMPFilename=%s" % (windows_path(picture) if look == 1 else ""), ""]
        records = []
        for col in range(1, 9):
            for row in range(1, 9):
                target = targets[t % len(targets)]
                t += 1
                base = target.rsplit("\\", 1)[1]
                lib_icon = 1 + (t % 4) if t % 16 == 0 else 0
                drive = 3 if t % 29 == 0 else 0
                icon_file = target
                if own_icons:
                    icon = os.path.join(folder, "icons", "icon%04d.ico" % t)
                    with open(icon, "wb") as f:
                        f.write(ico32(t))
                    icon_file, lib_icon = windows_path(icon), 0
                records.append(tile_record(col, row, target, base.rsplit(".", 1)[0], "C:\\windows",
                                           icon_file, 1, lib_icon, drive))
        with open(os.path.join(folder, "settings", "tessara%d.dat" % n), "wb") as f:
            f.write(b"".join(records))

    with open(os.path.join(folder, "tswin.ini"), "w", newline="\r\n") as f:
        f.write("\n".join(tswin) + "\n")
    with open(os.path.join(folder, "tessara.ini"), "w", newline="\r\n") as f:
        f.write("[Booleans]\nSnapEdges=0\nStartup=0\n\n[Integers]\ntsCount=16\nLastX=240\nLastY=240\nSnapDistance=8\n")
    with open(os.path.join(folder, "floor-geometry.txt"), "w") as f:
        f.write(" ".join(geometry) + "\n")


if __name__ == "__main__":
    main()
