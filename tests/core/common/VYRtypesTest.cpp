#include "VYRtypes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace vyr {
namespace {

TEST(CfgTypeTest, NamesAndIDnames) {
  const struct {
    const char* idName;
    TCfgType type;
  } fromName[] = {
      {"Project", ctCfgProject}, {"Options", ctCfgOptions}, {"BaseCfg", ctCfgBaseCfg},
      {"ReferenceModel", ctCfgBaseCfg},  // not one to one: it reads back as "BaseCfg"
      {"Config", ctCfgConfig},   {"Case", ctCfgCase},
      {"case", ctCfgNone},  // case matters
      {"", ctCfgNone},           {"Cases", ctCfgNone},
  };
  for (const auto& c : fromName) EXPECT_EQ(CfgTypefromIDname(c.idName), c.type) << c.idName;

  const struct {
    TCfgType type;
    const char* name;
  } toName[] = {
      {ctCfgNone, "Unknown"}, {ctCfgProject, "Project"}, {ctCfgOptions, "Options"},
      {ctCfgBaseCfg, "BaseCfg"}, {ctCfgConfig, "Config"}, {ctCfgCase, "Case"},
      {static_cast<TCfgType>(99), "Unknown"},
  };
  for (const auto& c : toName) EXPECT_EQ(CfgTypeName(c.type), c.name) << int{c.type};

  EXPECT_TRUE(ctCfg_BaseCfg_Config_Case.contains(ctCfgBaseCfg));
  EXPECT_TRUE(ctCfg_BaseCfg_Config_Case.contains(ctCfgCase));
  EXPECT_FALSE(ctCfg_BaseCfg_Config.contains(ctCfgCase));
  EXPECT_FALSE(ctCfg_Config_Case.contains(ctCfgBaseCfg));
  EXPECT_FALSE(ctCfg_Config_Case.contains(ctCfgNone));
}

TEST(CfgTypeTest, CalcModeOfCaseType) {
  const struct {
    TCaseType caseType;
    TCalcMode mode;
  } cases[] = {
      {ctpNone, cmNone},
      {ctpDesign, cmDesign},
      {ctpDesSeries, cmDesSeries},
      {ctpSteadyState, cmSteadyState},
      {ctpStStSeries, cmStStSeries},
      {ctpTransient, cmTransient},
  };
  for (const auto& c : cases) EXPECT_EQ(GetCalcModeFromCaseType(c.caseType), c.mode) << int{c.caseType};
  EXPECT_EQ(CaseSelectStrings[ctpNone], "Select case...");
  EXPECT_EQ(CaseSelectStrings[ctpStStSeries], "St.St. Series");
}

TEST(CfgTypeTest, CaseTagAndColour) {
  EXPECT_EQ(CaseTagID(stDP), 11);
  EXPECT_EQ(CaseTagID(stOD), 22);
  EXPECT_EQ(CaseFontColor(stDP), clNavy);
  EXPECT_EQ(CaseFontColor(stDP), 0x800000);
  EXPECT_EQ(CaseFontColor(stOD), clWindowText);
}

TEST(VYRtypesTest, NameTables) {
  EXPECT_EQ(defaultVYRParameterNames[2], "Zp");
  EXPECT_EQ(alternativeVYRParameterNames[2], "alt");
  EXPECT_EQ(defaultVYRParameterNames[7], "TSFC");
  EXPECT_EQ(alternativeVYRParameterNames[7], "SFC");
  EXPECT_EQ(SwitchModeNamesArray[smALDTMN], "ALDTMN");
  EXPECT_EQ(SwitchModeNamesArray[smPSTSTT], "PSTSTT");
}

TEST(VYRtypesTest, OptionsElementSet) {
  TCfgCaseOptionsElementSet set{crcNotes, crcXYGraphSets};
  EXPECT_TRUE(set.contains(crcNotes));
  EXPECT_TRUE(set.contains(crcXYGraphSets));
  EXPECT_FALSE(set.contains(crcLog));
  set.insert(crcLog);
  set.erase(crcNotes);
  EXPECT_EQ(set, (TCfgCaseOptionsElementSet{crcLog, crcXYGraphSets}));
  set.insert(static_cast<TCfgCaseOptionsElement>(40));  // out of range: ignored
  EXPECT_FALSE(set.contains(static_cast<TCfgCaseOptionsElement>(40)));
  set.erase(crcLog);
  set.erase(crcXYGraphSets);
  EXPECT_TRUE(set.empty());
}

TEST(ParameterTest, ShowsTheCurrentValueOfTheVariable) {
  double pt = 101325.0;
  const TParameter p("P2", pt, ptPressure, usImperial, "bar", "%.5f");
  EXPECT_EQ(p.Name, "P2");
  EXPECT_EQ(p.Pvalue, &pt);
  EXPECT_EQ(p.CustomUnit, "bar");
  EXPECT_EQ(p.CustomFormat, "%.5f");
  EXPECT_EQ(p.ValueString(), "14.696");  // the custom format is not used here
  pt = 2 * 101325.0;
  EXPECT_EQ(p.ValueString(), "29.392");
  EXPECT_EQ(p.UnitString(), "psia");  // nor the custom unit
  EXPECT_EQ(p.PartypeString(), "ptPressure");
  EXPECT_EQ(p.UnitSystemString(), "usImperial");

  double t = 288.15;
  TParameter q("T2", t, ptTemperature, usSI, "", "");
  EXPECT_EQ(q.ValueString(), "288.15");
  EXPECT_EQ(q.UnitString(), "K");
  q.Pvalue = nullptr;
  EXPECT_EQ(q.ValueString(), "");
  q.Partype = static_cast<TParType>(250);
  q.UnitSystem = static_cast<TUnitSystem>(9);
  EXPECT_EQ(q.UnitString(), "");
  EXPECT_EQ(q.PartypeString(), "");
  EXPECT_EQ(q.UnitSystemString(), "");
}

TEST(VYRtypesTest, ExceptionCarriesItsMessage) {
  try {
    throw VYRexception("Invalid type information");
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Invalid type information");
  }
}

// Sets or unsets an environment variable and restores it at the end of the scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// An object that reports its destruction.
class Probe : public TObject {
 public:
  explicit Probe(bool& destroyed) : destroyed_(destroyed) {}
  ~Probe() override { destroyed_ = true; }

 private:
  bool& destroyed_;
};

TEST(VYRglobalVocabularyTest, InitDoneInit) {
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");

  InitVYRglobalVocabulary();
  ASSERT_NE(VYRCompClipboardList, nullptr);
  EXPECT_EQ(VYRCompClipboardList->Count(), 0);
  EXPECT_EQ(ClipBoardCompsSource, nullptr);
  EXPECT_EQ(MyAppDirName, "VYR");
  ASSERT_FALSE(AppDir.empty());
  EXPECT_EQ(AppDir.back(), '/');
  EXPECT_TRUE(std::filesystem::equivalent(AppDir + exe.filename().string(), exe));

  // The clipboard list owns its items, and the shut-down frees them.
  bool destroyed = false;
  EXPECT_EQ(VYRCompClipboardList->Add(std::make_unique<Probe>(destroyed)), 0);
  TObject source;
  ClipBoardCompsSource = &source;
  ApplicTitle_and_Version = "Title 1.0";
  VYRUserIDstr = "user";

  DoneVYRglobalVocabulary();
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(VYRCompClipboardList, nullptr);
  EXPECT_EQ(ClipBoardCompsSource, nullptr);
  for (const std::string* s : {&AppDir, &MyAppDirName, &USerAppDir, &ApplicTitle_and_Version, &VYRUserIDstr}) {
    EXPECT_TRUE(s->empty()) << *s;
  }
  DoneVYRglobalVocabulary();  // a second shut-down is harmless
  EXPECT_EQ(VYRCompClipboardList, nullptr);

  InitVYRglobalVocabulary();
  ASSERT_NE(VYRCompClipboardList, nullptr);
  EXPECT_EQ(VYRCompClipboardList->Count(), 0);
  EXPECT_EQ(MyAppDirName, "VYR");
  EXPECT_FALSE(AppDir.empty());
  EXPECT_TRUE(ApplicTitle_and_Version.empty());

  // A start-up over a filled list replaces it and frees the old items.
  destroyed = false;
  VYRCompClipboardList->Add(std::make_unique<Probe>(destroyed));
  InitVYRglobalVocabulary();
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(VYRCompClipboardList->Count(), 0);
}

TEST(VYRglobalVocabularyTest, UserAppDirFollowsTheDataFolder) {
  const std::string program = std::filesystem::read_symlink("/proc/self/exe").stem().string();
  const struct {
    const char* xdg;
    const char* home;
    std::string want;  // empty: AppDir + program + "/VYR/"
  } cases[] = {
      {"/tmp/vyr-xdg-data", "/home/someone", "/tmp/vyr-xdg-data/" + program + "/VYR/"},
      {"/tmp/vyr-xdg-data/", nullptr, "/tmp/vyr-xdg-data/" + program + "/VYR/"},
      {"relative/data", "/home/someone", "/home/someone/.local/share/" + program + "/VYR/"},
      {nullptr, "/home/someone/", "/home/someone/.local/share/" + program + "/VYR/"},
      {nullptr, nullptr, ""},
  };
  for (const auto& c : cases) {
    {
      ScopedEnv xdg("XDG_DATA_HOME", c.xdg);
      ScopedEnv home("HOME", c.home);
      InitVYRglobalVocabulary();
    }
    const std::string want = c.want.empty() ? AppDir + program + "/VYR/" : c.want;
    EXPECT_EQ(USerAppDir, want) << (c.xdg ? c.xdg : "(unset)") << " " << (c.home ? c.home : "(unset)");
    EXPECT_FALSE(std::filesystem::exists("/tmp/vyr-xdg-data"));  // no folder is created
  }
  InitVYRglobalVocabulary();
}

TEST(ObjectListTest, OwnsAndFreesItems) {
  bool first = false;
  bool second = false;
  {
    TObjectList list;
    list.Add(std::make_unique<Probe>(first));
    EXPECT_EQ(list.Add(std::make_unique<Probe>(second)), 1);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_NE(list.Items(1), nullptr);
    EXPECT_THROW(list.Items(2), std::out_of_range);
    list.Clear();
    EXPECT_TRUE(first && second);
    EXPECT_EQ(list.Count(), 0);
    first = false;
    list.Add(std::make_unique<Probe>(first));
  }
  EXPECT_TRUE(first);  // the list's destructor frees what is left
}

}  // namespace
}  // namespace vyr
