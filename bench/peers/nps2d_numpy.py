# The 2-D noise power spectrum of DICOM slices as a physicist scripts it (the TG-233 recipe) with
# pydicom + numpy, with the defaults of `ctiq-cli nps2d`: square ROIs of 128 pixels on a grid of
# 64 inside the central 256 x 256 pixels, each minus its least-squares quadratic surface
# (1, x, y, x^2, xy, y^2), NPS = |FFT2|^2 dx dy / n^2 averaged over all ROIs of all slices (one
# ensemble); the radial average in rings rint(|f| n d) with the spread of the ROIs' own ring
# averages, the noise SD from the integral, the ROIs' SD after and before the detrend, peak and
# mean frequency at or below the Nyquist frequency. Prints the radial table.
#   Usage: python3 nps2d_numpy.py FILE...   (Debian: python3-pydicom, python3-numpy)
import sys

import numpy as np
import pydicom
from numpy.lib.stride_tricks import sliding_window_view

N, STEP = 128, 64

rois, spacing = [], None
for path in sys.argv[1:]:
    ds = pydicom.dcmread(path)
    image = ds.pixel_array.astype(np.float64) * float(ds.get("RescaleSlope", 1)) + float(
        ds.get("RescaleIntercept", 0))
    spacing = (float(ds.PixelSpacing[1]), float(ds.PixelSpacing[0]))  # dx (columns), dy (rows)
    rows, cols = image.shape
    w, h = min(cols, 256), min(rows, 256)
    left, top = cols // 2 - w // 2, rows // 2 - h // 2
    region = image[top:top + h, left:left + w]
    rois.append(sliding_window_view(region, (N, N))[::STEP, ::STEP].reshape(-1, N, N))
rois = np.concatenate(rois).reshape(-1, N * N)

y, x = np.mgrid[0:N, 0:N].astype(np.float64)
x, y = x.ravel() - (N - 1) / 2, y.ravel() - (N - 1) / 2
design = np.stack([np.ones_like(x), x, y, x * x, x * y, y * y], axis=1)
residual = rois - (rois @ np.linalg.pinv(design).T) @ design.T
raw_sd = rois.std(axis=1, ddof=1).mean()
mean_sd = np.sqrt((residual ** 2).sum(axis=1) / (N * N - 6)).mean()
means = rois.mean(axis=1)

dx, dy = spacing
d = max(dx, dy)
power = np.abs(np.fft.fft2(residual.reshape(-1, N, N))) ** 2 * dx * dy / (N * N)
nps = power.mean(axis=0)
fx, fy = np.fft.fftfreq(N, dx), np.fft.fftfreq(N, dy)
ring = np.rint(np.sqrt(fx[None, :] ** 2 + fy[:, None] ** 2) * N * d).astype(int).ravel()
count = np.bincount(ring)
per_roi = np.stack([np.bincount(ring, p.ravel(), len(count)) for p in power]) / np.maximum(count, 1)
radial = per_roi.mean(axis=0)
se = per_roi.std(axis=0, ddof=1) / np.sqrt(len(power)) if len(power) > 1 else radial * np.nan
f = np.arange(len(count)) / (N * d)
below = (f <= 1 / (2 * d)) & (count > 0)
peak = f[below][np.argmax(radial[below])]
mean_frequency = (f[below] * radial[below]).sum() / radial[below].sum()
sd_spectrum = np.sqrt(nps.sum() / (N * dx * N * dy))
print("c/mm\tNPS\tSE")
for k in range(len(count)):
    print(f"{f[k]:.15g}\t{radial[k]:.15g}\t{se[k]:.15g}")
print(f"# rois {len(power)} sd {sd_spectrum:.6g} roi sd {mean_sd:.6g} raw {raw_sd:.6g} "
      f"peak {peak:.6g} mean {mean_frequency:.6g} spread {np.ptp(means):.6g}")
