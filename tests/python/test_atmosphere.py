"""The standard atmosphere: published values of the 1976 standard, the
hydrostatic equation that ties pressure to density, and its limits."""
import numpy as np
import pytest

import vyrcomp
from vyrcomp import atmosphere

PUBLISHED_1976 = [
    # id, geopotential pressure altitude [m], T [K], P [Pa], rho [kg/m^3]
    ("sea_level", 0.0, 288.15, 101325.0, 1.2250),
    ("5km", 5000.0, 255.65, 54019.9, 0.73612),
    ("tropopause_11km", 11000.0, 216.65, 22632.1, 0.36392),
    ("20km", 20000.0, 216.65, 5474.89, 0.088035),
    ("32km", 32000.0, 228.65, 868.019, 0.013225),
]


@pytest.mark.parametrize("z,T,P,rho", [p[1:] for p in PUBLISHED_1976], ids=[p[0] for p in PUBLISHED_1976])
def test_standard_atmosphere_matches_the_1976_tables(z, T, P, rho):
    s = atmosphere.standard(z)
    assert s["T"] == pytest.approx(T, abs=1e-9)
    assert s["P"] == pytest.approx(P, rel=2e-5)
    assert s["rho"] == pytest.approx(rho, rel=2e-4)
    assert atmosphere.T(z) == s["T"] and atmosphere.P(z) == s["P"]


def test_pressure_follows_the_hydrostatic_equation():
    # dP/dz = -rho g on geopotential altitude, in every layer (standard and offset days:
    # a pressure altitude keeps its pressure whatever the temperature, so only the
    # standard density counts).
    z = np.array([-4000.0, 3000.0, 15000.0, 25000.0, 40000.0, 49000.0, 60000.0, 75000.0])
    dz = 0.5
    slope = (atmosphere.P(z + dz) - atmosphere.P(z - dz)) / (2 * dz)
    assert slope == pytest.approx(-atmosphere.standard(z)["rho"] * 9.80665, rel=2e-4)


def test_temperature_offset_moves_temperature_and_density_not_pressure():
    z = np.array([0.0, 8000.0])
    hot = atmosphere.standard(z, dT=np.array([[15.0], [-20.0]]))
    std = atmosphere.standard(z)
    assert hot["T"] == pytest.approx(std["T"] + np.array([[15.0], [-20.0]]))
    assert hot["P"] == pytest.approx(np.broadcast_to(std["P"], (2, 2)))
    assert hot["rho"] * hot["T"] == pytest.approx(np.broadcast_to(std["rho"] * std["T"], (2, 2)))
    assert hot["a"] ** 2 / hot["T"] == pytest.approx(np.full((2, 2), std["a"][0] ** 2 / 288.15))


LIMITS = [
    ("above_80km", lambda: atmosphere.P(80001.0), "Cannot calculate atmosphere above 80.0 km / 262467 ft"),
    ("below_minus_5km", lambda: atmosphere.T(-5001.0), "Cannot calculate atmosphere below -5.0 km / -16404 ft"),
    ("offset_below_zero_kelvin", lambda: atmosphere.T(11000.0, dT=-220.0), "not above 0 K"),
]


@pytest.mark.parametrize("call,words", [l[1:] for l in LIMITS], ids=[l[0] for l in LIMITS])
def test_outside_the_atmosphere_fails_with_the_library_message(call, words):
    with pytest.raises(vyrcomp.VyrError, match=words):
        call()


def test_the_range_ends_are_inside():
    assert atmosphere.T(np.array([-5000.0, 80000.0])) == pytest.approx([320.65, 196.65])
