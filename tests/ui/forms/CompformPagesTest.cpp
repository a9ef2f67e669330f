// The component form's pages and events: the tab rule of FormCreate, the OK
// and page-change vetoes, the identification suffix, the downstream priority,
// the output choice, measurements and the icon queries; and the default of
// every calculation hook.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <sstream>
#include <utility>
#include <ostream>
#include <string>
#include <vector>

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "common/RecordingHandler.h"
#include "components/IconKit.h"
#include "forms/FormKit.h"
#include "vyrcompf.h"
#include "vyrcompl.h"

namespace vyr {
namespace {

using test::RecordingHandler;
using test::TTestCompressorForm;

template <class T = TVYRcompform>
std::unique_ptr<T> NewForm() {
  return std::unique_ptr<T>(TFieldForm::Create<T>());
}

// Captions of the tabs in order, hidden ones in brackets.
std::vector<std::string> Tabs(const TVYRcompform& f) {
  std::vector<std::string> tabs;
  for (int i = 0; i < f.PageControl1->count(); ++i) {
    const std::string t = f.PageControl1->tabText(i).toStdString();
    tabs.push_back(f.PageControl1->isTabVisible(i) ? t : "[" + t + "]");
  }
  return tabs;
}

// --- Pages and the tab rule -------------------------------------------------------------

// A form that adds a page of its own after Remarks, with tabs shown or hidden.
class TPagesForm : public TVYRcompform {
 public:
  TPagesForm(bool showDeterioration, bool hideRemarks, bool hideGeneral) {
    PageControl1->addTab(new QWidget, "Map");
    auto tab = [this](QWidget* page) { return PageControl1->indexOf(page); };
    if (showDeterioration) PageControl1->setTabVisible(tab(DeteriorationTSheet), true);
    if (hideRemarks) PageControl1->setTabVisible(tab(RemarksTSheet), false);
    if (hideGeneral) PageControl1->setTabVisible(tab(General), false);
    PageControl1->setCurrentIndex(tab(Design));
  }
};

struct TabCase {
  const char* name;
  bool added;  // a TPagesForm, else the base form
  bool showDeterioration, hideRemarks, hideGeneral;
  std::vector<std::string> tabs;
  std::string current;
};
// ctest shows the row by its name.
void PrintTo(const TabCase& c, std::ostream* os) { *os << c.name; }

class TabOrder : public testing::TestWithParam<TabCase> {};

TEST_P(TabOrder, GeneralFirstOutputBeforeLastRemarksLast) {
  const TabCase& c = GetParam();
  std::unique_ptr<TVYRcompform> f(c.added ? TFieldForm::Create<TPagesForm>(c.showDeterioration, c.hideRemarks,
                                                                          c.hideGeneral)
                                          : TFieldForm::Create<TVYRcompform>());
  EXPECT_EQ(Tabs(*f), c.tabs);
  EXPECT_EQ(f->PageControl1->tabText(f->PageControl1->currentIndex()).toStdString(), c.current);
  // Each page moved with its tab.
  const std::pair<QWidget*, const char*> pages[] = {{f->General, "General"},
                                                    {f->Design, "Design"},
                                                    {f->DeteriorationTSheet, "Deterioration"},
                                                    {f->OutpTSheet, "Output"},
                                                    {f->RemarksTSheet, "Remarks"}};
  for (const auto& [page, caption] : pages)
    EXPECT_EQ(f->PageControl1->tabText(f->PageControl1->indexOf(page)).toStdString(), caption);
}

INSTANTIATE_TEST_SUITE_P(
    CompformPages, TabOrder,
    testing::Values(
        TabCase{"Base", false, false, false, false,
                {"General", "Design", "[Deterioration]", "Output", "Remarks"}, "General"},
        TabCase{"AddedPageAndDeterioration", true, true, false, false,
                {"General", "Design", "Deterioration", "Map", "Output", "Remarks"}, "General"},
        TabCase{"RemarksHiddenStaysPut", true, false, true, false,
                {"General", "Design", "[Deterioration]", "[Remarks]", "Output", "Map"}, "General"},
        TabCase{"GeneralHiddenIsNotActivated", true, false, false, true,
                {"[General]", "Design", "[Deterioration]", "Map", "Output", "Remarks"}, "Design"}),
    [](const testing::TestParamInfo<TabCase>& i) { return std::string(i.param.name); });

TEST(CompformPages, ResourceOfTheBase) {
  TVYRFieldForm fieldForm;
  EXPECT_EQ(fieldForm.windowTitle(), "VYRFieldForm");
  EXPECT_EQ(fieldForm.BottomButtonsPanel()->objectName(), "BottomButtonsPanel");
  auto f = NewForm();
  EXPECT_TRUE(f->inherits("vyr::TVYRFieldForm"));
  EXPECT_EQ(f->windowTitle(), "VYR component form");
  EXPECT_EQ(f->size(), QSize(513, 379));
  EXPECT_TRUE(f->ModelOpt->isHidden()) << "no model options: the group is hidden";
  EXPECT_EQ(f->ModelOpt->title(), "Model Options");
  EXPECT_TRUE(f->DownStrCalcPriorityRGrpFld->isHidden());
  EXPECT_EQ(f->DownStrCalcPriorityRGrpFld->Items(), (std::vector<std::string>{"Core first", "Duct first"}));
  EXPECT_EQ(f->DownStrCalcPriorityRGrpFld->ItemIndex(), 0);
  EXPECT_EQ(f->Deteriorated->text(), "Apply deterioration effects");
  EXPECT_FALSE(f->Deteriorated->Checked());
  EXPECT_EQ(f->Onamesgbox->title(), "Output names");
  EXPECT_EQ(f->Ocompnrs->text(), "Add comp. nrs.");
  EXPECT_TRUE(f->Ocompnrs->Checked());
  EXPECT_EQ(f->Remarks->LineCount(), 0);
  EXPECT_EQ(f->Design->palette().color(QPalette::WindowText), QColor(0, 0, 128));
  EXPECT_EQ(f->IDlabel->text(), "ID string");
  EXPECT_EQ(f->IDlabel->toolTip(), "Component ID string for ouput parameters (if blank, default=Calc.Nr.)");
  // The stored fields of the pages, by the names they have in the model file.
  std::vector<std::string> ids;
  for (TFieldControl* fld : f->Fields()) ids.push_back(fld->GetIDstring());
  EXPECT_EQ(ids, (std::vector<std::string>{"Name", "ID", "Nr", "ModelOpt", "DownStrCalcPriorityRGrpFld",
                                           "Deteriorated", "Ocompnrs", "Remarks"}));
}

TEST(CompformPages, ModelOptionsShownWithFirstItemSelected) {
  auto f = NewForm<TTestCompressorForm>();
  EXPECT_FALSE(f->ModelOpt->isHidden());
  EXPECT_EQ(f->ModelOpt->ItemIndex(), 0);
}

TEST(CompformPages, HelpFileLiesInTheProgramFolder) {
  const std::string saved = VYRpath;
  VYRpath = "/opt/vyr/";
  class THelpForm : public TVYRcompform {
   public:
    explicit THelpForm(std::string file) { HelpFile = std::move(file); }
  };
  std::unique_ptr<THelpForm> named(TFieldForm::Create<THelpForm>("engine.chm"));
  std::unique_ptr<THelpForm> blank(TFieldForm::Create<THelpForm>("  "));
  VYRpath = saved;
  EXPECT_EQ(named->HelpFile, "/opt/vyr/engine.chm");
  EXPECT_EQ(blank->HelpFile, "  ");
}

// Where a drawn tab differs from its fill, and the colour that differs most.
struct TabInk {
  QRect box;
  QColor strongest;
};

TabInk DrawTab(TVYRcompform& f, bool active) {
  QImage img(90, 26, QImage::Format_RGB32);
  img.fill(Qt::magenta);
  {
    QPainter p(&img);
    f.PageControl1DrawTab(p, 0, img.rect(), active);
  }
  const QColor fill = f.PageControl1->palette().color(QPalette::Button);
  TabInk ink;
  int best = -1;
  for (int y = 1; y < img.height() - 1; ++y)
    for (int x = 1; x < img.width() - 1; ++x) {
      const QColor c = img.pixelColor(x, y);
      const int d = std::abs(c.red() - fill.red()) + std::abs(c.green() - fill.green()) + std::abs(c.blue() - fill.blue());
      if (d == 0) continue;
      ink.box |= QRect(x, y, 1, 1);
      if (d > best) {
        best = d;
        ink.strongest = c;
      }
    }
  EXPECT_EQ(img.pixelColor(0, 0), fill) << "filled and outlined in the menu-bar colour";
  EXPECT_EQ(img.pixelColor(89, 25), fill);
  return ink;
}

TEST(CompformPages, TabsAreDrawnWithTheActiveCaptionRaisedAndHighlighted) {
  auto f = NewForm();
  const QPalette& pal = f->PageControl1->palette();
  const TabInk active = DrawTab(*f, true);
  const TabInk other = DrawTab(*f, false);
  ASSERT_FALSE(active.box.isEmpty());
  ASSERT_FALSE(other.box.isEmpty());
  EXPECT_EQ(active.box.topLeft() - other.box.topLeft(), QPoint(4, 2)) << "caption at (7, 4), others at (3, 2)";
  EXPECT_GE(active.box.left(), 7);
  EXPECT_GE(active.box.top(), 4);
  EXPECT_EQ(active.strongest, pal.color(QPalette::Highlight));
  EXPECT_EQ(other.strongest, pal.color(QPalette::WindowText));
}

TEST(CompformPages, FieldLabelsShowWhatTheyHoldOnceShown) {
  auto f = NewForm<TTestCompressorForm>();
  f->PRdesFld->SetLabelCaption("");        // a field without caption
  f->WdesFld->SetParType(ptMassFlow);      // a unit to show
  f->EtadesFld->SetParType(ptPressure);
  f->EtadesFld->SetParType(ptNone);        // a unit no more
  f->PageControl1->setCurrentWidget(f->Design);
  f->show();
  EXPECT_FALSE(f->PRdesFld->CaptionLabel()->isVisible());
  EXPECT_TRUE(f->WdesFld->CaptionLabel()->isVisible());
  EXPECT_TRUE(f->WdesFld->UnitLabel()->isVisible());
  EXPECT_FALSE(f->EtadesFld->UnitLabel()->isVisible());
  EXPECT_TRUE(f->Nr->CaptionLabel()->isVisible());
  EXPECT_FALSE(f->Nr->UnitLabel()->isVisible());
  f->PRdesFld->SetLabelCaption("PR");  // and change with their text afterwards
  f->WdesFld->SetParType(ptNone);
  EXPECT_TRUE(f->PRdesFld->CaptionLabel()->isVisible());
  EXPECT_FALSE(f->WdesFld->UnitLabel()->isVisible());

  auto g = NewForm<TTestCompressorForm>();
  g->SpeedFld->SetParType(ptNone);
  g->SpeedFld->UnitLabel()->setVisible(true);  // kept for the columns' alignment
  g->show();
  EXPECT_TRUE(g->SpeedFld->UnitLabel()->isVisible());
}

// --- OK and Cancel ----------------------------------------------------------------------

class TValidatingForm : public TVYRcompform {
 public:
  bool Valid = false;
  int Validations = 0;
  bool ValidateInputData() override {
    ++Validations;
    return Valid;
  }
};

TEST(CompformClose, OkIsRefusedWhileTheDataIsInvalidCancelAlwaysCloses) {
  RecordingHandler rec;
  auto f = NewForm<TValidatingForm>();
  f->show();
  QTest::mouseClick(f->OKbtn(), Qt::LeftButton);
  EXPECT_TRUE(f->isVisible()) << "OK with invalid data keeps the form open";
  EXPECT_EQ(f->ModalResult(), mrNone);
  EXPECT_EQ(f->Validations, 1);

  QTest::mouseClick(f->Cancelbtn(), Qt::LeftButton);
  EXPECT_FALSE(f->isVisible());
  EXPECT_EQ(f->ModalResult(), mrCancel);
  EXPECT_EQ(f->Validations, 1) << "Cancel does not validate";

  f->show();
  f->Valid = true;
  QTest::mouseClick(f->OKbtn(), Qt::LeftButton);
  EXPECT_FALSE(f->isVisible());
  EXPECT_EQ(f->ModalResult(), mrOk);
  EXPECT_TRUE(rec.messages.empty());
}

TEST(CompformClose, OkShowsTheNameOnTheIconsDescriptionLabel) {
  QWidget canvas;
  TVYRcomp* icon = test::AddIcon(&canvas, "C1");
  auto* other = new QLabel("other", icon);
  auto* descr = new QLabel("descr", icon);
  descr->setProperty("Tag", 1);
  icon->SetFormclassname("TVYRcompform");
  ASSERT_TRUE(icon->CompformCreate());
  icon->Compform->show();
  icon->Compform->CompName->setText("Fan");
  QTest::mouseClick(icon->Compform->OKbtn(), Qt::LeftButton);
  EXPECT_EQ(descr->text(), "Fan");
  EXPECT_EQ(other->text(), "other");
}

// --- Page change veto ---------------------------------------------------------------------

// Opens the cell editor of the grid's cell (col 1, row 1) and returns it.
QLineEdit* EditCell(TNumGrid& grid) {
  grid.setFocus();
  grid.setCurrentCell(1, 1);
  grid.editItem(grid.item(1, 1));
  // Editors closed before are deleted later: the open one is the shown one.
  for (auto* e : grid.viewport()->findChildren<QLineEdit*>())
    if (e->isVisible()) return e;
  return nullptr;
}

struct VetoCase {
  const char* name;
  // Puts invalid input into a control of the current page and focuses it;
  // returns the control's editor for the correction.
  std::function<QWidget*(TTestCompressorForm&)> spoil;
  std::function<void(TTestCompressorForm&, QWidget*)> correct;
  std::size_t messages;  // error messages shown meanwhile
};
// ctest shows the row by its name.
void PrintTo(const VetoCase& c, std::ostream* os) { *os << c.name; }

class PageChange : public testing::TestWithParam<VetoCase> {};

void ClickTab(TVYRcompform& f, QWidget* page) {
  QTabBar* bar = f.PageControl1->tabBar();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(f.PageControl1->indexOf(page)).center());
}

TEST_P(PageChange, RefusedUntilTheFocusedFieldHoldsAValidValue) {
  RecordingHandler rec;
  auto f = NewForm<TTestCompressorForm>();
  f->show();
  f->PageControl1->setCurrentWidget(f->Design);
  QWidget* editor = GetParam().spoil(*f);
  ClickTab(*f, f->OutpTSheet);
  EXPECT_EQ(f->PageControl1->currentWidget(), f->Design) << "invalid input keeps the page";
  QTest::keyClick(f->PageControl1->tabBar(), Qt::Key_Right);
  EXPECT_EQ(f->PageControl1->currentWidget(), f->Design) << "arrow key on the tabs";
  QTest::keyClick(f->PageControl1, Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(f->PageControl1->currentWidget(), f->Design) << "Ctrl+Tab";

  GetParam().correct(*f, editor);
  ClickTab(*f, f->OutpTSheet);
  EXPECT_EQ(f->PageControl1->currentWidget(), f->OutpTSheet);
  ClickTab(*f, f->Design);
  EXPECT_EQ(f->PageControl1->currentWidget(), f->Design);
  EXPECT_EQ(rec.messages.size(), GetParam().messages);
}

INSTANTIATE_TEST_SUITE_P(
    CompformPages, PageChange,
    testing::Values(
        VetoCase{"NumericField",
                 [](TTestCompressorForm& f) -> QWidget* {
                   QLineEdit* e = f.PRdesFld->Editor();
                   e->setFocus();
                   QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
                   QTest::keyClicks(e, "75");  // above the largest pressure ratio
                   return e;
                 },
                 [](TTestCompressorForm& f, QWidget* e) {
                   QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
                   QTest::keyClicks(e, "12.5");
                   (void)f;
                 },
                 0},  // a refused entry shows inline, beside the field
        VetoCase{"GridCellBeingEdited",
                 [](TTestCompressorForm& f) -> QWidget* {
                   f.Map->setItem(1, 1, new QTableWidgetItem);
                   QLineEdit* e = EditCell(*f.Map);
                   EXPECT_NE(e, nullptr);
                   QTest::keyClicks(e, "abc");
                   return e;
                 },
                 [](TTestCompressorForm& f, QWidget*) {
                   QLineEdit* e = EditCell(*f.Map);
                   ASSERT_NE(e, nullptr);
                   QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
                   QTest::keyClicks(e, "0.5");
                 },
                 0}),
    [](const testing::TestParamInfo<VetoCase>& i) { return std::string(i.param.name); });

TEST(CompformPages, ValidFieldCommitsItsTextWhenThePageChanges) {
  RecordingHandler rec;
  auto f = NewForm<TTestCompressorForm>();
  f->show();
  f->PageControl1->setCurrentWidget(f->Design);
  QLineEdit* e = f->WdesFld->Editor();
  e->setFocus();
  QTest::keyClicks(e, "42");
  QTest::keyClick(f->PageControl1->tabBar(), Qt::Key_Right);
  EXPECT_EQ(f->PageControl1->currentWidget(), f->OutpTSheet) << "the next shown page";
  EXPECT_DOUBLE_EQ(f->WdesFld->GetValue(), 42);
  EXPECT_TRUE(rec.messages.empty());
}

// --- Identification -------------------------------------------------------------------------

struct ParIDCase {
  const char* name;
  std::string id;
  bool addNumbers;
  std::string expected;
};
// ctest shows the row by its name.
void PrintTo(const ParIDCase& c, std::ostream* os) { *os << c.name; }

class CompParID : public testing::TestWithParam<ParIDCase> {};

TEST_P(CompParID, SuffixOfOutputNames) {
  auto f = NewForm();
  f->SetCalcNumber(7);
  f->ID->SetText(GetParam().id);
  f->Ocompnrs->SetChecked(GetParam().addNumbers);
  EXPECT_EQ(f->CompParID(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(CompformID, CompParID,
                         testing::Values(ParIDCase{"TrimmedID", "  HPC1 ", true, "_HPC1"},
                                         ParIDCase{"IDWinsOverNumber", "fan", true, "_fan"},
                                         ParIDCase{"NumberWhenNoID", "", true, "_7"},
                                         ParIDCase{"BlankIDAndNoNumberIsEmpty", "   ", false, ""},
                                         ParIDCase{"NothingIsEmpty", "", false, ""}),
                         [](const testing::TestParamInfo<ParIDCase>& i) { return std::string(i.param.name); });

TEST(CompformID, FieldErrorsNameTheFieldAndTheComponent) {
  auto f = NewForm<TTestCompressorForm>();
  f->SetComponentName("HPC");
  f->SetCalcNumber(4);  // a number change relabels at once
  EXPECT_EQ(f->PRdesFld->ErrorIDstring(), "PRdesFld in Nr. 4 Component: HPC");
  EXPECT_EQ(f->Nr->ErrorIDstring(), "Nr in Nr. 4 Component: HPC");
  f->SetComponentName("LPC");
  f->ID->SetText("X");  // an ID change relabels only while the form is shown
  EXPECT_EQ(f->PRdesFld->ErrorIDstring(), "PRdesFld in Nr. 4 Component: HPC");
  f->show();
  f->ID->SetText("Y");
  EXPECT_EQ(f->PRdesFld->ErrorIDstring(), "PRdesFld in Nr. 4 Component: LPC");
  EXPECT_EQ(f->FindNumFldByCaption("W design"), f->WdesFld);
  EXPECT_EQ(f->FindNumFldByCaption("W desig"), nullptr);
  EXPECT_EQ(f->FindNumFldByCaption("Calc.Nr."), f->Nr);
}

// --- Downstream priority, outputs, measurements and links --------------------------------------

struct PriorityCase {
  const char* name;
  bool shown;
  int item;
  bool withDuct;
  TCalcOrderPriority core, duct;
};
// ctest shows the row by its name.
void PrintTo(const PriorityCase& c, std::ostream* os) { *os << c.name; }

class CheckComponent : public testing::TestWithParam<PriorityCase> {};

TEST_P(CheckComponent, DownstreamChoiceSetsTheOutletPriorities) {
  const PriorityCase& c = GetParam();
  QWidget canvas;
  TVYRcomp* icon = test::AddIcon(&canvas, "Fan");
  TVYRLink* core = test::AddLink(icon, ltOut1, 60, 20);
  TVYRLink* duct = c.withDuct ? test::AddLink(icon, ltOut2, 60, 40) : nullptr;
  core->SetCalcOrderPriority(copNone);
  if (duct) duct->SetCalcOrderPriority(copNone);
  icon->SetFormclassname("TVYRcompform");
  ASSERT_TRUE(icon->CompformCreate());
  icon->Compform->DownStrCalcPriorityRGrpFld->setVisible(c.shown);
  icon->Compform->DownStrCalcPriorityRGrpFld->SetItemIndex(c.item);
  EXPECT_TRUE(icon->Compform->CheckComponent(cmDesign));
  EXPECT_EQ(core->CalcOrderPriority(), c.core);
  if (duct) {
    EXPECT_EQ(duct->CalcOrderPriority(), c.duct);
  }
}

INSTANTIATE_TEST_SUITE_P(
    CompformLinks, CheckComponent,
    testing::Values(PriorityCase{"HiddenGroupChangesNoLink", false, 1, true, copNone, copNone},
                    PriorityCase{"CoreFirst", true, 0, true, copFirst, copLast},
                    PriorityCase{"DuctFirst", true, 1, true, copLast, copFirst},
                    PriorityCase{"MissingDuctIsSkipped", true, 1, false, copLast, copNone}),
    [](const testing::TestParamInfo<PriorityCase>& i) { return std::string(i.param.name); });

TEST(CompformOutputs, OnlyOutputChoicesCountNotTheNameOptions) {
  auto f = NewForm<TTestCompressorForm>();
  ASSERT_TRUE(f->Ocompnrs->Checked());
  EXPECT_FALSE(f->OutPutSelected()) << "\"Add comp. nrs.\" is no output";
  f->ExtraOut->SetChecked(true);
  EXPECT_TRUE(f->OutPutSelected()) << "in a group box on the page";
  f->ExtraOut->SetChecked(false);
  auto* direct = new TCheckFld(f->OutpTSheet);
  EXPECT_FALSE(f->OutPutSelected());
  direct->SetChecked(true);
  EXPECT_TRUE(f->OutPutSelected()) << "directly on the page";
}

TEST(CompformOutputs, MeasurementsPointAtTheComponentsVariables) {
  auto f = NewForm();
  double pt = 101325;
  double tt = 288.15;
  f->AddMeasurement("Pt2", pt, ptPressure, usSI);
  f->AddMeasurement("Tt2", tt, ptTemperature, usSI);
  ASSERT_EQ(f->CompPerfParameters.Count(), 2);
  EXPECT_EQ(f->CompPerfParameters.IndexOf("tt2"), 1);
  EXPECT_EQ(f->CompPerfParameters.IndexOf("Tt3"), -1);
  auto* p = dynamic_cast<TParameter*>(f->CompPerfParameters.Objects(0));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->Name, "Pt2");
  EXPECT_EQ(p->Partype, ptPressure);
  pt = 2e5;
  EXPECT_EQ(*p->Pvalue, 2e5) << "the parameter reads the variable, not a copy";
  EXPECT_THROW(f->CompPerfParameters.Objects(2), std::out_of_range);
}

TEST(CompformLinks, FarFormAndOwnPorts) {
  QWidget canvas;
  TVYRcomp* a = test::AddIcon(&canvas, "Inlet", {0, 0});
  TVYRcomp* b = test::AddIcon(&canvas, "Fan", {60, 0});
  test::AddLink(a, ltOut1, 60, 30, 2);
  test::AddLink(b, ltIn1, 0, 30, 2);
  TVYRLink* hidden = test::AddLink(b, ltCtrlin, 30, 60);
  hidden->hide();
  for (TVYRcomp* c : {a, b}) {
    c->SetFormclassname("TVYRcompform");
    ASSERT_TRUE(c->CompformCreate());
  }
  LinkAllComps({a, b});
  ASSERT_TRUE(a->SetModelLinks(false));
  ASSERT_TRUE(b->SetModelLinks(false));
  EXPECT_EQ(a->Compform->OtherModelCompform(ltOut1), b->Compform.data());
  EXPECT_EQ(b->Compform->OtherModelCompform(ltIn1), a->Compform.data());
  EXPECT_EQ(a->Compform->OtherModelCompform(ltOut2), nullptr);
  EXPECT_TRUE(b->Compform->HasLink(ltCtrlin)) << "a hidden port counts";
  EXPECT_TRUE(b->Compform->CheckLinkForOutput(ltIn1, glpPt));
  EXPECT_FALSE(b->Compform->HasLink(ltOut1));
  EXPECT_FALSE(b->Compform->CheckLinkForOutput(ltOut1, glpTt));
}

// --- Every hook's default --------------------------------------------------------------------

// A form that counts InitializeControlStates, owned by an icon with an inlet.
class TCountingForm : public TVYRcompform {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TCountingForm(QWidget* owner = nullptr) : TVYRcompform(owner) {}
  int ControlStateUpdates = 0;
  void InitializeControlStates() override { ++ControlStateUpdates; }
};

struct HookCase {
  const char* name;
  // Calls the hook and gives its result as text: "true", "false", "" for
  // none, "lines N" for the lines it appended, or the text it returned.
  std::function<std::string(TVYRcompform&)> call;
  std::string result;
  bool calculated = true;          // Calculated afterwards (it is true before)
  TCalcMode mode = cmSteadyState;  // ComponentCalcMode afterwards
  bool changesFields = false;      // the stored fields differ afterwards
  int controlStateUpdates = 0;
};
// ctest shows the row by its name.
void PrintTo(const HookCase& c, std::ostream* os) { *os << c.name; }

std::string B(bool b) { return b ? "true" : "false"; }

template <class F>
std::function<std::string(TVYRcompform&)> Lines(F section) {
  return [section](TVYRcompform& f) {
    std::vector<std::string> lines{"before"};
    (f.*section)(lines);
    return "lines " + std::to_string(lines.size() - 1);
  };
}

std::string StoredFields(const TVYRcompform& f) {
  pugi::xml_document d;
  f.WriteToXML(d.append_child("TVYRcomp"));
  std::ostringstream s;
  d.save(s);
  return s.str();
}

class HookDefault : public testing::TestWithParam<HookCase> {};

TEST_P(HookDefault, ResultAndEffect) {
  const HookCase& c = GetParam();
  RecordingHandler rec;
  ASSERT_TRUE(RegisterClass<TCountingForm>());
  QWidget canvas;
  TVYRcomp* icon = test::AddIcon(&canvas, "Duct");
  test::AddLink(icon, ltIn1, 0, 30, 2);
  icon->SetFormclassname("TCountingForm");
  ASSERT_TRUE(icon->CompformCreate());
  auto& f = static_cast<TCountingForm&>(*icon->Compform);
  f.Calculated = true;
  f.ComponentCalcMode = cmSteadyState;
  const std::string fields = StoredFields(f);

  EXPECT_EQ(c.call(f), c.result);
  EXPECT_EQ(f.Calculated, c.calculated);
  EXPECT_EQ(f.ComponentCalcMode, c.mode);
  EXPECT_EQ(StoredFields(f) != fields, c.changesFields);
  EXPECT_EQ(f.ControlStateUpdates, c.controlStateUpdates);
  EXPECT_EQ(f.CompPerfParameters.Count(), 0);
  EXPECT_TRUE(f.ErrorWarningText.empty());
  EXPECT_TRUE(rec.messages.empty());
  UnRegisterClass("TCountingForm");
}

using F = TVYRcompform;
const TCalcMode kM = cmDesign;

INSTANTIATE_TEST_SUITE_P(
    CompformHooks, HookDefault,
    testing::Values(
        HookCase{"InitializeControlStates", [](F& f) { f.TVYRcompform::InitializeControlStates(); return ""; }, ""},
        HookCase{"SetDescrLabelCaption", [](F& f) { f.SetDescrLabelCaption(); return ""; }, ""},
        HookCase{"PropActive", [](F& f) { return B(f.PropActive("_N1")); }, "true"},
        HookCase{"SetDeterioration", [](F& f) { f.SetDeterioration(kM); return ""; }, ""},
        HookCase{"SaveDeterioration", [](F& f) { f.SaveDeterioration(); return B(f.Deteriorated->Checked()); },
                 "true", true, cmSteadyState, true},
        HookCase{"SetAltDescrLabelCaption", [](F& f) { f.SetAltDescrLabelCaption(); return ""; }, ""},
        HookCase{"AfterLoad", [](F& f) { f.AfterLoad(); return f.Nr->ErrorIDstring(); },
                 "Nr in Nr. 0 Component: Comp. Name"},
        HookCase{"AfterModelLoad", [](F& f) { f.AfterModelLoad(); return ""; }, ""},
        HookCase{"ResetComp", [](F& f) { f.ResetComp(); return ""; }, ""},
        HookCase{"CompParID", [](F& f) { return f.CompParID(); }, "_0"},
        HookCase{"CalculationReset", [](F& f) { f.CalculationReset(); return ""; }, "", false},
        HookCase{"CalcInit", [](F& f) { return B(f.CalcInit()); }, "true", true, cmInit},
        HookCase{"DefineStatesAndErrors", [](F& f) { return B(f.DefineStatesAndErrors(kM)); }, "true"},
        HookCase{"DefineStatesAndErrorsDP", [](F& f) { return B(f.DefineStatesAndErrorsDP(kM)); }, "true"},
        HookCase{"SetStateFromData", [](F& f) { return B(f.SetStateFromData()); }, "true"},
        HookCase{"BeforeRunSimulation", [](F& f) { f.BeforeRunSimulation(); return ""; }, ""},
        HookCase{"CalcStart", [](F& f) { return B(f.CalcStart(kM)); }, "true"},
        HookCase{"CalcNewStateStart", [](F& f) { return B(f.CalcNewStateStart(kM)); }, "true"},
        HookCase{"CalcNewStateBegin", [](F& f) { return B(f.CalcNewStateBegin(kM)); }, "true"},
        HookCase{"CalcNewStateEnd", [](F& f) { return B(f.CalcNewStateEnd(kM)); }, "true"},
        HookCase{"CalcFinish", [](F& f) { return B(f.CalcFinish(kM)); }, "true"},
        HookCase{"CalcFinally", [](F& f) { return B(f.CalcFinally(kM)); }, "true"},
        HookCase{"CalcSimulationFinish", [](F& f) { return B(f.CalcSimulationFinish()); }, "true"},
        HookCase{"CalcAfterReset",
                 [](F& f) {
                   f.CalculationReset();
                   return B(f.Calc(kM));
                 },
                 "true", true, cmDesign},
        HookCase{"CalcEnd", [](F& f) { return B(f.CalcEnd(kM)); }, "true"},
        HookCase{"CalcListBegin", [](F& f) { return B(f.CalcListBegin(kM)); }, "true"},
        HookCase{"CalcListEnd", [](F& f) { return B(f.CalcListEnd(kM)); }, "true"},
        HookCase{"CalcModelGlobalParameterSums", [](F& f) { return B(f.CalcModelGlobalParameterSums(kM)); }, "true"},
        HookCase{"CalcAdditionalOutput", [](F& f) { return B(f.CalcAdditionalOutput(kM, true)); }, "true"},
        HookCase{"CalcAdditionalOutputEnd", [](F& f) { return B(f.CalcAdditionalOutputEnd(kM, false)); }, "true"},
        HookCase{"CalcAdditionalParsEnd", [](F& f) { return B(f.CalcAdditionalParsEnd(kM, true)); }, "true"},
        HookCase{"OutputDataTo", [](F& f) { f.OutputDataTo(otOPreport); return ""; }, ""},
        HookCase{"OutputDataToArraysEnd", [](F& f) { return B(f.OutputDataToArraysEnd()); }, "true"},
        HookCase{"GeneralDataToLines", Lines(&F::GeneralDataToLines), "lines 2"},
        HookCase{"DesignDataToLines", Lines(&F::DesignDataToLines), "lines 3"},
        HookCase{"DeteriorationDataToLines", Lines(&F::DeteriorationDataToLines), "lines 0"},
        HookCase{"TransientDataToLines", Lines(&F::TransientDataToLines), "lines 0"},
        HookCase{"FormDataToLines", Lines(&F::FormDataToLines), "lines 9"},
        HookCase{"CheckComponent", [](F& f) { return B(f.CheckComponent(kM)); }, "true"},
        HookCase{"StateErrorInfoToLines", Lines(&F::StateErrorInfoToLines), "lines 0"},
        HookCase{"StateErrorDPInfoToLines", Lines(&F::StateErrorDPInfoToLines), "lines 0"},
        HookCase{"AddMeasurementsAndConditions", [](F& f) { f.AddMeasurementsAndConditions(); return ""; }, ""},
        HookCase{"WriteOPointText", [](F& f) { f.WriteOPointText(kM); return ""; }, ""},
        HookCase{"UpdateVYRcomponentState", [](F& f) { f.UpdateVYRcomponentState(); return ""; }, "", true,
                 cmSteadyState, false, 1},
        HookCase{"GetProperties_into_ComboBox",
                 [](F& f) {
                   QComboBox box;
                   box.addItem("old");
                   f.GetProperties_into_ComboBox(&box, "_");
                   return "items " + std::to_string(box.count());
                 },
                 "items 0"},
        HookCase{"ValidateInputData", [](F& f) { return B(f.ValidateInputData()); }, "true"},
        HookCase{"CheckAllowCompInCfg", [](F& f) { return B(f.CheckAllowCompInCfg(false)); }, "true"},
        HookCase{"HasLinkPresent", [](F& f) { return B(f.HasLink(ltIn1)); }, "true"},
        HookCase{"HasLinkAbsent", [](F& f) { return B(f.HasLink(ltOut1)); }, "false"},
        HookCase{"CheckLinkForOutput", [](F& f) { return B(f.CheckLinkForOutput(ltIn1, glpW)); }, "true"},
        HookCase{"StepTime", [](F& f) { return B(f.StepTime(0.01)); }, "true"},
        HookCase{"InitTransient", [](F& f) { return B(f.InitTransient()); }, "true"},
        HookCase{"ModelOptClickWhileHidden", [](F& f) { f.ModelOptClick(); return ""; }, ""},
        HookCase{"ModelOptClickWhileShown",
                 [](F& f) {
                   f.show();
                   f.ModelOptClick();
                   f.hide();
                   return "";
                 },
                 "", true, cmSteadyState, false, 2}),
    [](const testing::TestParamInfo<HookCase>& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace vyr

#include "CompformPagesTest.moc"
