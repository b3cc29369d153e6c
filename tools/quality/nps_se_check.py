#!/usr/bin/env python3
"""Checks the noise spectrum's reported standard error against the real scatter.

Makes IMAGES independent noise images with `ctiq-cli phantom` (white, and filtered by
(1/4, 1/2, 1/4) along the rows), measures each with `ctiq-cli nps --format json` and the default
parameters, and prints for the Rect and the Hamming window the median over the bins of
    (SD of a bin's value over the images) / (the median of its reported standard error).
An honest standard error gives 1 (0.9-1.1 for 300 images).

Usage: tools/quality/nps_se_check.py [--cli build/release/cli/ctiq-cli] [--images 300]
"""
import argparse
import json
import os
import statistics
import subprocess
import tempfile


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", default="build/release/cli/ctiq-cli")
    parser.add_argument("--images", type=int, default=300)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as folder:
        for noise, kernel in (("white", None), ("correlated", "0.25,0.5,0.25")):
            files = []
            for seed in range(1, args.images + 1):
                out = os.path.join(folder, f"{noise}{seed}")
                command = [args.cli, "phantom", "noise", "--seed", str(seed), "--sd", "20"]
                if kernel:
                    command += ["--kernel", kernel]
                files.append(subprocess.run(command + [out], check=True, capture_output=True,
                                            text=True).stdout.strip())
            for window in ("rect", "hamming"):
                lines = subprocess.run([args.cli, "nps", "--mode", "16bit", "--format", "json",
                                        "--window", window] + files, check=True,
                                       capture_output=True, text=True).stdout.splitlines()
                results = [json.loads(l)["results"] for l in lines if '"command":"nps"' in l]
                bins = len(results[0]["spectrum"])
                ratios, plain = [], []
                # SD / sqrt(segments), the error as if every segment were independent.
                shrink = (results[0]["effectiveSegments"] / results[0]["segments"]) ** 0.5
                for b in range(bins):
                    values = [r["spectrum"][b] for r in results]
                    reported = statistics.median(r["standardError"][b] for r in results)
                    ratios.append(statistics.stdev(values) / reported)
                    plain.append(statistics.stdev(values) / (reported * shrink))
                print(f"{noise:10s} {window:7s} images {len(results)}  scatter / reported SE: "
                      f"median {statistics.median(ratios):.3f}  range {min(ratios):.3f}-"
                      f"{max(ratios):.3f}  segments {results[0]['segments']} (independent "
                      f"{results[0]['effectiveSegments']:.1f}; SD/sqrt(segments) would give "
                      f"{statistics.median(plain):.3f})")


if __name__ == "__main__":
    main()
