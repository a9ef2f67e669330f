"""Carpet plot of the single-spool turbojet: specific thrust against
thrust-specific fuel consumption over compressor pressure ratio and burner
exit temperature, sea-level static, ISA.

    PYTHONPATH=<build>/python /usr/bin/python3 examples/python/carpet.py [--out carpet.png]

Every point is a design point of `vyr cycle turbojet`'s engine, computed by
one vyrcomp.sweep on all cores. Points that physics forbids (a turbine that
cannot drive its compressor) are left out of the lines and counted.
"""
import argparse

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

import vyrcomp  # noqa: E402

PR = np.array([4.0, 6.0, 8.0, 12.0, 16.0, 20.0, 30.0, 40.0])
T4 = np.array([1100.0, 1250.0, 1400.0, 1550.0, 1700.0, 1850.0])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default="carpet.png", help="the PNG to write (default: carpet.png)")
    args = parser.parse_args()

    rows = vyrcomp.sweep(vyrcomp.Turbojet(), {"PR": PR, "T4": T4})
    ok = rows["status"] == 0
    fnw = np.where(ok, rows["FN_W"], np.nan).reshape(len(PR), len(T4))
    sfc = np.where(ok, rows["TSFC"] * 1e6, np.nan).reshape(len(PR), len(T4))  # g/(kN s)

    fig, ax = plt.subplots(figsize=(8, 6), dpi=100)
    for i, pr in enumerate(PR):
        ax.plot(fnw[i], sfc[i], color="tab:blue", lw=1.2)
        last = np.where(np.isfinite(fnw[i]))[0]
        if len(last):
            ax.annotate("PR %g" % pr, (fnw[i, last[-1]], sfc[i, last[-1]]), textcoords="offset points",
                        xytext=(4, 0), fontsize=8, color="tab:blue", va="center")
    for j, t in enumerate(T4):
        ax.plot(fnw[:, j], sfc[:, j], color="tab:red", lw=1.2, ls="--")
        first = np.where(np.isfinite(fnw[:, j]))[0]
        if len(first):
            ax.annotate("T4 %g K" % t, (fnw[first[0], j], sfc[first[0], j]), textcoords="offset points",
                        xytext=(0, 6), fontsize=8, color="tab:red", ha="center")
    ax.set_xlabel("specific thrust FN/W [N s/kg]")
    ax.set_ylabel("TSFC [g/(kN s)]")
    ax.set_title("Single-spool turbojet, sea-level static ISA: pressure ratio and burner exit temperature")
    ax.grid(True, alpha=0.3)
    failed = int((~ok).sum())
    if failed:
        ax.text(0.99, 0.01, "%d of %d points not feasible" % (failed, len(rows)), transform=ax.transAxes,
                ha="right", va="bottom", fontsize=8, color="grey")
    fig.tight_layout()
    fig.savefig(args.out)
    print("%s: %d points, %d not feasible" % (args.out, len(rows), failed))


if __name__ == "__main__":
    main()
