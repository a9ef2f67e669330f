"""Gas properties: published values of air, the thermodynamic relations that
tie the properties together, the mixing rule, and the inverse functions as
round trips."""
import numpy as np
import pytest

import vyrcomp
from vyrcomp import gas

# The same gas given four ways, and two others.
KEROSENE_PRODUCTS = dict(far=0.025, fuel="avtur")
GASES = [
    ("air", dict()),
    ("air_as_dict", dict(mix={"N2": 0.7552, "O2": 0.2314, "Ar": 0.0129, "CO2": 0.0005})),
    ("air_as_array", dict(mix=gas.air)),
    ("kerosene_products", KEROSENE_PRODUCTS),
    ("methane_products_rich", dict(far=0.07, fuel="natgas")),
    ("wet_nitrogen", dict(mix={"N2": 0.9, "H2Og": 0.1})),
]
GAS_IDS = [g[0] for g in GASES]
GAS_KW = [g[1] for g in GASES]

PUBLISHED_AIR = [
    # id, function, arguments, value, relative tolerance
    # Ideal-gas tables of dry air (e.g. Incropera, Table A.4; the 1976 standard atmosphere).
    ("Cp_300K", gas.Cp, (300.0,), 1005.0, 2e-3),
    ("gamma_300K", gas.gamma, (300.0,), 1.400, 1e-3),
    ("R", gas.R, (), 287.05, 1e-4),
    ("a_sea_level", gas.a, (288.15,), 340.294, 2e-4),
    ("viscosity_300K", gas.viscosity, (300.0,), 1.846e-5, 1e-2),
    ("Cp_1000K", gas.Cp, (1000.0,), 1141.0, 5e-3),
]


@pytest.mark.parametrize("f,args,value,rel", [p[1:] for p in PUBLISHED_AIR], ids=[p[0] for p in PUBLISHED_AIR])
def test_air_matches_published_values(f, args, value, rel):
    assert f(*args) == pytest.approx(value, rel=rel)


TEMPERATURES = np.array([220.0, 450.0, 999.0, 1001.0, 1800.0, 2900.0, 4500.0])


@pytest.mark.parametrize("kw", GAS_KW, ids=GAS_IDS)
def test_cp_is_the_temperature_derivative_of_h(kw):
    dT = 1e-3
    slope = (gas.H(TEMPERATURES + dT, **kw) - gas.H(TEMPERATURES - dT, **kw)) / (2 * dT)
    assert gas.Cp(TEMPERATURES, **kw) == pytest.approx(slope, rel=1e-6)


@pytest.mark.parametrize("kw", GAS_KW, ids=GAS_IDS)
def test_entropy_follows_cp_over_t_and_the_pressure_term(kw):
    dT = 1e-3
    P = 3e5
    slope = (gas.S(TEMPERATURES + dT, P, **kw) - gas.S(TEMPERATURES - dT, P, **kw)) / (2 * dT)
    assert gas.Cp(TEMPERATURES, **kw) / TEMPERATURES == pytest.approx(slope, rel=1e-6)
    # At one temperature, S falls by R ln(P2 / P1) from P1 to P2.
    drop = gas.S(TEMPERATURES, 1e5, **kw) - gas.S(TEMPERATURES, 8e5, **kw)
    assert drop == pytest.approx(gas.R(**kw) * np.log(8.0), rel=1e-9)


@pytest.mark.parametrize("kw", GAS_KW, ids=GAS_IDS)
def test_gamma_and_speed_of_sound_follow_from_cp_and_r(kw):
    cp, R = gas.Cp(TEMPERATURES, **kw), gas.R(**kw)
    assert gas.gamma(TEMPERATURES, **kw) == pytest.approx(cp / (cp - R), rel=1e-12)
    assert gas.a(TEMPERATURES, **kw) == pytest.approx(np.sqrt(cp / (cp - R) * R * TEMPERATURES), rel=1e-12)


def test_same_gas_given_three_ways_has_the_same_properties():
    as_dict = dict(zip(gas.species, gas.air))
    as_dict = {k: v for k, v in as_dict.items() if v > 0}
    for f in (gas.H, gas.Cp, gas.viscosity):
        assert f(TEMPERATURES, as_dict) == pytest.approx(f(TEMPERATURES), rel=1e-14)
        assert f(TEMPERATURES, gas.air) == pytest.approx(f(TEMPERATURES), rel=1e-14)


def test_mixture_enthalpy_is_the_mass_weighted_sum_of_the_species():
    y = {"N2": 0.70, "O2": 0.12, "CO2": 0.08, "H2Og": 0.06, "Ar": 0.04}
    independent = sum(w * gas.H(TEMPERATURES, {s: 1.0}) for s, w in y.items())
    assert gas.H(TEMPERATURES, y) == pytest.approx(independent, rel=1e-12, abs=1e-6)
    # The molar mass of a mixture is the harmonic mean of the species': R adds the same way.
    assert gas.R(y) == pytest.approx(sum(w * gas.R({s: 1.0}) for s, w in y.items()), rel=1e-12)


def test_products_are_the_complete_combustion_products():
    y = vyrcomp.combustion.complete_products(0.025)
    assert gas.H(TEMPERATURES, **KEROSENE_PRODUCTS) == pytest.approx(gas.H(TEMPERATURES, y), rel=1e-12)
    # No fuel is air: the products' fuel-air ratio may be 0 and broadcasts like T.
    far = np.array([0.0, 0.01, 0.025])
    h = gas.H(TEMPERATURES[:, None], far=far)
    assert h.shape == (TEMPERATURES.size, 3)
    assert h[:, 0] == pytest.approx(gas.H(TEMPERATURES), rel=1e-12)


@pytest.mark.parametrize("kw", GAS_KW, ids=GAS_IDS)
def test_temperature_from_enthalpy_round_trip(kw):
    T = np.linspace(200.0, 3000.0, 57)
    assert gas.T_from_H(gas.H(T, **kw), **kw) == pytest.approx(T, abs=1e-4)


@pytest.mark.parametrize("P", [1e3, 1e5, 4e7], ids=["1kPa", "100kPa", "40MPa"])
@pytest.mark.parametrize("kw", GAS_KW, ids=GAS_IDS)
def test_temperature_from_entropy_and_pressure_round_trip(kw, P):
    T = np.linspace(200.0, 6000.0, 59)
    assert gas.T_from_S(gas.S(T, P, **kw), P, **kw) == pytest.approx(T, abs=1e-3)


OUTSIDE = [
    # id, call, the message's words
    ("T_below_tables", lambda: gas.Cp(199.0), "T = 199 K lies outside the gas property tables"),
    ("T_above_tables", lambda: gas.H(6001.0), "T = 6001 K lies outside"),
    ("H_above_iteration", lambda: gas.T_from_H(gas.H(3100.0)), "the range of the temperature iteration"),
    ("S_below_tables", lambda: gas.T_from_S(gas.S(200.0, 1e5) - 10.0, 1e5), "lies outside the entropies"),
    ("pressure_zero", lambda: gas.S(300.0, 0.0), "P = 0 Pa must lie above 0 Pa"),
    ("pressure_ideal_gas_limit", lambda: gas.S(300.0, 2e8), r"at most 1e\+08 Pa"),
    ("viscosity_without_data", lambda: gas.viscosity(800.0, {"N2": 0.9, "C3H8": 0.1}),
     "no viscosity data for C3H8"),
    ("far_negative", lambda: gas.H(300.0, far=-0.01), "far = -0.01: the fuel-air ratio must lie between 0 and 1"),
]


@pytest.mark.parametrize("call,words", [o[1:] for o in OUTSIDE], ids=[o[0] for o in OUTSIDE])
def test_values_outside_the_model_fail_with_a_message(call, words):
    with pytest.raises(vyrcomp.VyrError, match=words):
        call()


BAD_GASES = [
    # id, mix, exception, words
    ("sum_not_one", {"N2": 0.5}, ValueError, r"Composition sum \(0.5\) in vyrcomp.gas.H not 1 !"),
    ("negative_fraction", {"N2": 1.1, "O2": -0.1}, ValueError, r"O2 concentration \(-0.1\)<0 in vyrcomp.gas.H"),
    ("unknown_species", {"N3": 1.0}, ValueError, r'"N3" is no species'),
    ("variable_fuel_species", {"N2": 0.9, "CxHyOz": 0.1}, ValueError, "takes its properties from a fuel"),
    ("wrong_length", np.ones(18) / 18, TypeError, "19 mass fractions"),
    ("unknown_name", "steam", ValueError, '"steam" is not a gas'),
    ("nan_fraction", {"N2": float("nan")}, ValueError, "not a finite number"),
]


@pytest.mark.parametrize("mix,kind,words", [b[1:] for b in BAD_GASES], ids=[b[0] for b in BAD_GASES])
def test_bad_gases_are_refused_with_the_reason(mix, kind, words):
    with pytest.raises(kind, match=words):
        gas.H(300.0, mix)


def test_mole_and_mass_fractions_round_trip():
    x = {"N2": 0.78084, "O2": 0.20946, "Ar": 0.00934, "CO2": 0.00036}
    y = gas.composition(x, basis="mole")
    assert y.sum() == pytest.approx(1.0, abs=1e-12)
    # Oxygen is heavier than nitrogen: its mass fraction exceeds its mole fraction.
    assert y[gas.species.index("O2")] > x["O2"]
    back = gas.mole_fractions(y)
    for s, v in x.items():
        assert back[gas.species.index(s)] == pytest.approx(v, rel=1e-12)
