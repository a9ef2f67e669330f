"""Engine models and their operating points.

Two kinds of model:

- ``Turbojet(**inputs)``: the single-spool turbojet of ``vyr cycle turbojet``
  (ambient, inlet, compressor, burner, turbine, nozzle on one shaft), built
  in C++ without Qt. Its sweeps run on all cores with the GIL released.
- ``Model(path_or_bytes, config="", case="")``: an engine model file (the
  component icons and data forms of ``vyr run``), run through the model host
  offscreen. Its inputs are the components' design properties by name
  (``"Compressor.PRdes"``), its results the components' result properties
  (``"Compressor.PW"``). The host runs on a thread of its own (Qt's
  widgets live there), one point after the other; sweeps of model files are
  spread over processes by Dask (``vyrcomp.sweep(model, grid, client)``).

All values are SI: m, K, Pa, kg/s, N, W, m2; TSFC in kg/(N s), specific
thrust in N s/kg.

A design point gives a ``DesignPoint``: the tables ``stations``,
``performance``, ``turbomachines`` and ``nozzle`` as NumPy structured arrays
(the columns of ``vyr cycle turbojet --json``), with their units. A design
point that fails raises ``VyrError`` with the component and the reason.
"""

import atexit
import hashlib
import os
import pickle
import tempfile
import uuid
import xml.etree.ElementTree as ET

import numpy as np

from ._vyrcomp import VyrError
from ._vyrcomp import engine as _engine

__all__ = ["Turbojet", "Model", "DesignPoint", "FUELS", "CONTROLS", "structured", "limit_texts"]

#: Fuels by the names ``vyr burn`` and ``vyr cycle`` use; "user" needs
#: ``fuel_hc`` (H/C atom ratio), optionally ``fuel_oc``, and ``fuel_lhv``
#: [J/kg] or ``fuel_hf`` (formation enthalpy).
FUELS = ("avtur", "avtag", "avcat", "diesel", "natgas", "hydrogen", "jp10", "ethanol", "methanol",
         "ammonia", "user")

#: Off-design controls: keyword -> (code, unit).
CONTROLS = {"thrust": (0, "N"), "T4": (1, "K"), "Wf": (2, "kg/s"), "speed": (3, ""), "thrust_fraction": (4, "")}


def limit_texts(limits):
    """The limits of an off-design run as ``vyr run --limit`` reads them.

    ``limits`` is a dict {name: value}: the name as in ``--limit`` (``"T4"``,
    ``"Pt3"``, ``"N1"``, ``"Nc1"``, ``"SM1"``, ``"SMW1"``, ``"Wf"``, ``"FN"``),
    optionally ending in its operator (``"SM1>="``, ``"T4<="``); without one
    a limit is an upper one (``<=``), except the surge margins ``SM*`` and
    ``SMW*``, which are lower ones (``>=``). A value is a number in SI (K,
    Pa, kg/s, N; speeds and margins as fractions) or a text with its unit
    (``"2.5MPa"``, ``"1600K"``). A list of texts (``["T4<=1600K"]``) is taken
    as it is. ValueError for a value that is no finite number."""
    if limits is None:
        return []
    if isinstance(limits, str):
        limits = [limits]
    if not isinstance(limits, dict):
        return [str(text) for text in limits]
    texts = []
    for key, value in limits.items():
        name = str(key).strip()
        if name.endswith(("<=", ">=")):
            name, op = name[:-2].strip(), name[-2:]
        else:
            op = ">=" if name.upper().startswith("SM") else "<="
        if isinstance(value, str):
            text = value.strip()
        else:
            if isinstance(value, bool) or not np.isscalar(value):
                raise ValueError("limits: %s: a number or a text with a unit, not %r" % (name, value))
            number = float(value)
            if not np.isfinite(number):
                raise ValueError("limits: %s: the value %r is not a finite number" % (name, value))
            text = repr(number)
        texts.append(name + op + text)
    return texts


def structured(columns, units=None):
    """A NumPy structured array from [(name, unit, values), ...] (equal
    lengths): floats stay float64, texts become str fields, flags bool.
    The units go to ``units`` (a dict) when one is given."""
    arrays, names = [], []
    for name, unit, values in columns:
        if isinstance(values, np.ndarray):
            a = values
        else:
            a = np.array(list(values), dtype=str)
            if a.dtype.itemsize == 0:
                a = a.astype("U1")
        arrays.append(a)
        names.append(name)
        if units is not None:
            units[name] = unit
    n = len(arrays[0]) if arrays else 0
    out = np.empty(n, dtype=[(nm, a.dtype) for nm, a in zip(names, arrays)])
    for nm, a in zip(names, arrays):
        out[nm] = a
    return out


class DesignPoint:
    """The design point of an engine.

    Attributes: ``tables`` (dict of structured arrays: ``stations`` by
    station number, ``performance`` with one row, ``turbomachines``,
    ``nozzle``), ``units`` (table -> column -> SI unit text),
    ``performance`` (dict of floats: FG, ram_drag, FN, Wf, TSFC, FN_W, ...),
    ``warnings`` (messages that did not stop the point)."""

    def __init__(self, raw):
        self.tables = {}
        self.units = {}
        for name, columns in raw["tables"].items():
            units = {}
            self.tables[name] = structured(columns, units)
            self.units[name] = units
        self.warnings = list(raw.get("warnings", []))
        perf = self.tables.get("performance")
        self.performance = {k: float(perf[k][0]) for k in perf.dtype.names} if perf is not None and len(perf) else {}

    def __getattr__(self, name):
        tables = self.__dict__.get("tables", {})
        if name in tables:
            return tables[name]
        raise AttributeError(name)

    def __repr__(self):
        p = self.performance
        return "DesignPoint(FN=%.6g N, TSFC=%.6g kg/(N s), tables=%s)" % (
            p.get("FN", float("nan")), p.get("TSFC", float("nan")), sorted(self.tables))


def _design(raw):
    if not raw["ok"]:
        raise VyrError(raw["message"])
    return DesignPoint(raw)


class Turbojet:
    """The single-spool turbojet of ``vyr cycle turbojet`` with its inputs.

    ``Turbojet(PR=20, T4=1500, fuel="avtur")``; ``inputs()`` lists every input
    with its value, ``Turbojet.describe()`` with unit and meaning. ``thrust``
    (a net-thrust target [N]) replaces ``W``; ``FAR`` replaces ``T4``; NaN
    leaves them out. ``nozzle`` is "convergent" or "cd" (fully expanded)."""

    _fuel_keys = ("fuel", "fuel_hc", "fuel_oc", "fuel_lhv", "fuel_hf")

    def __init__(self, **inputs):
        self._values = {name: value for name, value, _, _ in _engine.turbojet_inputs()}
        self._fuel = {"fuel": "avtur", "fuel_hc": None, "fuel_oc": None, "fuel_lhv": None, "fuel_hf": None}
        self.set(**inputs)

    @staticmethod
    def describe():
        """{name: (default, unit, meaning)} of every numeric input."""
        return {n: (v, u, d) for n, v, u, d in _engine.turbojet_inputs()}

    def inputs(self):
        """The inputs and their values (numbers; the fuel by name)."""
        d = dict(self._values)
        d.update(self._fuel)
        return d

    def set(self, **inputs):
        """Sets inputs by name; an unknown name raises KeyError."""
        for name, value in inputs.items():
            if name in self._fuel_keys:
                if name == "fuel" and value not in FUELS:
                    raise ValueError("fuel: %r is none of %s" % (value, ", ".join(FUELS)))
                self._fuel[name] = value if name == "fuel" or value is None else float(value)
            elif name == "nozzle" and isinstance(value, str):
                if value not in ("convergent", "cd"):
                    raise ValueError('nozzle: "convergent" or "cd", not %r' % value)
                self._values[name] = 1.0 if value == "cd" else 0.0
            elif name in self._values:
                self._values[name] = float(value)
            else:
                raise KeyError("the turbojet has no input %r; it has %s" % (name, ", ".join(self.inputs())))
        return self

    def _fuel_tuple(self):
        return tuple(self._fuel[k] for k in self._fuel_keys)

    def _given(self):
        # Optional inputs left out (NaN) are not passed at all.
        return {k: v for k, v in self._values.items() if not (isinstance(v, float) and np.isnan(v))}

    def design(self):
        """The design point (a DesignPoint); VyrError when it fails."""
        return _design(_engine.turbojet_design(self._given(), self._fuel_tuple()))

    def input_names(self):
        """Names a sweep grid may use."""
        return list(self._values)

    def _run_points(self, names, values, outputs=(), threads=None):
        if outputs:
            raise ValueError("the turbojet's sweep rows hold its figures; outputs= applies to model files")
        threads = _engine.hardware_threads() if threads is None else int(threads)
        figures, status, messages = _engine.turbojet_sweep(self._given(), self._fuel_tuple(), list(names),
                                                           values, max(1, threads))
        return figures, status, messages, np.empty((len(status), 0))

    def __repr__(self):
        return "Turbojet(%s)" % ", ".join("%s=%r" % kv for kv in self.inputs().items())


# Models loaded in this process, by the hash of what defines them, so that
# the batches of a sweep that reach one worker load a model once.
_HOSTS = {}
_HOSTS_KEPT = 4


def _complib_dirs():
    dirs = [d for d in os.environ.get("VYRCOMP_COMPLIB", "").split(os.pathsep) if d]
    if getattr(_engine, "HAS_MODELS", False):
        here = os.path.dirname(os.path.abspath(_engine.__file__ if hasattr(_engine, "__file__") else __file__))
        installed = os.path.normpath(os.path.join(here, _engine.COMPLIB_FROM_PACKAGE))
        for d in (installed, _engine.COMPLIB_BUILD_DIR):
            if os.path.isdir(d):
                dirs.append(d)
                break
    return dirs


def _named_files(xml_bytes, folder):
    """The files a model names beside it (elements whose tag ends in "File",
    such as MapFile, with a relative path to an existing file): {path: bytes}."""
    files = {}
    if not folder:
        return files
    try:
        root = ET.fromstring(xml_bytes)
    except ET.ParseError:
        return files  # the host says what is wrong with the file
    for el in root.iter():
        text = (el.text or "").strip()
        if not el.tag.endswith("File") or not text or os.path.isabs(text) or ".." in text.split("/"):
            continue
        path = os.path.join(folder, text)
        if os.path.isfile(path):
            with open(path, "rb") as f:
                files[text] = f.read()
    return files


class Model:
    """An engine model file, run through the model host.

    ``Model("examples/turbojet.xml", config="", case="Cruise")`` or
    ``Model(xml_bytes)``. The model travels as bytes, together with the files
    it names beside it (maps), so that a Dask worker on another machine needs
    no shared disk, only vyrcomp installed with its component libraries.
    ``complibs`` adds component libraries (files or folders of .so) to those
    of the installation (and of ``VYRCOMP_COMPLIB``, a path list)."""

    def __init__(self, source, config="", case="", complibs=()):
        if isinstance(source, (bytes, bytearray)):
            self._bytes, self._name, folder = bytes(source), "model.xml", ""
        else:
            path = os.fspath(source)
            with open(path, "rb") as f:
                self._bytes = f.read()
            self._name, folder = os.path.basename(path), os.path.dirname(os.path.abspath(path))
        self._files = _named_files(self._bytes, folder)
        self._folder = folder  # where the named files lie in this process
        self.config, self.case = config, case
        self._complibs = [os.fspath(c) for c in complibs]
        self._set = {}
        # The host of this model (and of its copies sent to workers); another
        # Model of the same file gets a host of its own, since a design point
        # writes what off design needs (map scalars) into the host's forms.
        self._id = uuid.uuid4().hex
        self._host()  # a model that is not valid fails here, with the reasons

    # -- pickling: the bytes, the named files and the inputs set, never the host
    def __getstate__(self):
        d = dict(self.__dict__)
        d["_folder"] = None
        return d

    def __setstate__(self, state):
        self.__dict__.update(state)

    def _key(self):
        h = hashlib.sha256(self._bytes)
        h.update(pickle.dumps((self._id, sorted(self._files.items()), self.config, self.case, self._complibs)))
        return h.hexdigest()

    def _source(self):
        # In another process the named files are written into a folder of their own.
        if self._folder is None:
            folder = os.path.join(tempfile.gettempdir(), "vyrcomp-model-" + self._key()[:16])
            for rel, data in self._files.items():
                path = os.path.join(folder, rel)
                os.makedirs(os.path.dirname(path), exist_ok=True)
                if not os.path.isfile(path):
                    tmp = "%s.%d" % (path, os.getpid())
                    with open(tmp, "wb") as f:
                        f.write(data)
                    os.replace(tmp, path)
            self._folder = folder
        return os.path.join(self._folder, self._name) if self._folder else self._name

    def _host(self):
        if not getattr(_engine, "HAS_MODELS", False):
            raise VyrError("this build of vyrcomp has no model host (it was built without the UI library)")
        key = self._key()
        entry = _HOSTS.pop(key, None)
        if entry is None:
            host = _engine.ModelHost(self._bytes, self._source(), self.config, self.case,
                                     _complib_dirs() + self._complibs)
            entry = [host, dict(host.inputs())]
        _HOSTS[key] = entry  # most recently used last
        while len(_HOSTS) > _HOSTS_KEPT:
            _HOSTS.pop(next(iter(_HOSTS)))
        host, loaded = entry
        # The host holds this model's inputs: those set here, else those of the file.
        for name, value in loaded.items():
            wanted = self._set.get(name, value)
            if host.get(name) != wanted:
                host.set(name, wanted)
        return host

    @property
    def config_path(self):
        """ID path of the configuration or case loaded ("/VYRmodel/BaseCfg/Case:Cruise")."""
        return self._host().config_path

    def inputs(self):
        """The design inputs {"<component ID>.<property>": value}, in calculation order."""
        return dict(self._host().inputs())

    def input_names(self):
        return list(self.inputs())

    def outputs(self):
        """The names of the components' results ("Compressor.PW"), in calculation order."""
        return list(self._host().outputs())

    def get(self, name):
        """Value of an input, or of a result after the last point run."""
        return self._host().get(name)

    def set(self, values=None, **kw):
        """Sets inputs by name: ``set({"Compressor.PRdes": 12})`` (dotted names
        do not fit keywords). KeyError for a name that is no input."""
        values = dict(values or {}, **kw)
        host = self._host()
        for name, value in values.items():
            host.set(name, float(value))
            self._set[name] = float(value)
        return self

    def design(self):
        """The design point (a DesignPoint); VyrError when it fails."""
        return _design(self._host().design())

    def off_design(self, altitude=0.0, mach=0.0, dT=0.0, limits=None, **control):
        """Off-design points of a model whose machines have maps: give exactly
        one control (``thrust`` [N], zero or negative for descent and
        windmilling; ``T4`` [K]; ``Wf`` [kg/s]; ``speed``, the fraction of
        shaft 1's design speed; or ``thrust_fraction``, the fraction of the
        full-power net thrust at the same flight condition, above 0 and at
        most 1.5); the arguments broadcast like NumPy and the points are
        solved in that (flattened) order, each from the last converged one.

        ``limits`` rates the engine: a dict such as ``{"T4": 1600, "N1": 1.02,
        "SM1>=": 0.10, "Pt3": "2.5MPa"}`` (see ``limit_texts``; SI values, or
        texts with units). With limits the control is the demand: a point
        runs at it unless a limit would be exceeded, then at the most
        restrictive limit, which its ``limiter`` names.

        Returns the ``points`` table of ``vyr run --off-design`` as a
        structured array: the flight condition, the control, ``status``,
        ``limiter`` (the active limit, else the control's name), performance
        (``FN`` may be negative; ``TSFC`` NaN where FN <= 0; ``FN_full``, the
        full-power thrust, for a thrust fraction), the stations 2 to 5 with
        the burner's ``FAR`` and exit flow ``W4``, shafts, map coordinates
        and both surge margins of each compressor (``<name>_SM`` at constant
        corrected speed, ``<name>_SMW`` at constant corrected flow),
        ``iterations`` (an integer) and ``message``; status is 0 for a
        converged point, 1 for a failed one (its reason in message, its
        results NaN). The columns' SI units go into ``units`` when a dict is
        passed as ``units=``. ValueError for a bad limit or control."""
        units = control.pop("units", None)
        if len(control) != 1 or next(iter(control)) not in CONTROLS:
            raise ValueError("off_design: give exactly one control of %s" % ", ".join(CONTROLS))
        (name, value), = control.items()
        code = CONTROLS[name][0]
        a, m, t, v = np.broadcast_arrays(*(np.asarray(x, dtype=float) for x in (altitude, mach, dT, value)))
        points = np.column_stack([a.ravel(), m.ravel(), t.ravel(), np.full(a.size, code, float), v.ravel()])
        if not np.isfinite(points).all():
            raise ValueError("off_design: every altitude, Mach number, dT and control value must be finite")
        if name == "thrust_fraction" and not ((v > 0) & (v <= 1.5)).all():
            raise ValueError("off_design: thrust_fraction must be greater than 0 and at most 1.5")
        raw = self._host().off_design(points, limit_texts(limits))
        if not raw["ok"]:
            raise VyrError(raw["message"])
        # status as in the rows of a sweep: 0 ok, 1 failed
        columns = [(n, u, np.array([0 if s == "ok" else 1 for s in v], dtype=np.int32) if n == "status" else v)
                   for n, u, v in raw["tables"]["points"]]
        return structured(columns, units)

    def _run_points(self, names, values, outputs=(), threads=None):
        return self._host().sweep(list(names), values, list(outputs))

    def __repr__(self):
        return "Model(%r, config=%r, case=%r)" % (self._name, self.config, self.case)


@atexit.register
def _shutdown():
    # The model hosts go before the interpreter: forms, libraries, QApplication.
    _HOSTS.clear()
    _engine.shutdown()
