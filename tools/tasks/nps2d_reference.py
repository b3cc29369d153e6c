#!/usr/bin/env python3
"""The 2-D noise power spectrum by the plain numpy recipe, to check ctiq's against.

The recipe: square ROIs of 128 x 128 pixels on a 64-pixel grid over the central 256 x 256
pixels of each 512 x 512 image (0.5 mm), each minus its least-squares surface 1, x, y, x², xy, y²,
|FFT2|² dx dy / n², averaged over all ROIs of all images; radial bins of width 1 / (n dx) by
rint(|f| n dx). Prints the noise SD from the spectrum's sum, the mean frequency (trapezoid over
0 ... Nyquist of the rings less the edges' leakage, each over the share of white noise the fit
keeps there) and the peak frequency
(the vertex of a parabola fitted to the logarithm of the rings around the largest that stay above
70 % of it) and the number of ROIs, with 12 significant digits.

  nps2d_reference.py FILE...            headerless 512 x 512 int16 little-endian images
  nps2d_reference.py --case NAME SEED...  the test images of tests/tasks/nps2d_numpy_test.cpp

The --case images are made here as the test makes them (the same seeded noise, integer steps
only), so the test's table of expected numbers is this tool's output:
  python3 tools/tasks/nps2d_reference.py --case white 1 2
"""
import sys
import numpy as np

N, STEP, D, SIZE = 128, 64, 0.5, 512
M64 = np.uint64(0xFFFFFFFFFFFFFFFF)


def mix(z):
    z = (z ^ (z >> np.uint64(30))) * np.uint64(0xBF58476D1CE4E5B9)
    z = (z ^ (z >> np.uint64(27))) * np.uint64(0x94D049BB133111EB)
    return z ^ (z >> np.uint64(31))


def gaussians(seed, count):
    """count deviates of ctiq's seeded noise: splitmix64, the sum of 12 uniforms minus 6."""
    with np.errstate(over="ignore"):
        state = mix(np.array([seed], dtype=np.uint64) ^ np.uint64(0x6A09E667F3BCC909))[0]
        k = np.arange(1, 12 * count + 1, dtype=np.uint64)
        u = (mix(state + k * np.uint64(0x9E3779B97F4A7C15)) >> np.uint64(11)).astype(np.float64)
    u = (u / 9007199254740992.0).reshape(count, 12)
    total = np.zeros(count)
    for j in range(12):  # left to right, as the C++ sum
        total = total + u[:, j]
    return total - 6


def rounded(v):
    return np.floor(v + 0.5).astype(np.int64)


def case_image(name, seed):
    g = gaussians(seed, SIZE * SIZE).reshape(SIZE, SIZE)
    if name == "white":
        return rounded(1000 + 20 * g)
    if name == "shaded":
        r, c = np.mgrid[0:SIZE, 0:SIZE]
        return rounded(1000 + 20 * g) + ((c - 256) ** 2 + (r - 256) ** 2) // 1024
    if name == "smooth":  # integer white noise through (1 2 1) x (1 2 1), periodic
        w = rounded(10 * g)
        w = np.roll(w, 1, 1) + 2 * w + np.roll(w, -1, 1)
        return 1000 + np.roll(w, 1, 0) + 2 * w + np.roll(w, -1, 0)
    raise SystemExit("unknown case " + name)


def main(argv):
    if argv and argv[0] == "--case":
        images = [case_image(argv[1], int(s)).astype(np.float64) for s in argv[2:]]
    else:
        images = [np.fromfile(f, dtype="<i2").astype(np.float64).reshape(SIZE, SIZE)
                  for f in argv]
    n, d = N, D
    y, x = np.mgrid[0:n, 0:n] / (n - 1.0) - 0.5
    A = np.stack([np.ones_like(x), x, y, x * x, x * y, y * y], axis=-1).reshape(-1, 6)
    Ainv = np.linalg.pinv(A)
    fx = np.fft.fftfreq(n, d)
    fr = np.hypot(fx[None, :], fx[:, None])
    bins = np.rint(fr * n * d).astype(int)
    count = np.bincount(bins.ravel())
    acc, rois = np.zeros((n, n)), 0
    lo, hi = SIZE // 2 - 128, SIZE // 2 + 128
    for a in images:
        for r in range(lo, hi - n + 1, STEP):
            for c in range(lo, hi - n + 1, STEP):
                roi = a[r:r + n, c:c + n].ravel()
                res = (roi - A @ (Ainv @ roi)).reshape(n, n)
                acc += np.abs(np.fft.fft2(res)) ** 2
                rois += 1
    nps = acc / rois * d * d / (n * n)
    radial = np.bincount(bins.ravel(), nps.ravel()) / count
    f = np.arange(radial.size) / (n * d)
    keep = f <= 1 / (2 * d)
    sd = np.sqrt(nps.sum() / (n * d) ** 2)
    # The rings less the leakage of the ROI's edges: 2P - P (*) K, K the Fejer kernel
    # sin^2(pi u) / (n^2 sin^2(pi u / n)) averaged over each grid step along each axis, the
    # circular convolution by FFT.
    m = np.where(np.arange(n) <= n // 2, np.arange(n), np.arange(n) - n)
    u = m[:, None] - 0.5 + (np.arange(64) + 0.5)[None, :] / 64
    below = np.sin(np.pi * u / n)
    safe = np.where(np.abs(below) < 1e-12, 1.0, below)
    k1 = np.where(np.abs(below) < 1e-12, 1.0, np.sin(np.pi * u) ** 2 / (n * n * safe ** 2))
    k1 = k1.mean(axis=1)
    leaked = np.real(np.fft.ifft2(np.fft.fft2(nps) * np.fft.fft2(np.outer(k1, k1))))
    unleaked = np.bincount(bins.ravel(), (2 * nps - leaked).ravel()) / count
    # The share of white noise each ring keeps through the surface fit: 1 - the ring's mean of
    # sum_j |FFT2(q_j)|^2 / n^2 over an orthonormal basis q_j of the six functions.
    q, _ = np.linalg.qr(A)
    removed = sum(np.abs(np.fft.fft2(q[:, j].reshape(n, n))) ** 2 for j in range(6)) / (n * n)
    kept = 1 - np.bincount(bins.ravel(), removed.ravel()) / count
    # Mean: trapezoid over 0 ... Nyquist of the rings over their kept share, the rings that keep
    # less than 0.9 taking the first ring that keeps more.
    r, fk, kk = radial[keep], f[keep], kept[keep]
    first = int(np.argmax(kk >= 0.9))
    c = unleaked[keep] / np.where(kk > 0, kk, 1)
    c[:first] = c[first]
    w = np.ones(c.size)
    w[0] = w[-1] = 0.5
    mean_f = (w * fk * c).sum() / (w * c).sum()
    # Peak: the vertex of the parabola fitted to log(ring) over the rings next to the largest
    # (from ring 1 on) that stay above 70 % of it, within them.
    top = 1 + int(np.argmax(r[1:]))
    lo, hi = top, top
    while lo > 1 and r[lo - 1] >= 0.7 * r[top]:
        lo -= 1
    while hi < r.size - 1 and r[hi + 1] >= 0.7 * r[top]:
        hi += 1
    if hi - lo < 2 and 1 < top < r.size - 1:
        lo, hi = top - 1, top + 1
    peak_f = fk[top]
    if hi - lo >= 2:
        x = fk[lo:hi + 1] - fk[top]
        c2, c1, _ = np.polyfit(x, np.log(r[lo:hi + 1]), 2)
        if c2 < 0:
            peak_f = fk[top] + np.clip(-c1 / (2 * c2), x[0], x[-1])
    print("sd %.12g  f_av %.12g  f_peak %.12g  rois %d" % (sd, mean_f, peak_f, rois))


if __name__ == "__main__":
    main(sys.argv[1:])
