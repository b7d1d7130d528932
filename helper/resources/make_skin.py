#!/usr/bin/env python3
"""Generates the skin's images (bitmaps, PNG strips, icons, animations) and the resource
script that lists them. Plain solid colours of one palette, so that screenshots can be
checked by colour. Usage: make_skin.py OUTPUT_DIR"""
import os
import struct
import subprocess
import sys

# The palette: every image is made of these.
BLUE = "#2D6DB5"       # normal
NAVY = "#1F4E85"       # pressed, borders
SKY = "#4A8AD4"        # hover
GREY = "#B4B4B4"       # disabled
WHITE = "#FFFFFF"
PALE = "#EAF1F9"       # panels
LINE = "#DEDEDE"       # separators
ORANGE = "#E07B1A"     # attention
GREEN = "#00822C"      # good
RED = "#A90101"        # bad
DARK = "#40464F"       # overlay
MAGENTA = "#FF00FF"    # image-list mask

STATES = [BLUE, NAVY, SKY, GREY]

# id: (width, height, frames, colours) -- frames side by side: normal, pressed, hover, disabled.
BITMAPS = {
    # push-button strips (text buttons, message-box buttons, the light and the dark look)
    1051: (120, 28, 4, STATES), 1065: (120, 28, 4, STATES), 1074: (120, 28, 4, [PALE, LINE, WHITE, GREY]),
    1076: (120, 28, 4, STATES), 1056: (120, 28, 4, STATES), 1100: (140, 28, 4, STATES),
    1461: (1, 52, 1, [PALE]), 1077: (120, 28, 4, STATES), 1087: (120, 28, 4, STATES),
    1088: (120, 28, 4, STATES), 1018: (120, 28, 4, STATES), 1036: (120, 28, 4, STATES),
    1037: (120, 28, 4, STATES), 1039: (120, 28, 4, STATES), 1043: (120, 28, 4, STATES),
    # caption buttons (close, minimise, header, maximise, restore)
    1038: (23, 23, 3, STATES), 1057: (23, 23, 3, STATES), 1061: (23, 23, 3, STATES),
    1062: (25, 18, 3, STATES), 1063: (25, 18, 3, STATES), 1064: (23, 23, 3, STATES),
    # tab buttons (four frames)
    1070: (110, 30, 4, STATES), 1462: (110, 30, 4, STATES), 1463: (110, 30, 4, STATES),
    1464: (110, 30, 4, STATES),
    # window border: corners and one-pixel edges
    1109: (8, 30, 1, [NAVY]), 1110: (1, 30, 1, [NAVY]), 1111: (8, 30, 1, [NAVY]),
    1107: (2, 1, 1, [NAVY]), 1108: (2, 1, 1, [NAVY]), 1104: (8, 8, 1, [NAVY]),
    1105: (1, 8, 1, [NAVY]), 1106: (8, 8, 1, [NAVY]),
    # caption strips of pop-ups and message boxes, bottom bars
    1102: (1, 30, 1, [BLUE]), 1112: (1, 30, 1, [RED]), 1117: (1, 30, 1, [ORANGE]),
    1118: (1, 30, 1, [GREEN]), 1103: (1, 45, 1, [PALE]), 1019: (1, 40, 1, [PALE]),
    # page title frames: left cap, middle, right cap, piece (normal and highlighted)
    1023: (10, 50, 1, [BLUE]), 1024: (1, 50, 1, [BLUE]), 1025: (10, 50, 1, [BLUE]),
    1026: (1, 50, 1, [BLUE]), 1027: (1, 50, 1, [SKY]), 1028: (10, 50, 1, [SKY]),
    1029: (1, 50, 1, [SKY]), 1030: (10, 50, 1, [SKY]),
    # panel and table fills, separators, headers, backgrounds
    1128: (545, 1, 1, [PALE]), 1089: (545, 1, 1, [WHITE]), 1090: (516, 2, 1, [LINE]),
    1091: (4, 2, 1, [LINE]), 1098: (4, 2, 1, [LINE]), 1094: (600, 80, 1, [BLUE]),
    1096: (180, 600, 1, [PALE]), 1075: (32, 32, 1, [ORANGE]), 1170: (16, 16, 1, [DARK]),
    1142: (240, 60, 1, [BLUE]),
}

# The list check boxes (15 x 15 each, magenta mask round a 13 x 13 box): unchecked, checked
# (a white tick on green), partly checked; made by make_check_strip.
CHECK_STRIP = 1092
CHECK_BORDER = "#7A8CA5"


# PNG images: id -> (width, height, columns, rows, colours)
PNGS = {
    1348: (16, 16, 1, 1, [ORANGE]), 1352: (16, 16, 1, 1, [GREEN]), 1374: (16, 16, 1, 1, [RED]),
    1353: (200, 60, 1, 1, [SKY]), 1354: (200, 60, 1, 1, [BLUE]), 1355: (166, 31, 1, 1, [SKY]),
    1356: (166, 31, 1, 1, [BLUE]), 1357: (140, 40, 1, 1, [SKY]), 1358: (140, 40, 1, 1, [BLUE]),
    1350: (24, 24, 8, 1, STATES * 2), 1364: (24, 24, 8, 3, STATES * 6),
    1384: (32, 32, 1, 1, [BLUE]), 1386: (32, 32, 1, 1, [GREEN]),
}

# Icons: id -> colour (16 x 16 and 32 x 32 images)
ICONS = {
    148: BLUE, 1147: BLUE, 1155: BLUE, 1287: BLUE, 1113: RED, 1114: ORANGE, 1115: BLUE,
    1116: SKY, 1288: GREEN, 1289: ORANGE, 1290: RED, 1292: GREY, 1294: ORANGE, 1297: SKY,
    1300: GREEN, 1304: BLUE, 1308: NAVY, 1312: GREEN, 1313: ORANGE, 1314: RED, 1315: BLUE,
    1316: SKY, 1317: GREY, 5087: BLUE,
}

# Animations: id -> (width, height, frames)
ANIMATIONS = {1408: (134, 13, 8), 5021: (134, 13, 8)}


def convert(*args):
    subprocess.run(["convert", *args], check=True)


def frames_args(width, height, count, colours):
    """One solid frame per colour with a one-pixel border, side by side."""
    args = []
    for i in range(count):
        colour = colours[i % len(colours)]
        if width > 2 and height > 2:
            args += ["(", "-size", f"{width}x{height}", f"xc:{colour}", "-bordercolor", NAVY,
                     "-shave", "1x1", "-border", "1x1", ")"]
        else:
            args += ["(", "-size", f"{width}x{height}", f"xc:{colour}", ")"]
    return args + ["+append"]


def make_bitmap(path, width, height, count, colours):
    convert(*frames_args(width, height, count, colours), "-type", "TrueColor", f"BMP3:{path}")


def make_check_strip(path):
    box = ["-size", "15x15", f"xc:{MAGENTA}", "+antialias", "-strokewidth", "1"]
    unchecked = ["(", *box, "-fill", WHITE, "-stroke", CHECK_BORDER, "-draw", "rectangle 1,1 13,13", ")"]
    checked = ["(", *box, "-fill", GREEN, "-stroke", GREEN, "-draw", "rectangle 1,1 13,13",
               "-fill", "none", "-stroke", WHITE, "-strokewidth", "2",
               "-draw", "polyline 4,7 6,10 10,4", ")"]
    partly = ["(", *box, "-fill", WHITE, "-stroke", CHECK_BORDER, "-draw", "rectangle 1,1 13,13",
              "-fill", GREY, "-stroke", GREY, "-draw", "rectangle 4,4 10,10", ")"]
    convert(*unchecked, *checked, *partly, "+append", "-type", "TrueColor", f"BMP3:{path}")


def make_png(path, width, height, columns, rows, colours):
    lines = []
    for r in range(rows):
        lines += ["("] + frames_args(width, height, columns, colours[r * columns:]) + [")"]
    convert(*lines, "-append", f"PNG32:{path}")


def make_icon(path, colour):
    convert("(", "-size", "32x32", f"xc:{colour}", "-bordercolor", NAVY, "-shave", "2x2",
            "-border", "2x2", ")", "(", "-clone", "0", "-resize", "16x16", ")", path)


def make_avi(path, width, height, frames):
    """An uncompressed 8-bit AVI: a bar that moves one step per frame (palette: the skin's)."""
    stride = (width + 3) & ~3
    palette = [(0xFF, 0xFF, 0xFF), (0xB5, 0x6D, 0x2D)] + [(0, 0, 0)] * 254  # BGR
    frame_data = []
    for f in range(frames):
        bar = width // frames
        rows = bytearray()
        for _ in range(height):
            row = bytearray(stride)
            for x in range(f * bar, min(width, (f + 1) * bar + bar)):
                row[x] = 1
            rows += row
        frame_data.append(bytes(rows))
    size = stride * height

    def chunk(fourcc, data):
        pad = b"\0" if len(data) % 2 else b""
        return fourcc + struct.pack("<I", len(data)) + data + pad

    def lst(kind, data):
        return b"LIST" + struct.pack("<I", len(data) + 4) + kind + data

    usec = 125000
    avih = struct.pack("<IIIIIIIIIIIIII", usec, size * 8, 0, 0x10, frames, 0, 1, size, width,
                       height, 0, 0, 0, 0)
    strh = struct.pack("<4s4sIHHIIIIIIIIhhhh", b"vids", b"DIB ", 0, 0, 0, 0, 1, 8, 0, frames,
                       size, 0xFFFFFFFF, size, 0, 0, width, height)
    bih = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, size, 0, 0, 256, 0)
    pal = b"".join(struct.pack("BBBB", b, g, r, 0) for (b, g, r) in palette)
    strl = lst(b"strl", chunk(b"strh", strh) + chunk(b"strf", bih + pal))
    hdrl = lst(b"hdrl", chunk(b"avih", avih) + strl)
    movi_body = b"".join(chunk(b"00db", d) for d in frame_data)
    movi = lst(b"movi", movi_body)
    index = b""
    offset = 4
    for d in frame_data:
        index += struct.pack("<4sIII", b"00db", 0x10, offset, len(d))
        offset += 8 + len(d) + (len(d) % 2)
    idx1 = chunk(b"idx1", index)
    body = b"AVI " + hdrl + movi + idx1
    with open(path, "wb") as out:
        out.write(b"RIFF" + struct.pack("<I", len(body)) + body)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    rc = ["// Generated by make_skin.py: the skin's images."]
    for rid, (w, h, n, colours) in sorted(BITMAPS.items()):
        name = f"bitmap_{rid}.bmp"
        make_bitmap(os.path.join(out, name), w, h, n, colours)
        rc.append(f'{rid} BITMAP "{name}"')
    make_check_strip(os.path.join(out, f"bitmap_{CHECK_STRIP}.bmp"))
    rc.append(f'{CHECK_STRIP} BITMAP "bitmap_{CHECK_STRIP}.bmp"')
    for rid, (w, h, cols, rows, colours) in sorted(PNGS.items()):
        name = f"png_{rid}.png"
        make_png(os.path.join(out, name), w, h, cols, rows, colours)
        rc.append(f'{rid} PNG "{name}"')
    for rid, colour in sorted(ICONS.items()):
        name = f"icon_{rid}.ico"
        make_icon(os.path.join(out, name), colour)
        rc.append(f'{rid} ICON "{name}"')
    for rid, (w, h, n) in sorted(ANIMATIONS.items()):
        name = f"anim_{rid}.avi"
        make_avi(os.path.join(out, name), w, h, n)
        rc.append(f'{rid} AVI "{name}"')
    with open(os.path.join(out, "skin_images.rc"), "w") as f:
        f.write("\n".join(rc) + "\n")


if __name__ == "__main__":
    main()
