#include "CommandKit.h"

#include <unistd.h>

#include <iostream>
#include <set>
#include <sstream>

#include "FuelTemperature.h"

namespace vyr::cli {

Column Col(std::string key, std::string heading, TParType t, Sign sign, std::string unit, int decimals) {
  return {std::move(key), std::move(heading), t, std::move(unit), decimals, sign, std::nullopt, false};
}
Column Ratio(std::string key, std::string heading, int decimals, Sign sign) {
  return Col(std::move(key), std::move(heading), ptNone, sign, "", decimals);
}
Column Text(std::string key, std::string heading) { return Col(std::move(key), std::move(heading), ptNone); }
Column Count(std::string key, std::string heading) {
  Column c = Ratio(std::move(key), std::move(heading), 0, Sign::NonNegative);
  c.integer = true;
  return c;
}

Echo TextEcho(const std::string& key, const std::string& value) { return {Text(key, key), {value}}; }

bool Fail(const std::string& text) {
  ShowMessage(text);
  return false;
}

Status Failure(const std::string& text) {
  ShowMessage(text);
  return Status::Failed;
}

void MixOptions::Add(CLI::App* cmd, Numbers& n, const std::string& defaultMix) {
  mix = defaultMix;
  mixOpt = cmd->add_option("--mix", mix,
                           "Gas: air, products (of --fuel at --far), or mass fractions such as \"N2=0.77,O2=0.23\"")
               ->capture_default_str();
  AddFuel(cmd, n);
  far = &n.Add(cmd, "--far", "fuel-air ratio of the products", ptNone, 0.03,
               Domain::Above(0.0, 1.0, "kilograms of fuel per kilogram of air"));
}

void MixOptions::AddFuel(CLI::App* cmd, Numbers& n) {
  fuelOpt = cmd->add_option("--fuel", fuel,
                            "Fuel: avtur, avtag, avcat, diesel, natgas, hydrogen, jp10, ethanol, methanol, ammonia, "
                            "or user (with --hc and --lhv or --hf)")
                ->capture_default_str()
                ->transform(CLI::IsMember(FuelKeys(), CLI::ignore_case));
  hc = &n.Add(cmd, "--hc", "user fuel: hydrogen-to-carbon atom ratio", ptNone, {}, Domain::AtLeast(0.0));
  oc = &n.Add(cmd, "--oc", "user fuel: oxygen-to-carbon atom ratio", ptNone, {}, Domain::AtLeast(0.0));
  lhv = &n.Add(cmd, "--lhv", "user fuel: lower heating value", ptSpecEnthalpy, {}, Domain::Positive());
  hf = &n.Add(cmd, "--hf", "user fuel: formation enthalpy", ptSpecEnthalpy, {}, Domain::Any());
}

void MixOptions::CheckApplicable() {
  for (const Number* o : {hc, oc, lhv, hf})
    NotApplicable(o->option, fuel == "user", "to --fuel " + fuel + " (only to --fuel user)");
  if (mixOpt) {
    NotApplicable(fuelOpt, mix == "products", "to --mix " + mix + " (only to --mix products)");
    NotApplicable(far->option, mix == "products", "to --mix " + mix + " (only to --mix products)");
    if (mix != "products") far->values.clear();
  }
}

Fuel MixOptions::MakeTheFuel() const {
  auto given = [](const Number* n) { return n->Has() ? std::optional(n->Value()) : std::nullopt; };
  return MakeFuel(fuel, given(hc), given(oc), given(lhv), given(hf));
}

std::vector<Echo> MixOptions::Echoes() const {
  std::vector<Echo> e;
  if (mixOpt) e.push_back(TextEcho("mix", mix));
  if (!mixOpt || mix == "products") e.push_back(TextEcho("fuel", fuel));
  return e;
}

bool MixOptions::Composition(TGasComposition& y) const {
  if (mix == "air") {
    y = Air;
    return true;
  }
  if (mix == "products") return CompleteProducts(MakeTheFuel(), far->Value(), y);
  y = TGasComposition{};
  std::set<int> seen;
  std::stringstream ss(mix);
  for (std::string item; std::getline(ss, item, ',');) {
    const auto eq = item.find('=');
    const std::string name = item.substr(0, eq);
    int s = 0;
    while (s < GasCount && GasNames[s] != name) ++s;
    if (eq == std::string::npos || s == GasCount)
      throw BadArgument("--mix: \"" + Echoed(item) +
                        "\" is not species=mass fraction (species: CO2, CO, O2, Ar, H2Og, "
                        "H2Ol, H2, CH4, C2H6, C2H4, C3H8, C4H10, O, H, OH, NO, N2O, N2)");
    if (!seen.insert(s).second) throw BadArgument("--mix: " + name + " is given twice");
    const std::string value = item.substr(eq + 1);
    if (value.find(':') != std::string::npos)
      throw BadArgument("--mix: " + name + " takes one mass fraction, not a range \"" + Echoed(value) + "\"");
    y[s] = ReadValue(value, ptNone, usSI, "--mix " + name);
    if (!Domain::Between(0.0, 1.0).Contains(y[s]))
      throw BadArgument("--mix: the mass fraction of " + name + " " + Domain::Between(0.0, 1.0).Text(ptNone, usSI));
  }
  MessageScope scope;
  if (!CheckComposition(y, "vyr --mix")) throw BadArgument("--mix: " + scope.Text());
  return true;
}

std::string AmbientTemperatureProblem(double Ts, double z, double dT, TUnitSystem u) {
  if (Ts >= kTableTmin && Ts <= kTableTmax) return "";
  return "The ambient temperature " + Quantity(Ts, ptTemperature, u) + " at " + Quantity(z, ptAltitude, u) +
         " (offset " + Quantity(dT, ptTempDiff, u) + ") lies " + (Ts < kTableTmin ? "below the " : "above the ") +
         Quantity(Ts < kTableTmin ? kTableTmin : kTableTmax, ptTemperature, u) + " of the gas property tables";
}

void CheckFuelTemperature(const Fuel& fuel, const Number& Tfuel, TUnitSystem u) {
  const TFuelTemperatureRange range = FuelTemperatureRange(fuel.type);
  for (double T : Tfuel.values)
    if (T < range.Tmin || T > range.Tmax)
      throw BadArgument(Tfuel.name + " (" + Tfuel.what + ") = " + Quantity(T, ptTemperature, u) +
                        ": must lie between " + Quantity(range.Tmin, ptTemperature, u) + " and " +
                        Quantity(range.Tmax, ptTemperature, u) + " for " + fuel.name + " (" + std::string(range.basis) +
                        ")");
}

Points::Points(Table& table, bool sweep) : table_(table), sweep_(sweep) {
  if (!sweep_) return;
  table_.columns.push_back(Text("status", "status"));
  table_.columns.push_back(Text("message", "message"));
}

bool Points::Run(const Row& inputs, const std::function<bool()>& point) {
  ++points_;
  if (!sweep_) return point();
  const std::size_t rows = table_.rows.size();
  std::string problem;
  {
    MessageScope scope;
    try {
      if (!point()) problem = scope.Text().empty() ? "the calculation failed" : scope.Text();
    } catch (const PointOutOfDomain& e) {
      problem = e.what();
    }
  }
  const std::size_t n = table_.columns.size();
  if (problem.empty() && table_.rows.size() == rows + 1) {
    Row& row = table_.rows.back();
    row.resize(n - 2);
    row.emplace_back(std::string("ok"));
    row.emplace_back(std::string(""));
    return true;
  }
  table_.rows.resize(rows);  // a row the point added before it failed goes
  ++failed_;
  Row row = inputs;
  row.resize(n - 2);
  row.emplace_back(std::string("failed"));
  row.emplace_back(problem);
  table_.rows.push_back(std::move(row));
  return true;
}

Status Points::Result() const {
  if (failed_ == 0) return Status::Ok;
  ShowMessage(std::to_string(failed_) + " of " + std::to_string(points_) + " points failed");
  return Status::PointsFailed;
}

bool AnyRange(const std::vector<const Number*>& options) {
  for (const Number* n : options)
    if (n->IsRange()) return true;
  return false;
}

Progress::Progress(std::size_t total) : total_(total), terminal_(isatty(STDERR_FILENO) != 0) {}

Progress::~Progress() {
  if (shown_) std::cerr << "\r" << std::string(40, ' ') << "\r" << std::flush;
}

void Progress::Step(std::size_t done) {
  if (!terminal_) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - start_ < std::chrono::seconds(1) || now - last_ < std::chrono::milliseconds(200)) return;
  last_ = now;
  shown_ = true;
  std::cerr << "\rvyr: point " << done << " of " << total_ << std::flush;
}

}  // namespace vyr::cli
