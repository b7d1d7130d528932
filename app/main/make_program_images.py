#!/usr/bin/env python3
"""Draws the main program's icon (xarn.ico, the defragmenter's glyph on the skin's blue) and the
HTML report's images (JPEG pieces of its header, borders and footer) in the skin's palette.
Usage: make_program_images.py ICON_DIR REPORT_DIR"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                "helper", "resources"))
import make_skin  # noqa: E402
import skin_glyphs as glyphs  # noqa: E402

# name: (width, height, top colour, bottom colour)
REPORT_IMAGES = {
    "Report_header_top_middle": (4, 70, make_skin.SKY, make_skin.NAVY),
    "Report_header_left_image": (82, 70, make_skin.SKY, make_skin.NAVY),
    "Report_header_leftText": (238, 70, make_skin.SKY, make_skin.NAVY),
    "Report_header_top_right": (156, 70, make_skin.SKY, make_skin.NAVY),
    "left_border": (6, 4, make_skin.EDGE, make_skin.EDGE),
    "right_border": (6, 4, make_skin.EDGE, make_skin.EDGE),
    "line3px_Blue": (4, 3, make_skin.BLUE, make_skin.BLUE),
    "footer_left": (6, 25, make_skin.BLUE, make_skin.NAVY),
    "footer_middle": (4, 25, make_skin.BLUE, make_skin.NAVY),
    "footer_right": (6, 25, make_skin.BLUE, make_skin.NAVY),
}


def main():
    icon_dir, report_dir = sys.argv[1], sys.argv[2]
    os.makedirs(icon_dir, exist_ok=True)
    os.makedirs(report_dir, exist_ok=True)
    make_skin.make_icon(os.path.join(icon_dir, "xarn.ico"), make_skin.BLUE, glyphs.defrag)
    for name, (width, height, top, bottom) in REPORT_IMAGES.items():
        subprocess.run(["convert", "-size", f"{width}x{height}", f"gradient:{top}-{bottom}",
                        "-quality", "92", os.path.join(report_dir, name + ".jpg")], check=True)


if __name__ == "__main__":
    main()
