#include "Engine.h"

#include <cmath>
#include <limits>

#include "SysUtils.h"
#include "Messages.h"

namespace vyr::engine {


namespace {

// Sets the failure of a step that is no component's.
bool Record(TEngineState& s, const std::string& who, const std::string& text) {
  s.failedComponent = who;
  s.error = text;
  s.messages.clear();
  TMessage m;
  m.Text = text;
  m.Plain = true;
  s.messages.push_back(m);
  return false;
}

// Relative power imbalance a shaft may keep: the turbine's solve ends far
// inside the gas iterations' tolerance.
constexpr double kShaftBalance = 1e-6;

// Kinetic energy added to the streams [W], each jet at its effective velocity
// FG/W (the pressure thrust counted as velocity).
double KineticEnergyAdded(const TEngineState& s) {
  const TPerformance& p = s.performance;
  double dKE = -0.5 * p.W * s.V0 * s.V0;
  for (const TNozzleResult& z : p.nozzles)
    if (z.W > 0.0) dKE += 0.5 * z.FG * z.FG / z.W;
  return dKE;
}

}  // namespace

bool Summarize(TEngineState& s) {
  TPerformance& p = s.performance;
  for (const auto& [n, sh] : s.shafts) {
    const double need = sh.absorbed + sh.offtake;
    if (need == 0.0 && sh.delivered == 0.0) continue;
    if (sh.drivers.empty())
      return Record(s, "performance", Printf("No turbine drives shaft %d (%.6g W needed)", n, need));
    if (!(std::fabs(sh.Excess()) <= kShaftBalance * need))
      return Record(s, "performance",
                    Printf("Shaft %d is not balanced: its turbines deliver %.6g W (mechanical efficiency %g) for the "
                           "%.6g W it needs; a compressor on it is calculated after its turbine",
                           n, sh.delivered, sh.effMech, need));
  }
  if (p.nozzles.empty()) return Record(s, "performance", "The engine has no nozzle: no thrust");
  p.FN = p.FG - p.ramDrag;
  // Off design a point may have negative net thrust (descent, flight idle at
  // speed: the ram drag outweighs the jets); it has no fuel consumption per
  // unit thrust, and its thrust does no propulsive work.
  if (s.offDesign && !(p.FN > 0) && std::isfinite(p.FN) && p.W > 0.0) {
    p.TSFC = std::numeric_limits<double>::quiet_NaN();
    p.specificThrust = p.FN / p.W;
    const double dKE = KineticEnergyAdded(s);
    p.effThermal = p.heatInput > 0.0 && dKE > 0.0 ? dKE / p.heatInput : 0.0;
    p.effPropulsive = p.effOverall = 0.0;
    return true;
  }
  if (!(p.FN > 0)) {
    std::string jets, at;
    for (const TNozzleResult& z : p.nozzles) jets += Printf(jets.empty() ? "%.6g" : ", %.6g", z.V);
    if (const TStation* s4 = s.Find(4)) at = Printf(" at T4 = %.6g K", s4->gas.Tt);
    if (p.nozzles.size() == 1)
      return Record(s, "performance",
                    Printf("The net thrust is %.6g N, not positive: the jet (%s m/s) is not faster than the flight "
                           "(%.6g m/s)%s",
                           p.FN, jets.c_str(), s.V0, at.c_str()));
    return Record(s, "performance",
                  Printf("The net thrust is %.6g N, not positive: the jets (%s m/s) do not outweigh the ram drag "
                         "%.6g N (flight %.6g m/s)%s",
                         p.FN, jets.c_str(), p.ramDrag, s.V0, at.c_str()));
  }
  if (!(p.W > 0.0)) return Record(s, "performance", "The engine has no inlet: no air flow");
  p.TSFC = p.Wf / p.FN;
  p.specificThrust = p.FN / p.W;
  const double dKE = KineticEnergyAdded(s);
  p.effThermal = p.heatInput > 0.0 && dKE > 0.0 ? dKE / p.heatInput : 0.0;
  p.effPropulsive = dKE > 0.0 && s.V0 > 0.0 ? p.FN * s.V0 / dKE : 0.0;
  p.effOverall = p.effThermal * p.effPropulsive;
  return true;
}

bool TEngine::Run(TEngineState& s) const {
  s.ClearResults();
  TActiveEngineState scope(s);
  s.offDesign = false;
  for (const auto& c : components)
    if (!c->Calc(s)) return false;
  if (!Summarize(s)) return false;
  for (const auto& c : components) c->KeepDesign(s);
  return true;
}

bool TEngine::RunForThrust(TEngineState& s, double target) {
  TInlet* inlet = nullptr;
  for (const auto& c : components)
    if ((inlet = dynamic_cast<TInlet*>(c.get()))) break;
  if (!inlet) return Record(s, "performance", "The engine has no inlet whose air flow could meet the thrust");
  auto none = [&] { return Record(s, "performance", Printf("No air flow gives a net thrust of %g N", target)); };
  if (!(target > 0.0) || !std::isfinite(target)) return none();
  // Net thrust is nearly proportional to the flow (a fixed power offtake takes
  // a constant share), so the secant method from the given flow and its
  // proportional estimate converges in a few steps.
  double W0 = inlet->W;
  if (!Run(s)) return false;
  double F0 = s.performance.FN - target;
  double W1 = W0 * target / s.performance.FN;
  for (int step = 0; step < 50; ++step) {
    if (!(W1 > 0.0) || !std::isfinite(W1)) return none();
    inlet->W = W1;
    if (!Run(s)) return false;
    const double F1 = s.performance.FN - target;
    if (std::fabs(F1) <= 1e-9 * target) return true;
    const double W2 = W1 - F1 * (W1 - W0) / (F1 - F0);
    W0 = W1;
    F0 = F1;
    W1 = W2;
  }
  return none();
}

void ShowMessages(const TEngineState& s) {
  for (const TMessage& m : s.messages) {
    if (m.Plain)
      ShowMessage(m.Text);
    else
      MessageDlg(m.Text, m.DlgType, m.Buttons, m.HelpCtx);
  }
}

}  // namespace vyr::engine
