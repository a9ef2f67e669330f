"""Flight conditions: the definitions of total state, calibrated airspeed and
impact pressure, the conversions as round trips, and the limits."""
import numpy as np
import pytest

import vyrcomp
from vyrcomp import atmosphere, flight, gas


def test_at_rest_at_sea_level_total_is_static():
    c = flight.conditions(0.0, mach=0.0)
    assert (c["Ps"], c["Ts"], c["Pt"], c["Tt"], c["Vt"], c["Vc"]) == (101325.0, 288.15, 101325.0, 288.15, 0.0, 0.0)


def test_total_state_follows_the_mach_number():
    mach = np.array([0.3, 0.8, 1.6, 2.5])
    z = np.array([[0.0], [11000.0]])
    c = flight.conditions(z, mach=mach, dT=10.0)
    Ts = atmosphere.T(z, dT=10.0)
    assert c["Ts"] == pytest.approx(np.broadcast_to(Ts, c["Ts"].shape))
    assert c["Tt"] == pytest.approx(c["Ts"] * (1 + 0.2 * mach**2))
    assert c["Pt"] == pytest.approx(c["Ps"] * (1 + 0.2 * mach**2) ** 3.5)
    # Vt = M a with the speed of sound of standard air at Ts.
    a = np.sqrt(1.4 * gas.R() * c["Ts"])
    assert c["Vt"] == pytest.approx(mach * a, rel=1e-3)


def test_calibrated_airspeed_is_true_airspeed_at_sea_level_standard():
    c = flight.conditions(0.0, Vt=np.array([50.0, 150.0, 300.0]))
    assert c["Vc"] == pytest.approx(c["Vt"], rel=1e-4)
    # Aloft the calibrated airspeed is the lower one.
    aloft = flight.conditions(10000.0, Vt=200.0)
    assert aloft["Vc"] < 0.7 * aloft["Vt"]


SPEEDS = [
    # id, the speed given
    ("mach", dict(mach=0.78)),
    ("true_airspeed", dict(Vt=230.0)),
    ("calibrated_airspeed", dict(Vc=140.0)),
]


@pytest.mark.parametrize("kw", [s[1] for s in SPEEDS], ids=[s[0] for s in SPEEDS])
def test_any_one_speed_gives_the_other_two_consistently(kw):
    c = flight.conditions(10000.0, **kw)
    for name in ("mach", "Vt", "Vc"):
        again = flight.conditions(10000.0, **{name: c[name]})
        assert again["mach"] == pytest.approx(c["mach"], rel=2e-4)


@pytest.mark.parametrize("P", [101325.0, 26500.0], ids=["sea_level", "10km"])
def test_conversions_round_trip(P):
    mach = np.array([0.2, 0.5, 0.9, 1.0, 1.5, 2.2])
    assert flight.mach_at_qc(flight.qc_at_mach(mach, P), P) == pytest.approx(mach, abs=3e-4)
    assert flight.mach_at_vc(flight.vc_at_mach(mach[:4], P), P) == pytest.approx(mach[:4], abs=3e-4)


def test_impact_pressure_at_mach_one_from_both_relations():
    # (1 + 0.2)^3.5 - 1 subsonic equals the Rayleigh pitot relation at M = 1.
    below, above = flight.qc_at_mach(np.array([1.0 - 1e-9, 1.0 + 1e-9]), 5e4)
    assert below == pytest.approx(5e4 * (1.2**3.5 - 1), rel=1e-6)
    assert above == pytest.approx(below, rel=1e-6)


def test_dynamic_pressure_is_half_rho_v_squared():
    c = flight.conditions(5000.0, mach=0.6)
    q = flight.dynamic_pressure(0.6, c["Ps"], c["Ts"])
    assert q == pytest.approx(0.5 * c["rho"] * c["Vt"] ** 2, rel=1e-3)


def test_custom_atmosphere_and_given_static_temperature():
    custom = flight.conditions(Ps=90000.0, Ts=300.0, mach=0.5)
    assert (custom["Ps"], custom["Ts"], custom["altitude"], custom["dT"]) == (90000.0, 300.0, 0.0, 0.0)
    given = flight.conditions(0.0, Ts=300.0, mach=0.0)
    assert given["dT"] == pytest.approx(11.85)


FAILURES = [
    ("ambient_below_tables", lambda: flight.conditions(80000.0, mach=0.5),
     "The ambient temperature 196.65 K at 80000 m .offset 0 K. lies below the 200 K of the gas property tables"),
    ("total_above_tables", lambda: flight.conditions(0.0, mach=10.0),
     "The total temperature 6051.15 K lies above the 6000 K"),
    ("negative_speed", lambda: flight.conditions(0.0, Vt=-1.0), "Vt = -1 must not be negative"),
    ("altitude_out_of_range", lambda: flight.conditions(90000.0, mach=0.5), "Cannot calculate atmosphere above"),
]


@pytest.mark.parametrize("call,words", [f[1:] for f in FAILURES], ids=[f[0] for f in FAILURES])
def test_refused_flight_conditions_say_why(call, words):
    with pytest.raises(vyrcomp.VyrError, match=words):
        call()


WRONG_CALLS = [
    ("no_speed", lambda: flight.conditions(0.0), "exactly one of mach, Vt and Vc"),
    ("two_speeds", lambda: flight.conditions(0.0, mach=0.5, Vt=100.0), "exactly one of mach, Vt and Vc"),
    ("ps_without_ts", lambda: flight.conditions(Ps=1e5, mach=0.5), "needs Ts too"),
    ("no_altitude", lambda: flight.conditions(mach=0.5), "give the altitude"),
    ("ts_and_dt", lambda: flight.conditions(0.0, Ts=300.0, dT=5.0, mach=0.5), "either Ts or dT"),
]


@pytest.mark.parametrize("call,words", [w[1:] for w in WRONG_CALLS], ids=[w[0] for w in WRONG_CALLS])
def test_wrong_combinations_are_refused(call, words):
    with pytest.raises(TypeError, match=words):
        call()
