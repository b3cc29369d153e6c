# ROI statistics of DICOM slices as a physicist scripts them with pydicom + numpy: the modality
# values (slope × stored + intercept), the central 256 × 256 block, mean and population SD, one
# line per file (per frame of a multi-frame file).
#   Usage: python3 stats_pydicom.py FILE...   (Debian: python3-pydicom, -numpy)
import sys

import numpy as np
import pydicom

for path in sys.argv[1:]:
    ds = pydicom.dcmread(path)
    values = ds.pixel_array.astype(np.float64) * float(ds.get("RescaleSlope", 1)) + float(
        ds.get("RescaleIntercept", 0))
    for frame in values if values.ndim == 3 else values[None]:
        r, c = frame.shape[0] // 2, frame.shape[1] // 2
        roi = frame[r - 128:r + 128, c - 128:c + 128]
        print(path, roi.mean(), roi.std())
