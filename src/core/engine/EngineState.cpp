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

int TEngineState::AddState(const TSolverState& x) {
  solverStates.push_back(x);
  return static_cast<int>(solverStates.size()) - 1;
}

int TEngineState::AddError(const TSolverError& e) {
  solverErrors.push_back(e);
  return static_cast<int>(solverErrors.size()) - 1;
}

int TEngineState::FindState(const std::string& component, const std::string& name) const {
  for (std::size_t i = 0; i < solverStates.size(); ++i)
    if (solverStates[i].name == name && solverStates[i].component == component) return static_cast<int>(i);
  return -1;
}

int TEngineState::FindError(const std::string& component, const std::string& name) const {
  for (std::size_t i = 0; i < solverErrors.size(); ++i)
    if (solverErrors[i].name == name && solverErrors[i].component == component) return static_cast<int>(i);
  return -1;
}

void TEngineState::ClearResults() {
  stations.clear();
  ambient = TAmbConditions{};
  hasAmbient = false;
  V0 = 0.0;
  for (auto& [n, sh] : shafts) {
    sh.absorbed = sh.delivered = 0.0;
    sh.N = sh.rpm;
    sh.loads.clear();
    sh.drivers.clear();
  }
  bleeds.clear();
  performance = TPerformance{};
  failedComponent.clear();
  error.clear();
  messages.clear();
  outOfDomain = false;
}

TEngineState* ActiveEngineState() { return active; }

TActiveEngineState::TActiveEngineState(TEngineState& state) : previous_(active) { active = &state; }

TActiveEngineState::~TActiveEngineState() { active = previous_; }

}  // namespace vyr::engine
