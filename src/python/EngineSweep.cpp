#include "EngineSweep.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <limits>
#include <system_error>
#include <thread>

#include "Engine.h"
#include "Messages.h"
#include "SysUtils.h"

namespace vyr::python {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double StationValue(const engine::TEngineState& s, int number, double TGasconditions::*v) {
  const engine::TStation* st = s.Find(number);
  return st ? st->gas.*v : kNaN;
}

}  // namespace

TMessageLines::TMessageLines()
    : previous_(SetMessageHandler([this](const TMessage& m) {
        lines.push_back(OneLine(m.Text));
        return static_cast<int>(mrOk);
      })) {}

TMessageLines::~TMessageLines() { SetMessageHandler(std::move(previous_)); }

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += (s.empty() ? "" : "; ") + l;
  return s;
}

std::string OneLine(const std::string& text) {
  std::string s;
  s.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      if (!s.empty() && s.back() != ' ') s += ' ';
    } else {
      s += text[i];
    }
  }
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

const std::vector<TFigure>& PointFigures() {
  static const std::vector<TFigure> figures = {
      {"FN", "N", "net thrust", false},
      {"FG", "N", "gross thrust, all nozzles", false},
      {"ram_drag", "N", "ram drag W0 V0", true},
      {"Wf", "kg/s", "fuel flow, all burners", false},
      {"TSFC", "kg/(N s)", "thrust-specific fuel consumption Wf/FN", false},
      {"FN_W", "N s/kg", "specific thrust FN/W", false},
      {"W", "kg/s", "engine air flow", false},
      {"FAR", "", "fuel-air ratio at station 4 (burner exit)", false},
      {"Pt3", "Pa", "total pressure at station 3 (compressor exit)", false},
      {"Tt3", "K", "total temperature at station 3", false},
      {"Tt4", "K", "total temperature at station 4 (burner exit)", false},
      {"Pt5", "Pa", "total pressure at station 5 (turbine exit)", false},
      {"Tt5", "K", "total temperature at station 5", false},
      {"A8", "m2", "throat area of the first nozzle", false},
      {"A9", "m2", "exit area of the first nozzle", false},
      {"V_jet", "m/s", "jet velocity of the first nozzle", false},
      {"FG_pressure", "N", "pressure part of the gross thrust, all nozzles", true},
      {"eff_thermal", "", "thermal efficiency: kinetic energy gained by the streams / (Wf LHV)", false},
      {"eff_propulsive", "", "propulsive efficiency: FN V0 / kinetic energy gained; 0 at rest", true},
      {"eff_overall", "", "overall efficiency: thermal times propulsive; 0 at rest", true},
      {"Wc2", "kg/s", "corrected flow at the engine face", false},
  };
  return figures;
}

bool FiguresOf(const engine::TEngineState& s, double* out, std::string& problem) {
  const engine::TPerformance& p = s.performance;
  const bool nozzle = !p.nozzles.empty();
  const double values[] = {p.FN,
                           p.FG,
                           p.ramDrag,
                           p.Wf,
                           p.TSFC,
                           p.specificThrust,
                           p.W,
                           StationValue(s, 4, &TGasconditions::FARat),
                           StationValue(s, 3, &TGasconditions::Pt),
                           StationValue(s, 3, &TGasconditions::Tt),
                           StationValue(s, 4, &TGasconditions::Tt),
                           StationValue(s, 5, &TGasconditions::Pt),
                           StationValue(s, 5, &TGasconditions::Tt),
                           nozzle ? p.nozzles.front().A8 : kNaN,
                           nozzle ? p.nozzles.front().A9 : kNaN,
                           nozzle ? p.nozzles.front().V : kNaN,
                           p.FGpressure,
                           p.effThermal,
                           p.effPropulsive,
                           p.effOverall,
                           p.Wc2};
  const std::vector<TFigure>& f = PointFigures();
  static_assert(sizeof(values) / sizeof(values[0]) == 21, "one value per figure");
  // A station the engine has not is NaN from StationValue; a value the
  // calculation gave must be physical.
  const bool present[] = {true, true, true, true, true, true, true, s.Find(4) != nullptr, s.Find(3) != nullptr,
                          s.Find(3) != nullptr, s.Find(4) != nullptr, s.Find(5) != nullptr, s.Find(5) != nullptr,
                          nozzle, nozzle, nozzle, true, true, true, true, true};
  for (std::size_t k = 0; k < f.size(); ++k) {
    const double v = values[k];
    if (present[k] && !(std::isfinite(v) && (v > 0.0 || (f[k].mayBeZero && v == 0.0)))) {
      problem = Printf("Impossible result: %s = %.6g %s is %s", f[k].name, v, f[k].unit,
                       std::isfinite(v) ? (f[k].mayBeZero ? "negative" : "not positive") : "not a finite number");
      return false;
    }
    out[k] = v;
  }
  return true;
}

TSweepRows::TSweepRows(std::size_t n)
    : points(n), figures(n * PointFigures().size(), kNaN), status(n, 1), messages(n) {}

void TSweepRows::Put(std::size_t i, bool ok, const double* values, std::string message) {
  const std::size_t m = PointFigures().size();
  status[i] = ok ? 0 : 1;
  if (ok) {
    std::copy(values, values + m, figures.begin() + static_cast<std::ptrdiff_t>(i * m));
    messages[i].clear();
  } else {
    std::fill_n(figures.begin() + static_cast<std::ptrdiff_t>(i * m), m, kNaN);
    messages[i] = message.empty() ? "the calculation failed" : std::move(message);
  }
}

const std::vector<TTurbojetInput>& TurbojetInputs() {
  using In = cli::TurbojetInput;
  static const std::vector<TTurbojetInput> inputs = {
      {"altitude", "m", "pressure altitude", [](In& i, double v) { i.altitude = v; },
       [](const In& i) { return i.altitude; }},
      {"mach", "", "flight Mach number", [](In& i, double v) { i.mach = v; }, [](const In& i) { return i.mach; }},
      {"dT", "K", "offset from the standard temperature", [](In& i, double v) { i.dT = v; },
       [](const In& i) { return i.dT; }},
      {"recovery", "", "inlet pressure recovery Pt2/Pt0", [](In& i, double v) { i.inletRecovery = v; },
       [](const In& i) { return i.inletRecovery; }},
      {"W", "kg/s", "air mass flow (unused with a thrust target)", [](In& i, double v) { i.W = v; },
       [](const In& i) { return i.W; }},
      {"thrust", "N", "net-thrust target that sets the air flow (NaN: none)",
       [](In& i, double v) { i.thrust = std::isnan(v) ? std::nullopt : std::optional<double>(v); },
       [](const In& i) { return i.thrust.value_or(kNaN); }, true},
      {"PR", "", "compressor pressure ratio", [](In& i, double v) { i.PR = v; }, [](const In& i) { return i.PR; }},
      {"effC", "", "compressor efficiency", [](In& i, double v) { i.effC = v; }, [](const In& i) { return i.effC; }},
      {"polytropicC", "", "1: effC is polytropic, 0: isentropic", [](In& i, double v) { i.polytropicC = v != 0.0; },
       [](const In& i) { return i.polytropicC ? 1.0 : 0.0; }},
      {"T4", "K", "burner exit temperature (unused with a fuel-air ratio)", [](In& i, double v) { i.T4 = v; },
       [](const In& i) { return i.T4; }},
      {"FAR", "", "burner fuel-air ratio that replaces T4 (NaN: none)",
       [](In& i, double v) { i.far = std::isnan(v) ? std::nullopt : std::optional<double>(v); },
       [](const In& i) { return i.far.value_or(kNaN); }, true},
      {"burner_loss", "", "burner total-pressure loss, relative", [](In& i, double v) { i.burnerLoss = v; },
       [](const In& i) { return i.burnerLoss; }},
      {"effB", "", "burner efficiency", [](In& i, double v) { i.effB = v; }, [](const In& i) { return i.effB; }},
      {"Tfuel", "K", "fuel temperature", [](In& i, double v) { i.Tfuel = v; }, [](const In& i) { return i.Tfuel; }},
      {"effT", "", "turbine efficiency", [](In& i, double v) { i.effT = v; }, [](const In& i) { return i.effT; }},
      {"polytropicT", "", "1: effT is polytropic, 0: isentropic", [](In& i, double v) { i.polytropicT = v != 0.0; },
       [](const In& i) { return i.polytropicT ? 1.0 : 0.0; }},
      {"effMech", "", "mechanical efficiency of the shaft", [](In& i, double v) { i.effMech = v; },
       [](const In& i) { return i.effMech; }},
      {"offtake", "W", "shaft power offtake", [](In& i, double v) { i.offtake = v; },
       [](const In& i) { return i.offtake; }},
      {"nozzle", "", "0: convergent, 1: convergent-divergent, fully expanded",
       [](In& i, double v) { i.nozzle = v != 0.0 ? cli::Nozzle::ConvergentDivergent : cli::Nozzle::Convergent; },
       [](const In& i) { return i.nozzle == cli::Nozzle::ConvergentDivergent ? 1.0 : 0.0; }},
      {"CV", "", "nozzle velocity coefficient", [](In& i, double v) { i.CV = v; }, [](const In& i) { return i.CV; }},
      {"tol", "", "tolerance factor of the gas iterations", [](In& i, double v) { i.tol = v; },
       [](const In& i) { return i.tol; }},
  };
  return inputs;
}

int FindTurbojetInput(const std::string& name) {
  const auto& inputs = TurbojetInputs();
  for (std::size_t k = 0; k < inputs.size(); ++k)
    if (name == inputs[k].name) return static_cast<int>(k);
  return -1;
}

bool RunTurbojet(const cli::TurbojetInput& in, const cli::Fuel& fuel, engine::TEngineState& s, std::string& message) {
  TMessageLines lines;
  bool ok = false;
  try {
    cli::TurbojetResult r;
    ok = cli::DesignTurbojet(in, fuel, r, &s);
  } catch (const std::exception& e) {
    message = e.what();
    return false;
  }
  if (!ok) message = lines.Text().empty() ? "the calculation failed" : lines.Text();
  return ok;
}

TSweepRows SweepTurbojet(const TTurbojetSpec& spec, const std::vector<int>& inputs, const double* values,
                         std::size_t points, unsigned threads) {
  TSweepRows rows(points);
  const std::vector<TTurbojetInput>& defs = TurbojetInputs();
  const std::size_t k = inputs.size(), m = PointFigures().size();
  // Points are handed out in small chunks: neighbours cost alike, and a chunk
  // keeps the shared counter out of the way.
  constexpr std::size_t kChunk = 8;
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    engine::TEngineState state;
    std::vector<double> figures(m);
    for (;;) {
      const std::size_t begin = next.fetch_add(kChunk);
      if (begin >= points) break;
      for (std::size_t i = begin; i < std::min(points, begin + kChunk); ++i) {
        cli::TurbojetInput in = spec.input;
        std::string message;
        bool ok = true;
        for (std::size_t j = 0; j < k && ok; ++j) {
          const double v = values[i * k + j];
          const TTurbojetInput& d = defs[static_cast<std::size_t>(inputs[j])];
          if (!std::isfinite(v) && !(d.optional && std::isnan(v))) {
            ok = false;
            message = Printf("%s = %g is not a finite number", d.name, v);
          } else {
            d.set(in, v);
          }
        }
        ok = ok && RunTurbojet(in, spec.fuel, state, message) && FiguresOf(state, figures.data(), message);
        rows.Put(i, ok, figures.data(), std::move(message));
      }
    }
  };
  const std::size_t n = std::min<std::size_t>(threads, (points + kChunk - 1) / kChunk);
  std::vector<std::thread> pool;
  try {
    for (std::size_t t = 1; t < n; ++t) pool.emplace_back(work);
  } catch (const std::system_error&) {
    // No more threads to be had: those started and this one share the points.
  }
  work();
  for (std::thread& t : pool) t.join();
  return rows;
}

}  // namespace vyr::python
