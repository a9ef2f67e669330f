// General utilities without widgets: the pinned cases of name numbering,
// name cleaning, font styles and colour shading as one table; unique file
// names and the clean-up of old files on a temporary folder.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <set>

#include "VYRutilsCore.h"
#include "common/RecordingHandler.h"

namespace vyr::test {

namespace fs = std::filesystem;

// --- Pinned cases -------------------------------------------------------------

struct TextCase {
  const char* name;
  std::function<std::string()> run;
  std::string expected;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

class PinnedCases : public ::testing::TestWithParam<TextCase> {};

TEST_P(PinnedCases, GiveTheDocumentedText) { EXPECT_EQ(GetParam().run(), GetParam().expected); }

std::string Rgb(TColor c) {
  return std::to_string(GetRValue(c)) + "," + std::to_string(GetGValue(c)) + "," + std::to_string(GetBValue(c)) +
         (c >> 24 ? " high" : "");
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, PinnedCases,
    ::testing::Values(
        TextCase{"IncrementEmpty", [] { return IncrementNameNumber(""); }, "1"},
        TextCase{"IncrementNoDigits", [] { return IncrementNameNumber("Fan"); }, "Fan2"},
        TextCase{"IncrementDigit", [] { return IncrementNameNumber("Fan2"); }, "Fan3"},
        TextCase{"IncrementCarry", [] { return IncrementNameNumber("HPT19"); }, "HPT20"},
        TextCase{"IncrementFirstOccurrence", [] { return IncrementNameNumber("A1B1"); }, "A2B1"},
        TextCase{"IncrementLeadingZeros", [] { return IncrementNameNumber("X007"); }, "X008"},
        TextCase{"IncrementNineToTen", [] { return IncrementNameNumber("Comp9"); }, "Comp10"},
        TextCase{"IncrementLongRun", [] { return IncrementNameNumber("X99999999999999999999999"); },
                 "X100000000000000000000000"},
        TextCase{"IncrementBeyond64Bit", [] { return IncrementNameNumber("N18446744073709551615"); },
                 "N18446744073709551616"},
        TextCase{"StylesBoldUnderline", [] { return FontStylesToString({fsUnderline, fsBold}); }, "BU"},
        TextCase{"StylesNone", [] { return FontStylesToString({}); }, ""},
        TextCase{"StylesFromLowerCase",
                 [] { return FontStylesToString(StringToFontStyles("ub")); }, "BU"},
        TextCase{"CleanReplace", [] { return ValidFBtableOrIDname("Fan-1 a", false, '_'); }, "Fan_1_a"},
        TextCase{"CleanUpperOnly", [] { return ValidFBtableOrIDname("Fan-1 a", true, '_'); }, "F___1__"},
        TextCase{"CleanUpperOnlyRemove", [] { return ValidFBtableOrIDname("Fan-1 a", true, '\0'); }, "F1"},
        TextCase{"CleanMultiByteIsOneCharacter", [] { return ValidFBtableOrIDname("T\xC3\xA4t", false, '_'); },
                 "T_t"},
        TextCase{"Bright", [] { return Rgb(ApplyBright(RGBColor(250, 10, 0), 10)); }, "255,20,10"},
        TextCase{"Dark", [] { return Rgb(ApplyDark(RGBColor(5, 10, 200), 10)); }, "0,0,190"},
        TextCase{"DarkSystemColourIsPlain", [] { return Rgb(ApplyDark(clWindowText, 10)); }, "0,0,0"},
        TextCase{"ColorName", [] { return ColorToString(RGBColor(0, 0, 0)); }, "clBlack"},
        TextCase{"ColorHex", [] { return ColorToString(RGBColor(0x12, 0x34, 0x56)); }, "$00563412"},
        TextCase{"ExtractFirst",
                 [] {
                   int pos = 1;
                   std::string a = ExtractSubstr("ab,cd;e", pos, ",;");
                   std::string b = ExtractSubstr("ab,cd;e", pos, ",;");
                   std::string c = ExtractSubstr("ab,cd;e", pos, ",;");
                   return a + "|" + b + "|" + c + "|" + std::to_string(pos) + "|" + ExtractSubstr("ab,cd;e", pos, ",;");
                 },
                 "ab|cd|e|8|"}),
    [](const ::testing::TestParamInfo<TextCase>& i) { return std::string(i.param.name); });

TEST(ValidFBtableOrIDname, EmptyNameRaisesTheDocumentedMessage) {
  try {
    ValidFBtableOrIDname("", false, '_');
    FAIL() << "no exception";
  } catch (const VYRexception& e) {
    EXPECT_STREQ(e.what(), "No valid characters for table name");
  }
}

TEST(Colours, TextRoundTripsForNamesAndNumbers) {
  for (TColor c : {RGBColor(0, 0, 0), RGBColor(1, 2, 3), clNavy, clWindowText, RGBColor(255, 255, 255), TColor{0x1FFFFFFF}}) {
    TColor back = 0;
    ASSERT_TRUE(StringToColor(ColorToString(c), back)) << ColorToString(c);
    EXPECT_EQ(back, c) << ColorToString(c);
  }
  TColor c = 0;
  EXPECT_TRUE(StringToColor("CLNAVY", c));
  EXPECT_EQ(c, clNavy);
  EXPECT_FALSE(StringToColor("navy blue", c));
  EXPECT_FALSE(StringToColor("", c));
}

// --- Files --------------------------------------------------------------------------

class TempFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("vyr_utils_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Touch(const std::string& name) {
    std::ofstream(dir_ / name) << "x";
    return (dir_ / name).string();
  }
  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_))
      names.insert(e.path().filename().string());
    return names;
  }
  fs::path dir_;
};

TEST_F(TempFolder, UniqueFileNameWalksTheCounterRanges) {
  RecordingHandler rec;
  const std::string d = dir_.string();
  EXPECT_EQ(GetUniqueFileName(d, "out", ".txt", "test"), d + "/out0.txt");
  for (int i = 0; i <= 9; ++i)
    Touch("out" + std::to_string(i) + ".txt");
  EXPECT_EQ(GetUniqueFileName(d + "/", "/some/where/out", ".txt", "test"), d + "/out01.txt");
  EXPECT_EQ(GetUniqueFileName(d + "/missing", "out", ".txt", "test"), d + "/missing/out0.txt");
  EXPECT_TRUE(rec.messages.empty());
}

TEST_F(TempFolder, UniqueFileNameGivesUpAfterSixDigits) {
  RecordingHandler rec;
  // Every counter that the search tries: 0..9, 01..19, 001..029, ..., 000001..000059.
  for (int w = 1; w <= 6; ++w)
    for (int i = (w == 1 ? 0 : 1); i <= 10 * w - 1; ++i) {
      std::string n = std::to_string(i);
      Touch("f" + std::string(w - std::min<std::size_t>(w, n.size()), '0') + n + ".x");
    }
  EXPECT_EQ(GetUniqueFileName(dir_.string(), "f", ".x", "the report"), "");
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].Text, "Could not create unique filename based on 'f' in '" + dir_.string() +
                                      "' for 'the report'\r\n\r\nPlease check if folder exists, or clean up the folder!");
  EXPECT_EQ(rec.messages[0].DlgType, mtError);
  fs::remove(dir_ / "f000059.x");
  EXPECT_EQ(GetUniqueFileName(dir_.string(), "f", ".x", "the report"), (dir_ / "f000059.x").string());
}

TEST_F(TempFolder, DeleteFilesOlderThanKeepsNewerAndUnmatchedFiles) {
  const auto now = fs::file_time_type::clock::now();
  const auto day = std::chrono::hours(24);
  struct F {
    const char* name;
    std::chrono::hours age;
  };
  for (const F& f : {F{"old.tmp", 3 * day}, F{"OLD2.TMP", 10 * day}, F{"new.tmp", std::chrono::hours(1)},
                     F{"old.log", 3 * day}, F{"edge.tmp", 2 * day - std::chrono::hours(1)}}) {
    Touch(f.name);
    fs::last_write_time(dir_ / f.name, now - f.age);
  }
  fs::create_directories(dir_ / "sub.tmp");
  fs::last_write_time(dir_ / "sub.tmp", now - 30 * day);
  DeleteFilesOlderThan(dir_.string(), 2, "*.tmp");
  EXPECT_EQ(Names(), (std::set<std::string>{"new.tmp", "old.log", "edge.tmp", "sub.tmp"}));
  DeleteFilesOlderThan(dir_.string(), 0.5, "*.*");
  EXPECT_EQ(Names(), (std::set<std::string>{"new.tmp", "sub.tmp"}));
  DeleteFilesOlderThan((dir_ / "missing").string(), 0, "*");
}

// Days that select no file at all: ages beyond what the file clock can reach
// (its cut-off would lie before its earliest time point), and bad input, which
// is refused before any file is touched.
struct DaysCase {
  const char* name;
  double days;
  bool refused;
};

class DeleteNothing : public TempFolder, public ::testing::WithParamInterface<DaysCase> {};

TEST_P(DeleteNothing, KeepsFreshAndOldFiles) {
  Touch("fresh.tmp");
  Touch("old.tmp");
  fs::last_write_time(dir_ / "old.tmp", fs::file_time_type::clock::now() - std::chrono::hours(24 * 400));
  if (GetParam().refused)
    EXPECT_THROW(DeleteFilesOlderThan(dir_.string(), GetParam().days, "*.*"), EAssertionFailed);
  else
    DeleteFilesOlderThan(dir_.string(), GetParam().days, "*.*");
  EXPECT_EQ(Names(), (std::set<std::string>{"fresh.tmp", "old.tmp"}));
}

INSTANTIATE_TEST_SUITE_P(
    DeleteFilesOlderThan, DeleteNothing,
    ::testing::Values(DaysCase{"SixtyThousandDays", 60000, false}, DaysCase{"MillionDays", 1e6, false},
                      DaysCase{"LargestDouble", std::numeric_limits<double>::max(), false},
                      DaysCase{"Infinity", std::numeric_limits<double>::infinity(), false},
                      DaysCase{"NaN", std::numeric_limits<double>::quiet_NaN(), true},
                      DaysCase{"Negative", -1, true},
                      DaysCase{"NegativeInfinity", -std::numeric_limits<double>::infinity(), true}),
    [](const ::testing::TestParamInfo<DaysCase>& info) { return std::string(info.param.name); });

TEST(FileMask, WildcardsWithoutRegardToCase) {
  EXPECT_TRUE(MatchesFileMask("Report1.TXT", "report?.txt"));
  EXPECT_TRUE(MatchesFileMask("a.b.c", "*.c"));
  EXPECT_TRUE(MatchesFileMask("noext", "*.*"));
  EXPECT_FALSE(MatchesFileMask("report10.txt", "report?.txt"));
  EXPECT_FALSE(MatchesFileMask("a.cc", "*.c"));
}

}  // namespace vyr::test
