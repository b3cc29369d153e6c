#!/usr/bin/python3
"""Every frame of every file of the differential corpus through `ctiq-cli stats`, against
pydicom's modality values over the same ROI.

    check_differential_corpus.py CTIQ_CLI CORPUS_DIR [--generate GENERATOR]

The oracle: pydicom reads the file; uncompressed, deflated and RLE pixels are decoded by pydicom
itself, JPEG and JPEG-LS are first decompressed by DCMTK (dcmdjpeg, dcmdjpls), JPEG 2000 frame
by frame by OpenJPEG (opj_decompress) and HTJ2K by OpenJPH (ojph_expand), since pydicom has no
decoder of its own for them and its optional plugins differ from machine to machine. The
modality values are pydicom's apply_modality_lut, except for files with functional groups:
pydicom 2.3 applies the top-level rescale only, so the slope and intercept (and the pixel
spacing) are taken here from the frame's Pixel Value Transformation and Pixel Measures, per-frame
before shared. Bits above Bits Stored are masked off (and the sign extended from High Bit),
which pydicom 2.3 leaves undone. Where the generator knows the exact values (lossless files) the
oracle must match them first, or the check stops: a wrong oracle would make every verdict
meaningless. With --generate the corpus is written into CORPUS_DIR first.

The ROI is off-centre and of even size; --roi CX,CY,W,H covers columns CX − W/2 .. CX + W/2 − 1
and rows CY − H/2 .. CY + H/2 − 1 (the placement ctiq-cli reports, checked against pydicom on
tests/data/dicom/CT_small.dcm), and the reported placement must be that one.

Verdicts per file × frame:
  equal    exit 0, same rows, columns, pixel spacing and ROI, and mean and SD within 1e-6
           relative; where the slope is not 1 ctiq may round the rescaled values to whole units,
           so there |Δmean| ≤ 0.5 and |ΔSD| ≤ 0.5 are equal too;
  refused  non-zero exit with a message on stderr;
  wrong    exit 0 and a different number;
  broken   a crash, a sanitizer report, or a non-zero exit without a message.
Frame 1 is measured without --frame (as a user would), frame N > 1 with --frame N; until ctiq-cli
has --frame those are usage errors and count as refused. Three more checks, run only on some
files to keep the time down: the frame after the last (marked *) must be refused, an exit 0 there
is wrong (listed only when not refused); `--frames all` must give a multi-frame file's frames in
order with the numbers --frame N gave (refused counts where the build has no --frames) — both on
the first file of each transfer syntax, frame count (one or more) and source of the values;
`ctiq-cli header` must show pydicom's Rows, Columns and Patient's Name (decoded by its character
set) in the first file of each transfer syntax and in the files written for their names. Exits 1
if any is wrong or broken, 77 if pydicom, numpy, or a DCMTK, OpenJPEG or OpenJPH tool is missing.
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile

try:
    import numpy as np
    import pydicom
    from pydicom.encaps import generate_pixel_data_frame
    from pydicom.pixel_data_handlers.util import apply_modality_lut
    from pydicom.uid import ExplicitVRBigEndian, ExplicitVRLittleEndian, ImplicitVRLittleEndian
except ImportError as e:
    print(f"skipped: {e}")
    sys.exit(77)

DECOMPRESSORS = {
    "1.2.840.10008.1.2.4.50": "dcmdjpeg", "1.2.840.10008.1.2.4.51": "dcmdjpeg",
    "1.2.840.10008.1.2.4.57": "dcmdjpeg", "1.2.840.10008.1.2.4.70": "dcmdjpeg",
    "1.2.840.10008.1.2.4.80": "dcmdjpls", "1.2.840.10008.1.2.4.81": "dcmdjpls",
}
# Decoded frame by frame by OpenJPEG's opj_decompress, and HTJ2K by OpenJPH's ojph_expand.
J2K_SYNTAXES = {"1.2.840.10008.1.2.4.90", "1.2.840.10008.1.2.4.91"}
HTJ2K_SYNTAXES = {"1.2.840.10008.1.2.4.201", "1.2.840.10008.1.2.4.202",
                  "1.2.840.10008.1.2.4.203"}
# Decoded by pydicom's own numpy handlers.
PYDICOM_SYNTAXES = {"1.2.840.10008.1.2", "1.2.840.10008.1.2.1", "1.2.840.10008.1.2.2",
                    "1.2.840.10008.1.2.1.99", "1.2.840.10008.1.2.5"}


def frame_group(ds, frame, sequence):
    """The frame's item of a functional group, per-frame before shared, or None."""
    for groups, index in (("PerFrameFunctionalGroupsSequence", frame),
                          ("SharedFunctionalGroupsSequence", 0)):
        items = ds.get(groups)
        if items is not None and len(items) > index and sequence in items[index]:
            return items[index][sequence][0]
    return None


def stored_values(ds, pixels):
    """The words' Bits Stored bits, sign-extended if signed: pydicom 2.3 keeps whatever the
    writer left above them."""
    if ds.BitsStored == ds.BitsAllocated:
        return pixels
    if ds.HighBit != ds.BitsStored - 1:
        raise SystemExit(f"oracle: High Bit {ds.HighBit} with Bits Stored {ds.BitsStored}")
    values = pixels.astype(np.int64) & ((1 << ds.BitsStored) - 1)
    if ds.PixelRepresentation == 1:
        values = np.where(values >> (ds.BitsStored - 1), values - (1 << ds.BitsStored), values)
    return values


def j2k_frames(ds, path, scratch, ht):
    """Each frame's codestream decoded to raw little-endian words by opj_decompress, or for
    HTJ2K by ojph_expand (not by OpenJPEG, which ctiq's helper uses for it)."""
    count = int(ds.get("NumberOfFrames", 1) or 1)
    dtype = ("<i" if ds.PixelRepresentation else "<u") + str(ds.BitsAllocated // 8)
    frames = []
    for f, stream in enumerate(generate_pixel_data_frame(ds.PixelData, count)):
        j2k, raw = (os.path.join(scratch, f"{os.path.basename(path)}.{f}.{e}")
                    for e in ("j2c", "yuv" if ht else "rawl"))
        with open(j2k, "wb") as out:
            out.write(stream)
        tool = "ojph_expand" if ht else "opj_decompress"
        subprocess.run([tool, "-i", j2k, "-o", raw], check=True, capture_output=True)
        frames.append(np.fromfile(raw, dtype))
    return np.stack(frames)


def oracle(path, scratch):
    """(pixel source, transfer syntax, rows, columns,
    [(values, (row, column) spacing, slope)] for each frame, [(header name, tag, text)])."""
    ds = pydicom.dcmread(path, force=True)
    if "TransferSyntaxUID" not in ds.file_meta:  # no meta: pydicom found the encoding itself
        ds.file_meta.TransferSyntaxUID = ImplicitVRLittleEndian if ds.is_implicit_VR else \
            ExplicitVRLittleEndian if ds.is_little_endian else ExplicitVRBigEndian
    syntax = str(ds.file_meta.TransferSyntaxUID)
    if syntax in PYDICOM_SYNTAXES:
        pixels, source = ds.pixel_array, "pydicom"
    elif syntax in J2K_SYNTAXES:
        pixels, source = j2k_frames(ds, path, scratch, False), "opj_decompress"
    elif syntax in HTJ2K_SYNTAXES:
        pixels, source = j2k_frames(ds, path, scratch, True), "ojph_expand"
    elif syntax in DECOMPRESSORS:
        tool = DECOMPRESSORS[syntax]
        plain = os.path.join(scratch, os.path.basename(path))
        subprocess.run([tool, path, plain], check=True, capture_output=True)
        pixels, source = pydicom.dcmread(plain).pixel_array, tool
    else:
        raise SystemExit(f"{path}: no oracle decoder for transfer syntax {syntax}")
    frames = int(ds.get("NumberOfFrames", 1) or 1)
    pixels = stored_values(ds, pixels).reshape(frames, ds.Rows, ds.Columns)
    result = []
    for f in range(frames):
        transformation = frame_group(ds, f, "PixelValueTransformationSequence")
        measures = frame_group(ds, f, "PixelMeasuresSequence")
        if transformation is not None:
            slope = float(transformation.RescaleSlope)
            values = pixels[f] * slope + float(transformation.RescaleIntercept)
        else:
            slope = float(ds.get("RescaleSlope", 1))
            values = apply_modality_lut(pixels[f], ds)
        spacing = (measures if measures is not None else ds).get("PixelSpacing")
        result.append((np.asarray(values, dtype=np.float64),
                       tuple(float(s) for s in spacing) if spacing else None, slope))
    names = [("Rows", ("0028", "0010"), str(ds.Rows)),
             ("Columns", ("0028", "0011"), str(ds.Columns))]
    if "PatientName" in ds:
        names.append(("Patient's Name", ("0010", "0010"), str(ds.PatientName)))
    return source, syntax, ds.Rows, ds.Columns, result, names


def header_check(cli, path, ds_names):
    """`ctiq-cli header`'s Rows, Columns and Patient's Name (top level) against pydicom's:
    (verdict, why)."""
    run = subprocess.run([cli, "header", path], capture_output=True, timeout=60)
    if run.returncode != 0:
        return "refused", run.stderr.decode("utf-8", "replace").strip()[:120]
    shown = {}
    for line in run.stdout.decode("utf-8", "replace").splitlines()[1:]:
        cells = line.split("\t")
        if len(cells) >= 7:
            shown.setdefault((cells[1], cells[2]), cells[6])
    why = [f"{name} {shown.get(tag)!r} not {want!r}" for name, tag, want in ds_names
           if shown.get(tag) != want]
    return ("wrong" if why else "equal"), "; ".join(why)


def all_frames_check(cli, path, roi, single):
    """`--frames all` against the frames measured one at a time (single: frame → (mean, SD) of
    those that read): one result a frame, in order, with the same numbers. (verdict, why)."""
    run = subprocess.run([cli, "stats", "--format", "json", "--frames", "all", "--roi",
                          ",".join(map(str, roi)), path], capture_output=True, text=True,
                         timeout=60)
    if run.returncode != 0:
        return "refused", run.stderr.strip().splitlines()[0] if run.stderr.strip() else "no message"
    try:
        lines = [json.loads(line) for line in run.stdout.splitlines()]
        got = [(line["parameters"]["frame"], line["results"]["mean"], line["results"]["sd"])
               for line in lines]
    except (KeyError, TypeError, ValueError) as e:
        return "wrong", f"no stats results: {e!r}"
    want = [(frame, *single.get(frame, (None, None))) for frame in range(1, len(got) + 1)]
    if len(got) != len(single) or got != want:
        return "wrong", f"{got} not {want}"
    return "equal", ""


def roi_of(rows, columns):
    """An off-centre ROI of even size (centre, size) and the block it covers (left, top)."""
    width, height = columns // 4 * 2, rows // 4 * 2
    cx, cy = columns // 2 - 6, rows // 2 + 4
    return (cx, cy, width, height), (cx - width // 2, cy - height // 2)


def close(a, b, slack):
    return abs(a - b) <= max(1e-6 * max(abs(a), abs(b)), slack)


def measure(cli, path, frame, roi):
    command = [cli, "stats", "--format", "json", "--roi", ",".join(map(str, roi))]
    if frame > 1:
        command += ["--frame", str(frame)]
    return subprocess.run(command + [path], capture_output=True, text=True, timeout=60)


def verdict(run, rows, columns, frame, count, values, spacing, slope, roi, corner):
    """(verdict, ctiq's figures, the oracle's figures, why)."""
    cx, cy, width, height = roi
    left, top = corner
    block = values[top:top + height, left:left + width]
    want = f"{block.mean():.4f} / {block.std():.4f}"
    stderr = run.stderr.strip()
    if run.returncode < 0 or "Sanitizer" in stderr or "runtime error" in stderr:
        return "broken", f"exit {run.returncode}", want, stderr.splitlines()[-1:] or ""
    if run.returncode != 0:
        if not stderr:
            return "broken", f"exit {run.returncode}", want, "no message"
        return "refused", f"exit {run.returncode}", want, stderr.splitlines()[0]
    try:
        line = json.loads(run.stdout.splitlines()[0])
        p, r = line["parameters"], line["results"]
        mean, sd = float(r["mean"]), float(r["sd"])
    except (IndexError, KeyError, TypeError, ValueError) as e:
        return "broken", "exit 0", want, f"no stats result: {e!r}"
    got = f"{mean:.4f} / {sd:.4f}"
    why = []
    if (p["rows"], p["columns"]) != (rows, columns):
        why.append(f"size {p['columns']}x{p['rows']} not {columns}x{rows}")
    # Builds before --frame do not report the frame; where they do, it must be this one.
    if (p.get("frame", frame), p.get("frames", count)) != (frame, count):
        why.append(f"frame {p.get('frame')} of {p.get('frames')} not {frame} of {count}")
    placed = p["roi"]
    if (placed["left"], placed["top"], placed["width"], placed["height"]) != \
            (left, top, width, height):
        why.append(f"ROI {placed} not left {left} top {top}")
    if spacing is not None:
        try:
            shown = float(p["pixelSpacing"])
        except ValueError:
            shown = None
        if shown is None or not any(close(shown, s, 0) for s in spacing[:1]):
            why.append(f"spacing {p['pixelSpacing']!r} not {spacing[0]:g}")
    slack = 0.5 if slope != 1 else 0
    if not close(mean, block.mean(), slack):
        why.append(f"Δmean {mean - block.mean():+.4f}")
    if not close(sd, block.std(), slack):
        why.append(f"ΔSD {sd - block.std():+.4f}")
    return ("wrong" if why else "equal"), got, want, "; ".join(why)


def main():
    args = sys.argv[1:]
    generator = None
    if "--generate" in args:
        at = args.index("--generate")
        generator = args[at + 1]
        del args[at:at + 2]
    if len(args) != 2:
        sys.exit("usage: check_differential_corpus.py CTIQ_CLI CORPUS_DIR [--generate GENERATOR]")
    cli, corpus = args
    missing = [t for t in ("dcmconv", "dcmcjpeg", "dcmcjpls", "dcmcrle", "dcmdjpeg", "dcmdjpls",
                           "opj_compress", "opj_decompress", "ojph_compress", "ojph_expand")
               if shutil.which(t) is None]
    if missing:
        print(f"skipped: {', '.join(missing)} missing (tools/deps/packages.sh: dcmtk, "
              f"libopenjp2-tools, openjph-tools)")
        sys.exit(77)
    if generator:
        subprocess.run([sys.executable, generator, corpus], check=True)
    with open(os.path.join(corpus, "manifest.json"), encoding="utf-8") as f:
        entries = json.load(f)["files"]
    counts = {"equal": 0, "refused": 0, "wrong": 0, "broken": 0}
    past = dict(counts)
    syntaxes = set()
    headers = {"equal": 0, "refused": 0, "wrong": 0}
    together = dict(headers)
    failures = []
    print(f"{'file':48} {'frame':>5}  {'verdict':8} {'ctiq mean / SD':>22}  "
          f"{'oracle mean / SD':>22}  (pixels) why")
    with tempfile.TemporaryDirectory() as scratch:
        for entry in entries:
            path = os.path.join(corpus, entry["file"])
            source, syntax, rows, columns, frames, names = oracle(path, scratch)
            # The checks beyond the frames' numbers run once per transfer syntax (the header),
            # or per syntax, frame count and source of the values, to keep the time down.
            kind = (syntax, len(frames) > 1, entry["values"])
            first_of_syntax, first_of_kind = syntax not in syntaxes, kind not in syntaxes
            syntaxes.update([syntax, kind])
            if len(frames) != entry["frames"]:
                sys.exit(f"oracle: {entry['file']} has {len(frames)} frames, "
                         f"the manifest says {entry['frames']}")
            if entry["truth"]:
                truth = np.load(os.path.join(corpus, entry["truth"]))
                for f, (values, _, _) in enumerate(frames):
                    if not np.array_equal(values, truth[f]):
                        sys.exit(f"oracle: {entry['file']} frame {f + 1} differs from the "
                                 f"generator's values by up to "
                                 f"{np.abs(values - truth[f]).max()}")
            roi, corner = roi_of(rows, columns)
            single = {}
            for f, (values, spacing, slope) in enumerate(frames):
                run = measure(cli, path, f + 1, roi)
                v, got, want, why = verdict(run, rows, columns, f + 1, len(frames), values,
                                            spacing, slope, roi, corner)
                counts[v] += 1
                if run.returncode == 0 and v in ("equal", "wrong"):
                    result = json.loads(run.stdout.splitlines()[0])["results"]
                    single[f + 1] = (result["mean"], result["sd"])
                if v != "equal" and entry["note"]:  # what the generator knows of the file
                    why += f" [{entry['note']}]"
                print(f"{entry['file']:48} {f + 1:5}  {v:8} {got:>22}  {want:>22}  "
                      f"({source}) {why}")
                if v in ("wrong", "broken"):
                    failures.append(f"{entry['file']} frame {f + 1}")
            # The header texts, and those of the names in other character sets.
            if first_of_syntax or entry["names"]:
                v, why = header_check(cli, path, names)
                headers[v] += 1
                if v != "equal":
                    print(f"{entry['file']:48} {'header':>5}  {v:8} {why}")
                if v == "wrong":
                    failures.append(f"{entry['file']} header")
            # Every frame at once gives what each frame gave alone.
            if len(frames) > 1 and first_of_kind:
                v, why = all_frames_check(cli, path, roi, single)
                together[v] += 1
                if v != "equal":
                    print(f"{entry['file']:48} {'all':>5}  {v:8} {why}")
                if v == "wrong":
                    failures.append(f"{entry['file']} --frames all")
            # A frame past the last must be refused, not read from whatever follows.
            if not first_of_kind:
                continue
            beyond = len(frames) + 1
            run = measure(cli, path, beyond, roi)
            v, got, _, why = verdict(run, rows, columns, beyond, len(frames), frames[-1][0],
                                     None, 1, roi, corner)
            v = "wrong" if v == "equal" else v
            past[v] += 1
            if v != "refused":  # the refusals only counted, to keep the table short
                print(f"{entry['file']:48} {beyond:4}*  {v:8} {got:>22}  {'refused':>22}  {why}")
            if v in ("wrong", "broken"):
                failures.append(f"{entry['file']} frame {beyond} past the last")
    print(f"* past the last frame: refused {past['refused']}, wrong {past['wrong']}"
          f"{', broken ' + str(past['broken']) if past['broken'] else ''} of {sum(past.values())}")
    print(f"--frames all as the frames one by one: equal {together['equal']}, refused "
          f"{together['refused']}, wrong {together['wrong']} of {sum(together.values())} files")
    print(f"header Rows, Columns, Patient's Name: equal {headers['equal']}, refused "
          f"{headers['refused']}, wrong {headers['wrong']} of {sum(headers.values())} files")
    total = sum(counts.values())
    broken = f", broken {counts['broken']}" if counts["broken"] else ""
    print(f"equal {counts['equal']}, refused {counts['refused']}, wrong {counts['wrong']}{broken} "
          f"of {total} file×frames")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
