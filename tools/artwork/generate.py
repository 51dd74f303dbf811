#!/usr/bin/python3
"""Regenerates the launcher's pictures, fonts and icon resources in assets/.

    /usr/bin/python3 tools/artwork/generate.py [--assets DIR]

Every output is a pure function of this code and of files from Debian
packages, so a second run writes the same bytes. The build uses the
committed files and never runs this.
"""

import argparse
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import backdrop  # noqa: E402
import banner  # noqa: E402
import faces  # noqa: E402
import fonts  # noqa: E402
import icon  # noqa: E402
import jpeg  # noqa: E402
import notice  # noqa: E402

# Label1's credit line: 37 characters, about 270 x 13 px in 13 px LOMA Ming.
CREDIT = "(C) ZAVRO Fi LOMA Diagnostic Launcher"


def outputs():
    up = jpeg.encode(faces.render())
    yield "backdrop.jpg", jpeg.encode(backdrop.render())
    yield "up_face.jpg", up
    yield "down_face.jpg", jpeg.rotate_half_turn(up)
    yield "title_banner.jpg", jpeg.encode(banner.render())
    yield "countdown_notice.wmf", notice.build()
    yield "window_icon.ico", icon.icon_file()
    yield "icon_image.bin", icon.icon_image()
    yield "icon_group.bin", icon.group_entry()
    for size in icon.THEME_SIZES:
        yield "icons/loma-%d.png" % size, icon.png(icon.theme_icon(size))
    yield "fonts/LomaMing-Bold.otf", fonts.build(fonts.MING)
    yield "fonts/LICENSE-LomaMing.txt", fonts.licence(fonts.MING)
    yield "fonts/LomaBlack.otf", fonts.build(fonts.BLACK)
    yield "fonts/LICENSE-LomaBlack.txt", fonts.licence(fonts.BLACK)
    yield "credit.txt", CREDIT.encode("ascii")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--assets", default=os.path.join(HERE, "..", "..", "assets"),
                        help="folder to write into (default: the repository's assets/)")
    args = parser.parse_args()
    if len(CREDIT) != 37 or not CREDIT.isascii() or not CREDIT.isprintable():
        sys.exit("the credit line must be 37 printable ASCII characters")
    for name, data in outputs():
        path = os.path.normpath(os.path.join(args.assets, name))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        old = None
        if os.path.exists(path):
            with open(path, "rb") as f:
                old = f.read()
        if old != data:
            with open(path, "wb") as f:
                f.write(data)
        print("%-30s %7d bytes%s" % (name, len(data), "" if old == data else "  (written)"))


if __name__ == "__main__":
    main()
