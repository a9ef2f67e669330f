"""Sweeps run here: rows in the grid's order, one per point, the same on
threads as on one, failed points kept as rows with their reason."""
import math
import os

import numpy as np
import pytest

import vyrcomp
from vyrcomp.sweep import FIGURES, grid_points, points_per_task

EXAMPLES = os.path.join(os.path.dirname(__file__), "..", "..", "examples")
needs_models = pytest.mark.skipif(not vyrcomp._vyrcomp.engine.HAS_MODELS, reason="built without the UI library")

# A grid with failures among the points: at T4 = 700 K the turbine cannot
# drive a compressor of 10 or more, at 20 the burner would have to cool.
GRID = {"PR": [4.0, 10.0, 20.0, 30.0], "T4": [700.0, 1000.0, 1300.0, 1600.0], "mach": [0.0, 0.8]}


def same_rows(a, b):
    assert a.dtype == b.dtype
    for name in a.dtype.names:
        if a.dtype[name].kind == "f":
            np.testing.assert_array_equal(a[name], b[name], err_msg=name)  # NaN equals NaN here
        else:
            assert list(a[name]) == list(b[name]), name


def test_threads_give_the_rows_of_one_thread():
    tj = vyrcomp.Turbojet()
    one = vyrcomp.sweep(tj, GRID, threads=1)
    many = vyrcomp.sweep(tj, GRID, threads=4)
    same_rows(one, many)
    assert 0 < (one["status"] != 0).sum() < len(one)


def test_rows_follow_the_grid_with_the_last_input_fastest():
    rows = vyrcomp.sweep(vyrcomp.Turbojet(), GRID)
    assert len(rows) == 4 * 4 * 2
    assert list(rows["mach"][:4]) == [0.0, 0.8, 0.0, 0.8]
    assert list(rows["T4"][:4]) == [700.0, 700.0, 1000.0, 1000.0]
    assert list(rows["PR"][::8]) == GRID["PR"]
    # Each row is the design point of its inputs.
    for k in (5, 30):
        r = rows[k]
        alone = vyrcomp.Turbojet(PR=r["PR"], T4=r["T4"], mach=r["mach"]).design().performance
        assert r["status"] == 0
        assert r["FN"] == alone["FN"] and r["TSFC"] == alone["TSFC"]


def test_failed_points_are_rows_with_their_reason():
    rows = vyrcomp.sweep(vyrcomp.Turbojet(), {"PR": [10.0, 20.0], "T4": [700.0, 1400.0, np.inf]})
    by = {(r["PR"], r["T4"]): r for r in rows}
    assert by[10.0, 1400.0]["status"] == 0 and by[10.0, 1400.0]["message"] == ""
    cannot = by[10.0, 700.0]
    assert cannot["status"] == 1 and "cannot drive the compressor" in cannot["message"]
    assert all(math.isnan(cannot[f]) for f in FIGURES)
    assert by[20.0, 700.0]["status"] == 1 and by[20.0, 700.0]["message"]
    assert "not a finite number" in by[10.0, np.inf]["message"]


def test_rows_are_physical_where_ok():
    rows = vyrcomp.sweep(vyrcomp.Turbojet(), GRID)
    ok = rows[rows["status"] == 0]
    # Net thrust is gross thrust less ram drag, specific thrust is per unit air flow.
    np.testing.assert_allclose(ok["FN"], ok["FG"] - ok["ram_drag"], rtol=1e-12)
    np.testing.assert_allclose(ok["FN_W"] * ok["W"], ok["FN"], rtol=1e-12)
    # The fuel flow is the burner's fuel-air ratio of the air flow.
    np.testing.assert_allclose(ok["Wf"], ok["FAR"] * ok["W"], rtol=1e-9)
    assert (ok["ram_drag"][ok["mach"] == 0] == 0).all() and (ok["ram_drag"][ok["mach"] > 0] > 0).all()
    # A jet at rest propels nothing; in flight part of the jet's energy is thrust work.
    rest, flight = ok[ok["mach"] == 0], ok[ok["mach"] > 0]
    assert (rest["eff_propulsive"] == 0).all() and (rest["eff_overall"] == 0).all()
    assert ((0 < flight["eff_propulsive"]) & (flight["eff_propulsive"] < 1)).all()
    np.testing.assert_allclose(flight["eff_overall"], flight["eff_thermal"] * flight["eff_propulsive"], rtol=1e-9)
    assert ((0 < ok["eff_thermal"]) & (ok["eff_thermal"] < 1)).all()


def test_explicit_points_and_refused_names():
    points = np.zeros(3, dtype=[("PR", float), ("T4", float)])
    points["PR"], points["T4"] = [8, 12, 16], [1300, 1400, 1500]
    names, values = grid_points(points)
    assert names == ["PR", "T4"] and values.shape == (3, 2)
    rows = vyrcomp.sweep(vyrcomp.Turbojet(), points)
    assert list(rows["PR"]) == [8, 12, 16] and (rows["status"] == 0).all()
    with pytest.raises(KeyError, match="'PRdes' is no input"):
        vyrcomp.sweep(vyrcomp.Turbojet(), {"PRdes": [10]})


@needs_models
def test_model_sweep_gives_the_results_asked_for_and_leaves_the_inputs():
    m = vyrcomp.Model(os.path.join(EXAMPLES, "turbojet.xml"))
    before = m.inputs()
    rows = vyrcomp.sweep(m, {"Compressor.PRdes": [6.0, 12.0], "Burner.Texitdes": [1200.0, 1500.0]},
                         outputs=["Compressor.PW", "Nozzle.A8"])
    assert m.inputs() == before
    assert (rows["status"] == 0).all()
    for r in rows:
        m.set({"Compressor.PRdes": r["Compressor.PRdes"], "Burner.Texitdes": r["Burner.Texitdes"]})
        p = m.design()
        assert r["Compressor.PW"] == pytest.approx(p.turbomachines["power"][0], rel=1e-12)
        assert r["Nozzle.A8"] == pytest.approx(r["A8"], rel=1e-12)
        assert r["FN"] == pytest.approx(p.performance["FN"], rel=1e-12)


@pytest.mark.parametrize("seconds, points, workers", [
    (65e-6, 100_000, 2),   # the turbojet: many cheap points
    (1e-3, 4_000, 8),      # a model file on a larger cluster
    (0.5, 10, 2),          # slow points, few of them
], ids=["cheap-points", "model-file", "slow-points"])
def test_tasks_keep_the_scheduler_under_two_percent(seconds, points, workers):
    b = points_per_task(seconds, points, workers)
    assert 1e-3 / (b * seconds) <= 0.02
    assert b >= 1
    # Never so large that a worker is left without a task when there is work for all.
    if points * seconds >= workers * 0.05:
        assert math.ceil(points / b) >= workers


def test_rows_equal_those_of_vyr_cycle_turbojet():
    # The program's sweep is another path to the same engine: its inputs
    # parsed from ranges, its own checks, its table. Run from the build folder.
    import json
    import subprocess
    vyr = os.path.join(os.getcwd(), "apps", "vyr")
    if not os.path.isfile(vyr):
        pytest.skip("no vyr program in %s" % os.getcwd())
    done = subprocess.run([vyr, "cycle", "turbojet", "--pr", "4:20:8", "--T4", "700:1500:400", "-m", "0:0.8:0.8",
                           "--fuel", "natgas", "--json"], capture_output=True, text=True)
    table = json.loads(done.stdout)
    program = table[table["main"]]["rows"]
    rows = vyrcomp.sweep(vyrcomp.Turbojet(fuel="natgas"),
                         {"mach": [0.0, 0.8], "PR": [4.0, 12.0, 20.0], "T4": [700.0, 1100.0, 1500.0]})
    assert len(program) == len(rows)
    for p, r in zip(program, rows):
        assert (p["Mach"], p["PR"], p["T4"]) == (r["mach"], r["PR"], r["T4"])
        assert (p["status"] == "ok") == (r["status"] == 0), (p["message"], r["message"])
        if r["status"] == 0:
            for k in ("FN", "FG", "FN_W", "Wf", "FAR", "Pt3", "Tt3", "Pt5", "Tt5", "A8", "A9"):
                assert r[k] == pytest.approx(p[k], rel=1e-12), k
