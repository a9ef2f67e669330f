#include "GasTableData.h"
#include "GasTypes.h"

namespace vyr {

const TGasNames GasNames = {"CO2", "CO",  "O2", "Ar", "H2Og", "H2Ol", "H2", "CH4", "C2H6",   "C2H4",
                            "C3H8", "C4H10", "O", "H",  "OH",   "NO",   "N2O", "CxHyOz", "N2"};

const TGasPropertiesArray GasProperties = detail::kGasProperties;
const TGasProperties JetAliquid = detail::kJetAliquid;

const TGasComposition Air = detail::kAir;
const TGasComposition Watervapour = detail::MakeComposition({{gtH2Og, 1.0}});
const TGasComposition Waterliquid = detail::MakeComposition({{gtH2Ol, 1.0}});
const TGasComposition CxHyOz = detail::MakeComposition({{gtCxHyOz, 1.0}});
const TGasComposition CH4 = detail::MakeComposition({{gtCH4, 1.0}});
const TGasComposition H2 = detail::MakeComposition({{gtH2, 1.0}});
const TGasComposition EmptyComposition{};

double Cp_CxHyOz = 0.0;
TArray8 Ccps{};
TArray8 Chs{};

double R_st = 0.0;
double gamma_st = 0.0;
double Rho_slst = 0.0;
double a_slst = 0.0;
TGasconditions StandardAir{};

}  // namespace vyr
