# The 1-D noise power spectrum of DICOM slices as a physicist scripts it with pydicom + numpy, by
# the method of `ctiq-cli nps` with its defaults: the central 256 x 256 ROI (or the whole of a
# smaller image), strips of 16 lines every 8 lines averaged into profiles along x (profile mean
# removed), segments of a quarter of the ROI width every half segment (mean removed, Hamming
# window scaled by g = (N - 1) / sum(w)), power |X|^2 * d * (16 d) / N * g^2 averaged over all
# segments; the spread of the powers over the segments, the peak and mean frequency and the
# integral, and the ROI's mean and SD. Prints the spectrum table per file (per frame of a
# multi-frame file).
#   Usage: python3 nps_numpy.py FILE...   (Debian: python3-pydicom, python3-numpy)
import sys

import numpy as np
import pydicom
from numpy.lib.stride_tricks import sliding_window_view

LINES, STRIP_STEP = 16, 8


def frames():
    for path in sys.argv[1:]:
        ds = pydicom.dcmread(path)
        values = ds.pixel_array.astype(np.float64) * float(ds.get("RescaleSlope", 1)) + float(
            ds.get("RescaleIntercept", 0))
        for image in values if values.ndim == 3 else values[None]:
            yield path, image, float(ds.PixelSpacing[0])


for path, image, d in frames():
    rows, cols = image.shape
    w, h = min(cols, 256), min(rows, 256)
    left, top = cols // 2 - w // 2, rows // 2 - h // 2
    roi = image[top:top + h, left:left + w]
    n = w // 4
    step = n // 2
    strips = sliding_window_view(roi, (LINES, w))[::STRIP_STEP, 0]  # strips x lines x w
    profiles = strips.mean(axis=1)
    profiles -= profiles.mean(axis=1, keepdims=True)
    segments = sliding_window_view(profiles, n, axis=1)[:, ::step].reshape(-1, n)
    segments = segments - segments.mean(axis=1, keepdims=True)
    window = np.hamming(n)
    g = (n - 1) / window.sum()
    power = np.abs(np.fft.fft(segments * window, axis=1)) ** 2 * d * (LINES * d) / n * g * g
    spectrum = power.mean(axis=0)
    se = power.std(axis=0, ddof=1) / np.sqrt(len(power))
    f = np.arange(n) / (n * d)
    bins = spectrum[1:n // 2 + 1]
    peak = f[1 + np.argmax(bins)]
    s = np.concatenate(([bins[0]], bins))  # S(0) taken as the first bin's value
    mean_frequency = np.trapz(f[:n // 2 + 1] * s, dx=f[1]) / np.trapz(s, dx=f[1])
    integral = bins.sum() * f[1]
    print(f"c/mm\t{path}")
    for k in range(1, n // 2 + 1):
        print(f"{f[k]:.15g}\t{spectrum[k]:.15g}")
    print(f"# peak {peak:.6g} mean {mean_frequency:.6g} integral {integral:.6g} "
          f"roi mean {roi.mean():.6g} sd {roi.std():.6g} se1 {se[1]:.3g}")
