// Phase and chemical equilibrium at a station: water condensation and
// evaporation, dissociation, and the search of the total temperature that
// keeps the total enthalpy (sensible plus formation) of the incoming gas.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "GasTypes.h"
#include "Statics.h"
#include "VYRtypes.h"
#include "VyrExport.h"

namespace vyr {

/// States of the secant iteration memory.
enum Tguess : std::uint8_t { tgFirst, tgLinear, tgQuadratic };

/// A stored point: abscissa and residual.
struct TPafq {
  double x = 0.0;
  double y = 0.0;
};

/// Memory of a one-variable secant iteration driven by its caller: each call
/// hands in the current point and receives the next estimate.
class VYR_API TAFQUIR : public TObject {
 public:
  TAFQUIR() { Reset(); }

  /// Starts afresh: no estimate handed out, state tgFirst, errors reported. The points stay.
  void Reset();
  /// One step at X with residual Y - Ytarget: 1 = new estimate in Xnew, 2 = converged
  /// (Xnew = X), 3 = failed after MaxIter estimates (Xnew unchanged; message named Name).
  int doAFQUIR(double X, double Y, double Ytarget, double Tol, double FirstStep, int MaxIter,
               std::string_view Name, double& Xnew);

  int iter = 0;             ///< estimates handed out since the last reset
  Tguess guess = tgFirst;   ///< state
  TPafq P[3];               ///< stored points
  bool ReportError = true;  ///< show the failure message
  std::string ErrorStr;     ///< text of the last failure
};

/// The global iteration memory, created at load and freed at unload.
extern VYR_API TAFQUIR* AFQmem;
/// Code of the last AFQUIR call made by SetEquilibriumConditions.
extern VYR_API int AFQcode;

/// AFQmem->Reset().
VYR_API void ResetAFQmem();
/// AFQmem->doAFQUIR with the same arguments.
VYR_API int AFQUIR(double X, double Y, double Ytarget, double Tol, double FirstStep, int MaxIter, std::string_view Name,
                   double& Xnew);

/// Saturation pressure of water vapour at T [K] [Pa].
VYR_API double PmaxH20vapour(double T);
/// Comp (mass fractions) with its water split between vapour and liquid for
/// phase equilibrium at T [K] and P [Pa].
VYR_API TGasComposition EquilibriumH2O(double T, double P, const TGasComposition& Comp);
/// Brings Gas into phase and dissociation equilibrium at constant total enthalpy;
/// the static state is recomputed through CalcStaticProps unless SpecOption is ssoNone.
VYR_API bool SetEquilibriumConditions(std::string_view CallerID, TCalcMode CalcMode, double Tol,
                                      TStaticSpecOption SpecOption, double SpecValue, TGasconditions& Gas,
                                      bool ShowMessages, std::string& ErrMsg, int& ErrCode);

/// Creates AFQmem (start-up of the unit).
VYR_API void InitStationEquilibrium();
/// Frees AFQmem (shut-down of the unit).
VYR_API void DoneStationEquilibrium();

}  // namespace vyr
