# Writes N realistic uncompressed CT slices as scanners export them: implicit VR little endian
# (or explicit VR with --explicit), 512 × 512 (or --size), signed 16-bit samples with rescale
# intercept -1024, and the ordinary sequences of such files (Referenced Image, Request
# Attributes, Procedure Code, a private sequence of defined length), so that a reader must walk
# sequences to reach the pixels. --point puts a bead (a Gaussian spot of 3000 HU, sigma 1.2 px) a
# little off the centre instead of the water disk, for the MTF. --frames writes the N slices as
# the frames of one file, OUTDIR/frames.dcm (Number of Frames N).
#   Usage: python3 make_ct_slices.py OUTDIR N [--size S] [--explicit] [--point] [--frames]
import argparse
import os

import numpy as np
from pydicom.dataset import Dataset, FileMetaDataset
from pydicom.sequence import Sequence
from pydicom.uid import ExplicitVRLittleEndian, ImplicitVRLittleEndian

CT_IMAGE = "1.2.840.10008.5.1.4.1.1.2"


def item(**values):
    ds = Dataset()
    for key, value in values.items():
        setattr(ds, key, value)
    return ds


def slice_dataset(k, size, explicit, point, rng):
    meta = FileMetaDataset()
    meta.MediaStorageSOPClassUID = CT_IMAGE
    meta.MediaStorageSOPInstanceUID = f"1.2.826.0.1.3680043.9.7433.1.{k + 1}"
    meta.TransferSyntaxUID = ExplicitVRLittleEndian if explicit else ImplicitVRLittleEndian
    ds = Dataset()
    ds.file_meta = meta
    ds.SpecificCharacterSet = "ISO_IR 100"
    ds.ImageType = ["ORIGINAL", "PRIMARY", "AXIAL"]
    ds.SOPClassUID = CT_IMAGE
    ds.SOPInstanceUID = meta.MediaStorageSOPInstanceUID
    ds.Modality = "CT"
    ds.Manufacturer = "ACME"
    ds.StationName = "CT01"
    ds.ProcedureCodeSequence = Sequence([item(CodeValue="CTHEAD", CodingSchemeDesignator="L",
                                              CodeMeaning="CT HEAD")])
    ds.ReferencedImageSequence = Sequence([
        item(ReferencedSOPClassUID=CT_IMAGE, ReferencedSOPInstanceUID=f"1.2.3.4.{j}")
        for j in range(3)])
    ds.PatientName = "Phantom^Water"
    ds.PatientID = "QA"
    ds.KVP = "120"
    ds.SliceThickness = "2.5"
    ds.ConvolutionKernel = "STANDARD"
    ds.StudyInstanceUID = "1.2.826.0.1.3680043.9.7433.2"
    ds.SeriesInstanceUID = "1.2.826.0.1.3680043.9.7433.3"
    ds.InstanceNumber = str(k + 1)
    ds.ImagePositionPatient = ["-250", "-250", str(-2.5 * k)]
    ds.ImageOrientationPatient = ["1", "0", "0", "0", "1", "0"]
    ds.SamplesPerPixel = 1
    ds.PhotometricInterpretation = "MONOCHROME2"
    ds.Rows = ds.Columns = size
    ds.PixelSpacing = ["0.976562", "0.976562"]
    ds.BitsAllocated = 16
    ds.BitsStored = 16
    ds.HighBit = 15
    ds.PixelRepresentation = 1
    ds.RescaleIntercept = "-1024"
    ds.RescaleSlope = "1"
    ds.WindowCenter = "40"
    ds.WindowWidth = "400"
    ds.add_new(0x00431029, "OB", bytes(64))
    ds.RequestAttributesSequence = Sequence([item(RequestedProcedureID="RP1",
                                                  ScheduledProcedureStepID="SP1")])
    yy, xx = np.mgrid[0:size, 0:size]
    if point:  # a bead in air-free water: 1024 stored (0 HU) plus the spot
        r2 = (xx - size / 2 - 0.3) ** 2 + (yy - size / 2 + 0.2) ** 2
        phantom = 1024 + 3000 * np.exp(-r2 / (2 * 1.2 ** 2))
    else:
        phantom = ((xx - size / 2) ** 2 + (yy - size / 2) ** 2 < (0.4 * size) ** 2) * 1024
    noise = rng.normal(0, 12, (size, size))
    ds.PixelData = np.round(phantom + noise).astype("<i2").tobytes()
    return ds


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("outdir")
    parser.add_argument("count", type=int)
    parser.add_argument("--size", type=int, default=512)
    parser.add_argument("--explicit", action="store_true")
    parser.add_argument("--point", action="store_true")
    parser.add_argument("--frames", action="store_true")
    args = parser.parse_args()
    os.makedirs(args.outdir, exist_ok=True)
    rng = np.random.default_rng(7433)
    slices = (slice_dataset(k, args.size, args.explicit, args.point, rng) for k in range(args.count))
    if args.frames:
        first = next(slices)
        first.PixelData = first.PixelData + b"".join(ds.PixelData for ds in slices)
        first.NumberOfFrames = args.count
        first.save_as(os.path.join(args.outdir, "frames.dcm"), write_like_original=False)
        return
    for k, ds in enumerate(slices):
        ds.save_as(os.path.join(args.outdir, f"slice{k + 1:03d}.dcm"), write_like_original=False)


main()
