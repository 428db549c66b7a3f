#!/usr/bin/python3
"""Small pictures for the README from the demonstration's screenshots.

    pictures.py OUTPUT.png WIDTH SCREENSHOT...

One screenshot is scaled to WIDTH pixels; several become a sheet of tiles
WIDTH pixels wide in rows of three. pngquant, when installed, shrinks the file.
"""

import shutil
import subprocess
import sys

from PIL import Image


def sheet(paths, width):
    images = [Image.open(path).convert("RGB") for path in paths]
    if len(images) == 1:
        image = images[0]
        return image.resize((width, round(image.height * width / image.width)), Image.LANCZOS)
    columns = min(3, len(images))
    gap = 8
    tile_width = (width - gap * (columns + 1)) // columns
    tiles = [image.resize((tile_width, round(image.height * tile_width / image.width)), Image.LANCZOS)
             for image in images]
    tile_height = max(tile.height for tile in tiles)
    rows = (len(tiles) + columns - 1) // columns
    canvas = Image.new("RGB", (width, rows * tile_height + gap * (rows + 1)), (24, 26, 34))
    for index, tile in enumerate(tiles):
        row, column = divmod(index, columns)
        canvas.paste(tile, (gap + column * (tile_width + gap), gap + row * (tile_height + gap)))
    return canvas


def main(argv):
    if len(argv) < 4:
        print(__doc__, file=sys.stderr)
        return 64
    output, width, paths = argv[1], int(argv[2]), argv[3:]
    sheet(paths, width).save(output, "PNG", optimize=True)
    if shutil.which("pngquant"):
        subprocess.run(["pngquant", "--force", "--skip-if-larger", "--output", output, "--", output], check=False)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
