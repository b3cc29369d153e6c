#!/usr/bin/python3
"""Known-answer sweep of ctiq-cli mtf's summary figures (one image and combined).

Each phantom is a point blurred by a PSF whose 2-D transform is known in closed form, made on a
periodic grid by inverse FFT (so the sampled image's transform is the analytic MTF up to
Nyquist, and the truth is that MTF), plus a known noise texture. ctiq-cli measures it as a user
would; the figures are compared with the truth.

  sweep_mtf.py --cli BUILD/cli/ctiq-cli [--quick] --markdown PART.md --jobs 2

Exits 1 when any cell has a silent failure (off by more than the tolerance and no flag).
"""
import argparse
import concurrent.futures
import json
import math
import os
import pathlib
import subprocess
import sys
import tempfile
import zlib

import numpy as np

SIZE = 128          # image side, samples
SPACING = 0.5       # mm
BACKGROUND = 1000.0
TOL = {"mtf50": 0.03, "mtf10": 0.05, "fwhm": 0.05}
SE_RATIO = (0.8, 1.25)


# --- blur shapes: the MTF as a function of radial frequency (cycles/sample) -------------------

def mtf_of(shape, size):
    if shape == "gauss":
        return lambda r: np.exp(-2 * math.pi ** 2 * size ** 2 * r ** 2)
    if shape == "exp":  # PSF exp(-r/a): its 2-D transform
        return lambda r: (1 + (2 * math.pi * size * r) ** 2) ** -1.5
    if shape == "cone":  # falls linearly to zero at `size` cycles/sample
        return lambda r: np.clip(1 - r / size, 0, None)
    if shape == "overshoot":  # a Gaussian with an edge-enhancing lift at mid frequencies
        return lambda r: np.exp(-2 * math.pi ** 2 * size ** 2 * r ** 2) * (
            1 + 0.8 * (1 - np.exp(-2 * math.pi ** 2 * (2 * size) ** 2 * r ** 2)))
    raise ValueError(shape)


def truth(shape, size):
    """MTF50, MTF10 (c/mm; None beyond Nyquist) and the LSF's FWHM (mm) of the band-limited PSF."""
    f = np.linspace(0, 0.5, 200001)
    t = mtf_of(shape, size)(f)

    def crossing(level):
        below = np.nonzero(t <= level)[0]
        if len(below) == 0:
            return None
        i = below[0]
        return (f[i - 1] + (t[i - 1] - level) / (t[i - 1] - t[i]) * (f[i] - f[i - 1])) / SPACING

    # The LSF is the inverse transform of the MTF along one axis, limited to |f| <= 1/2.
    x = np.linspace(-12 * max(size, 1), 12 * max(size, 1), 24001) if shape != "cone" else \
        np.linspace(-12 / size, 12 / size, 24001)
    fc = np.linspace(0, 0.5, 4001)
    tc = mtf_of(shape, size)(fc)
    w = np.full(len(fc), fc[1] - fc[0])
    w[0] = w[-1] = w[0] / 2
    lsf = (np.cos(2 * math.pi * np.outer(x, fc)) * (tc * w)).sum(axis=1)
    half = lsf.max() / 2
    above = np.nonzero(lsf >= half)[0]
    i, j = above[0], above[-1]
    left = x[i - 1] + (half - lsf[i - 1]) / (lsf[i] - lsf[i - 1]) * (x[i] - x[i - 1])
    right = x[j] + (lsf[j] - half) / (lsf[j] - lsf[j + 1]) * (x[j + 1] - x[j])
    return {"mtf50": crossing(0.5), "mtf10": crossing(0.1), "fwhm": (right - left) * SPACING}


# --- noise textures ---------------------------------------------------------------------------

def radial_freq(n):
    fx = np.fft.fftfreq(n)
    return np.hypot(*np.meshgrid(fx, fx))


def noise_image(texture, sd, rng):
    white = rng.standard_normal((SIZE, SIZE))
    if texture == "white":
        n = white
    elif texture == "ramp":  # filtered back-projection noise: NPS ~ f·apodisation
        r = radial_freq(SIZE)
        n = np.real(np.fft.ifft2(np.fft.fft2(white) * np.sqrt(r) * np.exp(-(r / 0.35) ** 2)))
    elif texture == "lowpass":  # (1/4, 1/2, 1/4) along rows and columns
        k = np.array([0.25, 0.5, 0.25])
        n = white
        for axis in (0, 1):
            n = sum(w * np.roll(n, s, axis=axis) for w, s in zip(k, (-1, 0, 1)))
    elif texture == "shading":  # white noise on a smooth cupped background
        n = white
    else:
        raise ValueError(texture)
    n = n / n.std() * sd
    if texture == "shading":
        y, x = np.mgrid[0:SIZE, 0:SIZE] / SIZE - 0.5
        n = n + 6 * sd * (x + 0.5 * y) + 8 * sd * (x * x + y * y)
    return n


def phantom(shape, size, dx, dy, texture, cnr, rng):
    r = radial_freq(SIZE)
    fx = np.fft.fftfreq(SIZE)
    c = SIZE // 2
    fy_, fx_ = np.meshgrid(fx, fx, indexing="ij")
    ramp = np.exp(-2j * math.pi * (fy_ * (c + dy) + fx_ * (c + dx)))
    psf = np.real(np.fft.ifft2(mtf_of(shape, size)(r) * ramp))
    amplitude = 4000.0 / psf.max()
    img = BACKGROUND + amplitude * psf
    if texture != "none":
        img = img + noise_image(texture, amplitude * psf.max() / cnr, rng)
    return np.clip(np.rint(img), -32768, 32767).astype("<i2")


# --- the grid ---------------------------------------------------------------------------------

def base(**kw):
    cell = dict(shape="gauss", size=1.2, texture="none", cnr=0, roi=64, lines=24, slices=1)
    cell.update(kw)
    return cell


def grid(quick):
    cells = []
    shapes = [("gauss", s) for s in (0.6, 0.85, 1.2, 2.0, 3.0)] + [
        ("exp", 0.5), ("exp", 1.0), ("cone", 0.25), ("cone", 0.4), ("overshoot", 1.2)]
    for shape, size in shapes:  # noiseless, random sub-pixel position
        for slices in (1, 4):
            cells.append(base(shape=shape, size=size, slices=slices))
    for texture in ("white", "ramp", "lowpass", "shading"):
        for cnr in (20, 100):
            for slices in (1, 4, 10):
                cells.append(base(texture=texture, cnr=cnr, slices=slices))
    cells.append(base(texture="white", cnr=5, slices=1))
    for roi in (32, 64, 96):
        for lines in (8, 24, 48):
            if lines < roi:
                cells.append(base(size=2.0, texture="white", cnr=50, roi=roi, lines=lines,
                                  slices=4))
    if quick:
        keep = [base(shape="gauss", size=0.85, slices=4), base(shape="gauss", size=2.0),
                base(shape="exp", size=1.0), base(texture="white", cnr=20),
                base(texture="ramp", cnr=100, slices=4), base(texture="shading", cnr=100),
                base(size=2.0, texture="white", cnr=50, roi=32, lines=8, slices=4)]
        cells = [c for c in cells if c in keep]
    return cells


def cell_name(c):
    blur = f"{c['shape']} {c['size']:g}"
    noise = "noiseless" if c["texture"] == "none" else f"{c['texture']} CNR {c['cnr']}"
    return f"{blur}, {noise}, ROI {c['roi']}, {c['lines']} lines, {c['slices']} slice" + \
        ("s" if c["slices"] > 1 else "")


# --- running ctiq-cli -------------------------------------------------------------------------

def run_cli(cli, files, cell):
    c = SIZE // 2
    args = [cli, "mtf", "--mode", "16bit", "--format", "json", "--roi",
            f"{c},{c},{cell['roi']},{cell['roi']}", "--lines", str(cell["lines"])] + files
    p = subprocess.run(args, capture_output=True, text=True)
    rows = []
    for line in p.stdout.splitlines():
        if line.startswith("{"):
            rows.append(json.loads(line))
    return rows, p.returncode, p.stderr


def measure_seed(task):
    cli, cell, seed, workdir = task
    rng = np.random.default_rng([seed, zlib.crc32(cell_name(cell).encode())])
    files = []
    for s in range(cell["slices"]):
        dx, dy = rng.uniform(-0.5, 0.5, 2)
        img = phantom(cell["shape"], cell["size"], dx, dy, cell["texture"], cell["cnr"], rng)
        path = os.path.join(workdir, f"s{seed}x{s} {SIZE} {SIZE} 0p5.raw")
        img.tofile(path)
        files.append(path)
    rows, rc, err = run_cli(cli, files, cell)
    for f in files:
        os.remove(f)
    single = [r for r in rows if r.get("command") == "mtf"]
    combined = [r for r in rows if r.get("command") == "mtf-combined"]
    if rc != 0 or len(single) != cell["slices"]:
        return {"error": err.strip().splitlines()[-1] if err.strip() else f"exit {rc}"}
    out = {"single": [r["summary"] for r in single]}
    if combined:
        out["combined"] = combined[0]["summary"]
    return out


def rel_error(value, true):
    if true is None:
        return 0.0 if value is None else math.inf
    if value is None:
        return math.inf
    return (value - true) / true


def evaluate(cell, results):
    """Per figure: errors, flags; and the SE ratio of one image's MTF50."""
    t = truth(cell["shape"], cell["size"])
    combined = cell["slices"] > 1
    figures = {}
    errors = [r for r in results if "error" in r]
    runs = [r for r in results if "error" not in r]
    for fig in ("mtf50", "mtf10", "fwhm"):
        errs, silent = [], 0
        for r in runs:
            s = r["combined"] if combined else r["single"][0]
            e = rel_error(s.get(fig), t[fig])
            errs.append(abs(e))
            if abs(e) > TOL[fig] and not s.get("flags"):
                silent += 1
        figures[fig] = (errs, silent)
    se = None
    if cell["texture"] != "none" and not combined and len(runs) >= 5:
        values = [r["single"][0]["mtf50"] for r in runs if r["single"][0]["mtf50"] is not None]
        ses = [r["single"][0]["mtf50StandardError"] for r in runs
               if r["single"][0].get("mtf50StandardError") is not None]
        all_flagged = all(r["single"][0].get("flags") for r in runs)
        flagged = sum(1 for r in runs if r["single"][0].get("flags"))
        if len(values) >= 5 and ses:
            ratio = float(np.std(values, ddof=1) / np.median(ses))
            se = (ratio, not all_flagged and not (SE_RATIO[0] <= ratio <= SE_RATIO[1]), flagged)
    return figures, se, len(runs), len(errors), [r["error"] for r in errors][:1]


def pct(x):
    return "∞" if not math.isfinite(x) else f"{100 * x:.2f}"


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--cli", required=True)
    ap.add_argument("--quick", action="store_true")
    ap.add_argument("--markdown", required=True)
    ap.add_argument("--jobs", type=int, default=2)
    ap.add_argument("--seeds", type=int, default=0)
    ap.add_argument("--only", default="", help="run only the cells whose name holds this text")
    a = ap.parse_args()
    seeds = a.seeds or (10 if a.quick else 50)
    cells = [c for c in grid(a.quick) if a.only in cell_name(c)]
    rows = {"mtf50": [], "mtf10": [], "fwhm": []}
    se_rows = []
    refusals = []
    any_silent = False
    with tempfile.TemporaryDirectory() as workdir, \
            concurrent.futures.ProcessPoolExecutor(a.jobs) as pool:
        for cell in cells:
            tasks = [(a.cli, cell, seed, workdir) for seed in range(seeds)]
            results = list(pool.map(measure_seed, tasks))
            figures, se, ok, failed, why = evaluate(cell, results)
            name = cell_name(cell)
            for fig, (errs, silent) in figures.items():
                rate = silent / ok if ok else 0.0
                any_silent |= silent > 0
                rows[fig].append(f"| {name} | {ok} | {pct(float(np.median(errs)) if errs else math.nan)}"
                                 f" | {pct(float(np.percentile(errs, 95)) if errs else math.nan)}"
                                 f" | {100 * rate:.0f} %{' ⚠' if silent else ''} |")
            if se is not None:
                any_silent |= se[1]
                se_rows.append(f"| {name} | {ok} | {se[0]:.2f} | {se[2]} | "
                               f"{'yes ⚠' if se[1] else 'no'} |")
            if failed:  # a refusal says why: not silent, but listed
                refusals.append(f"| {name} | {failed} of {seeds} | {why[0].split(': ', 1)[-1]} |")
            print(f"mtf: {name}: done", file=sys.stderr, flush=True)
    title = {"mtf50": "MTF50 (tolerance 3 %)", "mtf10": "MTF10 (tolerance 5 %)",
             "fwhm": "FWHM (tolerance 5 %)"}
    md = [f"{seeds} seeds per cell{' (quick subset)' if a.quick else ''}; a cell with several "
          "slices reports the combined figure, one slice the image's own. Errors in per cent of "
          "the truth; ⚠ marks a cell with silent failures.", ""]
    for fig in ("mtf50", "mtf10", "fwhm"):
        md += [f"### {title[fig]}", "", "| cell | runs | median |err| % | 95th pct % | silent |",
               "|---|---|---|---|---|"] + rows[fig] + [""]
    md += ["### MTF50 standard error of one image (SD over seeds / median reported SE, 0.8–1.25)",
           "", "A ratio outside the range is silent unless every run of the cell is flagged.", "",
           "| cell | runs | ratio | flagged runs | silent |", "|---|---|---|---|---|"] + \
        se_rows + [""]
    md += ["### Runs refused with a message", "", "| cell | refused | message |", "|---|---|---|"] + \
        (refusals or ["| none | | |"]) + [""]
    pathlib.Path(a.markdown).write_text("\n".join(md))
    return 1 if any_silent else 0


if __name__ == "__main__":
    sys.exit(main())
