// Newton-Broyden solution of a small nonlinear system: the unknowns (states)
// with their scales and bounds, the errors (residuals) normalised by their
// scales. Newton steps on an LU-factored Jacobian of forward differences,
// Broyden updates of its inverse between fresh Jacobians, step limiting and
// halving, bounds, and a fresh Jacobian whenever Broyden stalls.
#pragma once

#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "VyrExport.h"

namespace vyr::engine {

/// An unknown of the system: its owner and name (for messages), its value in
/// its own unit, the scale that makes it of order 1, and its bounds.
struct TSolverState {
  std::string component;
  std::string name;
  double value = 0.0;
  double scale = 1.0;
  double lo = -std::numeric_limits<double>::infinity();
  double hi = std::numeric_limits<double>::infinity();
};

/// An error of the system: value / scale is what the solver drives to zero.
struct TSolverError {
  std::string component;
  std::string name;
  double value = 0.0;
  double scale = 1.0;
  double Normalised() const { return value / scale; }
};

struct TSolverOptions {
  int maxIterations = 60;      ///< Newton and Broyden steps together
  double tolerance = 1e-8;     ///< on the largest normalised error
  double maxStep = 0.25;       ///< largest change of a scaled unknown in one step
  int maxHalvings = 12;        ///< step halvings before a step counts as failed
  double stallRatio = 0.7;     ///< a Broyden step reducing the error less than this asks for a fresh Jacobian
  double fdStep = 1e-6;        ///< forward-difference step of a scaled unknown
};

struct TSolverReport {
  bool converged = false;
  int iterations = 0;   ///< accepted steps
  int jacobians = 0;    ///< fresh Jacobians
  int evaluations = 0;  ///< calls of the system
  double residual = 0.0;  ///< largest normalised error at the end
  int worst = -1;         ///< index of that error
  std::string component;  ///< who failed: the owner of the worst error, or of a failed evaluation
  std::string error;      ///< why; empty on success
};

/// Evaluates the system: reads states[i].value, writes errors[j].value; false
/// with a text when the point cannot be calculated (the solver then shortens its step).
using TSystemFunction = std::function<bool(std::string& component, std::string& failure)>;

/// Solves errors(states) = 0 starting from the states' values; on success the
/// states hold the root and the last evaluation was made there. The system is
/// square (as many errors as states, 1 to 50). False with the report saying
/// who and why: a singular Jacobian (naming an error that depends on no
/// unknown, or an unknown that moves no error), a failed evaluation at the
/// start, or no convergence (naming the largest error and its value).
VYR_API bool SolveNewtonBroyden(std::vector<TSolverState>& states, std::vector<TSolverError>& errors,
                                const TSystemFunction& system, const TSolverOptions& options, TSolverReport& report);

}  // namespace vyr::engine
