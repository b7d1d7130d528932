#!/usr/bin/env python3
"""Generates the skin's images (bitmaps, PNG strips, icons, cursor, animations) and the resource
script that lists them. One palette; buttons have a gentle gloss over a flat body, and every
frame keeps a known colour at a known point for the pixel tests:

- push-button and tab strips: the centre of each frame is the frame's state colour (normal,
  pressed, hover, disabled): BLUE, NAVY, SKY, GREY on the blue strips, LIGHT, LIGHT_PRESSED,
  LIGHT_HOVER, LIGHT_DISABLED on the light ones, TAB, BLUE, TAB_HOVER, TAB_DISABLED on tabs;
- caption buttons: the point (width / 2, 2) of each frame is BLUE, NAVY, SKY (CLOSE_RED for the
  hover frame of the close buttons);
- panels, strips and backgrounds: their centre is their colour (PALE, BLUE, ...);
- side-panel backgrounds: the centre of 1357 is LEFT_HOVER, of 1358 WHITE;
- the application window's header 1152: (386, 20) and the tab line (386, 77) are BLUE, the
  side borders (0, 60) and (771, 60) NAVY; its edges' and corners' outer pixels are NAVY, their
  inner ones WHITE; the logo 1147's (2, 2) is BLUE;
- status images: the point (8, 2) is ORANGE, GREEN, RED;
- the result bars' pieces 1026 and 1027: the badge's point (16, 32) is GREEN and RED;
- list check boxes: the centre is WHITE, GREEN, GREY.
Usage: make_skin.py OUTPUT_DIR"""
import os
import struct
import subprocess
import sys

import skin_glyphs as glyphs
from skin_raster import ERASE, Canvas, mix

# The palette: every image is made of these.
BLUE = "#2D6DB5"       # accent; normal state of the blue buttons
NAVY = "#1F4E85"       # pressed, borders
SKY = "#4A8AD4"        # hover
GREY = "#B4B4B4"       # disabled
WHITE = "#FFFFFF"
PALE = "#EAF1F9"       # panels
ATTENTION_TINT = "#FBEDED"  # a result bar that calls for attention
LINE = "#DEDEDE"       # separators
ORANGE = "#E07B1A"     # attention
GREEN = "#00822C"      # good
RED = "#A90101"        # bad
DARK = "#40464F"       # overlay
MAGENTA = "#FF00FF"    # image-list mask
SLATE = "#5A6B7F"      # icons at rest
LIGHT = "#F3F6FA"      # light buttons
LIGHT_HOVER = "#E4EEFA"
LIGHT_PRESSED = "#CFDFF2"
LIGHT_DISABLED = "#EDEFF2"
EDGE = "#C3CFDD"       # borders of light things
TAB = "#E6EDF5"
TAB_HOVER = "#F4F8FD"
TAB_DISABLED = "#E9EBEE"
LEFT_HOVER = "#DCE9F7"
CLOSE_RED = "#D9453B"

BLUE_STATES = [BLUE, NAVY, SKY, GREY]
BLUE_EDGES = [NAVY, "#173B64", NAVY, "#9A9A9A"]
LIGHT_STATES = [LIGHT, LIGHT_PRESSED, LIGHT_HOVER, LIGHT_DISABLED]
LIGHT_EDGES = [EDGE, SKY, SKY, "#D5D9DE"]


# ---- push buttons, tabs and caption buttons ----

def push_frame(width, height, fill, edge, pressed, disabled, ground=WHITE):
    c = Canvas(width, height, ground)
    c.round_rect(0, 0, width - 1, height - 1, 4, edge)
    c.round_rect(1, 1, width - 2, height - 2, 3, fill)
    if pressed:
        c.rect(3, 1, width - 3, 2, mix(fill, "#000000", 0.15))
    elif not disabled:
        gloss_end = int(height * 0.42)
        for y in range(2, gloss_end):
            inset = 3 if y < 4 else 2
            c.rect(inset, y, width - inset, y + 1,
                   mix(fill, WHITE, 0.22 * (1 - (y - 2) / max(1, gloss_end - 2))))
    return c


def push_strip(width, height, frames, states, edges):
    strip = Canvas(width * frames, height, WHITE)
    for i in range(frames):
        strip.paste(push_frame(width, height, states[i], edges[i], i == 1, i == 3), i * width, 0)
    return strip


def tab_strip(width, height):
    fills = [TAB, BLUE, TAB_HOVER, TAB_DISABLED]
    edges = [EDGE, NAVY, SKY, "#D5D9DE"]
    strip = Canvas(width * 4, height, WHITE)
    for i in range(4):
        c = Canvas(width, height, WHITE)
        c.round_rect(0, 0, width - 1, height + 6, 5, edges[i])
        c.round_rect(1, 1, width - 2, height + 6, 4, fills[i])
        if i == 1:
            for y in range(2, height // 2 - 2):
                c.rect(2, y, width - 2, y + 1, mix(BLUE, WHITE, 0.2 * (1 - y / (height / 2))))
        if i == 2:
            c.rect(4, 1, width - 4, 3, SKY)
        strip.paste(c, i * width, 0)
    return strip


def caption_strip(width, height, sign, close=False):
    states = [BLUE, NAVY, CLOSE_RED if close else SKY]
    strip = Canvas(width * 3, height, BLUE)
    for i, fill in enumerate(states):
        c = Canvas(width, height, BLUE)
        if i:
            c.round_rect(0, 0, width - 1, height - 1, 3, fill)
        size = min(width, height)
        sign(glyphs.Pen(c, (width - size) / 2, (height - size) / 2, size, WHITE))
        strip.paste(c, i * width, 0)
    return strip


# ---- panels, strips and backgrounds ----

def flat(width, height, colour):
    return Canvas(width, height, colour)


def fading(width, height, start, end):
    """A band whose colour runs from `start` at its left edge to `end` at its right."""
    c = Canvas(width, height, start)
    for x in range(width):
        c.rect(x, 0, x + 1, height, mix(start, end, x / max(width - 1, 1)))
    return c


def caption_bar(width, height, colour):
    """A bar that lightens towards its top edge; from the middle down its own colour."""
    c = Canvas(width, height, colour)
    for y in range(height // 2):
        c.rect(0, y, width, y + 1, mix(colour, WHITE, 0.12 * (1 - y / (height / 2))))
    return c


def left_panel(width, height, edge_x):
    """The side buttons' ground; the application window's pages begin right of `edge_x`."""
    c = Canvas(width, height, PALE)
    c.rect(edge_x, 0, edge_x + 1, height, "#D5E0EC")
    return c


def title_cap(width, height, colour, side):
    c = Canvas(width, height, WHITE)
    if side == "left":
        c.round_rect(0, 0, width + 8, height - 1, 6, colour)
    else:
        c.round_rect(-8, 0, width - 1, height - 1, 6, colour)
    return c


def framed(width, height, count, colours):
    """Plain frames with a one-pixel border: images whose use is their callers'."""
    strip = Canvas(width * count, height, WHITE)
    for i in range(count):
        colour = colours[i % len(colours)]
        c = Canvas(width, height, colour)
        if width > 2 and height > 2:
            for x in range(width):
                c.set(x, 0, NAVY)
                c.set(x, height - 1, NAVY)
            for y in range(height):
                c.set(0, y, NAVY)
                c.set(width - 1, y, NAVY)
        strip.paste(c, i * width, 0)
    return strip


def check_boxes():
    strip = Canvas(45, 15, MAGENTA)
    for i, (fill, edge) in enumerate([(WHITE, "#8A9BB0"), (GREEN, "#006322"),
                                      (WHITE, "#8A9BB0")]):
        c = Canvas(15, 15, MAGENTA)
        c.round_rect(0, 0, 14, 14, 3, edge)
        c.round_rect(1, 1, 13, 13, 2, fill)
        if i == 1:
            c.line([(3.5, 7.8), (6.3, 10.6), (11.5, 4.2)], 1.9, WHITE)
            c.set(7, 7, GREEN)
        if i == 2:
            c.rect(4, 4, 11, 11, GREY)
        strip.paste(c, i * 15, 0)
    return strip


def bar_piece(colour, draw, ink):
    """The piece at the head of a result bar: the bar's colour with the result's badge."""
    c = Canvas(40, 50, colour)
    draw(glyphs.Pen(c, 8, 13, 24, ink), colour)
    return c


# ---- the application window: header, frame edges and corners, tabs, logo ----

HEADER_BAND = 48   # the blue band with the logo and the caption buttons
TAB_LINE = 77      # the line the tabs stand on


def main_header(width, height):
    """The band (BLUE, its top rows lighter), the light area of the tabs, the line under the
    tabs and the side borders."""
    c = Canvas(width, height, WHITE)
    c.rect(0, 0, width, HEADER_BAND, BLUE)
    for y in range(3):
        c.rect(0, y, width, y + 1, mix(BLUE, WHITE, 0.18 * (3 - y) / 3))
    c.rect(0, HEADER_BAND - 1, width, HEADER_BAND, NAVY)
    for y in range(HEADER_BAND, TAB_LINE):
        c.rect(0, y, width, y + 1, mix(PALE, WHITE, (y - HEADER_BAND) / (TAB_LINE - HEADER_BAND)))
    c.rect(4, TAB_LINE, width - 4, TAB_LINE + 2, BLUE)
    c.rect(0, HEADER_BAND, 1, height, NAVY)
    c.rect(width - 1, HEADER_BAND, width, height, NAVY)
    return c


def frame_side(width, border_x):
    """One row of a side edge: WHITE with the NAVY border at `border_x`."""
    c = Canvas(width, 1, WHITE)
    c.set(border_x, 0, NAVY)
    return c


def frame_bottom(height):
    c = Canvas(1, height, WHITE)
    c.set(0, height - 1, NAVY)
    return c


def frame_corner(size, side, radius=9):
    """A bottom corner: the NAVY border on the arc the window's rounded region cuts."""
    c = Canvas(size, size, WHITE)
    x0 = 0 if side == "left" else -size
    c.round_rect(x0, -size, x0 + 2 * size - 1, size - 1, radius, NAVY)
    c.round_rect(x0 + 1, -size, x0 + 2 * size - 2, size - 2, radius - 1, WHITE)
    return c


# A stroke alphabet for the logo's name: each letter a width and its polylines in a box one
# unit high.
LETTERS = {
    "S": (0.78, [[(0.86, 0.16), (0.72, 0.04), (0.48, 0.0), (0.24, 0.05), (0.1, 0.18),
                  (0.12, 0.34), (0.3, 0.45), (0.5, 0.5), (0.7, 0.56), (0.88, 0.68),
                  (0.88, 0.84), (0.74, 0.96), (0.5, 1.0), (0.26, 0.96), (0.1, 0.84)]]),
    "T": (0.8, [[(0.0, 0.0), (1.0, 0.0)], [(0.5, 0.0), (0.5, 1.0)]]),
    "E": (0.7, [[(0.92, 0.0), (0.0, 0.0), (0.0, 1.0), (0.92, 1.0)], [(0.0, 0.5), (0.78, 0.5)]]),
    "L": (0.62, [[(0.0, 0.0), (0.0, 1.0), (0.62, 1.0)]]),
    "M": (0.96, [[(0.0, 1.0), (0.0, 0.0), (0.5, 0.66), (1.0, 0.0), (1.0, 1.0)]]),
    "A": (0.9, [[(0.0, 1.0), (0.5, 0.0), (1.0, 1.0)], [(0.2, 0.64), (0.8, 0.64)]]),
    "R": (0.78, [[(0.0, 1.0), (0.0, 0.0), (0.6, 0.0), (0.84, 0.07), (0.94, 0.25), (0.84, 0.43),
                  (0.6, 0.5), (0.0, 0.5)], [(0.52, 0.5), (0.98, 1.0)]]),
    "K": (0.8, [[(0.0, 0.0), (0.0, 1.0)], [(0.94, 0.0), (0.0, 0.62)], [(0.3, 0.42), (0.98, 1.0)]]),
}


def stroke_text(c, text, x, y, height, stroke, colour):
    for letter in text:
        width, strokes = LETTERS[letter]
        for points in strokes:
            c.line([(x + px * height, y + py * height) for px, py in points], stroke, colour)
        x += (width + 0.34) * height


def product_logo():
    """The product's tile and name on the header's band; (2, 2) is BLUE."""
    c = Canvas(250, HEADER_BAND - 1, BLUE)
    c.round_rect(2, 8, 33, 39, 6, WHITE)
    glyphs.defrag(glyphs.Pen(c, 5.5, 11.5, 24, BLUE), WHITE)
    stroke_text(c, "STELLMARK", 46, 16, 15, 2.6, WHITE)
    return c


# ---- PNG images ----

def icon_grid(tools, rows):
    """24 x 24 cells: one column per tool; row 0 at rest, row 1 selected, row 2 disabled."""
    colours = [SLATE, BLUE, GREY]
    c = Canvas(24 * len(tools), 24 * rows)
    for row in range(rows):
        for col, draw in enumerate(tools):
            cell = Canvas(24, 24)
            draw(glyphs.Pen(cell, 1, 1, 22, colours[row]), ERASE)
            c.paste(cell, col * 24, row * 24)
    return c


def status_image(draw, colour):
    c = Canvas(16, 16)
    draw(glyphs.Pen(c, 0, 0, 16, colour), WHITE)
    return c


def rounded_background(width, height, fill, edge, accent=None):
    c = Canvas(width, height)
    c.round_rect(0, 0, width - 1, height - 1, 4, edge)
    c.round_rect(1, 1, width - 2, height - 2, 3, fill)
    if accent:
        c.round_rect(1, 3, 3, height - 4, 1, accent)
    return c


def button_glyph(draw):
    """The glyph drawn over the large start button: white, at its left."""
    c = Canvas(222, 52)
    draw(glyphs.Pen(c, 16, 10, 32, WHITE), ERASE)
    return c


def make_cursor(path):
    """A pointing hand, hot spot at the finger's tip."""
    c = Canvas(32, 32)
    for colour, grow in (("#000000", 1.2), (WHITE, 0)):
        finger = [(9.5, 1.5), (9.5, 14)]
        c.line(finger, 3.6 + 2 * grow, colour)
        for x, top in ((13.2, 10.5), (16.8, 11.5), (20.4, 13)):
            c.line([(x, top), (x, 18)], 3.4 + 2 * grow, colour)
        c.round_rect(7.7 - grow, 13 - grow, 22.2 + grow, 27 + grow, 4, colour)
        c.line([(8, 18), (4.5, 14.5)], 3.4 + 2 * grow, colour)
    c.write_cursor(path, 9, 1)


def make_icon(path, colour, draw):
    big = Canvas(32, 32)
    big.round_rect(0.5, 0.5, 31.5, 31.5, 6, colour)
    draw(glyphs.Pen(big, 5, 5, 22, WHITE), colour)
    small = Canvas(16, 16)
    small.round_rect(0, 0, 15.5, 15.5, 3.5, colour)
    draw(glyphs.Pen(small, 2, 2, 12, WHITE), colour)
    base = path[:-4]
    big.write_png(base + "_32.png")
    small.write_png(base + "_16.png")
    subprocess.run(["convert", base + "_32.png", base + "_16.png", path], check=True)


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
            # Column 0 stays white: a transparent animation takes its first pixel as the
            # colour to leave out.
            for x in range(max(1, f * bar), min(width, (f + 1) * bar + bar)):
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


# Bitmaps: id -> function making the image.
def message_icon(colour, draw):
    """A message box's icon: the glyph on a rounded tile, on white (the box's ground; a
    bitmap keeps no transparency). The tile keeps to the top left of its 32 pixels, so that
    the message beside it does not touch it."""
    c = Canvas(32, 32, WHITE)
    c.round_rect(0.5, 0.5, 27.5, 27.5, 5, colour)
    draw(glyphs.Pen(c, 4.5, 4.5, 19, WHITE), colour)
    return c


def tile_icon(size, colour, draw, ground=WHITE):
    """A glyph on a rounded tile of `colour`."""
    c = Canvas(size, size, ground)
    c.round_rect(0.5, 0.5, size - 0.5, size - 0.5, size / 5, colour)
    inset = size * 5 / 32
    draw(glyphs.Pen(c, inset, inset, size - 2 * inset, WHITE), colour)
    return c


def about_picture():
    """The About box's left column: the product's tile on a pale ground."""
    c = Canvas(118, 324, PALE)
    c.rect(117, 0, 118, 324, "#D5E0EC")
    c.paste(tile_icon(72, BLUE, glyphs.defrag, PALE), 23, 24)
    return c


def title_accent():
    """The title mark: a rounded blue line fading out to the right."""
    c = Canvas(48, 4, WHITE)
    c.round_rect(0, 0, 47, 3, 1.5, BLUE)
    for x in range(30, 48):
        c.rect(x, 0, x + 1, 4, mix(BLUE, WHITE, (x - 29) / 19))
    return c


def drive_mark():
    """The drive heading's mark: a disk drawn dark on white, for a page that ANDs it onto its
    white ground."""
    c = Canvas(14, 18, WHITE)
    glyphs.drive(glyphs.Pen(c, 0, 2, 14, BLUE), WHITE)
    return c


def bottom_mark():
    """A small product tile on the bottom bar's ground."""
    c = Canvas(24, 40, PALE)
    c.paste(tile_icon(20, BLUE, glyphs.defrag, PALE), 2, 10)
    return c


def tool_icons(tools):
    """24 x 24 list icons, one per tool, on white (the image list's mask colour)."""
    c = Canvas(24 * len(tools), 24, WHITE)
    for i, draw in enumerate(tools):
        c.paste(tile_icon(22, BLUE if i % 2 == 0 else SKY, draw), i * 24 + 1, 1)
    return c


def blue_strip(width=120, height=28):
    return lambda: push_strip(width, height, 4, BLUE_STATES, BLUE_EDGES)


def light_strip(width=120, height=28):
    return lambda: push_strip(width, height, 4, LIGHT_STATES, LIGHT_EDGES)


def legacy(width, height, count, colours):
    return lambda: framed(width, height, count, colours)


BITMAPS = {
    # text-button strips, four frames (load them with the disabled state enabled): blue ones
    # carry light text, light ones dark text
    1051: blue_strip(79, 23), 1074: blue_strip(), 1021: blue_strip(), 1100: blue_strip(222, 52),
    1065: light_strip(79, 23), 1076: light_strip(), 1059: light_strip(),
    # images whose look their callers decide
    1056: legacy(120, 28, 4, BLUE_STATES), 1077: drive_mark,
    1088: legacy(120, 28, 4, BLUE_STATES),
    # caption buttons, three frames (normal, pressed, hover) on the blue caption bar
    1038: lambda: caption_strip(23, 23, glyphs.sign_close, close=True),
    1042: lambda: caption_strip(23, 23, glyphs.sign_minimise),
    1063: lambda: caption_strip(19, 19, glyphs.sign_maximise),
    1062: lambda: caption_strip(19, 19, glyphs.sign_restore),
    1061: lambda: caption_strip(23, 23, glyphs.sign_menu),
    1057: lambda: caption_strip(23, 23, glyphs.sign_help),
    1064: lambda: caption_strip(23, 23, glyphs.sign_close, close=True),
    # tab buttons, four frames (the pressed one is the current tab, with white text)
    1070: lambda: tab_strip(110, 30),
    # the application window's tabs: the first one, the middle ones, the last one
    1464: lambda: tab_strip(101, 22), 1463: lambda: tab_strip(84, 22),
    1462: lambda: tab_strip(84, 22),
    # the application window's header, frame edges and corners, and the product's logo
    1152: lambda: main_header(772, 94), 1095: lambda: frame_side(4, 0),
    1125: lambda: frame_side(4, 3), 1049: lambda: frame_bottom(4),
    1048: lambda: frame_corner(10, "left"), 1050: lambda: frame_corner(10, "right"),
    1147: product_logo,
    # window border: corners and one-pixel edges
    1109: lambda: flat(8, 30, NAVY), 1110: lambda: flat(1, 30, NAVY),
    1111: lambda: flat(8, 30, NAVY), 1107: lambda: flat(2, 1, NAVY),
    1108: lambda: flat(2, 1, NAVY), 1104: lambda: flat(8, 8, NAVY),
    1105: lambda: flat(1, 8, NAVY), 1106: lambda: flat(8, 8, NAVY),
    # caption strips of pop-ups and message boxes, bottom bars
    1102: lambda: caption_bar(1, 4, BLUE), 1112: lambda: caption_bar(1, 4, RED),
    1117: lambda: caption_bar(1, 4, ORANGE), 1118: lambda: caption_bar(1, 4, GREEN),
    1103: lambda: flat(1, 45, PALE), 1019: lambda: flat(1, 40, PALE),
    1461: lambda: flat(1, 52, PALE),
    # page title frames: left cap, middle, right cap, piece (normal and highlighted)
    # result bars: pale, or tinted when the result calls for attention; coloured text sits on them
    1023: lambda: title_cap(10, 50, PALE, "left"), 1024: lambda: flat(1, 50, PALE),
    1025: lambda: title_cap(10, 50, PALE, "right"), 1026: lambda: bar_piece(PALE, glyphs.good, GREEN),
    1027: lambda: bar_piece(ATTENTION_TINT, glyphs.attention, RED), 1028: lambda: title_cap(10, 50, ATTENTION_TINT, "left"),
    1029: lambda: flat(1, 50, ATTENTION_TINT), 1030: lambda: title_cap(10, 50, ATTENTION_TINT, "right"),
    # panel and table fills, separators, headers, backgrounds
    # the junk cleaner's lists: pale at the left, fading towards white behind the sizes
    1128: lambda: fading(545, 1, PALE, "#F9FBFE"), 1089: lambda: flat(545, 1, WHITE),
    1090: lambda: flat(516, 2, LINE), 1091: lambda: flat(4, 2, LINE),
    1098: lambda: flat(4, 2, LINE), 1094: lambda: caption_bar(600, 80, BLUE),
    1096: lambda: left_panel(180, 600, 169), 1170: lambda: flat(16, 16, DARK),
    # the pages' title mark: a short accent line under the page title (and between a page's
    # description and what follows it), so that it reads as part of the heading, not as a
    # stray picture; the result bars start 16 pixels below its top
    1075: title_accent,
    # list check boxes: unchecked, checked, partly checked (15 x 15 each, magenta mask)
    1092: check_boxes,
    # message-box icons (the icons of the same ids as 32 x 32 bitmaps)
    1113: lambda: message_icon(ORANGE, glyphs.attention),
    1114: lambda: message_icon(RED, glyphs.problem),
    1115: lambda: message_icon(BLUE, glyphs.info),
    1116: lambda: message_icon(BLUE, glyphs.question),
    # the information dialogs: About's picture, the shut-down alert, its separator and the
    # mark on its bottom bar, the feedback picture, the tools' list icons and the after-install
    # wizard's task icon
    1018: about_picture, 1036: lambda: tile_icon(48, ORANGE, glyphs.attention),
    1037: lambda: flat(1, 2, LINE), 1043: bottom_mark,
    1087: lambda: tile_icon(48, BLUE, glyphs.feedback),
    1039: lambda: tool_icons(glyphs.TOOLS + glyphs.DISK_TOOLS),
    1142: lambda: tile_icon(20, SKY, glyphs.settings),
    # the feedback form's publish consent: given (1041) and not given (1046)
    1041: lambda: tile_icon(18, BLUE, glyphs.feedback),
    1046: lambda: tile_icon(18, "#B8C2CE", glyphs.feedback),
}

def glyph_picture(width, height, radius, glyph, ground, ink):
    """A glyph centred on a rounded tile."""
    c = Canvas(width, height, WHITE)
    c.round_rect(0, 0, width - 1, height - 1, radius, ground)
    size = min(width, height) * 3 // 5
    glyph(glyphs.Pen(c, (width - size) // 2, (height - size) // 2, size, ink), ground)
    return c


# The junk cleaner's pictures: the summary page's picture, the removal tab's heading image and
# the settings host's tab buttons.
BITMAPS.update({
    5031: lambda: glyph_picture(106, 110, 12, glyphs.cleaner, PALE, BLUE),
    5024: lambda: glyph_picture(24, 24, 4, glyphs.cleaner, BLUE, WHITE),
    8098: lambda: tab_strip(78, 29),
})

# PNG images: id -> function making the image.
PNGS = {
    # status images of the launcher's program rows
    1348: lambda: status_image(glyphs.attention, ORANGE),
    1352: lambda: status_image(glyphs.good, GREEN),
    1374: lambda: status_image(glyphs.problem, RED),
    # launcher backgrounds: large buttons and program rows, side buttons
    1353: lambda: rounded_background(560, 86, "#EEF4FB", "#C9DCF1"),
    1354: lambda: rounded_background(560, 86, "#E1ECF8", SKY),
    1355: lambda: rounded_background(166, 31, LEFT_HOVER, "#C9DCF1"),
    1356: lambda: rounded_background(166, 31, WHITE, "#C9D8EA", BLUE),
    # the left panel's page buttons: hover and selected backgrounds, the tools' icons
    1357: lambda: rounded_background(165, 26, LEFT_HOVER, "#C9DCF1"),
    1358: lambda: rounded_background(165, 26, WHITE, "#C9D8EA", BLUE),
    1364: lambda: icon_grid(glyphs.TOOLS, 3),
    1350: lambda: icon_grid(glyphs.DISK_TOOL_PAGES, 2),
    1373: lambda: icon_grid(glyphs.OPTION_PAGES, 2),
    # glyphs over the large start button (1100)
    1384: lambda: button_glyph(glyphs.folder),
    1386: lambda: button_glyph(glyphs.defrag),
}

# Icons: id -> (colour, glyph) (16 x 16 and 32 x 32 images)
ICONS = {
    148: (BLUE, glyphs.defrag), 1147: (BLUE, glyphs.defrag), 1155: (BLUE, glyphs.defrag),
    1287: (BLUE, glyphs.defrag), 1113: (ORANGE, glyphs.attention), 1114: (RED, glyphs.problem),
    1115: (BLUE, glyphs.info), 1116: (BLUE, glyphs.question), 1288: (GREEN, glyphs.good),
    1289: (ORANGE, glyphs.attention), 1292: (GREY, glyphs.info),
    1294: (ORANGE, glyphs.attention), 1297: (SKY, glyphs.play),
    1304: (BLUE, glyphs.online_help), 1308: (NAVY, glyphs.globe), 1312: (GREEN, glyphs.check),
    1313: (ORANGE, glyphs.report), 1315: (BLUE, glyphs.drive),
    1316: (SKY, glyphs.update), 1317: (GREY, glyphs.settings), 5087: (BLUE, glyphs.defrag),
    # the result screens' rows: good (1314), calls for attention (1300), a plain count (1290)
    1314: (GREEN, glyphs.good), 1300: (RED, glyphs.attention), 1290: (BLUE, glyphs.info),
}

# Animations: id -> (width, height, frames)
ANIMATIONS = {1408: (134, 13, 8), 5021: (134, 13, 8), 1398: (134, 13, 8)}

# The duplicate finder: the locations page's arrow button (four frames: normal, pressed,
# hover, disabled, a right arrow on each), the finish page's summary header, the settings
# host's tab buttons and the scan and cleaning animations.
def arrow_strip(width, height):
    strip = push_strip(width, height, 4, BLUE_STATES, BLUE_EDGES)
    for i in range(4):
        pen = glyphs.Pen(strip, i * width + (width - 16) / 2, (height - 16) / 2, 16, WHITE)
        pen.line([(5, 12), (18, 12)], 3)
        pen.line([(12, 6), (18, 12), (12, 18)], 3)
    return strip


def summary_picture(size):
    """The duplicates glyph on white (drawn with SRCAND beside the summary's rows)."""
    c = Canvas(size, size, WHITE)
    glyphs.duplicates(glyphs.Pen(c, size * 0.1, size * 0.1, size * 0.8, BLUE), WHITE)
    return c


BITMAPS.update({
    7063: lambda: arrow_strip(27, 24),
    7070: lambda: summary_picture(96),
    6053: lambda: tab_strip(78, 29),
})
ANIMATIONS.update({1399: (134, 13, 8), 1401: (134, 13, 8)})

HAND_CURSOR = 1228


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    rc = ["// Generated by make_skin.py: the skin's images."]
    for rid, make in sorted(BITMAPS.items()):
        name = f"bitmap_{rid}.bmp"
        make().write_bmp(os.path.join(out, name))
        rc.append(f'{rid} BITMAP "{name}"')
    for rid, make in sorted(PNGS.items()):
        name = f"png_{rid}.png"
        make().write_png(os.path.join(out, name))
        rc.append(f'{rid} PNG "{name}"')
    for rid, (colour, draw) in sorted(ICONS.items()):
        name = f"icon_{rid}.ico"
        make_icon(os.path.join(out, name), colour, draw)
        rc.append(f'{rid} ICON "{name}"')
    make_cursor(os.path.join(out, "cursor_hand.cur"))
    rc.append(f'{HAND_CURSOR} CURSOR "cursor_hand.cur"')
    for rid, (w, h, n) in sorted(ANIMATIONS.items()):
        name = f"anim_{rid}.avi"
        make_avi(os.path.join(out, name), w, h, n)
        rc.append(f'{rid} AVI "{name}"')
    with open(os.path.join(out, "skin_images.rc"), "w") as f:
        f.write("\n".join(rc) + "\n")


if __name__ == "__main__":
    main()
