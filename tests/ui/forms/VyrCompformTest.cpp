// The component form base: identification, creation by class name from the
// icon, and what the icon reads from its form.
#include <gtest/gtest.h>

#include <string>

#include <QLabel>
#include <QPointer>
#include <QWidget>

#include "ClassRegistry.h"
#include "common/RecordingHandler.h"
#include "vyrcompf.h"
#include "vyrcompl.h"

namespace vyr {

// A form as a component library would derive and register it.
class TTestTurbineForm : public TVYRcompform {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TTestTurbineForm(QWidget* owner = nullptr) : TVYRcompform(owner) {}
};

namespace {

using test::RecordingHandler;

TVYRcomp* IconWithForm(QWidget* canvas, const std::string& formClass, TCompType type = ctModelComp) {
  auto* c = new TVYRcomp(canvas);
  c->setObjectName(QStringLiteral("Icon1"));
  c->SetCompType(type);
  c->SetFormclassname(formClass);
  return c;
}

TEST(VYRcompform, IdentificationStrings) {
  TVYRcompform form;
  EXPECT_EQ(form.windowTitle(), "VYR component form");
  EXPECT_EQ(form.ComponentName(), "Comp. Name");
  form.SetComponentName("HPC");
  form.SetCalcNumber(7);
  EXPECT_EQ(form.IDstr(), "Nr. 7 Component: HPC");
  EXPECT_EQ(form.ShortIDstr(), "HPC") << "no icon: the component name";
  form.Nr->SetValue(6.6);
  EXPECT_EQ(form.CalcNumber(), 7) << "rounded";
  EXPECT_TRUE(form.Nr->ReadOnly());
  EXPECT_TRUE(form.Nr->IntegerOnly());
  EXPECT_EQ(form.Nr->Min(), -32768);
  EXPECT_EQ(form.Nr->Max(), 32767);
  EXPECT_EQ(form.CompName->GetIDstring(), "Name");
}

TEST(VYRcompform, RegisteredAtLoadAndCreatedByName) {
  ASSERT_NE(FindClass("TVYRcompform"), nullptr);
  ASSERT_NE(FindClass("TVYRcomp"), nullptr);
  ASSERT_NE(FindClass("TVYRLink"), nullptr);
  QWidget owner;
  TVYRcompform* f = CreateRegisteredClass<TVYRcompform>("tvyrcompform", &owner);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->parentWidget(), &owner);
  EXPECT_EQ(CreateRegisteredClass<TVYRcompform>("TVYRLink", &owner), nullptr);
}

TEST(CompformCreate, BaseAndDerivedClassByName) {
  ASSERT_TRUE(RegisterClass<TTestTurbineForm>());
  RecordingHandler rec;
  QWidget canvas;
  for (const char* cls : {"TVYRcompform", "TTestTurbineForm"}) {
    TVYRcomp* c = IconWithForm(&canvas, cls);
    ASSERT_TRUE(c->CompformCreate()) << cls;
    ASSERT_NE(c->Compform, nullptr);
    EXPECT_EQ(c->Compform->parentWidget(), c);
    EXPECT_STREQ(c->Formclass->className(), c->Compform->metaObject()->className());
    EXPECT_TRUE(c->Compform->IsCreated());
    EXPECT_EQ(c->Compform->Icon(), c);
  }
  EXPECT_TRUE(rec.messages.empty());
  UnRegisterClass("TTestTurbineForm");
}

TEST(CompformCreate, ConnectorAndUnknownClassAreRefused) {
  RecordingHandler rec;
  QWidget canvas;
  TVYRcomp* line = IconWithForm(&canvas, "TVYRcompform", ctLineLink);
  EXPECT_FALSE(line->CompformCreate());
  EXPECT_EQ(line->Compform, nullptr);
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].Text,
            "Cannot create a form for LineLink component.\r\nThis error should not occur, please report to ORB VYR "
            "team.");
  EXPECT_EQ(rec.messages[0].DlgType, mtError);

  for (const char* cls : {"TNoSuchForm", "TVYRLink", ""}) {
    rec.messages.clear();
    TVYRcomp* c = IconWithForm(&canvas, cls);
    EXPECT_FALSE(c->CompformCreate()) << cls;
    EXPECT_EQ(c->Compform, nullptr);
    ASSERT_EQ(rec.messages.size(), 1u);
    EXPECT_EQ(rec.messages[0].Text, std::string("Component data form could not be Created!\rComponent Formclassname \"") +
                                        cls +
                                        "\" invalid/unknown.\rCheck if any Custom component libraries (*.BPL "
                                        "files) used for Model\rare present in VYR directory.");
  }
}

TEST(IconAndForm, IDstringsNumberLabelAndCalcNr) {
  QWidget canvas;
  TVYRcomp* c = IconWithForm(&canvas, "TVYRcompform");
  EXPECT_EQ(c->CompIDstr(), "Icon1");
  EXPECT_EQ(c->ShortIDstr(), "Icon1");
  EXPECT_EQ(c->MessageIDstr(), "Component \"Icon1\"");
  EXPECT_EQ(c->CalcNr(), -1);
  ASSERT_TRUE(c->CompformCreate());
  c->Compform->SetComponentName("HPT");
  c->Compform->SetCalcNumber(12);
  EXPECT_EQ(c->CompIDstr(), "Nr. 12 Component: HPT");
  EXPECT_EQ(c->ShortIDstr(), "HPT");
  EXPECT_EQ(c->Compform->ShortIDstr(), "HPT");
  EXPECT_EQ(c->CalcNr(), 12);

  c->CreateCompLab();
  ASSERT_NE(c->CompLab, nullptr);
  EXPECT_EQ(c->CompLab->objectName(), "CompLab");
  EXPECT_EQ(c->CompLab->geometry(), QRect(70 - 10 - c->CompLab->width(), 0, c->CompLab->width(), 24));
  EXPECT_TRUE(c->CompLab->font().bold());
  (void)c->grab();  // painting the icon shows the number
  EXPECT_EQ(c->CompLab->text(), "12");
  EXPECT_FALSE(c->CompLab->isHidden());
  EXPECT_EQ(c->MessageIDstr(), "Nr. 12 Component \"HPT\"");

  c->SetCompType(ctLineLink);
  EXPECT_EQ(c->CalcNr(), -1);
  EXPECT_EQ(c->ShortIDstr(), "Icon1");
  c->SetCompType(ctNoGpLink);
  EXPECT_EQ(c->CalcNr(), 12);
  c->DeleteCompLab();
  EXPECT_EQ(c->CompLab, nullptr);
  c->SetNoComponentLabelCreate(true);
  c->CreateCompLab();
  EXPECT_EQ(c->CompLab, nullptr);
}

TEST(IconAndForm, EditFormShowsTheFormOrSaysThereIsNone) {
  RecordingHandler rec;
  QWidget canvas;
  TVYRcomp* c = IconWithForm(&canvas, "TVYRcompform");
  EXPECT_EQ(c->EditForm("ID"), 0);
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].Text, "Component has no form !");

  ASSERT_TRUE(c->CompformCreate());
  TFieldForm* shown = nullptr;
  TShowModalHandler previous = SetShowModalHandler([&](TFieldForm& f) {
    shown = &f;
    return static_cast<int>(mrOk);
  });
  EXPECT_EQ(c->EditForm("ID"), mrOk);
  EXPECT_EQ(shown, c->Compform.data());
  SetShowModalHandler(previous);
}

TEST(IconAndForm, TheIconOwnsItsForm) {
  QWidget canvas;
  TVYRcomp* c = IconWithForm(&canvas, "TVYRcompform");
  ASSERT_TRUE(c->CompformCreate());
  QPointer<TVYRcompform> form = c->Compform.data();
  delete c;
  EXPECT_TRUE(form.isNull());
}

TEST(IconAndForm, FormFieldsShareTheIconsElement) {
  QWidget canvas;
  TVYRcomp* c = IconWithForm(&canvas, "TVYRcompform");
  ASSERT_TRUE(c->CompformCreate());
  c->Compform->SetComponentName("LPC");
  c->Compform->SetCalcNumber(3);
  pugi::xml_document doc;
  TVyrXmlNode cfg = doc.append_child("BaseCfg");
  WriteCompsToXML({c}, cfg);
  TVyrXmlNode node = cfg.child("Components").child("TVYRcomp");
  EXPECT_EQ(std::string(node.attribute("ID").value()), "Icon1");
  EXPECT_EQ(std::string(node.attribute("FormClassName").value()), "TVYRcompform");
  EXPECT_EQ(std::string(node.attribute("CompType").value()), "ctModelComp");
  EXPECT_EQ(std::string(node.attribute("Name").value()), "LPC");
  EXPECT_EQ(std::string(node.attribute("Nr").value()), "3");

  QWidget canvas2;
  std::vector<TVYRcomp*> loaded = ReadCompsFromXML(cfg, &canvas2);
  ASSERT_EQ(loaded.size(), 1u);
  ASSERT_NE(loaded[0]->Compform, nullptr);
  EXPECT_EQ(loaded[0]->CompIDstr(), "Nr. 3 Component: LPC");
}

}  // namespace
}  // namespace vyr

#include "VyrCompformTest.moc"
