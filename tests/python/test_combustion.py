"""Combustion: published flame temperatures and fuel-air ratios, the energy
balance of the burner and the atom balance of the products as independent
sums, the flame temperature and its fuel-air ratio as a round trip, and the
enthalpy a station keeps through its equilibrium."""
import numpy as np
import pytest

import vyrcomp
from vyrcomp import combustion, gas

SP = {s: i for i, s in enumerate(gas.species)}


def test_fuels_by_the_names_of_the_vyr_program():
    assert combustion.fuels == ("avtur", "avtag", "avcat", "diesel", "natgas", "hydrogen", "jp10", "ethanol",
                                "methanol", "ammonia")
    # Names in any case, as the program takes them.
    assert combustion.fuel_data("NatGas") == combustion.fuel_data("natgas")


PUBLISHED_STOICHIOMETRIC = [
    # id, fuel, stoichiometric fuel-air ratio: air-fuel ratios 17.2 (methane), 34.3 (hydrogen)
    # and 14.7 (kerosene, H/C about 1.9) by mass.
    ("methane", "natgas", 1 / 17.2),
    ("hydrogen", "hydrogen", 1 / 34.3),
    ("kerosene", "avtur", 1 / 14.7),
]


@pytest.mark.parametrize("fuel,far", [p[1:] for p in PUBLISHED_STOICHIOMETRIC],
                         ids=[p[0] for p in PUBLISHED_STOICHIOMETRIC])
def test_stoichiometric_fuel_air_ratio_matches_published_values(fuel, far):
    assert combustion.fuel_data(fuel)["far_stoich"] == pytest.approx(far, rel=5e-3)


def test_methane_flame_near_stoichiometric_matches_the_published_temperature():
    # Equilibrium flame temperature of methane in air from 298 K at 1 atm: 2226 K
    # (Turns, An Introduction to Combustion, Table B.1).
    far = 0.999 * combustion.fuel_data("natgas")["far_stoich"]
    assert combustion.flame_temperature(far, 298.15, 101325.0, fuel="natgas") == pytest.approx(2226.0, abs=10.0)


def test_dissociation_cools_the_flame_most_near_stoichiometric():
    st = combustion.fuel_data("natgas")["far_stoich"]
    far = st * np.array([0.3, 0.6, 0.95])
    eq = combustion.flame_temperature(far, 298.15, fuel="natgas")
    complete = combustion.flame_temperature(far, 298.15, fuel="natgas", method="complete")
    loss = complete - eq
    assert np.all(loss >= -1e-6)
    assert loss[0] < 1.0 < loss[1] < loss[2]


BALANCES = [
    # id, fuel (a species of the tables, so its enthalpy is gas.H's), far, T_air, P, method, efficiency
    ("methane_equilibrium", "natgas", 0.03, 700.0, 20e5, "equilibrium", 1.0),
    ("methane_complete_rich", "natgas", 0.09, 500.0, 1e5, "complete", 1.0),
    ("hydrogen_equilibrium", "hydrogen", 0.02, 850.0, 30e5, "equilibrium", 1.0),
    ("methane_inefficient", "natgas", 0.02, 600.0, 10e5, "equilibrium", 0.97),
]


@pytest.mark.parametrize("fuel,far,T_air,P,method,eff", [b[1:] for b in BALANCES], ids=[b[0] for b in BALANCES])
def test_flame_temperature_conserves_enthalpy(fuel, far, T_air, P, method, eff):
    Tf = combustion.flame_temperature(far, T_air, P, fuel=fuel, method=method, efficiency=eff)
    species = {"natgas": "CH4", "hydrogen": "H2"}[fuel]
    lhv = combustion.fuel_data(fuel)["lhv"]
    reactants = gas.H(T_air) + far * gas.H(298.15, {species: 1.0}) - (1 - eff) * far * lhv
    if method == "complete":
        products = combustion.complete_products(far, fuel)
    else:
        products = combustion.equilibrium_products(far, Tf, P, fuel)
    assert (1 + far) * gas.H(Tf, products) == pytest.approx(reactants, abs=1e-3 * gas.Cp(Tf, products))


def test_fuel_air_ratio_for_a_temperature_round_trip():
    far = np.array([0.005, 0.015, 0.025, 0.04])
    T_air = np.array([[500.0], [800.0]])  # a burner's inlet
    Tf = combustion.flame_temperature(far, T_air, 20e5)
    assert Tf.shape == (2, 4)
    assert combustion.far_for_temperature(Tf, T_air, 20e5) == pytest.approx(np.broadcast_to(far, Tf.shape), rel=1e-7)


def test_cool_lean_burner_round_trips_as_complete_combustion():
    # An altitude burner at low power: air at 400 K and 0.5 bar heated to 410 ... 600 K.
    # Hardly anything dissociates there, so the equilibrium answer is the complete one.
    fuel = {"hc": 2.0022, "oc": 0, "lhv": 45305978.35}
    T = np.arange(410.0, 601.0, 10.0)
    far = combustion.far_for_temperature(T, 400.0, 5e4, fuel=fuel)
    assert combustion.flame_temperature(far, 400.0, 5e4, fuel=fuel) == pytest.approx(T, abs=1e-6)
    complete = combustion.far_for_temperature(T, 400.0, 5e4, fuel=fuel, method="complete")
    assert far == pytest.approx(complete, rel=1e-5)
    assert np.all(np.diff(far) > 0)
    # The forward flame at a fuel-air ratio of 0.003 reaches 531 K, so 530 K needs a little less.
    assert combustion.flame_temperature(0.003, 400.0, 5e4, fuel=fuel) == pytest.approx(531.27, abs=0.01)
    assert combustion.far_for_temperature(530.0, 400.0, 5e4, fuel=fuel) == pytest.approx(0.0029703, rel=1e-4)


def atoms(x):
    """Moles of C, H, O, N and Ar atoms in one mole of a mixture of mole fractions x."""
    n = {s: x[i] for s, i in SP.items()}
    return {
        "C": n["CO2"] + n["CO"] + n["CH4"],
        "H": 2 * n["H2Og"] + 2 * n["H2"] + n["H"] + n["OH"] + 4 * n["CH4"],
        "O": 2 * n["CO2"] + n["CO"] + 2 * n["O2"] + n["H2Og"] + n["O"] + n["OH"] + n["NO"] + n["N2O"],
        "N": 2 * n["N2"] + n["NO"] + 2 * n["N2O"],
        "Ar": n["Ar"],
    }


@pytest.mark.parametrize("T", [1500.0, 2300.0, 3000.0], ids=["1500K", "2300K", "3000K"])
def test_equilibrium_products_keep_the_atoms_of_air_and_methane(T):
    far = 0.045
    x = combustion.equilibrium_products(far, T, 5e5, "natgas", basis="mole")
    assert x.sum() == pytest.approx(1.0, abs=1e-12)
    got = atoms(x)
    # Reactants per kg of air: air's own atoms and far kg of CH4.
    air = atoms(gas.mole_fractions("air"))
    n_air = gas.R() / gas.R_universal  # kmol per kg
    n_ch4 = far * gas.R({"CH4": 1.0}) / gas.R_universal
    want = {k: v * n_air for k, v in air.items()}
    want["C"] += n_ch4
    want["H"] += 4 * n_ch4
    for element in ("C", "H", "O", "Ar"):
        assert got[element] / got["N"] == pytest.approx(want[element] / want["N"], rel=1e-9)
    # Mass and mole fractions describe the same products.
    y = combustion.equilibrium_products(far, T, 5e5, "natgas")
    assert gas.mole_fractions(y) == pytest.approx(x, abs=1e-12)


def test_equilibrium_products_become_the_complete_ones_when_cool():
    # At 1000 K carbon dioxide and water hardly dissociate; only a trace of NO forms.
    y_eq = combustion.equilibrium_products(0.02, 1000.0, 1e5)
    y_complete = combustion.complete_products(0.02)
    for s in ("CO2", "H2Og", "Ar"):
        assert y_eq[SP[s]] == pytest.approx(y_complete[SP[s]], rel=1e-6)
    assert y_eq[SP["CO"]] < 1e-9 and y_eq[SP["NO"]] < 1e-4


STATIONS = [
    # id, Tt, Pt, gas
    ("hot_products_dissociate", 2500.0, 20e5, dict(far=0.03)),
    ("wet_gas_condenses", 300.0, 1e5, dict(mix={"N2": 0.95, "H2Og": 0.05})),
]


@pytest.mark.parametrize("Tt,Pt,kw", [s[1:] for s in STATIONS], ids=[s[0] for s in STATIONS])
def test_station_equilibrium_keeps_the_total_enthalpy(Tt, Pt, kw):
    y_in = gas.composition(kw["mix"]) if "mix" in kw else combustion.complete_products(kw["far"])
    T_out, y_out = combustion.station_equilibrium(Tt, Pt, **kw)
    assert y_out.sum() == pytest.approx(1.0, abs=1e-9)
    assert not np.allclose(y_out, y_in, atol=1e-6), "the composition should change"
    assert gas.H(T_out, y_out) == pytest.approx(gas.H(Tt, y_in), abs=0.5 * gas.Cp(Tt, y_in))


FAILURES = [
    # id, call, the message's words
    ("rich_equilibrium", lambda: combustion.flame_temperature(0.08, 800.0),
     "lean mixtures only: the fuel-air ratio 0.08 is at or above the stoichiometric 0.06817"),
    ("fuel_too_hot", lambda: combustion.flame_temperature(0.02, 800.0, T_fuel=500.0),
     r"T_fuel = 500 K must lie between 220 K and 450 K for Jet A/A1, JP-8, Avtur"),
    ("efficiency_too_low", lambda: combustion.flame_temperature(0.02, 800.0, efficiency=0.3),
     "efficiency = 0.3 must lie between 0.5 and 1"),
    ("no_far", lambda: combustion.complete_products(0.0), "far = 0: the fuel-air ratio must lie above 0"),
    ("temperature_below_air", lambda: combustion.far_for_temperature(700.0, 800.0),
     "T = 700 K must lie above the air temperature"),
    ("equilibrium_too_cold", lambda: combustion.equilibrium_products(0.02, 150.0, 1e5),
     "outside the range of the equilibrium calculation"),
]


@pytest.mark.parametrize("call,words", [f[1:] for f in FAILURES], ids=[f[0] for f in FAILURES])
def test_refused_combustion_says_why(call, words):
    with pytest.raises(vyrcomp.VyrError, match=words):
        call()


BAD_FUELS = [
    ("unknown_name", "kerosine", ValueError, 'unknown fuel "kerosine"'),
    ("user_without_hc", {"lhv": 43e6}, ValueError, 'needs "hc"'),
    ("user_lhv_and_hf", {"hc": 2.0, "lhv": 43e6, "hf": -2e6}, ValueError, "not both"),
    ("user_unknown_key", {"hc": 2.0, "lhv": 43e6, "cp": 2000.0}, ValueError, 'has no "cp"'),
    ("not_a_fuel", 3.0, TypeError, "fuel must be a fuel name"),
]


@pytest.mark.parametrize("fuel,kind,words", [b[1:] for b in BAD_FUELS], ids=[b[0] for b in BAD_FUELS])
def test_bad_fuels_are_refused(fuel, kind, words):
    with pytest.raises(kind, match=words):
        combustion.fuel_data(fuel)


def test_user_fuel_like_kerosene_burns_like_it():
    avtur = combustion.fuel_data("avtur")
    user = {"hc": avtur["hc"], "lhv": avtur["lhv"]}
    assert combustion.fuel_data(user)["far_stoich"] == pytest.approx(avtur["far_stoich"], rel=1e-12)
    assert combustion.complete_products(0.02, user) == pytest.approx(combustion.complete_products(0.02), abs=1e-12)
