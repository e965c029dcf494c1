#!/usr/bin/env python3
"""Remakes the malformed-file folders the plug-in fuzz targets replay: for each format a
small valid file made by ImageMagick, cut short at several points, with header bytes
changed, and with lying dimensions (PNG with a correct checksum so the decoder believes
them)."""
import os
import struct
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
FORMATS = {
    "ifpng": ["png", ["PNG24:"], ["-colors", "40", "-interlace", "PNG", "PNG8:"]],
    "ifgif": ["gif", ["GIF:"], ["-interlace", "GIF", "GIF:"]],
    "ifwebp": ["webp", ["-define", "webp:lossless=true", "WEBP:"], ["-quality", "50", "WEBP:"]],
    "iftiff": ["tif", ["-depth", "8", "TIFF:"], ["-depth", "16", "-colorspace", "CMYK", "TIFF:"]],
    "ifheif": ["heic", ["HEIC:"], ["AVIF:"]],
    "ifjxl": ["jxl", ["JXL-LOSSLESS"], ["JXL-LOSSY"]],
}


def made(options):
    if options[0].startswith("JXL"):  # ImageMagick may not write it; its own encoder does
        png = made(["-depth", "8", "PNG24:"])
        distance = "0" if options[0] == "JXL-LOSSLESS" else "1.5"
        with tempfile.TemporaryDirectory() as work:
            source, coded = os.path.join(work, "in.png"), os.path.join(work, "out.jxl")
            with open(source, "wb") as f:
                f.write(png)
            subprocess.run(["cjxl", "-d", distance, source, coded], check=True,
                           capture_output=True)
            with open(coded, "rb") as f:
                return f.read()
    args = ["convert", "-seed", "3", "-size", "24x16", "plasma:fractal"] + options[:-1]
    return subprocess.run(args + [options[-1] + "-"], check=True, capture_output=True).stdout


def png_with_size(data, width, height):
    # IHDR is the first chunk: length 13 at 8, type at 12, fields at 16, checksum at 29.
    ihdr = bytearray(data[12:29])
    ihdr[4:12] = struct.pack(">II", width, height)
    return data[:12] + bytes(ihdr) + struct.pack(">I", zlib.crc32(bytes(ihdr))) + data[33:]


def variants(data):
    yield "valid", data
    for cut in (8, 30, len(data) // 2, len(data) - 1):
        yield f"cut-{cut}", data[:cut]
    for offset in (6, 10, 16, 20, 24, 30):
        if offset < len(data):
            changed = bytearray(data)
            changed[offset] ^= 0xFF
            yield f"flip-{offset}", bytes(changed)


def main():
    for plugin, (ext, *option_sets) in FORMATS.items():
        folder = os.path.join(HERE, "corpus", plugin)
        os.makedirs(folder, exist_ok=True)
        for n, options in enumerate(option_sets):
            data = made(options)
            for name, content in variants(data):
                with open(os.path.join(folder, f"{n}-{name}.{ext}"), "wb") as f:
                    f.write(content)
            if plugin == "ifpng":
                for w, h in ((20000, 20000), (16384, 16384), (0, 5), (0x7FFFFFFF, 1)):
                    with open(os.path.join(folder, f"{n}-size-{w}x{h}.png"), "wb") as f:
                        f.write(png_with_size(data, w, h))
    return 0


if __name__ == "__main__":
    sys.exit(main())
