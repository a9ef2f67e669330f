"""Engines: the built-in turbojet and model files through the model host,
their inputs by name, design and off-design points.

The checks are physics and defining conditions: mass and shaft-power
balances, an input set by name arriving in the result, a thrust target met,
two independent builds of one engine agreeing, a model that travels as bytes
giving what the file gives."""
import os
import pickle

import numpy as np
import pytest

import vyrcomp
from vyrcomp import engine as engine_module

ROOT = os.path.join(os.path.dirname(__file__), "..", "..")
EXAMPLES = os.path.join(ROOT, "examples")
needs_models = pytest.mark.skipif(not vyrcomp._vyrcomp.engine.HAS_MODELS, reason="built without the UI library")


def station(point, number):
    rows = point.stations[point.stations["station"] == str(number)]
    assert len(rows) == 1, "station %s" % number
    return rows[0]


def test_turbojet_design_conserves_mass_and_balances_its_shaft():
    p = vyrcomp.Turbojet(PR=15, T4=1500, effMech=0.98).design()
    perf = p.performance
    # Air in plus fuel in is gas out.
    assert station(p, 9)["W"] == pytest.approx(station(p, 2)["W"] + perf["Wf"], rel=1e-12)
    # The turbine drives the compressor through the shaft's mechanical efficiency.
    machines = {r["machine"]: r for r in p.turbomachines}
    assert machines["turbine"]["power"] * 0.98 == pytest.approx(machines["compressor"]["power"], rel=1e-6)
    assert machines["compressor"]["PR"] == pytest.approx(15)
    assert station(p, 4)["Tt"] == pytest.approx(1500)
    assert p.units["stations"]["Pt"] == "Pa" and p.units["performance"]["TSFC"] == "kg/(N s)"
    # TSFC in SI: fuel flow per net thrust.
    assert perf["TSFC"] == pytest.approx(perf["Wf"] / perf["FN"])


def test_turbojet_refuses_unknown_inputs_and_fuels():
    with pytest.raises(KeyError, match="no input 'PRdes'"):
        vyrcomp.Turbojet(PRdes=10)
    with pytest.raises(ValueError, match="fuel"):
        vyrcomp.Turbojet(fuel="kerosene")


def test_turbojet_design_that_physics_forbids_raises_with_the_reason():
    with pytest.raises(vyrcomp.VyrError, match="cannot drive the compressor"):
        vyrcomp.Turbojet(PR=10, T4=700).design()


@needs_models
def test_model_file_and_built_in_turbojet_agree():
    # Two builds of one engine: the forms of examples/turbojet.xml through the
    # model host, and the engine layer's turbojet of "vyr cycle turbojet".
    by_model = vyrcomp.Model(os.path.join(EXAMPLES, "turbojet.xml")).design()
    built_in = vyrcomp.Turbojet().design()
    for k in ("FN", "FG", "Wf", "TSFC"):
        assert by_model.performance[k] == pytest.approx(built_in.performance[k], rel=1e-9), k
    for n in (2, 3, 4, 5, 9):
        for q in ("W", "Pt", "Tt"):
            assert station(by_model, n)[q] == pytest.approx(station(built_in, n)[q], rel=1e-9), (n, q)


@needs_models
def test_model_inputs_by_name_reach_the_calculation():
    m = vyrcomp.Model(os.path.join(EXAMPLES, "turbojet.xml"))
    inputs = m.inputs()
    assert inputs["Compressor.PRdes"] == 10 and "Burner.Texitdes" in inputs
    assert "Compressor.PW" in m.outputs()
    m.set({"Compressor.PRdes": 16, "Burner.Texitdes": 1550})
    p = m.design()
    machines = {r["machine"]: r for r in p.turbomachines}
    assert machines["Compressor"]["PR"] == pytest.approx(16)
    assert station(p, 4)["Tt"] == pytest.approx(1550)
    # A result by name is the one in the tables.
    assert m.get("Compressor.PW") == pytest.approx(machines["Compressor"]["power"])
    assert m.inputs()["Compressor.PRdes"] == 16


@needs_models
@pytest.mark.parametrize("name, pattern", [
    ("Compressor.PRdez", r"Compressor has .*Compressor\.PRdes"),
    ("Fan.PRdes", r"components are Ambient, .*Compressor"),
    ("Compressor.PW", r"no input \"Compressor\.PW\""),  # a result is no input
], ids=["misspelt-property", "unknown-component", "result-is-no-input"])
def test_model_refuses_names_that_are_no_input(name, pattern):
    m = vyrcomp.Model(os.path.join(EXAMPLES, "turbojet.xml"))
    with pytest.raises(KeyError, match=pattern):
        m.set({name: 1.0})


@needs_models
@pytest.mark.parametrize("data, pattern", [
    (b"this is no XML", r"model\.xml"),
    (b"<VYRmodel/>", "BaseCfg"),
], ids=["not-xml", "no-base-configuration"])
def test_model_that_is_not_valid_raises_with_the_reason(data, pattern):
    with pytest.raises(vyrcomp.VyrError, match=pattern):
        vyrcomp.Model(data)


@needs_models
def test_model_design_failure_names_the_component():
    m = vyrcomp.Model(os.path.join(EXAMPLES, "turbojet.xml"))
    m.set({"Compressor.PRdes": 20, "Burner.Texitdes": 700})
    with pytest.raises(vyrcomp.VyrError, match="Component: Burner"):
        m.design()


@needs_models
def test_off_design_meets_its_thrust_targets_and_keeps_failed_points():
    m = vyrcomp.Model(os.path.join(EXAMPLES, "turbojet-maps.xml"))
    design = m.design().performance["FN"]
    targets = np.array([1.0, 0.8, 0.6, 50.0]) * design  # the last is far beyond the engine
    units = {}
    rows = m.off_design(thrust=targets, units=units)
    assert list(rows["FN_target"]) == pytest.approx(list(targets))
    assert list(rows["status"]) == [0, 0, 0, 1]
    assert rows["FN"][:3] == pytest.approx(targets[:3], rel=1e-6)
    assert np.isnan(rows["FN"][3]) and rows["message"][3]
    # At the design thrust the engine runs at its design speed and map node.
    assert rows["N1_frac"][0] == pytest.approx(1.0, abs=1e-6)
    assert rows["Compressor_R"][0] == pytest.approx(2.0, abs=1e-5)
    # Less thrust, lower speed.
    assert rows["N1"][0] > rows["N1"][1] > rows["N1"][2]
    assert units["FN"] == "N"


@needs_models
def test_model_travels_as_bytes_with_the_map_files_it_names():
    m = vyrcomp.Model(os.path.join(EXAMPLES, "turbojet-maps.xml"))
    here = m.off_design(T4=1200.0)
    assert set(m._files) == {"maps/AXI5.map", "maps/LPT2269.map"}
    engine_module._HOSTS.clear()  # as in a fresh process: the model is loaded again from the bytes
    there = pickle.loads(pickle.dumps(m))
    assert there._folder is None
    away = there.off_design(T4=1200.0)
    assert os.path.isfile(os.path.join(there._folder, "maps", "AXI5.map"))
    assert away["status"][0] == 0 and away["FN"][0] == here["FN"][0]


def test_off_design_needs_exactly_one_control():
    if not vyrcomp._vyrcomp.engine.HAS_MODELS:
        pytest.skip("built without the UI library")
    m = vyrcomp.Model(os.path.join(EXAMPLES, "turbojet-maps.xml"))
    with pytest.raises(ValueError, match="exactly one control"):
        m.off_design(thrust=1e4, T4=1200)
    with pytest.raises(ValueError, match="finite"):
        m.off_design(T4=np.nan)


@pytest.mark.parametrize("limits, texts", [
    ({"T4": 1600}, ["T4<=1600.0"]),
    ({"N1": 1.02, "Nc1<=": 1.05}, ["N1<=1.02", "Nc1<=1.05"]),
    ({"SM1": 0.1, "SMW1": 0.05}, ["SM1>=0.1", "SMW1>=0.05"]),   # surge margins are lower limits
    ({"FN>=": -5000, "Pt3 <=": 2.5e6}, ["FN>=-5000.0", "Pt3<=2500000.0"]),
    ({"Pt3": "2.5MPa", "T4": " 2880R"}, ["Pt3<=2.5MPa", "T4<=2880R"]),
    (["T4<=1600K", "SM1>=0.1"], ["T4<=1600K", "SM1>=0.1"]),
    (None, []),
], ids=["upper-by-default", "operator-in-key", "surge-margins-lower", "signed-and-spaced",
        "texts-with-units", "list-of-texts", "none"])
def test_limits_dict_becomes_command_line_limits(limits, texts):
    assert engine_module.limit_texts(limits) == texts


@pytest.mark.parametrize("limits", [{"T4": float("nan")}, {"T4": True}, {"T4": [1600, 1700]}],
                         ids=["nan", "flag", "list"])
def test_limit_that_is_no_number_is_refused(limits):
    with pytest.raises(ValueError, match="T4"):
        engine_module.limit_texts(limits)


@needs_models
def test_off_design_takes_limits_and_names_the_limiter():
    m = vyrcomp.Model(os.path.join(EXAMPLES, "turbojet-maps.xml"))
    rows = m.off_design(T4=1300.0, limits={"T4": 1600, "SM1": 0.05, "Pt3": "2.5MPa"})
    assert rows["status"][0] == 0, rows["message"][0]
    assert rows["limiter"][0] == "T4"  # no limit holds the point: its control does
    assert np.issubdtype(rows["iterations"].dtype, np.integer)
    for key in ("FAR", "Pt2", "Tt2", "Pt4", "W4", "Compressor_SM", "Compressor_SMW"):
        assert key in rows.dtype.names
    assert rows["W4"][0] == pytest.approx(rows["W"][0] + rows["Wf"][0], rel=1e-9)
    with pytest.raises(ValueError, match='names no known quantity "Tq4"'):
        m.off_design(T4=1300.0, limits={"Tq4": 1600})
    with pytest.raises(ValueError, match="thrust_fraction"):
        m.off_design(thrust_fraction=0.0)


def _design_thrust_or_error(model):
    try:
        return model.design().performance["FN"]
    except RuntimeError as e:
        return str(e)


@needs_models
def test_forked_child_refuses_model_files_instead_of_waiting():
    import multiprocessing
    m = vyrcomp.Model(os.path.join(EXAMPLES, "turbojet.xml"))
    m.design()  # the host thread runs in this process
    with multiprocessing.get_context("fork").Pool(1) as pool:
        answer = pool.apply_async(_design_thrust_or_error, (m,)).get(timeout=60)
    assert "forked" in answer and "spawn" in answer
    assert m.design().performance["FN"] > 0  # the parent's host goes on
