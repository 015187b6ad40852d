#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The kel-board-demos authors
# SPDX-License-Identifier: MIT
"""tools/plot-sensor-log against a short readings log: a PNG and an SVG of
the expected size, made by the system's Python even when another python3
comes first on PATH, and one clear line for a file that is not a log; a
day-long log and one of 100,000 rows, as the simulated monitor wobbles, with
excursions: their picture measured (red crosses inside the axes where the
log marks readings, a line rather than a filled block).
Exits 77 (skipped) only when the system's Python has no matplotlib."""
import argparse
import datetime
import json
import os
import struct
import subprocess
import sys
import tempfile

SYSTEM_PYTHON = "/usr/bin/python3"
WIDTH, HEIGHT = 1200, 1000  # pixels of a PNG
SVG_SIZE = 'width="864pt" height="720pt"'  # the same 12 x 10 inches

LOG = (
    "time,temperature_C,vccint_V,vccaux_V,vrefp_V,vrefn_V,out_of_tolerance,failed_reads\n"
    + "".join(f"2026-03-01T23:59:{second:02d}.250+01:00,{40 + second / 10:.3f},"
              f"{1.08 if second in (5, 6) else 1.002:.3f},,{1.249:.3f},0.001,"
              f"{'vccint' if second in (5, 6) else ''},\n" for second in range(30))
    # past midnight, and a row whose temperature read failed
    + "2026-03-02T00:00:00.250+01:00,,1.002,,1.249,0.001,,temperature:0xC0000120\n"
)
# A log begun before failed_reads was logged, as older runs wrote it.
EARLIER_LOG = ("time,temperature_C,vccint_V,vccaux_V,vrefp_V,vrefn_V,out_of_tolerance\n"
               "2026-03-01T23:59:00.250+01:00,40.000,1.002,,1.249,0.001,\n")

# The simulated monitor's wobble, repeated every eight reads.
WOBBLE = (0, 1, 2, 1, 0, -1, -2, -1)


def long_log(rows, start, excursions):
    """A log at one row a second with the header of a later demo_sensors (a
    column the tool does not know), an empty temperature now and then (a
    failed read), and VCCint 8 % high for each (first row, count)."""
    moment = datetime.datetime.fromisoformat(start)
    lines = ["time,temperature_C,vccint_V,vccaux_V,vrefp_V,vrefn_V,out_of_tolerance,"
             "failed_reads"]
    for row in range(rows):
        step = WOBBLE[row % 8]
        high = any(first <= row < first + count for first, count in excursions)
        temperature = "" if row % 1000 == 999 else "%.3f" % (41.5 + 0.25 * step)
        lines.append("%s,%s,%.3f,%.3f,%.3f,%.3f,%s,%d" % (
            (moment + datetime.timedelta(seconds=row)).isoformat(timespec="milliseconds"),
            temperature, 1.082 if high else 1.002 + 0.001 * step, 1.797 + 0.001 * step,
            1.249 + 0.001 * step, 0.001 + 0.001 * step, "vccint" if high else "",
            row % 1000 == 999))
    return "\n".join(lines) + "\n"


# Measures a picture with the system's Python (matplotlib reads it): the
# panels' frames from their black edges, the pixels of exactly tab:red
# inside each panel, and per panel the median share of a column's height
# that the curve's blue inks.
MEASURE = r"""
import json, sys
import matplotlib.image
import numpy
image = (matplotlib.image.imread(sys.argv[1])[:, :, :3] * 255).round().astype(int)
black = (image < 30).all(axis=2)
columns = numpy.flatnonzero(black.sum(axis=0) > 0.6 * black.sum(axis=0).max())
left, right = int(columns.min()), int(columns.max())
rows = numpy.flatnonzero(black[:, left:right + 1].sum(axis=1) > 0.9 * (right - left))
edges = [int(r) for i, r in enumerate(rows) if i == 0 or r != rows[i - 1] + 1]
red = (image == (214, 39, 40)).all(axis=2)
blue = (numpy.abs(image - (31, 119, 180)).sum(axis=2) < 60)
panels = []
for top, bottom in zip(edges[0::2], edges[1::2]):
    inside = slice(top + 2, bottom - 1)
    ys, xs = numpy.nonzero(red[inside, left + 2:right - 1])
    ink = blue[inside, left + 2:right - 1].sum(axis=0) / (bottom - top)
    panels.append({"red_x": sorted(set((xs + left + 2).tolist())),
                   "ink": float(numpy.median(ink))})
print(json.dumps({"left": left, "right": right, "panels": panels}))
"""

failures = []
passes = []


def check(condition, what):
    (passes if condition else failures).append(what)
    if not condition:
        print("FAIL:", what)


def png_size(path):
    with open(path, "rb") as handle:
        head = handle.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", head[16:24])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", required=True)
    tool = os.path.abspath(parser.parse_args().tool)
    if subprocess.run([SYSTEM_PYTHON, "-c", "import matplotlib"],
                      capture_output=True).returncode != 0:
        print(f"SKIPPED: {SYSTEM_PYTHON} has no matplotlib (Debian: python3-matplotlib, "
              "which .ci/install-missing build installs)")
        return 77
    with tempfile.TemporaryDirectory(prefix="kel-plot-") as work:
        # A python3 first on PATH that cannot draw: the tool must not use it.
        decoy = os.path.join(work, "bin")
        os.mkdir(decoy)
        with open(os.path.join(decoy, "python3"), "w") as handle:
            handle.write("#!/bin/sh\necho 'not the system Python' >&2\nexit 3\n")
        os.chmod(os.path.join(decoy, "python3"), 0o755)
        environment = dict(os.environ, PATH=decoy + os.pathsep + os.environ.get("PATH", ""),
                           MPLCONFIGDIR=os.path.join(work, "mpl"))

        def plot(*arguments):
            return subprocess.run([tool, *arguments], cwd=work, env=environment,
                                  capture_output=True, text=True, timeout=300)

        with open(os.path.join(work, "short.csv"), "w") as handle:
            handle.write(LOG)
        run = plot("short.csv", "-o", "short.png")
        check(run.returncode == 0 and run.stderr == "",
              f"PNG: status {run.returncode}, standard error {run.stderr!r}")
        check(png_size(os.path.join(work, "short.png")) == (WIDTH, HEIGHT),
              f"a {WIDTH} x {HEIGHT} PNG, not {png_size(os.path.join(work, 'short.png'))}")
        with open(os.path.join(work, "earlier.csv"), "w") as handle:
            handle.write(EARLIER_LOG)
        run = plot("earlier.csv", "-o", "earlier.png")
        check(run.returncode == 0, f"a log of the earlier columns: status {run.returncode}, "
              f"{run.stderr!r}")
        run = plot("short.csv", "-o", "short.svg")
        check(run.returncode == 0, f"SVG: status {run.returncode}, {run.stderr!r}")
        svg = open(os.path.join(work, "short.svg"), encoding="utf-8").read(2000) \
            if os.path.exists(os.path.join(work, "short.svg")) else ""
        check("<svg" in svg and SVG_SIZE in svg, "an SVG of 12 x 10 inches")

        # Days of readings: each excursion's crosses in VCCint's panel where
        # its time is, the curves a line, not a block of ink.
        for name, rows, start, excursions in (
                ("day", 86400, "2026-03-01T00:00:00.250+01:00", ((21600, 30), (64800, 5))),
                ("rows100k", 100000, "2026-03-01T12:00:00.250+01:00", ((30000, 30), (75000, 1)))):
            with open(os.path.join(work, name + ".csv"), "w") as handle:
                handle.write(long_log(rows, start, excursions))
            run = plot(name + ".csv", "-o", name + ".png")
            check(run.returncode == 0, f"{name}: status {run.returncode}, {run.stderr!r}")
            measured = subprocess.run([SYSTEM_PYTHON, "-c", MEASURE, name + ".png"], cwd=work,
                                      env=environment, capture_output=True, text=True)
            check(measured.returncode == 0, f"{name}: measured {measured.stderr!r}")
            if measured.returncode != 0:
                continue
            picture = json.loads(measured.stdout)
            panels, width = picture["panels"], picture["right"] - picture["left"]
            check(len(panels) == 5, f"{name}: five panels, not {len(panels)}")
            if len(panels) != 5:
                continue
            print(f"{name}: ink per column {[round(p['ink'], 3) for p in panels]}, "
                  f"red columns in VCCint {len(panels[1]['red_x'])}")
            for first, count in excursions:
                where = picture["left"] + first / (rows - 1) * width
                check(any(abs(x - where) <= 8 for x in panels[1]["red_x"]),
                      f"{name}: red crosses at the excursion of row {first} (x {where:.0f})")
            check(all(not panel["red_x"] for index, panel in enumerate(panels) if index != 1),
                  f"{name}: red only in VCCint's panel")
            check(all(panel["ink"] < 0.35 for panel in panels),
                  f"{name}: the curves are lines, ink per column "
                  f"{[round(p['ink'], 3) for p in panels]}")

        # Not a log: one line naming the file and why, status 1, no picture.
        with open(os.path.join(work, "demo_sensors.ini"), "w") as handle:
            handle.write("[Option]\nIsMon=1\n")
        with open(os.path.join(work, "bad_row.csv"), "w") as handle:
            handle.write(LOG + "yesterday,1,2,3,4,5,,\n")
        for name, reason in (("demo_sensors.ini", "does not start with the header row"),
                             ("missing.csv", "cannot be read"),
                             ("bad_row.csv", "line 33: 'yesterday' is not a time")):
            run = plot(name, "-o", "refused.png")
            lines = run.stderr.splitlines()
            check(run.returncode == 1 and len(lines) == 1 and
                  lines[0].startswith(f"plot-sensor-log: {name} is not a demo_sensors "
                                      "readings log: ") and reason in lines[0],
                  f"{name} refused in one line: status {run.returncode}, {run.stderr!r}")
            check(not os.path.exists(os.path.join(work, "refused.png")),
                  f"no picture from {name}")
    print(f"{len(passes)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
