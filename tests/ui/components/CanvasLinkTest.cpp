// Linking a whole canvas by the position index, against linking every pair of
// icons; relinking one moved icon; copying label properties.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <QLabel>
#include <QWidget>

#include "IconKit.h"
#include "SampleEngine.h"
#include "vyrcompl.h"

namespace vyr {
namespace {

using test::AddIcon;
using test::AddLink;

std::map<std::string, std::string> Connections(const std::vector<TVYRcomp*>& comps) {
  std::map<std::string, std::string> m;
  for (TVYRcomp* c : comps)
    for (TVYRLink* l : c->Links())
      if (l->Linked && l->Otherlink)
        m[c->objectName().toStdString() + "." + l->objectName().toStdString()] =
            l->Otherlink->Icon()->objectName().toStdString() + "." + l->Otherlink->objectName().toStdString();
  return m;
}

// A field of icons with all four port kinds, jittered by up to 12 pixels so
// that link pairs fall on both sides of the proximity thresholds and across
// the cells of the index, negative coordinates included.
std::vector<TVYRcomp*> JitteredField(QWidget* canvas) {
  std::uint32_t seed = 12345;
  auto jitter = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<int>((seed >> 16) % 25) - 12;
  };
  std::vector<TVYRcomp*> comps;
  for (int r = 0; r < 8; ++r)
    for (int k = 0; k < 12; ++k) {
      TVYRcomp* c = AddIcon(canvas, "C" + std::to_string(r) + "_" + std::to_string(k),
                            {-300 + k * 60 + jitter(), -200 + r * 60 + jitter()}, k % 5 == 4 ? ctLineLink : ctModelComp);
      if (k % 5 == 4) {
        AddLink(c, ltLine, 0, 30);
        AddLink(c, ltLine, 60, 30)->setObjectName("ltLine2");
      } else {
        AddLink(c, ltIn1, 0, 30);
        AddLink(c, ltOut1, 60, 30);
        AddLink(c, ltCtrlin, 30, 0);
        AddLink(c, ltCtrlout, 30, 60);
      }
      comps.push_back(c);
    }
  return comps;
}

TEST(LinkAllComps, SameConnectionsAsEveryPairInOrder) {
  QWidget indexed;
  QWidget pairwise;
  std::vector<TVYRcomp*> a = JitteredField(&indexed);
  std::vector<TVYRcomp*> b = JitteredField(&pairwise);
  LinkAllComps(a);
  for (std::size_t i = 0; i < b.size(); ++i)
    for (std::size_t j = i + 1; j < b.size(); ++j) {
      bool modified = false;
      b[i]->TryLinkwithComp(b[j], modified);
    }
  const auto ca = Connections(a);
  EXPECT_EQ(ca, Connections(b));
  EXPECT_GT(ca.size(), 100u) << "the field links a good part of its ports";
}

TEST(RelinkComp, MovedIconLeavesAndRejoinsItsNeighbours) {
  QWidget canvas;
  std::vector<TVYRcomp*> comps = sample::BuildEngine(&canvas);
  LinkAllComps(comps);
  TVYRcomp* hpt = comps[4];
  ASSERT_EQ(hpt->objectName(), "HPT");
  TVYRcomp* burner = comps[2];
  const auto linked = Connections(comps);

  const QPoint home = hpt->pos();
  hpt->move(home + QPoint(0, 20));
  EXPECT_FALSE(RelinkComp(hpt, comps));
  EXPECT_FALSE(hpt->GetLink(ltIn1)->Linked);
  EXPECT_FALSE(burner->GetLink(ltOut1)->Linked);
  EXPECT_TRUE(burner->GetLink(ltIn1)->Linked) << "links away from the moved icon stay";

  hpt->move(home);
  EXPECT_FALSE(RelinkComp(hpt, comps));
  EXPECT_EQ(Connections(comps), linked);
}

TEST(AssignLabel, CopiesWhatTheLabelShows) {
  QWidget icon;
  QLabel source(QStringLiteral("HPC"), &icon);
  source.setObjectName(QStringLiteral("Descr"));
  source.setProperty("Tag", 1);
  source.setToolTip(QStringLiteral("High-pressure compressor"));
  source.setGeometry(5, 50, 60, 14);
  QFont f(QStringLiteral("Arial"), 9);
  f.setItalic(true);
  source.setFont(f);
  source.setAlignment(Qt::AlignHCenter);
  source.setWordWrap(true);
  source.hide();
  QLabel target(&icon);
  TVYRcomp::AssignLabel(&target, &source);
  EXPECT_EQ(target.objectName(), "Descr");
  EXPECT_EQ(target.property("Tag").toInt(), 1);
  EXPECT_EQ(target.toolTip(), source.toolTip());
  EXPECT_EQ(target.text(), "HPC");
  EXPECT_EQ(target.geometry(), source.geometry());
  EXPECT_EQ(target.font(), f);
  EXPECT_EQ(target.alignment(), source.alignment());
  EXPECT_TRUE(target.wordWrap());
  EXPECT_TRUE(target.isHidden());
  TVYRcomp::AssignLabel(nullptr, &source);  // nothing to copy to
}

}  // namespace
}  // namespace vyr
