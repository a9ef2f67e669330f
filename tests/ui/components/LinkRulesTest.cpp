// Which ports may connect, their colours, and where a link sits and points.
#include <gtest/gtest.h>

#include <ostream>

#include <array>
#include <string>

#include <QWidget>

#include "IconKit.h"
#include "vyrcompl.h"

namespace vyr {
namespace {

using test::AddIcon;
using test::AddLink;

constexpr std::array<TLinktype, 8> kTypes = {ltNone, ltLine, ltIn1, ltIn2, ltOut1, ltOut2, ltCtrlin, ltCtrlout};

// Row: this link's type; column: the other's, both in ordinal order. Gas
// inlets take outlets, outlets take inlets, control ports take their
// counterpart, connector ends take anything, ltNone takes nothing.
constexpr std::array<const char*, 8> kCanLinkMatrix = {
    "00000000",  // ltNone
    "11111111",  // ltLine
    "01001100",  // ltIn1
    "01001100",  // ltIn2
    "01110000",  // ltOut1
    "01110000",  // ltOut2
    "01000001",  // ltCtrlin
    "01000010",  // ltCtrlout
};

TEST(CanLink, MatrixOfAllTypePairs) {
  QWidget canvas;
  TVYRcomp* a = AddIcon(&canvas, "A");
  TVYRcomp* b = AddIcon(&canvas, "B", {100, 0});
  TVYRLink* la = AddLink(a, ltNone, 60, 30);
  TVYRLink* lb = AddLink(b, ltNone, 0, 30);
  for (std::size_t i = 0; i < kTypes.size(); ++i)
    for (std::size_t j = 0; j < kTypes.size(); ++j) {
      la->SetLtype(kTypes[i]);
      lb->SetLtype(kTypes[j]);
      EXPECT_EQ(la->CanLink(lb), kCanLinkMatrix[i][j] == '1')
          << LinktypeName(kTypes[i]) << " to " << LinktypeName(kTypes[j]);
    }
}

// The rule table is read from the side of the link asked, so a connector end
// accepts an untyped port that will not accept it back.
TEST(CanLink, NoneAndLineAreAsymmetric) {
  QWidget canvas;
  TVYRLink* none = AddLink(AddIcon(&canvas, "A"), ltNone, 0, 0);
  TVYRLink* line = AddLink(AddIcon(&canvas, "B"), ltLine, 0, 0);
  EXPECT_TRUE(line->CanLink(none));
  EXPECT_FALSE(none->CanLink(line));
}

TEST(CanLink, HiddenOrTakenLinksNeverConnect) {
  QWidget canvas;
  TVYRLink* out = AddLink(AddIcon(&canvas, "A"), ltOut1, 60, 30);
  TVYRLink* in = AddLink(AddIcon(&canvas, "B"), ltIn1, 0, 30);
  TVYRLink* third = AddLink(AddIcon(&canvas, "C"), ltLine, 0, 30);
  ASSERT_TRUE(out->CanLink(in));
  in->hide();
  EXPECT_FALSE(out->CanLink(in));
  EXPECT_FALSE(in->CanLink(out));
  in->show();
  bool changed = false;
  out->SetLinked(in, changed);
  EXPECT_FALSE(out->CanLink(third));
  EXPECT_FALSE(third->CanLink(out));
  EXPECT_FALSE(out->CanLink(out));
}

struct ColorCase {
  const char* name;
  TLinktype type;
  TLinktype partner;  // ltNone: not linked
  QColor brush;
  QColor pen;
};

// The row's name, so that test output and ctest names never carry raw bytes.
void PrintTo(const ColorCase& c, std::ostream* os) { *os << c.name; }

class SetColorTable : public ::testing::TestWithParam<ColorCase> {};

TEST_P(SetColorTable, BrushAndPen) {
  const ColorCase& c = GetParam();
  QWidget canvas;
  TVYRLink* l = AddLink(AddIcon(&canvas, "A"), c.type, 0, 0);
  TVYRLink* p = AddLink(AddIcon(&canvas, "B"), c.partner, 0, 0);
  if (c.partner != ltNone) {
    bool changed = false;
    l->SetLinked(p, changed);
  }
  l->SetColor();
  EXPECT_EQ(l->BrushColor(), c.brush);
  EXPECT_EQ(l->PenColor(), c.pen);
}

const QColor kWhite(255, 255, 255), kBlack(0, 0, 0), kBlue(0, 0, 255);

INSTANTIATE_TEST_SUITE_P(
    Links, SetColorTable,
    ::testing::Values(ColorCase{"UnlinkedOutlet", ltOut1, ltNone, kWhite, kBlack},
                      ColorCase{"UnlinkedControl", ltCtrlin, ltNone, kWhite, kBlack},
                      ColorCase{"CtrlinLinked", ltCtrlin, ltCtrlout, kBlack, kBlack},
                      ColorCase{"CtrloutLinked", ltCtrlout, ltLine, kBlack, kBlack},
                      ColorCase{"LineToCtrlin", ltLine, ltCtrlin, kBlack, kBlack},
                      ColorCase{"LineToCtrlout", ltLine, ltCtrlout, kBlack, kBlack},
                      ColorCase{"LineToInlet", ltLine, ltIn1, kBlue, kBlue},
                      ColorCase{"LineToLine", ltLine, ltLine, kBlue, kBlue},
                      ColorCase{"OutletToInlet", ltOut1, ltIn2, kBlue, kBlue}),
    [](const ::testing::TestParamInfo<ColorCase>& info) { return std::string(info.param.name); });

struct PlaceCase {
  const char* name;
  int left;
  int top;
  TLinkLoc loc;
};

// The row's name, so that test output and ctest names never carry raw bytes.
void PrintTo(const PlaceCase& c, std::ostream* os) { *os << c.name; }

class LinkLocTable : public ::testing::TestWithParam<PlaceCase> {};

// On a 70 by 70 icon, a link within 2 pixels of an edge sits on that edge;
// top wins over left, left over right, right over bottom.
TEST_P(LinkLocTable, SideOfIcon) {
  const PlaceCase& c = GetParam();
  QWidget canvas;
  TVYRLink* l = AddLink(AddIcon(&canvas, "A"), ltIn1, c.left, c.top);
  EXPECT_EQ(l->LinkLoc(), c.loc);
}

INSTANTIATE_TEST_SUITE_P(Icon70, LinkLocTable,
                         ::testing::Values(PlaceCase{"Top", 30, 0, llTop}, PlaceCase{"TopLeftCorner", 0, 0, llTop},
                                           PlaceCase{"TopAt1", 30, 1, llTop}, PlaceCase{"Left", 0, 30, llLeft},
                                           PlaceCase{"LeftAt1", 1, 30, llLeft}, PlaceCase{"Right", 60, 30, llRight},
                                           PlaceCase{"RightGap1", 59, 30, llRight},
                                           PlaceCase{"Bottom", 30, 60, llBottom},
                                           PlaceCase{"BottomGap1", 30, 59, llBottom},
                                           PlaceCase{"BottomLeftCorner", 0, 60, llLeft},
                                           PlaceCase{"BottomGap2IsNoEdge", 30, 58, llRight},
                                           PlaceCase{"Centre", 30, 30, llRight}),
                         [](const ::testing::TestParamInfo<PlaceCase>& info) { return std::string(info.param.name); });

TEST(LinkLoc, WithoutIconIsRightAndArrowPointsRight) {
  TVYRLink l;
  l.SetLtype(ltIn1);
  l.move(0, 0);
  EXPECT_EQ(l.LinkLoc(), llRight);
  EXPECT_EQ(l.ArrowDir(), adRight);
}

struct ArrowCase {
  const char* name;
  TLinktype type;
  int left;
  int top;
  TArrowdir dir;
};

// The row's name, so that test output and ctest names never carry raw bytes.
void PrintTo(const ArrowCase& c, std::ostream* os) { *os << c.name; }

class ArrowDirTable : public ::testing::TestWithParam<ArrowCase> {};

// Arrows point into the icon at inputs and out of it at outputs; connector
// ends and untyped links point right.
TEST_P(ArrowDirTable, Direction) {
  const ArrowCase& c = GetParam();
  QWidget canvas;
  TVYRLink* l = AddLink(AddIcon(&canvas, "A"), c.type, c.left, c.top);
  EXPECT_EQ(l->ArrowDir(), c.dir);
}

INSTANTIATE_TEST_SUITE_P(
    Icon70, ArrowDirTable,
    ::testing::Values(
        ArrowCase{"In1Right", ltIn1, 60, 30, adLeft}, ArrowCase{"In2Left", ltIn2, 0, 30, adRight},
        ArrowCase{"CtrlinTop", ltCtrlin, 30, 0, adDown}, ArrowCase{"In1Bottom", ltIn1, 30, 60, adUp},
        ArrowCase{"Out1Right", ltOut1, 60, 30, adRight}, ArrowCase{"Out2Left", ltOut2, 0, 30, adLeft},
        ArrowCase{"Out1Top", ltOut1, 30, 0, adUp}, ArrowCase{"CtrloutBottom", ltCtrlout, 30, 60, adDown},
        ArrowCase{"LineTop", ltLine, 30, 0, adRight}, ArrowCase{"NoneLeft", ltNone, 0, 30, adRight},
        ArrowCase{"LineBottom", ltLine, 30, 60, adRight}),
    [](const ::testing::TestParamInfo<ArrowCase>& info) { return std::string(info.param.name); });

TEST(LinkNames, IDstringsAndMemberNamesRoundTrip) {
  TVYRLink l;
  l.SetLtype(ltOut2);
  EXPECT_EQ(l.LinkIDstr(), "Link: ltOut2");
  for (TLinktype t : kTypes) {
    TLinktype back = ltNone;
    ASSERT_TRUE(LinktypeFromName(LinktypeName(t), back));
    EXPECT_EQ(back, t);
  }
  TLinktype t = ltIn1;
  EXPECT_FALSE(LinktypeFromName("ltin1", t));
  EXPECT_EQ(t, ltIn1);
}

TEST(LinkCreate, DefaultsOfANewLink) {
  TVYRLink l;
  EXPECT_EQ(l.size(), QSize(10, 10));
  EXPECT_EQ(l.Ltype(), ltNone);
  EXPECT_FALSE(l.Linked);
  EXPECT_EQ(l.StationLab, nullptr);
  EXPECT_EQ(l.StationString(), "");
  EXPECT_EQ(l.CalcOrderPriority(), copLast);
}

}  // namespace
}  // namespace vyr
