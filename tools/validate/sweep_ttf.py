#!/usr/bin/python3
"""Known-answer sweep of ctiq-cli ttf: blurred disks made here, measured by the shipped CLI.

Each slice is a disk of radius R blurred by a radially symmetric kernel given by its MTF M(rho)
(cycles per pixel), sampled at the pixel centres: the blurred disk's profile is the Hankel
transform p(r) = 2 pi R * integral J1(2 pi R rho) J0(2 pi r rho) M(rho) d rho, so the truth of
every figure is M itself (TTF50 and TTF10 where M first falls to 0.5 and 0.1, found numerically
from the same M). White Gaussian noise of SD |contrast| / CNR is added per slice; the values are
rounded to 16-bit words and written as raw files whose names carry the geometry.

  sweep_ttf.py --cli PATH_TO_CTIQ_CLI [--quick] [--markdown OUT.md] [--jobs N]

A run is a silent failure of a figure when it misses the truth by more than the tolerance and
carries no flag (a refused run counts as flagged: the user was told). Exit status 1 when any
cell has a silent failure.
"""
import argparse
import concurrent.futures as cf
import json
import math
import os
import subprocess
import sys
import tempfile
import time
import zlib

import numpy as np
from scipy import special

SIZE = 256
SPACING = 0.5  # mm
MAGNITUDE = 1000.0  # HU: |contrast|, large against the 16-bit rounding
TOL = {"ttf50": 0.03, "ttf10": 0.05, "curve": 0.02, "centre": 0.1, "radius": 0.02}


# ---- blurs: MTF as a function of cycles per pixel ----

def gaussian(s):
    return lambda f: np.exp(-2 * np.pi ** 2 * s * s * f * f)


def exponential(b):
    # PSF exp(-r/b): 2-D transform (1 + (2 pi b f)^2)^-3/2, tapered far beyond Nyquist so the
    # Hankel integral ends; the truth is the tapered function itself.
    return lambda f: (1 + (2 * np.pi * b * f) ** 2) ** -1.5 * np.exp(-((f / 1.5) ** 4))


def cone(cutoff):
    return lambda f: np.clip(1 - np.asarray(f) / cutoff, 0, None)


def overshoot(gain, s1, s2):
    return lambda f: (1 + gain) * gaussian(s1)(f) - gain * gaussian(s2)(f)


BLURS = {
    "gauss0.6": (gaussian(0.6), 1.8),
    "gauss1.2": (gaussian(1.2), 0.9),
    "gauss2": (gaussian(2.0), 0.6),
    "gauss3": (gaussian(3.0), 0.4),
    "exp0.8": (exponential(0.8), 3.0),
    "cone0.8mm": (cone(0.8 * SPACING), 0.8 * SPACING),  # MTF zero at 0.8 c/mm
    "overshoot0.3": (overshoot(0.3, 0.9, 2.0), 1.2),
    "overshoot0.6": (overshoot(0.6, 0.8, 2.5), 1.3),
}


def truth_crossing(mtf, level):
    f = np.arange(0, 0.5 + 1e-9, 1e-5)
    m = mtf(f)
    below = np.nonzero(m <= level)[0]
    if len(below) == 0:
        return float("nan")
    j = below[0]
    t = (m[j - 1] - level) / (m[j - 1] - m[j])
    return (f[j - 1] + t * (f[j] - f[j - 1])) / SPACING


_profiles = {}


def profile(blur, radius):
    """The blurred disk's values on r = 0, 0.01, ... px (linear interpolation between)."""
    key = (blur, radius)
    if key in _profiles:
        return _profiles[key]
    mtf, fmax = BLURS[blur]
    rmax = radius + 80
    dr = 0.01
    r = np.arange(0, rmax + dr, dr)
    # Simpson's rule in rho, about 16 points per period of J1(2 pi R rho) J0(2 pi r rho).
    n = int(math.ceil(fmax * 16 * (2 * radius + 80) / 2)) * 2
    rho = np.linspace(0, fmax, n + 1)
    w = np.ones(n + 1)
    w[1:-1:2], w[2:-1:2] = 4, 2
    w *= (fmax / n) / 3
    a = 2 * np.pi * radius * special.j1(2 * np.pi * radius * rho) * mtf(rho) * w
    p = np.empty_like(r)
    for k in range(0, len(r), 256):
        rr = r[k:k + 256, None]
        p[k:k + 256] = special.j0(2 * np.pi * rr * rho[None, :]) @ a
    _profiles[key] = (r, p)
    return r, p


# ---- cells ----

def cell(blur="gauss1.2", radius_mm=7.5, cnr=30.0, sign=1, slices=1):
    return {"blur": blur, "radius_mm": radius_mm, "cnr": cnr, "sign": sign, "slices": slices}


def cells_full():
    out = []
    for b in BLURS:  # every shape, noiseless and at CNR 30
        out += [cell(blur=b, cnr=math.inf), cell(blur=b, cnr=30)]
    for r in (2, 3, 5, 10, 20):  # insert size
        out += [cell(radius_mm=r, cnr=math.inf), cell(radius_mm=r, cnr=30)]
    out += [cell(blur="cone0.8mm", radius_mm=3, cnr=math.inf),
            cell(blur="gauss0.6", radius_mm=2, cnr=math.inf),
            cell(blur="gauss3", radius_mm=20, cnr=30)]
    for c in (3, 5, 10, 15, 20, 50, 100):  # contrast-to-noise, one slice
        out.append(cell(cnr=c))
    out += [cell(sign=-1, cnr=30), cell(sign=-1, cnr=15), cell(sign=-1, cnr=math.inf)]
    out += [cell(cnr=10, slices=3), cell(cnr=30, slices=3), cell(cnr=5, slices=10),
            cell(cnr=10, slices=10), cell(blur="cone0.8mm", cnr=15, slices=3),
            cell(blur="exp0.8", cnr=10, slices=10)]
    return out


def cells_quick():
    return [cell(cnr=math.inf), cell(cnr=30), cell(cnr=15), cell(cnr=10, slices=3),
            cell(blur="cone0.8mm", cnr=math.inf), cell(radius_mm=3, cnr=math.inf),
            cell(blur="exp0.8", cnr=30), cell(blur="overshoot0.3", cnr=math.inf),
            cell(sign=-1, cnr=30), cell(cnr=3)]


def cell_name(c):
    cnr = "∞" if math.isinf(c["cnr"]) else f"{c['cnr']:g}"
    sign = "−" if c["sign"] < 0 else "+"
    return f"{c['blur']}, R {c['radius_mm']:g} mm, {sign}C, CNR {cnr}, {c['slices']} sl"


# ---- one run ----

def run_one(args):
    cli, c, seed, workdir = args
    rng = np.random.default_rng([seed, zlib.crc32(cell_name(c).encode())])
    radius = c["radius_mm"] / SPACING
    r, p = profile(c["blur"], radius)
    cx, cy = SIZE / 2 + rng.uniform(-0.5, 0.5), SIZE / 2 + rng.uniform(-0.5, 0.5)
    yy, xx = np.mgrid[0:SIZE, 0:SIZE]
    d = np.hypot(xx - cx, yy - cy)
    contrast = c["sign"] * MAGNITUDE
    background = 0.0 if contrast > 0 else MAGNITUDE
    clean = background + contrast * np.interp(d, r, p)
    sd = 0.0 if math.isinf(c["cnr"]) else MAGNITUDE / c["cnr"]
    files = []
    with tempfile.TemporaryDirectory(dir=workdir) as tmp:
        for k in range(c["slices"]):
            v = clean + (sd * rng.standard_normal(clean.shape) if sd > 0 else 0)
            words = np.clip(np.rint(v), -32768, 32767).astype("<i2")
            name = os.path.join(tmp, f"s{k} {SIZE} {SIZE} {str(SPACING).replace('.', 'p')}.raw")
            words.tofile(name)
            files.append(name)
        guess = (round(cx), round(cy), round(radius))
        cmd = [cli, "ttf", "--mode", "16bit", "--format", "json", "--centre",
               f"{guess[0]},{guess[1]}", "--radius", str(guess[2])] + files
        pr = subprocess.run(cmd, capture_output=True, text=True)
    out = {"cell": cell_name(c), "seed": seed, "cx": cx, "cy": cy}
    if pr.returncode != 0:
        out["refused"] = pr.stderr.strip()
        return out
    j = json.loads(pr.stdout.strip().splitlines()[-1])
    s, res = j["summary"], j["results"]
    out.update({"ttf50": s.get("ttf50"), "ttf10": s.get("ttf10"), "fcx": s["centreX"],
                "fcy": s["centreY"], "radius": s["radius"],
                "flags": [f["code"] for f in s.get("flags", [])],
                "conditioning": s.get("conditioning"), "misfit": s.get("misfit"),
                "tail": s.get("tailShare"), "inside": s.get("insideShare"),
                "se": [s.get("ttf50Se"), s.get("ttf10Se"), s.get("curveSe")],
                "frequency": res["frequency"], "ttf": res["ttf"]})
    return out


# ---- errors and tables ----

def errors(c, run):
    """Per figure: the error (relative for TTF50, TTF10, radius; absolute otherwise)."""
    mtf = BLURS[c["blur"]][0]
    if "refused" in run:
        return None
    t50, t10 = truth_crossing(mtf, 0.5), truth_crossing(mtf, 0.1)

    def rel(v, t):
        finite = v is not None and math.isfinite(v)
        if not math.isfinite(t):  # beyond Nyquist: right when ctiq finds no crossing either
            return 0.0 if not finite else math.inf
        if not finite:
            return math.inf
        return (v - t) / t
    f = np.asarray(run["frequency"]) * SPACING
    curve = float(np.max(np.abs(np.asarray(run["ttf"]) - mtf(f))))
    radius = c["radius_mm"] / SPACING
    return {"ttf50": rel(run["ttf50"], t50), "ttf10": rel(run["ttf10"], t10), "curve": curve,
            "centre": math.hypot(run["fcx"] - run["cx"], run["fcy"] - run["cy"]),
            "radius": (run["radius"] - radius) / radius}


FIGURES = [("ttf50", "TTF50", "%", 100), ("ttf10", "TTF10", "%", 100),
           ("curve", "max |ΔTTF| (0 … Nyquist)", "", 1), ("centre", "Centre", "px", 1),
           ("radius", "Radius", "%", 100)]


def summarize(cells, runs):
    rows = {}
    for c in cells:
        name = cell_name(c)
        mine = [r for r in runs if r["cell"] == name]
        per = {}
        for key, *_ in FIGURES:
            errs, silent, flagged = [], 0, 0
            for run in mine:
                e = errors(c, run)
                is_flagged = e is None or bool(run.get("flags"))
                flagged += is_flagged
                if e is None:
                    continue
                v = abs(e[key])
                errs.append(v)
                if not v <= TOL[key] and not is_flagged:
                    silent += 1
            a = np.array(errs) if errs else np.array([math.nan])
            finite = a[np.isfinite(a)]
            per[key] = {
                "median": float(np.median(a)) if len(a) else math.nan,
                "p95": float(np.percentile(a, 95)) if len(a) else math.nan,
                "silent": silent / max(1, len(mine)), "flagged": flagged / max(1, len(mine)),
                "n": len(mine), "finite": len(finite)}
        rows[name] = per
    return rows


def markdown(cells, rows, seconds, seeds, quick):
    lines = []
    total = sum(rows[cell_name(c)][k]["silent"] > 0 for c in cells for k, *_ in FIGURES)
    lines.append(f"{'Quick subset' if quick else 'Full sweep'}: {len(cells)} cells × {seeds} "
                 f"seeds, {seconds:.0f} s; cells with silent failures: {total}.")
    lines.append("")
    lines.append("Tolerances: TTF50 3 %, TTF10 5 %, curve 0.02, centre 0.1 px, radius 2 %. "
                 "\"flagged\" is the share of runs with a flag or refused.")
    for key, title, unit, scale in FIGURES:
        lines += ["", f"**{title}**", "",
                  f"| cell | median error{(' (' + unit + ')') if unit else ''} | 95th pct | "
                  "silent | flagged |", "|---|---|---|---|---|"]
        for c in cells:
            m = rows[cell_name(c)][key]
            fmt = (lambda v: "∞" if math.isinf(v) else ("n/a" if math.isnan(v) else
                                                        f"{v * scale:.3g}"))
            lines.append(f"| {cell_name(c)} | {fmt(m['median'])} | {fmt(m['p95'])} | "
                         f"{m['silent'] * 100:.0f} % | {m['flagged'] * 100:.0f} % |")
    return "\n".join(lines) + "\n"


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--cli", required=True)
    ap.add_argument("--quick", action="store_true")
    ap.add_argument("--markdown")
    ap.add_argument("--jobs", type=int, default=os.cpu_count() or 1)
    ap.add_argument("--seeds", type=int, help="seeds per cell (default 50, quick 8)")
    ap.add_argument("--only", help="run only the cells whose name contains this text")
    ap.add_argument("--dump", help="write every run as JSON lines here")
    a = ap.parse_args()
    cells = cells_quick() if a.quick else cells_full()
    if a.only:
        cells = [c for c in cells if a.only in cell_name(c)]
    seeds = a.seeds or (8 if a.quick else 50)
    start = time.time()
    work = [(os.path.abspath(a.cli), c, s, None) for c in cells for s in range(seeds)]
    with cf.ProcessPoolExecutor(max_workers=max(1, a.jobs)) as pool:
        runs = list(pool.map(run_one, work, chunksize=4))
    seconds = time.time() - start
    rows = summarize(cells, runs)
    text = markdown(cells, rows, seconds, seeds, a.quick)
    if a.dump:
        with open(a.dump, "w") as f:
            for run in runs:
                e = errors(next(c for c in cells if cell_name(c) == run["cell"]), run)
                f.write(json.dumps(dict({k: v for k, v in run.items()
                                         if k not in ("frequency", "ttf")}, errors=e)) + "\n")
    if a.markdown:
        with open(a.markdown, "w") as f:
            f.write(text)
    else:
        sys.stdout.write(text)
    bad = any(rows[cell_name(c)][k]["silent"] > 0 for c in cells for k, *_ in FIGURES)
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
