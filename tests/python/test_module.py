"""The package's layout: submodules, the error type, the version."""
import vyrcomp


def test_submodules_are_importable_like_files():
    import vyrcomp.gas
    from vyrcomp.atmosphere import __name__ as atmosphere_name  # noqa: F401
    assert vyrcomp.gas is vyrcomp.gas
    for name in ("gas", "combustion", "atmosphere", "flight"):
        assert hasattr(vyrcomp, name)


def test_error_type_is_a_value_error():
    assert issubclass(vyrcomp.VyrError, ValueError)
