#!/usr/bin/env python3
"""Convert a turbomachine map table (CSV, one grid node per row) into the project's map text format.

The CSV's first row names the columns; the rows are ordered alpha slowest, then speed, then the
coordinate fastest, which is the order of the map format's grid. The numbers are copied as written
(no reformatting), so the map file holds the source's digits.

Compressor CSV columns: alpha, N, R-line, W, PR, eff.  Turbine CSV columns: alpha, N, PR, W, eff.

The shipped maps were made with:
  scripts/csv_to_map.py compressor AXI5 --design 1.0 2.0 --extrapolate yes --surge 1.0 \
      --alpha 0 /work/shared/maps/AXI5_compressor_map.csv examples/maps/AXI5.map
  scripts/csv_to_map.py turbine LPT2269 --design 100 6.0 --extrapolate no \
      --alpha 1 /work/shared/maps/LPT2269_turbine_map.csv examples/maps/LPT2269.map
"""
import argparse
import csv
import sys


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("kind", choices=["compressor", "turbine"])
    ap.add_argument("name")
    ap.add_argument("--design", nargs=2, required=True, metavar=("N", "COORD"), help="the map's design node")
    ap.add_argument("--extrapolate", choices=["yes", "no"], default="no")
    ap.add_argument("--surge", help="R-line of the surge line (compressor)")
    ap.add_argument("--alpha", help="variable-geometry angle a lookup uses by default")
    ap.add_argument("--comment", action="append", default=[], help="a comment line for the file's top")
    ap.add_argument("csv")
    ap.add_argument("out")
    a = ap.parse_args()

    with open(a.csv, newline="") as f:
        rows = list(csv.reader(f))
    header, data = rows[0], [r for r in rows[1:] if r]
    ncols = 6 if a.kind == "compressor" else 5
    if len(header) != ncols:
        sys.exit(f"{a.csv}: expected {ncols} columns for a {a.kind} map, found {len(header)}")
    for i, r in enumerate(data, start=2):
        if len(r) != ncols:
            sys.exit(f"{a.csv}:{i}: expected {ncols} values, found {len(r)}")
        for v in r:
            float(v)  # refuse anything that is not a number here already

    out = [f"# {a.name} {a.kind} map, converted from {a.csv.split('/')[-1]} by scripts/csv_to_map.py.",
           f"# Source columns: {', '.join(header)}."]
    out += [f"# {c}" for c in a.comment]
    out += [f"map {a.kind}", f"name {a.name}", f"design {a.design[0]} {a.design[1]}", f"extrapolate {a.extrapolate}"]
    if a.surge is not None:
        out.append(f"surge {a.surge}")
    if a.alpha is not None:
        out.append(f"alpha {a.alpha}")
    out.append("columns alpha N R W PR eff" if a.kind == "compressor" else "columns alpha N PR W eff")
    out.append("grid")
    widths = [max(len(r[k]) for r in data) for k in range(ncols)]
    prev = None
    for r in data:
        key = (r[0], r[1])
        if prev is not None and key != prev:
            out.append("")  # a blank line between speed lines, for the reader of the file
        prev = key
        out.append("  ".join(v.rjust(w) for v, w in zip(r, widths)).rstrip())
    with open(a.out, "w", newline="\n") as f:
        f.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
