#!/usr/bin/env python3
"""Checks the pictures that hdc_draw.exe drew through HdcTarget under Wine.

For every "image" line of its output: the method returned 0; zbarimg and
ZXingReader decode the picture where they read the symbology; and the rows
of the bars (from pY to pY + pHeight, above any text) are the very pixels that
the cairo target draws for the same call through `tallux draw`, wherever no
text measure moves the bars (hdc_cases.txt says where).

Usage: hdc_check.py TALLUX_COMMAND CASES DRAW_OUTPUT IMAGE_DIR
Prints one line for each fault and a summary; exits 1 on any fault.
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib
from concurrent.futures import ThreadPoolExecutor


def read_bmp(path):
    """A bottom-up 24-bit BMP as (width, height, rows of RGB bytes, top first)."""
    with open(path, "rb") as f:
        data = f.read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    assert bits == 24 and height > 0, path
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):
        bgr = data[offset + y * stride: offset + y * stride + width * 3]
        rgb = bytearray(len(bgr))
        rgb[0::3], rgb[1::3], rgb[2::3] = bgr[2::3], bgr[1::3], bgr[0::3]
        rows.append(bytes(rgb))
    return width, height, rows


def read_png(path):
    """An 8-bit grey or RGB PNG as (width, height, rows of RGB bytes)."""
    with open(path, "rb") as f:
        data = f.read()
    at, idat, header = 8, b"", None
    while at < len(data):
        length, kind = struct.unpack_from(">I4s", data, at)
        body = data[at + 8: at + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    width, height, depth, colour, _, _, interlace = header
    assert depth == 8 and colour in (0, 2) and interlace == 0, path
    channels = 3 if colour == 2 else 1
    raw = zlib.decompress(idat)
    size = width * channels
    rows, above = [], bytearray(size)
    for y in range(height):
        kind = raw[y * (size + 1)]
        row = bytearray(raw[y * (size + 1) + 1: (y + 1) * (size + 1)])
        if kind == 2:  # the row above and the differences, most rows of a barcode
            row = bytearray((v + u) & 255 for v, u in zip(row, above))
        for i in range(size if kind in (1, 3, 4) else 0):
            a = row[i - channels] if i >= channels else 0
            b, c = above[i], above[i - channels] if i >= channels else 0
            if kind == 1:
                row[i] = (row[i] + a) & 255
            elif kind == 3:
                row[i] = (row[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                row[i] = (row[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        above = row
        rows.append(bytes(row) if channels == 3 else bytes(v for v in row for _ in range(3)))
    return width, height, rows


def read_cases(path):
    cases = {}
    with open(path) as f:
        for line in f:
            if line.strip() and not line.startswith("#"):
                method, code, chk, fmt, expected, bars = line.rstrip("\n").split("\t")
                cases[method, code] = (fmt, expected.split("|"), bars)
    return cases


def decoded(fmt, picture):
    """What each installed reader reads, by reader."""
    readers = {}
    if shutil.which("ZXingReader"):
        # -noscale: ZXingReader 1.4 trips over a tall linear symbol when it downscales.
        readers["ZXingReader"] = ["ZXingReader", "-noscale", "-format", fmt, "-bytes", picture]
    if shutil.which("zbarimg"):
        # zbar reads Interleaved 2 of 5 from six digits unless told otherwise.
        readers["zbarimg"] = ["zbarimg", "--nodbus", "-q", "--raw", "-Si25.min-length=2", picture]
    return {name: subprocess.run(argv, capture_output=True, text=True).stdout.strip()
            for name, argv in readers.items()}


def check(cli, cases, image_dir, work, line):
    """The faults of one picture, the readings made and whether its bars were compared."""
    _, name, method, code, width, text, ratio, chk, result, x, y, height, dpi = line
    what = f"{name} ({method} {code!r}, pWidth {width}, pText {text})"
    if result != "0":
        return [f"{what}: the method returned {result}"], 0, 0
    fmt, expected, bars = cases[method, code]
    picture = os.path.join(image_dir, name)
    w, h, rows = read_bmp(picture)
    faults, read = [], 0
    if fmt != "-":
        for reader, got in decoded(fmt, picture).items():
            read += 1
            if got not in expected:
                faults.append(f"{what}: {reader} read {got!r}, not {'|'.join(expected)}")
    if bars != "fixed" and text != "0":
        return faults, read, 0

    units_per_pixel = 1440 / float(dpi)
    reference = os.path.join(work, name + ".png")
    call = [cli, "draw", method, "--code", code, "--x", x, "--y", y, "--width", width,
            "--height", height, "--text", text, "--bold", "0", "--font", "Arial",
            "--fore-color", "0", "--line-color", "0", "--ratio", ratio, "--chk", chk,
            "--units", "twips", "--dpi", dpi,
            "--size", f"{w * units_per_pixel:g}x{h * units_per_pixel:g}",
            "--target", "png", "-o", reference]
    status = subprocess.run(call, capture_output=True, text=True)
    if status.returncode != 0:
        return faults + [f"{what}: tallux draw failed: {status.stdout}{status.stderr}"], read, 0
    cw, ch, crows = read_png(reference)
    if (cw, ch) != (w, h):
        return faults + [f"{what}: the cairo page is {cw}x{ch} pixels, not {w}x{h}"], read, 0
    first = round(float(y) / units_per_pixel)
    last = round((float(y) + float(height)) / units_per_pixel)
    for row in range(first, last):
        if rows[row] != crows[row]:
            column = next(i for i in range(w * 3) if rows[row][i] != crows[row][i]) // 3
            faults.append(f"{what}: row {row} differs from cairo's from column {column}")
            break
    return faults, read, 1


def main():
    cli, cases_path, output, image_dir = sys.argv[1:5]
    cases = read_cases(cases_path)
    with open(output) as f:
        lines = [line.rstrip("\n").split("\t") for line in f if line.startswith("image\t")]
    with tempfile.TemporaryDirectory(prefix="hdc-check-") as work:
        # The readers and the command run two at a time.
        with ThreadPoolExecutor(max_workers=2) as pool:
            results = list(pool.map(lambda line: check(cli, cases, image_dir, work, line), lines))
    faults = [fault for r in results for fault in r[0]]
    for fault in faults:
        print(fault)
    print(f"{len(lines)} pictures, {sum(r[1] for r in results)} readings, bars compared with "
          f"cairo in {sum(r[2] for r in results)}, {len(faults)} faults")
    return 1 if faults or not lines else 0


if __name__ == "__main__":
    sys.exit(main())
