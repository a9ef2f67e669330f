#include "Fuels.h"

#include <cmath>

#include "GasKernels.h"
#include "GasMixture.h"
#include "GasProperties.h"

namespace vyr {

using detail::kGasProperties;
using detail::kPresent;

const TFuelPropsArray FuelDataArray = {{
    {1.9167, 0, 43031000, 2093.8526, 2093.8526, 167.31102, "Jet A/A1, JP-8, Avtur"},
    {1.9423, 0, 43356700, 2140, 2140, 167.5932432, "Jet B, JP-4, Avtag"},
    {1.9185, 0, 43263600, 2050, 2050, 167.3513376, "JP-5, Avcat"},
    {1.85, 0, 42000000, 2000, 2000, 226.44, "Diesel fuel"},
    {4.0, 0, 50030000, 2224.7533, 2224.7533, 16.0, "Natural Gas (pure CH4)"},
    {0, 0, 120000000, 14304.595, 14304.595, 2.0, "H2 (gas)"},
    {1.6, 0, 42100000, 1491.54, 1491.54, 136.23404, "JP-10"},
    {3.0, 0.5, 26803000, 1420, 1420, 46.0, "Ethanol"},
    {4.0, 1.0, 19915000, 1370, 1370, 32.0, "Methanol"},
    {0, 0, 18900000, 2175, 2175, 17.0, "Ammonia"},
    {0, 0, 0, 0, 0, 0, "User specified composition"},
}};

namespace {

constexpr double kHydrogenOnly = 1.0e12;  // H/C ratio above which a fuel holds no carbon

// Factor from the fuel's property record to per-kilogram values: the liquid
// record (JetAliquid) gives one twelfth of them, a gas species record is per
// kilogram already.
double RecordScale(TFuelType type) { return LiquidFuelTypes.contains(type) ? 12.0 : 1.0; }

// Enthalpy change of species s from 298.15 K to T [J/kg].
double DeltaH(TGas s, double T) { return EnthalpyChange(T, T_ref, kGasProperties[s]); }

struct Atoms {
  double C, H, O;
};

// Carbon, hydrogen and oxygen atoms of a mole composition; the variable fuel
// species carries y hydrogen and z oxygen atoms per carbon. Liquid water is
// counted in neither.
Atoms CountAtoms(const TGasComposition& n, double y, double z) {
  Atoms a;
  a.C = n[gtCO2] + n[gtCO] + n[gtCH4] + 2 * n[gtC2H6] + 2 * n[gtC2H4] + 3 * n[gtC3H8] + 4 * n[gtC4H10] +
        n[gtCxHyOz];
  a.H = 2 * n[gtH2Og] + 2 * n[gtH2] + n[gtH] + n[gtOH] + 4 * n[gtCH4] + 6 * n[gtC2H6] + 4 * n[gtC2H4] +
        8 * n[gtC3H8] + 10 * n[gtC4H10] + y * n[gtCxHyOz];
  a.O = 2 * n[gtCO2] + n[gtCO] + 2 * n[gtO2] + n[gtOH] + n[gtO] + n[gtH2Og] + n[gtNO] + n[gtN2O] +
        z * n[gtCxHyOz];
  return a;
}

}  // namespace

double FormationEnthalpy(const TGasComposition& x) {
  double h = 0.0;
  for (int i = 0; i < GasCount; ++i) {
    if (i == gtO2 || i == gtAr || i == gtH2 || i == gtCxHyOz || i == gtN2) continue;
    if (x[i] > kPresent) h += x[i] * kGasProperties[i].Hformation / kGasProperties[i].Molemass;
  }
  return 1000.0 * h;
}

double CombustionEnthalpy(double W1, double W2, const TGasComposition& x1, const TGasComposition& x2,
                          const TGasComposition& xp) {
  return W1 * FormationEnthalpy(x1) + W2 * FormationEnthalpy(x2) - (W1 + W2) * FormationEnthalpy(xp);
}

bool StdFuelFormationandReactantEnthalpy(double Cpf, double HC_ratio, double OC_ratio, double Tref, double Tf,
                                         double LHVref, const TGasProperties& P, TFuelType type, double& Hf,
                                         double& Hr, double& LHVstd) {
  Hf = 0.0;
  Hr = 0.0;
  LHVstd = 0.0;
  const double y = HC_ratio, z = OC_ratio;
  // The fuel's enthalpy follows its record's rising specific heat, shifted by
  // the difference dcp between the given specific heat and the record's at Tref.
  const double k = RecordScale(type);
  const double dcp = Cpf - k * FCpPerSpecie(Tref, P);
  const double dHfuel = k * EnthalpyChange(Tref, T_ref, P) + (Tref - T_ref) * dcp;

  const double MH2Og = kGasProperties[gtH2Og].Molemass;
  const double MO2 = kGasProperties[gtO2].Molemass;
  if (y > kHydrogenOnly) {
    // H2 + 1/2 O2 -> H2O, per kilogram of hydrogen.
    const double M = kGasProperties[gtH2].Molemass;
    LHVstd = LHVref + DeltaH(gtH2Og, Tref) * MH2Og / M - DeltaH(gtO2, Tref) * MO2 / M / 2.0 - dHfuel;
  } else {
    // C1HyOz + (1 + y/4 - z/2) O2 -> CO2 + y/2 H2O: Kirchhoff's correction from Tref to 298.15 K.
    const double M = MolarMass_CxHyOz(y, z);
    const double MCO2 = kGasProperties[gtCO2].Molemass;
    LHVstd = LHVref + DeltaH(gtH2Og, Tref) * (y / 2.0) * MH2Og / M + DeltaH(gtCO2, Tref) * MCO2 / M -
             DeltaH(gtO2, Tref) * (MO2 / M) * (1.0 + y / 4.0 - z / 2.0) - dHfuel;
  }
  Hf = FormEnthFromHeatValue(y, z, LHVstd);
  Hr = k * EnthalpyChange(Tf, T_ref, P) + (Tf - T_ref) * dcp;
  return true;
}

double RH(const TGasComposition& x, double T) {
  return detail::HPowers(T).Eval(detail::RHRow(x, detail::IntervalOf(T)).c) -
         detail::HPowers(T_ref).Eval(detail::RHRow(x, 0).c);
}

double FH0(const TGasComposition& x, double T) { return T_ref * FCp(T_ref, x) + RH(x, T); }

double ReactantEnthalpy(double W1, double T1, double W2, double T2, const TGasComposition& x1,
                        const TGasComposition& x2) {
  return W1 * RH(x1, T1) + W2 * RH(x2, T2);
}

double FormEnthFromHeatValue(double HC_ratio, double OC_ratio, double LHV) {
  const double y = HC_ratio, z = OC_ratio;
  if (y > kHydrogenOnly)
    return 1000.0 * kGasProperties[gtH2Og].Hformation / kGasProperties[gtH2].Molemass + LHV;
  return 1000.0 * (y / 2.0 * kGasProperties[gtH2Og].Hformation + kGasProperties[gtCO2].Hformation) /
             MolarMass_CxHyOz(y, z) +
         LHV;
}

double MolarHCRatio(double MolemassCxHyOz, const TGasComposition& x) {
  const TGasComposition n = MoleComposition(x, MolemassCxHyOz);
  return n[gtCH4] + n[gtC2H6] + n[gtC2H4] + n[gtC3H8] + n[gtC4H10] + n[gtCxHyOz];
}

double FHCRatio(const TGasComposition& x, double HC_ratio) {
  const Atoms a = CountAtoms(MoleComposition(x, 1.0), HC_ratio, 0.0);
  return a.C > 1.0e-15 ? a.H / a.C : 1.0e30;
}

double FOCRatio(const TGasComposition& x, double OC_ratio) {
  const Atoms a = CountAtoms(MoleComposition(x, 1.0), 0.0, OC_ratio);
  return a.C > 1.0e-15 ? a.O / a.C : 1.0e30;
}

double StoichFuelOxidGasMassRatio(double HC_ratio, double OC_ratio, const TGasComposition& x, double wO2) {
  const double y = HC_ratio, z = OC_ratio;
  auto n = [&x](TGas s) { return x[s] / kGasProperties[s].Molemass; };
  // Oxygen demand [kmol O2 per kg of fuel mixture]; CO2, water, Ar and N2 neither demand nor supply oxygen.
  const double D = 0.5 * n(gtCO) - n(gtO2) + 0.5 * n(gtH2) + 2 * n(gtCH4) + 3.5 * n(gtC2H6) + 3 * n(gtC2H4) +
                   5 * n(gtC3H8) + 6.5 * n(gtC4H10) - 0.5 * n(gtO) + 0.25 * n(gtH) - 0.25 * n(gtOH) -
                   0.5 * n(gtNO) - 0.5 * n(gtN2O) + (1.0 + y / 4.0 - z / 2.0) * x[gtCxHyOz] / MolarMass_CxHyOz(y, z);
  return (wO2 / kGasProperties[gtO2].Molemass) / D;
}

double ChemicalEqRatio(const TGasComposition& x, double HC_ratio, double OC_ratio) {
  const TGasComposition n = MoleComposition(x, MolarMass_CxHyOz(HC_ratio, OC_ratio));
  const Atoms a = CountAtoms(n, HC_ratio, OC_ratio);
  if (std::fabs(a.O / 2.0) <= 1.0e-15) return 0.0;
  return (a.C + a.H / 4.0) / (a.O / 2.0);
}

double FARout(const TGasconditions& g, double Wf) { return (g.FARat + 1.0) * Wf / g.W + g.FARat; }

double Wf_from_FAR(const TGasconditions& g, double FAR) { return (FAR - g.FARat) * g.W / (g.FARat + 1.0); }

}  // namespace vyr
