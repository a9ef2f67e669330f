// The component library window: registered at load, created by name, its
// scroll box fills it above the status bar with the version text.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QScrollArea>
#include <QStatusBar>

#include "ClassRegistry.h"
#include "complibfrm.h"

namespace vyr::test {

TEST(Complibform, RegisteredAtLoadAndLaidOut) {
  auto* form = CreateRegisteredClass<TComplibform>("TComplibform");
  ASSERT_NE(form, nullptr) << "registered when the library was loaded";
  std::unique_ptr<TComplibform> owner(form);
  EXPECT_EQ(form->windowTitle(), "Component library form");
  EXPECT_TRUE(form->DockingKey().isNull());
  form->SetVersionText("Compressors 2.1");
  EXPECT_EQ(form->StatusBar()->currentMessage(), "Compressors 2.1");

  form->resize(300, 400);
  form->show();
  QCoreApplication::processEvents();
  const QRect box = form->ScrollBox()->geometry();
  const QRect bar = form->StatusBar()->geometry();
  EXPECT_EQ(box.top(), 0);
  EXPECT_EQ(box.width(), 300);
  EXPECT_EQ(box.bottom() + 1, bar.top()) << "scroll box fills everything above the status bar";
  EXPECT_EQ(bar.bottom() + 1, 400);
}

}  // namespace vyr::test
