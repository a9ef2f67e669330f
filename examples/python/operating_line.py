"""The operating line of the reference turbojet on its compressor map: off
design at sea-level static, ISA, from the design thrust down to 30 % of it.

    PYTHONPATH=<build>/python /usr/bin/python3 examples/python/operating_line.py [--out operating_line.png]

The model is examples/turbojet-maps.xml (compressor on the AXI5 map, turbine
on LPT2269). The map's speed lines are drawn as the model fits them to its
compressor: W = W_map * sW and PR = (PR_map - 1) * sPR + 1 with the scalars
kept in the model file; the surge line is the map's R-line 1.
"""
import argparse
import os
import xml.etree.ElementTree as ET

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

import vyrcomp  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
MODEL = os.path.join(HERE, "..", "turbojet-maps.xml")


def read_map(path):
    """The map's grid as {column: array} (the plane of the first angle)."""
    columns, rows, in_grid = None, [], False
    with open(path) as f:
        for line in f:
            line = line.split("#", 1)[0].split()
            if not line:
                continue
            if in_grid:
                rows.append([float(x) for x in line])
            elif line[0] == "columns":
                columns = line[1:]
            elif line[0] == "grid":
                in_grid = True
    grid = np.array(rows)
    table = {c: grid[:, k] for k, c in enumerate(columns)}
    if "alpha" in table:
        keep = table["alpha"] == table["alpha"][0]
        table = {c: v[keep] for c, v in table.items()}
    return table


def compressor_scalars(model_path, component="Compressor"):
    """The map file and the scalars sW, sPR the model keeps for the compressor."""
    root = ET.parse(model_path).getroot()
    for comp in root.iter("TVYRcomp"):
        if comp.get("ID") == component and comp.find("MapFile") is not None:
            return comp.find("MapFile").text, float(comp.find("MapsW").text), float(comp.find("MapsPR").text)
    raise SystemExit("%s: no compressor %r on a map" % (model_path, component))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default="operating_line.png", help="the PNG to write (default: operating_line.png)")
    args = parser.parse_args()

    model = vyrcomp.Model(MODEL)
    design_thrust = model.off_design(speed=1.0)["FN"][0]
    rows = model.off_design(thrust=design_thrust * np.linspace(1.0, 0.3, 15))
    ok = rows[rows["status"] == 0]

    map_file, sW, sPR = compressor_scalars(MODEL)
    grid = read_map(os.path.join(os.path.dirname(MODEL), map_file))
    W = grid["W"] * sW
    PR = (grid["PR"] - 1.0) * sPR + 1.0
    fig, ax = plt.subplots(figsize=(8, 6), dpi=100)
    for n in np.unique(grid["N"]):
        line = grid["N"] == n
        ax.plot(W[line], PR[line], color="grey", lw=0.8)
        ax.annotate("%g" % n, (W[line][-1], PR[line][-1]), textcoords="offset points", xytext=(3, -3),
                    fontsize=7, color="grey")
    surge = grid["R"] == 1.0
    ax.plot(W[surge], PR[surge], color="black", lw=2, label="surge line (R-line 1)")
    ax.plot(ok["Compressor_Wc"], ok["Compressor_PR"], "o-", color="tab:red", label="operating line, 100 % to 30 % thrust")
    ax.set_xlabel("corrected flow Wc [kg/s]")
    ax.set_ylabel("pressure ratio")
    ax.set_title("Reference turbojet at sea-level static ISA on its compressor map (speed lines N/Ndes)")
    ax.grid(True, alpha=0.3)
    ax.legend(loc="upper left")
    fig.tight_layout()
    fig.savefig(args.out)
    print("%s: %d of %d points converged" % (args.out, len(ok), len(rows)))


if __name__ == "__main__":
    main()
