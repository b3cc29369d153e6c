#!/usr/bin/env python3
"""Attacks the DICOM reading with mutants of the compressed fixtures and a deep nest.

Writes mutants of tests/data/encodings/{jpeg_lossless,jpegls_lossless,j2k_lossless,rle}.dcm
(byte flips in the first 100 bytes of the pixel stream; Rows, Columns and BitsAllocated changed;
truncations) into a fresh folder, runs `ctiq-cli stats` over all of them in one batch with a
private TMPDIR, and checks: no signal and exit 0 or 1, stdout holds nothing but result lines,
nothing is left in the temporary folder, and the batch finishes in bounded time.

  python3 tools/attack/mutate_dicom.py build/release/cli/ctiq-cli [--per-file 12] [--seed S]
                                        [--minutes M]
With --minutes, batches of fresh random mutants (new seeds) run until the time is up.
"""
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ENCODINGS = os.path.join(HERE, "..", "..", "tests", "data", "encodings")
SOURCES = ["jpeg_lossless.dcm", "jpegls_lossless.dcm", "j2k_lossless.dcm", "rle.dcm",
           "ge_un_jpeg.dcm", "ge_un_j2k.dcm"]


def us_element(data, group, element):
    """Offset of the value of an explicit VR little-endian US element, or None."""
    key = struct.pack("<HH", group, element) + b"US"
    at = data.find(key)
    return None if at < 0 else at + 8


def mutants(name, data, rng, per_file):
    stream = data.find(b"\xfe\xff\x00\xe0", data.find(b"\xe0\x7f\x10\x00"))
    stream = data.find(b"\xfe\xff\x00\xe0", stream + 8) + 8  # the first fragment's bytes
    for k in range(per_file):
        m = bytearray(data)
        at = stream + rng.randrange(100)
        m[at] ^= 1 << rng.randrange(8)
        yield f"{name}.flip{k}", m
    for tag, values in (((0x0028, 0x0010), (1, 24, 96, 1024)), ((0x0028, 0x0011), (2, 32, 128)),
                        ((0x0028, 0x0100), (8, 12, 32))):
        at = us_element(data, *tag)
        if at is None:
            continue
        for v in values:
            m = bytearray(data)
            m[at:at + 2] = struct.pack("<H", v)
            yield f"{name}.{tag[1]:04x}={v}", m
    for keep in (0.5, 0.9, 0.99):
        yield f"{name}.cut{int(keep * 100)}", data[:int(len(data) * keep)]


def option(name, default):
    return int(sys.argv[sys.argv.index(name) + 1]) if name in sys.argv else default


def main():
    cli = sys.argv[1]
    per_file = option("--per-file", 12)
    seed = option("--seed", 2026)
    minutes = option("--minutes", 0)
    deadline = time.monotonic() + 60 * minutes
    while True:
        if not attack(cli, per_file, seed):
            sys.exit(1)
        seed += 1
        if time.monotonic() >= deadline:
            sys.exit(0)


def attack(cli, per_file, seed):
    rng = random.Random(seed)
    work = tempfile.mkdtemp(prefix="ctiq-attack-")
    scratch = tempfile.mkdtemp(prefix="ctiq-attack-tmp-")
    files = []
    for source in SOURCES:
        data = open(os.path.join(ENCODINGS, source), "rb").read()
        for name, m in mutants(source, data, rng, per_file):
            path = os.path.join(work, name + ".dcm")
            open(path, "wb").write(m)
            files.append(path)
    env = dict(os.environ, TMPDIR=scratch, LANG="C.UTF-8")
    start = time.monotonic()
    run = subprocess.run([cli, "stats", *files], capture_output=True, env=env, timeout=1800)
    seconds = time.monotonic() - start
    out = run.stdout.decode("utf-8", "replace").splitlines()
    foreign = [l for l in out if l != "File\tMean\tSD" and not l.startswith(work)]
    measured = len(out) - 1 if out else 0
    refused = run.stderr.decode("utf-8", "replace").count(work)
    left = os.listdir(scratch)
    print(f"{len(files)} mutants in {seconds:.1f} s: {measured} measured, {refused} refused, "
          f"exit {run.returncode}, foreign stdout lines {len(foreign)}, left in TMPDIR {len(left)}")
    ok = run.returncode in (0, 1) and not foreign and not left and measured + refused >= len(files)
    print(f"seed {seed}: " + ("PASS" if ok else f"FAIL (mutants kept in {work})"))
    if ok:
        shutil.rmtree(work)
        shutil.rmtree(scratch)
    return ok


if __name__ == "__main__":
    main()
