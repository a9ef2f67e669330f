// What links and icons paint, where station labels go, and rotation.
#include <gtest/gtest.h>

#include <ostream>

#include <clocale>
#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QPixmap>
#include <QWidget>

#include "IconKit.h"
#include "SampleEngine.h"
#include "vyrcompl.h"

namespace vyr {
namespace {

using test::AddIcon;
using test::AddLink;

using Pixels = std::set<std::pair<int, int>>;

const QRgb kYellow = qRgb(255, 255, 0);

// Pixels of the rendered link in the arrow colour, inside the one-pixel border.
Pixels ArrowPixels(TVYRLink* link) {
  const QImage img = link->grab().toImage().convertToFormat(QImage::Format_RGB32);
  Pixels p;
  for (int y = 1; y < img.height() - 1; ++y)
    for (int x = 1; x < img.width() - 1; ++x)
      if (img.pixel(x, y) == kYellow) p.insert({x, y});
  return p;
}

// The interior pixels of both chevrons, as (x, y), for a 10 by 10 link; the
// second chevron is the first shifted one pixel along the arrow.
Pixels Chevrons(std::vector<std::pair<int, int>> first, int sx, int sy) {
  Pixels p;
  for (auto [x, y] : first)
    for (int k = 0; k < 2; ++k) {
      const int px = x + k * sx;
      const int py = y + k * sy;
      if (px >= 1 && px <= 8 && py >= 1 && py <= 8) p.insert({px, py});
    }
  return p;
}

struct ChevronCase {
  const char* name;
  int left;  // link position on a 70 by 70 icon; an outlet points out of the icon
  int top;
  TArrowdir dir;
  std::vector<std::pair<int, int>> first;
  int sx;
  int sy;
};

// The row's name, so that test output and ctest names never carry raw bytes.
void PrintTo(const ChevronCase& c, std::ostream* os) { *os << c.name; }

class ChevronPixels : public ::testing::TestWithParam<ChevronCase> {};

TEST_P(ChevronPixels, LinkedOutletDrawsTwoYellowChevrons) {
  const ChevronCase& c = GetParam();
  QWidget canvas;
  TVYRLink* out = AddLink(AddIcon(&canvas, "A"), ltOut1, c.left, c.top);
  TVYRLink* in = AddLink(AddIcon(&canvas, "B"), ltIn1, 0, 30);
  bool changed = false;
  out->SetLinked(in, changed);
  ASSERT_EQ(out->ArrowDir(), c.dir);
  EXPECT_EQ(ArrowPixels(out), Chevrons(c.first, c.sx, c.sy));
  // The square itself is blue: border and fill away from the arrow.
  const QImage img = out->grab().toImage();
  EXPECT_EQ(img.pixel(0, 9) & 0xFFFFFF, 0x0000FFu);
}

// adRight is the worked example: (2,0) (6,4) (6,5) (1,10) and again shifted
// one pixel right. The other directions follow their rows of the point table
// with W = H = 10 (q = 2, m = 4, r = 2, n = 4).
INSTANTIATE_TEST_SUITE_P(
    Link10x10, ChevronPixels,
    ::testing::Values(
        ChevronCase{"Right", 60, 30, adRight,
                    {{2, 0}, {3, 1}, {4, 2}, {5, 3}, {6, 4}, {6, 5}, {5, 6}, {4, 7}, {3, 8}, {2, 9}}, 1, 0},
        ChevronCase{"Left", 0, 30, adLeft,
                    {{8, 0}, {7, 1}, {6, 2}, {5, 3}, {4, 4}, {4, 5}, {5, 6}, {6, 7}, {7, 8}, {8, 9}}, -1, 0},
        ChevronCase{"Up", 30, 0, adUp,
                    {{0, 8}, {1, 7}, {2, 6}, {3, 5}, {4, 4}, {5, 4}, {6, 5}, {7, 6}, {8, 7}, {9, 8}}, 0, -1},
        ChevronCase{"Down", 30, 60, adDown,
                    {{0, 2}, {1, 3}, {2, 4}, {3, 5}, {4, 6}, {5, 6}, {6, 5}, {7, 4}, {8, 3}, {9, 2}}, 0, 1}),
    [](const ::testing::TestParamInfo<ChevronCase>& info) { return std::string(info.param.name); });

TEST(LinkPaint, UnlinkedArrowIsBlackOnWhiteAndConnectorEndsOnlyTheSquare) {
  QWidget canvas;
  TVYRcomp* icon = AddIcon(&canvas, "A");
  TVYRLink* out = AddLink(icon, ltOut1, 60, 30);
  QImage img = out->grab().toImage();
  EXPECT_EQ(img.pixel(4, 2) & 0xFFFFFF, 0x000000u) << "arrow";
  EXPECT_EQ(img.pixel(5, 4) & 0xFFFFFF, 0xFFFFFFu) << "fill";
  EXPECT_EQ(img.pixel(0, 5) & 0xFFFFFF, 0x000000u) << "border";

  TVYRLink* end = AddLink(icon, ltLine, 30, 30);
  img = end->grab().toImage();
  for (int y = 1; y < 9; ++y)
    for (int x = 1; x < 9; ++x) ASSERT_EQ(img.pixel(x, y) & 0xFFFFFF, 0xFFFFFFu) << x << "," << y;
}

// --- Station labels ------------------------------------------------------------

struct LabelCase {
  const char* name;
  int left;  // outlet position on the 70 by 70 icon at (100, 100)
  int top;
  // expected label position for a label w wide and 14 high
  int (*labelLeft)(int w);
  int labelTop;
};

// The row's name, so that test output and ctest names never carry raw bytes.
void PrintTo(const LabelCase& c, std::ostream* os) { *os << c.name; }

class LabelPlacement : public ::testing::TestWithParam<LabelCase> {};

TEST_P(LabelPlacement, OutletLabelBySide) {
  const LabelCase& c = GetParam();
  QWidget canvas;
  canvas.resize(400, 400);
  TVYRcomp* icon = AddIcon(&canvas, "A", {100, 100});
  TVYRLink* out = AddLink(icon, ltOut1, c.left, c.top, 12.5);
  TVYRLink* in = AddLink(AddIcon(&canvas, "B", {300, 300}), ltIn1, 0, 30, 12.5);
  icon->CreateStationLabs();
  ASSERT_NE(out->StationLab, nullptr);
  EXPECT_EQ(out->StationLab->parentWidget(), &canvas);
  out->UpdateStationLab();
  EXPECT_TRUE(out->StationLab->isHidden()) << "hidden while not linked";

  bool changed = false;
  out->SetLinked(in, changed);
  out->UpdateStationLab();
  QLabel* lab = out->StationLab;
  EXPECT_FALSE(lab->isHidden());
  EXPECT_EQ(lab->text(), "12.5");
  const int w = out->fontMetrics().horizontalAdvance(QStringLiteral("12.5")) + 5;
  EXPECT_EQ(lab->geometry(), QRect(c.labelLeft(w), c.labelTop, w, 14));

  out->Unlink();
  out->UpdateStationLab();
  EXPECT_TRUE(lab->isHidden());
}

INSTANTIATE_TEST_SUITE_P(
    Sides, LabelPlacement,
    ::testing::Values(LabelCase{"Right", 60, 30, [](int w) { return 100 + 70 - w / 2 - 1; }, 100 + 30 - 14},
                      LabelCase{"Left", 0, 30, [](int w) { return 100 - w / 2 - 1; }, 100 + 30 - 14},
                      LabelCase{"Top", 30, 0, [](int) { return 100 + 30 + 10 + 2; }, 100 - 14 - 2},
                      LabelCase{"Bottom", 30, 60, [](int) { return 100 + 30 + 10 + 2; }, 100 + 70 - 14 + 2}),
    [](const ::testing::TestParamInfo<LabelCase>& info) { return std::string(info.param.name); });

TEST(StationLabel, InletShowsOnlyBehindAConnector) {
  QWidget canvas;
  TVYRcomp* a = AddIcon(&canvas, "A");
  TVYRcomp* b = AddIcon(&canvas, "B", {60, 0});
  TVYRLink* out = AddLink(a, ltOut1, 60, 30, 3);
  TVYRLink* in = AddLink(b, ltIn1, 0, 30, 3);
  a->CreateStationLabs();
  b->CreateStationLabs();
  bool changed = false;
  out->SetLinked(in, changed);
  out->UpdateStationLab();
  in->UpdateStationLab();
  EXPECT_FALSE(out->StationLab->isHidden());
  EXPECT_TRUE(in->StationLab->isHidden()) << "the outlet's label marks the station";

  in->Unlink();
  TVYRcomp* line = AddIcon(&canvas, "L", {}, ctLineLink);
  TVYRLink* end = AddLink(line, ltLine, 0, 0);
  in->SetLinked(end, changed);
  in->UpdateStationLab();
  EXPECT_FALSE(in->StationLab->isHidden());
  EXPECT_EQ(in->StationLab->text(), "3");
}

TEST(StationLabel, StationStringWinsAndNumbersIgnoreTheLocale) {
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  const std::string savedC = std::setlocale(LC_NUMERIC, nullptr);
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // where installed; the test holds either way
  TVYRLink l;
  l.CreateStationLab();
  l.SetStation(1234.5);
  l.SetStationLabCaption();
  EXPECT_EQ(l.StationLab->text(), "1234.5");
  l.SetStationString("25a");
  l.SetStationLabCaption();
  EXPECT_EQ(l.StationLab->text(), "25a");
  l.DeleteStationLab();
  EXPECT_EQ(l.StationLab, nullptr);
  l.SetStationLabCaption();  // no label: nothing to do
  std::setlocale(LC_NUMERIC, savedC.c_str());
  QLocale::setDefault(saved);
}

// --- Station labels follow the model, not the painting -------------------------

// Dark (text) pixels of image inside rect.
int DarkPixels(const QImage& image, const QRect& rect) {
  int n = 0;
  for (int y = rect.top(); y <= rect.bottom(); ++y)
    for (int x = rect.left(); x <= rect.right(); ++x)
      if (rect.contains(x, y) && image.rect().contains(x, y) && qGray(image.pixel(x, y)) < 100) ++n;
  return n;
}

// The sample engine, linked: every outlet label is placed before anything is painted.
class LinkedEngine : public ::testing::Test {
 protected:
  void SetUp() override {
    canvas.resize(600, 300);
    comps = sample::BuildEngine(&canvas, {40, 120});
    LinkAllComps(comps);
  }
  TVYRcomp* Icon(const char* name) const {
    for (TVYRcomp* c : comps)
      if (c->objectName() == QLatin1String(name)) return c;
    return nullptr;
  }
  QWidget canvas;
  std::vector<TVYRcomp*> comps;
};

TEST_F(LinkedEngine, FirstRenderShowsTheStationLabels) {
  const QImage img = canvas.grab().toImage();
  int shown = 0;
  for (TVYRcomp* c : comps)
    for (TVYRLink* l : c->Links())
      if (l->Linked && (l->Ltype() == ltOut1 || l->Ltype() == ltOut2)) {
        ASSERT_NE(l->StationLab, nullptr);
        EXPECT_FALSE(l->StationLab->isHidden()) << c->objectName().toStdString();
        EXPECT_GT(DarkPixels(img, l->StationLab->geometry()), 3) << "no digits drawn for " << c->objectName().toStdString();
        ++shown;
      }
  EXPECT_GE(shown, 5);
}

TEST_F(LinkedEngine, RaisedIconLeavesTheJointLabelInFront) {
  TVYRLink* out = Icon("HPC")->GetLink(ltOut1);
  QLabel* lab = out->StationLab;
  ASSERT_FALSE(lab->isHidden());
  for (TVYRcomp* c : comps) c->raise();  // the burner, right of the joint, last
  const QPoint centre = lab->geometry().center();
  EXPECT_EQ(canvas.childAt(centre), lab);
  const QImage img = canvas.grab().toImage();
  EXPECT_GT(DarkPixels(img, lab->geometry()), 3);
}

TEST_F(LinkedEngine, LabelFollowsItsIconAndGoesWithIt) {
  canvas.show();
  TVYRcomp* hpc = Icon("HPC");
  TVYRLink* out = hpc->GetLink(ltOut1);
  QLabel* lab = out->StationLab;
  const QRect before = lab->geometry();
  hpc->move(hpc->pos() + QPoint(0, 100));
  EXPECT_EQ(lab->geometry(), before.translated(0, 100));
  hpc->hide();
  EXPECT_TRUE(lab->isHidden()) << "its icon was hidden";
  hpc->show();
  EXPECT_FALSE(lab->isHidden());
  const QPoint placed = hpc->pos();
  hpc->move(-hpc->width() - 1, placed.y());
  EXPECT_TRUE(lab->isHidden()) << "its icon left the canvas";
  hpc->move(placed);
  RelinkComp(hpc, comps);  // out of reach now: unlinked
  EXPECT_FALSE(out->Linked);
  EXPECT_TRUE(lab->isHidden()) << "unlinked";
  hpc->move(hpc->pos() - QPoint(0, 100));
  RelinkComp(hpc, comps);
  EXPECT_FALSE(lab->isHidden());
  EXPECT_EQ(lab->geometry(), before);
}

// A label lives on the canvas: never a window of its own, even for an icon
// that has no canvas yet.
TEST(StationLabel, AlwaysOnTheCanvas) {
  auto a = std::make_unique<TVYRcomp>();
  auto b = std::make_unique<TVYRcomp>();
  TVYRLink* out = AddLink(a.get(), ltOut1, 60, 30, 3);
  TVYRLink* in = AddLink(b.get(), ltIn1, 0, 30, 3);
  a->CreateStationLabs();
  bool changed = false;
  out->SetLinked(in, changed);
  EXPECT_TRUE(out->StationLab->isHidden());
  EXPECT_FALSE(QApplication::topLevelWidgets().contains(out->StationLab.data()) &&
               out->StationLab->isVisible());
  QWidget canvas;
  a->setParent(&canvas);
  a->show();
  EXPECT_EQ(out->StationLab->parentWidget(), &canvas);
  EXPECT_FALSE(out->StationLab->isHidden());
  EXPECT_FALSE(out->StationLab->isWindow());
  a.release();  // the canvas owns it now
}

// --- Device pixel ratios ------------------------------------------------------------

struct RatioCase {
  const char* name;
  qreal dpr;
};
void PrintTo(const RatioCase& c, std::ostream* os) { *os << c.name; }

class PixelRatio : public ::testing::TestWithParam<RatioCase> {};

// The marker's border is one logical pixel on all four sides: the outermost
// device pixels are the pen colour, those one border further in the brush.
TEST_P(PixelRatio, MarkerBorderOnEverySide) {
  const qreal dpr = GetParam().dpr;
  QWidget canvas;
  TVYRLink* end = AddLink(AddIcon(&canvas, "L", {}, ctLineLink), ltLine, 0, 0);
  const int n = static_cast<int>(std::ceil(10 * dpr));
  QImage img(n, n, QImage::Format_RGB32);
  img.setDevicePixelRatio(dpr);
  img.fill(Qt::red);
  end->render(&img);
  const int in = static_cast<int>(std::ceil(2 * dpr));  // inside the border
  for (int k = in; k < n - in; ++k) {
    for (QPoint p : {QPoint(k, 0), QPoint(k, n - 1), QPoint(0, k), QPoint(n - 1, k)})
      EXPECT_EQ(img.pixel(p) & 0xFFFFFFu, 0x000000u) << "border at " << p.x() << "," << p.y();
    for (QPoint p : {QPoint(k, in), QPoint(k, n - 1 - in), QPoint(in, k), QPoint(n - 1 - in, k)})
      EXPECT_EQ(img.pixel(p) & 0xFFFFFFu, 0xFFFFFFu) << "fill at " << p.x() << "," << p.y();
  }
}

// Labels are as high as their fonts need and the number label as wide as its
// number, in the application's font.
TEST_P(PixelRatio, LabelsFitTheirText) {
  const qreal dpr = GetParam().dpr;
  QWidget canvas;
  canvas.resize(400, 300);
  sample::RegisterSampleIcons();
  TVYRcomp* a = sample::Place(new sample::TCompressorIcon(&canvas), "A", {20, 100}, 2, 3, 12345);
  TVYRcomp* b = sample::Place(new sample::TBurnerIcon(&canvas), "B", {80, 100}, 3, 4, 2);
  LinkAllComps({a, b});
  QLabel* station = a->GetLink(ltOut1)->StationLab;
  QFont big = station->font();
  big.setPixelSize(22);
  station->setFont(big);
  a->GetLink(ltOut1)->SetStation(13.25);
  b->GetLink(ltIn1)->SetStation(13.25);
  EXPECT_GE(station->height(), station->fontMetrics().height());
  EXPECT_GE(station->width(), station->fontMetrics().horizontalAdvance(QStringLiteral("13.25")));

  QImage img(static_cast<int>(400 * dpr), static_cast<int>(300 * dpr), QImage::Format_RGB32);
  img.setDevicePixelRatio(dpr);
  canvas.render(&img);
  QLabel* nr = a->CompLab;
  ASSERT_NE(nr, nullptr);
  EXPECT_EQ(nr->text(), "12345");
  EXPECT_EQ(nr->font().family(), QApplication::font().family());
  EXPECT_GE(nr->width(), nr->fontMetrics().horizontalAdvance(nr->text()));
  EXPECT_GE(nr->height(), nr->fontMetrics().height());
  EXPECT_EQ(nr->x() + nr->width(), a->width() - 10);
}

INSTANTIATE_TEST_SUITE_P(Ratios, PixelRatio,
                         ::testing::Values(RatioCase{"One", 1.0}, RatioCase{"OneAndAHalf", 1.5},
                                           RatioCase{"Two", 2.0}),
                         [](const ::testing::TestParamInfo<RatioCase>& info) { return std::string(info.param.name); });

TEST(Rotate, PictureKeepsItsPixelRatio) {
  QWidget canvas;
  TVYRcomp* c = AddIcon(&canvas, "C");
  auto* pic = new QLabel(c);
  QImage art(100, 60, QImage::Format_RGB32);
  art.fill(Qt::green);
  art.setDevicePixelRatio(2.0);
  pic->setPixmap(QPixmap::fromImage(art));
  c->Rotate();
  EXPECT_EQ(pic->pixmap().devicePixelRatio(), 2.0);
  EXPECT_EQ(pic->pixmap().size(), QSize(60, 100));
}

// --- Icon paint -------------------------------------------------------------------

TEST(IconPaint, ConnectorColourFollowsItsLinks) {
  QWidget canvas;
  canvas.resize(200, 100);
  TVYRcomp* line = AddIcon(&canvas, "L", {10, 10}, ctLineLink);
  line->resize(70, 10);
  TVYRLink* e1 = AddLink(line, ltLine, 0, 0);
  TVYRLink* e2 = AddLink(line, ltLine, 60, 0);
  (void)line->grab();
  EXPECT_EQ(line->Color, line->palette().color(QPalette::Button));
  bool changed = false;
  e1->SetLinked(AddLink(AddIcon(&canvas, "A"), ltOut1, 0, 0), changed);
  e2->SetLinked(AddLink(AddIcon(&canvas, "B"), ltIn1, 0, 0), changed);
  QImage img = line->grab().toImage();
  EXPECT_EQ(line->Color, QColor(0, 0, 255));
  EXPECT_EQ(img.pixel(30, 5) & 0xFFFFFF, 0x0000FFu);
  // The connector's last ltLine link decides: a control port makes it black.
  e2->Unlink();
  e2->SetLinked(AddLink(AddIcon(&canvas, "C"), ltCtrlin, 0, 0), changed);
  (void)line->grab();
  EXPECT_EQ(line->Color, QColor(0, 0, 0));
  line->Color = QColor(255, 0, 0);  // red marks a selection and stays
  (void)line->grab();
  EXPECT_EQ(line->Color, QColor(255, 0, 0));
}

// --- Rotation -----------------------------------------------------------------------

struct IconState {
  QSize size;
  std::vector<QRect> links;
  std::vector<QRect> labels;
  QImage picture;
  bool operator==(const IconState&) const = default;
};

IconState StateOf(TVYRcomp* c, QLabel* pic, const std::vector<QLabel*>& labels) {
  IconState s;
  s.size = c->size();
  for (TVYRLink* l : c->Links()) s.links.push_back(l->geometry());
  for (QLabel* l : labels) s.labels.push_back(l->geometry());
  s.picture = pic->pixmap().toImage();
  return s;
}

TEST(Rotate, OnceTurnsPortsClockwise) {
  QWidget canvas;
  TVYRcomp* c = AddIcon(&canvas, "C");
  TVYRLink* in = AddLink(c, ltIn1, 0, 30);
  TVYRLink* out = AddLink(c, ltOut1, 60, 30);
  TVYRLink* ctrl = AddLink(c, ltCtrlin, 30, 0);
  c->Rotate();
  EXPECT_EQ(c->RotAngle(), 90);
  EXPECT_EQ(in->pos(), QPoint(30, 0));
  EXPECT_EQ(out->pos(), QPoint(30, 60));
  EXPECT_EQ(ctrl->pos(), QPoint(60, 30));
  // Flow that ran left to right now runs top to bottom.
  EXPECT_EQ(in->ArrowDir(), adDown);
  EXPECT_EQ(out->ArrowDir(), adDown);
  EXPECT_EQ(ctrl->ArrowDir(), adLeft);
  EXPECT_FALSE(c->Rotating);
}

TEST(Rotate, NonSquareIconOnceAndFourTimes) {
  QWidget canvas;
  TVYRcomp* c = AddIcon(&canvas, "C");
  c->resize(100, 50);
  AddLink(c, ltIn1, 0, 20);
  AddLink(c, ltOut1, 90, 20);
  AddLink(c, ltCtrlin, 45, 0);
  auto* pic = new QLabel(c);
  pic->setGeometry(10, 10, 80, 30);
  QImage art(80, 30, QImage::Format_RGB32);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 80; ++x) art.setPixel(x, y, qRgb(x * 3, y * 8, (x * y) % 256));
  pic->setPixmap(QPixmap::fromImage(art));
  auto* leftLab = new QLabel(QStringLiteral("L"), c);
  leftLab->setGeometry(12, 3, 20, 10);
  auto* rightLab = new QLabel(QStringLiteral("R"), c);
  rightLab->setAlignment(Qt::AlignRight);
  rightLab->setGeometry(60, 35, 30, 12);
  auto* centred = new QLabel(QStringLiteral("M"), c);
  centred->setAlignment(Qt::AlignHCenter);
  centred->setGeometry(40, 20, 20, 10);
  c->CreateCompLab();
  const QRect compLab = c->CompLab->geometry();
  const std::vector<QLabel*> labels = {leftLab, rightLab, centred};
  const IconState start = StateOf(c, pic, labels);

  c->Rotate();
  EXPECT_EQ(c->size(), QSize(50, 100));
  EXPECT_EQ(c->Wold, 50);
  EXPECT_EQ(c->Hold, 100);
  EXPECT_EQ(c->GetLink(ltIn1)->pos(), QPoint(50 - 20 - 10, 0));
  EXPECT_EQ(c->GetLink(ltOut1)->pos(), QPoint(20, 90));
  const QImage turned = pic->pixmap().toImage();
  ASSERT_EQ(turned.size(), QSize(30, 80));
  for (auto [x, y] : {std::pair{0, 0}, {79, 0}, {0, 29}, {13, 17}})
    EXPECT_EQ(turned.pixel(30 - 1 - y, x), art.pixel(x, y)) << x << "," << y;
  EXPECT_EQ(pic->size(), QSize(30, 80));
  EXPECT_EQ(leftLab->pos(), QPoint(100 - 3 - 10, 12));
  EXPECT_EQ(rightLab->pos(), QPoint(50 - 35 - 30, 60 + 30 - 12));
  EXPECT_EQ(centred->pos(), QPoint(40, 20));
  EXPECT_EQ(c->CompLab->geometry(), compLab);

  for (int i = 0; i < 3; ++i) c->Rotate();
  EXPECT_EQ(c->RotAngle(), 0);
  EXPECT_TRUE(StateOf(c, pic, labels) == start) << "four turns restore the icon exactly";
}

TEST(Rotate, SetRotAngleTurnsToValidAnglesOnly) {
  QWidget canvas;
  TVYRcomp* c = AddIcon(&canvas, "C");
  TVYRLink* in = AddLink(c, ltIn1, 0, 30);
  EXPECT_TRUE(c->SetRotAngle(270));
  EXPECT_EQ(c->RotAngle(), 270);
  EXPECT_EQ(in->pos(), QPoint(30, 60));
  EXPECT_FALSE(c->SetRotAngle(45));
  EXPECT_FALSE(c->SetRotAngle(360));
  EXPECT_EQ(c->RotAngle(), 270);
  EXPECT_TRUE(c->SetRotAngle(0));
  EXPECT_EQ(in->pos(), QPoint(0, 30));
}

}  // namespace
}  // namespace vyr
