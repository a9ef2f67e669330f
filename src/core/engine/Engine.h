// An engine: its components in calculation order, the design point over
// them and the performance summary.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "EngineComponents.h"
#include "EngineState.h"
#include "VyrExport.h"

namespace vyr::engine {

/// Sums the performance of a run: FN = FG - ram drag, TSFC, specific thrust;
/// checks each shaft's power balance and a positive net thrust. False with the
/// failure in the state.
VYR_API bool Summarize(TEngineState& s);

class VYR_API TEngine {
 public:
  std::vector<std::unique_ptr<TComponent>> components;

  /// Appends a component and returns it for setting its data.
  template <class C, class... Args>
  C& Add(Args&&... args) {
    auto c = std::make_unique<C>(std::forward<Args>(args)...);
    C& ref = *c;
    components.push_back(std::move(c));
    return ref;
  }

  /// Design point: clears the state's results, runs every component in order
  /// with the state active, then Summarize. False with the failure in the state.
  bool Run(TEngineState& s) const;
  /// Sets the air flow of the first inlet to the one that gives the net thrust
  /// target [N] (secant method from its flow); the state holds that design point.
  bool RunForThrust(TEngineState& s, double FN);
};

/// Passes the messages of a failed run to the message handler as they came.
VYR_API void ShowMessages(const TEngineState& s);

}  // namespace vyr::engine
