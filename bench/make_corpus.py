#!/usr/bin/env python3
"""Builds the corpus on which the scanners are compared: ordinary files of mixed sizes, the real
Windows executables this machine has (Wine's and MinGW's DLLs and programs), and samples of a
spread of records in the usual layout, some of them among clean look-alikes of the same size.

usage: make_corpus.py MAKE_SAMPLE OUT_DIR [FILES]
Writes OUT_DIR.expected: the relative paths of the samples, one per line.
"""
import glob
import os
import random
import shutil
import subprocess
import sys

SYSTEM_PE = [
    "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/*",
    "/usr/lib/i386-linux-gnu/wine/i386-windows/*",
    "/usr/lib/gcc/*-w64-mingw32/*/*.dll",
    "/usr/*-w64-mingw32/lib/*.dll",
]


def main():
    make_sample, out = sys.argv[1], sys.argv[2]
    files = int(sys.argv[3]) if len(sys.argv) > 3 else 100_000
    marker = out.rstrip("/") + ".complete"
    if os.path.exists(marker):
        return
    shutil.rmtree(out, ignore_errors=True)
    rng = random.Random(20261210)
    written = 0

    system = sorted(p for pattern in SYSTEM_PE for p in glob.glob(pattern) if os.path.isfile(p))
    for i, path in enumerate(system):
        folder = os.path.join(out, "system", f"set{i // 200}")
        os.makedirs(folder, exist_ok=True)
        shutil.copyfile(path, os.path.join(folder, f"{i:04d}-{os.path.basename(path)}"))
        written += 1

    expected = []
    for n, record in enumerate(range(1, 102, 2)):
        folder = os.path.join(out, "programs", f"app{n:02d}")
        os.makedirs(folder, exist_ok=True)
        name = f"setup{record}.exe"
        subprocess.run([make_sample, "--record", str(record), "--out", os.path.join(folder, name)],
                       check=True)
        expected.append(f"programs/app{n:02d}/{name}")
        written += 1
        if n % 3 == 0:  # look-alikes of the same length beside it
            for k in range(4):
                subprocess.run([make_sample, "--lookalike", str(record), "--seed", str(1000 + 10 * n + k),
                                "--out", os.path.join(folder, f"clean{k}.exe")], check=True)
                written += 1

    index = 0
    folders = [os.path.join(out, "users", f"user{u}", "documents", f"folder{d:04d}")
               for u in range(5) for d in range(200)]
    for folder in folders:
        os.makedirs(folder, exist_ok=True)
    while written < files:
        folder = folders[index % len(folders)]
        kind = rng.random()
        if kind < 0.7:
            data, name = rng.randbytes(rng.randrange(0, 2048)), f"note{index}.txt"
        elif kind < 0.95:
            data, name = rng.randbytes(rng.randrange(2048, 16384)), f"data{index}.bin"
        else:
            data, name = rng.randbytes(rng.randrange(16384, 131072)), f"photo{index}.jpg"
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
        written += 1
        index += 1

    with open(out.rstrip("/") + ".expected", "w") as f:
        f.write("\n".join(sorted(expected)) + "\n")
    with open(marker, "w") as f:
        f.write(f"{written} files, {len(system)} system executables, {len(expected)} samples\n")


if __name__ == "__main__":
    main()
