#!/usr/bin/env python3
"""Fails when a source file includes a header of a layer it must not stand on.

The compiler already refuses a header of a library the target does not link (each library
publishes only its own headers, cmake/targets.cmake); this check states the layers themselves,
so a link added across them does not open the way. The build runs it (target ctiq_layers):

  common ← image ← load ← the pure cores of viewer, mtf, wiener ← their windows ← cli, app;
  common ← tasks (the task-based metrics, plain C++) ← cli, app

Only the DICOM toolkit's helper (load/toolkit/) includes GDCM. The viewer window knows neither
analysis window: its hand-offs are signals the application wires (app/window_wiring.cpp).

  python3 tools/layers/check_layers.py SOURCE_DIR
"""
import os
import re
import sys

ALLOWED = {
    "common": {"common"},
    "image": {"common", "image"},
    "load": {"common", "image", "load"},
    "mtf": {"common", "image", "mtf"},
    "wiener": {"common", "image", "wiener"},
    "tasks": {"common", "tasks"},
    "viewer": {"common", "image", "load", "viewer"},
    "cli": {"common", "image", "load", "viewer", "mtf", "wiener", "tasks", "cli"},
    "app": {"common", "image", "load", "viewer", "mtf", "wiener", "tasks", "app"},
}
# The window files (Qt Widgets), by their path; the pure files of other folders never include
# them.
WINDOW_FILE = re.compile(
    r"^(viewer/(unit1|image_view|title_picture)|mtf/(unit2|pixel_grid|tick_box)|wiener/unit3)")
INCLUDE = re.compile(r'^\s*#\s*include\s+[<"]([^">]+)[">]')


def main():
    root = sys.argv[1]
    problems = []
    for layer, allowed in ALLOWED.items():
        for folder, _, files in os.walk(os.path.join(root, layer)):
            for name in files:
                if not name.endswith((".cpp", ".h", ".inc")):
                    continue
                path = os.path.join(folder, name)
                rel = os.path.relpath(path, root)
                in_helper = rel.startswith("load/toolkit/")
                for number, line in enumerate(open(path, encoding="utf-8"), 1):
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    header = m.group(1)
                    top = header.split("/")[0]
                    where = f"{rel}:{number}: includes {header}"
                    if header.startswith("gdcm") and not in_helper:
                        problems.append(where + " (only load/toolkit/ uses the DICOM toolkit)")
                    if header.startswith("load/toolkit/") and not in_helper:
                        problems.append(where + " (the helper's own code)")
                    if top in ALLOWED and top not in allowed:
                        problems.append(where + f" ({layer} does not stand on {top})")
                    if (top in ALLOWED and top != layer and layer not in ("app",)
                            and WINDOW_FILE.match(header)):
                        problems.append(where + " (a window of another folder)")
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} include(s) across a layer")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
