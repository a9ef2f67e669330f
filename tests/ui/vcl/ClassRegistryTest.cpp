// The class registry: register, find (ASCII case ignored), create, refuse a
// second class under a taken name, unregister.
#include <gtest/gtest.h>

#include <memory>

#include <QDialog>
#include <QWidget>

#include "ClassRegistry.h"

namespace vyr::test {

class TRegistryProbeForm : public QDialog {
  Q_OBJECT
 public:
  explicit TRegistryProbeForm(QWidget* parent = nullptr) : QDialog(parent) {}
};

class TRegistryOtherForm : public QDialog {
  Q_OBJECT
 public:
  explicit TRegistryOtherForm(QWidget* parent = nullptr) : QDialog(parent) {}
};

TEST(ClassRegistry, RegisterFindCreateUnregister) {
  ASSERT_TRUE(RegisterClass<TRegistryProbeForm>());
  EXPECT_TRUE(RegisterClass<TRegistryProbeForm>()) << "the same class again is harmless";
  EXPECT_FALSE(RegisterClass<TRegistryOtherForm>("tregistryprobeform")) << "a taken name keeps its class";

  const TRegisteredClass* c = FindClass("TREGISTRYPROBEFORM");
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->ClassName, "TRegistryProbeForm");

  QWidget owner;
  auto* form = CreateRegisteredClass<QDialog>("TRegistryProbeForm", &owner);
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->parent(), &owner) << "the owner frees the instance";
  EXPECT_NE(qobject_cast<TRegistryProbeForm*>(form), nullptr);
  EXPECT_EQ(CreateRegisteredClass<TRegistryOtherForm>("TRegistryProbeForm", &owner), nullptr)
      << "an instance of another type is never handed out";

  EXPECT_TRUE(UnRegisterClass("tRegistryProbeForm"));
  EXPECT_EQ(FindClass("TRegistryProbeForm"), nullptr);
  EXPECT_EQ(CreateRegisteredClass<QDialog>("TRegistryProbeForm", &owner), nullptr);
  EXPECT_FALSE(UnRegisterClass("TRegistryProbeForm"));
  EXPECT_TRUE(RegisterClass<TRegistryOtherForm>("TRegistryProbeForm")) << "a freed name can be taken";
  EXPECT_TRUE(UnRegisterClass("TRegistryProbeForm"));
}

TEST(ClassRegistry, RefusesIncompleteEntries) {
  EXPECT_FALSE(RegisterClass("", &QDialog::staticMetaObject, [](QWidget* p) -> QObject* { return new QDialog(p); }));
  EXPECT_FALSE(RegisterClass("X", nullptr, [](QWidget* p) -> QObject* { return new QDialog(p); }));
  EXPECT_FALSE(RegisterClass("X", &QDialog::staticMetaObject, TClassFactory{}));
  EXPECT_EQ(FindClass("X"), nullptr);
}

}  // namespace vyr::test

#include "ClassRegistryTest.moc"
