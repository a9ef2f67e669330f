// "vyr run MODEL.xml" run as a user runs it, on the test component library
// (tests/apps/runlib): the order of the hook calls, a failing hook, hostile
// model files, and the configurations and cases of a model; on the example
// gas-path library: off design that follows the design inputs, and the model
// saved with its design data.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kChain = std::string(VYR_RUN_MODELS) + "/chain.xml";

std::string Slurp(const std::string& path) {
  std::ifstream f(path);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

// A scratch folder for one test, removed with its files.
class Scratch {
 public:
  Scratch() {
    char dir[] = "/tmp/vyr-run-XXXXXX";
    dir_ = mkdtemp(dir);
  }
  ~Scratch() {
    for (const std::string& f : files_) std::remove(f.c_str());
    rmdir(dir_.c_str());
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  // Path of a file of the folder, removed at the end.
  std::string File(const std::string& name) {
    files_.push_back(dir_ + "/" + name);
    return files_.back();
  }
  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = File(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

 private:
  std::string dir_;
  std::vector<std::string> files_;
};

struct Outcome {
  int status = -1;  // -1: the program did not end by itself (a crash)
  std::string out, err;
  std::vector<std::string> trace;  // "<component> <hook>" per call
};

// Runs "vyr run <args>" with the test component library, capturing both streams and the hook trace.
Outcome VyrRun(const std::string& args) {
  Scratch s;
  const std::string out = s.File("out"), err = s.File("err"), trace = s.File("trace");
  const std::string cmd = "VYR_RUN_TRACE=" + trace + " " + VYR_EXE + " run --complib " + VYR_RUNLIB + " " + args +
                          " >" + out + " 2>" + err;
  const int raw = std::system(cmd.c_str());
  Outcome r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = Slurp(out);
  r.err = Slurp(err);
  std::istringstream lines(Slurp(trace));
  for (std::string line; std::getline(lines, line);) r.trace.push_back(line);
  return r;
}

// The trace lines of one hook, in call order ("A" for "A Calc").
std::vector<std::string> CallsOf(const Outcome& r, const std::string& hook) {
  std::vector<std::string> comps;
  for (const std::string& line : r.trace) {
    const auto space = line.find(' ');
    if (line.substr(space + 1) == hook) comps.push_back(line.substr(0, space));
  }
  return comps;
}

// The input each component's Calc read.
std::map<std::string, double> ValuesOf(const Outcome& r) {
  std::map<std::string, double> v;
  for (const std::string& line : r.trace) {
    const auto space = line.find(' ');
    if (line.compare(space + 1, 6, "Value ") == 0) v[line.substr(0, space)] = std::stod(line.substr(space + 7));
  }
  return v;
}

// The hooks of a design point, each called on every component in calculation
// order before the next; CalcFinally comes after the point whatever its outcome.
const std::vector<std::string> kPhases = {
    "AfterLoad",      "AfterModelLoad",          "CheckComponent",          "ValidateInputData",
    "AddMeasurementsAndConditions", "BeforeRunSimulation", "CalculationReset", "CalcInit",
    "DefineStatesAndErrorsDP", "CalcStart",      "CalcListBegin",           "Calc",
    "CalcEnd",        "CalcListEnd",             "CalcModelGlobalParameterSums", "CalcAdditionalOutput",
    "CalcAdditionalOutputEnd", "CalcAdditionalParsEnd", "CalcFinish",       "CalcFinally",
    "OutputDataTo",   "OutputDataToArraysEnd",   "CalcSimulationFinish"};

TEST(Run, CallsEveryHookPhaseByPhaseInCalculationOrder) {
  const Outcome r = VyrRun(kChain);
  ASSERT_EQ(r.status, 0) << r.err;
  // D first by its priority, then by calculation number; file order is C, A, D, B.
  const std::vector<std::string> order = {"D", "A", "B", "C"};
  std::vector<std::string> expected;
  for (const std::string& hook : kPhases)
    for (const std::string& c : order) {
      expected.push_back(c + " " + hook);
      if (hook == "Calc") expected.push_back(c + " Value " + std::to_string(c == "D" ? 4.0 : c[0] - 'A' + 1.0));
    }
  EXPECT_EQ(r.trace, expected);
}

TEST(Run, AFailingHookStopsThePointAndNamesTheComponent) {
  Scratch s;
  std::string model = Slurp(kChain);
  // B fails in Calc.
  model.replace(model.find("ID=\"B\" FormClassName=\"TRunTraceForm\""), 36, "ID=\"B\" FormClassName=\"TRunFailForm\"");
  const Outcome r = VyrRun(s.Write("fail.xml", model));
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find("Nr. 2 Component: B: Calc failed: the test component refuses to calculate"), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("No convergence in the test iteration in Nr. 2 Component: B"), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(CallsOf(r, "Calc"), (std::vector<std::string>{"D", "A", "B"})) << "C is not calculated";
  EXPECT_TRUE(CallsOf(r, "CalcEnd").empty());
  EXPECT_EQ(CallsOf(r, "CalcFinally"), (std::vector<std::string>{"D", "A", "B", "C"})) << "every component cleans up";
  EXPECT_TRUE(CallsOf(r, "OutputDataTo").empty()) << "a failed point writes no output";
}

// The tables of "cycle turbojet", from the engine state the components filled:
// each component's input is the flow of its outlet station, and the inputs add
// up to the thrust.
TEST(Run, PrintsTheTablesOfTheEngineState) {
  auto tables = [](const std::string& args) {
    const Outcome r = VyrRun(kChain + " --json " + args);
    EXPECT_EQ(r.status, 0) << r.err;
    return r.status == 0 ? nlohmann::json::parse(r.out) : nlohmann::json::object();
  };
  auto flows = [](const nlohmann::json& doc) {
    std::map<std::string, double> w;
    for (const auto& row : doc["stations"]["rows"]) w[row["station"].get<std::string>()] = row["W"].get<double>();
    return w;
  };
  const nlohmann::json hot = tables("--config hot"), max = tables("--config hot --case max");
  ASSERT_TRUE(hot.contains("stations") && hot.contains("performance")) << hot.dump();
  EXPECT_EQ(flows(hot), (std::map<std::string, double>{{"2", 1.0}, {"3", 20.0}}));
  EXPECT_DOUBLE_EQ(hot["performance"]["rows"][0]["FN"].get<double>(), 1.0 + 20.0 + 3.0 + 4.0);
  // The case changes C's input alone: C has no outlet, so only the thrust moves, by as much.
  EXPECT_EQ(flows(max), flows(hot));
  EXPECT_DOUBLE_EQ(max["performance"]["rows"][0]["FN"].get<double>() - hot["performance"]["rows"][0]["FN"].get<double>(),
                   300.0 - 3.0);
}

// ---- Hostile model files ---------------------------------------------------------

// A component element of the test library: ID, form class, number, links (XML) and fields.
std::string Comp(const std::string& id, int nr, const std::string& links, const std::string& fields = "",
                 const std::string& formClass = "TRunTraceForm", int left = 0) {
  return "<TVYRcomp ID=\"" + id + "\" FormClassName=\"" + formClass + "\" Name=\"" + id + "\" Nr=\"" +
         std::to_string(nr) + "\"><Icon><Left>" + std::to_string(left) +
         "</Left><Top>0</Top><Width>70</Width><Height>70</Height>" + links + "</Icon>" + fields + "</TVYRcomp>";
}

std::string Port(const std::string& type, int left, int station) {
  return "<Link ID=\"" + type.substr(2) + "\"><Ltype>" + type + "</Ltype><Left>" + std::to_string(left) +
         "</Left><Top>30</Top><Station>" + std::to_string(station) + "</Station></Link>";
}

std::string Model(const std::string& components) {
  return "<VYRmodel><BaseCfg><Components>" + components + "</Components></BaseCfg></VYRmodel>";
}

// Two components A -> B at station 2, and whatever else.
std::string Pair(const std::string& extra = "") {
  return Model(Comp("A", 1, Port("ltOut1", 60, 2)) + Comp("B", 2, Port("ltIn1", 0, 2), "", "TRunTraceForm", 60) +
               extra);
}

// A model whose component A has an outlet linked to nothing, and a case "deep"
// that gives A a value nested levels deep.
std::string Deep(int levels) {
  std::string open, close;
  for (int i = 0; i < levels; ++i) {
    open += "<x>";
    close += "</x>";
  }
  return "<VYRmodel><BaseCfg><Components>" + Comp("A", 1, Port("ltOut1", 60, 2)) +
         "</Components><Case ID=\"deep\"><Components><TVYRcomp ID=\"A\">" + open + close +
         "</TVYRcomp></Components></Case></BaseCfg></VYRmodel>";
}

struct Hostile {
  const char* name;
  std::string file;    // contents of the model file
  std::string args;    // further arguments
  std::string expect;  // what the message names
};
void PrintTo(const Hostile& h, std::ostream* os) { *os << h.name; }

class HostileModel : public testing::TestWithParam<Hostile> {};

TEST_P(HostileModel, IsRefusedWithAMessageNamingTheElement) {
  Scratch s;
  const Outcome r = VyrRun(s.Write("model.xml", GetParam().file) + " " + GetParam().args);
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_NE(r.err.find(GetParam().expect), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(CallsOf(r, "Calc").empty()) << "no point is calculated";
}

INSTANTIATE_TEST_SUITE_P(
    Run, HostileModel,
    testing::Values(
        Hostile{"NotXml", "this is no XML <", "", "not well-formed XML"},
        Hostile{"Empty", "", "", "is empty"},
        Hostile{"NoConfiguration", "<VYRmodel><Components/></VYRmodel>", "", "\"BaseCfg\" or \"ReferenceModel\""},
        Hostile{"NoComponents", "<VYRmodel><BaseCfg/></VYRmodel>", "", "/VYRmodel/BaseCfg has no \"Components\""},
        Hostile{"ConnectorsOnly", Model("<TVYRcomp ID=\"L\" CompType=\"ctLineLink\"/>"), "",
                "/VYRmodel/BaseCfg/Components holds connectors only"},
        Hostile{"UnknownFormClass", Model(Comp("A", 1, "", "", "TNoSuchForm")), "",
                "/VYRmodel/BaseCfg/Components/TVYRcomp:A: form class \"TNoSuchForm\" is unknown"},
        Hostile{"LinkToNothing", Model(Comp("A", 1, Port("ltOut1", 60, 2))), "",
                "/VYRmodel/BaseCfg/Components/TVYRcomp:A: port Out1 (station 2) is linked to nothing"},
        Hostile{"OutletToOutlet",
                Model(Comp("A", 1, Port("ltOut1", 60, 2)) + Comp("B", 2, Port("ltOut1", 0, 2), "", "TRunTraceForm", 60)),
                "", "TVYRcomp:A: port Out1 (station 2) is linked to nothing"},
        Hostile{"StationsDisagree",
                Model(Comp("A", 1, Port("ltOut1", 60, 2)) + Comp("B", 2, Port("ltIn1", 0, 3), "", "TRunTraceForm", 60)),
                "", "TVYRcomp:A: port Out1 is station 2 and the linked port In1 of"},
        Hostile{"GasPathInACircle",
                Model(Comp("A", 1, Port("ltOut1", 60, 2) + "<Link ID=\"In1\"><Ltype>ltIn1</Ltype><Left>30</Left>"
                                                           "<Top>60</Top><Station>3</Station></Link>") +
                      Comp("B", 2,
                           Port("ltIn1", 0, 2) + "<Link ID=\"Out1\"><Ltype>ltOut1</Ltype><Left>-30</Left>"
                                                 "<Top>60</Top><Station>3</Station></Link>",
                           "", "TRunTraceForm", 60)),
                "", "/VYRmodel/BaseCfg/Components: the gas path runs in a circle: TVYRcomp:A -> TVYRcomp:B -> TVYRcomp:A"},
        Hostile{"MissingInput", Pair(Comp("N", 3, "", "", "TRunNeedForm", 300)), "",
                "/VYRmodel/BaseCfg/Components/TVYRcomp:N: Nr. 3 Component: N: ValidateInputData failed: input "
                "\"Required\" is missing"},
        Hostile{"UnreadableValue", Model(Comp("A", 1, "", "<Value>warm</Value>")), "",
                "/VYRmodel/BaseCfg/Components/TVYRcomp:A: a value of its data form cannot be read"},
        Hostile{"DuplicateCalcNumber", Pair(Comp("X", 2, "", "", "TRunTraceForm", 300)), "",
                "calculation number 2 is also that of /VYRmodel/BaseCfg/Components/TVYRcomp:"},
        Hostile{"DuplicateID", Pair(Comp("a", 7, "", "", "TRunTraceForm", 300)), "",
                "/VYRmodel/BaseCfg/Components/TVYRcomp:a: a second component of ID \"A\""},
        Hostile{"UnknownConfig", Pair(), "--config nowhere", "no configuration (\"Config\" element) of ID \"nowhere\""},
        Hostile{"UnknownCase", Pair(), "--case nowhere", "no case (\"Case\" element) of ID \"nowhere\" in /VYRmodel/BaseCfg"},
        Hostile{"CaseAddsAComponent",
                "<VYRmodel><BaseCfg><Components>" + Comp("A", 1, "") +
                    "</Components><Case ID=\"c\"><Components>" + Comp("Z", 5, "") +
                    "</Components></Case></BaseCfg></VYRmodel>",
                "--case c", "/VYRmodel/BaseCfg/Case:c/Components/TVYRcomp:Z: a case changes components"},
        Hostile{"DeepFile", Deep(200000), "--case deep",
                "/VYRmodel/BaseCfg/Case:deep/Components/TVYRcomp:A: port Out1 (station 2) is linked to nothing"},
        Hostile{"HugeFile", Model(Comp("A", 1, "", "<Blob>" + std::string(20'000'000, 'x') + "</Blob>") +
                                  Comp("B", 1, "", "", "TRunTraceForm", 100)),
                "", "calculation number 1"}),
    [](const testing::TestParamInfo<Hostile>& i) { return std::string(i.param.name); });

// ---- Configurations and cases ----------------------------------------------------------

struct Variant {
  const char* name;
  std::string args;
  std::map<std::string, double> values;  // each component's input as its Calc read it
};
void PrintTo(const Variant& v, std::ostream* os) { *os << v.name; }

class Variants : public testing::TestWithParam<Variant> {};

TEST_P(Variants, MergeTheirValuesOverTheBase) {
  const Outcome r = VyrRun(kChain + " " + GetParam().args);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ValuesOf(r), GetParam().values);
}

INSTANTIATE_TEST_SUITE_P(
    Run, Variants,
    testing::Values(Variant{"Base", "", {{"A", 1}, {"B", 2}, {"C", 3}, {"D", 4}}},
                    Variant{"CaseOfTheBase", "--case cold", {{"A", 0.5}, {"B", 2}, {"C", 3}, {"D", 4}}},
                    Variant{"Config", "--config hot", {{"A", 1}, {"B", 20}, {"C", 3}, {"D", 4}}},
                    Variant{"CaseOfAConfig", "--config hot --case max", {{"A", 1}, {"B", 20}, {"C", 300}, {"D", 4}}},
                    Variant{"NestedConfig", "--config hotter", {{"A", 1}, {"B", 40}, {"C", 3}, {"D", 4}}},
                    Variant{"IDsIgnoreLetterCase", "--config HOT --case Max",
                            {{"A", 1}, {"B", 20}, {"C", 300}, {"D", 4}}}),
    [](const testing::TestParamInfo<Variant>& i) { return std::string(i.param.name); });

TEST(Run, ACaseBelongsToItsConfiguration) {
  // "max" is a case of "hot": neither the base nor the nested "hotter" has it.
  for (const char* args : {"--case max", "--config hotter --case max"}) {
    const Outcome r = VyrRun(kChain + " " + args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_NE(r.err.find("no case (\"Case\" element) of ID \"max\""), std::string::npos) << r.err;
  }
}

TEST(Run, AComponentLibraryThatDoesNotLoadIsNamedWithTheReason) {
  Scratch s;
  const std::string bad = s.Write("libbroken.so", "not a shared library");
  const Outcome r = VyrRun(kChain + " --complib " + bad);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("component library " + bad + " not loaded: "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("libbroken.so"), std::string::npos);
  // Without the test library, the model's form classes are unknown.
  const std::string cmd = std::string(VYR_EXE) + " run " + kChain + " --complib " + bad + " >/dev/null 2>" + s.File("err");
  const int raw = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 2);
  const std::string err = Slurp(s.File("err"));
  EXPECT_NE(err.find("form class \"TRunTraceForm\" is unknown"), std::string::npos) << err;
  EXPECT_NE(err.find("libbroken.so not loaded"), std::string::npos) << err;
}

// ---- Off design follows the design inputs ---------------------------------------

const std::string kExamples = std::string(VYR_RUN_MODELS) + "/../../../examples";

// Sets the text of element `name` of component `id` in a model file's text;
// an element the component lacks is added.
std::string WithValue(std::string model, const std::string& id, const std::string& name, const std::string& value) {
  const std::size_t comp = model.find(" ID=\"" + id + "\"");
  const std::size_t end = model.find("</TVYRcomp>", comp);
  if (comp == std::string::npos || end == std::string::npos) {
    ADD_FAILURE() << "no component " << id;
    return model;
  }
  const std::size_t open = model.find("<" + name + ">", comp), empty = model.find("<" + name + " />", comp);
  if (open < end) {
    const std::size_t from = open + name.size() + 2;
    model.replace(from, model.find("</" + name + ">", from) - from, value);
  } else if (empty < end) {
    model.replace(empty, name.size() + 4, "<" + name + ">" + value + "</" + name + ">");
  } else {
    model.insert(end, "<" + name + ">" + value + "</" + name + ">");
  }
  return model;
}

// The element's text in a model file's text, of component `id`.
std::string ValueOf(const std::string& model, const std::string& id, const std::string& name) {
  const std::size_t comp = model.find(" ID=\"" + id + "\"");
  const std::size_t open = model.find("<" + name + ">", comp);
  if (comp == std::string::npos || open == std::string::npos) return "";
  const std::size_t from = open + name.size() + 2;
  return model.substr(from, model.find("</" + name + ">", from) - from);
}

// The reference turbojet on maps with its maps named absolutely, so that a
// copy in a scratch folder finds them.
std::string MapsModel() {
  std::string m = Slurp(kExamples + "/turbojet-maps.xml");
  m = WithValue(m, "Compressor", "MapFile", kExamples + "/maps/AXI5.map");
  return WithValue(m, "Turbine", "MapFile", kExamples + "/maps/LPT2269.map");
}

// The rows of the off-design points table of "vyr run <args> --json".
nlohmann::json OffDesignRows(const std::string& args, int status) {
  const Outcome r = VyrRun(args + " --json");
  EXPECT_EQ(r.status, status) << r.err;
  if (r.out.empty()) return nlohmann::json::array();
  const nlohmann::json doc = nlohmann::json::parse(r.out);
  return doc.contains("points") ? doc["points"]["rows"] : nlohmann::json::array();
}

struct DesignInput {
  const char* name;
  std::vector<std::array<std::string, 3>> edits;  // component, element, value
  double PR, T4;      // the design point's compressor pressure ratio and burner exit temperature [K]
  std::string failure;  // what every point's message says when the design point fails
};
void PrintTo(const DesignInput& d, std::ostream* os) { *os << d.name; }

class OffDesignFollows : public testing::TestWithParam<DesignInput> {};

// At its design speed and flight condition the engine runs at its design
// point, so that the point reproduces the design inputs of the moment; a
// design point that fails leaves no point off design.
TEST_P(OffDesignFollows, TheDesignInputsOfTheModel) {
  Scratch s;
  std::string model = MapsModel();
  for (const auto& [comp, element, value] : GetParam().edits) model = WithValue(model, comp, element, value);
  const bool fails = !GetParam().failure.empty();
  const nlohmann::json rows = OffDesignRows(s.Write("model.xml", model) + " --off-design --speed 1:0.9:-0.1", fails);
  ASSERT_EQ(rows.size(), 2u);
  if (fails) {
    for (const auto& row : rows) {
      EXPECT_EQ(row["status"], "failed");
      EXPECT_NE(row["message"].get<std::string>().find(GetParam().failure), std::string::npos) << row["message"];
    }
    return;
  }
  EXPECT_EQ(rows[0]["status"], "ok") << rows[0]["message"];
  EXPECT_NEAR(rows[0]["Compressor_PR"].get<double>(), GetParam().PR, 1e-6 * GetParam().PR);
  EXPECT_NEAR(rows[0]["Tt4"].get<double>(), GetParam().T4, 1e-6 * GetParam().T4);
  EXPECT_EQ(rows[1]["status"], "ok") << rows[1]["message"];
}

const double kShippedT4 = 2370.0 * 5.0 / 9.0;  // [K]

INSTANTIATE_TEST_SUITE_P(
    Run, OffDesignFollows,
    testing::Values(DesignInput{"AsShipped", {}, 13.5, kShippedT4, ""},
                    DesignInput{"ChangedPressureRatio", {{"Compressor", "PRdes", "15"}}, 15.0, kShippedT4, ""},
                    DesignInput{"ChangedExitTemperature", {{"Burner", "Texitdes", "1400"}}, 13.5, 1400.0, ""},
                    DesignInput{"DesignPointThatFails",
                                {{"Burner", "Texitdes", "700"}},
                                0,
                                0,
                                "The design point failed, so no off-design point can be calculated: Nr. 5 "
                                "Component: Turbine: Calc failed"}),
    [](const testing::TestParamInfo<DesignInput>& i) { return std::string(i.param.name); });

// The scalars of a map marked fixed (a calibrated map) stay as given; those
// from the design point are the design point's: a model saved with them and
// then marked fixed runs as the design inputs say.
TEST(RunSaveDesign, KeepsFixedMapScalarsAndSavesTheDesignPointsOtherwise) {
  Scratch s;
  const std::string shipped = MapsModel();
  const std::string changed = WithValue(shipped, "Compressor", "PRdes", "15");
  const std::string fixed = WithValue(WithValue(changed, "Compressor", "MapScalars", "1"), "Turbine", "MapScalars", "1");
  const std::string kept = s.File("kept.xml"), scaled = s.File("scaled.xml");
  ASSERT_EQ(VyrRun(s.Write("fixed.xml", fixed) + " --save-design " + kept).status, 0);
  ASSERT_EQ(VyrRun(s.Write("changed.xml", changed) + " --save-design " + scaled).status, 0);
  for (const char* scalar : {"MapsN", "MapsW", "MapsPR", "MapsEff"})
    for (const char* comp : {"Compressor", "Turbine"})
      EXPECT_EQ(ValueOf(Slurp(kept), comp, scalar), ValueOf(shipped, comp, scalar)) << comp << " " << scalar;
  EXPECT_NE(ValueOf(Slurp(scaled), "Compressor", "MapsPR"), ValueOf(shipped, "Compressor", "MapsPR"));
  const std::string saved = Slurp(scaled);
  const nlohmann::json rows = OffDesignRows(
      s.Write("saved-fixed.xml", WithValue(WithValue(saved, "Compressor", "MapScalars", "1"), "Turbine", "MapScalars", "1")) +
          " --off-design --speed 1",
      0);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_NEAR(rows[0]["Compressor_PR"].get<double>(), 15.0, 1e-6 * 15.0);
}

// The shipped model saved elsewhere (its maps named from there) loads and
// runs off design as the original does.
TEST(RunSaveDesign, TheSavedModelRunsOffDesignAsTheOriginal) {
  Scratch s;
  const std::string saved = s.File("saved.xml");
  const std::string points = " --off-design --speed 1:0.8:-0.1";
  const nlohmann::json original = OffDesignRows(kExamples + "/turbojet-maps.xml --save-design " + saved + points, 0);
  const nlohmann::json again = OffDesignRows(saved + points, 0);
  ASSERT_EQ(original.size(), 3u);
  ASSERT_EQ(again.size(), original.size());
  for (std::size_t k = 0; k < original.size(); ++k)
    for (auto it = original[k].begin(); it != original[k].end(); ++it) {
      if (!it.value().is_number_float()) {
        EXPECT_EQ(again[k][it.key()], it.value()) << it.key();
        continue;
      }
      const double a = it.value().get<double>(), b = again[k][it.key()].get<double>();
      EXPECT_NEAR(b, a, 1e-9 * std::max(1.0, std::fabs(a))) << "row " << k << " " << it.key();
    }
}

struct SaveRefusal {
  const char* name;
  std::string args;
  int status;
  std::string expect;
};
void PrintTo(const SaveRefusal& r, std::ostream* os) { *os << r.name; }

class SaveDesignRefused : public testing::TestWithParam<SaveRefusal> {};

TEST_P(SaveDesignRefused, WithTheReason) {
  const Outcome r = VyrRun(kChain + " " + GetParam().args);
  EXPECT_EQ(r.status, GetParam().status) << r.err;
  EXPECT_NE(r.err.find(GetParam().expect), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Run, SaveDesignRefused,
    testing::Values(SaveRefusal{"FolderThatDoesNotExist", "--save-design /nonexistent-vyr-folder/model.xml", 1,
                                "--save-design: "},
                    SaveRefusal{"WithAConfiguration", "--config hot --save-design /tmp/vyr-never-written.xml", 2,
                                "--save-design writes the design data of the base configuration"}),
    [](const testing::TestParamInfo<SaveRefusal>& i) { return std::string(i.param.name); });

}  // namespace
