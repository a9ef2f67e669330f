// vyrcomp.combustion: fuels, products of complete and of equilibrium
// combustion, the flame temperature and its inverse, equilibrium at a station.
#include <pybind11/numpy.h>

#include <deque>
#include <string>

#include "Bindings.h"
#include "Broadcast.h"
#include "FuelTemperature.h"
#include "GasInputs.h"
#include "GasProperties.h"
#include "StationEquilibrium.h"
#include "SysUtils.h"

namespace vyr::python {

namespace {

// Temperatures of the equilibrium calculation [K] (as in "vyr burn").
constexpr double kEqTmin = 200.0, kEqTmax = 4000.0;
// Air temperatures at a burner inlet [K] and combustion efficiencies [-] (as in "vyr burn").
constexpr double kTairMax = 2000.0, kEffMin = 0.5;

const char* const kFuelArg = R"(
    fuel:   a fuel name (vyrcomp.combustion.fuels, default "avtur") or a user fuel
            {"hc": H/C, "oc": O/C, "lhv": J/kg} (or "hf", its formation enthalpy in J/kg).)";
const char* const kErrorsArg = R"(
    errors: "raise" (default): a failed element raises vyrcomp.VyrError naming the
            element; "mask": NaN at failed elements and the call returns (values, status),
            status 0 where an element succeeded, else the library's help context or 1.

Numbers give floats, arrays arrays (inputs broadcast like NumPy).)";

// The docstring with the fuel and errors arguments; kept for the module's life.
const char* Doc(const std::string& text) {
  static std::deque<std::string> texts;
  texts.push_back(text + kFuelArg + kErrorsArg);
  return texts.back().c_str();
}

void CheckFar(double far) {
  if (!(far > 0.0 && far <= 1.0))
    throw ElementFailure(Printf("far = %g: the fuel-air ratio must lie above 0 and at most 1 (kg fuel per kg air)", far));
}

void CheckLean(double far, double stoich) {
  if (far >= stoich)
    throw ElementFailure(Printf("The equilibrium products are computed for lean mixtures only: the fuel-air "
                                "ratio %g is at or above the stoichiometric %.5g of this fuel; method=\"complete\" "
                                "gives complete-combustion products there",
                                far, stoich));
}

void CheckBurner(const cli::Fuel& fuel, double Tair, double Tfuel, double eff) {
  if (!(Tair >= kTableTmin && Tair <= kTairMax))
    throw ElementFailure(Printf("T_air = %g K must lie between %g K and %g K", Tair, kTableTmin, kTairMax));
  const TFuelTemperatureRange range = FuelTemperatureRange(fuel.type);
  if (!(Tfuel >= range.Tmin && Tfuel <= range.Tmax))
    throw ElementFailure(Printf("T_fuel = %g K must lie between %g K and %g K for %s (%s)", Tfuel, range.Tmin,
                                range.Tmax, fuel.name.c_str(), std::string(range.basis).c_str()));
  if (!(eff >= kEffMin && eff <= 1.0))
    throw ElementFailure(Printf("efficiency = %g must lie between %g and 1", eff, kEffMin));
}

engine::TProducts MethodFrom(const std::string& method) {
  if (method == "equilibrium") return engine::TProducts::Equilibrium;
  if (method == "complete") return engine::TProducts::Complete;
  throw py::value_error("method must be \"equilibrium\" or \"complete\", not \"" + method + "\"");
}

// A burner function of (first, T_air, P, T_fuel, efficiency): the flame
// temperature or its fuel-air ratio. solve checks its own inputs and returns
// the library's verdict.
template <class Solve>
void DefBurner(py::module_& m, const char* name, const char* function, const char* first, const char* doc,
               Solve solve) {
  m.def(
      name,
      [function, first, solve](py::object x, py::object T_air, py::object P, py::object T_fuel,
                               py::object efficiency, py::object fuel, const std::string& method,
                               const std::string& errors) {
        const ErrorMode mode = ParseErrors(errors);
        const engine::TProducts how = MethodFrom(method);
        const cli::Fuel f = FuelFrom(fuel, function);
        return Elementwise<1>(function,
                              {{first, x}, {"T_air", T_air}, {"P", P}, {"T_fuel", T_fuel}, {"efficiency", efficiency}},
                              mode, [&](const double* in, double* out) {
                                CheckPressure(in[2]);
                                CheckBurner(f, in[1], in[3], in[4]);
                                if (!solve(f, how, in, out[0])) throw CoreFailure();
                                return true;
                              });
      },
      doc, py::arg(first), py::arg("T_air"), py::arg("P") = 101325.0, py::kw_only(), py::arg("T_fuel") = 298.15,
      py::arg("efficiency") = 1.0, py::arg("fuel") = "avtur", py::arg("method") = "equilibrium",
      py::arg("errors") = "raise");
}

// The outputs [from, from + GasCount) of an element-wise call as one array
// whose last axis holds the 19 fractions.
py::object Fractions(const ElementwiseResult& r, std::size_t from) {
  py::list parts;
  for (int s = 0; s < GasCount; ++s) parts.append(r.outputs[from + s]);
  return py::module_::import("numpy").attr("stack")(parts, py::arg("axis") = -1);
}

}  // namespace

void BindCombustion(py::module_& m) {
  py::list fuels;
  for (const std::string& k : cli::FuelKeys())
    if (k != "user") fuels.append(k);
  m.attr("fuels") = py::tuple(fuels);

  m.def(
      "fuel_data",
      [](py::object fuel) {
        const cli::Fuel f = FuelFrom(fuel, "vyrcomp.combustion.fuel_data");
        const TFuelTemperatureRange range = FuelTemperatureRange(f.type);
        py::dict d;
        d["name"] = f.name;
        d["hc"] = f.y;
        d["oc"] = f.z;
        d["lhv"] = f.LHV;
        d["cp"] = f.Cp;
        d["far_stoich"] = engine::StoichiometricFar(f);
        d["T_fuel_min"] = range.Tmin;
        d["T_fuel_max"] = range.Tmax;
        return d;
      },
      ("Data of a fuel as a dict: name, hc (H/C atom ratio [-]), oc (O/C atom ratio [-]),\n"
       "lhv (lower heating value [J/kg]), cp (specific heat [J/(kg K)]), far_stoich\n"
       "(stoichiometric fuel-air ratio in air [kg fuel / kg air]) and T_fuel_min, T_fuel_max\n"
       "(fuel temperatures [K] its property model holds for)." +
       std::string(kFuelArg))
          .c_str(),
      py::arg("fuel") = "avtur");

  m.def(
      "complete_products",
      [](py::object far, py::object fuel, const std::string& errors) {
        const char* function = "vyrcomp.combustion.complete_products";
        const ErrorMode mode = ParseErrors(errors);
        const cli::Fuel f = FuelFrom(fuel, function);
        const ElementwiseResult r =
            ElementwiseArrays<GasCount>(function, {{"far", far}}, mode, [&](const double* in, double* out) {
              CheckFar(in[0]);
              TGasComposition y;
              if (!engine::CompleteProducts(f, in[0], y)) throw CoreFailure();
              std::copy(y.begin(), y.end(), out);
              return true;
            });
        return WithStatus(Fractions(r, 0), r, mode);
      },
      Doc("Mass fractions [-] of the products of complete combustion of fuel in air at the fuel-air\n"
          "ratio far [kg fuel / kg air], without dissociation: lean mixtures give CO2, H2O and the\n"
          "excess O2, rich ones CO and H2. The last axis of the result holds the 19 species of\n"
          "vyrcomp.gas.species.\n\n"
          "    far:    fuel-air ratio [kg fuel / kg air], above 0 and at most 1."),
      py::arg("far"), py::arg("fuel") = "avtur", py::kw_only(), py::arg("errors") = "raise");

  m.def(
      "equilibrium_products",
      [](py::object far, py::object T, py::object P, py::object fuel, const std::string& basis,
         const std::string& errors) {
        const char* function = "vyrcomp.combustion.equilibrium_products";
        const ErrorMode mode = ParseErrors(errors);
        if (basis != "mass" && basis != "mole")
          throw py::value_error("basis must be \"mass\" or \"mole\", not \"" + basis + "\"");
        const bool mole = basis == "mole";
        const cli::Fuel f = FuelFrom(fuel, function);
        const double stoich = engine::StoichiometricFar(f);
        const ElementwiseResult r = ElementwiseArrays<GasCount>(
            function, {{"far", far}, {"T", T}, {"P", P}}, mode, [&](const double* in, double* out) {
              CheckFar(in[0]);
              CheckLean(in[0], stoich);
              if (!(in[1] >= kEqTmin && in[1] <= kEqTmax))
                throw ElementFailure(Printf("T = %g K lies outside the range of the equilibrium calculation "
                                            "(%g K to %g K)",
                                            in[1], kEqTmin, kEqTmax));
              CheckPressure(in[2]);
              TGasComposition mass, moles;
              if (!engine::EquilibriumProducts(f, in[0], in[1], in[2], mass, &moles)) throw CoreFailure();
              const TGasComposition& y = mole ? moles : mass;
              std::copy(y.begin(), y.end(), out);
              return true;
            });
        return WithStatus(Fractions(r, 0), r, mode);
      },
      Doc("Products of fuel burnt in air at the fuel-air ratio far in chemical equilibrium at\n"
          "temperature T [K] and pressure P [Pa] (CO2, CO, O2, Ar, H2O, H2, O, H, OH, NO, N2O, N2),\n"
          "as mass fractions [-] (basis=\"mass\") or mole fractions [-] (basis=\"mole\"). The last\n"
          "axis of the result holds the 19 species of vyrcomp.gas.species.\n\n"
          "    far:    fuel-air ratio [kg fuel / kg air], above 0 and below the stoichiometric one\n"
          "            (lean mixtures only).\n"
          "    T:      temperature [K], 200 K to 4000 K.\n"
          "    P:      pressure [Pa], above 0 and at most 1e8 Pa."),
      py::arg("far"), py::arg("T"), py::arg("P"), py::arg("fuel") = "avtur", py::kw_only(),
      py::arg("basis") = "mass", py::arg("errors") = "raise");

  DefBurner(m, "flame_temperature", "vyrcomp.combustion.flame_temperature", "far",
            Doc("Adiabatic flame temperature [K]: the temperature of the products of fuel burnt in air at\n"
                "the fuel-air ratio far that holds the enthalpy of the air at T_air and of the fuel at\n"
                "T_fuel, less the heat not released (1 - efficiency) of the heating value.\n\n"
                "    far:        fuel-air ratio [kg fuel / kg air], above 0 and at most 1; below the\n"
                "                stoichiometric one with method=\"equilibrium\".\n"
                "    T_air:      air temperature [K], 200 K to 2000 K.\n"
                "    P:          pressure [Pa] (default 101325), above 0 and at most 1e8 Pa.\n"
                "    T_fuel:     fuel temperature [K] (default 298.15), within the fuel's range\n"
                "                (fuel_data: T_fuel_min to T_fuel_max).\n"
                "    efficiency: combustion efficiency [-] (default 1), 0.5 to 1.\n"
                "    method:     \"equilibrium\" (default; products in chemical equilibrium, lean only)\n"
                "                or \"complete\" (complete combustion, lean and rich)."),
            [](const cli::Fuel& f, engine::TProducts how, const double* in, double& T) {
              CheckFar(in[0]);
              if (how == engine::TProducts::Equilibrium) CheckLean(in[0], engine::StoichiometricFar(f));
              return engine::ExitTemperature(f, in[0], in[1], in[3], in[4], in[2], T, how);
            });

  DefBurner(m, "far_for_temperature", "vyrcomp.combustion.far_for_temperature", "T",
            Doc("Fuel-air ratio [kg fuel / kg air] that burns air at T_air to the temperature T [K]\n"
                "(the inverse of flame_temperature), searched up to the stoichiometric ratio.\n\n"
                "    T:          burner exit (flame) temperature [K], above T_air and at most 4000 K.\n"
                "    T_air:      air temperature [K], 200 K to 2000 K.\n"
                "    P:          pressure [Pa] (default 101325), above 0 and at most 1e8 Pa.\n"
                "    T_fuel:     fuel temperature [K] (default 298.15), within the fuel's range.\n"
                "    efficiency: combustion efficiency [-] (default 1), 0.5 to 1.\n"
                "    method:     \"equilibrium\" (default) or \"complete\"."),
            [](const cli::Fuel& f, engine::TProducts how, const double* in, double& far) {
              if (!(in[0] > in[1]))
                throw ElementFailure(Printf("T = %g K must lie above the air temperature T_air = %g K: burning "
                                            "fuel heats the gas",
                                            in[0], in[1]));
              if (!(in[0] <= kEqTmax)) throw ElementFailure(Printf("T = %g K lies above %g K", in[0], kEqTmax));
              return engine::FuelAirRatio(f, in[0], in[1], in[3], in[4], in[2], far, how);
            });

  m.def(
      "station_equilibrium",
      [](py::object Tt, py::object Pt, py::object mix, py::object fuel, py::object far, const std::string& errors) {
        const char* function = "vyrcomp.combustion.station_equilibrium";
        const ErrorMode mode = ParseErrors(errors);
        const GasSource source = GasSourceFrom(mix, fuel, far, function);
        GasAt gas(source);
        const py::object farArg = far.is_none() ? py::object(py::float_(0.0)) : far;
        const ElementwiseResult r = ElementwiseArrays<GasCount + 1>(
            function, {{"Tt", Tt}, {"Pt", Pt}, {"far", farArg}}, mode, [&](const double* in, double* out) {
              CheckTableTemperature(in[0], "Tt");
              CheckPressure(in[1], "Pt");
              TGasconditions g;
              g.Composition = gas(in[2]);
              // The gas at rest: its static state is the total one.
              g.Tt = g.Ts = in[0];
              g.Pt = g.Ps = in[1];
              g.W = 1.0;
              g.H = FH(g.Tt, g.Composition);
              std::string message;
              int code = 0;
              if (!SetEquilibriumConditions(function, cmDesign, kTol, ssoNone, 0.0, g, true, message, code))
                throw CoreFailure();
              CheckTableTemperature(g.Tt, "the equilibrium Tt");
              out[0] = g.Tt;
              std::copy(g.Composition.begin(), g.Composition.end(), out + 1);
              return true;
            });
        return WithStatus(py::make_tuple(Output(r, 0), Fractions(r, 1)), r, mode);
      },
      ("Phase and chemical equilibrium of a gas at a station at constant total enthalpy: water\n"
       "condenses or evaporates by its saturation pressure, and carbon dioxide and water\n"
       "dissociate or recombine (above 1800 K or with radicals present). Returns (Tt, y): the\n"
       "total temperature [K] that keeps the total enthalpy, and the mass fractions [-] (last\n"
       "axis: the 19 species of vyrcomp.gas.species).\n\n"
       "    Tt:     total temperature [K] of the incoming gas, 200 K to 6000 K.\n"
       "    Pt:     total pressure [Pa], above 0 and at most 1e8 Pa.\n"
       "    mix:    the gas: \"air\" (default), a dict {species: mass fraction} or 19 mass fractions.\n"
       "    far:    when given, the gas is the products of complete combustion of fuel in air at\n"
       "            this fuel-air ratio [kg fuel / kg air] (broadcasts like Tt)." +
       std::string(kFuelArg) + kErrorsArg)
          .c_str(),
      py::arg("Tt"), py::arg("Pt"), py::arg("mix") = "air", py::kw_only(), py::arg("fuel") = "avtur",
      py::arg("far") = py::none(), py::arg("errors") = "raise");
}

}  // namespace vyr::python
