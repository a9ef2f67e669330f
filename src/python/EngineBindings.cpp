// _vyrcomp.engine: the built-in turbojet of "vyr cycle turbojet" (its design
// point and threaded sweeps) and model files through the model host (inputs
// by name, design point, off-design points, sweeps). The package's
// vyrcomp/engine.py and vyrcomp/sweep.py wrap these in the Python API.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "Bindings.h"
#include "Broadcast.h"
#ifdef VYR_PYTHON_ENGINES
#include "EngineSweep.h"
#include "Output.h"
#include "Turbojet.h"
#endif
#ifdef VYR_PYTHON_MODELS
#include "EngineHost.h"
#endif

namespace vyr::python {

#ifdef VYR_PYTHON_ENGINES
namespace {

// Unit of a column for values in SI base units (the tables' cells hold those;
// only the consumption columns show in a scaled unit).
std::string BaseUnit(const cli::Column& c) {
  if (c.own) return c.own->text[usSI];
  if (c.type == ptSFC) return "kg/(N s)";
  if (c.type == ptPSFC) return "kg/J";
  return cli::UnitOf(c, usSI);
}

// True when every cell of column j holds a number (a count without gaps).
bool Whole(const cli::Table& t, std::size_t j) {
  for (const cli::Row& r : t.rows)
    if (!std::holds_alternative<double>(r[j]) || !std::isfinite(std::get<double>(r[j]))) return false;
  return true;
}

// A table as a list of columns (key, unit, values): floats with NaN where a
// cell is empty, integers for a count, texts, or flags.
py::list TableColumns(const cli::Table& t) {
  py::list columns;
  for (std::size_t j = 0; j < t.columns.size(); ++j) {
    bool text = false, flag = false;
    for (const cli::Row& r : t.rows) {
      text = text || std::holds_alternative<std::string>(r[j]);
      flag = flag || std::holds_alternative<bool>(r[j]);
    }
    py::object values;
    if (text) {
      py::list l;
      for (const cli::Row& r : t.rows) {
        if (const auto* s = std::get_if<std::string>(&r[j]))
          l.append(*s);
        else if (const auto* d = std::get_if<double>(&r[j]))
          l.append(py::str(py::float_(*d)));
        else
          l.append("");
      }
      values = l;
    } else if (flag) {
      py::array_t<bool> a(static_cast<py::ssize_t>(t.rows.size()));
      for (std::size_t i = 0; i < t.rows.size(); ++i) {
        const auto* b = std::get_if<bool>(&t.rows[i][j]);
        a.mutable_at(static_cast<py::ssize_t>(i)) = b != nullptr && *b;
      }
      values = a;
    } else if (t.columns[j].integer && Whole(t, j)) {
      py::array_t<std::int64_t> a(static_cast<py::ssize_t>(t.rows.size()));
      for (std::size_t i = 0; i < t.rows.size(); ++i)
        a.mutable_at(static_cast<py::ssize_t>(i)) = std::llround(std::get<double>(t.rows[i][j]));
      values = a;
    } else {
      py::array_t<double> a(static_cast<py::ssize_t>(t.rows.size()));
      for (std::size_t i = 0; i < t.rows.size(); ++i) {
        const auto* d = std::get_if<double>(&t.rows[i][j]);
        a.mutable_at(static_cast<py::ssize_t>(i)) = d ? *d : std::nan("");
      }
      values = a;
    }
    columns.append(py::make_tuple(t.columns[j].key, BaseUnit(t.columns[j]), values));
  }
  return columns;
}

// The tables of a report: {name: [(key, unit, values), ...]}.
py::dict Tables(const cli::Report& r) {
  py::dict d;
  for (const cli::Table& t : r.tables) d[py::str(t.name)] = TableColumns(t);
  return d;
}

// The outcome of a design point for Python: {"ok", "message", "warnings", "tables"}.
py::dict DesignDict(bool ok, const std::string& message, const std::vector<std::string>& warnings,
                    const cli::Report* report) {
  py::dict d;
  d["ok"] = ok;
  d["message"] = message;
  d["warnings"] = warnings;
  d["tables"] = report ? Tables(*report) : py::dict();
  return d;
}

// The engine state's tables, or the reason they cannot be made.
bool StateTables(const engine::TEngineState& s, cli::Report& report, std::string& problem) {
  TMessageLines messages;
  if (cli::EngineStateTables(s, report, usSI)) return true;
  problem = messages.lines.empty() ? "a result is one physics forbids" : messages.Text();
  return false;
}

// The turbojet with its inputs from Python: {name: value} and the fuel's
// (key, H/C, O/C, LHV, formation enthalpy), the last four None or numbers.
TTurbojetSpec Spec(const py::dict& inputs, const py::tuple& fuel) {
  TTurbojetSpec spec;
  for (auto [key, value] : inputs) {
    const std::string name = py::str(key);
    const int k = FindTurbojetInput(name);
    if (k < 0) throw py::key_error("the turbojet has no input \"" + name + "\"");
    TurbojetInputs()[static_cast<std::size_t>(k)].set(spec.input, value.cast<double>());
  }
  if (fuel.size() != 5) throw py::value_error("fuel: (key, hc, oc, lhv, hf) expected");
  auto opt = [&](int i) { return fuel[i].is_none() ? std::nullopt : std::optional<double>(fuel[i].cast<double>()); };
  try {
    spec.fuel = cli::MakeFuel(fuel[0].cast<std::string>(), opt(1), opt(2), opt(3), opt(4));
  } catch (const std::invalid_argument& e) {
    throw py::value_error(std::string("fuel: ") + e.what());
  }
  return spec;
}

// The rows of a sweep for Python: (figures (n, m), status (n,), messages).
py::tuple RowsTuple(TSweepRows&& rows) {
  const auto n = static_cast<py::ssize_t>(rows.points);
  const auto m = static_cast<py::ssize_t>(PointFigures().size());
  py::array_t<double> figures({n, m});
  std::copy(rows.figures.begin(), rows.figures.end(), figures.mutable_data());
  py::array_t<std::int32_t> status(n);
  std::copy(rows.status.begin(), rows.status.end(), status.mutable_data());
  return py::make_tuple(figures, status, rows.messages);
}

// The grid values as a C-ordered (points, inputs) array of doubles.
py::array_t<double, py::array::c_style | py::array::forcecast> GridValues(const py::object& values, std::size_t k) {
  auto a = py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(values);
  if (!a || a.ndim() != 2 || static_cast<std::size_t>(a.shape(1)) != k)
    throw py::value_error("values: a 2-D array of one column per input name expected");
  return a;
}

#ifdef VYR_PYTHON_MODELS
engine::TOffDesignControl ControlOf(int code) {
  switch (code) {
    case 0: return engine::TOffDesignControl::Thrust;
    case 1: return engine::TOffDesignControl::ExitTemperature;
    case 2: return engine::TOffDesignControl::FuelFlow;
    case 3: return engine::TOffDesignControl::Speed;
    case 4: return engine::TOffDesignControl::ThrustFraction;
    default:
      throw py::value_error("control code must be 0 (thrust), 1 (T4), 2 (Wf), 3 (speed) or 4 (thrust fraction)");
  }
}

// Runs f with the GIL released, turning the host's exceptions into Python's.
template <class F>
auto OnHost(F&& f) -> decltype(f()) {
  try {
    py::gil_scoped_release release;
    return f();
  } catch (const std::invalid_argument& e) {
    throw VyrError(e.what());
  } catch (const std::out_of_range& e) {
    throw py::key_error(e.what());
  }
}
#endif

}  // namespace

void BindEngine(py::module_& m) {
  m.attr("HAS_ENGINES") = true;
  m.def(
      "turbojet_inputs",
      [] {
        py::list l;
        const cli::TurbojetInput defaults;
        for (const TTurbojetInput& d : TurbojetInputs()) l.append(py::make_tuple(d.name, d.get(defaults), d.unit, d.doc));
        return l;
      },
      "The built-in turbojet's inputs: [(name, default, unit, meaning)].");
  m.def(
      "figures",
      [] {
        py::list l;
        for (const TFigure& f : PointFigures()) l.append(py::make_tuple(f.name, f.unit, f.doc));
        return l;
      },
      "The figures of a sweep row: [(name, unit, meaning)].");
  m.def(
      "turbojet_design",
      [](const py::dict& inputs, const py::tuple& fuel) {
        const TTurbojetSpec spec = Spec(inputs, fuel);
        std::string message;
        cli::Report report;
        bool ok;
        {
          py::gil_scoped_release release;
          engine::TEngineState s;
          ok = RunTurbojet(spec.input, spec.fuel, s, message) && StateTables(s, report, message);
        }
        return DesignDict(ok, message, {}, ok ? &report : nullptr);
      },
      py::arg("inputs"), py::arg("fuel"),
      "Design point of the turbojet: {'ok', 'message', 'warnings', 'tables'}.");
  m.def(
      "turbojet_sweep",
      [](const py::dict& inputs, const py::tuple& fuel, const std::vector<std::string>& names, const py::object& values,
         unsigned threads) {
        const TTurbojetSpec spec = Spec(inputs, fuel);
        std::vector<int> index;
        for (const std::string& n : names) {
          const int k = FindTurbojetInput(n);
          if (k < 0) throw py::key_error("the turbojet has no input \"" + n + "\"");
          index.push_back(k);
        }
        auto grid = GridValues(values, names.size());
        const std::size_t points = static_cast<std::size_t>(grid.shape(0));
        TSweepRows rows;
        {
          py::gil_scoped_release release;
          rows = SweepTurbojet(spec, index, grid.data(), points, threads);
        }
        return RowsTuple(std::move(rows));
      },
      py::arg("inputs"), py::arg("fuel"), py::arg("names"), py::arg("values"), py::arg("threads"),
      "Design points of the turbojet over the rows of values (one column per name), on threads: "
      "(figures, status, messages).");
  m.def(
      "hardware_threads", [] { return std::max(1u, std::thread::hardware_concurrency()); },
      "Number of threads the machine runs at once.");

#ifdef VYR_PYTHON_MODELS
  m.attr("HAS_MODELS") = true;
  m.attr("COMPLIB_BUILD_DIR") = VYR_PYTHON_COMPLIB_BUILD_DIR;
  m.attr("COMPLIB_FROM_PACKAGE") = VYR_PYTHON_COMPLIB_FROM_PACKAGE;
  py::class_<TModelSession>(m, "ModelHost", "A model file loaded into the model host (see vyrcomp.Model).")
      .def(py::init([](const py::bytes& bytes, const std::string& source, const std::string& config,
                       const std::string& caseID, const std::vector<std::string>& complibs) {
             std::string b = bytes;
             return OnHost([&] { return new TModelSession(b, source, config, caseID, complibs); });
           }),
           py::arg("bytes"), py::arg("source"), py::arg("config"), py::arg("case"), py::arg("complibs"))
      .def_property_readonly("config_path", [](TModelSession& s) { return OnHost([&] { return s.ConfigPath(); }); })
      .def("inputs", [](TModelSession& s) { return OnHost([&] { return s.Inputs(); }); })
      .def("outputs", [](TModelSession& s) { return OnHost([&] { return s.Outputs(); }); })
      .def("get", [](TModelSession& s, const std::string& name) { return OnHost([&] { return s.Get(name); }); })
      .def("set",
           [](TModelSession& s, const std::string& name, double value) {
             if (!std::isfinite(value)) throw py::value_error(name + ": the value is not a finite number");
             OnHost([&] { s.Set(name, value); });
           })
      .def("design",
           [](TModelSession& s) {
             TModelOutcome o = OnHost([&] { return s.Design(); });
             std::string problem = JoinLines(o.errors);
             cli::Report report;
             const bool ok = o.status == run::TRunStatus::Ok && StateTables(o.state, report, problem);
             return DesignDict(ok, problem, o.warnings, ok ? &report : nullptr);
           })
      .def(
          "off_design",
          [](TModelSession& s, const py::object& values, const std::vector<std::string>& limitTexts) {
            auto grid = GridValues(values, 5);
            // The limits as vyr run --limit reads them, in SI.
            std::vector<engine::TOffDesignLimit> limits;
            for (const std::string& text : limitTexts) {
              engine::TOffDesignLimit l;
              std::string why;
              if (!engine::ParseLimit(text, false, l, why)) throw py::value_error("limits: " + why);
              limits.push_back(l);
            }
            std::vector<engine::TOffDesignPoint> points;
            for (py::ssize_t i = 0; i < grid.shape(0); ++i) {
              engine::TOffDesignPoint p;
              p.altitude = grid.at(i, 0);
              p.mach = grid.at(i, 1);
              p.dT = grid.at(i, 2);
              p.control = ControlOf(static_cast<int>(grid.at(i, 3)));
              p.value = grid.at(i, 4);
              p.limits = limits;
              points.push_back(p);
            }
            std::vector<engine::TOffDesignResult> results;
            TModelOutcome o = OnHost([&] { return s.OffDesign(points, results); });
            cli::Report report;
            {
              TMessageLines quiet;
              cli::OffDesignTable(results, report, usSI);
            }
            py::dict d = DesignDict(o.status != run::TRunStatus::Invalid, JoinLines(o.errors), o.warnings, &report);
            return d;
          },
          py::arg("points"), py::arg("limits") = std::vector<std::string>{},
          "Off-design points: rows (altitude, mach, dT, control code, value), each held by the limits "
          "(texts as vyr run --limit reads them, SI without a unit); the 'points' table.")
      .def(
          "sweep",
          [](TModelSession& s, const std::vector<std::string>& names, const py::object& values,
             const std::vector<std::string>& outputs) {
            auto grid = GridValues(values, names.size());
            const std::size_t points = static_cast<std::size_t>(grid.shape(0));
            std::vector<double> extra;
            TSweepRows rows = OnHost([&] { return s.Sweep(names, grid.data(), points, outputs, extra); });
            py::array_t<double> out({static_cast<py::ssize_t>(points), static_cast<py::ssize_t>(outputs.size())});
            std::copy(extra.begin(), extra.end(), out.mutable_data());
            py::tuple t = RowsTuple(std::move(rows));
            return py::make_tuple(t[0], t[1], t[2], out);
          },
          py::arg("names"), py::arg("values"), py::arg("outputs"),
          "Design points over the rows of values: (figures, status, messages, outputs).");
  m.def("shutdown", [] {
    py::gil_scoped_release release;
    ShutdownModelHost();
  });
#else
  m.attr("HAS_MODELS") = false;
  m.def("shutdown", [] {});
#endif
}
#else
// Without the vyr program's command library the module has no engines.
void BindEngine(py::module_& m) {
  m.attr("HAS_ENGINES") = false;
  m.attr("HAS_MODELS") = false;
  m.def("shutdown", [] {});
}
#endif

}  // namespace vyr::python
