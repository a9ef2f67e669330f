// A model with component forms saved and loaded again: the icons, their links
// and stations and every field of the forms come back, so that saving the
// loaded model gives the same elements.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "ClassRegistry.h"
#include "common/RecordingHandler.h"
#include "components/IconKit.h"
#include "forms/FormKit.h"
#include "vyrcompf.h"
#include "vyrcompl.h"

namespace vyr {
namespace {

using test::AddIcon;
using test::AddLink;
using test::RecordingHandler;
using test::TTestCompressorForm;
using test::TTestHPCForm;

class CompformModelFile : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(RegisterClass<TTestCompressorForm>());
    ASSERT_TRUE(RegisterClass<TTestHPCForm>());
  }
  void TearDown() override {
    UnRegisterClass("TTestCompressorForm");
    UnRegisterClass("TTestHPCForm");
  }
};

TVYRcomp* Component(QWidget* canvas, const char* name, QPoint pos, const char* formClass) {
  TVYRcomp* c = AddIcon(canvas, name, pos);
  c->SetFormclassname(formClass);
  return c;
}

// Every field away from its create-form value.
void FillIn(TVYRcompform& f, int nr, const std::string& name) {
  f.SetCalcNumber(nr);
  f.SetComponentName(name);
  f.ID->SetText(name.substr(0, 2));
  f.Remarks->SetLines({"Design <from> rig & \"test\"", "", "  indented line"});
  f.Deteriorated->SetChecked(true);
  f.Ocompnrs->SetChecked(false);
  f.DownStrCalcPriorityRGrpFld->SetItemIndex(1);
  if (auto* c = qobject_cast<TTestCompressorForm*>(&f)) {
    c->ModelOpt->SetItemIndex(1);
    c->SpeedFld->SetValue(0.9 + nr / 1000.0);
    c->PRdesFld->SetValue(4.1 + nr / 3.0);  // digits that need the shortest round trip
    c->WdesFld->SetValue(20.0 * nr);
    c->EtadesFld->SetValue(0.8617);
    c->Map->SetCells(0, 0, "Beta");
    c->Map->SetDValues(1, 2, 0.125 * nr);
    c->ExtraOut->SetChecked(true);
  }
}

TEST_F(CompformModelFile, SavedAndLoadedModelComparesEqual) {
  RecordingHandler rec;
  QWidget canvas;
  TVYRcomp* inlet = Component(&canvas, "Inlet", {0, 0}, "TVYRcompform");
  TVYRcomp* lpc = Component(&canvas, "LPC", {60, 0}, "TTestCompressorForm");
  TVYRcomp* hpc = Component(&canvas, "HPC", {120, 0}, "TTestHPCForm");
  AddLink(inlet, ltOut1, 60, 30, 2);
  AddLink(lpc, ltIn1, 0, 30, 2);
  AddLink(lpc, ltOut1, 60, 30, 25);
  AddLink(hpc, ltIn1, 0, 30, 25);
  AddLink(hpc, ltOut1, 60, 30, 3);
  AddLink(hpc, ltOut2, 60, 50, 13)->SetStationString("13a");
  std::vector<TVYRcomp*> comps{inlet, lpc, hpc};
  int nr = 1;
  for (TVYRcomp* c : comps) {
    ASSERT_TRUE(c->CompformCreate());
    FillIn(*c->Compform, nr++, c->objectName().toStdString());
  }
  ASSERT_FALSE(LinkAllComps(comps));

  pugi::xml_document doc;
  TVyrXmlNode cfg = doc.append_child("VYRmodel").append_child("BaseCfg");
  WriteCompsToXML(comps, cfg);
  TVyrXmlDocument file;
  ASSERT_TRUE(file.LoadFromString([&] {
    std::ostringstream s;
    doc.save(s);
    return s.str();
  }(), "engine.mdl"));

  QWidget canvas2;
  std::vector<TVYRcomp*> loaded = ReadCompsFromXML(file.Root().child("BaseCfg"), &canvas2);
  ASSERT_EQ(loaded.size(), 3u);
  EXPECT_FALSE(LinkAllComps(loaded));
  EXPECT_TRUE(rec.messages.empty());

  pugi::xml_document again;
  TVyrXmlNode cfg2 = again.append_child("VYRmodel").append_child("BaseCfg");
  WriteCompsToXML(loaded, cfg2);
  TXmlNodeList differing;
  EXPECT_TRUE(TVyrXmlNode(doc.first_child()).IsEqualToKQ(again.first_child(), xcoAll, &differing))
      << differing.size() << " elements differ, first " << (differing.empty() ? "" : differing[0].name());

  // The loaded forms hold the values, not only the elements.
  for (std::size_t i = 0; i < comps.size(); ++i) {
    const TVYRcompform& a = *comps[i]->Compform;
    const TVYRcompform& b = *loaded[i]->Compform;
    EXPECT_STREQ(b.metaObject()->className(), a.metaObject()->className());
    EXPECT_EQ(b.IDstr(), a.IDstr());
    EXPECT_EQ(b.CompParID(), a.CompParID());
    EXPECT_EQ(b.Remarks->Lines(), a.Remarks->Lines());
    EXPECT_TRUE(b.Deteriorated->Checked());
    EXPECT_FALSE(b.Ocompnrs->Checked());
    EXPECT_EQ(b.DownStrCalcPriorityRGrpFld->ItemIndex(), 1);
    EXPECT_EQ(b.ModelOpt->ItemIndex(), a.ModelOpt->ItemIndex());
  }
  auto& hpc2 = static_cast<const TTestHPCForm&>(*loaded[2]->Compform);
  EXPECT_EQ(hpc2.PRdes(), static_cast<const TTestHPCForm&>(*hpc->Compform).PRdes());
  EXPECT_EQ(hpc2.Map->GetDValues(1, 2), 0.375);
  EXPECT_EQ(hpc2.Map->Cells(0, 0), "Beta");
  EXPECT_EQ(loaded[1]->Compform->OtherModelCompform(ltOut1), nullptr) << "links resolve after SetModelLinks";
  ASSERT_TRUE(loaded[1]->SetModelLinks(false));
  EXPECT_EQ(loaded[1]->Compform->OtherModelCompform(ltOut1), loaded[2]->Compform.data());
  EXPECT_EQ(loaded[2]->GetLink(ltOut2)->StationString(), "13a");
}

}  // namespace
}  // namespace vyr
