// The example models run by the host program: the turbojet model gives what
// the turbojet cycle command gives for the same inputs, and a case of it that
// changes one input changes only what depends on it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <string>

namespace {

using nlohmann::json;

// The JSON output of "vyr --json <args>"; its messages go to the test's log.
json VyrJson(const std::string& args) {
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
  EXPECT_EQ(status, 0) << cmd;
  return status == 0 ? json::parse(out) : json::object();
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
// upstream of the nozzle stays as it was to the last digit; the jet and the
// thrust change.
TEST(TurbojetModelCase, ChangesTheNozzleResultsAlone) {
  const TNumbers base = Results(VyrJson("run " + kTurbojet));
  const TNumbers cased = Results(VyrJson("run " + kTurbojet + " --case NozzleCV095"));
  ASSERT_EQ(base.size(), cased.size());
  const std::set<std::string> nozzle = {"8", "9"};
  const std::set<std::string> thrust = {"FG", "FN", "TSFC", "FN_W"};
  for (const auto& [name, v] : base) {
    const double c = cased.at(name);
    const std::string table = name.substr(0, name.find('.'));
    const std::string rest = name.substr(name.find('.') + 1);
    bool depends = false;
    if (table == "stations") {
      const std::string station = rest.substr(0, rest.find('.'));
      const std::string column = rest.substr(rest.find('.') + 1);
      // The choked throat's pressure is set by the total state alone.
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

}  // namespace
