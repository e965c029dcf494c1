#!/usr/bin/env python3
"""Writes the buffer-file fixtures byte by byte from the layout tables, independently of
the program's own writer. Run it from this folder; the outputs are committed."""
import struct

MAGIC = struct.pack('<I', 0x3AD5CEFF)
SIGNATURE = b'TStreamListData'


def container(streams, count=None):
    out = MAGIC + SIGNATURE + struct.pack('<i', len(streams) if count is None else count)
    for s in streams:
        out += struct.pack('<i', len(s)) + s
    return out


def names(items):
    return b''.join(i + b'\r\n' for i in items)


def block(size, show=0, resize=0, date=3, cal=3, fname=3, reserved=1, sound=0, effect=4,
          bright=0, contrast=0, trans=0, back=0, flags=0, transpos=0, lengths=(1,) * 6):
    """A record block of 44 bytes, or an older one of 39 or 43 (flags as its last byte)."""
    ad, ca, dn, ef, wv, tx = lengths
    b = bytearray(44)
    b[0], b[1], b[2] = show, resize, date
    struct.pack_into('<i', b, 3, ad)
    b[7] = cal
    struct.pack_into('<i', b, 8, ca)
    b[12] = fname
    struct.pack_into('<i', b, 13, dn)
    b[17], b[18] = reserved, sound
    struct.pack_into('<i', b, 19, wv)
    b[23] = effect
    struct.pack_into('<b', b, 24, bright)
    struct.pack_into('<b', b, 25, contrast)
    struct.pack_into('<i', b, 26, ef)
    struct.pack_into('<i', b, 30, tx)
    struct.pack_into('<I', b, 34, trans)
    if size == 44:
        struct.pack_into('<I', b, 38, back)
        b[42], b[43] = flags, transpos
        return bytes(b)
    old = bytearray(b[:size])
    old[size - 1] = flags
    return bytes(old)


def entry(size, six=(b'', b'', b'', b'', b'', b''), **kw):
    lengths = tuple(len(n) + 1 for n in six)
    return block(size, lengths=lengths, **kw) + b''.join(n + b'\0' for n in six)


def current_file(name):
    return struct.pack('<i', len(name) + 1) + name + b'\0'


def plain_buffer(folders, files, remain):
    return container([struct.pack('<i', 0x00010200), names(folders), names(files), names(remain)])


A = b'/pics/a.bmp'
SJIS = b'/pics/\x93\xfa\x96\x7b.bmp'  # "日本" in Shift-JIS
SIX = (b'Date1', b'Cal1', b'Name1', b'Eff1', b'/snd/w.wav', b'/tex/t.bmp')


def wallpaper(version, size, streams=8, cur=A):
    records = entry(size, SIX, show=1, resize=2, bright=-5, contrast=7, trans=0x112233,
                    back=0x445566, flags=0x05) + entry(size, show=3)
    s = [records, names([A, SJIS]), names([SJIS]), names([b'/pics', b'/Album']),
         entry(44, show=2), names([b'/stock/s.bmp']), current_file(cur)]
    if streams == 8:
        s.append(struct.pack('<i', version))
    return container(s)


def outer(wall, sound=None, texture=None):
    sound = sound if sound is not None else plain_buffer([b'/snd'], [b'/snd/w.wav'], [b'/snd/w.wav'])
    texture = texture if texture is not None else plain_buffer([], [b'/tex/t.bmp'], [])
    return container([wall, sound, texture])


def write(name, data):
    with open(name, 'wb') as f:
        f.write(data)


# The wallpaper container of an empty buffer: 23 + 8*4 + 5 + 4 = 64 bytes.
write('wallpaper-empty.mbf', container([b'', b'', b'', b'', b'', b'', current_file(b''),
                                        struct.pack('<i', 0x00010200)]))
write('record-empty-names.bin', entry(44))
write('buffers-current-two-files.mwf', outer(wallpaper(0x00010200, 44)))
write('buffers-v0100-two-files.mwf', outer(wallpaper(0x00010000, 39)))
write('buffers-v0101-two-files.mwf', outer(wallpaper(0x00010100, 43)))
write('buffers-seven-streams.mwf', outer(wallpaper(0, 39, streams=7)))
write('buffers-current-file-gone.mwf', outer(wallpaper(0x00010200, 44, cur=b'/pics/gone.bmp')))
write('buffers-oldest-sound-texture.mwf',
      outer(wallpaper(0x00010200, 44), container([names([b'/snd/x.wav']), names([])]),
            container([names([b'/tex/y.bmp', b'/tex/z.bmp']), names([b'/tex/z.bmp'])])))

# Damaged files: each lies in one place.
good = outer(wallpaper(0x00010200, 44))
write('damaged-truncated.mwf', good[:len(good) // 2])
write('damaged-stream-count.mwf', good[:19] + struct.pack('<i', 0x7FFFFFFF) + good[23:])
write('damaged-entry-size.mwf', good[:23] + struct.pack('<i', 0x7FFFFFF0) + good[27:])
write('damaged-negative-size.mwf', good[:23] + struct.pack('<i', -4) + good[27:])
lying = entry(44, SIX)
lying = lying[:3] + struct.pack('<i', 0x7FFFFFFF) + lying[7:]
write('damaged-name-length.mwf', outer(container([lying, names([A]), names([]), names([]), b'',
                                                  names([]), current_file(A),
                                                  struct.pack('<i', 0x00010200)])))
write('damaged-current-file-length.mwf',
      outer(container([entry(44), names([A]), names([]), names([]), b'', names([]),
                       struct.pack('<i', 0x40000000) + b'x', struct.pack('<i', 0x00010200)])))
write('damaged-records-short.mwf',
      outer(container([entry(44), names([A, SJIS]), names([]), names([]), b'', names([]),
                       current_file(b''), struct.pack('<i', 0x00010200)])))
write('damaged-unknown-version.mwf', outer(wallpaper(0x00020000, 44)))
write('damaged-two-streams.mwf', container([wallpaper(0x00010200, 44), plain_buffer([], [], [])]))
write('not-a-container.mwf', b'BM' + bytes(60))
write('signature-wrong-case.mwf', MAGIC + b'TStreamlistData' + struct.pack('<i', 0))
