"""Sweeps of engine design points over a grid of inputs, locally or on a
Dask cluster.

``sweep(model, grid)`` runs here: the built-in ``Turbojet`` on all cores
(C++ threads, the GIL released), a ``Model`` file point after point on the
model host. ``sweep(model, grid, client)`` cuts the points into batches and
runs them as tasks of a ``distributed.Client``: each task carries the model
(a model file travels as its bytes, with the map files it names) and its
points, and returns its rows; the rows are put back in the grid's order. A
worker that dies takes its running batches with it; the scheduler gives them
to another worker, and every point still ends up in exactly one row.

The rows: a NumPy structured array with the grid's inputs (float64), then
``status`` (int32: 0 ok, 1 failed), the figures (``FN``, ``FG``,
``ram_drag``, ``Wf``, ``TSFC``, ``FN_W``, ``W``, ``FAR``, ``Pt3``, ``Tt3``,
``Tt4``, ``Pt5``, ``Tt5``, ``A8``, ``A9``, ``V_jet``, ``FG_pressure``,
``eff_thermal``, ``eff_propulsive``, ``eff_overall``, ``Wc2``; SI units,
see ``FIGURES``; NaN in
a failed row and where the engine has no such station), the ``outputs``
asked for (results of a model's components by name), and ``message`` (the
reason of a failed row, else "").
"""

import math
import time
import uuid

import numpy as np

from ._vyrcomp import engine as _engine

__all__ = ["sweep", "grid_points", "points_per_task", "FIGURES"]

#: The figures of a row: {name: (unit, meaning)}.
FIGURES = {n: (u, d) for n, u, d in _engine.figures()} if getattr(_engine, "HAS_ENGINES", False) else {}

# What the scheduler costs per task [s], and the share of the work it may take.
_TASK_COST = 1e-3
_TASK_SHARE = 0.02


def grid_points(grid):
    """The points of a grid as (names, values): a dict {name: number or 1-D
    sequence} gives every combination, the last name varying fastest (as in
    ``vyr cycle turbojet``); a structured array or a dict of equal-length
    arrays passed through ``np.rec.fromarrays`` gives its rows as they are."""
    if isinstance(grid, np.ndarray) and grid.dtype.names:
        names = list(grid.dtype.names)
        values = np.column_stack([np.asarray(grid[n], dtype=float).ravel() for n in names]) if len(grid) else \
            np.empty((0, len(names)))
        return names, np.ascontiguousarray(values, dtype=float)
    if not isinstance(grid, dict) or not grid:
        raise TypeError("grid: a dict {input name: values} or a structured array of points")
    names = list(grid)
    axes = []
    for n in names:
        a = np.atleast_1d(np.asarray(grid[n], dtype=float))
        if a.ndim != 1:
            raise ValueError("grid[%r]: a number or a 1-D sequence" % n)
        axes.append(a)
    mesh = np.meshgrid(*axes, indexing="ij")
    values = np.column_stack([m.ravel() for m in mesh]) if mesh else np.empty((0, 0))
    return names, np.ascontiguousarray(values, dtype=float)


def _rows(names, values, figures, status, messages, outputs, extra):
    columns = [(n, values[:, k]) for k, n in enumerate(names)]
    columns.append(("status", np.asarray(status, dtype=np.int32)))
    columns += [(n, figures[:, k]) for k, n in enumerate(FIGURES)]
    columns += [(n, extra[:, k]) for k, n in enumerate(outputs)]
    msg = np.array(list(messages), dtype=str)
    if msg.dtype.itemsize == 0:
        msg = msg.astype("U1")
    columns.append(("message", msg))
    taken = set()
    for n, _ in columns:
        if n in taken:
            raise ValueError("the column %r would appear twice in the rows" % n)
        taken.add(n)
    out = np.empty(len(values), dtype=[(n, a.dtype) for n, a in columns])
    for n, a in columns:
        out[n] = a
    return out


def _run_batch(model, names, values, outputs, threads):
    """A batch of points (a Dask task): (figures, status, messages, outputs)."""
    return model._run_points(names, values, outputs, threads)


def _check_names(model, names, outputs):
    known = set(model.input_names())
    for n in names:
        if n not in known:
            raise KeyError("%r is no input of %r; it has %s" % (n, model, ", ".join(sorted(known))))
    if outputs:
        results = set(model.outputs())
        for n in outputs:
            if n not in results:
                raise KeyError("%r is no result of %r" % (n, model))


def points_per_task(seconds_per_point, points, workers):
    """Points per task: enough that the scheduler's cost per task (about a
    millisecond) stays under 2 % of the task's work, and otherwise small
    enough that every worker gets about four tasks (a lost task costs less)."""
    least = math.ceil(_TASK_COST / _TASK_SHARE / max(seconds_per_point, 1e-9))
    spread = math.ceil(points / max(1, 4 * workers))
    return max(1, least, spread)


def sweep(model, grid, client=None, *, outputs=(), batch_size=None, threads=None, retries=3, progress=None):
    """Design points of ``model`` (a ``Turbojet`` or a ``Model``) over ``grid``.

    ``grid``: {input name: values} for every combination (last fastest), or a
    structured array of points. ``client``: a ``distributed.Client``; None
    runs here. ``outputs``: results of a model's components to add as columns
    ("Nozzle.A8"). ``batch_size``: points per Dask task (default: from the
    time of a first point, so that the scheduler takes under 2 % of the
    work). ``threads``: C++ threads of the turbojet here (default: all
    cores); on workers each task runs on one thread, the worker's threads
    run tasks side by side. ``retries``: how often Dask runs a batch again
    after an error in it. ``progress(done, total)`` is called as points are
    done. Returns the rows (see the module's help): one per point, in the
    grid's order."""
    names, values = grid_points(grid)
    outputs = list(outputs)
    _check_names(model, names, outputs)
    total = len(values)
    if client is None or total == 0:
        figures, status, messages, extra = model._run_points(names, values, outputs, threads)
        if progress:
            progress(total, total)
        return _rows(names, values, figures, status, messages, outputs, extra)

    workers = client.nthreads()
    slots = max(1, sum(workers.values()))
    if batch_size is None:
        # One point here tells what a point costs (and that the model loads).
        start = time.perf_counter()
        _run_batch(model, names, values[:1], outputs, 1)
        batch_size = points_per_task(time.perf_counter() - start, total, slots)
    batch_size = max(1, int(batch_size))
    starts = list(range(0, total, batch_size))
    token = uuid.uuid4().hex[:12]
    keys = ["vyrcomp-sweep-%s-%d" % (token, i) for i in range(len(starts))]
    futures = client.map(_run_batch, [model] * len(starts), [names] * len(starts),
                         [values[s:s + batch_size] for s in starts], [outputs] * len(starts),
                         [1] * len(starts), key=keys, pure=False, retries=retries)
    index = {f.key: i for i, f in enumerate(futures)}
    parts = [None] * len(starts)
    done = 0
    from distributed import as_completed
    try:
        for future, result in as_completed(futures, with_results=True):
            i = index[future.key]
            if parts[i] is None:  # one result per batch, whatever ran it
                parts[i] = result
                done += len(result[1])
                if progress:
                    progress(done, total)
    finally:
        for f in futures:
            f.release()
    figures = np.concatenate([p[0] for p in parts])
    status = np.concatenate([p[1] for p in parts])
    messages = [m for p in parts for m in p[2]]
    extra = np.concatenate([p[3] for p in parts]) if outputs else np.empty((total, 0))
    return _rows(names, values, figures, status, messages, outputs, extra)
