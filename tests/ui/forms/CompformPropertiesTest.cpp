// The component form's properties by name (listing by group, reading and
// writing through the list entries, the naming check at registration) and its
// data report.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <QComboBox>

#include "ClassRegistry.h"
#include "common/RecordingHandler.h"
#include "components/IconKit.h"
#include "forms/FormKit.h"
#include "vyrcompf.h"
#include "vyrcompl.h"

namespace vyr {

// Names that break the group convention next to ones that keep it.
class TBadNamesForm : public TVYRcompform {
  Q_OBJECT
  Q_PROPERTY(double _N1 MEMBER n1_)
  Q_PROPERTY(double _PRdes MEMBER prdes_)
  Q_PROPERTY(double __N2 MEMBER n2_)
  Q_PROPERTY(double __Wdes MEMBER wdes_)
  Q_PROPERTY(QString _Notedes MEMBER note_)

 public:
  Q_INVOKABLE explicit TBadNamesForm(QWidget* owner = nullptr) : TVYRcompform(owner) {}

 private:
  double n1_ = 0, prdes_ = 3, n2_ = 0, wdes_ = 0;
  QString note_;
};

namespace {

using test::RecordingHandler;
using test::TTestCompressorForm;
using test::TTestHPCForm;

// A descendant without a meta-object of its own.
class TNoMetaForm : public TTestCompressorForm {};

template <class T>
std::unique_ptr<T> NewForm() {
  return std::unique_ptr<T>(TFieldForm::Create<T>());
}

// --- Listing -------------------------------------------------------------------------------

struct ListCase {
  const char* name;
  bool hpc;  // TTestHPCForm, else TTestCompressorForm
  std::string prefix;
  bool hideBleed;
  std::vector<std::string> listed;
};
// ctest shows the row by its name.
void PrintTo(const ListCase& c, std::ostream* os) { *os << c.name; }

class PropertyList : public testing::TestWithParam<ListCase> {};

TEST_P(PropertyList, GroupOfThePrefixInDeclarationOrder) {
  const ListCase& c = GetParam();
  std::unique_ptr<TTestCompressorForm> f(c.hpc ? NewForm<TTestHPCForm>().release()
                                               : NewForm<TTestCompressorForm>().release());
  f->HideBleed = c.hideBleed;
  std::vector<std::string> list{"kept"};
  f->GetPropertyList(list, c.prefix);
  std::vector<std::string> expected{"kept"};
  expected.insert(expected.end(), c.listed.begin(), c.listed.end());
  EXPECT_EQ(list, expected);
  // Every entry leads back to its property.
  for (std::size_t i = 1; i < list.size() && c.prefix.rfind('_', 0) == 0; ++i)
    EXPECT_TRUE(f->GetProperty(TVYRcompform::GetPropNameFromStr(list[i])).isValid()) << list[i];
}

INSTANTIATE_TEST_SUITE_P(
    CompformProperties, PropertyList,
    testing::Values(
        ListCase{"SingleUnderscore", false, "_", false,
                 {"N1 : Double", "Stages : Integer", "Bleed : Boolean", "MapKind : TMapKind"}},
        ListCase{"DesignValues", false, "__", false, {"PRdes : Double", "Wdes : Double"}},
        ListCase{"InheritedFirst", true, "__", false, {"PRdes : Double", "Wdes : Double", "Etades : Double"}},
        ListCase{"InactiveIsLeftOut", false, "_", true, {"N1 : Double", "Stages : Integer", "MapKind : TMapKind"}},
        ListCase{"EmptyPrefixListsNothing", false, "", false, {}},
        ListCase{"AnyPrefixIsCut", false, "P", false, {"lain : Double"}}),
    [](const testing::TestParamInfo<ListCase>& i) { return std::string(i.param.name); });

struct NameCase {
  const char* name;
  std::string text, property;
};
// ctest shows the row by its name.
void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }

class PropName : public testing::TestWithParam<NameCase> {};

TEST_P(PropName, FromListEntry) {
  EXPECT_EQ(TVYRcompform::GetPropNameFromStr(GetParam().text), GetParam().property);
}

INSTANTIATE_TEST_SUITE_P(CompformProperties, PropName,
                         testing::Values(NameCase{"DesignEntry", "PRdes : Double", "__PRdes"},
                                         NameCase{"PlainEntry", "N1 : Double", "_N1"},
                                         NameCase{"BareDesignName", "Wdes", "__Wdes"},
                                         NameCase{"Dash", "-", "-"},
                                         NameCase{"Empty", "", ""},
                                         NameCase{"LeadingSpaceIsEmpty", " N1", ""},
                                         NameCase{"DesIsCaseSensitive", "Des : Double", "_Des"},
                                         NameCase{"DashWithDes", "-des", "_-des"}),
                         [](const testing::TestParamInfo<NameCase>& i) { return std::string(i.param.name); });

// --- Reading and writing -----------------------------------------------------------------------

struct ValueCase {
  const char* name;
  std::string entry;
  double written;
  double read;                                             // read back by name
  std::function<double(const TTestCompressorForm&)> held;  // what the form holds
};
// ctest shows the row by its name.
void PrintTo(const ValueCase& c, std::ostream* os) { *os << c.name; }

class PropertyValue : public testing::TestWithParam<ValueCase> {};

TEST_P(PropertyValue, WrittenByNameHeldByTheFormReadBack) {
  const ValueCase& c = GetParam();
  auto f = NewForm<TTestCompressorForm>();
  f->SetPropertyValue(c.entry, c.written);
  EXPECT_EQ(c.held(*f), c.read);
  EXPECT_EQ(f->GetPropertyValue(c.entry), c.read);
}

using C = TTestCompressorForm;

INSTANTIATE_TEST_SUITE_P(
    CompformProperties, PropertyValue,
    testing::Values(
        ValueCase{"Double", "N1 : Double", 0.97, 0.97, [](const C& f) { return f.N1(); }},
        ValueCase{"FieldBacked", "PRdes : Double", 12.5, 12.5, [](const C& f) { return f.PRdesFld->GetValue(); }},
        ValueCase{"BareName", "Wdes", 80, 80, [](const C& f) { return f.WdesFld->GetValue(); }},
        ValueCase{"IntegerRounds", "Stages : Integer", 3.6, 4, [](const C& f) { return double(f.Stages()); }},
        ValueCase{"BooleanNonZero", "Bleed : Boolean", 0.5, 1, [](const C& f) { return double(f.Bleed()); }},
        ValueCase{"Enumeration", "MapKind : TMapKind", 2, 2, [](const C& f) { return double(f.MapKind()); }},
        ValueCase{"UnknownIsSilent", "PRdez : Double", 5, 0, [](const C& f) { return f.N1() + f.PRdes(); }},
        ValueCase{"UnprefixedIsUnreachable", "Plain", 5, 0, [](const C& f) { return f.Plain(); }}),
    [](const testing::TestParamInfo<ValueCase>& i) { return std::string(i.param.name); });

TEST(CompformProperties, WrongCallsRaiseInvalidTypeInformation) {
  auto f = NewForm<TTestCompressorForm>();
  try {
    f->GetPropertyValue("Label : QString");
    ADD_FAILURE() << "a text property has no number";
  } catch (const VYRexception& e) {
    EXPECT_STREQ(e.what(), "Invalid type information");
  }
  EXPECT_THROW(f->SetPropertyValue("Label", 1), VYRexception);

  std::unique_ptr<TNoMetaForm> bare(TFieldForm::Create<TNoMetaForm>());
  std::vector<std::string> list{"kept"};
  try {
    bare->GetPropertyList(list, "_");
    ADD_FAILURE() << "a class without its own meta-object cannot be listed";
  } catch (const VYRexception& e) {
    EXPECT_STREQ(e.what(), "Invalid type information");
  }
  EXPECT_EQ(list, std::vector<std::string>{"kept"});
  EXPECT_FALSE(bare->GetProperty("_N1").isValid());
  EXPECT_EQ(bare->GetPropertyValue("N1"), 0);
}

TEST(CompformProperties, ValuesAPropertyCannotHoldAreRefused) {
  auto f = NewForm<TTestCompressorForm>();
  f->SetStages(2);
  f->SetMapKind(TTestCompressorForm::mkRline);
  EXPECT_THROW(f->SetPropertyValue("Stages", 1e12), VYRexception);
  EXPECT_THROW(f->SetPropertyValue("Stages", std::numeric_limits<double>::quiet_NaN()), VYRexception);
  EXPECT_THROW(f->SetPropertyValue("MapKind", 7), VYRexception);
  EXPECT_THROW(f->SetPropertyValue("Bleed", std::numeric_limits<double>::quiet_NaN()), VYRexception);
  EXPECT_EQ(f->Stages(), 2);
  EXPECT_EQ(f->MapKind(), TTestCompressorForm::mkRline);
}

TEST(CompformProperties, LookupIsExactAndAmongTheFormsOwn) {
  auto f = NewForm<TTestCompressorForm>();
  EXPECT_TRUE(f->GetProperty("_N1").isValid());
  EXPECT_FALSE(f->GetProperty("_n1").isValid()) << "case-sensitive";
  EXPECT_FALSE(f->GetProperty(" _N1").isValid()) << "untrimmed";
  EXPECT_FALSE(f->GetProperty("   ").isValid());
  EXPECT_FALSE(f->GetProperty("windowTitle").isValid()) << "the widget's own properties take no part";
  EXPECT_TRUE(f->GetProperty("Plain").isValid());
}

TEST(CompformProperties, ComboBoxGetsTheListAndAFieldKeepsItsChoice) {
  auto f = NewForm<TTestCompressorForm>();
  QComboBox plain;
  plain.addItem("old");
  f->GetProperties_into_ComboBox(&plain, "__");
  ASSERT_EQ(plain.count(), 2);
  EXPECT_EQ(plain.itemText(1), "Wdes : Double");

  TComboBoxFld field;
  field.SetValueText("Wdes : Double");
  f->GetProperties_into_ComboBox(&field, "__");
  EXPECT_EQ(field.count(), 2);
  EXPECT_EQ(field.currentIndex(), 1);
  field.SetValueText("Gone : Double");
  f->GetProperties_into_ComboBox(&field, "__");
  EXPECT_EQ(field.currentIndex(), -1);
  EXPECT_EQ(field.ValueText(), "Gone : Double");
}

// --- The naming check at registration ------------------------------------------------------------

TEST(CompformRegistration, NamesThatCannotBeFoundAgainAreReported) {
  EXPECT_EQ(UnreachablePropertyNames(TBadNamesForm::staticMetaObject), (std::vector<std::string>{"_PRdes", "__N2"}));
  EXPECT_TRUE(UnreachablePropertyNames(TTestHPCForm::staticMetaObject).empty());

  RecordingHandler rec;
  ASSERT_TRUE(RegisterCompformClass<TBadNamesForm>());
  ASSERT_EQ(rec.messages.size(), 2u);
  EXPECT_EQ(rec.messages[0].DlgType, mtWarning);
  EXPECT_NE(rec.messages[0].Text.find("\"_PRdes\""), std::string::npos) << rec.messages[0].Text;
  EXPECT_NE(rec.messages[0].Text.find("TBadNamesForm"), std::string::npos);
  EXPECT_NE(rec.messages[1].Text.find("\"__N2\""), std::string::npos);

  rec.messages.clear();
  ASSERT_TRUE(RegisterClass<TBadNamesForm>()) << "the same class again";
  EXPECT_TRUE(rec.messages.empty()) << "checked once, when new";
  ASSERT_TRUE(RegisterClass<TBadNamesForm>("TBadNamesAlias"));
  EXPECT_EQ(rec.messages.size(), 2u) << "any registration of a form class is checked";
  rec.messages.clear();
  ASSERT_TRUE(RegisterClass<TTestHPCForm>());
  EXPECT_TRUE(rec.messages.empty());

  // The lookup stays as it is: the list shows the entry, reading it misses.
  std::unique_ptr<TVYRcompform> f(CreateRegisteredClass<TVYRcompform>("TBadNamesForm"));
  ASSERT_NE(f, nullptr);
  std::vector<std::string> list;
  f->GetPropertyList(list, "_");
  EXPECT_EQ(list, (std::vector<std::string>{"N1 : Double", "PRdes : Double"}));
  EXPECT_EQ(f->GetPropertyValue("PRdes : Double"), 0);
  for (const char* name : {"TBadNamesForm", "TBadNamesAlias", "TTestHPCForm"}) UnRegisterClass(name);
}

// --- Data report --------------------------------------------------------------------------------

const std::string D(80, '-');
const std::string E(80, '=');

// Extends two sections as component types do: the base's title first.
class TReportingForm : public TVYRcompform {
 public:
  explicit TReportingForm(QWidget* owner = nullptr) : TVYRcompform(owner) {}
  void DesignDataToLines(std::vector<std::string>& lines) override {
    TVYRcompform::DesignDataToLines(lines);
    lines.push_back("PR = 4.5");
  }
  void TransientDataToLines(std::vector<std::string>& lines) override { lines.push_back("Spool inertia = 2"); }
};

struct ReportCase {
  const char* name;
  bool extended;  // a TReportingForm
  bool onIcon;    // owned by an icon with stations 2 and 3
  std::vector<std::string> remarks;
  bool deteriorated;
  std::vector<std::string> lines;
};
// ctest shows the row by its name.
void PrintTo(const ReportCase& c, std::ostream* os) { *os << c.name; }

class Report : public testing::TestWithParam<ReportCase> {};

TEST_P(Report, ExactLines) {
  const ReportCase& c = GetParam();
  QWidget canvas;
  TVYRcomp* icon = test::AddIcon(&canvas, "HPC");
  test::AddLink(icon, ltIn1, 0, 30, 2);
  test::AddLink(icon, ltOut1, 60, 30, 3);
  TVYRcompform* f = c.extended ? TFieldForm::Create<TReportingForm>(c.onIcon ? icon : nullptr)
                               : TFieldForm::Create<TVYRcompform>(c.onIcon ? icon : nullptr);
  std::unique_ptr<TVYRcompform> owned(c.onIcon ? nullptr : f);
  f->SetComponentName("HPC");
  f->SetCalcNumber(7);
  f->Remarks->SetLines(c.remarks);
  f->Deteriorated->SetChecked(c.deteriorated);
  std::vector<std::string> lines{"previous"};
  f->FormDataToLines(lines);
  std::vector<std::string> expected{"previous"};
  expected.insert(expected.end(), c.lines.begin(), c.lines.end());
  EXPECT_EQ(lines, expected);
}

INSTANTIATE_TEST_SUITE_P(
    CompformReport, Report,
    testing::Values(
        ReportCase{"BareForm", false, false, {}, false,
                   {"Nr. 7 Component: HPC", E, "General Data:", D, D, " ", "Design Point Data:", D, D}},
        ReportCase{"IconRemarksAndDeterioration", false, true, {"Rig data", "  scaled"}, true,
                   {"Nr. 7 Component: HPC  Station nrs.: ltIn1: 2  ltOut1: 3  ", E, " ", "Remarks:", D, "Rig data",
                    "  scaled", D, "General Data:", D, D, " ", "Design Point Data:", D, D, " ",
                    "Deterioration Data:", D, D}},
        ReportCase{"ExtendedSections", true, false, {}, false,
                   {"Nr. 7 Component: HPC", E, "General Data:", D, D, " ", "Design Point Data:", D, "PR = 4.5", D,
                    "Spool inertia = 2", D}}),
    [](const testing::TestParamInfo<ReportCase>& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace vyr

#include "CompformPropertiesTest.moc"
