// General utilities on widgets: the visibility rules and the activity decision
// table, enabling of numeric fields, grid lookups, font texts, cloning.
#include <gtest/gtest.h>

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QVBoxLayout>

#include "VYRutils.h"

namespace vyr::test {

// --- Visibility ----------------------------------------------------------------

// A form that is never shown: every answer comes from the controls' own flags.
class VisibilityForm : public ::testing::Test {
 protected:
  VisibilityForm() {
    onForm = new QLineEdit(&form);
    hiddenOnForm = new QLineEdit(&form);
    hiddenOnForm->hide();
    tag8Hidden = new QLineEdit(&form);
    tag8Hidden->hide();
    SetControlTag(tag8Hidden, 8);
    tabs = new QTabWidget(&form);
    pageA = new QWidget;
    pageB = new QWidget;
    pageC = new QWidget;
    tabs->addTab(pageA, "A");
    tabs->addTab(pageB, "B");
    tabs->addTab(pageC, "C");
    tabs->setTabVisible(1, false);
    onA = new QLineEdit(pageA);
    onB = new QLineEdit(pageB);
    onC = new QLineEdit(pageC);  // on a page that is not the current one
    hiddenGroup = new QGroupBox(pageA);
    hiddenGroup->hide();
    inHiddenGroup = new QLineEdit(hiddenGroup);
    group = new QGroupBox(pageA);
    panel = new QWidget(group);
    inPanel = new QLineEdit(panel);
    groupOnB = new QGroupBox(pageB);
    inGroupOnB = new QLineEdit(groupOnB);
  }
  QDialog form;
  QLineEdit *onForm, *hiddenOnForm, *tag8Hidden, *onA, *onB, *onC, *inHiddenGroup, *inPanel, *inGroupOnB;
  QTabWidget* tabs;
  QWidget *pageA, *pageB, *pageC, *panel;
  QGroupBox *hiddenGroup, *group, *groupOnB;
};

TEST_F(VisibilityForm, DecidedByTheOwnFlagsNotTheScreen) {
  struct Row {
    const char* what;
    QWidget* control;
    bool visible;
  };
  const Row rows[] = {
      {"on the form", onForm, true},
      {"hidden on the form", hiddenOnForm, false},
      {"hidden with tag 8", tag8Hidden, true},
      {"tab page with visible tab", pageA, true},
      {"tab page with hidden tab", pageB, false},
      {"page that is not current", pageC, true},
      {"on a visible tab", onA, true},
      {"on a hidden tab", onB, false},
      {"on a page that is not current", onC, true},
      {"in a hidden group", inHiddenGroup, false},
      {"in a panel in a group", inPanel, true},
      {"in a group on a hidden tab", inGroupOnB, false},
  };
  ASSERT_FALSE(form.isVisible());
  for (const Row& r : rows)
    EXPECT_EQ(InputControlVisible(r.control), r.visible) << r.what;
  panel->hide();
  EXPECT_FALSE(InputControlVisible(inPanel));
}

// --- Activity decision table --------------------------------------------------------

struct ActiveCase {
  const char* name;
  int tag;
  TColor font;
  bool visible;
  bool B1, B2, B3, B4, B5, B6;
  TSimulationType sim;
  bool expected;
};

void PrintTo(const ActiveCase& c, std::ostream* os) { *os << c.name; }

class ActiveForCfgAndCase : public ::testing::TestWithParam<ActiveCase> {};

TEST_P(ActiveForCfgAndCase, FollowsTheDecisionTable) {
  const ActiveCase& c = GetParam();
  QDialog form;
  QLineEdit edit(&form);
  SetControlTag(&edit, c.tag);
  SetControlFontColor(&edit, c.font);
  edit.setHidden(!c.visible);
  EXPECT_EQ(InputControlActiveForCfgAndCase(&edit, c.B1, c.B2, c.B3, c.B4, c.B5, c.B6, c.sim), c.expected);
}

constexpr TColor WT = clWindowText;  // font colour of off-design cases
constexpr TColor NV = clNavy;        // font colour of design-point cases
constexpr TColor RD = 0x0000FF;      // any other colour

INSTANTIATE_TEST_SUITE_P(
    Table, ActiveForCfgAndCase,
    ::testing::Values(
        //           name                       tag font vis   B1     B2     B3     B4     B5     B6    sim   result
        ActiveCase{"Tag9Always", 9, RD, false, false, false, false, false, false, false, stOD, true},
        ActiveCase{"Tag0B1WindowText", 0, WT, false, true, false, false, false, false, false, stDP, true},
        ActiveCase{"Tag0NoB1", 0, WT, true, false, true, false, true, false, false, stOD, false},
        ActiveCase{"Tag0B1NavyOffDesign", 0, NV, true, true, true, false, false, false, false, stOD, false},
        ActiveCase{"Tag0B1NavyDesign", 0, NV, true, true, true, false, false, false, false, stDP, true},
        ActiveCase{"TagMinus1", -1, WT, true, true, true, false, true, true, true, stOD, false},
        ActiveCase{"Invisible", 5, WT, false, true, true, false, true, false, false, stOD, false},
        ActiveCase{"NoB2", 5, WT, true, true, false, false, true, false, false, stOD, false},
        ActiveCase{"NavyOffDesignNoB6", 5, NV, true, true, true, false, true, false, false, stOD, false},
        ActiveCase{"NavyOffDesignB6", 5, NV, true, true, true, false, false, false, true, stOD, true},
        ActiveCase{"B3SmallTag", 5, RD, true, false, true, true, false, false, false, stOD, true},
        ActiveCase{"B3Tag4", 4, RD, true, false, true, true, false, false, false, stOD, false},
        ActiveCase{"B3OwnCaseTag", 11, RD, true, false, true, true, false, false, false, stDP, true},
        ActiveCase{"B3Tag33", 33, RD, true, false, true, true, false, false, false, stDP, true},
        ActiveCase{"B3Tag34Design", 34, RD, true, false, true, true, false, false, false, stDP, false},
        ActiveCase{"B3Tag34OffDesign", 34, RD, true, false, true, true, false, false, false, stOD, true},
        ActiveCase{"B3Tag11OffDesignB6", 11, RD, true, false, true, true, false, false, true, stOD, true},
        ActiveCase{"B3Tag11OffDesign", 11, RD, true, false, true, true, false, true, false, stOD, false},
        ActiveCase{"B3Tag22DesignB5", 22, RD, true, false, true, true, false, true, false, stDP, true},
        ActiveCase{"B3Tag22Design", 22, RD, true, false, true, true, false, false, true, stDP, false},
        ActiveCase{"B3OtherTag", 50, RD, true, false, true, true, true, true, true, stDP, false},
        ActiveCase{"NoB3Tag34", 34, RD, true, false, true, false, false, false, false, stDP, true},
        ActiveCase{"NoB3B4", 22, RD, true, false, true, false, true, false, false, stDP, true},
        ActiveCase{"NoB3Tag11", 11, RD, true, false, true, false, false, false, false, stDP, true},
        ActiveCase{"NoB3Tag22", 22, RD, true, false, true, false, false, false, false, stDP, false}),
    [](const ::testing::TestParamInfo<ActiveCase>& i) { return std::string(i.param.name); });

TEST(ControlFontColor, DefaultIsWindowTextAndSetColoursComeBack) {
  QLineEdit edit;
  TNumFld num;
  EXPECT_EQ(ControlFontColor(&edit), clWindowText);
  EXPECT_EQ(ControlFontColor(&num), clWindowText);
  SetControlFontColor(&num, clNavy);
  EXPECT_EQ(ControlFontColor(&num), clNavy);
  EXPECT_EQ(num.FontColor(), QColor(0, 0, 128));
}

// --- Enabling -----------------------------------------------------------------------

TEST(InputNumFldControlEnabled, WalksUpToTheStopControl) {
  QDialog form;
  QWidget outer(&form);
  QWidget inner(&outer);
  TNumFld field(&inner);
  EXPECT_TRUE(InputNumFldControlEnabled(&field, &form));
  outer.setEnabled(false);
  EXPECT_FALSE(InputNumFldControlEnabled(&field, &form));
  EXPECT_TRUE(InputNumFldControlEnabled(&field, &inner)) << "the walk stops before the disabled parent";
  field.SetEnableOverride(true);
  EXPECT_TRUE(InputNumFldControlEnabled(&field, &form));
  field.SetEnableOverride(false);
  outer.setEnabled(true);
  field.setEnabled(false);
  EXPECT_FALSE(InputNumFldControlEnabled(&field, &form));
}

// --- Grids --------------------------------------------------------------------------

class LookupGrid : public ::testing::Test {
 protected:
  LookupGrid() {
    grid.SetSize(3, 4);
    grid.SetFixedRows(1);
    grid.GetColumn(0)->TextColumn = true;
    grid.GetColumn(2)->TextColumn = true;
    grid.SetCells(0, 0, "Point");
    grid.SetCells(0, 1, "Idle");
    grid.SetCells(0, 2, "Take-off");
    grid.SetCells(0, 3, "idle");
    grid.SetDValues(1, 1, 0.1 + 0.2);
    grid.SetDValues(1, 2, 1500);
    grid.SetCells(2, 2, "max");
  }
  TNumGrid grid;
};

TEST_F(LookupGrid, RowsAndStringsByKey) {
  EXPECT_EQ(GridStringLookupRow(&grid, 0, "IDLE"), 1) << "first match, without regard to case";
  EXPECT_EQ(GridStringLookupRow(&grid, 0, "take-OFF"), 2);
  EXPECT_EQ(GridStringLookupRow(&grid, 0, "cruise"), -1);
  EXPECT_EQ(GridStringLookupRow(&grid, 1, "1500"), -1) << "not a text column";
  EXPECT_EQ(GridStringLookupRow(&grid, 7, "Idle"), -1);
  std::string value = "unchanged";
  EXPECT_TRUE(GridStringLookupString(&grid, 0, 1, "idle", value));
  EXPECT_EQ(value, "0.3") << "a number in general format";
  EXPECT_TRUE(GridStringLookupString(&grid, 0, 2, "Take-off", value));
  EXPECT_EQ(value, "max");
  value = "unchanged";
  EXPECT_FALSE(GridStringLookupString(&grid, 0, 2, "cruise", value));
  EXPECT_FALSE(GridStringLookupString(&grid, 1, 2, "1500", value));
  EXPECT_EQ(value, "unchanged");
}

TEST_F(LookupGrid, ComboFitsTheCellAndTakesItsText) {
  QWidget parent;
  grid.setParent(&parent);
  grid.setGeometry(10, 20, 300, 200);
  QComboBox list(&parent);
  list.addItems({"min", "max"});
  FitComboBoxToGridCell(&list, &grid, 2, 2, false);
  EXPECT_EQ(list.currentText(), "max");
  const QRect cell = grid.visualRect(grid.model()->index(2, 2));
  EXPECT_EQ(list.size(), cell.size());
  EXPECT_EQ(list.pos(), grid.viewport()->mapTo(&parent, cell.topLeft()));
  QComboBox edit(&parent);
  edit.setEditable(true);
  edit.hide();
  FitComboBoxToGridCell(&edit, &grid, 0, 2, true);
  EXPECT_EQ(edit.currentText(), "Take-off");
  EXPECT_FALSE(edit.isHidden());
  grid.setParent(nullptr);  // the fixture owns the grid
}

// --- Fonts -------------------------------------------------------------------------

TEST(FontText, RoundTripsAndKeepsDefaultsForBadFields) {
  const std::string arial = "Arial,10,B,0,clBlack,1";
  EXPECT_EQ(FontToString(*StringToFont(arial)), arial);
  const std::string many = "Courier New,12,BIUS,2,$00563412,0";
  EXPECT_EQ(FontToString(*StringToFont(many)), many);

  const std::unique_ptr<TFont> courier = StringToFont("Courier New; 9");
  EXPECT_EQ(courier->Font.family(), "Courier New");
  EXPECT_EQ(courier->Font.pointSize(), 9);
  const TFont defaults;
  EXPECT_TRUE(FontStyles(courier->Font).empty());
  EXPECT_EQ(courier->Pitch, defaults.Pitch);
  EXPECT_EQ(courier->Color, defaults.Color);
  EXPECT_EQ(courier->Charset, defaults.Charset);

  const std::unique_ptr<TFont> bad = StringToFont(" Arial ; x ; ub ; y ; no colour ; z ; extra , more");
  EXPECT_EQ(bad->Font.family(), "Arial");
  EXPECT_EQ(bad->Font.pointSize(), defaults.Font.pointSize());
  EXPECT_EQ(FontStylesToString(FontStyles(bad->Font)), "BU");
  EXPECT_EQ(bad->Color, defaults.Color);
  EXPECT_EQ(FontToString(*StringToFont("")), FontToString(defaults));
}

// --- Components ---------------------------------------------------------------------

TEST(CloneComponent, CopiesPropertiesTagsChildrenAndHandlers) {
  QWidget form;
  QWidget target(&form);
  auto* group = new QGroupBox("Design", &form);
  group->setObjectName("DesignGroup");
  SetControlTag(group, 11);
  auto* field = new TNumFld(group);
  field->setObjectName("PRdes");
  field->SetParType(ptPressure);
  field->SetLabelCaption("PR");
  field->SetValue(101325);
  field->SetMin(0);
  SetControlTag(field, 22);
  int sourceChanges = 0;
  field->OnChange = [&](QObject*) { ++sourceChanges; };
  auto* label = new QLabel("note", group);
  label->hide();

  QObject* made = CloneComponent(group, true, &target, &form);
  auto* clone = qobject_cast<QGroupBox*>(made);
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(clone->parentWidget(), &target);
  EXPECT_EQ(clone->title(), "Design");
  EXPECT_TRUE(clone->objectName().isEmpty()) << "the name is not copied";
  EXPECT_EQ(ControlTag(clone), 11);
  auto* f = clone->findChild<TNumFld*>();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->GetValue(), 101325);
  EXPECT_EQ(f->ParType(), ptPressure);
  EXPECT_EQ(f->LabelCaption(), "PR");
  EXPECT_EQ(f->Min(), 0);
  EXPECT_EQ(ControlTag(f), 22);
  EXPECT_EQ(f->findChildren<QLineEdit*>().size(), 1) << "the field's own editor is not cloned again";
  auto* l = clone->findChild<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->text(), "note");
  EXPECT_TRUE(l->isHidden());
  f->SetValue(1);
  EXPECT_EQ(sourceChanges, 1) << "the clone's change event goes to the source's handler";
  EXPECT_EQ(IndexOfComponent(&target, clone), 0);
  EXPECT_EQ(IndexOfComponent(&target, group), -1);

  auto* flat = qobject_cast<QGroupBox*>(CloneComponent(group, false, &target, &form));
  ASSERT_NE(flat, nullptr);
  EXPECT_TRUE(flat->findChildren<QWidget*>().isEmpty());
  EXPECT_THROW(CloneComponent(nullptr, false, nullptr, nullptr), EAssertionFailed);
}

TEST(PAnsiCharFromUnicode, GivesUtf8ThatOutlivesFurtherCalls) {
  const char* a = PAnsiCharFromUnicode(QString::fromUtf8("T\xC3\xA4\xE2\x82\xAC"));
  for (int i = 0; i < 10; ++i)
    PAnsiCharFromUnicode(QString::number(i));
  EXPECT_STREQ(a, "T\xC3\xA4\xE2\x82\xAC");
}

}  // namespace vyr::test
