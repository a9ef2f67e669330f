// vyrcomp.flight: the ambient and flight condition from altitude, temperature
// and one speed, and the conversions between Mach number, impact pressure,
// calibrated airspeed and dynamic pressure.
#include <string>

#include "Bindings.h"
#include "Broadcast.h"
#include "FlightConditions.h"
#include "GasInputs.h"
#include "SysUtils.h"

namespace vyr::python {

namespace {

const char* const kErrorsArg = R"(
    errors: "raise" (default): a failed element raises vyrcomp.VyrError naming the
            element; "mask": NaN at failed elements and the call returns (values, status),
            status 0 where an element succeeded.

Numbers give floats, arrays arrays (inputs broadcast like NumPy).)";

void CheckSpeed(double v, const char* name) {
  if (!(v >= 0.0)) throw ElementFailure(Printf("%s = %g must not be negative", name, v));
}

// The ambient static temperature must lie in the property tables: the engine
// model evaluates the gas there.
void CheckAmbient(const TAmbConditions& a) {
  if (a.Ts >= kTableTmin && a.Ts <= kTableTmax) return;
  throw ElementFailure(Printf("The ambient temperature %g K at %g m (offset %g K) lies %s the %g K of the gas property "
                              "tables",
                              a.Ts, a.Zp, a.dTs, a.Ts < kTableTmin ? "below" : "above",
                              a.Ts < kTableTmin ? kTableTmin : kTableTmax));
}

// A conversion of two inputs: (speed, pressure) with a check of the speed.
template <class F>
void DefConversion(py::module_& m, const char* name, const char* function, const char* first, const std::string& doc,
                   F convert) {
  m.def(
      name,
      [function, first, convert](py::object x, py::object P, const std::string& errors) {
        return Elementwise<1>(function, {{first, x}, {"P", P}}, ParseErrors(errors),
                              [&](const double* in, double* out) {
                                CheckSpeed(in[0], first);
                                CheckPressure(in[1]);
                                out[0] = convert(in[0], in[1]);
                                return true;
                              });
      },
      (doc + "\n\n    P:      static pressure [Pa], above 0 and at most 1e8 Pa." + kErrorsArg).c_str(), py::arg(first),
      py::arg("P"), py::kw_only(), py::arg("errors") = "raise");
}

}  // namespace

void BindFlight(py::module_& m) {
  m.def(
      "conditions",
      [](py::object altitude, py::object mach, py::object Vt, py::object Vc, py::object dT, py::object Ts,
         py::object Ps, const std::string& errors) {
        const char* function = "vyrcomp.flight.conditions";
        const ErrorMode mode = ParseErrors(errors);
        const int given = !mach.is_none() + !Vt.is_none() + !Vc.is_none();
        if (given != 1) throw py::type_error(std::string(function) + ": give exactly one of mach, Vt and Vc");
        const int speed = !mach.is_none() ? 0 : !Vt.is_none() ? 1 : 2;
        const char* speedName = speed == 0 ? "mach" : speed == 1 ? "Vt" : "Vc";
        const py::object v = speed == 0 ? mach : speed == 1 ? Vt : Vc;
        int model = 1;  // the standard atmosphere with a temperature offset (0 by default)
        if (!Ps.is_none()) {
          if (Ts.is_none()) throw py::type_error(std::string(function) + ": Ps (a custom atmosphere) needs Ts too");
          if (!altitude.is_none() || !dT.is_none())
            throw py::type_error(std::string(function) + ": a custom atmosphere (Ps, Ts) takes no altitude or dT");
          model = 2;
        } else {
          if (altitude.is_none()) throw py::type_error(std::string(function) + ": give the altitude (or Ps and Ts)");
          if (!Ts.is_none()) {
            if (!dT.is_none()) throw py::type_error(std::string(function) + ": give either Ts or dT, not both");
            model = 3;
          }
        }
        const py::object zero = py::float_(0.0);
        auto orZero = [&](const py::object& o) { return o.is_none() ? zero : o; };
        const ElementwiseResult r = ElementwiseArrays<10>(
            function,
            {{"altitude", orZero(altitude)}, {speedName, v}, {"dT", orZero(dT)}, {"Ts", orZero(Ts)}, {"Ps", orZero(Ps)}},
            mode, [&](const double* in, double* out) {
              TAmbConditions a{};
              a.Zp = in[0];
              a.dTs = in[2];
              a.Ts = in[3];
              a.Ps = in[4];
              CheckSpeed(in[1], speedName);
              (speed == 0 ? a.Mach : speed == 1 ? a.Vt : a.Vc) = in[1];
              if (model == 2) CheckPressure(a.Ps, "Ps");
              if (model >= 2) CheckTableTemperature(a.Ts, "Ts");
              if (!CalcFlyCon(model, speed, a)) throw CoreFailure();
              CheckAmbient(a);
              if (!(a.Tt <= kTableTmax))
                throw ElementFailure(Printf("The total temperature %g K lies above the %g K of the gas property "
                                            "tables: the speed is beyond this calculation",
                                            a.Tt, kTableTmax));
              if (!(a.Tt >= a.Ts * (1 - 1e-9) && a.Pt >= a.Ps * (1 - 1e-9)))
                throw ElementFailure("The total state lies below the static state");
              const double values[10] = {a.Ps, a.Ts, a.Rho, a.Pt, a.Tt, a.Mach, a.Vt, a.Vc, a.dTs, a.Zp};
              std::copy(values, values + 10, out);
              return true;
            });
        return PackNamed(r, {"Ps", "Ts", "rho", "Pt", "Tt", "mach", "Vt", "Vc", "dT", "altitude"}, mode);
      },
      (std::string(
           "The ambient and flight condition, as a dict: Ps static pressure [Pa], Ts static\n"
           "temperature [K], rho density [kg/m^3], Pt total pressure [Pa], Tt total temperature [K],\n"
           "mach Mach number [-], Vt true airspeed [m/s], Vc calibrated airspeed [m/s], dT offset\n"
           "from the standard temperature [K] and altitude [m].\n\n"
           "    altitude: pressure altitude [m], -5000 m to 80000 m (not with a custom atmosphere).\n"
           "    mach, Vt, Vc: the speed, exactly one of Mach number [-], true airspeed [m/s] or\n"
           "              calibrated airspeed [m/s]; not negative.\n"
           "    dT:       offset from the standard temperature [K] (default 0).\n"
           "    Ts:       static temperature [K] in place of dT; with Ps (and no altitude) a custom\n"
           "              atmosphere.\n"
           "    Ps:       static pressure [Pa] of a custom atmosphere.\n"
           "The ambient static temperature must lie in the gas property tables (200 K to 6000 K)\n"
           "and the total temperature at most 6000 K.") +
       kErrorsArg)
          .c_str(),
      py::arg("altitude") = py::none(), py::kw_only(), py::arg("mach") = py::none(), py::arg("Vt") = py::none(),
      py::arg("Vc") = py::none(), py::arg("dT") = py::none(), py::arg("Ts") = py::none(),
      py::arg("Ps") = py::none(), py::arg("errors") = "raise");

  DefConversion(m, "qc_at_mach", "vyrcomp.flight.qc_at_mach", "mach",
                "Impact (pitot) pressure Qc [Pa] at the flight Mach number mach [-] and static pressure P\n"
                "[Pa] (isentropic below Mach 1, behind a normal shock above).",
                [](double M, double P) { return Qc_at_Mach(M, P); });
  DefConversion(m, "mach_at_qc", "vyrcomp.flight.mach_at_qc", "qc",
                "Flight Mach number [-] from the impact pressure qc [Pa] and static pressure P [Pa]\n"
                "(the inverse of qc_at_mach within about 3e-4).",
                [](double Qc, double P) { return Mach_at_Qc(Qc, P); });
  DefConversion(m, "vc_at_mach", "vyrcomp.flight.vc_at_mach", "mach",
                "Calibrated airspeed [m/s] at the flight Mach number mach [-] and static pressure P [Pa]:\n"
                "the speed whose impact pressure at sea-level standard conditions is that of the flight.",
                [](double M, double P) { return Vc_at_Mach(M, P); });
  DefConversion(m, "mach_at_vc", "vyrcomp.flight.mach_at_vc", "Vc",
                "Flight Mach number [-] from the calibrated airspeed Vc [m/s] and static pressure P [Pa].",
                [](double Vc, double P) { return Mach_at_Vc(Vc, P); });
  m.def(
      "dynamic_pressure",
      [](py::object mach, py::object P, py::object T, const std::string& errors) {
        return Elementwise<1>("vyrcomp.flight.dynamic_pressure", {{"mach", mach}, {"P", P}, {"T", T}},
                              ParseErrors(errors), [](const double* in, double* out) {
                                CheckSpeed(in[0], "mach");
                                CheckPressure(in[1]);
                                CheckTableTemperature(in[2]);
                                out[0] = q_at_conditions(in[0], in[1], in[2]);
                                return true;
                              });
      },
      (std::string("Dynamic pressure 0.5 gamma P mach^2 [Pa] of air at the Mach number mach [-], static\n"
                   "pressure P [Pa] and static temperature T [K] (gamma of air at T).\n\n"
                   "    P:      static pressure [Pa], above 0 and at most 1e8 Pa.\n"
                   "    T:      static temperature [K], 200 K to 6000 K.") +
       kErrorsArg)
          .c_str(),
      py::arg("mach"), py::arg("P"), py::arg("T"), py::kw_only(), py::arg("errors") = "raise");
}

}  // namespace vyr::python
