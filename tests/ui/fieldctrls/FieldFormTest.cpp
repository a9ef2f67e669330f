// Field controls and the field form: number text under foreign locales, the
// persistence of every field type through XML files and streams, Assign and
// the create-form state, and the OK / Cancel handling of a modal form.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <locale>
#include <set>
#include <sstream>

#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QLocale>
#include <QTabWidget>
#include <QTest>

#include "Fldform.h"
#include "common/RecordingHandler.h"

namespace vyr::test {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// A locale whose numbers look German: ',' decimal point, '.' groups.
struct GermanPunct : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

// Sets Qt's and the C++ library's default locale to German for one test.
class GermanLocale {
 public:
  GermanLocale() : oldCpp_(std::locale::global(std::locale(std::locale::classic(), new GermanPunct))) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  }
  ~GermanLocale() {
    std::locale::global(oldCpp_);
    QLocale::setDefault(oldQt_);
  }

 private:
  std::locale oldCpp_;
  QLocale oldQt_;
};

// Types text into a numeric field and leaves it, as a user does.
void TypeInto(TNumFld& f, const QString& text) {
  f.Editor()->setFocus();
  f.Editor()->selectAll();
  QTest::keyClick(f.Editor(), Qt::Key_Delete);
  QTest::keyClicks(f.Editor(), text);
  f.CommitEdit();
}

// A form with one field of every type, built as a derived form builds its own.
class AllFieldsForm : public TFieldForm {
 public:
  explicit AllFieldsForm(QWidget* owner = nullptr) : TFieldForm(owner) {
    setWindowTitle("All fields");
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName("Pages");
    auto* page1 = new QWidget;
    auto* page2 = new QWidget;
    tabs->addTab(page1, "One");
    tabs->addTab(page2, "Two");
    AddClientWidget(tabs, 1);

    Pressure = new TNumFld(page1);
    Pressure->setObjectName("Pressure");
    Pressure->SetParType(ptPressure);
    Pressure->SetLabelCaption("P");
    Ratio = new TNumFld(page1);
    Ratio->setObjectName("Ratio");
    Name = new TStringFld(page1);
    Name->setObjectName("CompName");
    Name->SetCustomIDstring("Name");
    Name->SetXmlTag(XmlTagAttribute);
    Flag = new TCheckFld(page1);
    Flag->setObjectName("Flag");
    Remarks = new TMemoFld(page2);
    Remarks->setObjectName("Remarks");
    Options = new TRadioGrpFld(page2);
    Options->setObjectName("Options");
    Options->SetItems({"Core first", "Duct first", "Mixed"});
    Fuel = new TComboBoxFld(page2);
    Fuel->setObjectName("Fuel");
    Fuel->SetItems({"Jet-A", "Diesel"});
    Table = new TNumGrid(page2);
    Table->setObjectName("Table");
    Table->SetSize(3, 3);
    Table->SetFixedRows(1);
    Table->GetColumn(0)->TextColumn = true;
    Table->GetColumn(1)->ParType = ptTemperature;
    // A second field under an ID string that is taken already.
    Extra = new TNumFld(page2);
    Extra->setObjectName("Extra");
    Extra->SetCustomIDstring("Ratio");
  }

  void FormCreate() override {
    TFieldForm::FormCreate();
    ++createCalls;
    Ratio->SetValue(1.25);
    Options->SetItemIndex(0);
  }

  TNumFld* Pressure;
  TNumFld* Ratio;
  TStringFld* Name;
  TCheckFld* Flag;
  TMemoFld* Remarks;
  TRadioGrpFld* Options;
  TComboBoxFld* Fuel;
  TNumGrid* Table;
  TNumFld* Extra;
  int createCalls = 0;
};

// The flight form's altitude rules and a whole-number field, as in a form.
class RulesForm : public TFieldForm {
 public:
  explicit RulesForm(QWidget* owner = nullptr) : TFieldForm(owner) {
    Zp = new TNumFld(this);
    Zp->setObjectName("Zp");
    Zp->SetLabelCaption("Pressure altitude");
    Zp->SetParType(ptAltitude);
    Zp->SetMin(-5000);
    Zp->SetMax(80000);
    Stages = new TNumFld(this);
    Stages->setObjectName("Stages");
    Stages->SetLabelCaption("Stages");
    Stages->SetIntegerOnly(true);
    Stages->SetMin(1);
    Stages->SetMax(30);
    AddClientWidget(Zp);
    AddClientWidget(Stages);
  }
  void FormCreate() override {
    TFieldForm::FormCreate();
    Zp->SetValue(1000);
    Stages->SetValue(3);
  }
  TNumFld* Zp;
  TNumFld* Stages;
};

constexpr const char* kZpRange = "Pressure altitude must lie between \u22125000 m and 80000 m";

// Shows the form as the active window with the focus in field's edit.
void ShowFocused(TFieldForm& form, TNumFld& field) {
  form.show();
  QApplication::setActiveWindow(&form);
  field.Editor()->setFocus(Qt::OtherFocusReason);
}

// Replaces the edit's text by typing, without leaving the field.
void TypeOnly(TNumFld& f, const QString& text) {
  QTest::keyClick(f.Editor(), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(f.Editor(), Qt::Key_Delete);
  QTest::keyClicks(f.Editor(), text);
}

void FillDistinct(AllFieldsForm& f) {
  f.Pressure->SetValue(0.1 + 0.2);  // no short decimal text
  f.Ratio->SetValue(-1.0e-310);      // subnormal
  f.Name->SetText("HPC <\"1\"> & Ä");
  f.Flag->SetChecked(true);
  f.Remarks->SetText("first line\r\n  second & <third>\r\n\r\nlast");
  f.Options->SetItemIndex(2);
  f.Fuel->SetValueText("Kerosene 2");  // a stored value that is not among the items
  f.Table->SetCells(0, 0, "Name");
  f.Table->SetCells(0, 1, "Idle");
  f.Table->SetDValues(1, 1, 288.15 + 1e-12);
  f.Table->SetDValues(2, 2, 1.0 / 3.0);
  f.Extra->SetValue(7);
}

void ExpectSameValues(const AllFieldsForm& a, const AllFieldsForm& b) {
  EXPECT_EQ(a.Pressure->GetValue(), b.Pressure->GetValue());
  EXPECT_EQ(a.Ratio->GetValue(), b.Ratio->GetValue());
  EXPECT_EQ(a.Name->Text(), b.Name->Text());
  EXPECT_EQ(a.Flag->Checked(), b.Flag->Checked());
  EXPECT_EQ(a.Remarks->Lines(), b.Remarks->Lines());
  EXPECT_EQ(a.Options->ItemIndex(), b.Options->ItemIndex());
  EXPECT_EQ(a.Fuel->ValueText(), b.Fuel->ValueText());
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      EXPECT_EQ(a.Table->Cells(c, r), b.Table->Cells(c, r)) << c << "," << r;
      EXPECT_EQ(a.Table->GetDValues(c, r), b.Table->GetDValues(c, r)) << c << "," << r;
    }
  EXPECT_EQ(a.Extra->GetValue(), b.Extra->GetValue());
}

}  // namespace

// --- Number text ------------------------------------------------------------------

struct EntryCase {
  const char* name;
  TFormatSettings format;
  const char* typed;
  bool accepted;
  double value;      // value afterwards (the old value 2 when refused)
  const char* left;  // text left in the edit when refused (keys no number has never enter)
};

void PrintTo(const EntryCase& c, std::ostream* os) { *os << c.name; }

class NumFldEntry : public ::testing::TestWithParam<EntryCase> {};

// Under a German locale, typed text means what the field's own number format
// says; anything else is refused inline, naming the field, without a message
// box, and the old value stays.
TEST_P(NumFldEntry, ParsedWithTheFieldsFormatNotTheLocale) {
  const EntryCase& c = GetParam();
  GermanLocale german;
  RecordingHandler rec;
  TNumFld f;
  f.setObjectName("PRdes");
  f.SetErrorIDstring("PRdes in Nr. 3 Component: HPC");
  f.SetFormatSettings(c.format);
  f.SetValue(2);
  TypeInto(f, c.typed);
  EXPECT_EQ(f.GetValue(), c.value);
  EXPECT_EQ(f.ValueValid(), c.accepted);
  EXPECT_TRUE(rec.messages.empty());
  if (c.accepted) {
    EXPECT_EQ(f.Problem(), "");
  } else {
    EXPECT_EQ(f.Problem(), "PRdes in Nr. 3 Component: HPC must be a number");
    EXPECT_EQ(f.Editor()->text(), QString(c.left)) << "the typed text stays for correction";
  }
}

constexpr TFormatSettings kGermanFmt{',', '.'};

INSTANTIATE_TEST_SUITE_P(
    GermanLocale, NumFldEntry,
    ::testing::Values(EntryCase{"UsPoint", USFormatSettings, "1.5", true, 1.5, ""},
                      EntryCase{"UsCommaRefused", USFormatSettings, "1,5", false, 2, "1,5"},
                      EntryCase{"UsExponent", USFormatSettings, "-2.5E-3", true, -2.5e-3, ""},
                      EntryCase{"UsGroupedRefused", USFormatSettings, "1,500.0", false, 2, "1,500.0"},
                      EntryCase{"GermanComma", kGermanFmt, "1,5", true, 1.5, ""},
                      EntryCase{"GermanPointRefused", kGermanFmt, "1.5", false, 2, "1.5"},
                      EntryCase{"LettersNeverEnter", USFormatSettings, "abc", false, 2, ""},
                      EntryCase{"LettersDroppedFromANumber", USFormatSettings, "1x2", true, 12, ""},
                      EntryCase{"EmptyRefused", USFormatSettings, "", false, 2, ""},
                      EntryCase{"InfinityRefused", USFormatSettings, "inf", false, 2, ""}),
    [](const ::testing::TestParamInfo<EntryCase>& i) { return std::string(i.param.name); });

TEST(NumFld, ShowsWithPointAndInTheUnitSystemUnderGermanLocale) {
  GermanLocale german;
  TNumFld f;
  f.SetParType(ptLength);
  f.SetValue(0.3048 * 1.5);
  EXPECT_EQ(f.Editor()->text(), "0.4572");
  f.SetUnitSystem(usImperial);
  EXPECT_EQ(f.Editor()->text(), "1.5");
  EXPECT_EQ(f.UnitLabel()->text().toStdString(), std::string(ParUnitStr[ptLength][usImperial]));
  f.SetDecimals(3);
  EXPECT_EQ(f.Editor()->text(), "1.500");
  // Typing in the shown unit stores SI.
  RecordingHandler rec;
  TypeInto(f, "10");
  EXPECT_DOUBLE_EQ(f.GetValue(), 3.048);
}

TEST(NumFld, BoundsAndWholeNumbersAreChecked) {
  RecordingHandler rec;
  TNumFld f;
  f.setObjectName("Nr");
  f.SetMin(-32768);
  f.SetMax(32767);
  f.SetIntegerOnly(true);
  f.SetValue(7);
  TypeInto(f, "7.5");
  EXPECT_EQ(f.Problem(), "Nr must be a whole number") << "without a caption or error text the ID string names it";
  TypeInto(f, "40000");
  EXPECT_EQ(f.Problem(), "Nr must lie between \u221232768 and 32767");
  EXPECT_EQ(f.GetValue(), 7);
  EXPECT_TRUE(rec.messages.empty());
  TypeInto(f, "-32768");
  EXPECT_EQ(f.GetValue(), -32768);
  EXPECT_TRUE(f.ValueValid());
  EXPECT_EQ(f.Problem(), "");
}

TEST(NumFld, ChangeEventOnlyWhenTheValueChanges) {
  TNumFld f;
  int changes = 0;
  QObject::connect(&f, &TNumFld::Changed, [&] { ++changes; });
  f.SetValue(3);
  f.SetValue(3);
  TypeInto(f, "3");
  TypeInto(f, "4");
  EXPECT_EQ(changes, 2);
}

// Enter and Tab take typed text over; refused text keeps the focus, shows
// the problem inline beside the field in the field's unit, and raises no box.
TEST(NumFld, EnterAndTabRefuseInlineAndKeepTheFocus) {
  RecordingHandler rec;
  std::unique_ptr<RulesForm> f(TFieldForm::Create<RulesForm>());
  ShowFocused(*f, *f->Zp);
  TypeOnly(*f->Zp, "9000");
  EXPECT_EQ(f->Zp->Problem(), "") << "within range while typing";
  QTest::keyClick(f->Zp->Editor(), Qt::Key_0);
  EXPECT_EQ(f->Zp->Problem(), kZpRange) << "shown while typing";
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Tab}) {
    QTest::keyClick(f->Zp->Editor(), key);
    EXPECT_TRUE(f->isVisible()) << "Enter does not reach OK";
    EXPECT_EQ(QApplication::focusWidget(), f->Zp->Editor()) << key;
    EXPECT_EQ(f->Zp->Problem(), kZpRange);
    EXPECT_EQ(f->Zp->GetValue(), 1000);
  }
  // OK takes the refusal too, and hands the focus back to the field.
  f->Stages->Editor()->setFocus(Qt::OtherFocusReason);
  QTest::mouseClick(f->OKbtn(), Qt::LeftButton);
  EXPECT_TRUE(f->isVisible());
  EXPECT_EQ(QApplication::focusWidget(), f->Zp->Editor());
  ASSERT_NE(f->Zp->MessageLabel(), nullptr);
  EXPECT_TRUE(f->Zp->MessageLabel()->isVisible());
  EXPECT_EQ(f->Zp->MessageLabel()->text().toStdString(), kZpRange);

  TypeOnly(*f->Zp, "-5000");
  QTest::keyClick(f->Zp->Editor(), Qt::Key_Tab);
  EXPECT_EQ(f->Zp->GetValue(), -5000) << "the bound itself is accepted";
  EXPECT_EQ(QApplication::focusWidget(), f->Stages->Editor());
  EXPECT_FALSE(f->Zp->MessageLabel()->isVisible());
  EXPECT_TRUE(rec.messages.empty());
}

TEST(NumFld, RangeMessagesUseTheShownUnit) {
  TNumFld f;
  f.SetLabelCaption("Pressure altitude");
  f.SetParType(ptAltitude);
  f.SetMin(-5000);
  f.SetMax(80000);
  f.SetUnitSystem(usImperial);
  EXPECT_EQ(f.CheckValue(90000), "Pressure altitude must lie between \u221216404.2 ft and 262467 ft");
  f.SetMin(-kInfinity);
  EXPECT_EQ(f.CheckValue(90000), "Pressure altitude must be at most 262467 ft");
  EXPECT_EQ(f.CheckValue(std::nan("")), "Pressure altitude must be a finite number");
  EXPECT_EQ(f.CheckValue(0), "");
}

struct FocusLossCase {
  const char* name;
  std::function<void(RulesForm&)> leave;
  bool closes;
};

void PrintTo(const FocusLossCase& c, std::ostream* os) { *os << c.name; }

class NumFldFocusLoss : public ::testing::TestWithParam<FocusLossCase> {};

// Leaving a field with text that would be refused raises no box: a context
// menu or another window leaves the text pending and unchecked, and Cancel
// closes the form on its first click.
TEST_P(NumFldFocusLoss, RaisesNoBox) {
  RecordingHandler rec;
  std::unique_ptr<RulesForm> f(TFieldForm::Create<RulesForm>());
  ShowFocused(*f, *f->Zp);
  TypeOnly(*f->Zp, "90000");
  GetParam().leave(*f);
  EXPECT_TRUE(rec.messages.empty());
  EXPECT_EQ(f->Zp->GetValue(), 1000);
  EXPECT_EQ(!f->isVisible(), GetParam().closes);
  if (!GetParam().closes) {
    EXPECT_EQ(f->Zp->Editor()->text(), "90000") << "still pending";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Leaving, NumFldFocusLoss,
    ::testing::Values(FocusLossCase{"RightClickMenu",
                                    [](RulesForm& f) {
                                      QLineEdit* e = f.Zp->Editor();
                                      QContextMenuEvent menu(QContextMenuEvent::Mouse, e->rect().center(),
                                                             e->mapToGlobal(e->rect().center()));
                                      QApplication::sendEvent(e, &menu);
                                      QWidget* popup = QApplication::activePopupWidget();
                                      EXPECT_NE(popup, nullptr);
                                      if (popup != nullptr) popup->close();
                                    },
                                    false},
                      FocusLossCase{"OtherWindow",
                                    [](RulesForm& f) {
                                      auto* other = new QWidget;
                                      other->setAttribute(Qt::WA_DeleteOnClose);
                                      other->show();
                                      QApplication::setActiveWindow(other);
                                      EXPECT_NE(QApplication::focusWidget(), f.Zp->Editor());
                                      other->close();
                                    },
                                    false},
                      FocusLossCase{"CancelClick",
                                    [](RulesForm& f) { QTest::mouseClick(f.Cancelbtn(), Qt::LeftButton); }, true}),
    [](const auto& i) { return std::string(i.param.name); });

// Computed fields must not pass for inputs: they differ in more than the text
// colour, and the Tab key passes them by.
TEST(NumFld, ReadOnlyFieldsLookApartFromInputs) {
  std::unique_ptr<RulesForm> f(TFieldForm::Create<RulesForm>());
  auto* after = new TNumFld(f.get());
  f->AddClientWidget(after);
  f->Stages->SetReadOnly(true);
  ShowFocused(*f, *f->Zp);
  const auto background = [](TNumFld* n) {
    const QImage img = n->Editor()->grab().toImage();
    return img.pixelColor(img.width() - 4, img.height() / 2);
  };
  EXPECT_NE(background(f->Stages), background(f->Zp));
  EXPECT_NE(f->Stages->Editor()->hasFrame(), f->Zp->Editor()->hasFrame());
  QTest::keyClick(f->Zp->Editor(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), after->Editor());
  f->Stages->SetReadOnly(false);
  EXPECT_EQ(background(f->Stages), background(f->Zp));
  EXPECT_TRUE(f->Stages->Editor()->hasFrame());
}

struct XmlNumberCase {
  const char* name;
  double value;
};

void PrintTo(const XmlNumberCase& c, std::ostream* os) { *os << c.name; }

class XmlNumber : public ::testing::TestWithParam<XmlNumberCase> {};

TEST_P(XmlNumber, RoundTripsExactlyUnderGermanLocale) {
  GermanLocale german;
  const double v = GetParam().value;
  const std::string text = FloatToXmlStr(v);
  EXPECT_EQ(text.find(','), std::string::npos) << text;
  double back = 0;
  ASSERT_TRUE(XmlStrToFloat(text, back)) << text;
  if (std::isnan(v))
    EXPECT_TRUE(std::isnan(back));
  else
    EXPECT_EQ(back, v) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Values, XmlNumber,
    ::testing::Values(XmlNumberCase{"Tenth", 0.1}, XmlNumberCase{"SumOfTenths", 0.1 + 0.2},
                      XmlNumberCase{"Third", 1.0 / 3.0}, XmlNumberCase{"Large", 1.2345678901234567e300},
                      XmlNumberCase{"Subnormal", 4.9e-324}, XmlNumberCase{"Negative", -101325.0},
                      XmlNumberCase{"Zero", 0.0}, XmlNumberCase{"Max", std::numeric_limits<double>::max()},
                      XmlNumberCase{"Infinity", std::numeric_limits<double>::infinity()},
                      XmlNumberCase{"NaN", std::numeric_limits<double>::quiet_NaN()}),
    [](const ::testing::TestParamInfo<XmlNumberCase>& i) { return std::string(i.param.name); });

// --- Persistence ------------------------------------------------------------------------

TEST(FieldForm, EveryFieldTypeRoundTripsThroughAModelFile) {
  GermanLocale german;
  std::unique_ptr<AllFieldsForm> a(TFieldForm::Create<AllFieldsForm>());
  FillDistinct(*a);
  TVyrXmlDocument doc;
  pugi::xml_node comp = doc.Document().append_child("Model").append_child("BaseCfg").append_child("TVYRcomp");
  comp.append_attribute("ID") = "HPC";
  a->WriteToXML(comp);
  // The element names are the ID strings; a repeated one carries an ID.
  EXPECT_STREQ(comp.attribute("Name").value(), "HPC <\"1\"> & Ä");
  EXPECT_TRUE(comp.child("Pressure"));
  std::set<std::string> ratios;
  for (pugi::xml_node r : comp.children("Ratio"))
    ratios.insert(std::string(r.attribute("ID").value()) + "=" + r.text().get());
  EXPECT_TRUE(ratios == (std::set<std::string>{"=7", "1=-1e-310"}) ||
              ratios == (std::set<std::string>{"1=7", "=-1e-310"}));

  const std::string file = doc.SaveToString();
  TVyrXmlDocument reloaded;
  ASSERT_TRUE(reloaded.LoadFromString(file, "mem.xml"));
  std::unique_ptr<AllFieldsForm> b(TFieldForm::Create<AllFieldsForm>());
  ASSERT_TRUE(b->ReadFromXML(reloaded.Root().child("BaseCfg").child("TVYRcomp")));
  ExpectSameValues(*a, *b);
  EXPECT_EQ(b->Remarks->Text(), "first line\r\n  second & <third>\r\n\r\nlast");
  EXPECT_EQ(b->Fuel->ValueText(), "Kerosene 2");
  EXPECT_EQ(b->Fuel->ItemIndex(), -1);
}

TEST(FieldForm, WritingTwiceIntoOneElementKeepsOneElementPerField) {
  std::unique_ptr<AllFieldsForm> a(TFieldForm::Create<AllFieldsForm>());
  pugi::xml_document doc;
  pugi::xml_node e = doc.append_child("TVYRcomp");
  a->WriteToXML(e);
  const auto count = [&] { return std::distance(e.children().begin(), e.children().end()); };
  const auto first = count();
  FillDistinct(*a);
  a->WriteToXML(e);
  EXPECT_EQ(count(), first);
  std::unique_ptr<AllFieldsForm> b(TFieldForm::Create<AllFieldsForm>());
  ASSERT_TRUE(b->ReadFromXML(e));
  ExpectSameValues(*a, *b);
}

TEST(FieldForm, AnAttributeFieldNamedIdStaysAnElement) {
  std::unique_ptr<AllFieldsForm> a(TFieldForm::Create<AllFieldsForm>());
  a->Name->SetCustomIDstring("ID");
  a->Name->SetText("HPC");
  pugi::xml_document doc;
  pugi::xml_node e = doc.append_child("TVYRcomp");
  e.append_attribute("ID") = "comp7";
  a->WriteToXML(e);
  EXPECT_STREQ(e.attribute("ID").value(), "comp7");
  EXPECT_STREQ(e.child("ID").text().get(), "HPC");
  std::unique_ptr<AllFieldsForm> b(TFieldForm::Create<AllFieldsForm>());
  b->Name->SetCustomIDstring("ID");
  ASSERT_TRUE(b->ReadFromXML(e));
  EXPECT_EQ(b->Name->Text(), "HPC");
}

TEST(FieldForm, StreamsHoldSeveralFormsAndRefuseDamage) {
  GermanLocale german;
  std::unique_ptr<AllFieldsForm> a(TFieldForm::Create<AllFieldsForm>());
  std::unique_ptr<AllFieldsForm> a2(TFieldForm::Create<AllFieldsForm>());
  FillDistinct(*a);
  std::stringstream s;
  a->WritetoStream(s);
  a2->WritetoStream(s);
  std::unique_ptr<AllFieldsForm> b(TFieldForm::Create<AllFieldsForm>());
  std::unique_ptr<AllFieldsForm> b2(TFieldForm::Create<AllFieldsForm>());
  FillDistinct(*b2);
  ASSERT_TRUE(b->ReadfromStream(s));
  ASSERT_TRUE(b2->ReadfromStream(s));
  ExpectSameValues(*a, *b);
  ExpectSameValues(*a2, *b2);

  const std::string bytes = [&] {
    std::stringstream t;
    a->WritetoStream(t);
    return t.str();
  }();
  for (const std::string& bad : {std::string(), std::string("FLDFORM x\n"), std::string("FIELDS 5\nabcde"),
                                 bytes.substr(0, bytes.size() / 2), std::string("FLDFORM 5\n<a><b")}) {
    std::unique_ptr<AllFieldsForm> c(TFieldForm::Create<AllFieldsForm>());
    FillDistinct(*c);
    std::istringstream in(bad);
    EXPECT_FALSE(c->ReadfromStream(in)) << bad;
    ExpectSameValues(*a, *c);
  }
}

TEST(FieldForm, BadValuesAreSkippedAndTheRestIsRead) {
  std::unique_ptr<AllFieldsForm> f(TFieldForm::Create<AllFieldsForm>());
  FillDistinct(*f);
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_string(
      "<C><Pressure>1,5</Pressure><Flag>maybe</Flag><Options>7</Options><Table Cols='3' Rows='x'/>"
      "<Ratio>2.5</Ratio><Ratio ID='1'>2.5</Ratio><Unknown>1</Unknown></C>"));
  EXPECT_FALSE(f->ReadFromXML(doc.child("C")));
  EXPECT_EQ(f->Pressure->GetValue(), 0.1 + 0.2);
  EXPECT_TRUE(f->Flag->Checked());
  EXPECT_EQ(f->Options->ItemIndex(), 2);
  EXPECT_EQ(f->Table->GetDValues(2, 2), 1.0 / 3.0);
  EXPECT_EQ(f->Ratio->GetValue(), 2.5);
  EXPECT_FALSE(f->ReadFromXML(TVyrXmlNode()));
}

struct FileValueCase {
  const char* name;
  const char* field;
  const char* text;
  const char* problem;  // "" when the value is taken
};

void PrintTo(const FileValueCase& c, std::ostream* os) { *os << c.name; }

class FileValue : public ::testing::TestWithParam<FileValueCase> {};

// A file can put into a field only what typing could; what it cannot is
// reported with the field's name and its place in the file, through XML and
// through a stream alike, and the field keeps its value.
TEST_P(FileValue, HeldToTheFieldsRules) {
  const FileValueCase& c = GetParam();
  const std::string other = std::string(c.field) == "Zp" ? "Stages" : "Zp";
  const std::string otherText = other == "Zp" ? "2000" : "4";
  // The bad value sits on line 3, column 3 of the text.
  const auto text = [&](const std::string& root) {
    return "<" + root + ">\n  <" + other + ">" + otherText + "</" + other + ">\n  <" + c.field + ">" + c.text +
           "</" + c.field + ">\n</" + root + ">\n";
  };
  const std::string source = text("F");
  RecordingHandler rec;
  for (bool stream : {false, true}) {
    std::unique_ptr<RulesForm> f(TFieldForm::Create<RulesForm>());
    bool ok = false;
    if (stream) {
      const std::string body = text("FieldForm");
      std::istringstream in("FLDFORM " + std::to_string(body.size()) + "\n" + body);
      ok = f->ReadfromStream(in);
    } else {
      pugi::xml_document doc;
      ASSERT_TRUE(doc.load_buffer(source.data(), source.size()));
      ok = f->ReadFromXML(doc.child("F"));
    }
    TNumFld* field = std::string(c.field) == "Zp" ? f->Zp : f->Stages;
    EXPECT_EQ(f->FindField(other)->WriteValueToText(), otherText) << "the rest is read";
    if (*c.problem == 0) {
      EXPECT_TRUE(ok);
      EXPECT_EQ(field->WriteValueToText(), c.text);
      EXPECT_TRUE(f->ReadErrors().empty());
      continue;
    }
    EXPECT_FALSE(ok) << stream;
    EXPECT_EQ(field->GetValue(), field == f->Zp ? 1000 : 3) << "kept";
    ASSERT_EQ(f->ReadErrors().size(), 1u) << stream;
    const std::string report = stream ? f->ReadErrorReport() : f->ReadErrorReport(source);
    const std::string place = (stream ? "FieldForm/" : "F/") + std::string(c.field) + ", line 3, column 3: ";
    EXPECT_EQ(report.rfind(place + c.problem, 0), 0u) << report;
  }
  EXPECT_TRUE(rec.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rules, FileValue,
    ::testing::Values(FileValueCase{"NaN", "Zp", "NaN", "Pressure altitude must be a finite number"},
                      FileValueCase{"Infinity", "Zp", "-INF", "Pressure altitude must be a finite number"},
                      FileValueCase{"AboveMax", "Zp", "90000", kZpRange},
                      FileValueCase{"BelowMin", "Zp", "-5000.5", kZpRange},
                      FileValueCase{"MaxItself", "Zp", "80000", ""},
                      FileValueCase{"NotWhole", "Stages", "2.5", "Stages must be a whole number"},
                      FileValueCase{"NoNumber", "Stages", "two", "Stages: \"two\" is not a number"},
                      FileValueCase{"Whole", "Stages", "30", ""}),
    [](const auto& i) { return std::string(i.param.name); });

// The form's own values are copied as the program set them, rules or not.
TEST(FieldForm, AssignAndResetCopyTheProgramsOwnValues) {
  std::unique_ptr<RulesForm> a(TFieldForm::Create<RulesForm>());
  std::unique_ptr<RulesForm> b(TFieldForm::Create<RulesForm>());
  a->Zp->SetValue(90000);
  b->Assign(*a);
  EXPECT_EQ(b->Zp->GetValue(), 90000);
  a->ResetToCreateFormState();
  EXPECT_EQ(a->Zp->GetValue(), 1000);
}

TEST(FieldForm, AssignCopiesValuesAndResetReturnsToTheCreateState) {
  std::unique_ptr<AllFieldsForm> a(TFieldForm::Create<AllFieldsForm>());
  std::unique_ptr<AllFieldsForm> b(TFieldForm::Create<AllFieldsForm>());
  FillDistinct(*a);
  b->Assign(*a);
  ExpectSameValues(*a, *b);
  b->Assign(*b);
  ExpectSameValues(*a, *b);

  b->ResetToCreateFormState();
  std::unique_ptr<AllFieldsForm> fresh(TFieldForm::Create<AllFieldsForm>());
  ExpectSameValues(*fresh, *b);
  EXPECT_EQ(b->Ratio->GetValue(), 1.25) << "what FormCreate set belongs to the create state";
  EXPECT_EQ(b->Options->ItemIndex(), 0);
  EXPECT_EQ(b->createCalls, 1);
}

TEST(FieldForm, FormCreateRunsOnceOnFirstUse) {
  AllFieldsForm f;
  EXPECT_EQ(f.createCalls, 0);
  f.show();
  f.hide();
  f.show();
  EXPECT_EQ(f.createCalls, 1);
  EXPECT_EQ(f.Ratio->GetValue(), 1.25);

  // Writing a form that was never shown writes it as FormCreate left it.
  AllFieldsForm g;
  pugi::xml_document doc;
  g.WriteToXML(doc.append_child("C"));
  EXPECT_EQ(g.createCalls, 1);
  EXPECT_STREQ(doc.child("C").child("Options").text().get(), "0");
}

// --- Modal use -------------------------------------------------------------------------

class ModalScript {
 public:
  explicit ModalScript(std::function<int(TFieldForm&)> f) { previous_ = SetShowModalHandler(std::move(f)); }
  ~ModalScript() { SetShowModalHandler(std::move(previous_)); }

 private:
  TShowModalHandler previous_;
};

TEST(FieldForm, ShowModalFocusedBringsThePageForwardAndFocusesTheField) {
  std::unique_ptr<AllFieldsForm> f(TFieldForm::Create<AllFieldsForm>());
  QWidget* focused = nullptr;
  int page = -1;
  ModalScript script([&](TFieldForm& form) {
    form.show();
    QApplication::setActiveWindow(&form);
    focused = form.focusWidget();
    page = form.findChild<QTabWidget*>("Pages")->currentIndex();
    return int(mrOk);
  });
  EXPECT_EQ(f->ShowModalFocused("Extra"), mrOk);
  EXPECT_EQ(page, 1);
  EXPECT_EQ(focused, f->Extra->Editor());
  EXPECT_EQ(f->ShowModalFocused("NoSuchControl"), mrOk);
}

class GuardedForm : public AllFieldsForm {
 public:
  using AllFieldsForm::AllFieldsForm;
  bool FormCloseQuery(int r) override { return r != mrOk || allowOk; }
  void OKbtnClick() override {
    TFieldForm::OKbtnClick();
    ++okClicks;
  }
  bool allowOk = false;
  int okClicks = 0;
};

TEST(FieldForm, OkKeepsTheFormOpenOnARefusedEntryOrACloseQuery) {
  RecordingHandler rec;
  std::unique_ptr<GuardedForm> f(TFieldForm::Create<GuardedForm>());
  f->allowOk = true;
  std::vector<int> results;
  ModalScript script([&](TFieldForm& form) {
    form.open();
    f->Extra->Editor()->setText("x");
    f->Extra->Editor()->setModified(true);
    QTest::mouseClick(form.OKbtn(), Qt::LeftButton);
    results.push_back(form.isVisible());  // refused entry: still open
    f->Extra->Editor()->setText("12");
    f->Extra->Editor()->setModified(true);
    f->allowOk = false;
    QTest::mouseClick(form.OKbtn(), Qt::LeftButton);
    results.push_back(form.isVisible());  // close query says no
    f->allowOk = true;
    QTest::mouseClick(form.OKbtn(), Qt::LeftButton);
    results.push_back(form.isVisible());
    return form.result();
  });
  EXPECT_EQ(f->ShowModalFocused("Extra"), mrOk);
  EXPECT_EQ(results, (std::vector<int>{1, 1, 0}));
  EXPECT_EQ(f->Extra->GetValue(), 12);
  EXPECT_EQ(f->okClicks, 3);
  EXPECT_TRUE(rec.messages.empty()) << "a refused entry shows inline";
}

TEST(FieldForm, CancelClosesAndDropsARefusedEntry) {
  RecordingHandler rec;
  std::unique_ptr<GuardedForm> f(TFieldForm::Create<GuardedForm>());
  f->Extra->SetValue(5);
  ModalScript script([&](TFieldForm& form) {
    form.open();
    TypeInto(*f->Extra, "x");
    QTest::mouseClick(form.Cancelbtn(), Qt::LeftButton);
    return form.result();
  });
  EXPECT_EQ(f->ShowModalFocused(""), mrCancel);
  EXPECT_FALSE(f->isVisible());
  EXPECT_EQ(f->Extra->GetValue(), 5);
  EXPECT_TRUE(f->Extra->ValueValid());
  EXPECT_EQ(f->Extra->Editor()->text(), "5");
}

// --- Other field types ------------------------------------------------------------------

TEST(Fields, ChangeEventsOfEveryType) {
  AllFieldsForm f;
  int changes = 0;
  auto count = [&] { ++changes; };
  QObject::connect(f.Name, &TStringFld::Changed, count);
  QObject::connect(f.Flag, &TCheckFld::Changed, count);
  QObject::connect(f.Remarks, &TMemoFld::Changed, count);
  QObject::connect(f.Options, &TRadioGrpFld::Changed, count);
  QObject::connect(f.Fuel, &TComboBoxFld::Changed, count);
  QObject::connect(f.Table, &TNumGrid::Changed, count);
  f.Name->SetText("x");
  f.Flag->SetChecked(true);
  f.Remarks->SetText("a");
  f.Options->SetItemIndex(1);
  f.Options->SetItemIndex(1);
  f.Fuel->SetValueText("diesel");
  f.Fuel->SetValueText("diesel");
  f.Table->SetDValues(1, 1, 2);
  EXPECT_EQ(changes, 6);
  EXPECT_EQ(f.Fuel->ItemIndex(), 1) << "the item is found without regard to case";
  f.Fuel->SetItemIndex(0);
  EXPECT_EQ(f.Fuel->ValueText(), "Jet-A");
}

TEST(Fields, MemoLinesAndCrLfText) {
  TMemoFld m;
  m.SetText("a\r\nb\rc\nd");
  EXPECT_EQ(m.Lines(), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(m.Text(), "a\r\nb\r\nc\r\nd");
  m.SetLines({});
  EXPECT_EQ(m.LineCount(), 0);
}

TEST(Fields, GridShowsNumbersInItsUnitSystemAndValidates) {
  TNumGrid g;
  g.SetSize(2, 2);
  g.GetColumn(1)->ParType = ptTemperature;
  g.SetDValues(1, 1, 300);
  g.SetUnitSystem(usImperial);
  EXPECT_EQ(g.Cells(1, 1), FloatToStr(300 / ParscaleStd[ptTemperature][usImperial]));
  EXPECT_TRUE(g.SetCells(1, 0, "540"));
  EXPECT_DOUBLE_EQ(g.GetDValues(1, 0), 540 * ParscaleStd[ptTemperature][usImperial]);
  EXPECT_FALSE(g.SetCells(1, 0, "5,40"));
  EXPECT_TRUE(g.ValidateGrid());
  g.item(0, 1)->setText("abc");  // as typed by a user
  EXPECT_FALSE(g.ValidateGrid());
  EXPECT_EQ(g.GetDValues(1, 0), 0);
  EXPECT_EQ(g.GetColumn(5), nullptr);
}

}  // namespace vyr::test
