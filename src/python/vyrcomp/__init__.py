"""Gas-turbine performance functions: gas properties, combustion, the
standard atmosphere, flight conditions and engine models.

All inputs and outputs are SI (K, Pa, J/kg, J/(kg K), m, m/s, kg/m^3).
Functions take numbers or NumPy arrays and broadcast like NumPy. A failure
raises VyrError (a ValueError) naming the element and the library's message;
with errors="mask" a failed element gives NaN and the call returns
(values, status), status being 0 where the element succeeded.
"""

import sys as _sys

from ._vyrcomp import VyrError, __version__, gas, combustion, atmosphere, flight

# "import vyrcomp.gas" and "from vyrcomp.gas import H" work like for a
# package of Python files.
for _name in ("gas", "combustion", "atmosphere", "flight"):
    _sys.modules[__name__ + "." + _name] = globals()[_name]
del _name

from .engine import *  # noqa: E402,F401,F403
from .sweep import sweep  # noqa: E402,F401
