#!/usr/bin/env python3
"""Writes a product folder shaped like the shipped payload: 336 files, about 55 MB in all, of mixed
compressibility (random data, machine-code-like words, text, sparse tables), in nested folders with
GBK-representable names. Deterministic: the same folder every run.

With --large, a product of about 1.5 GB instead (364 files) for the large-payload benchmark: 600 MB
of media packs that do not compress, 300 MB of program files, 200 MB of documents, 400 MB of
sparse tables and 200 small pictures, so that both the LZMA block (about 0.75 GB) and the archive
stay large.

usage: make_payload.py [--large] OUTDIR
"""
import os
import random
import sys

FILES = 336
TOTAL = 55_000_000


def random_bytes(rng, n):
    return rng.randbytes(n)


def code_like(rng, n):
    # A small vocabulary of 4-byte words with runs: compresses a few times, like machine code.
    words = [rng.randbytes(4) for _ in range(600)]
    out = bytearray()
    while len(out) < n:
        w = words[min(int(rng.expovariate(1 / 60)), len(words) - 1)]
        out += w * rng.choice((1, 1, 1, 2, 3))
    return bytes(out[:n])


def text(rng, n):
    vocab = ["velmora", "station", "client", "update", "数据", "配置", "用户", "服务", "the", "and",
             "0x%04x" % rng.randrange(65536), "error", "install", "path", "=", "\r\n", "[section]"]
    words = [rng.choice(vocab) for _ in range(4000)]
    out = []
    size = 0
    while size < n:
        w = rng.choice(words)
        out.append(w)
        size += len(w.encode("utf-8")) + 1
    return " ".join(out).encode("utf-8")[:n]


def sparse(rng, n):
    out = bytearray(n)
    for _ in range(n // 200):
        i = rng.randrange(n)
        out[i] = rng.randrange(256)
    return bytes(out)


KINDS = [(random_bytes, 0.20), (code_like, 0.45), (text, 0.25), (sparse, 0.10)]


def main(outdir):
    rng = random.Random(55)
    # Sizes: a long tail of small files and a few big ones, scaled to the total.
    raw = [rng.paretovariate(1.2) for _ in range(FILES)]
    scale = TOTAL / sum(raw)
    sizes = [max(1, int(r * scale)) for r in raw]
    sizes[0] += TOTAL - sum(sizes)
    folders = ["", "bin", "bin/插件", "data", "data/皮肤/默认", "doc", "lib/运行库", "res/图片"]
    for i, size in enumerate(sizes):
        r = rng.random()
        for make, share in KINDS:
            if r < share:
                break
            r -= share
        folder = os.path.join(outdir, folders[i % len(folders)])
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, f"文件{i:03d}.{make.__name__[:3]}"), "wb") as f:
            f.write(make(rng, size))


# The large product: (folder, files, bytes in all, kind of content).
LARGE = [
    ("res/媒体", 4, 600_000_000, random_bytes),
    ("bin", 40, 200_000_000, code_like),
    ("lib/运行库", 20, 100_000_000, code_like),
    ("doc/手册", 60, 200_000_000, text),
    ("data/表", 40, 400_000_000, sparse),
    ("res/图片", 200, 6_000_000, random_bytes),
]


def main_large(outdir):
    rng = random.Random(1500)
    for folder, count, total, make in LARGE:
        weights = [rng.uniform(0.5, 1.5) for _ in range(count)]
        sizes = [int(total * w / sum(weights)) for w in weights]
        sizes[0] += total - sum(sizes)
        os.makedirs(os.path.join(outdir, folder), exist_ok=True)
        for i, size in enumerate(sizes):
            with open(os.path.join(outdir, folder, f"文件{i:03d}.{make.__name__[:3]}"), "wb") as f:
                f.write(make(rng, size))


if __name__ == "__main__":
    if sys.argv[1] == "--large":
        main_large(sys.argv[2])
    else:
        main(sys.argv[1])
