// Connecting icons: proximity, station agreement, the connector walk, link
// checks, model links and what deleting an icon leaves behind.
#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

#include <QGuiApplication>
#include <QSignalSpy>
#include <QWidget>

#include "IconKit.h"
#include "common/RecordingHandler.h"
#include "vyrcompl.h"

namespace vyr {
namespace {

using test::AddIcon;
using test::AddLink;
using test::RecordingHandler;
using test::RunPosted;
using test::ScriptedNumInput;

// --- Proximity ----------------------------------------------------------------

struct ProximityCase {
  const char* name;
  int dx;  // offset of B's inlet from A's outlet [px]
  int dy;
  bool links;
};

// The row's name, so that test output and ctest names never carry raw bytes.
void PrintTo(const ProximityCase& c, std::ostream* os) { *os << c.name; }

class Proximity : public ::testing::TestWithParam<ProximityCase> {};

// Close means less than 11 pixels in one direction and less than 9 in the other.
TEST_P(Proximity, OutletMeetsInlet) {
  const ProximityCase& c = GetParam();
  QWidget canvas;
  TVYRcomp* a = AddIcon(&canvas, "A", {200, 200});
  TVYRcomp* b = AddIcon(&canvas, "B", {200 + 60 + c.dx, 200 + c.dy});
  TVYRLink* out = AddLink(a, ltOut1, 60, 30);
  TVYRLink* in = AddLink(b, ltIn1, 0, 30);
  bool modified = true;
  a->TryLinkwithComp(b, modified);
  EXPECT_FALSE(modified);
  EXPECT_EQ(out->Linked, c.links);
  EXPECT_EQ(in->Linked, c.links);
  if (c.links) {
    EXPECT_EQ(out->Otherlink, in);
    EXPECT_EQ(in->Otherlink, out);
    EXPECT_EQ(out->OtherComp, b);
    EXPECT_EQ(in->OtherComp, a);
  }
  // The grid index of LinkAllComps agrees with the pairwise test.
  a->Unlink();
  LinkAllComps({a, b});
  EXPECT_EQ(out->Linked, c.links);
}

INSTANTIATE_TEST_SUITE_P(
    Thresholds, Proximity,
    ::testing::Values(ProximityCase{"Same", 0, 0, true}, ProximityCase{"Dx8Dy10", 8, 10, true},
                      ProximityCase{"Dx10Dy8", 10, 8, true}, ProximityCase{"Dx10Dy10", 10, 10, false},
                      ProximityCase{"Dx9Dy9", 9, 9, false}, ProximityCase{"Dx8Dy11", 8, 11, false},
                      ProximityCase{"Dx11Dy8", 11, 8, false}, ProximityCase{"DxMinus8DyMinus10", -8, -10, true},
                      ProximityCase{"DxMinus10DyMinus10", -10, -10, false}, ProximityCase{"Dx0Dy10", 0, 10, true},
                      ProximityCase{"Dx10Dy0", 10, 0, true}, ProximityCase{"Dx0Dy11", 0, 11, false},
                      ProximityCase{"Dx11Dy0", 11, 0, false}),
    [](const ::testing::TestParamInfo<ProximityCase>& info) { return std::string(info.param.name); });

// --- Station agreement ---------------------------------------------------------

struct StationCase {
  const char* name;
  double mine;     // station of the linking outlet
  double theirs;   // station of the inlet it meets
  bool myLabel;    // the outlet has a station label
  bool theirLabel;
  bool asks;       // a question is posted
  double mineAfter;
  double theirsAfter;
};

// The row's name, so that test output and ctest names never carry raw bytes.
void PrintTo(const StationCase& c, std::ostream* os) { *os << c.name; }

class StationAgreement : public ::testing::TestWithParam<StationCase> {};

// The linking side counts as numbered from -0.1 up, the far side only above
// -0.1. Questions are answered 7 here.
TEST_P(StationAgreement, DirectConnection) {
  const StationCase& c = GetParam();
  QWidget canvas;
  TVYRcomp* a = AddIcon(&canvas, "A");
  TVYRcomp* b = AddIcon(&canvas, "B", {60, 0});
  TVYRLink* out = AddLink(a, ltOut1, 60, 30, c.mine);
  TVYRLink* in = AddLink(b, ltIn1, 0, 30, c.theirs);
  if (c.myLabel) out->CreateStationLab();
  if (c.theirLabel) in->CreateStationLab();
  ScriptedNumInput dialog({{true, 7.0}});
  bool changed = false;
  out->SetLinked(in, changed);
  EXPECT_EQ(changed, c.asks);
  EXPECT_TRUE(dialog.requests.empty()) << "asked inside the linking call";
  if (c.asks) {
    EXPECT_EQ(out->Station(), in->Station()) << "the sides disagree until the question is answered";
  }
  RunPosted();
  EXPECT_EQ(dialog.requests.size(), c.asks ? 1u : 0u);
  EXPECT_DOUBLE_EQ(out->Station(), c.mineAfter);
  EXPECT_DOUBLE_EQ(in->Station(), c.theirsAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, StationAgreement,
    ::testing::Values(
        StationCase{"UnnumberedTakesFar", -1, 3, true, true, false, 3, 3},
        StationCase{"MinusPoint1MeetsMinusPoint1", -0.1, -0.1, true, true, false, -0.1, -0.1},
        StationCase{"MinusPoint2TakesMinusPoint05", -0.2, -0.05, true, true, false, -0.05, -0.05},
        StationCase{"MinusPoint05IsNumbered", -0.05, 3, true, true, true, 7, 7},
        StationCase{"MinusPoint1IsNumberedHere", -0.1, 3, true, false, true, 7, 7},
        StationCase{"FarMinusPoint1IsNotNumbered", 4, -0.1, true, true, false, 4, -0.1},
        StationCase{"EqualNumbersAskNothing", 3, 3, true, true, false, 3, 3},
        StationCase{"FarAsksWhenMineHasNoLabel", 2, 3, false, true, true, 7, 7},
        StationCase{"NoLabelsNoQuestion", 2, 3, false, false, false, 2, 3},
        StationCase{"BothUnnumbered", -0.11, -0.5, true, true, false, -0.11, -0.5}),
    [](const ::testing::TestParamInfo<StationCase>& info) { return std::string(info.param.name); });

TEST(StationQuestion, PromptCaptionAndBounds) {
  QWidget canvas;
  TVYRcomp* a = AddIcon(&canvas, "HPC");
  TVYRcomp* b = AddIcon(&canvas, "Burner", {60, 0});
  TVYRLink* out = AddLink(a, ltOut2, 60, 30, 3);
  TVYRLink* in = AddLink(b, ltIn1, 0, 30, 4);
  out->CreateStationLab();
  ScriptedNumInput dialog({{true, 31.5}});
  bool changed = false;
  out->SetLinked(in, changed);
  ASSERT_TRUE(out->StationQuestionPending());
  RunPosted();
  EXPECT_FALSE(out->StationQuestionPending());
  ASSERT_EQ(dialog.requests.size(), 1u);
  const TNumInputRequest& r = dialog.requests[0];
  EXPECT_EQ(r.Prompt, "Enter  Out2  station number:");
  EXPECT_EQ(r.Caption, QGuiApplication::applicationDisplayName().toStdString() + "  HPC");
  EXPECT_EQ(r.HelpCtx, 27060);
  EXPECT_EQ(r.Lower, 0.0);
  EXPECT_EQ(r.Upper, 10000.0);
  EXPECT_EQ(r.Value, 3.0);
  EXPECT_EQ(r.Format.DecimalSeparator, '.');
  EXPECT_DOUBLE_EQ(out->Station(), 31.5);
  EXPECT_DOUBLE_EQ(in->Station(), 31.5);
}

// The proposed number holds for both sides from the moment of linking: for a
// host that never runs the event loop, and after a Cancel.
TEST(StationQuestion, CancelKeepsTheProposedNumberOnBothSides) {
  QWidget canvas;
  TVYRLink* out = AddLink(AddIcon(&canvas, "A"), ltOut1, 60, 30, 3);
  TVYRLink* in = AddLink(AddIcon(&canvas, "B", {60, 0}), ltIn1, 0, 30, 4);
  out->CreateStationLab();
  ScriptedNumInput dialog({{false, 99}});
  bool changed = false;
  out->SetLinked(in, changed);
  EXPECT_TRUE(changed);
  EXPECT_DOUBLE_EQ(in->Station(), 3) << "no event loop has run yet";
  RunPosted();
  ASSERT_EQ(dialog.requests.size(), 1u);
  EXPECT_DOUBLE_EQ(out->Station(), 3);
  EXPECT_DOUBLE_EQ(in->Station(), 3);
  in->SetStation(4);  // disagreeing again, by hand
  EXPECT_FALSE(out->GetStationNr());
  EXPECT_DOUBLE_EQ(in->Station(), 3) << "Cancel leaves the proposed number on both sides";
}

// A question still posted when its link goes away is dropped with the link.
TEST(StationQuestion, DroppedWithItsLink) {
  QWidget canvas;
  TVYRcomp* a = AddIcon(&canvas, "A");
  TVYRLink* out = AddLink(a, ltOut1, 60, 30, 3);
  TVYRLink* in = AddLink(AddIcon(&canvas, "B", {60, 0}), ltIn1, 0, 30, 4);
  out->CreateStationLab();
  ScriptedNumInput dialog({{true, 5}});
  bool changed = false;
  out->SetLinked(in, changed);
  delete a;
  RunPosted();
  EXPECT_TRUE(dialog.requests.empty());
  EXPECT_FALSE(in->Linked);
}

TEST(StationQuestion, ThroughAConnectorTheFarInletGetsTheNumber) {
  QWidget canvas;
  TVYRcomp* a = AddIcon(&canvas, "A");
  TVYRcomp* line = AddIcon(&canvas, "Line", {60, 30}, ctLineLink);
  TVYRcomp* b = AddIcon(&canvas, "B", {120, 0});
  TVYRLink* out = AddLink(a, ltOut1, 60, 30, 5);
  TVYRLink* e1 = AddLink(line, ltLine, 0, 0);
  TVYRLink* e2 = AddLink(line, ltLine, 60, 0);
  TVYRLink* in = AddLink(b, ltIn1, 0, 30, -1);
  bool changed = false;
  out->SetLinked(e1, changed);   // far end still open: the connector end takes 5
  EXPECT_DOUBLE_EQ(e1->Station(), 5);
  e2->SetLinked(in, changed);    // unnumbered connector end meets an unnumbered inlet
  EXPECT_DOUBLE_EQ(in->Station(), -1);
  in->Unlink();
  in->SetLinked(e2, changed);    // the inlet, unnumbered, takes the outlet's number
  EXPECT_DOUBLE_EQ(in->Station(), 5);
  TVYRLink* far = nullptr;
  EXPECT_EQ(in->OtherModelComp(far), a);
  EXPECT_EQ(far, out);
  EXPECT_EQ(in->OtherCompLink, out);
}

// --- Connector walk --------------------------------------------------------------

// Links a and b both ways.
void Join(TVYRLink* a, TVYRLink* b) {
  bool changed = false;
  a->SetLinked(b, changed);
}

TEST(ConnectorWalk, ClosedLoopIsReportedOnceThenNullUntilRelinked) {
  QWidget canvas;
  RecordingHandler rec;
  TVYRcomp* c1 = AddIcon(&canvas, "C1", {}, ctLineLink);
  TVYRcomp* c2 = AddIcon(&canvas, "C2", {}, ctLineLink);
  TVYRLink* a = AddLink(c1, ltLine, 0, 0);
  TVYRLink* b = AddLink(c1, ltLine, 60, 0);
  TVYRLink* c = AddLink(c2, ltLine, 0, 0);
  TVYRLink* d = AddLink(c2, ltLine, 60, 0);
  Join(a, c);
  Join(b, d);
  // A healthy pair elsewhere on the canvas.
  TVYRcomp* x = AddIcon(&canvas, "X");
  TVYRcomp* y = AddIcon(&canvas, "Y", {60, 0});
  TVYRLink* xo = AddLink(x, ltOut1, 60, 30);
  TVYRLink* yi = AddLink(y, ltIn1, 0, 30);
  Join(xo, yi);
  ASSERT_TRUE(rec.messages.empty());

  TVYRLink* far = xo;
  EXPECT_EQ(a->OtherModelComp(far), nullptr);
  EXPECT_EQ(far, nullptr);
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].Text, "Circular reference with Link: ltLine");
  EXPECT_EQ(rec.messages[0].DlgType, mtError);
  EXPECT_TRUE(CircularReference());

  EXPECT_EQ(xo->OtherModelComp(far), nullptr) << "every walk is null after the report";
  EXPECT_EQ(a->OtherModelComp(far), nullptr);
  EXPECT_EQ(rec.messages.size(), 1u);

  bool modified = false;
  x->TryLinkwithComp(y, modified);
  EXPECT_FALSE(CircularReference());
  EXPECT_EQ(xo->OtherModelComp(far), y);
  EXPECT_EQ(far, yi);
}

// A loop behind junctions that each also lead out to a model component: every
// such exit ends a nested walk and resets the chain start, so the start link
// is never met again and, without a depth limit, the walk would recurse until
// the stack ran out.
TEST(ConnectorWalk, LoopWithExitsEndsAtTheDepthLimit) {
  QWidget canvas;
  RecordingHandler rec;
  TVYRLink* xo = AddLink(AddIcon(&canvas, "X"), ltOut1, 60, 30);
  TVYRLink* zi = AddLink(AddIcon(&canvas, "Z"), ltIn1, 0, 30);
  TVYRcomp* junction = AddIcon(&canvas, "J", {}, ctLineLink);
  TVYRLink* j1 = AddLink(junction, ltLine, 0, 0);
  TVYRLink* j3 = AddLink(junction, ltLine, 30, 0);
  TVYRLink* j2 = AddLink(junction, ltLine, 60, 0);
  TVYRcomp* loop = AddIcon(&canvas, "C", {}, ctLineLink);
  TVYRLink* ce = AddLink(loop, ltLine, 30, 0);
  TVYRLink* ca = AddLink(loop, ltLine, 0, 0);
  TVYRLink* cb = AddLink(loop, ltLine, 60, 0);
  Join(xo, j1);
  Join(ce, zi);
  Join(j2, ca);
  Join(cb, j3);
  rec.messages.clear();
  ClearCircularReference();
  TVYRLink* far = nullptr;
  EXPECT_EQ(xo->OtherModelComp(far), nullptr);
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].Text, "Circular reference with Link: ltLine");
  EXPECT_TRUE(CircularReference());
  ClearCircularReference();
}

TEST(ConnectorWalk, ChainLengthUpToTheLimit) {
  for (int n : {1, 50, MaxConnectorChainDepth + 50}) {
    QWidget canvas;
    RecordingHandler rec;
    TVYRcomp* x = AddIcon(&canvas, "X");
    TVYRcomp* y = AddIcon(&canvas, "Y");
    TVYRLink* prev = AddLink(x, ltOut1, 60, 30);
    for (int i = 0; i < n; ++i) {
      TVYRcomp* c = AddIcon(&canvas, "C", {}, ctLineLink);
      TVYRLink* e1 = AddLink(c, ltLine, 0, 0);
      TVYRLink* e2 = AddLink(c, ltLine, 60, 0);
      Join(prev, e1);
      prev = e2;
    }
    TVYRLink* yi = AddLink(y, ltIn1, 0, 30);
    Join(prev, yi);
    rec.messages.clear();
    ClearCircularReference();
    TVYRLink* far = nullptr;
    TVYRcomp* found = x->GetLink(ltOut1)->OtherModelComp(far);
    if (n <= MaxConnectorChainDepth) {
      EXPECT_EQ(found, y) << n;
      EXPECT_EQ(far, yi) << n;
      EXPECT_TRUE(rec.messages.empty()) << n;
    } else {
      EXPECT_EQ(found, nullptr) << n;
      EXPECT_EQ(rec.messages.size(), 1u) << n;
    }
    ClearCircularReference();
  }
}

TEST(ConnectorWalk, FarComponentTypes) {
  QWidget canvas;
  TVYRLink* out = AddLink(AddIcon(&canvas, "A"), ltOut1, 60, 30);
  TVYRcomp* b = AddIcon(&canvas, "B");
  TVYRLink* in = AddLink(b, ltIn1, 0, 30);
  Join(out, in);
  TVYRLink* far = nullptr;
  const std::vector<std::pair<TCompType, bool>> cases = {{ctModelComp, true}, {ctNoGpLink, true}, {ctNoLink, false}};
  for (auto [type, found] : cases) {
    b->SetCompType(type);
    EXPECT_EQ(out->OtherModelComp(far) == b, found) << CompTypeName(type);
    EXPECT_EQ(far == in, found);
  }
  // A connector end on an icon that is no connector leads nowhere.
  TVYRLink* free = AddLink(AddIcon(&canvas, "C"), ltOut2, 60, 30);
  TVYRLink* end = AddLink(AddIcon(&canvas, "D", {}, ctModelComp), ltLine, 0, 0);
  Join(free, end);
  EXPECT_EQ(free->OtherModelComp(far), nullptr);
}

// --- CheckLink ----------------------------------------------------------------

TEST(CheckLink, UnlinksAFarPortOfTheWrongType) {
  QWidget canvas;
  TVYRcomp* x = AddIcon(&canvas, "X");
  TVYRcomp* line = AddIcon(&canvas, "L", {}, ctLineLink);
  TVYRcomp* y = AddIcon(&canvas, "Y");
  TVYRLink* xo = AddLink(x, ltOut1, 60, 30);
  TVYRLink* e1 = AddLink(line, ltLine, 0, 0);
  TVYRLink* e2 = AddLink(line, ltLine, 60, 0);
  TVYRLink* yo = AddLink(y, ltOut2, 0, 30);
  TVYRLink* yi = AddLink(y, ltIn1, 0, 40);
  Join(xo, e1);
  Join(e2, yo);
  EXPECT_FALSE(xo->CheckLink()) << "an outlet through a connector to another outlet";
  EXPECT_FALSE(xo->Linked);
  EXPECT_FALSE(e1->Linked);
  EXPECT_TRUE(e2->Linked) << "only the checked link and its partner are undone";

  e2->Unlink();
  Join(xo, e1);
  Join(e2, yi);
  EXPECT_TRUE(xo->CheckLink());
  EXPECT_TRUE(x->CheckLinks());
  EXPECT_TRUE(yi->CheckLink());
  EXPECT_TRUE(e1->CheckLink()) << "connector ends are not type-checked";

  e2->Unlink();
  EXPECT_FALSE(xo->CheckLink()) << "linked, but the far end is open";
  EXPECT_TRUE(xo->Linked);
  EXPECT_TRUE(yi->CheckLink()) << "an unlinked link is valid";
}

TEST(CheckLink, ControlPortsNeedTheirCounterpart) {
  QWidget canvas;
  TVYRLink* cin = AddLink(AddIcon(&canvas, "A"), ltCtrlin, 30, 0);
  TVYRLink* line = AddLink(AddIcon(&canvas, "L", {}, ctLineLink), ltLine, 0, 0);
  TVYRLink* cin2 = AddLink(line->Icon(), ltLine, 60, 0);
  TVYRLink* other = AddLink(AddIcon(&canvas, "B"), ltCtrlin, 30, 60);
  Join(cin, line);
  Join(cin2, other);
  EXPECT_FALSE(cin->CheckLink());
  EXPECT_FALSE(cin->Linked);
  other->SetLtype(ltCtrlout);
  Join(cin, line);
  EXPECT_TRUE(cin->CheckLink());
}

// --- Model links ---------------------------------------------------------------

TEST(SetModelLinks, MessagesInOrderAndTheirTexts) {
  QWidget canvas;
  RecordingHandler rec;
  TVYRcomp* c = AddIcon(&canvas, "HPC");
  TVYRLink* in = AddLink(c, ltIn1, 0, 30);
  TVYRLink* out = AddLink(c, ltOut1, 60, 30);
  TVYRcomp* down = AddIcon(&canvas, "Down");
  Join(out, AddLink(down, ltIn1, 0, 30));

  // An unlinked inlet is reported first and stops the resolution.
  EXPECT_FALSE(c->SetModelLinks(true));
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].Text, "HPC\rLink: ltIn1 not linked");
  EXPECT_EQ(rec.messages[0].DlgType, mtError);
  EXPECT_TRUE(rec.messages[0].Buttons.contains(mbOK));

  // Without warnings the other ports still resolve.
  rec.messages.clear();
  EXPECT_TRUE(c->SetModelLinks(false));
  EXPECT_TRUE(rec.messages.empty());
  EXPECT_EQ(c->Cout1, down);
  EXPECT_EQ(c->Out1othersidelinktype, ltIn1);
  EXPECT_EQ(c->GetLinkedVYRcomp(ltOut1), down);

  // ConfirmUnLinked off silences one report; the call still fails and turns it on again.
  c->ConfirmUnLinked = false;
  EXPECT_FALSE(c->SetModelLinks(true));
  EXPECT_TRUE(rec.messages.empty());
  EXPECT_TRUE(c->ConfirmUnLinked);

  // An inlet on a connector whose other end is open.
  TVYRcomp* line = AddIcon(&canvas, "L", {}, ctLineLink);
  Join(in, AddLink(line, ltLine, 0, 0));
  AddLink(line, ltLine, 60, 0);
  EXPECT_FALSE(c->SetModelLinks(true));
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].Text, "Could not establish model link for \rHPCLink: ltIn1");
}

struct PointerCase {
  const char* name;
  std::vector<TLinktype> ports;  // every port is linked to a model component
  const char* message;           // "" for success
};

// The row's name, so that test output and ctest names never carry raw bytes.
void PrintTo(const PointerCase& c, std::ostream* os) { *os << c.name; }

class PointerChecks : public ::testing::TestWithParam<PointerCase> {};

// A port whose type does not match its count (an inlet 2 without an inlet 1)
// leaves a pointer the solver would need empty.
TEST_P(PointerChecks, FirstMissingPointerIsReported) {
  const PointerCase& pc = GetParam();
  QWidget canvas;
  RecordingHandler rec;
  TVYRcomp* c = AddIcon(&canvas, "C");
  int k = 0;
  for (TLinktype t : pc.ports) {
    TVYRLink* l = AddLink(c, t, 0, 10 * k++);
    TLinktype partner = t == ltIn1 || t == ltIn2 ? ltOut1 : t == ltCtrlin ? ltCtrlout : t == ltCtrlout ? ltCtrlin : ltIn1;
    Join(l, AddLink(AddIcon(&canvas, "P"), partner, 0, 0));
  }
  const bool ok = c->SetModelLinks(true);
  if (std::string(pc.message).empty()) {
    EXPECT_TRUE(ok);
    EXPECT_TRUE(rec.messages.empty());
  } else {
    EXPECT_FALSE(ok);
    ASSERT_EQ(rec.messages.size(), 1u);
    EXPECT_EQ(rec.messages[0].Text, std::string("C\r") + pc.message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Ports, PointerChecks,
    ::testing::Values(PointerCase{"AllPresent", {ltIn1, ltIn2, ltOut1, ltOut2, ltCtrlin}, ""},
                      PointerCase{"In2WithoutIn1", {ltIn2, ltOut1}, "In1 Link pointer is Nil"},
                      PointerCase{"TwoIn1", {ltIn1, ltIn1, ltOut1}, "In2 Link pointer is Nil"},
                      PointerCase{"Out2WithoutOut1", {ltIn1, ltOut2}, "Out1 Link pointer is Nil"},
                      PointerCase{"TwoOut1", {ltIn1, ltOut1, ltOut1}, "Out2 Link pointer is Nil"},
                      PointerCase{"InletsBeforeOutlets", {ltIn2, ltOut2}, "In1 Link pointer is Nil"},
                      PointerCase{"ControlOnly", {ltCtrlout}, ""}),
    [](const ::testing::TestParamInfo<PointerCase>& info) { return std::string(info.param.name); });

TEST(SetModelLinks, ConnectorsAndUnlinkedTypesResolveNothing) {
  QWidget canvas;
  RecordingHandler rec;
  TVYRcomp* line = AddIcon(&canvas, "L", {}, ctLineLink);
  AddLink(line, ltLine, 0, 0);
  EXPECT_TRUE(line->SetModelLinks(true));
  TVYRcomp* lone = AddIcon(&canvas, "N", {}, ctNoLink);
  AddLink(lone, ltIn1, 0, 30);
  EXPECT_TRUE(lone->SetModelLinks(true));
  EXPECT_TRUE(rec.messages.empty());
}

TEST(SetModelLinks, ForgetsNeighboursThatAreGone) {
  QWidget canvas;
  TVYRcomp* a = AddIcon(&canvas, "A");
  TVYRcomp* b = AddIcon(&canvas, "B");
  TVYRcomp* c = AddIcon(&canvas, "C");
  TVYRLink* out = AddLink(a, ltOut1, 60, 30);
  TVYRLink* bi = AddLink(b, ltIn1, 0, 30);
  Join(out, bi);
  ASSERT_TRUE(a->SetModelLinks(false));
  EXPECT_EQ(a->Cout1, b);
  out->Unlink();
  ASSERT_TRUE(a->SetModelLinks(false));
  EXPECT_EQ(a->Cout1, nullptr);
  EXPECT_EQ(a->Out1othersidelinktype, ltNone);
  Join(out, AddLink(c, ltIn2, 0, 30));
  ASSERT_TRUE(a->SetModelLinks(false));
  EXPECT_EQ(a->Cout1, c);
  EXPECT_EQ(a->Out1othersidelinktype, ltIn2);
  a->Unlink();
  EXPECT_EQ(a->Cout1, nullptr);
  EXPECT_FALSE(out->Linked);
}

// --- Deleting -----------------------------------------------------------------

TEST(DeleteIcon, NeighboursForgetItsLinks) {
  QWidget canvas;
  canvas.resize(300, 200);
  TVYRcomp* a = AddIcon(&canvas, "A");
  TVYRcomp* line = AddIcon(&canvas, "L", {60, 30}, ctLineLink);
  TVYRcomp* b = AddIcon(&canvas, "B", {120, 0});
  TVYRLink* out = AddLink(a, ltOut1, 60, 30, 3);
  TVYRLink* e1 = AddLink(line, ltLine, 0, 0);
  TVYRLink* e2 = AddLink(line, ltLine, 60, 0);
  TVYRLink* in = AddLink(b, ltIn1, 0, 30, 3);
  for (TVYRcomp* c : {a, line, b}) c->CreateStationLabs();
  LinkAllComps({a, line, b});
  ASSERT_TRUE(e1->Linked && e2->Linked);
  ASSERT_TRUE(a->SetModelLinks(true));
  ASSERT_EQ(a->Cout1, b);

  delete line;
  EXPECT_FALSE(out->Linked);
  EXPECT_EQ(out->Otherlink, nullptr);
  EXPECT_EQ(out->OtherComp, nullptr);
  EXPECT_EQ(out->BrushColor(), QColor(255, 255, 255));
  EXPECT_FALSE(in->Linked);
  EXPECT_EQ(a->Cout1, b) << "the far component itself still exists";
  delete b;
  EXPECT_EQ(a->Cout1, nullptr);
  EXPECT_EQ(out->OtherCompLink, nullptr);

  // Everything that reads links afterwards runs on live objects only.
  TVYRLink* far = nullptr;
  EXPECT_EQ(out->OtherModelComp(far), nullptr);
  EXPECT_TRUE(a->CheckLinks());
  EXPECT_TRUE(a->SetModelLinks(false));
  EXPECT_FALSE(canvas.grab().isNull());
  EXPECT_EQ(a->Links().size(), 1u);
}

TEST(DeleteIcon, LinkListFollowsChildren) {
  QWidget canvas;
  TVYRcomp* a = AddIcon(&canvas, "A");
  TVYRcomp* b = AddIcon(&canvas, "B");
  TVYRLink* l = AddLink(a, ltIn1, 0, 30);
  AddLink(a, ltOut1, 60, 30);
  ASSERT_EQ(a->Links().size(), 2u);
  EXPECT_EQ(a->GetLink(ltIn1), l);
  l->setParent(b);
  EXPECT_EQ(a->Links().size(), 1u);
  ASSERT_EQ(b->Links().size(), 1u);
  EXPECT_EQ(l->Icon(), b);
  delete l;
  EXPECT_TRUE(b->Links().empty());
}

// --- A connector with three ends in a loop ------------------------------------------

// Connector X has three ends; two of them meet the two ends of connector Y, so
// that X and Y form a loop that never returns to the link a walk starts from.
// Model component M's inlet meets X's third end. A and B are a healthy pair,
// Far an icon out of reach. In canvas order A, B, Y, M, X, Far, LinkAllComps
// meets the loop with its last pair (M, X).
class ConnectorLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    a = AddIcon(&canvas, "A", {0, 300});
    b = AddIcon(&canvas, "B", {60, 300});
    y = AddIcon(&canvas, "Y", {150, 0}, ctLineLink);
    m = AddIcon(&canvas, "M", {270, 0});
    x = AddIcon(&canvas, "X", {200, 0}, ctLineLink);
    far = AddIcon(&canvas, "Far", {900, 900});
    aOut = AddLink(a, ltOut1, 60, 30, 2);
    bIn = AddLink(b, ltIn1, 0, 30, 2);
    y1 = AddLink(y, ltLine, 50, 0);
    y2 = AddLink(y, ltLine, 50, 60);
    mIn = AddLink(m, ltIn1, 0, 30, 5);
    x1 = AddLink(x, ltLine, 0, 0);
    x2 = AddLink(x, ltLine, 0, 60);
    x3 = AddLink(x, ltLine, 60, 30);
    AddLink(far, ltIn1, 0, 30);
    ClearCircularReference();
  }
  void TearDown() override { ClearCircularReference(); }
  std::vector<TVYRcomp*> Comps() const { return {a, b, y, m, x, far}; }
  void CloseLoop() {
    Join(y1, x1);
    Join(y2, x2);
  }
  static int CircleMessages(const std::vector<TMessage>& messages) {
    int n = 0;
    for (const TMessage& msg : messages) n += msg.Text.rfind("Circular reference with ", 0) == 0;
    return n;
  }

  QWidget canvas;
  TVYRcomp *a, *b, *y, *m, *x, *far;
  TVYRLink *aOut, *bIn, *y1, *y2, *mIn, *x1, *x2, *x3;
};

TEST_F(ConnectorLoop, LinkingAllLeavesNoFlagBehind) {
  RecordingHandler rec;
  LinkAllComps(Comps());
  ASSERT_TRUE(x3->Linked && x1->Linked && x2->Linked && aOut->Linked);
  EXPECT_EQ(CircleMessages(rec.messages), 1);
  EXPECT_FALSE(CircularReference());
  EXPECT_TRUE(a->SetModelLinks(true)) << (rec.messages.empty() ? "" : rec.messages.back().Text);
  EXPECT_EQ(a->Cout1, b);
}

// The circle's message box runs an event loop; a station question posted
// earlier runs inside it and walks into the same loop. The walk ends without
// a second report and no exception passes through the box.
TEST_F(ConnectorLoop, QuestionInsideTheCircleMessageEndsQuietly) {
  TVYRLink* pOut = AddLink(AddIcon(&canvas, "P", {210, 200}), ltOut1, 60, 30, 7);
  mIn->CreateStationLab();
  bool changed = false;
  mIn->SetLinked(pOut, changed);  // 5 against 7: a question is posted
  ASSERT_TRUE(mIn->StationQuestionPending());
  mIn->Unlink();
  CloseLoop();

  ScriptedNumInput dialog({{true, 9}});
  std::vector<TMessage> messages;
  bool crossed = false;
  TMessageHandler previous = SetMessageHandler([&](const TMessage& msg) {
    messages.push_back(msg);
    try {
      RunPosted();  // the box's own event loop
    } catch (...) {
      crossed = true;
      throw;
    }
    return static_cast<int>(mrOk);
  });
  Join(mIn, x3);
  SetMessageHandler(previous);
  EXPECT_FALSE(crossed) << "an exception crossed the message box";
  EXPECT_EQ(CircleMessages(messages), 1);
  EXPECT_TRUE(CircularReference());
  EXPECT_FALSE(mIn->StationQuestionPending());
  TVYRLink* farLink = nullptr;
  EXPECT_EQ(mIn->OtherModelComp(farLink), nullptr);
}

// --- Relinking a moved icon -------------------------------------------------------

// A port may lie outside its icon; the file accepts any link position.
TEST(RelinkComp, FindsPortsOutsideTheirIcon) {
  QWidget canvas;
  TVYRcomp* a = AddIcon(&canvas, "A");
  TVYRcomp* b = AddIcon(&canvas, "B", {300, 0});
  TVYRLink* out = AddLink(a, ltOut1, 100, 30);  // 30 pixels right of the icon
  TVYRLink* in = AddLink(b, ltIn1, 0, 30);
  b->move(100, 0);
  RelinkComp(b, {a, b});
  EXPECT_TRUE(in->Linked && in->Otherlink == out);
  b->move(110, 0);
  a->move(10, 0);  // now A is the one moved
  RelinkComp(a, {a, b});
  EXPECT_TRUE(out->Linked && out->Otherlink == in);
}

// --- Signals ----------------------------------------------------------------------

TEST(Signals, LinksAndIconsAnnounceTheirChanges) {
  QWidget canvas;
  TVYRcomp* a = AddIcon(&canvas, "A");
  TVYRcomp* b = AddIcon(&canvas, "B", {60, 0});
  TVYRLink* out = AddLink(a, ltOut1, 60, 30, 3);
  TVYRLink* in = AddLink(b, ltIn1, 0, 30, -1);
  canvas.show();
  QSignalSpy made(in, &TVYRLink::LinkMade);
  QSignalSpy broken(out, &TVYRLink::LinkBroken);
  QSignalSpy station(in, &TVYRLink::StationChanged);
  QSignalSpy moved(a, &TVYRcomp::Moved);
  QSignalSpy resized(a, &TVYRcomp::Resized);
  QSignalSpy rotated(a, &TVYRcomp::Rotated);
  bool changed = false;
  in->SetLinked(out, changed);
  ASSERT_EQ(made.count(), 1);
  EXPECT_EQ(made[0][0].value<TVYRLink*>(), out);
  ASSERT_EQ(station.count(), 1) << "the inlet took the outlet's number";
  EXPECT_EQ(station[0][0].toDouble(), 3.0);
  in->SetStation(3);
  EXPECT_EQ(station.count(), 1) << "no change, no signal";
  delete b;
  EXPECT_EQ(broken.count(), 1) << "the partner went away";
  a->move(5, 5);
  EXPECT_EQ(moved.count(), 1);
  a->resize(80, 60);
  a->Rotate();
  EXPECT_GE(resized.count(), 2);
  ASSERT_EQ(rotated.count(), 1);
  EXPECT_EQ(rotated[0][0].toInt(), 90);
}

// --- Stations on the icon -------------------------------------------------------

TEST(IconStations, NumbersAndStrings) {
  QWidget canvas;
  TVYRcomp* c = AddIcon(&canvas, "C");
  AddLink(c, ltIn1, 0, 30, 2.5);
  AddLink(c, ltOut2, 60, 30, 13);
  AddLink(c, ltCtrlin, 30, 0, 0);
  EXPECT_EQ(c->LinkStationNr(ltIn2), -11.0);
  EXPECT_EQ(c->LinkStationStr(ltIn2), "");
  EXPECT_EQ(c->LinkStationStr(ltIn1), "2.5");
  EXPECT_EQ(c->AllStationNrsStr(), "Station nrs.: ltIn1: 2.5  ltOut2: 13  ");
  c->GetLink(ltIn1)->SetStation(-1);
  EXPECT_EQ(c->LinkStationStr(ltIn1), "");
  c->GetLink(ltIn1)->SetStation(-0.5);
  EXPECT_EQ(c->LinkStationStr(ltIn1), "-0.5");

  TVYRcomp* ctrl = AddIcon(&canvas, "Ctrl", {}, ctNoGpLink);
  AddLink(ctrl, ltCtrlout, 30, 60, 4);
  EXPECT_EQ(ctrl->AllStationNrsStr(), "");
}

TEST(IconLinks, CountsAndAllLinked) {
  QWidget canvas;
  TVYRcomp* c = AddIcon(&canvas, "C");
  AddLink(c, ltIn1, 0, 30);
  AddLink(c, ltIn2, 0, 40);
  AddLink(c, ltOut1, 60, 30);
  AddLink(c, ltCtrlout, 30, 60);
  TVYRLink* hidden = AddLink(c, ltOut2, 60, 40);
  hidden->hide();
  c->GetLinkNumbers();
  EXPECT_EQ(c->Nrinlinks, 2);
  EXPECT_EQ(c->Nroutlinks, 1);
  EXPECT_EQ(c->Nrctrllinks, 1);
  EXPECT_FALSE(c->AllLinked());
  for (TVYRLink* l : c->Links())
    if (l != hidden) Join(l, AddLink(AddIcon(&canvas, "P"), ltLine, 0, 0));
  EXPECT_TRUE(c->AllLinked()) << "hidden ports do not count";
}

}  // namespace
}  // namespace vyr
