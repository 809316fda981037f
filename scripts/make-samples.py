#!/usr/bin/env python3
"""Draws the two sample pictures of Fennix (a sun face and a moon face) as
24-bit BMP files. The pictures are the project's own work, free to use."""
import math
import struct
import sys

W, H = 320, 240


def write_bmp(path, pixels):
    row_size = (W * 3 + 3) & ~3
    data = bytearray()
    for y in range(H - 1, -1, -1):
        row = bytearray()
        for x in range(W):
            r, g, b = pixels[y][x]
            row += bytes((b, g, r))
        row += bytes(row_size - len(row))
        data += row
    header = struct.pack('<2sIHHI', b'BM', 54 + len(data), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, W, H, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, 'wb') as f:
        f.write(header + info + data)


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def face(sky_top, sky_bottom, face_in, face_out, cx, cy, radius, eyes, mouth, rays):
    pixels = []
    for y in range(H):
        row = []
        for x in range(W):
            c = mix(sky_top, sky_bottom, y / (H - 1))
            dx, dy = x - cx, y - cy
            d = math.hypot(dx, dy)
            if rays and radius < d < radius * 1.45:
                angle = math.atan2(dy, dx)
                if math.cos(angle * 12) > 0.55:
                    c = mix(face_out, sky_bottom, (d - radius) / (radius * 0.45))
            if d <= radius:
                c = mix(face_in, face_out, (d / radius) ** 2)
            for ex, ey, er in eyes:
                if math.hypot(x - ex, y - ey) <= er:
                    c = (40, 30, 30)
            mx, my, mr, thickness, smile = mouth
            md = math.hypot(x - mx, (y - my) * (1 if smile else -1))
            if abs(md - mr) <= thickness and (y > my if smile else y < my):
                c = (150, 40, 40)
            row.append(c)
        pixels.append(row)
    return pixels


def main(folder):
    sun = face((90, 160, 230), (200, 230, 255), (255, 240, 120), (250, 170, 40),
               150, 118, 70, [(125, 100, 9), (175, 100, 9)], (150, 125, 36, 4, True), True)
    moon = face((10, 20, 60), (50, 60, 120), (245, 245, 225), (190, 190, 170),
                172, 124, 80, [(146, 104, 7), (198, 104, 7)], (172, 160, 24, 3, False), False)
    write_bmp(f'{folder}/sun.bmp', sun)
    write_bmp(f'{folder}/moon.bmp', moon)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'samples')
