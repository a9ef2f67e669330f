"""Air enthalpy for 1,000,000 temperatures through vyrcomp.gas.H, beside the
same loop in C++ (BM_FH_Air1e6 of the gas benchmark program).

    PYTHONPATH=<build>/python /usr/bin/python3 bench/python/bench_gas.py [--cxx <build>/bench/bench_gas]

or "cmake --build <build> --target bench_python", which builds and runs both.
Prints the best time of each and their ratio, in processor time (the time the
process computed; on a busy machine the wall time also counts the waits for a
core) and in wall time.
"""
import argparse
import json
import subprocess
import sys
import time
import timeit

import numpy as np

import vyrcomp

N = 1_000_000


def python_ms(repeat):
    """Best processor and wall time [ms] of one call."""
    # The temperatures of the C++ case: 200 K to 2000 K, evenly spaced.
    T = np.linspace(200.0, 2000.0, N)
    H = vyrcomp.gas.H(T)
    assert H.shape == (N,) and np.isfinite(H).all()
    call = lambda: vyrcomp.gas.H(T)  # noqa: E731
    cpu = min(timeit.repeat(call, number=1, repeat=repeat, timer=time.process_time))
    wall = min(timeit.repeat(call, number=1, repeat=repeat))
    return 1e3 * cpu, 1e3 * wall


def cxx_ms(program, repeat):
    out = subprocess.run([program, "--benchmark_filter=^BM_FH_Air1e6$", "--benchmark_format=json",
                          f"--benchmark_repetitions={repeat}"],
                         check=True, capture_output=True, text=True).stdout
    runs = [b for b in json.loads(out)["benchmarks"] if b.get("run_type") == "iteration"]
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}
    return (min(b["cpu_time"] * scale[b["time_unit"]] for b in runs),
            min(b["real_time"] * scale[b["time_unit"]] for b in runs))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cxx", help="the gas benchmark program (bench_gas) for the C++ figure")
    parser.add_argument("--repeat", type=int, default=7)
    args = parser.parse_args()
    py_cpu, py_wall = python_ms(args.repeat)
    print(f"vyrcomp.gas.H, {N} air temperatures: {py_cpu:.2f} ms processor time, {py_wall:.2f} ms wall time")
    if args.cxx:
        cxx_cpu, cxx_wall = cxx_ms(args.cxx, args.repeat)
        print(f"C++ loop of FH, {N} air temperatures: {cxx_cpu:.2f} ms processor time, {cxx_wall:.2f} ms wall time")
        print(f"Python / C++: {py_cpu / cxx_cpu:.2f} in processor time, {py_wall / cxx_wall:.2f} in wall time")
    return 0


if __name__ == "__main__":
    sys.exit(main())
