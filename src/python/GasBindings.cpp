// vyrcomp.gas: properties of air, of combustion products and of given
// compositions, and the temperature from enthalpy or entropy.
#include <pybind11/numpy.h>

#include <algorithm>
#include <string>

#include "Bindings.h"
#include "Broadcast.h"
#include "GasInputs.h"
#include "GasIterations.h"
#include "GasProperties.h"
#include "SysUtils.h"
#include "Transport.h"

namespace vyr::python {

namespace {

// What every property function says about its gas and its errors.
const char* const kGasArgs = R"(
    mix:    the gas: "air" (default), a dict {species: mass fraction} or 19 mass
            fractions in the order of vyrcomp.gas.species. Mass fractions, not
            mole fractions (vyrcomp.gas.composition converts those).
    fuel:   a fuel name (vyrcomp.combustion.fuels) or a user fuel
            {"hc": H/C, "oc": O/C, "lhv": J/kg}; used only with far.
    far:    fuel-air ratio [kg fuel / kg air]; when given the gas is the products
            of complete combustion of fuel in air, and far broadcasts like T.
    errors: "raise" (default): a failed element raises vyrcomp.VyrError naming
            the element; "mask": NaN at failed elements and the call returns
            (values, status), status 0 where an element succeeded.

Numbers give a float, arrays an array (inputs broadcast like NumPy).)";

std::string Doc(const char* what, const char* inputs) {
  return std::string(what) + "\n\n    " + inputs + kGasArgs;
}

// Species present in y whose viscosity fit at T is a row of zeros: the
// library's fallback of 1 micropoise would stand in for them.
std::string SpeciesWithoutViscosity(double T, const TGasComposition& y) {
  std::string names;
  for (int s = 0; s < GasCount; ++s) {
    if (!(y[s] > 1e-15)) continue;
    const TVisCoefArray& c = T < 1000.0 ? GasProperties[s].VisCoefs_below1000 : GasProperties[s].VisCoefs_above1000;
    if (std::all_of(c.begin(), c.end(), [](double v) { return v == 0.0; }))
      names += (names.empty() ? "" : ", ") + std::string(GasNames[s]);
  }
  return names;
}

// T after the check against the property tables.
double Table(double T) {
  CheckTableTemperature(T);
  return T;
}

py::object FarArg(const py::object& far) { return far.is_none() ? py::object(py::float_(0.0)) : far; }

// A function of the gas and one input (the temperature, or the enthalpy of the inverse).
template <class K>
void DefT(py::module_& m, const char* name, const char* function, const char* first, const std::string& doc,
          K kernel) {
  m.def(
      name,
      [function, first, kernel](py::object X, py::object mix, py::object fuel, py::object far,
                                const std::string& errors) {
        const ErrorMode mode = ParseErrors(errors);
        const GasSource source = GasSourceFrom(mix, fuel, far, function);
        GasAt gas(source);
        return Elementwise<1>(function, {{first, X}, {"far", FarArg(far)}}, mode, [&](const double* in, double* out) {
          out[0] = kernel(in[0], gas(in[1]));
          return true;
        });
      },
      doc.c_str(), py::arg(first), py::arg("mix") = "air", py::kw_only(), py::arg("fuel") = "avtur",
      py::arg("far") = py::none(), py::arg("errors") = "raise");
}

// A property of the gas at temperature T and pressure P.
template <class K>
void DefTP(py::module_& m, const char* name, const char* function, const char* first, const std::string& doc,
           K kernel) {
  m.def(
      name,
      [function, first, kernel](py::object X, py::object P, py::object mix, py::object fuel, py::object far,
                                const std::string& errors) {
        const ErrorMode mode = ParseErrors(errors);
        const GasSource source = GasSourceFrom(mix, fuel, far, function);
        GasAt gas(source);
        return Elementwise<1>(function, {{first, X}, {"P", P}, {"far", FarArg(far)}}, mode,
                              [&](const double* in, double* out) {
                                CheckPressure(in[1]);
                                out[0] = kernel(in[0], in[1], gas(in[2]));
                                return true;
                              });
      },
      doc.c_str(), py::arg(first), py::arg("P"), py::arg("mix") = "air", py::kw_only(), py::arg("fuel") = "avtur",
      py::arg("far") = py::none(), py::arg("errors") = "raise");
}

}  // namespace

void BindGas(py::module_& m) {
  py::tuple species(GasCount);
  for (int s = 0; s < GasCount; ++s) species[s] = std::string(GasNames[s]);
  m.attr("species") = species;
  m.attr("air") = ToArray(Air);
  m.attr("R_universal") = R_u;

  m.def(
      "composition",
      [](py::object spec, const std::string& basis) {
        const char* function = "vyrcomp.gas.composition";
        if (basis == "mass") return ToArray(CompositionFrom(spec, function));
        if (basis != "mole") throw py::value_error("basis must be \"mass\" or \"mole\", not \"" + basis + "\"");
        const TGasComposition x = FractionsFrom(spec, function);
        CheckFractions(x, function);
        return ToArray(MassComposition(x, 1.0));
      },
      "Mass fractions [-] (19, in the order of vyrcomp.gas.species) of a gas given as \"air\",\n"
      "a dict {species: fraction} or 19 fractions; basis says whether the fractions given are\n"
      "mass fractions (\"mass\") or mole fractions (\"mole\"). The fractions must sum to 1.",
      py::arg("spec"), py::arg("basis") = "mass");
  m.def(
      "mole_fractions",
      [](py::object mix) { return ToArray(MoleComposition(CompositionFrom(mix, "vyrcomp.gas.mole_fractions"), 1.0)); },
      "Mole fractions [-] (19, in the order of vyrcomp.gas.species) of a gas given as \"air\",\n"
      "a dict {species: mass fraction} or 19 mass fractions.",
      py::arg("mix") = "air");

  DefT(m, "H", "vyrcomp.gas.H", "T",
       Doc("Specific enthalpy of the gas [J/kg] at temperature T [K], formation enthalpy included\n"
           "(the elements are at zero at 298.15 K, so air holds about -14.4 kJ/kg at 288.15 K).",
           "T:      temperature [K], 200 K to 6000 K (the property tables)."),
       [](double T, const TGasComposition& y) { return FH(Table(T), y); });
  DefT(m, "Cp", "vyrcomp.gas.Cp", "T",
       Doc("Specific heat at constant pressure of the gas [J/(kg K)] at temperature T [K].",
           "T:      temperature [K], 200 K to 6000 K (the property tables)."),
       [](double T, const TGasComposition& y) { return FCp(Table(T), y); });
  DefT(m, "gamma", "vyrcomp.gas.gamma", "T",
       Doc("Ratio of specific heats Cp/Cv of the gas [-] at temperature T [K].",
           "T:      temperature [K], 200 K to 6000 K (the property tables)."),
       [](double T, const TGasComposition& y) { return FGm(Table(T), y); });
  DefT(m, "a", "vyrcomp.gas.a", "T",
       Doc("Speed of sound in the gas [m/s] at temperature T [K].",
           "T:      temperature [K], 200 K to 6000 K (the property tables)."),
       [](double T, const TGasComposition& y) { return FCs(Table(T), y); });
  DefT(m, "viscosity", "vyrcomp.gas.viscosity", "T",
       Doc("Dynamic viscosity of the gas [Pa s] at temperature T [K] (Wilke's mixing rule).\n"
           "A species present without viscosity data makes the element fail.",
           "T:      temperature [K], 200 K to 6000 K (the property tables)."),
       [](double T, const TGasComposition& y) {
         CheckTableTemperature(T);
         const std::string missing = SpeciesWithoutViscosity(T, y);
         if (!missing.empty())
           throw ElementFailure(Printf("the property tables hold no viscosity data for %s at T = %g K",
                                       missing.c_str(), T));
         return DynViscosity_Mu(T, y);
       });

  m.def(
      "R",
      [](py::object mix, py::object fuel, py::object far, const std::string& errors) {
        const char* function = "vyrcomp.gas.R";
        const ErrorMode mode = ParseErrors(errors);
        const GasSource source = GasSourceFrom(mix, fuel, far, function);
        GasAt gas(source);
        return Elementwise<1>(function, {{"far", FarArg(far)}}, mode, [&](const double* in, double* out) {
          out[0] = FR(gas(in[0]));
          return true;
        });
      },
      Doc("Gas constant of the gas [J/(kg K)]: the universal gas constant over the molar mass\n"
          "of the gas phase.",
          "(no temperature: R depends on the composition alone)")
          .c_str(),
      py::arg("mix") = "air", py::kw_only(), py::arg("fuel") = "avtur", py::arg("far") = py::none(),
      py::arg("errors") = "raise");

  DefTP(m, "S", "vyrcomp.gas.S", "T",
        Doc("Specific entropy of the gas [J/(kg K)] at temperature T [K] and pressure P [Pa].\n"
            "The standard entropies are 1-bar values and the pressure term is -R ln(P / 101325 Pa);\n"
            "only differences of S have a physical meaning.",
            "T:      temperature [K], 200 K to 6000 K (the property tables).\n"
            "    P:      pressure [Pa], above 0 and at most 1e8 Pa."),
        [](double T, double P, const TGasComposition& y) {
          CheckTableTemperature(T);
          return FS(T, P, y);
        });

  DefT(m, "T_from_H", "vyrcomp.gas.T_from_H", "H",
       Doc("Temperature [K] at which the gas has the specific enthalpy H [J/kg] (inverse of H).",
           "H:      specific enthalpy [J/kg], formation included, between the enthalpies of the\n"
           "            gas at 200 K and 3000 K (the range of the temperature iteration)."),
       [](double H, const TGasComposition& y) {
         const double lo = FH(kTableTmin, y), hi = FH(T_itermax, y);
         if (!(H >= lo && H <= hi))
           throw ElementFailure(Printf("H = %g J/kg lies outside the enthalpies of this gas between %g K and %g K "
                                       "(%g J/kg to %g J/kg), the range of the temperature iteration",
                                       H, kTableTmin, T_itermax, lo, hi));
         double T = 0.0;
         if (!GetT(H, y, kTol, T, "vyrcomp.gas.T_from_H")) throw CoreFailure();
         return T;
       });
  DefTP(m, "T_from_S", "vyrcomp.gas.T_from_S", "S",
        Doc("Temperature [K] at which the gas has the specific entropy S [J/(kg K)] at pressure P [Pa]\n"
            "(inverse of S).",
            "S:      specific entropy [J/(kg K)] on the scale of vyrcomp.gas.S, between the entropies\n"
            "            of the gas at 200 K and 6000 K at P.\n"
            "    P:      pressure [Pa], above 0 and at most 1e8 Pa."),
        [](double S, double P, const TGasComposition& y) {
          const double lo = FS(kTableTmin, P, y), hi = FS(kTableTmax, P, y);
          if (!(S >= lo && S <= hi))
            throw ElementFailure(Printf("S = %g J/(kg K) lies outside the entropies of this gas between %g K and "
                                        "%g K at P = %g Pa (%g to %g J/(kg K))",
                                        S, kTableTmin, kTableTmax, P, lo, hi));
          double T = 0.0;
          if (!GetTfromS(S, P, y, kTol, T, "vyrcomp.gas.T_from_S")) throw CoreFailure();
          // S lies between its values at the table limits, so T does too, but for the
          // iteration's tolerance at the very ends.
          if (!(T >= kTableTmin - 1.0 && T <= kTableTmax + 1.0)) CheckTableTemperature(T);
          return std::clamp(T, kTableTmin, kTableTmax);
        });
}

}  // namespace vyr::python
