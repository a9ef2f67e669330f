#include "EngineState.h"

namespace vyr::engine {

namespace {
thread_local TEngineState* active = nullptr;
}

TStation* TEngineState::Find(int number) {
  const auto it = stations.find(number);
  return it == stations.end() ? nullptr : &it->second;
}

const TStation* TEngineState::Find(int number) const {
  const auto it = stations.find(number);
  return it == stations.end() ? nullptr : &it->second;
}

TStation& TEngineState::Set(int number, const TGasconditions& gas, bool hasStatic) {
  TStation& st = stations[number];
  st.number = number;
  st.gas = gas;
  st.hasStatic = hasStatic;
  return st;
}

TShaft& TEngineState::Shaft(int number) {
  TShaft& sh = shafts[number];
  sh.number = number;
  return sh;
}

void TEngineState::ClearResults() {
  stations.clear();
  ambient = TAmbConditions{};
  hasAmbient = false;
  V0 = 0.0;
  for (auto& [n, sh] : shafts) {
    sh.absorbed = sh.delivered = 0.0;
    sh.loads.clear();
    sh.drivers.clear();
  }
  bleeds.clear();
  performance = TPerformance{};
  failedComponent.clear();
  error.clear();
  messages.clear();
}

TEngineState* ActiveEngineState() { return active; }

TActiveEngineState::TActiveEngineState(TEngineState& state) : previous_(active) { active = &state; }

TActiveEngineState::~TActiveEngineState() { active = previous_; }

}  // namespace vyr::engine
