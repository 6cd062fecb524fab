#!/usr/bin/env python3
"""compare-frames.py -- compares two folders of captured frames (frame_NNNNNN.png) frame by frame.

usage: compare-frames.py REFERENCE OTHER [--max-share S] [--max-difference D]

Both folders must hold the same frame names, each pair of the same size. With no bounds the
frames must be identical; with them, at most share S of all channel values may differ, by at
most D each. Prints a summary, and a line per differing frame when out of bounds; exit code 0 when within bounds,
1 when not, 2 when a folder or a frame cannot be read. Python's standard library only.
"""
import argparse
import os
import re
import struct
import sys
import zlib

FRAME = re.compile(r"^frame_\d{6}\.png$")
SIGNATURE = b"\x89PNG\r\n\x1a\n"


class BadFrame(Exception):
    pass


def read_png(path, header_only=False):
    """(width, height, channels, pixel bytes) of an 8-bit grey, RGB or RGBA PNG without interlacing;
    the pixel bytes are None when only the header is wanted."""
    with open(path, "rb") as f:
        data = f.read()
    if not data.startswith(SIGNATURE):
        raise BadFrame(f"{path}: not a PNG file")
    pos, header, idat = len(SIGNATURE), None, []
    while pos + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if len(body) != length:
            raise BadFrame(f"{path}: truncated")
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat.append(body)
        elif kind == b"IEND":
            break
        pos += 12 + length
    if header is None or not idat:
        raise BadFrame(f"{path}: no image header or data")
    width, height, depth, colour, _, _, interlace = header
    channels = {0: 1, 2: 3, 6: 4}.get(colour)
    if depth != 8 or channels is None or interlace != 0:
        raise BadFrame(f"{path}: only 8-bit grey, RGB and RGBA without interlacing are read")
    if header_only:
        return width, height, channels, None
    try:
        raw = zlib.decompress(b"".join(idat))
    except zlib.error as e:
        raise BadFrame(f"{path}: {e}")
    stride = width * channels
    if len(raw) != height * (stride + 1):
        raise BadFrame(f"{path}: {len(raw)} bytes of image data, {height * (stride + 1)} expected")
    return width, height, channels, unfilter(raw, width, height, channels, path)


def unfilter(raw, width, height, bpp, path):
    stride = width * bpp
    out = bytearray(height * stride)
    prior = bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind = raw[start]
        line = bytearray(raw[start + 1:start + 1 + stride])
        if kind == 1:
            for i in range(bpp, stride):
                line[i] = (line[i] + line[i - bpp]) & 255
        elif kind == 2:
            line = bytearray((a + b) & 255 for a, b in zip(line, prior))
        elif kind == 3:
            for i in range(stride):
                left = line[i - bpp] if i >= bpp else 0
                line[i] = (line[i] + ((left + prior[i]) >> 1)) & 255
        elif kind == 4:
            for i in range(stride):
                a = line[i - bpp] if i >= bpp else 0
                b = prior[i]
                c = prior[i - bpp] if i >= bpp else 0
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        elif kind != 0:
            raise BadFrame(f"{path}: unknown row filter {kind}")
        out[y * stride:(y + 1) * stride] = line
        prior = line
    return bytes(out)


def frame_names(folder):
    try:
        return sorted(name for name in os.listdir(folder) if FRAME.match(name))
    except OSError as e:
        raise BadFrame(f"{folder}: {e.strerror}")


def compare(reference, other):
    """Per differing frame: (name, differing values, all values, largest difference)."""
    names = frame_names(reference)
    others = frame_names(other)
    if not names:
        raise BadFrame(f"{reference}: no frames")
    if names != others:
        missing = sorted(set(names) ^ set(others))
        raise BadFrame(f"the folders hold different frames ({len(names)} and {len(others)}; first odd one {missing[0]})")
    total, results = 0, []
    for name in names:
        a_path, b_path = os.path.join(reference, name), os.path.join(other, name)
        with open(a_path, "rb") as fa, open(b_path, "rb") as fb:
            same_file = fa.read() == fb.read()
        a = read_png(a_path, header_only=same_file)
        total += a[0] * a[1] * a[2]
        if same_file:
            continue
        b = read_png(b_path)
        if a[:3] != b[:3]:
            raise BadFrame(f"{name}: {a[0]}x{a[1]}x{a[2]} against {b[0]}x{b[1]}x{b[2]}")
        diffs = [abs(x - y) for x, y in zip(a[3], b[3]) if x != y]
        if diffs:
            results.append((name, len(diffs), len(a[3]), max(diffs)))
    return len(names), total, results


def main():
    parser = argparse.ArgumentParser(description="Compares two folders of captured frames.")
    parser.add_argument("reference")
    parser.add_argument("other")
    parser.add_argument("--max-share", type=float, default=0.0, help="share of channel values that may differ")
    parser.add_argument("--max-difference", type=int, default=0, help="largest difference of one channel value")
    args = parser.parse_args()
    try:
        frames, total, results = compare(args.reference, args.other)
    except (BadFrame, OSError) as e:
        print(f"compare-frames: {e}", file=sys.stderr)
        return 2
    differing = sum(r[1] for r in results)
    largest = max((r[3] for r in results), default=0)
    share = differing / total
    within = share <= args.max_share and largest <= args.max_difference
    # Frame by frame only when it fails: that is when one looks for the frame to open.
    for name, count, values, most in [] if within else results:
        print(f"compare-frames: {name}: {count} of {values} values differ ({100.0 * count / values:.2f} %), by at most {most}")
    print(f"compare-frames: {frames} frames, {len(results)} differ; {differing} of {total} values "
          f"({100.0 * share:.3f} %), by at most {largest}")
    if not within:
        print(f"compare-frames: over the bounds ({100.0 * args.max_share:.3f} %, {args.max_difference})", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
