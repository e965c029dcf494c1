#!/usr/bin/env python3
"""Writes the effect test picture and, for every effect that draws no random numbers, the
picture it must give, computed here from the effects' formulas (not by the libraries).
Run from this folder: python3 make_golden.py"""
import math
import struct

W, H = 23, 17  # odd sizes, so rows carry padding


def source():
    px = {}
    for y in range(H):
        for x in range(W):
            px[x, y] = ((x * 11 + y * 3) % 256, (x * 5 + y * 13 + 40) % 256,
                        (x * x + y * 7 + 90) % 256)
    # Colours the formulas treat specially.
    px[0, 0], px[1, 0], px[2, 0], px[3, 0] = (0, 0, 0), (255, 255, 255), (255, 0, 0), (10, 200, 30)
    return px


def write_bmp(path, w, h, pixels, palette=None):
    """pixels: {(x, y): (r, g, b)} for 24 bits, or {(x, y): index} with a palette."""
    bits = 8 if palette else 24
    stride = ((w * bits + 31) // 32) * 4
    rows = []
    for y in reversed(range(h)):  # bottom-up
        row = bytearray()
        for x in range(w):
            if palette:
                row.append(pixels[x, y])
            else:
                r, g, b = pixels[x, y]
                row += bytes((b, g, r))
        row += bytes(stride - len(row))
        rows.append(bytes(row))
    table = b"".join(bytes((b, g, r, 0)) for (r, g, b) in palette) if palette else b""
    offset = 14 + 40 + len(table)
    data = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, 0, len(data), 2835, 2835,
                       256 if palette else 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + table + data)


def y100(r, g, b):
    v = 30 * r + 59 * g + 11 * b
    q, rest = divmod(v, 100)
    return q + 1 if rest > 50 or (rest == 50 and q % 2) else q


def yw(a, b, c, p):
    return (a * p[0] + b * p[1] + c * p[2] + 128) >> 8


def tone(y, e):
    return 255.0 * math.pow(y / 255.0, e)


def clamp(x):
    return 255 if x >= 255 else 0 if x <= 0 else round(x)  # round: half to even


RAMPS = {
    "GRAYSCALE": lambda i: (i, i, i), "REDSCALE1": lambda i: (255, i, i),
    "GREENSCALE1": lambda i: (i, 255, i), "BLUESCALE1": lambda i: (i, i, 255),
    "REDSCALE2": lambda i: (i, 0, 0), "GREENSCALE2": lambda i: (0, i, 0),
    "BLUESCALE2": lambda i: (0, 0, i),
}

TONED = {  # luminance weights, then R, G, B: an exponent, or None for the luminance
    "SEPIA": ((77, 150, 29), (0.75, None, 1.333)),
    "ICE": ((29, 77, 150), (1.45, None, 0.25)),
    "FOREST": ((29, 150, 77), (1.43, 0.75, None)),
}

BEVEL = {"W": (7, 10), "M": (12, 15), "S": (15, 20)}
LIGHT = {"LT": (1, 1, -1, -1), "RT": (1, -1, 1, -1), "LB": (-1, 1, -1, 1), "RB": (-1, -1, 1, 1)}


def bevel(px, light, strength):
    out = dict(px)
    d, s = BEVEL[strength]
    top, left, right, bottom = LIGHT[light]

    def shift(x, y, amount):
        if 0 <= x < W and 0 <= y < H:
            out[x, y] = tuple(min(255, max(0, c + amount)) for c in out[x, y])

    for t in range(d):
        for x in range(t, W - t):
            shift(x, t, top * s * (d - t))
    for t in range(d):
        for y in range(t + 1, H - 1 - t):
            shift(t, y, left * s * (d - t))
    for t in range(d):
        for y in range(t + 1, H - 1 - t):
            shift(W - 1 - t, y, right * s * (d - t))
    for t in range(d):
        for x in range(t, W - t):
            shift(x, H - 1 - t, bottom * s * (d - t))
    return out


def main():
    px = source()
    write_bmp("source.bmp", W, H, px)
    write_bmp("NEGAPOGI.bmp", W, H, {k: tuple(255 - c for c in v) for k, v in px.items()})
    for name, ramp in RAMPS.items():
        write_bmp(name + ".bmp", W, H, {k: y100(*v) for k, v in px.items()},
                  [ramp(i) for i in range(256)])
    for name, (weights, exponents) in TONED.items():
        out = {}
        for k, v in px.items():
            y = yw(*weights, v)
            out[k] = tuple(y if e is None else clamp(tone(y, e)) for e in exponents)
        write_bmp(name + ".bmp", W, H, out)
    for light in LIGHT:
        for strength in BEVEL:
            export = "FRAME_BL_S" if (light, strength) == ("LB", "S") else \
                "FRAME_%s_%s" % (light, strength)
            write_bmp(export + ".bmp", W, H, bevel(px, light, strength))
    turns = {  # output size, then the input pixel of output (x, y)
        "ROTATERIGHT90": ((H, W), lambda x, y: (y, H - 1 - x)),  # clockwise
        "ROTATELEFT90": ((H, W), lambda x, y: (W - 1 - y, x)),
        "ROTATE180": ((W, H), lambda x, y: (W - 1 - x, H - 1 - y)),
        "LRREVERSE": ((W, H), lambda x, y: (W - 1 - x, y)),
        "TBREVERSE": ((W, H), lambda x, y: (x, H - 1 - y)),
    }
    for name, ((w, h), at) in turns.items():
        write_bmp(name + ".bmp", w, h, {(x, y): px[at(x, y)] for x in range(w) for y in range(h)})
    write_bmp("RGBTOBRG.bmp", W, H, {k: (v[2], v[0], v[1]) for k, v in px.items()})
    write_bmp("RGBTOGBR.bmp", W, H, {k: (v[1], v[2], v[0]) for k, v in px.items()})


if __name__ == "__main__":
    main()
