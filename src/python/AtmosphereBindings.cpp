// vyrcomp.atmosphere: the standard atmosphere from -5 km to 80 km.
#include <cmath>
#include <string>

#include "Atmosphere.h"
#include "Bindings.h"
#include "Broadcast.h"
#include "GasInputs.h"
#include "SysUtils.h"

namespace vyr::python {

namespace {

const char* const kAltitudeArg = R"(

    altitude: pressure altitude [m], -5000 m to 80000 m.)";
const char* const kOffsetArg = R"(
    dT:       offset of the static temperature from the standard one [K] (default 0).)";
const char* const kErrorsArg = R"(
    errors:   "raise" (default): a failed element raises vyrcomp.VyrError naming the
              element; "mask": NaN at failed elements and the call returns (values, status),
              status 0 where an element succeeded.

Numbers give floats, arrays arrays (inputs broadcast like NumPy).)";

// Static temperature [K] and pressure [Pa] of the standard atmosphere at a
// pressure altitude, the temperature offset by dT.
void Standard(double Zp, double dT, double& Ts, double& Ps) {
  if (!GetSTDTsAmbFromPressureAltitude(Zp, dtStd, Ts) || !GetSTDPsAmbFromPressureAltitude(Zp, dtStd, Ps))
    throw CoreFailure();
  if (!(Ts + dT > 0.0))
    throw ElementFailure(Printf("dT = %g K takes the static temperature %g K at %g m to %g K: not above 0 K", dT, Ts,
                                Zp, Ts + dT));
  Ts += dT;
}

}  // namespace

void BindAtmosphere(py::module_& m) {
  m.def(
      "standard",
      [](py::object altitude, py::object dT, const std::string& errors) {
        const ErrorMode mode = ParseErrors(errors);
        const ElementwiseResult r = ElementwiseArrays<4>(
            "vyrcomp.atmosphere.standard", {{"altitude", altitude}, {"dT", dT}}, mode,
            [](const double* in, double* out) {
              double Ts, Ps;
              Standard(in[0], in[1], Ts, Ps);
              out[0] = Ts;
              out[1] = Ps;
              out[2] = Ps / (R_st * Ts);
              out[3] = std::sqrt(gamma_st * R_st * Ts);
              return true;
            });
        return PackNamed(r, {"T", "P", "rho", "a"}, mode);
      },
      (std::string("The standard atmosphere at a pressure altitude, as a dict: T static temperature [K]\n"
                   "(the standard one plus dT), P static pressure [Pa], rho density [kg/m^3] and a speed\n"
                   "of sound [m/s] of standard air.") +
       kAltitudeArg + kOffsetArg + kErrorsArg)
          .c_str(),
      py::arg("altitude"), py::arg("dT") = 0.0, py::kw_only(), py::arg("errors") = "raise");
  m.def(
      "T",
      [](py::object altitude, py::object dT, const std::string& errors) {
        return Elementwise<1>("vyrcomp.atmosphere.T", {{"altitude", altitude}, {"dT", dT}}, ParseErrors(errors),
                              [](const double* in, double* out) {
                                double Ps;
                                Standard(in[0], in[1], out[0], Ps);
                                return true;
                              });
      },
      (std::string("Static temperature [K] of the standard atmosphere at a pressure altitude, plus dT.") +
       kAltitudeArg + kOffsetArg + kErrorsArg)
          .c_str(),
      py::arg("altitude"), py::arg("dT") = 0.0, py::kw_only(), py::arg("errors") = "raise");
  m.def(
      "P",
      [](py::object altitude, const std::string& errors) {
        return Elementwise<1>("vyrcomp.atmosphere.P", {{"altitude", altitude}}, ParseErrors(errors),
                              [](const double* in, double* out) {
                                double Ts;
                                Standard(in[0], 0.0, Ts, out[0]);
                                return true;
                              });
      },
      (std::string("Static pressure [Pa] of the standard atmosphere at a pressure altitude (a pressure\n"
                   "altitude is the altitude of this pressure, whatever the temperature).") +
       kAltitudeArg + kErrorsArg)
          .c_str(),
      py::arg("altitude"), py::kw_only(), py::arg("errors") = "raise");
}

}  // namespace vyr::python
