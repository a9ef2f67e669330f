"""The example scripts a user starts from run on a build and write their PNG."""
import os
import subprocess
import sys

import pytest

import vyrcomp

EXAMPLES = os.path.join(os.path.dirname(__file__), "..", "..", "examples", "python")
PNG = b"\x89PNG\r\n\x1a\n"


@pytest.mark.parametrize("script, needs_models", [
    ("carpet.py", False),
    ("operating_line.py", True),
], ids=["carpet", "operating-line"])
def test_example_writes_its_png(script, needs_models, tmp_path):
    pytest.importorskip("matplotlib")
    if needs_models and not vyrcomp._vyrcomp.engine.HAS_MODELS:
        pytest.skip("built without the UI library")
    out = tmp_path / (script[:-3] + ".png")
    done = subprocess.run([sys.executable, os.path.join(EXAMPLES, script), "--out", str(out)],
                          capture_output=True, text=True, env=dict(os.environ, MPLCONFIGDIR=str(tmp_path)))
    assert done.returncode == 0, done.stderr
    assert out.read_bytes()[:8] == PNG
    assert "not feasible" in done.stdout or "converged" in done.stdout
