"""The package: its submodules, its error type, and the documentation of
every function (what it computes and in which unit)."""
import pydoc

import pytest

import vyrcomp


def test_submodules_import_like_files():
    import vyrcomp.gas
    from vyrcomp.flight import conditions

    assert vyrcomp.gas.H is vyrcomp.gas.H
    assert conditions is vyrcomp.flight.conditions


def test_error_type_is_a_value_error():
    assert issubclass(vyrcomp.VyrError, ValueError)


# Each function's help names its result's unit.
HELP = [
    ("gas.H", "[J/kg]"),
    ("gas.Cp", "[J/(kg K)]"),
    ("gas.R", "[J/(kg K)]"),
    ("gas.gamma", "[-]"),
    ("gas.S", "[J/(kg K)]"),
    ("gas.a", "[m/s]"),
    ("gas.viscosity", "[Pa s]"),
    ("gas.T_from_H", "Temperature [K]"),
    ("gas.T_from_S", "Temperature [K]"),
    ("gas.composition", "Mass fractions [-]"),
    ("combustion.flame_temperature", "temperature [K]"),
    ("combustion.far_for_temperature", "[kg fuel / kg air]"),
    ("combustion.equilibrium_products", "mass fractions [-]"),
    ("combustion.complete_products", "Mass fractions [-]"),
    ("combustion.station_equilibrium", "total temperature [K]"),
    ("atmosphere.standard", "static pressure [Pa]"),
    ("atmosphere.T", "Static temperature [K]"),
    ("atmosphere.P", "Static pressure [Pa]"),
    ("flight.conditions", "Pt total pressure [Pa]"),
    ("flight.qc_at_mach", "Qc [Pa]"),
    ("flight.vc_at_mach", "Calibrated airspeed [m/s]"),
    ("flight.dynamic_pressure", "[Pa]"),
]


@pytest.mark.parametrize("name,unit", HELP, ids=[h[0] for h in HELP])
def test_help_says_what_and_unit(name, unit):
    module, function = name.split(".")
    text = pydoc.render_doc(getattr(getattr(vyrcomp, module), function), renderer=pydoc.plaintext)
    assert unit in text
    assert "errors" in text or function == "composition"
