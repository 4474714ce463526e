#!/usr/bin/env python3
"""Draws the setup panel's images into extsetup/skin/ (or the folder given as argument).

    python3 tools/skinimages/make_skin_images.py [OUTPUT_FOLDER]

Flat colours, a few shapes and a small block font; only the standard library (zlib, struct).
The output is the same on every run, so the committed images change only when this file does.

Switch images hold their two states one above the other: off on top, on below; each state is
as high as the control that shows it.

The view backgrounds and the switch frames are written with uncompressed image data (deflate
level 0): they are large and flat, and the skin package compresses them as a whole, which
takes them far below what the image format alone would reach. Every other image is
compressed here at the highest level, so the package stores it as it is.
"""

import os
import struct
import sys
import zlib

# ---------------------------------------------------------------- colours (R, G, B, A)

CLEAR = (0, 0, 0, 0)
PANEL = (38, 41, 46, 255)
PANEL_EDGE = (70, 75, 84, 255)
VIEW = (48, 52, 58, 255)
VIEW_EDGE = (88, 94, 104, 255)
STRIP = (30, 33, 37, 255)
KEYBED = (22, 24, 27, 255)
KEY = (64, 68, 75, 255)
KEY_EDGE = (110, 116, 126, 255)
KNOB = (90, 96, 106, 255)
TEXT = (214, 218, 224, 255)
DIM_TEXT = (140, 146, 156, 255)
BUTTON = (72, 78, 88, 255)
BUTTON_DOWN = (52, 56, 63, 255)
BUTTON_EDGE = (130, 138, 150, 255)
TAB = (56, 60, 67, 255)
TAB_ON = (80, 128, 84, 255)
GREEN = (88, 200, 96, 255)
RESET = (120, 60, 56, 255)
RESET_DOWN = (92, 44, 42, 255)

# ---------------------------------------------------------------- a 5 x 7 block font

GLYPHS = {
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "B": ["11110", "10001", "10001", "11110", "10001", "10001", "11110"],
    "C": ["01110", "10001", "10000", "10000", "10000", "10001", "01110"],
    "D": ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "F": ["11111", "10000", "10000", "11110", "10000", "10000", "10000"],
    "G": ["01110", "10001", "10000", "10111", "10001", "10001", "01111"],
    "I": ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    "K": ["10001", "10010", "10100", "11000", "10100", "10010", "10001"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "M": ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "P": ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    "Q": ["01110", "10001", "10001", "10001", "10101", "10010", "01101"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "S": ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "U": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    "V": ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    "X": ["10001", "10001", "01010", "00100", "01010", "10001", "10001"],
    "Y": ["10001", "10001", "01010", "00100", "00100", "00100", "00100"],
    "1": ["00100", "01100", "00100", "00100", "00100", "00100", "01110"],
    "2": ["01110", "10001", "00001", "00010", "00100", "01000", "11111"],
    "3": ["11111", "00010", "00100", "00010", "00001", "10001", "01110"],
    "4": ["00010", "00110", "01010", "10010", "11111", "00010", "00010"],
    "5": ["11111", "10000", "11110", "00001", "00001", "10001", "01110"],
    "6": ["00110", "01000", "10000", "11110", "10001", "10001", "01110"],
    "8": ["01110", "10001", "10001", "01110", "10001", "10001", "01110"],
    "/": ["00001", "00010", "00010", "00100", "01000", "01000", "10000"],
    "-": ["00000", "00000", "00000", "11111", "00000", "00000", "00000"],
    " ": ["00000"] * 7,
}


class Canvas:
    """RGBA pixels, row by row."""

    def __init__(self, width, height, colour=CLEAR):
        self.width = width
        self.height = height
        self.pixels = [[colour] * width for _ in range(height)]

    def fill(self, x, y, w, h, colour):
        for row in range(max(y, 0), min(y + h, self.height)):
            line = self.pixels[row]
            for col in range(max(x, 0), min(x + w, self.width)):
                line[col] = colour

    def frame(self, x, y, w, h, colour, thickness=1):
        self.fill(x, y, w, thickness, colour)
        self.fill(x, y + h - thickness, w, thickness, colour)
        self.fill(x, y, thickness, h, colour)
        self.fill(x + w - thickness, y, thickness, h, colour)

    def disc(self, cx, cy, r, colour):
        for row in range(cy - r, cy + r + 1):
            for col in range(cx - r, cx + r + 1):
                if (row - cy) ** 2 + (col - cx) ** 2 <= r * r:
                    self.fill(col, row, 1, 1, colour)

    def text(self, x, y, label, colour, scale=1):
        for index, char in enumerate(label):
            glyph = GLYPHS[char]
            left = x + index * 6 * scale
            for row, bits in enumerate(glyph):
                for col, bit in enumerate(bits):
                    if bit == "1":
                        self.fill(left + col * scale, y + row * scale, scale, scale, colour)

    def centred_text(self, x, y, w, h, label, colour, scale=1):
        width = (len(label) * 6 - 1) * scale
        self.text(x + (w - width) // 2, y + (h - 7 * scale) // 2, label, colour, scale)

    def paste(self, other, x, y):
        for row in range(other.height):
            for col in range(other.width):
                self.fill(x + col, y + row, 1, 1, other.pixels[row][col])


# ---------------------------------------------------------------- PNG writing


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png_bytes(canvas, level):
    """RGBA or, when the canvas is opaque with few colours, a palette image; filter 0 rows."""
    colours = {}
    for line in canvas.pixels:
        for pixel in line:
            if pixel not in colours:
                colours[pixel] = len(colours)
    opaque = all(pixel[3] == 255 for pixel in colours)
    raw = bytearray()
    if opaque and len(colours) <= 256:
        for line in canvas.pixels:
            raw.append(0)
            raw.extend(colours[pixel] for pixel in line)
        header = struct.pack(">IIBBBBB", canvas.width, canvas.height, 8, 3, 0, 0, 0)
        palette = b"".join(bytes(pixel[:3]) for pixel in colours)
        extra = chunk(b"PLTE", palette)
    else:
        for line in canvas.pixels:
            raw.append(0)
            for pixel in line:
                raw.extend(pixel)
        header = struct.pack(">IIBBBBB", canvas.width, canvas.height, 8, 6, 0, 0, 0)
        extra = b""
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + extra +
            chunk(b"IDAT", zlib.compress(bytes(raw), level)) + chunk(b"IEND", b""))


# ---------------------------------------------------------------- the images

PANEL_SIZE = (600, 400)
VIEW_SIZE = (578, 359)
VIEW_AT = (11, 32)
TAB_SIZE = (120, 24)
FILE_BUTTON_SIZE = (72, 24)
RESET_SIZE = (96, 24)
KEY_FRAME_SIZE = (80, 40)
PAGE_FRAME_SIZE = (60, 24)
# Where the picture view shows the six buttons; skin.xml places the Button switches here.
KEY_ROW = [(29 + i * 90, 128) for i in range(6)]
# Where the views show the six memories; skin.xml places the Page switches here.
PAGE_ROW = [(8 + i * 66, 266) for i in range(6)]


def two_states(w, h, draw):
    """A switch image: draw(canvas, y, on) paints one state at height y."""
    canvas = Canvas(w, 2 * h)
    draw(canvas, 0, False)
    draw(canvas, h, True)
    return canvas


def push_button(w, h, label, face, face_down):
    def draw(canvas, y, on):
        # Pressed: a darker face, the label one pixel down and to the right, and lit.
        canvas.fill(0, y, w, h, face_down if on else face)
        canvas.frame(0, y, w, h, GREEN if on else BUTTON_EDGE)
        shift = 1 if on else 0
        canvas.centred_text(shift, y + shift, w, h, label, GREEN if on else TEXT)
    return two_states(w, h, draw)


def tab(label):
    w, h = TAB_SIZE

    def draw(canvas, y, on):
        canvas.fill(0, y, w, h, TAB_ON if on else TAB)
        canvas.frame(0, y, w, h, GREEN if on else BUTTON_EDGE)
        canvas.centred_text(0, y, w, h, label, TEXT if on else DIM_TEXT)
    return two_states(w, h, draw)


def green_frame(w, h, thickness):
    def draw(canvas, y, on):
        if on:
            canvas.frame(0, y, w, h, GREEN, thickness)
    return two_states(w, h, draw)


def panel_back():
    w, h = PANEL_SIZE
    canvas = Canvas(w, h, PANEL)
    canvas.frame(0, 0, w, h, PANEL_EDGE, 2)
    canvas.text(12, 10, "QENT6/QENT8 EXTENSION SETUP", DIM_TEXT, 2)
    x, y = VIEW_AT
    canvas.frame(x - 1, y - 1, VIEW_SIZE[0] + 2, VIEW_SIZE[1] + 2, PANEL_EDGE)
    return canvas


def view_back(with_memories=True):
    w, h = VIEW_SIZE
    canvas = Canvas(w, h, VIEW)
    canvas.frame(0, 0, w, h, VIEW_EDGE)
    canvas.fill(1, 1, w - 2, 30, STRIP)         # tabs and file buttons
    if with_memories:
        # The six memories under their switch frames, the memory name's field and the reset.
        canvas.fill(1, 244, w - 2, 114, STRIP)
        canvas.text(8, 252, "MEMORY", DIM_TEXT)
        for i, (x, y) in enumerate(PAGE_ROW):
            pw, ph = PAGE_FRAME_SIZE
            canvas.fill(x + 3, y + 3, pw - 6, ph - 6, KEY)
            canvas.centred_text(x, y, pw, ph, "%d" % (i + 1), TEXT)
        canvas.text(8, 305, "NAME", DIM_TEXT)
    return canvas


def picture_back():
    canvas = view_back()
    # The keyboard's panel with its knobs and the six assignable buttons.
    canvas.fill(8, 54, 562, 132, KEYBED)
    canvas.frame(8, 54, 562, 132, KEY_EDGE)
    for i in range(12):
        canvas.disc(40 + i * 45, 86, 12, KNOB)
    for x, y in KEY_ROW:
        kw, kh = KEY_FRAME_SIZE
        canvas.fill(x + 4, y + 4, kw - 8, kh - 8, KEY)
        canvas.frame(x + 4, y + 4, kw - 8, kh - 8, KEY_EDGE)
    for i, (x, y) in enumerate(KEY_ROW):
        canvas.centred_text(x, y, KEY_FRAME_SIZE[0], KEY_FRAME_SIZE[1], "SF%d" % (i + 1), TEXT)
    canvas.fill(8, 198, 562, 30, STRIP)         # the single-button area
    return canvas


def table_back():
    canvas = view_back()
    for i in range(6):
        canvas.fill(8, 56 + i * 30, 562, 26, STRIP if i % 2 == 0 else VIEW_EDGE)
    return canvas


def option_back():
    canvas = view_back(with_memories=False)
    canvas.fill(8, 54, 562, 40, STRIP)
    return canvas


def images():
    """(file name, canvas, deflate level) in a fixed order."""
    stored_data = 0
    packed = 9
    result = [
        ("qent_ex_back.png", panel_back(), stored_data),
        ("qent_ex_back_assign.png", picture_back(), stored_data),
        ("qent_ex_back_quick.png", table_back(), stored_data),
        ("qent_ex_back_option.png", option_back(), stored_data),
        ("qent_ex_btn_load.png", push_button(*FILE_BUTTON_SIZE, "LOAD", BUTTON, BUTTON_DOWN),
         packed),
        ("qent_ex_btn_save.png", push_button(*FILE_BUTTON_SIZE, "SAVE", BUTTON, BUTTON_DOWN),
         packed),
    ]
    for memory in range(1, 7):
        result.append(("qent_ex_btn_reset%d.png" % memory,
                       push_button(*RESET_SIZE, "RESET %d" % memory, RESET, RESET_DOWN), packed))
    result += [
        ("qent_ex_frame_green1.png", green_frame(*KEY_FRAME_SIZE, 3), stored_data),
        ("qent_ex_frame_green2.png", green_frame(*PAGE_FRAME_SIZE, 2), stored_data),
        ("qent_ex_tab_sfassign.png", tab("PICTURE"), packed),
        ("qent_ex_tab_quick.png", tab("TABLE"), packed),
        ("qent_ex_tab_option.png", tab("OPTIONS"), packed),
    ]
    return result


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default = os.path.join(here, "..", "..", "extsetup", "skin")
    folder = sys.argv[1] if len(sys.argv) > 1 else default
    os.makedirs(folder, exist_ok=True)
    for name, canvas, level in images():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(png_bytes(canvas, level))
    return 0


if __name__ == "__main__":
    sys.exit(main())
