// The command "process": compression or turbine expansion by a pressure ratio.
#include <cmath>
#include <map>
#include <memory>

#include "CommandKit.h"

namespace vyr::cli {

namespace {

// A gas temperature that a temperature iteration of the library produced: at
// one of its clamps the state lies outside the property tables.
bool IterationTemperatureOk(double T, const std::string& what) {
  if (T > kIterTmin * (1 + 1e-9) && T < kIterTmax * (1 - 1e-9)) {
    if (T >= kTableTmin && T <= kTableTmax) return true;
    return Fail(what + " of " + Quantity(T, ptTemperature, usSI) + " lies outside the gas property tables (" +
                Quantity(kTableTmin, ptTemperature, usSI) + " to " + Quantity(kTableTmax, ptTemperature, usSI) + ")");
  }
  return Fail(what + " of " + Quantity(T, ptTemperature, usSI) + " lies at the limit of the gas property iterations (" +
              Quantity(kIterTmin, ptTemperature, usSI) + " to " + Quantity(kIterTmax, ptTemperature, usSI) +
              "): the state is outside the property tables");
}

}  // namespace

void AddProcess(CLI::App& app, Common& common, Action& action) {
  auto* cmd = app.add_subcommand("process", "Compression or turbine expansion by a pressure ratio");
  struct Opt {
    Numbers n;
    MixOptions mix;
    std::string type = "compression";
    bool polytropic = false;
    Number *pr, *eff, *Pt, *Tt;
  };
  // The defaults of each process: a compressor on air, a turbine on kerosene products.
  struct Defaults {
    double pr, eff, Pt, Tt;
    const char* mix;
  };
  static const std::map<std::string, Defaults> kDefaults = {{"compression", {10.0, 0.85, 101325.0, 288.15, "air"}},
                                                            {"expansion", {4.0, 0.9, 20e5, 1500.0, "products"}}};
  const Defaults& c = kDefaults.at("compression");
  auto o = std::make_shared<Opt>();
  auto* type = cmd->add_option("--type", o->type, "compression or expansion")
                   ->capture_default_str()
                   ->transform(CLI::IsMember({"compression", "expansion"}, CLI::ignore_case));
  o->pr = &o->n.Add(cmd, "--pr", "pressure ratio, out/in for compression, in/out for expansion", ptNone, c.pr,
                    Domain::AtLeast(1.0, "the higher pressure over the lower"), true);
  o->eff = &o->n.Add(cmd, "--eff", "efficiency", ptNone, c.eff, Domain::Above(0.0, 1.0));
  cmd->add_flag("--polytropic", o->polytropic, "The efficiency is polytropic (else isentropic)");
  o->Pt = &o->n.Add(cmd, "--Pt", "inlet total pressure", ptPressure, c.Pt, Domain::Pressure());
  o->Tt = &o->n.Add(cmd, "--Tt", "inlet total temperature", ptTemperature, c.Tt,
                    Domain::Between(kTableTmin, kIterTmax, "the range of the gas property iterations"));
  o->mix.Add(cmd, o->n, c.mix);
  // The help shows the defaults of the process chosen.
  type->each([o](const std::string& t) {
    const auto it = kDefaults.find(t);
    if (it == kDefaults.end()) return;
    const Defaults& d = it->second;
    o->pr->fallback = d.pr;
    o->eff->fallback = d.eff;
    o->Pt->fallback = d.Pt;
    o->Tt->fallback = d.Tt;
    for (Number* n : {o->pr, o->eff, o->Pt, o->Tt}) n->option->default_str(FloatToStr(*n->fallback));
    if (!o->mix.mixOpt->count()) o->mix.mix = d.mix;
    o->mix.mixOpt->default_str(d.mix);
  });
  cmd->callback([&action, &common, o] {
    action = [&common, o](Report& r) {
      const TUnitSystem u = common.UnitSystem();
      o->n.Read(u);
      o->mix.CheckApplicable();
      TGasComposition y;
      if (!o->mix.Composition(y)) return Status::Failed;
      const bool compression = o->type == "compression";
      Table st{"stations",
               {Ratio("PR", "PR", 4), Text("station", "station"), Col("Pt", "Pt", ptPressure, Sign::Positive),
                Col("Tt", "Tt", ptTemperature, Sign::Positive), Col("H", "H", ptSpecEnthalpy),
                Col("S", "S", ptSpecEntropy), Col("Ttis", "Ttis", ptTemperature, Sign::Positive)},
               {}};
      Table proc{"process",
                 {Ratio("PR", "PR", 4, Sign::Positive), Col("Pt_out", "Pt out", ptPressure, Sign::Positive),
                  Col("Tt_out", "Tt out", ptTemperature, Sign::Positive),
                  Ratio("eff_is", "isentropic eff.", 5, Sign::Positive),
                  Ratio("eff_poly", "polytropic eff.", 5, Sign::Positive), Col("dH", "H out - H in", ptSpecEnthalpy),
                  Col("dS", "S out - S in", ptSpecEntropy, Sign::NonNegative)},
                 {}};
      Points points(proc, o->pr->IsRange());
      for (double pr : o->pr->values) {
        const bool ok = points.Run({pr}, [&] {
          TGasconditions in{};
          in.Pt = o->Pt->Value();
          in.Tt = o->Tt->Value();
          in.Composition = y;
          in.H = FH(in.Tt, y);
          in.S = FS(in.Tt, in.Pt, y);
          TGasconditions out;
          double e = o->eff->Value(), ep = e;
          const bool done = compression ? Compression(in, pr, kTol, o->polytropic, kId, e, ep, out)
                                        : TurbineExpansion_PR(in, pr, kTol, o->polytropic, kId, e, ep, out);
          if (!done || !IterationTemperatureOk(out.Tt, "An exit temperature")) return false;
          // Entropy of a real process rises; the iteration tolerance allows a trace below.
          const double dS = FS(out.Tt, out.Pt, y) - in.S;
          if (dS < -1e-4 * FCp(in.Tt, y))
            return Fail(
                Printf("The process would destroy entropy (S out - S in = %.4g J/(kg K)) at a pressure "
                       "ratio of %g",
                       dS, pr));
          for (double eff : {e, ep})
            if (!(eff > 0 && eff <= 1 + 1e-9))
              return Fail(Printf("The efficiency %.6g at a pressure ratio of %g lies outside 0 to 1", eff, pr));
          // The stations of a point that fails stay out of their table.
          Row exit{pr, std::string("out"), out.Pt, out.Tt, out.H, out.S, out.Ttis};
          const std::string problem = RowProblem(st, exit, u);
          if (!problem.empty()) return Fail("Impossible result in " + st.name + ": " + problem);
          if (!AddRow(proc, {pr, out.Pt, out.Tt, e, ep, out.H - in.H, std::max(dS, 0.0)}, u)) return false;
          st.rows.push_back({pr, std::string("in"), in.Pt, in.Tt, in.H, in.S, Cell{}});
          st.rows.push_back(std::move(exit));
          return true;
        });
        if (!ok) return Status::Failed;
      }
      r.inputs = {TextEcho("type", o->type), {Text("polytropic", "polytropic"), {o->polytropic}}};
      for (Echo& e : o->n.Echoes()) r.inputs.push_back(std::move(e));
      for (Echo& e : o->mix.Echoes()) r.inputs.push_back(std::move(e));
      r.tables = {st, proc};
      r.main = "process";
      return points.Result();
    };
  });
}

}  // namespace vyr::cli
