// The example models run by the host program: the turbojet model gives what
// the turbojet cycle command gives for the same inputs, and a case of it that
// changes one input changes only what depends on it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <string>

namespace {

using nlohmann::json;

// The JSON output of "vyr --json <args>" with the exit status expected; its
// messages go to the test's log.
json VyrJson(const std::string& args, int expected = 0) {
  const std::string cmd = std::string(VYR_EXE) + " --json " + args;
  FILE* pipe = popen(cmd.c_str(), "r");
  if (pipe == nullptr) {
    ADD_FAILURE() << "cannot run " << cmd;
    return json::object();
  }
  std::string out;
  char buf[4096];
  for (std::size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
  const int raw = pclose(pipe);
  const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  EXPECT_EQ(status, expected) << cmd;
  return status == expected && !out.empty() ? json::parse(out) : json::object();
}

const std::string kTurbojet = std::string(VYR_EXAMPLES_DIR) + "/turbojet.xml";

// The numbers of a table by row key and column: stations keyed by their
// number, the one-row performance table by its column names alone.
using TNumbers = std::map<std::string, double>;
TNumbers Numbers(const json& doc, const std::string& table, const std::string& key) {
  TNumbers n;
  if (!doc.contains(table)) return n;
  for (const json& row : doc[table]["rows"]) {
    const std::string prefix = key.empty() ? "" : row[key].get<std::string>() + ".";
    for (auto it = row.begin(); it != row.end(); ++it)
      if (it.value().is_number()) n[table + "." + prefix + it.key()] = it.value().get<double>();
  }
  return n;
}

TNumbers Results(const json& doc) {
  TNumbers n = Numbers(doc, "stations", "station");
  n.merge(Numbers(doc, "performance", ""));
  return n;
}

bool Near(double a, double b, double rel) { return std::fabs(a - b) <= rel * std::max({std::fabs(a), std::fabs(b), 1e-300}); }

struct TSameCase {
  const char* name;
  const char* run;    // arguments after "run MODEL"
  const char* cycle;  // arguments after "cycle turbojet"
};
void PrintTo(const TSameCase& c, std::ostream* os) { *os << c.name; }

class TurbojetModel : public ::testing::TestWithParam<TSameCase> {};

// Every number the cycle command prints in its stations and performance
// tables, the run of the model prints too, equal within 1E-9.
TEST_P(TurbojetModel, RunEqualsCycleCommand) {
  const TNumbers run = Results(VyrJson("run " + kTurbojet + " " + GetParam().run));
  const TNumbers cycle = Results(VyrJson(std::string("cycle turbojet ") + GetParam().cycle));
  ASSERT_GT(cycle.size(), 40u);
  int compared = 0;
  for (const auto& [name, v] : cycle) {
    auto it = run.find(name);
    if (it == run.end()) continue;
    ++compared;
    EXPECT_TRUE(Near(it->second, v, 1e-9)) << name << ": run " << it->second << ", cycle " << v;
  }
  EXPECT_EQ(compared, static_cast<int>(cycle.size())) << "the run prints every number of the cycle command";
}

INSTANTIATE_TEST_SUITE_P(Examples, TurbojetModel,
                         ::testing::Values(TSameCase{"Base", "", ""},
                                           TSameCase{"NozzleCV095", "--case NozzleCV095", "--cv 0.95"},
                                           TSameCase{"CDNozzle", "--case CDNozzle", "--nozzle cd"},
                                           TSameCase{"Polytropic", "--case Polytropic",
                                                     "--eff-c-type polytropic --eff-t-type polytropic"},
                                           TSameCase{"Cruise", "--case Cruise", "-z 11000 -m 0.8"},
                                           TSameCase{"UserFuel", "--case UserFuel",
                                                     "--fuel user --hc 1.94 --lhv 42798400"}),
                         [](const auto& info) { return std::string(info.param.name); });

// The case changes the nozzle's velocity coefficient alone: everything
// upstream of the nozzle and its sonic throat stay as they were to the last
// digit; the jet, the thrust and the thermal efficiency change (at zero flight
// speed propulsive and overall efficiency stay 0).
TEST(TurbojetModelCase, ChangesTheNozzleResultsAlone) {
  const TNumbers base = Results(VyrJson("run " + kTurbojet));
  const TNumbers cased = Results(VyrJson("run " + kTurbojet + " --case NozzleCV095"));
  ASSERT_EQ(base.size(), cased.size());
  const std::set<std::string> nozzle = {"9"};
  const std::set<std::string> thrust = {"FG", "FN", "TSFC", "FN_W", "V_jet", "eff_thermal"};
  for (const auto& [name, v] : base) {
    const double c = cased.at(name);
    const std::string table = name.substr(0, name.find('.'));
    const std::string rest = name.substr(name.find('.') + 1);
    bool depends = false;
    if (table == "stations") {
      const std::string station = rest.substr(0, rest.find('.'));
      const std::string column = rest.substr(rest.find('.') + 1);
      // The jet leaves hotter and slower at the choked throat's pressure.
      depends = nozzle.count(station) > 0 && (column == "Ts" || column == "Mach");
    } else {
      depends = thrust.count(rest) > 0;
    }
    if (depends)
      EXPECT_FALSE(Near(c, v, 1e-6)) << name << " follows the velocity coefficient";
    else
      EXPECT_EQ(c, v) << name << " does not depend on the nozzle";
  }
}

// A model whose burner is asked for an exit temperature below its inlet's is
// a point outside the calculation's domain: exit 2, both temperatures named.
TEST(TurbojetModelCase, BurnerBelowItsInletIsOutOfDomain) {
  std::ifstream in(kTurbojet);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string from = "<Texitdes>1400</Texitdes>";
  const std::size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos);
  text.replace(at, from.size(), "<Texitdes>500</Texitdes>");
  const std::string model = testing::TempDir() + "cold-burner.xml";
  std::ofstream(model) << text;
  const std::string cmd = std::string(VYR_EXE) + " run " + model + " 2>&1";
  FILE* pipe = popen(cmd.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string out;
  char buf[4096];
  for (std::size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
  const int raw = pclose(pipe);
  EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 2) << out;
  EXPECT_NE(out.find("T4 = 500 K is not above the inlet temperature T3 = 597.5"), std::string::npos) << out;
  std::remove(model.c_str());
}

// The turbofan run by the host: the air and the fuel that enter leave
// through the two nozzles, split by the bypass ratio.
TEST(TurbofanModel, RunKeepsMassAndBypassRatio) {
  const TNumbers r = Results(VyrJson("run " + std::string(VYR_EXAMPLES_DIR) + "/turbofan.xml"));
  auto W = [&](const char* station) { return r.at(std::string("stations.") + station + ".W"); };
  ASSERT_FALSE(r.empty());
  EXPECT_TRUE(Near(W("0") + r.at("performance.Wf"), W("9") + W("19"), 1e-12));
  EXPECT_TRUE(Near(W("13") / W("21"), 5.27511, 1e-12));
  EXPECT_GT(r.at("performance.FN"), 0.0);
}

// The reference model on maps, run off design (the host runs its design point
// first, from the design inputs): at the design thrust it is at its design
// point again.
const std::string kTurbojetMaps = std::string(VYR_EXAMPLES_DIR) + "/turbojet-maps.xml";

TEST(TurbojetOnMaps, OffDesignAtTheDesignThrustIsTheDesignPoint) {
  const TNumbers design = Results(VyrJson("run " + kTurbojetMaps));
  ASSERT_FALSE(design.empty());
  const double FN = design.at("performance.FN");
  EXPECT_NEAR(FN, 11800.0 * 4.4482216152605, 1e-6 * FN);
  const json off = VyrJson("run " + kTurbojetMaps + " --off-design --thrust " + std::to_string(FN) + "N");
  ASSERT_TRUE(off.contains("points"));
  const json& row = off["points"]["rows"].at(0);
  EXPECT_EQ(row["status"], "ok");
  EXPECT_TRUE(Near(row["W"].get<double>(), design.at("stations.2.W"), 1e-6));
  EXPECT_TRUE(Near(row["Tt4"].get<double>(), design.at("stations.4.Tt"), 1e-6));
  EXPECT_TRUE(Near(row["N1_frac"].get<double>(), 1.0, 1e-6));
  EXPECT_NEAR(row["Compressor_R"].get<double>(), 2.0, 1e-5);
  EXPECT_NEAR(row["Turbine_PRmap"].get<double>(), 6.0, 1e-5);
  EXPECT_TRUE(Near(row["Compressor_PR"].get<double>(), 13.5, 1e-6));
}

// A speed far below the turbine map's fails with the map and the coordinate
// in its row; the sweep goes on, and the exit status says points failed.
TEST(TurbojetOnMaps, FailedPointIsARowWithItsReason) {
  const json off = VyrJson("run " + kTurbojetMaps + " --off-design --speed 0.3:1.0:0.7", 1);
  ASSERT_TRUE(off.contains("points"));
  const json& rows = off["points"]["rows"];
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0]["status"], "failed");
  const std::string why = rows[0]["message"].get<std::string>();
  EXPECT_NE(why.find("Turbine"), std::string::npos) << why;
  EXPECT_NE(why.find("outside"), std::string::npos) << why;
  EXPECT_EQ(rows[1]["status"], "ok");
  EXPECT_TRUE(Near(rows[1]["N1_frac"].get<double>(), 1.0, 1e-9));
}

}  // namespace
