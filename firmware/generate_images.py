#!/usr/bin/env python3
"""Writes the two built-in Tarvek2 firmware images as image text files.

The payload is placeholder firmware: deterministic pseudo-random bytes, so the
files are the same on every run.  About two thirds of the blocks carry the
same bytes in both images, the rest differ per board print, and the print-47
image lacks block 0x0A5F.  Run once; the generated files are committed.
"""
import hashlib
import pathlib

HEADERS = {
    38: "01.12.2021 09:05:00",
    47: "01.12.2021 09:05:06",
}


def blocks(print_code):
    yield 0x0200
    yield from range(0x0208, 0x0361 + 1)
    yield 0x03D8
    yield 0x03DF
    last_main = 0x0A5F if print_code == 38 else 0x0A5E
    yield from range(0x0400, last_main + 1)
    yield from range(0x0C00, 0x0D7F + 1)


def payload(block, print_code):
    shared = hashlib.sha256(b"share%d" % block).digest()[0] % 3 != 0
    seed = b"tarvek2-block-%d" % block if shared else b"tarvek2-block-%d-print-%d" % (block, print_code)
    data = b""
    counter = 0
    while len(data) < 64:
        data += hashlib.sha256(seed + b"/%d" % counter).digest()
        counter += 1
    return data[:64]


def record(block, data):
    raw = bytes([len(data), block >> 8, block & 0xFF, 0x00]) + data
    checksum = (-sum(raw)) & 0xFF
    return ":" + (raw + bytes([checksum])).hex().upper()


def main():
    here = pathlib.Path(__file__).resolve().parent
    for print_code, date in HEADERS.items():
        lines = [
            "bootloader=3",
            "bootloader version=0",
            "class=26145",
            "versionH=2",
            "versionL=8",
            "platform=21",
            "print=%d" % print_code,
            "date=%s" % date,
        ]
        lines += [record(b, payload(b, print_code)) for b in blocks(print_code)]
        lines.append(":00000001FF")
        name = "Tarvek2_V2_08_PF21_PR%d_BL3_0.txt" % print_code
        (here / name).write_bytes(("\r\n".join(lines) + "\r\n").encode("ascii"))


if __name__ == "__main__":
    main()
