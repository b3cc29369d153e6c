#!/usr/bin/python3
"""Known-answer sweep of the noise figures: the 1-D spectrum (`nps`), the 2-D NPS (`nps2d`) and
d' (`dprime`), run through the shipped ctiq-cli on noise whose spectrum is known from the filter
that made it.

Usage: sweep_spectrum.py --cli PATH [--quick] [--markdown OUT.md] [--jobs N]

Every cell (texture x ROI size x image count) runs over many seeds. Per figure: the median and 95th
percentile of the relative error against the analytic truth, and the silent-failure rate: the share
of runs off by more than the figure's tolerance that carry no flag speaking to that figure (see
FLAG_FIGURES). Exit status 1 when any cell has
a silent failure.
"""

import argparse
import concurrent.futures
import json
import math
import os
import subprocess
import sys
import tempfile
import time

import numpy as np

SPACING = 0.5  # mm
SIZE = 256  # image side, pixels
MEAN = 1000.0  # HU
SD = 40.0  # HU of the white noise before the filter
QUANT = 1.0 / 12  # variance of rounding to whole HU: white, added to the truth

# Tolerances (relative): frequencies 3 %, SD 3 %, levels, integrals and d' 5 %; the SE ratio
# 0.8-1.25.
TOL = {"integral": 0.05, "peak": 0.03, "mean": 0.03, "level": 0.05, "sd": 0.03, "rawsd": 0.03,
       "npw": 0.05, "npwe": 0.05}
SE_RANGE = (0.8, 1.25)

# Flags that speak to some figures only (the others speak to every figure of their run): a run
# beyond the tolerance in a figure is flagged only by a flag that speaks to that figure.
FLAG_FIGURES = {"nps-peak-imprecise": {"peak"}, "nps-imprecise": {"integral", "mean", "se"}}


def speaks_to(code, figure):
    return figure in FLAG_FIGURES.get(code, {figure})


def flagged_for(runs, figure, key="flags"):
    return [any(speaks_to(c, figure) for c in r[key]) for r in runs]


# ---- textures: |H(fx, fy)|^2 with f in cycles per pixel (numpy.fft.fftfreq) ----

def ramp_1d(f):
    # A CT-like ramp rolled off by a Hann window at 0.45 cycles/pixel, with a small floor: peaks
    # well inside the band.
    a = np.abs(f)
    return (a / 0.2) ** 2 * np.where(a < 0.45, np.cos(np.pi * a / 0.9) ** 4, 0.0) + 0.02


def lowpass_1d(f):
    return np.cos(np.pi * f) ** 4  # (1/4, 1/2, 1/4)


TEXTURES_1D = {  # filter along the rows only: the 1-D spectrum along x is exactly |H(fx)|^2
    "white": lambda fx, fy: np.ones_like(fx + fy),
    "ramp": lambda fx, fy: ramp_1d(fx) + 0 * fy,
    "lowpass": lambda fx, fy: lowpass_1d(fx) + 0 * fy,
}


def ramp_2d(fx, fy):
    return ramp_1d(np.hypot(fx, fy))


def lowpass_2d(fx, fy):
    return np.cos(np.pi * fx) ** 4 * np.cos(np.pi * fy) ** 4


TEXTURES_2D = {"white": TEXTURES_1D["white"], "ramp": ramp_2d, "lowpass": lowpass_2d}

# Shadings, amplitudes in units of the noise's pixel SD: a cupping (a Gaussian bump over the
# image, not a polynomial, so that no detrend removes it whole, plus a ramp across it) and rings
# about the centre 96 px apart (as ring artefacts: small enough that the ROIs' means agree).
SHADINGS = {"none": ("none", 0.0), "cupping 2": ("cupping", 2.0), "cupping 8": ("cupping", 8.0),
            "rings 0.25": ("rings", 0.25), "rings 1": ("rings", 1.0)}


def make_image(texture, shading, seed):
    rng = np.random.default_rng(seed)
    white = rng.standard_normal((SIZE, SIZE)) * SD
    fy = np.fft.fftfreq(SIZE)[:, None]
    fx = np.fft.fftfreq(SIZE)[None, :]
    h2 = texture(fx, fy)
    noise = np.real(np.fft.ifft2(np.fft.fft2(white) * np.sqrt(h2)))
    pixel_sd = SD * math.sqrt(float(np.mean(h2)))
    kind, amplitude = SHADINGS[shading]
    a = amplitude * pixel_sd
    y, x = np.mgrid[0:SIZE, 0:SIZE] - (SIZE - 1) / 2
    if kind == "cupping":
        phase = rng.uniform(-0.2, 0.2, 2) * SIZE
        bump = np.exp(-((x - phase[0]) ** 2 + (y - phase[1]) ** 2) / (2 * (0.35 * SIZE) ** 2))
        noise = noise + a * (bump + 0.5 * x / SIZE)
    elif kind == "rings":
        noise = noise + a * np.cos(2 * np.pi * np.hypot(x, y) / 96)
    return np.clip(np.rint(noise + MEAN), -32768, 32767).astype("<i2")


def write_images(directory, texture, shading, seed, count):
    paths = []
    for i in range(count):
        path = os.path.join(directory, f"s{seed}_{i} {SIZE} {SIZE} 0p5.raw")
        make_image(texture, shading, seed * 100 + i).tofile(path)
        paths.append(path)
    return paths


def run_cli(cli, args):
    p = subprocess.run([cli] + args, capture_output=True, text=True)
    if p.returncode != 0:
        raise RuntimeError(f"{' '.join(args)}: {p.stderr.strip()}")
    return [json.loads(line) for line in p.stdout.splitlines() if line.startswith("{")]


# ---- truths ----

def continuous_figures(f, s):
    """Integral, peak and mean frequency of a spectrum sampled finely on 0 ... Nyquist (c/mm):
    the integrals the bin sums stand for."""
    df = f[1] - f[0]
    w = np.full(f.size, df)
    w[0] = w[-1] = df / 2  # trapezoid
    return {"integral": float(np.sum(w * s)), "peak": float(f[np.argmax(s)]),
            "mean": float(np.sum(w * f * s) / np.sum(w * s))}


def truth_1d(texture, segment):
    """The spectrum's peak and mean frequency over 0 ... Nyquist, and its integral as ctiq
    defines it: the sum over the bins 1 ... N/2 times the bin width (by Parseval the variance of
    the mean-removed segments, which lacks the half bin at zero frequency)."""
    f = np.linspace(0, 0.5, 4001)  # cycles/pixel
    s = (SD ** 2 * texture(f, 0 * f) + QUANT) * SPACING ** 2
    figures = continuous_figures(f / SPACING, s)
    fb = np.arange(1, segment // 2 + 1) / segment
    sb = (SD ** 2 * texture(fb, 0 * fb) + QUANT) * SPACING ** 2
    figures["integral"] = float(np.sum(sb) / (segment * SPACING))
    return figures


def grid_2d(texture, n):
    fy = np.fft.fftfreq(n)[:, None]
    fx = np.fft.fftfreq(n)[None, :]
    return (SD ** 2 * texture(fx, fy) + QUANT) * SPACING ** 2, np.hypot(fx, fy)


def truth_2d(texture, n):
    nps, f = grid_2d(texture, n)
    rings = np.rint(f * n).astype(int)
    radial = np.bincount(rings.ravel(), nps.ravel()) / np.bincount(rings.ravel())
    freq = np.arange(radial.size) / (n * SPACING)
    inband = freq <= 1 / (2 * SPACING)
    # The pixel SD of the noise: the whole spectrum's integral (SD^2 <|H|^2> + rounding).
    sd = math.sqrt(float(np.mean(nps)) / SPACING ** 2)
    # The radial profile's peak and mean frequency: the angular average on a fine polar grid.
    fr = np.linspace(0, 0.5, 1001)[:, None]
    phi = np.linspace(0, 2 * np.pi, 721)[None, :-1]
    profile = (SD ** 2 * texture(fr * np.cos(phi), fr * np.sin(phi)).mean(axis=1) + QUANT) \
        * SPACING ** 2
    figures = continuous_figures(fr[:, 0] / SPACING, profile)
    return {"radial": radial, "freq": freq, "sd": sd, "peak": figures["peak"],
            "mean": figures["mean"]}


TTF_SIGMA_MM = 0.6  # the Gaussian TTF dprime is given
TASK = (5.0, 10.0)  # disk diameter mm, contrast HU


def ttf_line():
    f = np.arange(0, 1.0 / SPACING, 0.002)
    t = np.exp(-2 * math.pi ** 2 * TTF_SIGMA_MM ** 2 * f ** 2)
    return json.dumps({"command": "ttf", "results": {"frequency": f.tolist(), "ttf": t.tolist()},
                       "parameters": {"pixelSpacingMm": SPACING}, "summary": {}})


def closed_dprime(texture, n):
    """d' NPW and NPWE on the n x n grid with the true NPS: the same sums dprime takes."""
    from scipy.special import j1
    nps, fpx = grid_2d(texture, n)
    f = fpx / SPACING
    r, c = TASK[0] / 2, TASK[1]
    x = 2 * math.pi * r * f
    with np.errstate(invalid="ignore", divide="ignore"):
        w = c * math.pi * r * r * np.where(x > 0, 2 * j1(x) / np.where(x > 0, x, 1), 1.0)
    t = np.exp(-2 * math.pi ** 2 * TTF_SIGMA_MM ** 2 * f ** 2)
    rho = f * 500 * math.pi / 180
    e = rho ** 1.3 * np.exp(-1.3 / 32 * rho ** 2)
    s2 = (w * t) ** 2
    df = 1 / (n * SPACING)
    npw = df * np.sum(s2) / math.sqrt(np.sum(s2 * nps))
    npwe = df * np.sum(s2 * e ** 2) / math.sqrt(np.sum(s2 * nps * e ** 4))
    return float(npw), float(npwe)


# ---- runs ----

def one_1d(cli, directory, texture_name, shading, roi, images, seed):
    texture = TEXTURES_1D[texture_name]
    paths = write_images(directory, texture, shading, seed, images)
    rows = run_cli(cli, ["nps", "--mode", "16bit", "--format", "json", "--hamming-scale", "power",
                         "--roi", f"128,128,{roi},{roi}"] + paths)
    for p in paths:
        os.remove(p)
    line = rows[-1]
    return {"summary": line["summary"], "segment": line["parameters"]["segment"],
            "spectrum": line["results"]["spectrum"],
            "se": line["results"]["standardError"],
            "flags": [f["code"] for f in line["summary"]["flags"]]}


def one_2d(cli, directory, texture_name, shading, roi, images, seed, ttf_path):
    texture = TEXTURES_2D[texture_name]
    paths = write_images(directory, texture, shading, seed, images)
    rows = run_cli(cli, ["nps2d", "--mode", "16bit", "--format", "json", "--full",
                         "--roi-size", str(roi)] + paths)
    for p in paths:
        os.remove(p)
    line = rows[-1]
    nps_path = os.path.join(directory, f"s{seed}.jsonl")
    with open(nps_path, "w") as f:
        f.write(json.dumps(line) + "\n")
    d = run_cli(cli, ["dprime", "--ttf", ttf_path, "--nps", nps_path, "--task",
                      f"disk:{TASK[0]:g}:{TASK[1]:g}", "--format", "json"])[-1]
    os.remove(nps_path)
    line["results"].pop("spectrum2d", None)
    # d' carries its own flags beside those of the spectrum it rests on.
    return {"summary": line["summary"], "radial": line["results"]["nps"],
            "flags": [f["code"] for f in line["summary"]["flags"]],
            "dprimeFlags": [f["code"] for f in d["summary"].get("flags", [])],
            "npw": d["summary"]["npw"], "npwe": d["summary"]["npwe"]}


def flag_shares(runs):
    codes = {}
    for r in runs:
        for c in set(r["flags"]):
            codes[c] = codes.get(c, 0) + 1
    return ", ".join(f"{c} {100 * k / len(runs):.0f} %" for c, k in sorted(codes.items())) or "–"


def stats(errors, flagged, tol):
    e = np.abs(np.asarray(errors))
    silent = np.mean((e > tol) & ~np.asarray(flagged)) if e.size else 0.0
    return {"median": float(np.median(e)), "p95": float(np.percentile(e, 95)),
            "silent": float(silent), "flagged": float(np.mean(flagged))}


def evaluate_1d(cell, runs):
    texture, shading, roi, images = cell
    seg = runs[0]["segment"]
    truth = truth_1d(TEXTURES_1D[texture], seg)
    out = {"flags": flag_shares(runs)}
    for key in ("integral", "mean") + (("peak",) if texture == "ramp" else ()):
        errs = [r["summary"][key + ("Frequency" if key != "integral" else "")] / truth[key] - 1
                for r in runs]
        out[key] = stats(errs, flagged_for(runs, key), TOL[key])
    flagged = flagged_for(runs, "se")
    # SE: the reported standard error against the scatter over the seeds, bin by bin (the median
    # ratio over the bins); a cell outside the range counts each unflagged run as silent.
    values = np.array([r["spectrum"] for r in runs])
    reported = np.array([r["se"] for r in runs]).mean(axis=0)
    ratio = float(np.median(reported / values.std(axis=0, ddof=1)))
    bad = not (SE_RANGE[0] <= ratio <= SE_RANGE[1])
    out["se"] = {"median": ratio, "p95": float("nan"),
                 "silent": float(np.mean([bad and not f for f in flagged])),
                 "flagged": float(np.mean(flagged))}
    return out


def evaluate_2d(cell, runs):
    texture, shading, roi, images = cell
    t = truth_2d(TEXTURES_2D[texture], roi)
    npw, npwe = closed_dprime(TEXTURES_2D[texture], roi)
    both = [{"flags": r["flags"] + r["dprimeFlags"]} for r in runs]
    freq = t["freq"]
    band = (freq >= 0.1 / (2 * SPACING)) & (freq <= 0.9 / (2 * SPACING))
    out = {"flags": flag_shares(both)}

    def add(key, errs, flags=None):
        out[key] = stats(errs, flagged_for(runs, key) if flags is None else flags, TOL[key])

    add("level", [np.mean(np.asarray(r["radial"])[band]) / np.mean(t["radial"][band]) - 1
                  for r in runs])
    add("sd", [r["summary"]["sdFromSpectrum"] / t["sd"] - 1 for r in runs])
    if "rawRoiSd" in runs[0]["summary"]:
        add("rawsd", [r["summary"]["rawRoiSd"] / t["sd"] - 1 for r in runs])
    if texture == "ramp":
        add("peak", [r["summary"]["peakFrequency"] / t["peak"] - 1 for r in runs])
    add("mean", [r["summary"]["meanFrequency"] / t["mean"] - 1 for r in runs])
    add("npw", [r["npw"] / npw - 1 for r in runs], flagged_for(both, "npw"))
    add("npwe", [r["npwe"] / npwe - 1 for r in runs], flagged_for(both, "npwe"))
    return out


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--cli", required=True)
    ap.add_argument("--quick", action="store_true")
    ap.add_argument("--markdown")
    ap.add_argument("--jobs", type=int, default=os.cpu_count() or 1)
    a = ap.parse_args()
    start = time.time()
    seeds = 8 if a.quick else 50
    shadings = ["none", "cupping 2", "rings 1"] if a.quick else list(SHADINGS)
    textures = list(TEXTURES_1D)
    rois_1d = [256] if a.quick else [128, 256]
    rois_2d = [64, 128]
    counts = [1] if a.quick else [1, 4]
    cells_1d = [(t, s, r, c) for t in textures for s in shadings for r in rois_1d for c in counts]
    cells_2d = [(t, s, r, c) for t in textures for s in shadings for r in rois_2d for c in counts]

    results = {}
    with tempfile.TemporaryDirectory(prefix="ctiq-sweep-spectrum-") as directory:
        ttf_path = os.path.join(directory, "ttf.jsonl")
        with open(ttf_path, "w") as f:
            f.write(ttf_line() + "\n")
        with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, a.jobs)) as pool:
            futures = {}
            for cell in cells_1d:
                sub = tempfile.mkdtemp(dir=directory)
                for seed in range(seeds):
                    futures[pool.submit(one_1d, a.cli, sub, *cell, 1000 + seed)] = ("1d", cell)
            for cell in cells_2d:
                sub = tempfile.mkdtemp(dir=directory)
                for seed in range(seeds):
                    futures[pool.submit(one_2d, a.cli, sub, *cell, 5000 + seed, ttf_path)] = \
                        ("2d", cell)
            for future, key in futures.items():
                results.setdefault(key, []).append(future.result())

    tables = {"1d": {}, "2d": {}}
    for (kind, cell), runs in results.items():
        tables[kind][cell] = (evaluate_1d if kind == "1d" else evaluate_2d)(cell, runs)
    elapsed = time.time() - start
    text = report(tables, seeds, elapsed, a.quick)
    print(text)
    if a.markdown:
        with open(a.markdown, "w") as f:
            f.write(text)
    silent = sum(v["silent"] for kind in tables.values() for cell in kind.values()
                 for k, v in cell.items() if k != "flags")
    return 1 if silent > 0 else 0


NAMES = {"integral": "integral", "peak": "f_peak", "mean": "f_mean", "se": "SE ratio",
         "level": "level", "sd": "SD (spectrum)", "rawsd": "raw ROI SD", "npw": "d' NPW",
         "npwe": "d' NPWE"}


def report(tables, seeds, elapsed, quick):
    lines = [f"Noise sweep ({'quick' if quick else 'full'}): {seeds} seeds per cell, "
             f"{elapsed:.0f} s. Errors relative to the analytic truth, % (median / 95th percentile); "
             f"silent: the share of runs beyond the tolerance without a flag speaking to the figure "
             f"(nps-peak-imprecise speaks to f_peak only, nps-imprecise to the integral, f_mean "
             f"and the SE; the others to every figure); flags: the share "
             f"of runs with each flag. SE ratio: reported SE over the scatter across seeds "
             f"(range {SE_RANGE[0]}-{SE_RANGE[1]}).", ""]
    for kind, title, cmd in (("1d", "1-D spectrum", "nps --hamming-scale power"),
                             ("2d", "2-D NPS and d'", "nps2d, dprime (Gaussian TTF 0.6 mm, "
                              "disk 5 mm 10 HU)")):
        cells = tables[kind]
        if not cells:
            continue
        figures = []
        for v in cells.values():
            figures += [k for k in v if k not in figures and k != "flags"]
        lines.append(f"### {title} (`ctiq-cli {cmd}`)")
        lines.append("")
        lines.append("| texture | shading | ROI | images | flags (share of runs) | " +
                     " | ".join(f"{NAMES[k]} (tol {TOL[k]*100:g} %)" if k in TOL else NAMES[k]
                                for k in figures) + " |")
        lines.append("|" + "---|" * (5 + len(figures)))
        for cell in sorted(cells):
            v = cells[cell]
            row = f"| {cell[0]} | {cell[1]} | {cell[2]} | {cell[3]} | {v['flags']} |"
            for k in figures:
                if k not in v:
                    row += " – |"
                elif k == "se":
                    row += f" {v[k]['median']:.2f} · silent {v[k]['silent']*100:.0f} % |"
                else:
                    s = v[k]
                    mark = " **" if s["silent"] > 0 else " "
                    row += (f"{mark}{s['median']*100:.1f} / {s['p95']*100:.1f} · silent "
                            f"{s['silent']*100:.0f} %{mark.strip()} |")
            lines.append(row)
        lines.append("")
    return "\n".join(lines) + "\n"


if __name__ == "__main__":
    sys.exit(main())
