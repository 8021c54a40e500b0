#!/usr/bin/env python3
"""Builds a reproducible tree for the scan benchmarks: ordinary files of mixed sizes, small PE
files, clean look-alikes of record sizes and a few infected samples.

usage: make_tree.py MAKE_SAMPLE OUT_DIR [FILES] [DEPTH]
"""
import os
import random
import struct
import subprocess
import sys


def small_pe(size, rng):
    """A PE file whose length no record uses: headers and noise."""
    body = bytearray(rng.randbytes(size))
    body[0:2] = b"MZ"
    body[60:64] = struct.pack("<I", 0x80)
    body[0x80:0x84] = b"PE\0\0"
    body[0x86:0x88] = struct.pack("<H", 1)
    return bytes(body)


def main():
    make_sample, out = sys.argv[1], sys.argv[2]
    files = int(sys.argv[3]) if len(sys.argv) > 3 else 100_000
    depth = int(sys.argv[4]) if len(sys.argv) > 4 else 3
    marker = out.rstrip("/") + ".complete"
    if os.path.exists(marker):
        return
    rng = random.Random(20261210)
    os.makedirs(out, exist_ok=True)
    per_dir = 100
    dirs = []
    for d in range((files + per_dir - 1) // per_dir):
        parts = [f"dir{d % 7 + i}" for i in range(depth - 1)] + [f"folder{d:05d}"]
        path = os.path.join(out, *parts)
        os.makedirs(path, exist_ok=True)
        dirs.append(path)

    lookalikes = max(files // 200, 1)
    samples = max(files // 10_000, 1)
    written = 0
    for i in range(samples):
        record = 1 + (i * 37) % 101
        target = os.path.join(dirs[rng.randrange(len(dirs))], f"update{i}.exe")
        subprocess.run([make_sample, "--record", str(record), "--out", target], check=True)
        written += 1
    for i in range(lookalikes):
        record = 1 + (i * 13) % 101
        target = os.path.join(dirs[rng.randrange(len(dirs))], f"setup{i}.exe")
        subprocess.run([make_sample, "--lookalike", str(record), "--seed", str(i), "--out", target],
                       check=True)
        written += 1
    index = 0
    while written < files:
        folder = dirs[index % len(dirs)]
        kind = rng.random()
        if kind < 0.05:
            data, name = small_pe(rng.randrange(2048, 16384), rng), f"lib{index}.dll"
        elif kind < 0.75:
            data, name = rng.randbytes(rng.randrange(0, 1024)), f"note{index}.txt"
        else:
            data, name = rng.randbytes(rng.randrange(1024, 8192)), f"data{index}.dat"
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
        written += 1
        index += 1
    with open(marker, "w") as f:
        f.write(f"{files} files, {samples} samples\n")


if __name__ == "__main__":
    main()
