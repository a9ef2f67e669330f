// The vyr program run as a user runs it: arguments in, text out, exit status.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Outcome {
  int status = -1;
  std::string out, err;
};

std::string Slurp(const std::string& path) {
  std::ifstream f(path);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

// Runs "vyr <args>" through the shell, capturing both streams.
Outcome Vyr(const std::string& args) {
  char dir[] = "/tmp/vyr-cli-XXXXXX";
  const std::string tmp = mkdtemp(dir);
  const std::string out = tmp + "/out", err = tmp + "/err";
  const std::string cmd = std::string(VYR_EXE) + " " + args + " >" + out + " 2>" + err;
  const int raw = std::system(cmd.c_str());
  Outcome r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = Slurp(out);
  r.err = Slurp(err);
  std::remove(out.c_str());
  std::remove(err.c_str());
  rmdir(tmp.c_str());
  return r;
}

struct Bare {
  const char* args;
  const char* expect;  // a table every run shows
};

class BareCommands : public testing::TestWithParam<Bare> {};

TEST_P(BareCommands, ShowAMeaningfulExample) {
  const Outcome r = Vyr(GetParam().args);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find(GetParam().expect), std::string::npos) << r.out;
  EXPECT_EQ(r.err, "");
  // The same as JSON parses and holds that table's rows.
  const Outcome j = Vyr(std::string(GetParam().args) + " --json");
  ASSERT_EQ(j.status, 0) << j.err;
  const auto doc = nlohmann::json::parse(j.out);
  ASSERT_TRUE(doc.contains(GetParam().expect)) << j.out;
  EXPECT_FALSE(doc[GetParam().expect]["rows"].empty());
}

INSTANTIATE_TEST_SUITE_P(Vyr, BareCommands,
                         testing::Values(Bare{"gas", "properties"}, Bare{"process", "stations"},
                                         Bare{"static", "static"}, Bare{"burn", "flame"},
                                         Bare{"atmosphere", "atmosphere"}, Bare{"flight", "flight"},
                                         Bare{"cycle turbojet", "performance"}),
                         [](const testing::TestParamInfo<Bare>& i) {
                           std::string n = i.param.args;
                           for (char& c : n)
                             if (c == ' ') c = '_';
                           return n;
                         });

TEST(Cli, RangesMakeATableOfCases) {
  const Outcome r = Vyr("gas -T 300:600:100 -P 1e5:2e5:1e5 --json");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto rows = nlohmann::json::parse(r.out)["properties"]["rows"];
  ASSERT_EQ(rows.size(), 8u);
  EXPECT_DOUBLE_EQ(rows[7]["T"].get<double>(), 600.0);
  EXPECT_DOUBLE_EQ(rows[7]["P"].get<double>(), 2e5);
  const Outcome a = Vyr("atmosphere -z 0:11000:1000 --csv");
  ASSERT_EQ(a.status, 0);
  EXPECT_EQ(a.out.rfind("# atmosphere\nZp [m],Ps [Pa],Ts_std [K]", 0), 0u) << a.out;
}

TEST(Cli, ImperialUnits) {
  const Outcome r = Vyr("gas --units imperial");
  ASSERT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("518.67"), std::string::npos) << r.out;  // 288.15 K
  EXPECT_NE(r.out.find("14.696"), std::string::npos);           // 101325 Pa
  EXPECT_NE(r.out.find("[psia]"), std::string::npos);
  const Outcome j = Vyr("cycle turbojet --units imperial --json");
  ASSERT_EQ(j.status, 0);
  const auto doc = nlohmann::json::parse(j.out);
  EXPECT_EQ(doc["unit_system"], "imperial");
  EXPECT_EQ(doc["performance"]["units"]["FN"], "lbf");
  EXPECT_NEAR(doc["stations"]["rows"][0]["Tt"].get<double>(), 518.67, 1e-6);
}

TEST(Cli, ExpansionDefaultsGiveWayToGivenValues) {
  const Outcome r = Vyr("process --type expansion --eff 0.85 --json");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto rows = nlohmann::json::parse(r.out)["process"]["rows"];
  EXPECT_DOUBLE_EQ(rows[0]["eff_is"].get<double>(), 0.85);
  EXPECT_DOUBLE_EQ(rows[0]["PR"].get<double>(), 4.0);  // the expansion's own default
}

TEST(Cli, TurbojetThrustTarget) {
  const Outcome r = Vyr("cycle turbojet --thrust 30000 -z 5000 -m 0.5 --json");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto perf = nlohmann::json::parse(r.out)["performance"]["rows"][0];
  EXPECT_NEAR(perf["FN"].get<double>(), 30000.0, 30000.0 * 1e-6);
  EXPECT_NEAR(perf["FN"].get<double>(), perf["FG"].get<double>() - perf["ram_drag"].get<double>(), 1e-6);
}

struct Failure {
  const char* args;
  int status;
  const char* err;  // part of the message on standard error
};

class Errors : public testing::TestWithParam<Failure> {};

TEST_P(Errors, GiveAClearMessageAndStatus) {
  const Outcome r = Vyr(GetParam().args);
  EXPECT_EQ(r.status, GetParam().status) << r.err;
  EXPECT_NE(r.err.find(GetParam().err), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("terminate"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Vyr, Errors,
    testing::Values(Failure{"gas -T abc", 2, "is not a number"}, Failure{"gas -T 300:200:10", 2, "does not lead"},
                    Failure{"gas --mix Xe=1", 2, "is not species=mass fraction"},
                    Failure{"burn --fuel kerosine", 2, "kerosine"}, Failure{"nosuchcommand", 2, ""},
                    Failure{"cycle turbojet --thrust 1e4 -W 20", 2, "excludes"},
                    Failure{"burn --fuel user --lhv 43e6", 2, "--hc"},
                    Failure{"flight -z 90000", 1, "Cannot calculate atmosphere above 80 km / 262,467 ft"},
                    Failure{"gas --mix N2=0.5", 1, "Composition sum (0.5) in vyr --mix not 1 ! (help context 85515)"},
                    Failure{"burn --far 0.9 -T 1500", 1, "O2 concentration too small (help context 80001)"}));

}  // namespace
