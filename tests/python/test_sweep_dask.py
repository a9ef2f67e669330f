"""Sweeps on a Dask cluster of two worker processes on this machine: the
rows equal those of a local run, in the grid's order, also when a worker
process is killed while it runs a batch."""
import logging
import os
import signal

import numpy as np
import pytest

import vyrcomp

distributed = pytest.importorskip("distributed")
# The Debian build of distributed still calls a deprecated tornado function.
pytestmark = pytest.mark.filterwarnings("ignore:make_current is deprecated:DeprecationWarning")

EXAMPLES = os.path.join(os.path.dirname(__file__), "..", "..", "examples")
needs_models = pytest.mark.skipif(not vyrcomp._vyrcomp.engine.HAS_MODELS, reason="built without the UI library")


@pytest.fixture(scope="module")
def client():
    cluster = distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                       dashboard_address=None, silence_logs=logging.ERROR)
    c = distributed.Client(cluster)
    yield c
    c.close()
    cluster.close()


def same_rows(a, b):
    assert a.dtype == b.dtype and len(a) == len(b)
    for name in a.dtype.names:
        if a.dtype[name].kind == "f":
            np.testing.assert_array_equal(a[name], b[name], err_msg=name)
        else:
            assert list(a[name]) == list(b[name]), name


def test_turbojet_on_the_cluster_equals_the_local_run(client):
    tj = vyrcomp.Turbojet(fuel="natgas", nozzle="cd")
    grid = {"PR": np.arange(2.0, 40.0, 2.0), "T4": [700.0, 1200.0, 1600.0], "altitude": [0.0, 11000.0]}
    here = vyrcomp.sweep(tj, grid)
    there = vyrcomp.sweep(tj, grid, client, batch_size=7)  # batches that cut the grid's rows anywhere
    same_rows(here, there)
    assert (here["status"] != 0).any()


@needs_models
def test_model_file_travels_to_the_workers(client):
    m = vyrcomp.Model(os.path.join(EXAMPLES, "turbojet.xml"), case="Cruise")
    m.set({"Compressor.PRdes": 14})
    grid = {"Burner.Texitdes": [700.0, 1300.0, 1500.0], "Nozzle.CVdes": [0.97, 0.99]}
    here = vyrcomp.sweep(m, grid, outputs=["Compressor.PW"])
    there = vyrcomp.sweep(m, grid, client, batch_size=2, outputs=["Compressor.PW"])
    same_rows(here, there)
    # The workers ran the case with the input set here (Cruise: 11000 m, Mach 0.8).
    assert (there["ram_drag"][there["status"] == 0] > 0).all()


@needs_models
def test_a_killed_worker_loses_no_point(client):
    m = vyrcomp.Model(os.path.join(EXAMPLES, "turbojet.xml"))
    grid = {"Compressor.PRdes": np.linspace(3.0, 30.0, 60), "Burner.Texitdes": np.linspace(1000.0, 1700.0, 40)}
    pids = client.run(os.getpid)
    killed = []

    def kill_a_busy_worker(done, total):
        # At the first finished batch the others are still running: kill a
        # worker process that holds some; its nanny starts a new one.
        if killed or done >= total:
            return
        for address, keys in client.processing().items():
            if keys and address in pids:
                os.kill(pids[address], signal.SIGKILL)
                killed.append(address)
                return

    there = vyrcomp.sweep(m, grid, client, batch_size=40, progress=kill_a_busy_worker)
    assert killed, "no worker was busy when the first batch finished"
    here = vyrcomp.sweep(m, grid)
    same_rows(here, there)
    assert len(there) == 60 * 40
    client.wait_for_workers(2)
