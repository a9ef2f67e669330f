// The command "static": the static state of a station from its area, Mach
// number or velocity, and a convergent nozzle.
#include <cmath>
#include <memory>

#include "CommandKit.h"

namespace vyr::cli {

namespace {

// A static state against its total state: temperature and pressure not above
// the totals, and the energy equation H(Tt) = H(Ts) + V^2/2. The library's
// Mach relation takes the ratio of specific heats at the static temperature
// alone, which leaves about 1 % of the kinetic energy unbalanced at Mach 1, and
// more in hot supersonic flow; the allowance of 5 % keeps those states and refuses gross violations.
bool StaticStateOk(double Pt, double Tt, double Ps, double Ts, double V, const TGasComposition& y) {
  if (!(Ts >= kTableTmin))
    return Fail("The static temperature " + Quantity(Ts, ptTemperature, usSI) + " lies below the " +
                Quantity(kTableTmin, ptTemperature, usSI) + " of the gas property tables (Tt = " +
                Quantity(Tt, ptTemperature, usSI) + "): the flow is too fast for this total state");
  if (!(Ts <= Tt * (1 + 1e-9)))
    return Fail("The static temperature " + Quantity(Ts, ptTemperature, usSI) + " exceeds the total temperature " +
                Quantity(Tt, ptTemperature, usSI));
  if (!(Ps <= Pt * (1 + 1e-9)))
    return Fail("The static pressure " + Quantity(Ps, ptPressure, usSI) + " exceeds the total pressure " +
                Quantity(Pt, ptPressure, usSI));
  const double imbalance = FH(Tt, y) - FH(Ts, y) - V * V / 2.0;
  if (std::fabs(imbalance) > 1e-4 * FCp(Tt, y) * Tt + 0.05 * V * V / 2.0)
    return Fail(
        Printf("The static state breaks the energy balance by %.4g J/kg (V = %.6g m/s at Ts = %.6g K, "
               "Tt = %.6g K)",
               imbalance, V, Ts, Tt));
  return true;
}

// Highest velocity the total state allows within the property tables: its
// whole enthalpy above the static state at the tables' lowest temperature.
double MaxVelocity(double Tt, const TGasComposition& y) {
  return std::sqrt(std::max(0.0, 2.0 * (FH(Tt, y) - FH(kTableTmin, y))));
}

// Highest Mach number whose static temperature stays within the property
// tables, by the library's Mach relation Tt / Ts = 1 + (gamma(Ts) - 1)/2 Mach^2
// at Ts = 200 K. The relation's iteration starts at Tt; with gamma falling as
// the temperature rises, every pass of it stays above 200 K up to this Mach
// number, and above it the iteration leaves the tables, where the properties
// are extrapolations and it may converge to a meaningless state or not at all.
double MaxMach(double Tt, const TGasComposition& y) {
  const double gamma = FGm(kTableTmin, y);
  return std::sqrt(std::max(0.0, 2.0 * (Tt / kTableTmin - 1.0) / (gamma - 1.0)));
}

// Static state at velocity V [m/s] by the library's Mach relation: the Mach
// number whose static state (GetStaticfromM) moves at V, found by bisection on
// V(Mach) = Mach a(Ts(Mach)), which rises with the Mach number. The library's
// own velocity iteration contracts by about (Tt - Ts) / Tt per pass and runs
// out of passes in fast flow (Ts below about half of Tt); this one does not.
// V must not exceed the velocity at Mmax.
bool StaticFromVelocity(double V, double Pt, double Tt, double W, const TGasComposition& y, double Mmax,
                        double& Ps, double& Ts, double& Mach, double& A) {
  double lo = 0.0, hi = Mmax, Vm = 0.0;
  for (int pass = 0; pass < 200 && hi - lo > 1e-13 * hi; ++pass) {
    Mach = 0.5 * (lo + hi);
    if (!GetStaticfromM(Mach, Pt, Tt, W, y, kTol, Ps, Ts, Vm, A, kId)) return false;
    (Vm < V ? lo : hi) = Mach;
  }
  Mach = 0.5 * (lo + hi);
  if (!GetStaticfromM(Mach, Pt, Tt, W, y, kTol, Ps, Ts, Vm, A, kId)) return false;
  A *= Vm / V;  // the flow area that carries W at the given velocity
  return true;
}

}  // namespace

void AddStatic(CLI::App& app, Common& common, Action& action) {
  auto* cmd = app.add_subcommand("static",
                                 "Static state of a station from area, Mach number or velocity, "
                                 "and a convergent nozzle");
  struct Opt {
    Numbers n;
    MixOptions mix;
    bool nozzle = false;
    Number *Pt, *Tt, *W, *area, *mach, *velocity, *psBack, *nozzleArea, *cv;
  };
  auto o = std::make_shared<Opt>();
  Numbers& n = o->n;
  o->Pt = &n.Add(cmd, "--Pt", "total pressure", ptPressure, 2e5, Domain::Pressure());
  o->Tt = &n.Add(cmd, "--Tt", "total temperature", ptTemperature, 500.0,
                 Domain::Between(kTableTmin, kIterTmax, "the range of the gas property iterations"));
  o->W = &n.Add(cmd, "-W,--flow", "mass flow", ptMassFlow, 10.0, Domain::MassFlow());
  o->area = &n.Add(cmd, "--area", "flow area", ptArea, {}, Domain::Positive());
  o->mach = &n.Add(cmd, "--mach", "Mach number", ptNone, 0.5, Domain::Positive(), true);
  o->velocity = &n.Add(cmd, "--velocity", "velocity", ptSpeed, {}, Domain::Positive());
  o->area->option->excludes(o->mach->option)->excludes(o->velocity->option);
  o->mach->option->excludes(o->velocity->option);
  cmd->add_flag("--nozzle", o->nozzle, "A convergent nozzle of area --nozzle-area discharging to --ps-back");
  o->psBack = &n.Add(cmd, "--ps-back", "nozzle back pressure", ptPressure, 101325.0, Domain::Pressure());
  o->nozzleArea = &n.Add(cmd, "--nozzle-area", "nozzle exit area", ptArea, 0.05, Domain::Positive());
  o->cv = &n.Add(cmd, "--cv", "nozzle velocity coefficient", ptNone, 1.0, Domain::Between(0.5, 1.0));
  o->mix.Add(cmd, n, "air");
  cmd->callback([&action, &common, o] {
    action = [&common, o](Report& r) {
      const TUnitSystem u = common.UnitSystem();
      o->n.Read(u);
      o->mix.CheckApplicable();
      for (Number* x : {o->psBack, o->nozzleArea, o->cv}) {
        NotApplicable(x->option, o->nozzle, "without --nozzle");
        if (!o->nozzle) x->values.clear();  // unused, so not echoed
      }
      if (o->area->Has() || o->velocity->Has()) o->mach->values.clear();
      const double Pt = o->Pt->Value(), Tt = o->Tt->Value(), W = o->W->Value();
      if (o->nozzle && !(o->psBack->Value() < Pt))
        throw BadArgument("--ps-back (nozzle back pressure) = " + Quantity(o->psBack->Value(), ptPressure, u) +
                          ": must be below the total pressure " + Quantity(Pt, ptPressure, u) +
                          " (no flow leaves the nozzle otherwise)");
      TGasComposition y;
      if (!o->mix.Composition(y)) return Status::Failed;
      const double R = FR(y);
      Table t{"static",
              {Text("spec", "given"), Col("Ps", "Ps", ptPressure, Sign::Positive),
               Col("Ts", "Ts", ptTemperature, Sign::Positive), Ratio("Mach", "Mach", 4, Sign::NonNegative),
               Col("V", "V", ptSpeed, Sign::NonNegative), Col("A", "A", ptArea, Sign::Positive),
               Col("rho", "rho", ptDensity, Sign::Positive), Text("choked", "choked")},
              {}};
      // A state passes when it is sound and carries the flow: W = rho V A.
      auto add = [&](const std::string& spec, double Ps, double Ts, double M, double V, double A) {
        if (!StaticStateOk(Pt, Tt, Ps, Ts, V, y)) return false;
        const double rho = Ps / (R * Ts);
        if (std::fabs(rho * V * A - W) > 1e-4 * W)
          return Fail(
              Printf("The static state does not carry the flow: rho V A = %.6g kg/s, W = %.6g kg/s", rho * V * A, W));
        return AddRow(t, {spec, Ps, Ts, M, V, A, rho, M >= 1.0 - 1e-9}, u);
      };
      double Ps, Ts, M, V, A;
      Status status = Status::Ok;
      if (o->area->Has()) {
        // The flow passes no area smaller than its sonic area.
        double Astar;
        if (!GetStaticfromM(1.0, Pt, Tt, W, y, kTol, Ps, Ts, V, Astar, kId)) return Status::Failed;
        const double area = o->area->Value();
        if (area < Astar * (1 - 1e-6))
          return Failure("The area " + Quantity(area, ptArea, u) + " is smaller than the sonic area " +
                         Quantity(Astar, ptArea, u) + " of this flow (W = " + Quantity(W, ptMassFlow, u) +
                         ", Pt = " + Quantity(Pt, ptPressure, u) + ", Tt = " + Quantity(Tt, ptTemperature, u) +
                         "): the flow cannot pass it");
        if (!GetStatic(W, Pt, Tt, area, y, kTol, Ps, Ts, M, V, kId)) return Status::Failed;
        if (M > 1.0 + 1e-6)
          return Failure(Printf("The static state at the given area has Mach %.4g, above the sonic limit 1", M));
        if (!add("area", Ps, Ts, M, V, area)) return Status::Failed;
      } else if (o->velocity->Has()) {
        // The tighter of the energy equation's limit and the Mach relation's one at 200 K.
        const double Mmax = MaxMach(Tt, y);
        const double Vmax = std::min(MaxVelocity(Tt, y), Mmax * FCs(kTableTmin, y));
        if (o->velocity->Value() > Vmax)
          throw BadArgument("--velocity (velocity) = " + Quantity(o->velocity->Value(), ptSpeed, u) +
                            ": above the maximum " + Quantity(Vmax, ptSpeed, u) +
                            " that the total state (Tt = " + Quantity(Tt, ptTemperature, u) + ") allows down to the " +
                            Quantity(kTableTmin, ptTemperature, u) + " of the gas property tables");
        if (!StaticFromVelocity(o->velocity->Value(), Pt, Tt, W, y, Mmax, Ps, Ts, M, A) ||
            !add("velocity", Ps, Ts, M, o->velocity->Value(), A))
          return Status::Failed;
      } else {
        Points points(t, o->mach->IsRange());
        const double Mmax = MaxMach(Tt, y);
        for (double m : o->mach->values)
          if (!points.Run({std::string("Mach"), Cell{}, Cell{}, m}, [&] {
                if (m > Mmax)
                  throw PointOutOfDomain("--mach (Mach number) = " + Quantity(m, ptNone, u) +
                                         ": the static temperature would lie below the " +
                                         Quantity(kTableTmin, ptTemperature, u) +
                                         " of the gas property tables; the total state (Tt = " +
                                         Quantity(Tt, ptTemperature, u) + ") allows at most Mach " +
                                         Quantity(Mmax, ptNone, u));
                return GetStaticfromM(m, Pt, Tt, W, y, kTol, Ps, Ts, V, A, kId) && add("Mach", Ps, Ts, m, V, A);
              }))
            return Status::Failed;
        status = points.Result();
      }
      r.tables = {t};
      r.main = "static";
      if (o->nozzle) {
        double PsOut, Hs, Rho, Wn;
        const double psBack = o->psBack->Value(), An = o->nozzleArea->Value();
        if (!ConvDuct(FH(Tt, y), Pt, Tt, psBack, An, o->cv->Value(), y, kTol, PsOut, Ts, Hs, M, V, Wn, Rho, kId))
          return Status::Failed;
        if (!(M <= 1.0 + 1e-6) || !(PsOut >= psBack * (1 - 1e-9)))
          return Failure(
              Printf("The convergent nozzle gives Mach %.4g at an exit pressure of %.6g Pa against a "
                     "back pressure of %.6g Pa: no convergent nozzle flow does that",
                     M, PsOut, psBack));
        // The velocity coefficient lowers the jet speed below the isentropic one.
        if (!StaticStateOk(Pt, Tt, PsOut, Ts, V, y)) return Status::Failed;
        Table nz{"nozzle",
                 {Col("Ps_back", "Ps back", ptPressure, Sign::Positive),
                  Col("Ps_exit", "Ps exit", ptPressure, Sign::Positive), Col("Ts", "Ts", ptTemperature, Sign::Positive),
                  Ratio("Mach", "Mach", 4, Sign::NonNegative), Col("V", "V", ptSpeed, Sign::NonNegative),
                  Col("W", "W", ptMassFlow, Sign::Positive), Col("rho", "rho", ptDensity, Sign::Positive),
                  Text("choked", "choked")},
                 {}};
        if (!AddRow(nz, {psBack, PsOut, Ts, M, V, Wn, Rho, M >= 1.0 - 1e-9}, u)) return Status::Failed;
        r.tables.push_back(nz);
      }
      r.inputs = o->n.Echoes();
      if (o->nozzle) r.inputs.push_back({Text("nozzle", "nozzle"), {true}});
      for (Echo& e : o->mix.Echoes()) r.inputs.push_back(std::move(e));
      return status;
    };
  });
}

}  // namespace vyr::cli
