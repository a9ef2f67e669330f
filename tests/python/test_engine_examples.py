"""The examples a user starts from: the scripts run on a build and write their
PNG, and the model on maps runs off design from its design inputs as they
are set."""
import os
import subprocess
import sys

import pytest

import vyrcomp

EXAMPLES = os.path.join(os.path.dirname(__file__), "..", "..", "examples")
SCRIPTS = os.path.join(EXAMPLES, "python")
PNG = b"\x89PNG\r\n\x1a\n"
needs_models = pytest.mark.skipif(not vyrcomp._vyrcomp.engine.HAS_MODELS, reason="built without the UI library")


@pytest.mark.parametrize("script, needs_models", [
    ("carpet.py", False),
    ("operating_line.py", True),
], ids=["carpet", "operating-line"])
def test_example_writes_its_png(script, needs_models, tmp_path):
    pytest.importorskip("matplotlib")
    if needs_models and not vyrcomp._vyrcomp.engine.HAS_MODELS:
        pytest.skip("built without the UI library")
    out = tmp_path / (script[:-3] + ".png")
    done = subprocess.run([sys.executable, os.path.join(SCRIPTS, script), "--out", str(out)],
                          capture_output=True, text=True, env=dict(os.environ, MPLCONFIGDIR=str(tmp_path)))
    assert done.returncode == 0, done.stderr
    assert out.read_bytes()[:8] == PNG
    assert "not feasible" in done.stdout or "converged" in done.stdout


SHIPPED_T4 = 2370.0 * 5.0 / 9.0  # [K]


# At its design speed and flight condition the engine runs at its design
# point: the point reproduces the design inputs set before it; a design point
# that fails leaves no point off design.
@needs_models
@pytest.mark.parametrize("inputs, PR, T4, failure", [
    ({}, 13.5, SHIPPED_T4, None),
    ({"Compressor.PRdes": 15}, 15.0, SHIPPED_T4, None),
    ({"Burner.Texitdes": 1400}, 13.5, 1400.0, None),
    ({"Burner.Texitdes": 700}, None, None, "The design point failed"),
], ids=["as-shipped", "pressure-ratio-set", "exit-temperature-set", "design-point-fails"])
def test_off_design_follows_the_design_inputs_set(inputs, PR, T4, failure):
    m = vyrcomp.Model(os.path.join(EXAMPLES, "turbojet-maps.xml"))
    m.set(inputs)
    rows = m.off_design(speed=[1.0, 0.9])
    if failure:
        assert list(rows["status"]) == [1, 1]
        assert all(failure in message for message in rows["message"]), rows["message"]
        return
    assert list(rows["status"]) == [0, 0], rows["message"]
    assert rows["Compressor_PR"][0] == pytest.approx(PR, rel=1e-6)
    assert rows["Tt4"][0] == pytest.approx(T4, rel=1e-6)
