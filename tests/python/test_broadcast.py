"""The element-wise rule every function follows: numbers in, float out;
arrays broadcast like NumPy; a failed element raises naming its index, or
with errors="mask" gives NaN and a status exactly there; nothing printed."""
import numpy as np
import pytest

import vyrcomp
from vyrcomp import gas


def element(T, P):
    """S of air for one element: the reference of every broadcast below."""
    return gas.S(float(T), float(P))


SHAPES = [
    # id, T, P
    ("scalar_x_scalar", 500.0, 2e5),
    ("scalar_x_array", 500.0, np.array([1e5, 2e5, 4e5])),
    ("array_x_scalar", np.array([300.0, 600.0, 900.0, 1200.0]), 1e5),
    ("2d_x_1d", np.array([[300.0], [600.0], [900.0]]), np.array([1e5, 2e5, 4e5, 8e5])),
    ("1d_x_2d", np.array([300.0, 600.0]), np.array([[1e5], [3e5], [9e5]])),
    ("0d_arrays", np.array(400.0), np.array(1e5)),
    ("integer_input", np.array([300, 700]), 100000),
    ("strided_view", np.linspace(300.0, 1500.0, 10)[::3], np.array([1e5, 2e5, 3e5, 4e5])[::-1]),
    ("empty", np.zeros((0, 3)) + 300.0, 1e5),
]


@pytest.mark.parametrize("T,P", [s[1:] for s in SHAPES], ids=[s[0] for s in SHAPES])
def test_broadcast_matches_numpy_and_single_calls(T, P):
    got = gas.S(T, P)
    expected_shape = np.broadcast(np.asarray(T), np.asarray(P)).shape
    if np.ndim(T) == 0 and np.ndim(P) == 0:
        assert isinstance(got, float)
        assert got == element(T, P)
        return
    assert isinstance(got, np.ndarray)
    assert got.shape == expected_shape
    Tb, Pb = np.broadcast_arrays(np.asarray(T, float), np.asarray(P, float))
    for idx in np.ndindex(expected_shape):
        assert got[idx] == element(Tb[idx], Pb[idx])


def test_shapes_that_do_not_broadcast_are_refused():
    with pytest.raises(ValueError, match=r"could not be broadcast together with shapes \(3,\) \(4,\)"):
        gas.S(np.ones(3) * 300.0, np.ones(4) * 1e5)


FAILURES = [
    # id, T, P, index text, the message's words
    ("1d_below_tables", np.array([300.0, 150.0, 400.0]), 1e5, "element 1:", "T = 150 K lies outside the gas property tables"),
    ("2d_pressure", np.array([[300.0, 400.0], [500.0, 600.0]]), np.array([1e5, -1.0]), "element (0, 1):",
     "P = -1 Pa must lie above 0 Pa"),
    ("nan_input", np.array([300.0, 400.0, np.nan]), 1e5, "element 2:", "T is not a finite number"),
]


@pytest.mark.parametrize("T,P,index,words", [f[1:] for f in FAILURES], ids=[f[0] for f in FAILURES])
def test_raise_names_the_first_failed_element_and_the_message(T, P, index, words, capfd):
    with pytest.raises(vyrcomp.VyrError) as e:
        gas.S(T, P)
    assert str(e.value).startswith("vyrcomp.gas.S: " + index)
    assert words in str(e.value)
    assert capfd.readouterr().err == ""


@pytest.mark.parametrize("T,P,index,words", [f[1:] for f in FAILURES], ids=[f[0] for f in FAILURES])
def test_mask_gives_nan_and_status_exactly_at_failed_elements(T, P, index, words):
    values, status = gas.S(T, P, errors="mask")
    Tb, Pb = np.broadcast_arrays(np.asarray(T, float), np.asarray(P, float))
    bad = ~(np.isfinite(Tb) & (Tb >= 200) & (Pb > 0))
    assert status.dtype == np.int32 and status.shape == values.shape == Tb.shape
    assert np.array_equal(status != 0, bad)
    assert np.array_equal(np.isnan(values), bad)
    for idx in zip(*np.nonzero(~bad)):
        assert values[idx] == element(Tb[idx], Pb[idx])


def test_library_failure_carries_its_message_and_help_context():
    # Products far too rich leave no oxygen for the dissociation at a station:
    # the library's own message, and its help context as the status.
    far = np.array([0.03, 0.3])
    with pytest.raises(vyrcomp.VyrError) as e:
        vyrcomp.combustion.station_equilibrium(2000.0, 1e5, far=far)
    assert str(e.value) == "vyrcomp.combustion.station_equilibrium: element 1: O2 concentration too small"
    (Tt, y), status = vyrcomp.combustion.station_equilibrium(2000.0, 1e5, far=far, errors="mask")
    assert status.tolist() == [0, 85513]
    assert np.isfinite(Tt[0]) and np.isnan(Tt[1])
    assert np.isfinite(y[0]).all() and np.isnan(y[1]).all()


def test_scalar_call_raises_without_element_index():
    with pytest.raises(vyrcomp.VyrError) as e:
        gas.H(100.0)
    assert str(e.value) == "vyrcomp.gas.H: T = 100 K lies outside the gas property tables (200 K to 6000 K)"


def test_scalar_call_with_mask_gives_nan_and_status():
    value, status = gas.H(100.0, errors="mask")
    assert np.isnan(value) and status == 1
    assert gas.H(300.0, errors="mask") == (gas.H(300.0), 0)


BAD_CALLS = [
    ("unknown_errors_mode", lambda: gas.H(300.0, errors="ignore"), ValueError, "errors must be"),
    ("text_input", lambda: gas.H("hot"), TypeError, "T must be a number or an array of numbers"),
    ("none_input", lambda: gas.S(300.0, None), TypeError, "P is missing"),
]


@pytest.mark.parametrize("call,kind,words", [b[1:] for b in BAD_CALLS], ids=[b[0] for b in BAD_CALLS])
def test_wrong_calls_are_refused_clearly(call, kind, words):
    with pytest.raises(kind, match=words):
        call()
