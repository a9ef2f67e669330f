// The forms of the gas-path component library as the host sees them: by
// class name, through their properties, fields, model-file elements, data
// report and input check.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <QWidget>

#include "ClassRegistry.h"
#include "Fuels.h"
#include "GaspathTestEnv.h"
#include "VyrNativeXml.h"
#include "common/RecordingHandler.h"
#include "vyrcompf.h"
#include "vyrcompl.h"

namespace vyr {
namespace {

struct TFormCase {
  const char* name;       // row name
  const char* iconClass;  // registered icon class
  std::vector<std::string> design;   // GetPropertyList(.., "__")
  std::vector<std::string> results;  // GetPropertyList(.., "_")
  std::vector<TLinktype> links;      // link types of a new icon, in child order
};

void PrintTo(const TFormCase& c, std::ostream* os) { *os << c.name; }

std::vector<std::string> D(std::initializer_list<const char*> names) {
  std::vector<std::string> v;
  for (const char* n : names) v.push_back(std::string(n) + " : Double");
  return v;
}

const TFormCase kForms[] = {
    {"Ambient", "TAmbientComp", D({"Altdes", "Machdes", "dTdes"}), D({"Ps0", "Ts0", "V0", "FN"}), {ltOut1}},
    {"Inlet", "TInletComp", D({"Wdes", "PRdes"}), D({"W", "Pt", "Tt"}), {ltIn1, ltOut1}},
    {"Duct", "TDuctComp", D({"dPdes"}), D({"PR", "Pt"}), {ltIn1, ltOut1}},
    {"Compressor", "TCompressorComp",
     D({"PRdes", "Effdes", "ShaftNrdes", "Bleed1des", "Bleed2des", "Bleed3des", "InMachdes", "OutMachdes"}),
     D({"Eff", "EffPoly", "PW", "Tt", "Pt"}), {ltIn1, ltOut1}},
    {"Splitter", "TSplitterComp", D({"BPRdes"}), D({"Wcore", "Wbypass"}), {ltIn1, ltOut2, ltOut1}},
    {"Burner", "TBurnerComp", D({"Texitdes", "Effdes", "dPdes", "Tfueldes"}),
     D({"FAR", "Wf", "Pt"}), {ltIn1, ltOut1}},
    {"Turbine", "TTurbineComp", D({"Effdes", "ShaftNrdes"}), D({"PR", "Eff", "EffPoly", "PW", "Tt"}),
     {ltIn1, ltOut1}},
    {"Nozzle", "TNozzleComp", D({"CVdes", "CDdes"}), D({"FG", "FGp", "A8", "A9", "V9"}), {ltIn1}},
    {"Shaft", "TShaftComp", D({"ShaftNrdes", "Ndes", "EffMechdes", "PWoffdes"}), D({"PWc", "PWt"}), {}},
};

class GaspathForm : public ::testing::TestWithParam<TFormCase> {
 protected:
  void SetUp() override {
    icon_ = CreateRegisteredClass<TVYRcomp>(GetParam().iconClass, &canvas_);
    ASSERT_NE(icon_, nullptr);
    ASSERT_TRUE(icon_->CompformCreate());
    form_ = icon_->Compform;
    form_->SetComponentName(GetParam().name);
    form_->SetCalcNumber(3);
  }
  QWidget canvas_;
  TVYRcomp* icon_ = nullptr;
  TVYRcompform* form_ = nullptr;
};

// A new icon carries the ports of its type; its properties are listed in
// their two groups.
TEST_P(GaspathForm, LinksAndPropertyLists) {
  std::vector<TLinktype> links;
  for (const TVYRLink* l : icon_->Links()) links.push_back(l->Ltype());
  EXPECT_EQ(links, GetParam().links);
  EXPECT_EQ(icon_->CompType(), links.empty() ? ctNoLink : ctModelComp);
  std::vector<std::string> design, results;
  form_->GetPropertyList(design, "__");
  form_->GetPropertyList(results, "_");
  EXPECT_EQ(design, GetParam().design);
  EXPECT_EQ(results, GetParam().results);
}

// Each design property is the value of the form's field of the same name:
// written by name, it is the field's value, stands in the data report, and
// comes back from the model-file element into a new form.
TEST_P(GaspathForm, DesignPropertiesAreFieldsReportedAndStored) {
  TVyrXmlDocument doc;
  TVyrXmlNode node = doc.Document().append_child("TVYRcomp");
  std::vector<std::pair<std::string, double>> written;
  for (const std::string& entry : GetParam().design) {
    const std::string field = entry.substr(0, entry.find(' '));
    auto* f = dynamic_cast<TNumFld*>(form_->FindField(field));
    ASSERT_NE(f, nullptr) << field;
    // A value inside the field's range that differs from its default.
    const double lo = std::max(f->Min(), -1e6), hi = std::min(f->Max(), 1e6);
    double v = lo + 0.37 * (hi - lo);
    if (f->IntegerOnly()) v = std::round(v);
    form_->SetPropertyValue(entry, v);
    EXPECT_EQ(f->GetValue(), v) << field;
    EXPECT_EQ(form_->GetPropertyValue(entry), v) << field;
    written.emplace_back(entry, v);
  }
  EXPECT_TRUE(form_->ValidateInputData()) << form_->ErrorWarningText;
  std::vector<std::string> lines;
  form_->DesignDataToLines(lines);
  for (const auto& [entry, v] : written) {
    auto* f = dynamic_cast<TNumFld*>(form_->FindField(entry.substr(0, entry.find(' '))));
    const std::string prefix = f->LabelCaption() + " : ";
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }))
        << prefix;
  }
  form_->WriteToXML(node);
  QWidget other;
  auto* copy = CreateRegisteredClass<TVYRcompform>(icon_->Formclassname(), &other);
  ASSERT_NE(copy, nullptr);
  ASSERT_TRUE(copy->ReadFromXML(node));
  for (const auto& [entry, v] : written) EXPECT_EQ(copy->GetPropertyValue(entry), v) << entry;
}

// Every numeric input that means something with the current options is
// refused outside its range, with its caption in the message, and the message
// names the component.
TEST_P(GaspathForm, OutOfRangeInputsAreRefused) {
  for (TNumFld* f : form_->NumFields()) {
    if (f == form_->Nr || !form_->PropActive("__" + f->objectName().toStdString())) continue;
    const double old = f->GetValue();
    for (double bad : {f->Min() - 1.0, f->Max() + 1.0, std::nan("")}) {
      if (std::isinf(bad)) continue;
      test::RecordingHandler rec;
      f->SetValue(bad);
      EXPECT_FALSE(form_->ValidateInputData()) << f->LabelCaption() << " = " << bad;
      EXPECT_NE(form_->ErrorWarningText.find(f->LabelCaption()), std::string::npos) << form_->ErrorWarningText;
      EXPECT_NE(form_->ErrorWarningText.find(form_->IDstr()), std::string::npos);
      EXPECT_EQ(rec.messages.size(), 1u);
    }
    f->SetValue(old);
  }
  EXPECT_TRUE(form_->ValidateInputData()) << form_->ErrorWarningText;
}

INSTANTIATE_TEST_SUITE_P(Forms, GaspathForm, ::testing::ValuesIn(kForms),
                         [](const auto& info) { return std::string(info.param.name); });

// Inputs that the options make meaningless are not listed, checked or
// reported: the user fuel's data with a table fuel, a bleed's place without
// its flow.
TEST(GaspathFormRules, OptionsShowTheInputsTheyNeed) {
  QWidget canvas;
  test::RecordingHandler rec;
  auto* burner = CreateRegisteredClass<TVYRcompform>("TBurnerForm", &canvas);
  auto listed = [](TVYRcompform* f) {
    std::vector<std::string> l;
    f->GetPropertyList(l, "__");
    return l;
  };
  auto lhv = dynamic_cast<TNumFld*>(burner->FindField("LHVdes"));
  lhv->SetValue(-1.0);
  EXPECT_TRUE(burner->ValidateInputData()) << "a table fuel needs no heating value";
  EXPECT_FALSE(lhv->isEnabled());
  dynamic_cast<TRadioGrpFld*>(burner->FindField("Fuel"))->SetItemIndex(ftUserSpec);
  EXPECT_TRUE(lhv->isEnabled());
  EXPECT_EQ(listed(burner).size(), 7u);
  EXPECT_FALSE(burner->ValidateInputData()) << "the user fuel's heating value is checked";
  auto* comp = CreateRegisteredClass<TVYRcompform>("TCompressorForm", &canvas);
  comp->SetPropertyValue("Bleed2des", 0.05);
  const std::vector<std::string> l = listed(comp);
  EXPECT_EQ(std::count(l.begin(), l.end(), "Bleed2dHdes : Double"), 1);
  EXPECT_EQ(std::count(l.begin(), l.end(), "Bleed1dHdes : Double"), 0);
}

// Rules among inputs beyond their ranges.
TEST(GaspathFormRules, BleedsAndNozzleStations) {
  QWidget canvas;
  test::RecordingHandler rec;
  auto* comp = CreateRegisteredClass<TVYRcompform>("TCompressorForm", &canvas);
  comp->SetPropertyValue("Bleed1des", 0.5);
  comp->SetPropertyValue("Bleed2des", 0.5);
  EXPECT_FALSE(comp->ValidateInputData()) << "bleeds take all the flow";
  comp->SetPropertyValue("Bleed2des", 0.4);
  EXPECT_TRUE(comp->ValidateInputData()) << comp->ErrorWarningText;
  auto* nozzle = CreateRegisteredClass<TVYRcompform>("TNozzleForm", &canvas);
  dynamic_cast<TNumFld*>(nozzle->FindField("ExitStation"))->SetValue(8);
  EXPECT_FALSE(nozzle->ValidateInputData()) << "throat and exit at one station";
}

}  // namespace
}  // namespace vyr
