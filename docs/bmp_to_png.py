#!/usr/bin/env python3
"""Turns a 24-bit uncompressed BMP (as ui_driver.exe writes them) into a PNG."""
import struct
import sys
import zlib


def convert(src, dst):
    data = open(src, "rb").read()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    bits = struct.unpack_from("<H", data, 28)[0]
    if bits != 24:
        raise SystemExit(f"{src}: {bits}-bit BMP, expected 24")
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        # BMP rows run bottom-up when the height is positive; pixels are BGR.
        src_y = abs(height) - 1 - y if height > 0 else y
        row = data[offset + src_y * stride: offset + src_y * stride + width * 3]
        rgb = bytearray(len(row))
        rgb[0::3], rgb[1::3], rgb[2::3] = row[2::3], row[1::3], row[0::3]
        rows.append(b"\0" + bytes(rgb))

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, abs(height), 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(b"".join(rows), 9))
    png += chunk(b"IEND", b"")
    open(dst, "wb").write(png)


if __name__ == "__main__":
    convert(sys.argv[1], sys.argv[2])
