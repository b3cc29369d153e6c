# The MTF of a point object in DICOM slices as a physicist scripts it with pydicom + numpy, by the
# method of `ctiq-cli mtf` with its defaults: in the central 256 x 256 ROI (or the whole of a
# smaller image), the 24 rows through the brightest pixel (12 above it, 11 below) added column by
# column into the LSF; its background cut where each flank, walked out past the 10 % point, the
# valley and one more bump, lies midway between that top and valley; the full width at half
# maximum; the DFT's magnitudes normalised at zero frequency, MTF50 and MTF10 by linear
# interpolation; the background SD of the ROI's rows outside the band and the peak's SNR.
# Prints the MTF table per file.
#   Usage: python3 mtf_numpy.py FILE...   (Debian: python3-pydicom, python3-numpy)
import sys

import numpy as np
import pydicom

LINES, BUMPS = 24, 1


def cut_background(a):
    n, p = len(a), int(np.argmax(a))
    j = p - 3
    while a[j] - a[0] > (a[p] - a[0]) / 10:
        j -= 1

    def descend_left(j):
        while j > 0 and a[j - 1] < a[j]:
            j -= 1
        return j

    j = descend_left(j)
    top_l = val_l = j
    for _ in range(BUMPS):
        before = j
        while j > 0 and a[j - 1] > a[j]:
            j -= 1
        top_l = j
        j = val_l = descend_left(j)
        if j == before:
            break
    k = p + 3
    while a[k] - a[n - 1] > (a[p] - a[n - 1]) / 10:
        k += 1

    def descend_right(k):
        while k < n - 1 and a[k + 1] < a[k]:
            k += 1
        return k

    k = descend_right(k)
    top_r = val_r = k
    for _ in range(BUMPS):
        before = k
        while k < n - 2 and a[k + 1] > a[k]:
            k += 1
        top_r = k
        k = val_r = descend_right(k)
        if k == before:
            break
    il, ir = (top_l + val_l) // 2, (top_r + val_r) // 2
    out = np.zeros_like(a)
    out[il:p + 1] = a[il:p + 1] - a[il]
    out[p + 1:ir + 1] = a[p + 1:ir + 1] - a[ir]
    return out


def fwhm(a):
    p = int(np.argmax(a))
    h = a[p] / 2
    j = p
    while a[j] > h:
        j -= 1
    k = p
    while a[k] > h:
        k += 1
    return (k - 1 + (h - a[k - 1]) / (a[k] - a[k - 1])) - (j + (h - a[j]) / (a[j + 1] - a[j]))


def crossing(f, mtf, level):
    below = np.nonzero(mtf <= level)[0]
    if len(below) == 0:
        return float("nan")
    i = below[0]
    return f[i - 1] + (mtf[i - 1] - level) / (mtf[i - 1] - mtf[i]) * (f[i] - f[i - 1])


for path in sys.argv[1:]:
    ds = pydicom.dcmread(path)
    image = ds.pixel_array.astype(np.float64) * float(ds.get("RescaleSlope", 1)) + float(
        ds.get("RescaleIntercept", 0))
    d = float(ds.PixelSpacing[0])
    rows, cols = image.shape
    w, h = min(cols, 256), min(rows, 256)
    left, top = cols // 2 - w // 2, rows // 2 - h // 2
    roi = image[top:top + h, left:left + w]
    r, c = np.unravel_index(np.argmax(roi), roi.shape)
    band = roi[r - LINES // 2:r + LINES - LINES // 2]
    lsf = cut_background(band.sum(axis=0))
    background = np.concatenate((roi[:r - LINES // 2], roi[r + LINES - LINES // 2:]))
    snr = (roi[r, c] - background.mean()) / background.std()
    mtf = np.abs(np.fft.fft(lsf))
    mtf = mtf[:w // 2 + 1] / mtf[0]
    f = np.arange(w // 2 + 1) / (w * d)
    print(f"c/mm\t{path}")
    for k in range(len(f)):
        print(f"{f[k]:.4f}\t{mtf[k]:.4f}")
    print(f"# mtf50 {crossing(f, mtf, 0.5):.6g} mtf10 {crossing(f, mtf, 0.1):.6g} "
          f"fwhm {fwhm(lsf) * d:.6g} peak snr {snr:.4g}")
