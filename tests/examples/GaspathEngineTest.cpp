// The example engines calculated by their forms, in-process as the host runs
// them: the turbojet gives what the engine layer gives for the same engine,
// the turbofan keeps mass, energy and each shaft's power balance, and a
// calculation physics forbids fails with the component's message.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <QWidget>

#include "Engine.h"
#include "EngineModels.h"
#include "GasProperties.h"
#include "GaspathTestEnv.h"
#include "common/RecordingHandler.h"
#include "vyrcompf.h"

namespace vyr {
namespace {

using engine::TEngineState;

// The turbojet of the example model, built directly in the engine layer.
engine::TEngine LayerTurbojet() {
  engine::TEngine e;
  auto& shaft = e.Add<engine::TShaftComponent>("Shaft");
  shaft.effMech = 0.99;
  shaft.rpm = 10000.0;
  e.Add<engine::TAmbient>("Ambient");
  auto& inlet = e.Add<engine::TInlet>("Inlet");
  inlet.W = 20.0;
  inlet.recovery = 0.99;
  e.Add<engine::TCompressor>("Compressor");
  auto& burner = e.Add<engine::TBurner>("Burner");
  burner.fuel = engine::TableFuel(ftAvtur);
  e.Add<engine::TTurbine>("Turbine");
  e.Add<engine::TNozzle>("Nozzle");
  return e;
}

TEST(GaspathEngine, TurbojetFormsGiveTheEngineLayersResults) {
  test::RecordingHandler rec;
  QWidget canvas;
  TEngineState forms, layer;
  std::string failure;
  ASSERT_TRUE(examples::RunDesignPoint(examples::BuildTurbojet(&canvas), forms, failure)) << failure;
  ASSERT_TRUE(LayerTurbojet().Run(layer)) << layer.error;
  ASSERT_EQ(forms.stations.size(), layer.stations.size());
  for (const auto& [nr, st] : layer.stations) {
    const engine::TStation* f = forms.Find(nr);
    ASSERT_NE(f, nullptr) << "station " << nr;
    EXPECT_EQ(f->hasStatic, st.hasStatic) << nr;
    for (auto [name, a, b] : {std::tuple{"W", f->gas.W, st.gas.W}, {"Pt", f->gas.Pt, st.gas.Pt},
                              {"Tt", f->gas.Tt, st.gas.Tt}, {"H", f->gas.H, st.gas.H}, {"Ps", f->gas.Ps, st.gas.Ps},
                              {"Ts", f->gas.Ts, st.gas.Ts}, {"FAR", f->gas.FARat, st.gas.FARat}})
      EXPECT_EQ(a, b) << "station " << nr << " " << name;
  }
  EXPECT_EQ(forms.performance.FN, layer.performance.FN);
  EXPECT_EQ(forms.performance.Wf, layer.performance.Wf);
  EXPECT_TRUE(rec.messages.empty());
}

// Relative agreement of two sums of one balance, scaled by the size of the
// flows through it.
::testing::AssertionResult Balanced(const char* what, double in, double out, double scale, double rel) {
  if (std::fabs(in - out) <= rel * std::fabs(scale)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << what << ": " << in << " in, " << out << " out, off by "
                                       << (in - out) / scale << " of " << scale;
}

TEST(GaspathEngine, TurbofanKeepsMassEnergyAndShaftPower) {
  test::RecordingHandler rec;
  QWidget canvas;
  TEngineState s;
  std::string failure;
  ASSERT_TRUE(examples::RunDesignPoint(examples::BuildTurbofan(&canvas), s, failure)) << failure;
  EXPECT_TRUE(rec.messages.empty());
  auto g = [&](int nr) -> const TGasconditions& {
    const engine::TStation* st = s.Find(nr);
    EXPECT_NE(st, nullptr) << "station " << nr;
    static const TGasconditions none{};
    return st ? st->gas : none;
  };
  auto W = [&](int nr) { return g(nr).W; };
  auto H = [&](int nr) { return g(nr).H; };
  const double Wf = s.performance.Wf, W0 = W(0), W25 = W(25);
  constexpr double kExact = 1e-12;  // flows are sums and products, not iterations
  constexpr double kIter = 1e-6;    // balances closed by the gas property iterations

  // Mass: every kilogram that enters leaves, bleeds and fuel included.
  EXPECT_TRUE(Balanced("inlet", W0, W(2), W0, kExact));
  EXPECT_TRUE(Balanced("splitter", W(12), W(13) + W(21), W0, kExact));
  EXPECT_TRUE(Balanced("bypass ratio", W(13) / W(21), 5.27511, 5.27511, kExact));
  EXPECT_TRUE(Balanced("HPC bleeds", W25 * (1.0 - 0.055 - 0.035), W(3), W0, kExact));
  EXPECT_TRUE(Balanced("burner", W(3) + Wf, W(4), W0, kExact));
  EXPECT_TRUE(Balanced("HPT inlet cooling", W(4) + 0.055 * W25, W(41), W0, kExact));
  EXPECT_TRUE(Balanced("HPT exit cooling", W(41) + 0.035 * W25, W(44), W0, kExact));
  for (auto [a, b] : {std::pair{2, 12}, {21, 22}, {22, 24}, {24, 25}, {44, 45}, {45, 5}, {5, 7}, {7, 8}, {8, 9},
                      {13, 17}, {17, 18}, {18, 19}})
    EXPECT_TRUE(Balanced(("stations " + std::to_string(a) + "-" + std::to_string(b)).c_str(), W(a), W(b), W0, kExact));
  EXPECT_TRUE(Balanced("engine", W0 + Wf, W(9) + W(19), W0, kExact));

  // Ducts: adiabatic, with their pressure losses.
  for (auto [a, b, loss] : {std::tuple{21, 22, 0.0025}, {24, 25, 0.0025}, {44, 45, 0.005}, {5, 7, 0.01},
                            {13, 17, 0.0075}}) {
    EXPECT_EQ(H(a), H(b)) << a << "-" << b;
    EXPECT_NEAR(g(b).Pt / g(a).Pt, 1.0 - loss, 1e-14) << a << "-" << b;
  }

  // Burner: the enthalpy of air and fuel, less the heat not released, is the
  // enthalpy of the products (enthalpies include the heat of formation).
  const engine::TFuel fuel = engine::UserFuel(1.94, 0.0, 18400.0 * examples::kJPerKgPerBtuPerLbm);
  const double burnerIn = W(3) * H(3) + Wf * engine::FuelEnthalpy(fuel, 298.15) - (1.0 - 0.994) * Wf * fuel.LHV;
  EXPECT_TRUE(Balanced("burner energy", burnerIn, W(4) * H(4), Wf * fuel.LHV, kIter));

  // Shafts: the work of the compressors on each shaft comes out of its turbines
  // (no mechanical losses). The HP turbine's work is the enthalpy its gas and
  // cooling air (bleed air at the HPC exit state) lose from its inlet to
  // station 44; the bleeds were compressed with the whole HPC flow.
  const double hpc = W25 * (H(3) - H(25));
  const double hpt = W(4) * H(4) + (W(44) - W(4)) * H(3) - W(44) * H(44);
  EXPECT_TRUE(Balanced("HP shaft", hpc, hpt, hpc, kIter));
  const double fan = W(2) * (H(12) - H(2)), booster = W(22) * (H(24) - H(22));
  const double lpt = W(45) * (H(45) - H(5));
  EXPECT_TRUE(Balanced("LP shaft", fan + booster, lpt, fan + booster, kIter));

  // Nozzles: the jet's static enthalpy and kinetic energy make up the total.
  for (int exit : {9, 19}) {
    const TGasconditions& e = g(exit);
    EXPECT_TRUE(Balanced(("nozzle exit " + std::to_string(exit)).c_str(), FH(e.Ts, e.Composition) + e.V * e.V / 2,
                         e.H, e.V * e.V / 2, kIter));
  }
  EXPECT_GT(s.performance.FN, 0.0);
  std::printf("turbofan: FN %.1f N, TSFC %.4f g/(kN s), Wf %.4f kg/s, Tt41 %.2f K, Tt45 %.2f K, Tt5 %.2f K, "
              "BPR %.5f\n",
              s.performance.FN, s.performance.TSFC * 1e6, Wf, g(41).Tt, g(45).Tt, g(5).Tt, W(13) / W(21));
}

// After a run, each form's measurements (named with its calculation number)
// point at its results, which its "_" properties read and its data report
// lists; the engine layer's table rows carry the same values.
TEST(GaspathEngine, MeasurementsPropertiesAndReportShowTheResults) {
  test::RecordingHandler rec;
  QWidget canvas;
  std::vector<TVYRcomp*> comps = examples::BuildTurbofan(&canvas);
  for (TVYRcomp* c : comps) c->Compform->AddMeasurementsAndConditions();
  TEngineState s;
  std::string failure;
  ASSERT_TRUE(examples::RunDesignPoint(comps, s, failure)) << failure;
  for (TVYRcomp* c : comps) {
    TVYRcompform* f = c->Compform;
    const std::string suffix = "_" + std::to_string(f->CalcNumber());
    std::vector<std::string> results, lines;
    f->GetPropertyList(results, "_");
    ASSERT_EQ(f->CompPerfParameters.Count(), static_cast<int>(results.size())) << f->IDstr();
    f->DesignDataToLines(lines);
    const auto results_at = std::find(lines.begin(), lines.end(), "Results:");
    ASSERT_NE(results_at, lines.end()) << f->IDstr();
    for (std::size_t k = 0; k < results.size(); ++k) {
      const std::string name = results[k].substr(0, results[k].find(' '));
      auto* p = dynamic_cast<TParameter*>(f->CompPerfParameters.Objects(static_cast<int>(k)));
      ASSERT_NE(p, nullptr);
      EXPECT_EQ(f->CompPerfParameters.Strings(static_cast<int>(k)), name + suffix);
      EXPECT_EQ(*p->Pvalue, f->GetPropertyValue(results[k])) << f->IDstr() << " " << name;
      EXPECT_TRUE(std::isfinite(*p->Pvalue)) << f->IDstr() << " " << name;
      const std::string unit = p->UnitString().empty() ? "" : " " + p->UnitString();
      EXPECT_EQ(*(results_at + 1 + static_cast<long>(k)), name + " : " + p->ValueString() + unit) << f->IDstr();
    }
  }
  TVYRcompform* hpt = examples::FindComp(comps, "HPT")->Compform;
  for (const engine::TMachineResult& m : s.performance.machines) {
    if (m.name == "HPT") {
      EXPECT_EQ(hpt->GetPropertyValue("PW"), m.power);
    }
  }
  EXPECT_EQ(examples::FindComp(comps, "Ambient")->Compform->GetPropertyValue("FN"), s.performance.FN);
}

struct TFailCase {
  const char* name;
  bool turbofan;
  const char* comp;   // component whose input is changed
  const char* field;  // its field
  double value;       // numeric value (text fields: none)
  const char* text;
  const char* failing;  // IDstr of the component expected to fail
  const char* message;  // part of its message
};
void PrintTo(const TFailCase& c, std::ostream* os) { *os << c.name; }

const TFailCase kFailures[] = {
    {"TurbineCannotDriveCompressor", false, "Burner", "Texitdes", 620.0, nullptr, "Nr. 5 Component: Turbine",
     "cannot drive"},
    {"CoolingFromUnknownBleed", true, "HPT", "Cool1Name", 0, "no such bleed", "Nr. 10 Component: HPT",
     "no such bleed"},
    {"TurbineOnShaftWithoutCompressor", false, "Compressor", "ShaftNrdes", 3, nullptr, "Nr. 5 Component: Turbine",
     "no compressor"},
    {"ThroatAtAnotherComponentsStation", false, "Nozzle", "ExitStation", 2, nullptr, "Nr. 6 Component: Nozzle",
     "2"},
};

class GaspathFailure : public ::testing::TestWithParam<TFailCase> {};

TEST_P(GaspathFailure, StopsWithTheComponentsMessage) {
  const TFailCase& c = GetParam();
  test::RecordingHandler rec;
  QWidget canvas;
  std::vector<TVYRcomp*> comps = c.turbofan ? examples::BuildTurbofan(&canvas) : examples::BuildTurbojet(&canvas);
  TVYRcomp* comp = examples::FindComp(comps, c.comp);
  ASSERT_NE(comp, nullptr);
  if (c.text != nullptr)
    examples::SetText(comp, c.field, c.text);
  else
    examples::SetNum(comp, c.field, c.value);
  TEngineState s;
  std::string failure;
  EXPECT_FALSE(examples::RunDesignPoint(comps, s, failure));
  EXPECT_EQ(failure.rfind(std::string(c.failing) + ": ", 0), 0u) << failure;
  EXPECT_NE(failure.find(c.message), std::string::npos) << failure;
}

INSTANTIATE_TEST_SUITE_P(Failures, GaspathFailure, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GaspathEngine, HookOutsideARunFails) {
  QWidget canvas;
  std::vector<TVYRcomp*> comps = examples::BuildTurbojet(&canvas);
  TVYRcompform* inlet = examples::FindComp(comps, "Inlet")->Compform;
  EXPECT_FALSE(inlet->Calc(cmDesign));
  EXPECT_EQ(inlet->ErrorWarningText, "No engine calculation is in progress\r\nNr. 2 Component: Inlet");
  EXPECT_FALSE(inlet->Calculated);
}

}  // namespace
}  // namespace vyr
