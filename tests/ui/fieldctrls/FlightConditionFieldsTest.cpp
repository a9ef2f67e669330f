// Flight-condition fields: each record value reaches its own field and comes
// back from it; null fields are skipped both ways.
#include <gtest/gtest.h>

#include <array>
#include <memory>

#include <QTest>

#include "FlightConditionFields.h"
#include "common/RecordingHandler.h"

namespace vyr::test {

namespace {

// A record whose ten values all differ, so that any swapped pair shows.
TAmbConditions Distinct() {
  TAmbConditions a;
  a.Zp = 1;
  a.dTs = 2;
  a.Ps = 3;
  a.Ts = 4;
  a.Rho = 5;
  a.Pt = 6;
  a.Tt = 7;
  a.Vt = 8;
  a.Vc = 9;
  a.Mach = 10;
  return a;
}

struct TenFields {
  std::array<std::unique_ptr<TNumFld>, 10> f;
  TenFields() {
    for (auto& p : f)
      p = std::make_unique<TNumFld>();
  }
  TNumFld* operator[](int i) const { return f[static_cast<std::size_t>(i)].get(); }
};

}  // namespace

TEST(FlightConditionFields, MachComesBeforeTheAirspeeds) {
  TenFields t;
  const TAmbConditions a = Distinct();
  SetFields(a, t[0], t[1], t[2], t[3], t[4], t[5], t[6], t[7], t[8], t[9]);
  const std::array<double, 10> expected{a.Zp, a.dTs, a.Ps, a.Ts, a.Rho, a.Pt, a.Tt, a.Mach, a.Vt, a.Vc};
  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(t[i]->GetValue(), expected[static_cast<std::size_t>(i)]) << "F" << i + 1;

  TAmbConditions back;
  GetFields(back, t[0], t[1], t[2], t[3], t[4], t[5], t[6], t[7], t[8], t[9]);
  EXPECT_EQ(back.Mach, a.Mach);
  EXPECT_EQ(back.Vt, a.Vt);
  EXPECT_EQ(back.Vc, a.Vc);
  EXPECT_EQ(back.Zp, a.Zp);
  EXPECT_EQ(back.Rho, a.Rho);
  EXPECT_EQ(back.Tt, a.Tt);
}

TEST(FlightConditionFields, NullFieldsAreSkipped) {
  TenFields t;
  t[7]->SetValue(-1);
  TAmbConditions a = Distinct();
  SetFields(a, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, t[8], nullptr);
  EXPECT_EQ(t[8]->GetValue(), a.Vt);
  EXPECT_EQ(t[7]->GetValue(), -1);
  t[9]->SetValue(99);
  GetFields(a, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, t[9]);
  const TAmbConditions d = Distinct();
  EXPECT_EQ(a.Vc, 99);
  EXPECT_EQ(a.Mach, d.Mach);
  EXPECT_EQ(a.Vt, d.Vt);
  EXPECT_EQ(a.Zp, d.Zp);
}

// Text typed but not yet taken over is what the user sees; GetFields reads
// it, and a refused entry leaves the field's value.
TEST(FlightConditionFields, GetFieldsTakesOverTextStillBeingTyped) {
  test::RecordingHandler rec;
  TenFields t;
  t[0]->SetValue(1000);
  t[0]->SetMax(80000);
  t[7]->SetValue(0.5);
  const auto type = [](TNumFld* f, const char* text) {
    f->Editor()->selectAll();
    QTest::keyClicks(f->Editor(), text);
  };
  type(t[0], "2000");
  type(t[7], "0.8");
  TAmbConditions a;
  GetFields(a, t[0], t[1], t[2], t[3], t[4], t[5], t[6], t[7], t[8], t[9]);
  EXPECT_EQ(a.Zp, 2000);
  EXPECT_EQ(a.Mach, 0.8);
  type(t[0], "90000");
  GetFields(a, t[0], t[1], t[2], t[3], t[4], t[5], t[6], t[7], t[8], t[9]);
  EXPECT_EQ(a.Zp, 2000) << "refused";
  EXPECT_NE(t[0]->Problem(), "");
  EXPECT_TRUE(rec.messages.empty());
}

}  // namespace vyr::test
