// Design points of engines for the Python module, without Python objects and
// without Qt: the figures a sweep row holds, the inputs of the built-in
// turbojet of "vyr cycle turbojet" by name, and a sweep of turbojet design
// points over a grid on several threads.
//
// Threads. The engine layer keeps everything of a calculation in its
// TEngineState (the active state is per thread), and the library's message
// handler is per thread, so one engine and one state per thread run side by
// side. Every point builds its own engine from the inputs; the rows do not
// depend on how the points are shared out.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "EngineState.h"
#include "Messages.h"
#include "Turbojet.h"

namespace vyr::python {

/// One figure of a sweep row, taken from the engine state of a design point.
struct TFigure {
  const char* name;  ///< column name ("FN")
  const char* unit;  ///< SI unit text ("N"); "" for a ratio
  const char* doc;
  bool mayBeZero;  ///< zero is physical (ram drag at rest); every other figure is positive
};

/// The figures of a row in column order: performance (FN, FG, ram_drag, Wf,
/// TSFC, FN_W, W), the burner's fuel-air ratio (station 4), Pt3, Tt3, Tt4,
/// Pt5, Tt5, the first nozzle's throat and exit areas A8, A9 and jet
/// velocity, the pressure thrust, the thermal, propulsive and overall
/// efficiencies and the corrected flow at the engine face. A station the
/// engine does not have gives NaN.
const std::vector<TFigure>& PointFigures();

/// Writes the figures of a calculated state into out (PointFigures().size()
/// values). False with the problem when a value is one physics forbids (not
/// finite, or not positive where it must be).
bool FiguresOf(const engine::TEngineState& s, double* out, std::string& problem);

/// Rows of a sweep, in the order of its points.
struct TSweepRows {
  std::size_t points = 0;
  std::vector<double> figures;  ///< points x PointFigures().size(), row after row; NaN in a failed row
  std::vector<int> status;      ///< 0 ok, 1 failed
  std::vector<std::string> messages;  ///< the reason of a failed row; "" when ok

  explicit TSweepRows(std::size_t n = 0);
  /// Stores point i: its figures when ok, else NaN and the message.
  void Put(std::size_t i, bool ok, const double* values, std::string message);
};

/// An input of the built-in turbojet, set from a number.
struct TTurbojetInput {
  const char* name;  ///< "PR", "T4", ...
  const char* unit;
  const char* doc;
  void (*set)(cli::TurbojetInput& in, double v);
  double (*get)(const cli::TurbojetInput& in);  ///< NaN for an optional input not given
  bool optional = false;  ///< NaN leaves it out (thrust target, fuel-air ratio)
};

/// The turbojet's inputs by name, in the order the engine meets them.
const std::vector<TTurbojetInput>& TurbojetInputs();
/// Index of a turbojet input by name; -1 when there is none.
int FindTurbojetInput(const std::string& name);

/// The turbojet with its inputs and fuel.
struct TTurbojetSpec {
  cli::TurbojetInput input;
  cli::Fuel fuel;
};

/// One design point: false with the reason (the library's messages on one
/// line each, joined by "; ") when it failed or gave a value physics forbids.
bool RunTurbojet(const cli::TurbojetInput& in, const cli::Fuel& fuel, engine::TEngineState& s, std::string& message);

/// Design points of the turbojet: point i sets input inputs[k] to
/// values[i * inputs.size() + k]. Runs on threads (at most points of them;
/// 0 or 1: on the calling thread). Touches no Python object.
TSweepRows SweepTurbojet(const TTurbojetSpec& spec, const std::vector<int>& inputs, const double* values,
                         std::size_t points, unsigned threads);

/// A message on one line: CR LF and line breaks become spaces.
std::string OneLine(const std::string& text);
/// Lines joined by "; ".
std::string JoinLines(const std::vector<std::string>& lines);

/// Collects the library's messages shown on this thread while it lives (one
/// line each), instead of letting them reach the handler installed before.
class TMessageLines {
 public:
  TMessageLines();
  ~TMessageLines();
  TMessageLines(const TMessageLines&) = delete;
  TMessageLines& operator=(const TMessageLines&) = delete;
  std::vector<std::string> lines;
  /// The lines joined by "; ".
  std::string Text() const { return JoinLines(lines); }

 private:
  TMessageHandler previous_;
};

}  // namespace vyr::python
