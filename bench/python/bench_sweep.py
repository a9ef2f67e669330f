"""100,000 turbojet design points: vyrcomp.sweep here (all cores) and on a
Dask LocalCluster of two worker processes, beside `vyr cycle turbojet`
doing the same sweep in one process.

    PYTHONPATH=<build>/python /usr/bin/python3 bench/python/bench_sweep.py --vyr <build>/apps/vyr

The grid: compressor pressure ratio 4 to 53.9 in steps of 0.1 and burner exit
temperature 1200 K to 1399 K in steps of 1 K (500 x 200 points). Prints the
wall time of each (the program's with its table written to /dev/null, the
cluster's without its start-up) and the ratios the targets name: the local
sweep within 1.3x of the program, the cluster's within 1.5x of the local one.
"""
import argparse
import logging
import os
import subprocess
import sys
import time

import numpy as np

import vyrcomp

PR = np.round(4.0 + 0.1 * np.arange(500), 10)
T4 = 1200.0 + np.arange(200.0)
POINTS = len(PR) * len(T4)


def program_s(vyr):
    start = time.perf_counter()
    out = subprocess.run([vyr, "cycle", "turbojet", "--pr", "4:53.9:0.1", "--T4", "1200:1399:1", "--csv"],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, check=False)
    seconds = time.perf_counter() - start
    rows = out.stdout.count(b"\n") - 1
    if rows != POINTS:
        sys.exit("vyr cycle turbojet wrote %d rows, not %d" % (rows, POINTS))
    return seconds


def local_s(tj):
    start = time.perf_counter()
    rows = vyrcomp.sweep(tj, {"PR": PR, "T4": T4})
    seconds = time.perf_counter() - start
    assert len(rows) == POINTS
    return seconds, rows


def cluster_s(tj, workers):
    from distributed import Client, LocalCluster
    with LocalCluster(n_workers=workers, threads_per_worker=1, processes=True, dashboard_address=None,
                      silence_logs=logging.ERROR) as cluster, Client(cluster) as client:
        client.run(lambda: __import__("vyrcomp"))  # each worker imports the module before the clock starts
        start = time.perf_counter()
        rows = vyrcomp.sweep(tj, {"PR": PR, "T4": T4}, client)
        return time.perf_counter() - start, rows


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--vyr", help="the vyr program, for the one-process figure")
    parser.add_argument("--workers", type=int, default=2)
    args = parser.parse_args()
    print("load: %s; %d cores" % (", ".join("%.2f" % x for x in os.getloadavg()), os.cpu_count()))
    tj = vyrcomp.Turbojet()
    local, rows = local_s(tj)
    print("vyrcomp.sweep here, %d points: %.2f s (%.1f us a point, %d failed)"
          % (POINTS, local, 1e6 * local / POINTS, (rows["status"] != 0).sum()))
    if args.vyr:
        prog = program_s(args.vyr)
        print("vyr cycle turbojet, one process: %.2f s; local sweep / program: %.2f" % (prog, local / prog))
    cluster, crows = cluster_s(tj, args.workers)
    same = all(np.array_equal(rows[n], crows[n], equal_nan=rows.dtype[n].kind == "f") for n in rows.dtype.names)
    print("vyrcomp.sweep on a LocalCluster of %d worker processes: %.2f s; cluster / local: %.2f; rows equal: %s"
          % (args.workers, cluster, cluster / local, same))
    return 0


if __name__ == "__main__":
    sys.exit(main())
