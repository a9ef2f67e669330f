// The vyr program run as a user runs it: arguments in, text out, exit status.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The reference turbojet on its maps, which vyr run takes off design.
#define VYR_MAPS_MODEL VYR_EXAMPLES_DIR "/turbojet-maps.xml"

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
void PrintTo(const Bare& b, std::ostream* os) { *os << b.args; }

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
  EXPECT_EQ(a.out.rfind("Zp [m],Ps [Pa],Ts_std [K]", 0), 0u) << a.out;  // one table, no title line
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
  const char* name;
  const char* args;
  int status;
  const char* err;  // part of the message on standard error
};
void PrintTo(const Failure& f, std::ostream* os) { *os << f.args; }

class Errors : public testing::TestWithParam<Failure> {};

// Every refused run: its status, a message in the engineer's terms, nothing on
// standard output that a script could take for a result.
TEST_P(Errors, GiveAClearMessageAndStatus) {
  const Outcome r = Vyr(GetParam().args);
  EXPECT_EQ(r.status, GetParam().status) << r.err;
  EXPECT_NE(r.err.find(GetParam().err), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("terminate"), std::string::npos);
  EXPECT_LT(r.err.size(), 400u) << r.err;  // short: no dumps of huge limits
  EXPECT_EQ(r.out.find("nan"), std::string::npos) << r.out;
}

std::string CaseName(const testing::TestParamInfo<Failure>& i) { return i.param.name; }

INSTANTIATE_TEST_SUITE_P(
    Vyr, Errors,
    testing::Values(Failure{"NotANumber", "gas -T abc", 2, "is not a number"},
                    Failure{"StepAwayFromStop", "gas -T 300:200:10", 2, "does not lead"},
                    Failure{"UnknownSpecies", "gas --mix Xe=1", 2, "is not species=mass fraction"},
                    Failure{"UnknownFuel", "burn --fuel kerosine", 2, "kerosine"},
                    Failure{"UnknownCommand", "nosuchcommand", 2,
                            "unknown command \"nosuchcommand\"; the commands are: gas, process, static, burn, "
                            "atmosphere, flight, cycle"},
                    Failure{"UnknownCycle", "cycle turbofan", 2, "the commands of cycle are: turbojet"},
                    Failure{"NoCommand", "--json", 2, "vyr: a command is needed; the commands are: gas, process"},
                    Failure{"NoCycle", "cycle", 2, "vyr: a command is needed; the commands of cycle are: turbojet"},
                    Failure{"ThrustAndFlow", "cycle turbojet --thrust 1e4 -W 20", 2, "excludes"},
                    Failure{"UserFuelWithoutHC", "burn --fuel user --lhv 43e6", 2, "--hc"},
                    Failure{"AltitudeAboveAtmosphere", "flight -z 90000", 2,
                            "= 90000 m: must lie between -5000 m and 80000 m (the standard atmosphere)"},
                    Failure{"CompositionSumOff", "gas --mix N2=0.5", 2,
                            "Composition sum (0.5) in vyr --mix not 1 !"},
                    Failure{"SpeciesTwice", "gas --mix N2=0.5,N2=0.5", 2, "--mix: N2 is given twice"},
                    Failure{"RangeInMix", "gas --mix N2=0.5:1:0.1", 2, "N2 takes one mass fraction, not a range"},
                    // A turbine that cannot drive the compressor gives no thrust.
                    Failure{"TurbojetColdT4", "cycle turbojet --T4 700", 1,
                            "The turbine cannot drive the compressor at T4 = 700 K"},
                    Failure{"TurbojetLeanFar", "cycle turbojet --far 0.0001", 1,
                            "The turbine cannot drive the compressor at T4 = 601.5"},
                    Failure{"TurbojetOfftake", "cycle turbojet --offtake 7e6", 1,
                            "The turbine cannot drive the compressor and the offtake"},
                    Failure{"TurbojetBelowAbsoluteZero", "cycle turbojet --dt -300", 2,
                            "The ambient temperature -11.85 K at 0 m (offset -300 K) lies below the 200 K of the gas "
                            "property tables"},
                    // A flow passes no area below its sonic area.
                    Failure{"AreaBelowSonic", "static --area 0.02", 1,
                            "The area 0.02 m2 is smaller than the sonic area 0.0277057 m2"},
                    Failure{"AreaFarBelowSonic", "static --area 0.001", 1, "smaller than the sonic area"},
                    Failure{"AreaTiny", "static --area 1e-9", 1, "smaller than the sonic area"},
                    Failure{"BackPressureAboveTotal", "static --nozzle --ps-back 1e7", 2,
                            "--ps-back (nozzle back pressure) = 1e+07 Pa: must be below the total pressure 200000 Pa"},
                    Failure{"ProcessBeyondTables", "process --pr 1e6", 1, "the state is outside the property tables"},
                    Failure{"CompressionLowersPressure", "process --pr 0.5", 2, "--pr (pressure ratio"},
                    Failure{"ZeroTemperature", "gas -T 0", 2, "must lie between 200 K and 6000 K"},
                    Failure{"NegativeTemperature", "gas -T -100", 2, "= -100 K: must lie between 200 K and 6000 K"},
                    Failure{"NegativePressure", "gas -P -101325", 2,
                            "--pressure (pressure) = -101325 Pa: must be "
                            "greater than 0 Pa"},
                    Failure{"TemperatureBelowTables", "gas -T 50", 2, "the range of the gas property tables"},
                    Failure{"TemperatureOffsetTooCold", "flight --dt -300", 2, "lies below the 200 K of the gas property tables"},
                    Failure{"NegativeMach", "flight -m -0.5", 2, "a speed is not negative"},
                    Failure{"NegativeCalibratedSpeed", "flight --speed vc --vc -150", 2, "--vc (calibrated airspeed)"},
                    Failure{"SpeedBeyondTables", "flight --speed vt --vt 1e6", 1, "lies above the 6000 K"},
                    Failure{"NaNPressure", "static --Pt nan", 2, "--Pt: \"nan\" is not a number"},
                    Failure{"NaNArea", "static --area nan", 2, "--area: \"nan\" is not a number"},
                    Failure{"NaNOffset", "flight --dt nan", 2, "--dt: \"nan\" is not a number"},
                    Failure{"InfiniteFlow", "static -W inf", 2, "is not a number"},
                    Failure{"OverflowingFlow", "static -W 1e999", 2, "is not a finite number"},
                    Failure{"OffsetWithoutIsaC", "flight --model isa --dt 20", 2,
                            "--dt does not apply to --model isa (only to isa+c)"},
                    Failure{"MachWithTrueSpeed", "flight --speed vt -m 0.8", 2, "--mach does not apply to --speed vt"},
                    Failure{"HCForTableFuel", "burn --fuel avtur --hc 3", 2, "--hc does not apply to --fuel avtur"},
                    Failure{"FuelWithoutProducts", "gas --fuel natgas", 2, "--fuel does not apply to --mix air"},
                    Failure{"BackPressureWithoutNozzle", "static --ps-back 5e4", 2, "--ps-back does not apply"},
                    Failure{"RangeTooLong", "gas -T 200:3000:0.28 -P 1e5:1e6:90", 2, "has more than 10000 values"},
                    Failure{"TooManyRows", "gas -T 200:3000:1 -P 1e5:1e6:100", 2,
                            "the ranges give 2801 x 9001 = 25211801 rows, more than the 100000"},
                    Failure{"ZeroPressureIsShort", "static --Pt 0", 2,
                            "--Pt (total pressure) = 0 Pa: must be greater "
                            "than 0 Pa"},
                    Failure{"UnitOfAnotherQuantity", "gas -T 300lbf", 2,
                            "the unit \"lbf\" does not fit this quantity (units: K, R)"},
                    Failure{"UnitOnARatio", "cycle turbojet --pr 10psia", 2, "is a plain number and takes no unit"},
                    Failure{"RichEquilibrium", "burn --far 0.09 -T 1500", 1,
                            "The equilibrium products are computed for lean mixtures only: the fuel-air ratio 0.09 "
                            "is at or above the stoichiometric 0.06817 of this fuel. --method complete"},
                    Failure{"TemperatureWithCompleteProducts", "burn --far 0.09 --method complete -T 1500", 2,
                            "--temperature does not apply to --method complete"},
                    Failure{"UnknownTable", "gas --csv --table flame", 2,
                            "\"gas\" has no table \"flame\" (its tables: properties, composition)"},
                    Failure{"SubsonicAreaStaysSubsonic", "static --area 0.0276", 1, "smaller than the sonic area"},
                    // Off design: the limits of a rating, read before the model is run, and the controls.
                    Failure{"LimitWithoutOperator", "run " VYR_MAPS_MODEL " --off-design --T4 1300 --limit T4=1600K",
                            2, "vyr: --limit: the limit \"T4=1600K\" is no NAME<=VALUE or NAME>=VALUE"},
                    Failure{"LimitStrictlyLess", "run " VYR_MAPS_MODEL " --off-design --T4 1300 --limit 'T4<1600K'",
                            2, "is no NAME<=VALUE or NAME>=VALUE"},
                    Failure{"LimitOfNoQuantity", "run " VYR_MAPS_MODEL " --off-design --T4 1300 --limit 'Tq4<=1600K'",
                            2, "names no known quantity \"Tq4\""},
                    Failure{"LimitInAnotherUnit", "run " VYR_MAPS_MODEL " --off-design --T4 1300 --limit 'T4<=16bar'",
                            2, "\"bar\" is no unit of T4 (K, R, degC or degF)"},
                    Failure{"LimitWithoutNumber", "run " VYR_MAPS_MODEL " --off-design --T4 1300 --limit 'N1<=max'",
                            2, "has no number after <="},
                    Failure{"LimitNotPositive", "run " VYR_MAPS_MODEL " --off-design --T4 1300 --limit 'N1<=0'", 2,
                            "the value must be positive"},
                    Failure{"LimitWithoutOffDesign", "run " VYR_MAPS_MODEL " --limit 'T4<=1600K'", 2,
                            "--limit requires --off-design"},
                    Failure{"ThrustFractionAboveDomain", "run " VYR_MAPS_MODEL " --off-design --thrust-fraction 1.6", 2,
                            "= 1.6: must be greater than 0 and at most 1.5"},
                    Failure{"ThrustFractionZero", "run " VYR_MAPS_MODEL " --off-design --thrust-fraction 0", 2,
                            "= 0: must be greater than 0 and at most 1.5"},
                    Failure{"ThrustFractionAndThrust",
                            "run " VYR_MAPS_MODEL " --off-design --thrust-fraction 0.8 --thrust 1e4", 2, "excludes"},
                    Failure{"ThrustTargetBelowTenMeganewtons", "run " VYR_MAPS_MODEL " --off-design --thrust -2e7", 2,
                            "(net thrust) = -2e+07 N: must lie between -1e+07 N and 1e+07 N"}),
    CaseName);

// Limits of the calculation and the answers at them, in every command: the
// status, and a word of the message (standard error) or of the result
// (standard output) that shows the limit, the value or the gap.
struct Limit {
  const char* name;
  const char* args;
  int status;
  const char* word;
};
void PrintTo(const Limit& l, std::ostream* os) { *os << l.args; }

class Limits : public testing::TestWithParam<Limit> {};

TEST_P(Limits, StatusAndWord) {
  const Outcome r = Vyr(GetParam().args);
  EXPECT_EQ(r.status, GetParam().status) << r.err;
  EXPECT_NE((r.err + r.out).find(GetParam().word), std::string::npos) << r.err << r.out;
  EXPECT_EQ(r.err.find("help context"), std::string::npos) << r.err;
  EXPECT_LT(r.err.size(), 400u) << r.err;
  if (r.status == 2) {
    EXPECT_EQ(r.out, "");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Vyr, Limits,
    testing::Values(
        // results beside the tables or the fits
        Limit{"ViscosityWithoutData", "gas --mix C3H8=1", 0, "no viscosity data for C3H8"},
        Limit{"StaticBelowTables", "static --mach 5", 2, "would lie below the 200 K"},
        Limit{"StaticFarBelowTables", "static --mach 6", 2, "(Tt = 500 K) allows at most Mach 2.734"},
        Limit{"StaticAtTablesEdge", "static --mach 2.7342 --csv", 0, ",200.00"},
        Limit{"StaticJustPastTablesEdge", "static --mach 2.7343", 2, "would lie below the 200 K"},
        Limit{"StaticFastVelocity", "static --velocity 760 --csv", 0, ",2.60315"},
        Limit{"StaticVelocityAtTablesEdge", "static --velocity 775.4 --csv", 0, ",200.09"},
        Limit{"StaticHighMachSweepKeepsRows", "static --mach 4:8:0.5 --csv", 1,
              "\"Mach\",,,8,,,,,\"failed\",\"--mach (Mach number) = 8: the static temperature would lie below"},
        Limit{"StaticSweepKeepsFailedRows", "static --mach 0.5:5:1.5 --csv", 1, "\"Mach\",,,3.5"},
        Limit{"ExpansionBelowTables", "process --type expansion --Tt 300 --pr 6 --Pt 1e6 --mix air", 1,
              "lies outside the gas property tables"},
        Limit{"TurbojetColdAmbient", "cycle turbojet -z 11000 --dt -66", 2, "150.65 K at 11000 m"},
        Limit{"TurbojetSweepColdAmbient", "cycle turbojet -z 0:11000:11000 --dt -66", 1, "1 of 2 points failed"},
        Limit{"FlightColdAmbient", "flight -z 11000 --dt -66", 2, "lies below the 200 K"},
        Limit{"FlightSweepColdAmbient", "flight -z 0:11000:11000 --dt -66 --csv", 1, "failed"},
        Limit{"CustomModelIgnoresAltitude", "flight --model custom --ts 250 --ps 50000 -z 5000", 2,
              "--altitude does not apply to --model custom"},
        Limit{"LiquidFuelTooHot", "cycle turbojet --t-fuel 1000", 2, "must lie between 220 K and 450 K for Jet"},
        Limit{"GaseousFuelTooHot", "burn --fuel natgas --t-fuel 1200", 2, "between 200 K and 1000 K"},
        Limit{"PressureAboveIdealGas", "gas -P 1e300", 2, "at most 1e+08 Pa (an ideal gas"},
        Limit{"FlowRangeAboveLargestEngines", "cycle turbojet -W 1:1e300:1e299", 2, "at most 10000 kg/s"},
        Limit{"FlowNearOverflow", "cycle turbojet -W 1e308", 2, "at most 10000 kg/s"},
        Limit{"ThrustAboveLimit", "static -W 2e4", 2, "at most 10000 kg/s"},
        Limit{"SmallThrustShowsDigits", "cycle turbojet --thrust 1e-3 --table performance", 0, "0.001"},
        Limit{"SmallPressureShowsDigits", "gas -T 6000 -P 1e-3", 0, "0.001"},
        // domain errors: status 2 in every command
        Limit{"AtmosphereAboveTop", "atmosphere -z 80001", 2, "80001 m: must lie between -5000 m and 80000 m"},
        Limit{"FlightBelowBottom", "flight -z -5001", 2, "-5001 m: must lie between -5000 m and 80000 m"},
        Limit{"FarAboveStoichiometric", "cycle turbojet --far 0.0682", 2, "above the stoichiometric fuel-air ratio 0.0681698"},
        Limit{"T4BelowCompressorExit", "cycle turbojet --T4 500 --pr 20", 2,
              "T4 = 500 K is not above the compressor exit temperature Tt3 = 7"},
        Limit{"NozzleDischargeAboveOne", "cycle turbojet --cd 1.2", 2, "= 1.2: must lie between 0.5 and 1"},
        Limit{"StationBelowTables", "cycle turbojet -z 11000 --dt -15", 2,
              "static temperature at station 2, 192.018 K, lies below the 200 K"},
        Limit{"StationBelowTablesInSweep", "cycle turbojet -z 0:11000:11000 --dt -15 --csv", 1,
              "station 2, 192.018 K, lies below the 200 K"},
        Limit{"FaceMachSupersonic", "cycle turbojet --mach2 1.2", 2, "must lie between 0 and 0.95 (a subsonic duct)"},
        Limit{"RecoveryNeitherNumberNorSchedule", "cycle turbojet --recovery max", 2, "\"max\" is not a number"},
        Limit{"VelocityAboveMaximum", "static --velocity 1000", 2, "above the maximum 775.52 m/s"},
        Limit{"VelocityJustAboveMaximum", "static --velocity 776", 2, "above the maximum 775.52 m/s"},
        Limit{"ValueNotRoundedOntoLimit", "cycle turbojet --pr 100.0000001", 2, "= 100.0000001: must lie between 1.01"},
        Limit{"LongValueCut", "gas -T x123456789012345678901234567890123456789012345678901234567890", 2,
              "\"x12345678901234567890123456789012345678901234567890123456...\" is not"},
        Limit{"DecimalComma", "gas -T 1,5", 2, "the decimal separator is a point"},
        // choices, defaults and output
        Limit{"UnitsIgnoreCase", "--units SI gas", 0, "[Pa]"},
        Limit{"DayIgnoresCase", "atmosphere --day hot -z 0", 0, "Ts HOT"},
        Limit{"HydrogenBurnsAtItsDefault", "burn --fuel hydrogen --table flame", 0, "0.01312"},
        Limit{"HydrogenHasNoHC", "burn --fuel hydrogen --csv --table fuel", 0, "\"H2 (gas)\",,,"},
        Limit{"JsonMainIsTheTableWritten", "static --nozzle --json --table nozzle", 0, "\"main\": \"nozzle\""}),
    [](const testing::TestParamInfo<Limit>& i) { return std::string(i.param.name); });

// The nozzle as the tables show it: a choked convergent nozzle has a sonic
// throat above the ambient pressure and a pressure thrust; gross thrust is the
// jet's momentum plus that term. A convergent-divergent nozzle below its
// critical pressure ratio runs unchoked, its jet at the ambient pressure.
TEST(Cli, NozzleThroatAndThrustInTheTables) {
  const Outcome choked = Vyr("cycle turbojet --json");
  ASSERT_EQ(choked.status, 0) << choked.err;
  const auto j = nlohmann::json::parse(choked.out);
  const auto& stations = j["stations"]["rows"];
  const auto at = [&](const char* n) {
    for (const auto& row : stations)
      if (row["station"] == n) return row;
    return nlohmann::json{};
  };
  EXPECT_DOUBLE_EQ(at("8")["Mach"].get<double>(), 1.0);
  EXPECT_GT(at("8")["Ps"].get<double>(), at("0")["Ps"].get<double>());
  EXPECT_GT(at("2")["A"].get<double>(), 0.0);
  EXPECT_TRUE(at("0")["A"].is_null());
  const auto& z = j["nozzle"]["rows"][0];
  EXPECT_EQ(z["choked"], true);
  EXPECT_NEAR(z["FG"].get<double>() / (at("9")["W"].get<double>() * z["V_jet"].get<double>() +
                                       z["FG_pressure"].get<double>()),
              1.0, 1e-9);
  EXPECT_GT(z["FG_pressure"].get<double>(), 0.0);

  const Outcome unchoked = Vyr("cycle turbojet --pr 1.5 --T4 1000 --nozzle cd --json");
  ASSERT_EQ(unchoked.status, 0) << unchoked.err;
  const auto u = nlohmann::json::parse(unchoked.out);
  EXPECT_EQ(u["nozzle"]["rows"][0]["choked"], false);
  EXPECT_EQ(u["nozzle"]["rows"][0]["FG_pressure"].get<double>(), 0.0);
  const double Pamb = u["stations"]["rows"][0]["Ps"].get<double>();
  for (const auto& row : u["stations"]["rows"]) {
    if (row["station"] == "9") {
      EXPECT_NEAR(row["Ps"].get<double>() / Pamb, 1.0, 1e-9);
    }
  }
}

// A species without viscosity data leaves viscosity and Reynolds number index
// empty; the other properties stay.
TEST(Cli, NoViscosityDataIsNull) {
  const Outcome r = Vyr("gas --mix C3H8=0.5,N2=0.5 --json");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto row = nlohmann::json::parse(r.out)["properties"]["rows"][0];
  EXPECT_TRUE(row["mu"].is_null());
  EXPECT_TRUE(row["RNI"].is_null());
  EXPECT_GT(row["Cp"].get<double>(), 0.0);
  // Air has its data: the index at sea level is 1.
  const Outcome air = Vyr("gas --json");
  EXPECT_NEAR(nlohmann::json::parse(air.out)["properties"]["rows"][0]["RNI"].get<double>(), 1.0, 1e-4);
}

// A full disk is a failure, not a silent loss of the results.
TEST(Cli, AWriteErrorFails) {
  char dir[] = "/tmp/vyr-cli-XXXXXX";
  const std::string err = std::string(mkdtemp(dir)) + "/err";
  const int raw = std::system((std::string(VYR_EXE) + " gas -T 300 >/dev/full 2>" + err).c_str());
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 1);
  EXPECT_NE(Slurp(err).find("vyr: error: writing the output failed"), std::string::npos);
  std::remove(err.c_str());
  rmdir(dir);
}

// A sweep goes on past a failed point: one row each, with its status and message.
TEST(Cli, SweepKeepsFailedPointsAsRows) {
  const Outcome r = Vyr("cycle turbojet --T4 700:1000:100 --json");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("1 of 4 points failed"), std::string::npos) << r.err;
  const auto doc = nlohmann::json::parse(r.out);
  const auto& rows = doc["points"]["rows"];
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0]["status"], "failed");
  EXPECT_TRUE(rows[0]["FN"].is_null());
  EXPECT_NE(rows[0]["message"].get<std::string>().find("cannot drive the compressor"), std::string::npos);
  for (int i = 1; i < 4; ++i) {
    EXPECT_EQ(rows[i]["status"], "ok");
    EXPECT_GT(rows[i]["FN"].get<double>(), 0.0);
    EXPECT_DOUBLE_EQ(rows[i]["T4"].get<double>(), 700.0 + 100.0 * i);
  }
  // More heat, more thrust.
  EXPECT_LT(rows[1]["FN"].get<double>(), rows[3]["FN"].get<double>());
}

// Two ranges give their product in one flat table, inputs first, the last option fastest.
TEST(Cli, SweepOfTwoVariables) {
  const Outcome r = Vyr("cycle turbojet --pr 4:40:4 --T4 1200:1600:100 --csv");
  ASSERT_EQ(r.status, 0) << r.err;
  std::istringstream lines(r.out);
  std::string header, line;
  std::getline(lines, header);
  EXPECT_EQ(header.rfind("Zp [m],Mach,dT [K],PR,T4 [K],W [kg/s],status,FAR,FN [N]", 0), 0u) << header;
  int rows = 0;
  while (std::getline(lines, line)) {
    ++rows;
    EXPECT_NE(line.find(",\"ok\","), std::string::npos) << line;
  }
  EXPECT_EQ(rows, 50);
  const Outcome one = Vyr("cycle turbojet --pr 8 --T4 1300 --json");
  const Outcome swept = Vyr("cycle turbojet --pr 4:40:4 --T4 1200:1600:100 --json");
  const auto point = nlohmann::json::parse(one.out)["performance"]["rows"][0];
  const auto row = nlohmann::json::parse(swept.out)["points"]["rows"][5 + 1];  // PR 8, T4 1300
  EXPECT_DOUBLE_EQ(row["PR"].get<double>(), 8.0);
  EXPECT_DOUBLE_EQ(row["T4"].get<double>(), 1300.0);
  EXPECT_DOUBLE_EQ(row["FN"].get<double>(), point["FN"].get<double>());
}

// A unit on the value, or the imperial system for values without one, gives the same state.
TEST(Cli, InputsInEitherUnitSystem) {
  const auto props = [](const std::string& args) {
    const Outcome r = Vyr(args + " --json");
    EXPECT_EQ(r.status, 0) << args << ": " << r.err;
    return nlohmann::json::parse(r.out)["properties"]["rows"][0];
  };
  const auto si = props("gas -T 288.15 -P 101325");
  const auto withUnits = props("gas -T 518.67R -P 14.695949psia");
  const auto imperial = props("gas --units imperial -T 518.67 -P 14.695949");
  EXPECT_NEAR(withUnits["H"].get<double>(), si["H"].get<double>(), 1e-6);
  EXPECT_NEAR(withUnits["P"].get<double>(), 101325.0, 0.01);
  EXPECT_NEAR(imperial["T"].get<double>(), 518.67, 1e-9);  // shown in rankine
  EXPECT_NEAR(imperial["S"].get<double>() * 4186.8, si["S"].get<double>(), 1e-3);

  const auto thrust = [](const std::string& args) {
    const Outcome r = Vyr("cycle turbojet -m 0.8 " + args + " --json");
    EXPECT_EQ(r.status, 0) << args << ": " << r.err;
    return nlohmann::json::parse(r.out)["performance"]["rows"][0]["FN"].get<double>();
  };
  EXPECT_NEAR(thrust("--thrust 11800lbf -z 35000ft"), 11800 * 4.4482216152605, 1e-3);
  EXPECT_NEAR(thrust("--thrust 52.488kN -z 10.668km"), thrust("--thrust 52488 -z 10668"), 1e-6);

  // One unit in a range holds for its parts without one.
  const Outcome z = Vyr("atmosphere -z 0:30000:10000ft --json");
  ASSERT_EQ(z.status, 0) << z.err;
  const auto zrows = nlohmann::json::parse(z.out)["atmosphere"]["rows"];
  ASSERT_EQ(zrows.size(), 4u);
  EXPECT_NEAR(zrows[3]["Zp"].get<double>(), 9144.0, 1e-9);

  const Outcome kt = Vyr("flight --speed vt --vt 250kt --json");
  ASSERT_EQ(kt.status, 0) << kt.err;
  EXPECT_NEAR(nlohmann::json::parse(kt.out)["flight"]["rows"][0]["Vt"].get<double>(), 250 * 1852.0 / 3600, 1e-9);
}

// The JSON document: its schema, every input with its unit, columns in order, flags as booleans.
TEST(Cli, JsonDescribesItself) {
  const Outcome r = Vyr("static --mach 0.5:1:0.5 --Tt 900R --json");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto doc = nlohmann::ordered_json::parse(r.out);
  EXPECT_EQ(doc["schema"], 1);
  EXPECT_EQ(doc["command"], "static");
  EXPECT_EQ(doc["main"], "static");
  EXPECT_NEAR(doc["inputs"]["Tt"]["value"].get<double>(), 500.0, 1e-9);
  EXPECT_EQ(doc["inputs"]["Tt"]["unit"], "K");
  EXPECT_EQ(doc["inputs"]["mach"]["value"].size(), 2u);
  EXPECT_EQ(doc["inputs"]["mix"]["value"], "air");
  const auto& table = doc["static"];
  std::vector<std::string> keys;
  for (const auto& [k, v] : table["rows"][0].items()) keys.push_back(k);
  EXPECT_EQ(keys, table["columns"].get<std::vector<std::string>>());
  EXPECT_EQ(keys.front(), "spec");
  EXPECT_EQ(table["rows"][0]["choked"], false);
  EXPECT_EQ(table["rows"][1]["choked"], true);
  EXPECT_EQ(table["units"]["Ts"], "K");
}

TEST(Cli, CsvWritesOneTable) {
  const Outcome main = Vyr("burn --csv");
  ASSERT_EQ(main.status, 0) << main.err;
  EXPECT_EQ(main.out.rfind("far,phi,T_air [K],T_flame [K]\n", 0), 0u) << main.out;
  const Outcome chosen = Vyr("burn --csv --table products");
  ASSERT_EQ(chosen.status, 0) << chosen.err;
  EXPECT_EQ(chosen.out.rfind("far,species,complete_mass", 0), 0u) << chosen.out;
  EXPECT_EQ(chosen.out.find("T_flame"), std::string::npos);
}

TEST(Cli, ViscosityInImperialUnits) {
  const Outcome si = Vyr("gas -T 300 --json"), imp = Vyr("gas -T 300K --units imperial --json");
  ASSERT_EQ(imp.status, 0) << imp.err;
  const auto a = nlohmann::json::parse(si.out)["properties"], b = nlohmann::json::parse(imp.out)["properties"];
  EXPECT_EQ(a["units"]["mu"], "uPa s");
  EXPECT_EQ(b["units"]["mu"], "lbm/(ft s)");
  // 1 lbm/(ft s) = 1.48816394 Pa s
  EXPECT_NEAR(b["rows"][0]["mu"].get<double>() * 1.48816394357e6, a["rows"][0]["mu"].get<double>(), 1e-9);
}

// Rich of stoichiometric, complete combustion: every point of a range has its products.
TEST(Cli, BurnRichWithCompleteProducts) {
  const Outcome r = Vyr("burn --method complete --far 0.05:0.09:0.02 --json");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto doc = nlohmann::json::parse(r.out);
  ASSERT_EQ(doc["flame"]["rows"].size(), 3u);
  // Per point (in the order of the range): the mass fractions sum to 1; rich, carbon monoxide appears.
  std::vector<double> fars, sum, co;
  for (const auto& row : doc["products"]["rows"]) {
    if (fars.empty() || row["far"].get<double>() != fars.back()) {
      fars.push_back(row["far"].get<double>());
      sum.push_back(0.0);
      co.push_back(0.0);
    }
    sum.back() += row["complete_mass"].get<double>();
    if (row["species"] == "CO") co.back() = row["complete_mass"].get<double>();
  }
  ASSERT_EQ(fars.size(), 3u);
  for (double s : sum) EXPECT_NEAR(s, 1.0, 1e-6);
  EXPECT_EQ(co[0], 0.0);  // lean: complete combustion leaves no CO
  EXPECT_GT(co[2], 0.0);
  // The richest point burns cooler than the one nearest stoichiometric.
  EXPECT_LT(doc["flame"]["rows"][2]["T_flame"].get<double>(), doc["flame"]["rows"][1]["T_flame"].get<double>());
}

TEST(Cli, ExpansionHelpShowsItsDefaults) {
  const Outcome r = Vyr("process --type expansion --help");
  ASSERT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("--pr VALUE|RANGE=4 "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("--Tt VALUE=1500 "), std::string::npos);
  EXPECT_NE(r.out.find("--mix TEXT=products "), std::string::npos);
  const Outcome c = Vyr("process --help");
  EXPECT_NE(c.out.find("--pr VALUE|RANGE=10 "), std::string::npos) << c.out;
}

}  // namespace

namespace {

// A generated range value as the user would type it, in every command that
// takes ranges: start + i step in the decimals typed, never with the binary
// noise of repeated sums (0.30000000000000004).
struct RangeValue {
  const char* name;
  const char* args;
  const char* table;
  const char* column;
  int row;
  double value;  // as written, exactly the double the typed decimal gives
};
void PrintTo(const RangeValue& r, std::ostream* os) { *os << r.args; }

class RangeValues : public testing::TestWithParam<RangeValue> {};

TEST_P(RangeValues, AreTheTypedDecimals) {
  const RangeValue& c = GetParam();
  const Outcome r = Vyr(std::string(c.args) + " --json");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto doc = nlohmann::json::parse(r.out);
  EXPECT_EQ(doc[c.table]["rows"][c.row][c.column].get<double>(), c.value);
  // Neither the echo of the inputs nor the range's column carries the noise of a sum.
  std::string written = doc["inputs"].dump();
  for (const auto& row : doc[c.table]["rows"]) written += " " + row[c.column].dump();
  const std::regex noise(R"(\.\d*(0{9,}|9{9,})\d)");
  EXPECT_FALSE(std::regex_search(written, noise)) << written;
  const Outcome text = Vyr(c.args);
  EXPECT_FALSE(std::regex_search(text.out, noise)) << text.out;
}

INSTANTIATE_TEST_SUITE_P(
    Vyr, RangeValues,
    testing::Values(RangeValue{"FlightMach", "flight -m 0:0.9:0.1", "flight", "Mach", 3, 0.3},
                    RangeValue{"StaticMach", "static --mach 0.1:0.7:0.1", "static", "Mach", 5, 0.6},
                    RangeValue{"GasTemperatureTenths", "gas -T 300:301:0.1", "properties", "T", 7, 300.7},
                    RangeValue{"BurnFuelAirRatio", "burn --far 0.01:0.03:0.005", "flame", "far", 3, 0.025},
                    RangeValue{"CycleMach", "cycle turbojet -m 0:0.9:0.1", "points", "Mach", 3, 0.3},
                    RangeValue{"AtmosphereKilometres", "atmosphere -z 0:3:0.3km", "atmosphere", "Zp", 7, 2100.0},
                    RangeValue{"DownwardRange", "flight -m 0.9:0:-0.1", "flight", "Mach", 6, 0.3},
                    // converted to metres and back: 3500 ft, not 3499.9999999999995
                    RangeValue{"FeetInImperial", "--units imperial atmosphere -z 0:35000:3500", "atmosphere", "Zp", 1,
                               3500.0}),
    [](const testing::TestParamInfo<RangeValue>& i) { return std::string(i.param.name); });

#ifdef VYR_HAS_RUN
// The points table of an off-design run, as JSON.
nlohmann::json OffDesign(const std::string& args, int status = 0) {
  const Outcome r = Vyr("run " VYR_MAPS_MODEL " --off-design " + args + " --json");
  EXPECT_EQ(r.status, status) << args << ": " << r.err;
  return r.out.empty() ? nlohmann::json::object() : nlohmann::json::parse(r.out);
}

bool HasColumn(const nlohmann::json& doc, const std::string& key) {
  for (const auto& c : doc["points"]["columns"])
    if (c == key) return true;
  return false;
}

// Every limit of every point, read in the unit system of the run (values
// without a unit) and echoed there.
TEST(CliOffDesign, LimitsAreReadInTheUnitSystemAndEchoed) {
  const auto si = OffDesign("--T4 1300 --limit 'T4<=2880R' --limit 'Pt3 <= 2.5MPa' --limit 'SM1>=5%'");
  EXPECT_EQ(si["inputs"]["limit"]["value"],
            nlohmann::json({"T4 <= 1600 K", "Pt3 <= 2.5e+06 Pa", "SM1 >= 0.05"}));
  // No limit holds this point: the control does.
  EXPECT_EQ(si["points"]["rows"][0]["limiter"], "T4");
  const Outcome imperial = Vyr("--units imperial run " VYR_MAPS_MODEL
                               " --off-design --T4 2340 --limit 'T4<=2880' --limit 'Pt3<=362.6' --limit 'Wf<=10800' --json");
  ASSERT_EQ(imperial.status, 0) << imperial.err;
  EXPECT_EQ(nlohmann::json::parse(imperial.out)["inputs"]["limit"]["value"],
            nlohmann::json({"T4 <= 2880 R", "Pt3 <= 362.6 psia", "Wf <= 10800 lbm/h"}));
}

// The stations around the burner and at the engine face, and both surge
// margins: each by its defining condition at sea-level static.
TEST(CliOffDesign, PointsTableHasFaceAndBurnerStationsAndBothSurgeMargins) {
  const auto doc = OffDesign("--T4 1300");
  for (const char* key : {"limiter", "FAR", "Pt2", "Tt2", "Pt4", "W4", "Compressor_SM", "Compressor_SMW",
                          "Compressor_Nc_frac"})
    EXPECT_TRUE(HasColumn(doc, key)) << key;
  const auto& row = doc["points"]["rows"][0];
  ASSERT_EQ(row["status"], "ok") << row["message"];
  EXPECT_TRUE(row["iterations"].is_number_integer()) << row["iterations"];
  const double W = row["W"].get<double>(), Wf = row["Wf"].get<double>();
  EXPECT_NEAR(row["W4"].get<double>(), W + Wf, 1e-9 * W);        // air and fuel leave the burner
  EXPECT_NEAR(row["FAR"].get<double>(), Wf / W, 1e-9);            // no bleed in this model
  EXPECT_NEAR(row["Tt2"].get<double>(), 288.15, 1e-6);            // standard day, at rest
  EXPECT_NEAR(row["Pt2"].get<double>(), 101325.0, 1e-6);          // inlet recovery 1
  EXPECT_NEAR(row["Pt4"].get<double>(), 0.97 * row["Pt3"].get<double>(), 1e-6 * W);  // burner loss 3 %
  EXPECT_GT(row["Compressor_SM"].get<double>(), 0.0);
  EXPECT_GT(row["Compressor_SMW"].get<double>(), 0.0);
}

// Flight idle at Mach 0.8: ram drag above gross thrust is a valid point off
// design; its TSFC and propulsive efficiency have no meaning and stay empty.
TEST(CliOffDesign, NegativeNetThrustIsAValidRow) {
  const auto doc = OffDesign("-m 0.8 --speed 0.6");
  const auto& row = doc["points"]["rows"][0];
  ASSERT_EQ(row["status"], "ok") << row["message"];
  EXPECT_LT(row["FN"].get<double>(), 0.0);
  EXPECT_LT(row["FN_W"].get<double>(), 0.0);
  EXPECT_GT(row["FG"].get<double>(), 0.0);
  EXPECT_TRUE(row["TSFC"].is_null());
  EXPECT_TRUE(row["eff_propulsive"].is_null());
  EXPECT_EQ(row["limiter"], "speed");
  const Outcome text = Vyr("run " VYR_MAPS_MODEL " --off-design -m 0.8 --speed 0.6");
  EXPECT_EQ(text.status, 0) << text.err;
}

// A thrust fraction is a share of the full-power thrust at the same flight condition.
TEST(CliOffDesign, ThrustFractionIsAShareOfTheFullPowerThrust) {
  const auto doc = OffDesign("-z 3000 -m 0.4 --thrust-fraction 0.8");
  EXPECT_TRUE(HasColumn(doc, "FN_frac_set"));
  EXPECT_TRUE(HasColumn(doc, "FN_full"));
  const auto& row = doc["points"]["rows"][0];
  ASSERT_EQ(row["status"], "ok") << row["message"];
  EXPECT_EQ(row["FN_frac_set"].get<double>(), 0.8);
  EXPECT_NEAR(row["FN"].get<double>(), 0.8 * row["FN_full"].get<double>(), 1e-5 * row["FN_full"].get<double>());
}
#endif

}  // namespace
