#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into corpus/<target>/.

Small valid files of each kind and a few slightly broken ones. Run again
after changing it; the files it writes are committed. The JPEG seed is made
by ffmpeg when it is installed."""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")


def put(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


# ---- Bitmaps ---------------------------------------------------------------

def bmp(width, height, bits, compression=0, top_down=False, header=40, masks=None,
        palette=None, pixels=None):
    stride = (width * bits + 31) // 32 * 4
    if pixels is None:
        rows = []
        for y in range(height):
            row = bytearray(stride)
            for x in range(width):
                v = (x * 37 + y * 91) & 0xFF
                if bits == 1:
                    if (x + y) % 2:
                        row[x // 8] |= 0x80 >> (x % 8)
                elif bits == 4:
                    row[x // 2] |= (v % 16) << (4 if x % 2 == 0 else 0)
                elif bits == 8:
                    row[x] = v % (len(palette) // 4 if palette else 256)
                elif bits == 16:
                    struct.pack_into("<H", row, 2 * x, (v << 7) ^ (x << 2) ^ y)
                elif bits == 24:
                    row[3 * x:3 * x + 3] = bytes([v, 255 - v, (v * 3) & 0xFF])
                elif bits == 32:
                    row[4 * x:4 * x + 4] = bytes([v, 255 - v, (v * 3) & 0xFF, 0])
            rows.append(bytes(row))
        pixels = b"".join(rows)
    if palette is None and bits <= 8:
        palette = b"".join(bytes([i * 255 // ((1 << bits) - 1)] * 3 + [0]) for i in range(1 << bits))
    palette = palette or b""
    info = struct.pack("<IiiHHIIiiII", header, width, -height if top_down else height, 1, bits,
                       compression, len(pixels), 2835, 2835, len(palette) // 4, 0)
    extra = b""
    if masks is not None:
        extra = struct.pack("<III", *masks)
    if header > 40:
        info += (extra + b"\0" * header)[:header - 40]
        extra = b""
    offset = 14 + len(info) + len(extra) + len(palette)
    head = struct.pack("<HIHHI", 0x4D42, offset + len(pixels), 0, 0, offset)
    return head + info + extra + palette + pixels


def rle8(width, height):
    # Each row: one run, an end of line; then an end of bitmap.
    data = b""
    for y in range(height):
        data += bytes([width, y % 4, 0, 0])
    data += b"\0\1"
    pal = b"".join(bytes([i * 60, 255 - i * 60, 128, 0]) for i in range(4))
    return bmp(width, height, 8, compression=1, palette=pal, pixels=data)


BITMAPS = {
    "bits1.bmp": bmp(9, 3, 1),
    "bits4.bmp": bmp(5, 3, 4),
    "bits8.bmp": bmp(6, 4, 8),
    "rle8.bmp": rle8(6, 3),
    "bits16.bmp": bmp(4, 3, 16),
    "bits24.bmp": bmp(5, 3, 24),
    "bits24-topdown.bmp": bmp(3, 2, 24, top_down=True),
    "bits32.bmp": bmp(3, 3, 32),
    "bits32-fields.bmp": bmp(2, 2, 32, compression=3, masks=(0xFF0000, 0xFF00, 0xFF)),
    "bits32-v5.bmp": bmp(2, 3, 32, compression=3, header=124, masks=(0xF800, 0x7E0, 0x1F)),
}
BROKEN_BITMAPS = {
    "cut24.bmp": BITMAPS["bits24.bmp"][:-7],
    "headers-only.bmp": BITMAPS["bits8.bmp"][:54],
    "zero-size.bmp": bmp(0, 0, 24, pixels=b""),
    "wide.bmp": bmp(1, 1, 24)[:18] + struct.pack("<i", 60000) + bmp(1, 1, 24)[22:],
    # 118 bytes that claim 30000 × 30000 pixels.
    "huge-claim.bmp": struct.pack("<HIHHI", 0x4D42, 118, 0, 0, 54)
    + struct.pack("<IiiHHIIiiII", 40, 30000, 30000, 1, 24, 0, 0, 0, 0, 0, 0) + b"\x11" * 64,
}


# ---- Other pictures --------------------------------------------------------

def png(width, height):
    raw = b"".join(b"\0" + b"".join(bytes([(x * 40) & 0xFF, (y * 60) & 0xFF, 200])
                                     for x in range(width)) for y in range(height))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


# A 2 × 2 GIF: four colours, LZW minimum code size 2.
GIF = bytes.fromhex(
    "4749463839610200020091000000ff0000" "00ff000000ff" "ffffff" "2c000000000200020000"
    "020384050500" "3b")


def jpeg():
    if not shutil.which("ffmpeg"):
        return None
    with tempfile.TemporaryDirectory() as folder:
        out = os.path.join(folder, "a.jpg")
        subprocess.run(["ffmpeg", "-loglevel", "error", "-f", "lavfi", "-i",
                        "testsrc=size=8x8:rate=1", "-frames:v", "1", "-q:v", "5", out], check=True)
        with open(out, "rb") as f:
            return f.read()


# ---- Metafiles -------------------------------------------------------------

def le16(v):
    return struct.pack("<H", v & 0xFFFF)


def record(function, params):
    return struct.pack("<I", 3 + len(params)) + le16(function) + b"".join(le16(p) for p in params)


def metafile(x, y, w, h, rect, inch=0, text=False, mapmode=None, font_height=-20, pattern=None):
    records = []
    if mapmode is not None:
        records.append(record(0x0103, [mapmode]))
    records += [record(0x020B, [y, x]), record(0x020C, [h, w])]
    if mapmode is not None:
        records.append(record(0x020E, [h // 2, w // 2]))
    if pattern:
        # A brush from a 2 × 2 24-bit bitmap whose header states `pattern` as its size.
        dib = struct.pack("<IiiHHIIiiII", 40, pattern[0], pattern[1], 1, 24, 0, 16, 0, 0, 0, 0)
        dib += b"\0\0\xff\0\0\xff\0\0" * 2
        records.append(record(0x0142, [5, 0] + list(struct.unpack("<%dH" % (len(dib) // 2), dib))))
    else:
        records.append(record(0x02FC, [0, 0x00FF, 0, 0]))
    records += [record(0x012D, [0]),
                record(0x041B, [rect[3], rect[2], rect[1], rect[0]]),
                record(0x0418, [rect[3], rect[2], rect[1], rect[0]])]  # Ellipse
    if text:
        face = b"Helvetica\0"
        face += b"\0" * (len(face) % 2)
        font = [font_height, 0, 0, 0, 400, 0, 0, 0] + [face[i] | (face[i + 1] << 8)
                                              for i in range(0, len(face), 2)]
        records += [record(0x02FB, font), record(0x012D, [1]),
                    record(0x0521, [2, 0x6948, rect[1], rect[0]])]  # TextOut "Hi"
    records.append(record(0x0000, []))
    body = b"".join(records)
    largest = max(len(r) // 2 for r in records)
    file = (le16(1) + le16(9) + le16(0x0300) + struct.pack("<I", 9 + len(body) // 2) + le16(2)
            + struct.pack("<I", largest) + le16(0) + body)
    if inch == 0:
        return file
    words = [0xCDD7, 0x9AC6, 0, x, y, x + w, y + h, inch, 0, 0]
    head = b"".join(le16(v) for v in words)
    checksum = 0
    for v in words:
        checksum ^= v & 0xFFFF
    return head + le16(checksum) + file


# ---- Projects --------------------------------------------------------------

def project(rows, columns, width=32, height=24, image1="start.bmp", image2="end.bmp",
            folder="/nowhere/frames", last=9):
    lines = ['"%s"' % folder, str(last)]
    for image, pointer, colour in ((image1, 4, 255), (image2, 5, 65280)):
        lines += [str(colour), str(pointer), '"%s"' % image, str(rows), str(columns), str(height)]
        for j in range(columns + 1):
            for i in range(rows + 1):
                lines += [str(width * i // rows), str(height * j // columns)]
        lines += [str(width), "16777215"]
    lines.append("8421504")
    return ("\r\n".join(lines) + "\r\n").encode()


def main():
    if os.path.isdir(CORPUS):
        shutil.rmtree(CORPUS)

    put("fuzz_project", "one-cell.mph", project(1, 1))
    put("fuzz_project", "grid-3x2.mph", project(3, 2))
    put("fuzz_project", "windows-paths.mph",
        project(2, 2, image1="C:\\Fennix\\start.bmp", image2="D:\\x\\end.bmp",
                folder="C:\\Fennix\\").replace(b"\r\n", b"\n"))
    put("fuzz_project", "fraction-and-negative.mph",
        project(1, 1).replace(b"\r\n32\r\n", b"\r\n31.5\r\n", 1).replace(b"\r\n0\r\n", b"\r\n-7\r\n", 1))
    put("fuzz_project", "cut-short.mph", project(2, 2)[:-40])
    put("fuzz_project", "huge-values.mph",
        project(1, 1).replace(b"\r\n4\r\n", b"\r\n2147483647\r\n", 1)
        .replace(b"\r\n32\r\n", b"\r\n-2147483648\r\n"))
    put("fuzz_project", "run-options.mph", project(2, 2) +
        b"[fennix-additions]\r\nversion=1\r\n[run]\r\nhold-start=2\r\nhold-end=3\r\n"
        b"ease=in-out\r\ncolour-ease=in\r\n[end]\r\n")
    put("fuzz_project", "cp932.mph", project(1, 1, folder="\u30c6\u30b9\u30c8").decode()
        .encode("cp932"))
    # Free point pairs in the additions block: valid ones (alone and beside
    # run options, in either order) and damaged ones.
    def with_points(lines, before=b"", after=b""):
        return (project(2, 2) + b"[fennix-additions]\r\nversion=1\r\n" + before + b"[points]\r\n"
                + b"".join(line + b"\r\n" for line in lines) + after + b"[end]\r\n")
    put("fuzz_project", "points.mph",
        with_points([b"count=3", b"5 6 7 8", b"20 4 18 5", b"10 18 12 20"]))
    put("fuzz_project", "points-and-run.mph",
        with_points([b"count=1", b"8 8 9 9"], after=b"[run]\r\nhold-start=1\r\nease=out\r\n"))
    put("fuzz_project", "points-after-run.mph",
        with_points([b"count=2", b"3 3 4 4", b"30 20 28 21"], before=b"[run]\r\nhold-end=2\r\n"))
    put("fuzz_project", "points-edges.mph",
        with_points([b"count=2", b"0 5 0 6", b"32 17 32 18"]))
    put("fuzz_project", "points-count-short.mph", with_points([b"count=3", b"5 6 7 8"]))
    put("fuzz_project", "points-outside.mph", with_points([b"count=1", b"40 -2 7 99999"]))
    put("fuzz_project", "points-corner-and-twice.mph",
        with_points([b"count=3", b"0 0 1 1", b"9 9 10 10", b"9 9 10 10"]))
    put("fuzz_project", "points-bad-values.mph",
        with_points([b"count=2", b"5 6 7", b"1.5 2 x 3 4"]))
    put("fuzz_project", "points-huge-count.mph", with_points([b"count=2147483647", b"5 6 7 8"]))
    put("fuzz_project", "points-no-end.mph",
        (project(1, 1) + b"[fennix-additions]\r\nversion=1\r\n[points]\r\ncount=1\r\n5 6 7 8\r\n"))

    put("fuzz_profile", "settings.txt",
        "Fennix\nポインタの大きさ\n7\n[Fennix]\r\nポインタの大きさ=5\r\n背景色 = 8421504\r\n\r\n[Other]\r\nA=1\r\n".encode())
    put("fuzz_profile", "new-section.txt", b"New\nkey\nvalue\n[a]\nx=1\n")
    put("fuzz_profile", "no-file.txt", b"S\nK\nV\n")
    put("fuzz_profile", "odd-lines.txt", b" s \n K \n v \n[ s ]\n=\n K =  one = two \n[unclosed\n[]\nk\n")
    put("fuzz_profile", "cp932.txt", "セクション\nキー\n値\n[セクション]\nキー=古い値\n".encode("cp932"))

    for name, data in {**BITMAPS, **BROKEN_BITMAPS}.items():
        put("fuzz_dib", name, data)
        put("fuzz_companion", name, data)
    # The image target's first byte picks the suffix: 0 bmp, 1 jpg, 2 gif, 3 dib, 4 png.
    for name, data in BITMAPS.items():
        put("fuzz_image", name, b"\0" + data)
    put("fuzz_image", "cut24.bmp", b"\0" + BROKEN_BITMAPS["cut24.bmp"])
    put("fuzz_image", "bits8.dib", b"\3" + BITMAPS["bits8.bmp"])
    put("fuzz_image", "small.png", b"\4" + png(3, 2))
    put("fuzz_image", "small.gif", b"\2" + GIF)
    put("fuzz_image", "png-as.bmp", b"\0" + png(2, 2))
    picture = jpeg()
    if picture:
        put("fuzz_image", "small.jpg", b"\1" + picture)
        put("fuzz_image", "cut.jpg", b"\1" + picture[: len(picture) * 2 // 3])
    else:
        print("ffmpeg missing: no JPEG seed", file=sys.stderr)

    put("fuzz_wmf", "placeable.wmf", metafile(0, 0, 1440, 720, [360, 180, 1080, 540], inch=1440))
    put("fuzz_wmf", "window.wmf", metafile(100, 50, 200, 100, [150, 75, 250, 125]))
    put("fuzz_wmf", "text.wmf", metafile(0, 0, 64, 48, [4, 4, 40, 30], text=True))
    put("fuzz_wmf", "pattern.wmf", metafile(0, 0, 64, 48, [4, 4, 40, 30], pattern=(2, 2)))
    put("fuzz_wmf", "pattern-huge-claim.wmf",
        metafile(0, 0, 64, 48, [4, 4, 40, 30], pattern=(400, -0x7FFFFFFF)))
    # Found by the fuzzer: a pattern brush record too short for the bitmap
    # header it starts, which made libwmf ask for 12 GB.
    put("fuzz_wmf", "pattern-cut-header.wmf", bytes.fromhex(
        "0100090000034a0000000200100000000000050000000b0200080000050000000c023000400007000000fc02"
        "0000ff0000000000040000002d010000070000001b041e002800040004fa0700000018041e00040028000400"
        "1000000042011a00fff7ffffffff900100000000000048656c76657469636100040000002d01010007000000"
        "21050200486904000400030000000000"))
    # Found by the fuzzer: a window extent of 12288 × 16384 pixels, which took
    # most of a minute to render before QImage refused it.
    put("fuzz_wmf", "huge-extent.wmf", bytes.fromhex(
        "0100090000034a54696d6573100000000000050000000b0200000000050000000c020040003007000000fc02"
        "0000ff0000000000040000002d010000070000001b041e002800040004000700000018041e00280004000400"
        "10000000fb02ec0d020000000000900100000000410b48656c76657469636100040000002d01010007000000"
        "21050200486904000400030000000000"))
    # Found by the fuzzer: a pattern bitmap stating 3.4 billion colours.
    put("fuzz_wmf", "pattern-colours.wmf", bytes.fromhex(
        "010009000003490000000200210000000000050000000b0200000000050000000c0230004000210000004201"
        "05000000280000000200000002000000010018000000000010000000000000f9cacacacacacacacacacaf800"
        "0000ff0000ff0000040000002d010000070000001b041e002800040004000700000018041e00280004000400"
        "030000000000"))
    # A font height of 0: the default size.
    put("fuzz_wmf", "text-height0.wmf",
        metafile(0, 0, 64, 48, [4, 4, 40, 30], text=True, font_height=0))
    put("fuzz_wmf", "anisotropic.wmf", metafile(0, 0, 400, 300, [10, 10, 300, 200], mapmode=8))
    put("fuzz_wmf", "cut.wmf", metafile(0, 0, 64, 48, [4, 4, 40, 30])[:-12])
    # A header stating a largest record of 2.5 GB in a file of 94 bytes.
    window = metafile(100, 50, 200, 100, [150, 75, 250, 125])
    put("fuzz_wmf", "huge-record.wmf", window[:12] + struct.pack("<I", 0x4AFFFFFF) + window[16:])

    # Points files of `new --points` (the target lays them over a 4 × 3
    # grid of 64 × 48): pairs, a grid point and a corner, one start point
    # twice, a line of points, a fold, a short line and number forms.
    put("fuzz_points", "two-pairs.txt", b"# x1 y1 x2 y2\n10 10 12 11\n30 20 31 22\n")
    put("fuzz_points", "grid-and-corner.txt", b"16 12 16 12\r\n0 20 0 21\r\n64 48 63 47\r\n")
    put("fuzz_points", "same-start.txt", b"20 24 20 24\n20.5 24 21 24\n20 24 40 30\n")
    put("fuzz_points", "collinear.txt",
        b"".join(b"%d 24 %d 24\n" % (x, x) for x in range(5, 35, 5)))
    put("fuzz_points", "folds.txt", b"32 24 62 2\n40 30 1 47\n")
    put("fuzz_points", "short-line.txt", b"1 2 3\n")
    put("fuzz_points", "number-forms.txt", b"  7\t9   8  10  \n-1 5 5 5\n1e1 2.5 3.5 -0\n")
    # A project with free points, and one whose pair sits on a grid point.
    put("fuzz_project", "free-points.mph", project(2, 2) +
        b"[fennix-additions]\r\nversion=1\r\n[points]\r\ncount=2\r\n5 6 7 8\r\n20 10 21 12\r\n"
        b"[end]\r\n")
    put("fuzz_project", "point-on-grid.mph", project(2, 2) +
        b"[fennix-additions]\r\nversion=1\r\n[points]\r\ncount=1\r\n16 12 16 12\r\n[end]\r\n")


if __name__ == "__main__":
    main()
