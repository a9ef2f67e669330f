// The editor's results pane on the example engines (offscreen, the example
// component library loaded as the editor loads it): the station table against
// the model host's own run, the T-s diagram's entropy along the gas path, the
// compressor map with its design and operating points, failed points, and the
// switch of units.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QLineEdit>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTableWidget>
#include <QtCharts/QChart>
#include <QtCharts/QValueAxis>
#include <QtCharts/QXYSeries>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "Charts.h"
#include "EditorFixture.h"
#include "ModelHost.h"
#include "common/RecordingHandler.h"
#include "ResultsPane.h"
#include "Units.h"

namespace vyr::editor {
namespace {

std::string Slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

const std::string kTurbojet = std::string(VYR_EXAMPLES_DIR) + "/turbojet.xml";
const std::string kTurbojetMaps = std::string(VYR_EXAMPLES_DIR) + "/turbojet-maps.xml";

// The text with its first occurrence of what replaced; fails the test when it has none.
std::string Replaced(std::string text, const std::string& what, const std::string& by) {
  const std::size_t at = text.find(what);
  EXPECT_NE(at, std::string::npos) << what;
  if (at != std::string::npos) text.replace(at, what.size(), by);
  return text;
}

class ResultsPaneTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Loaded once and kept: its classes stay registered for every test.
    static void* lib = dlopen(VYR_GASPATH_LIB, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
  }

  vyr::test::RecordingHandler messages;  // nothing may wait for a user
  TResultsPane pane;
};

// The column of a table whose heading (before its unit) is heading; -1 when none.
int Column(const QTableWidget* t, const QString& heading) {
  for (int c = 0; c < t->columnCount(); ++c)
    if (t->horizontalHeaderItem(c) && t->horizontalHeaderItem(c)->text().section('\n', 0, 0) == heading) return c;
  return -1;
}

QString Unit(const QTableWidget* t, int column) { return t->horizontalHeaderItem(column)->text().section('\n', 1); }

// The row of a station in the station table; -1 when none.
int StationRow(const QTableWidget* t, int station) {
  for (int r = 0; r < t->rowCount(); ++r)
    if (t->item(r, 0) && t->item(r, 0)->text() == QString::number(station)) return r;
  return -1;
}

// A cell's number and the rounding its text allows (half its last digit, or
// 1e-3 relative where it falls back to significant digits).
struct Shown {
  double value = NAN;
  double tolerance = 0;
};

Shown CellNumber(const QTableWidget* t, int row, int column) {
  Shown s;
  const std::string text = t->item(row, column)->text().toStdString();
  if (!ParseNumber(text, s.value)) {
    ADD_FAILURE() << "no number in cell: " << text;
    return s;
  }
  const std::size_t point = text.find('.');
  const int decimals = point == std::string::npos ? 0 : int(text.size() - point - 1);
  s.tolerance = std::max(0.5001 * std::pow(10.0, -decimals), 1.001e-3 * std::fabs(s.value));
  return s;
}

// The design point of a model file as the model host runs it, without the pane.
engine::TEngineState HostRun(const std::string& path) {
  engine::TEngineState state;
  run::TModelHost host;
  EXPECT_TRUE(host.LoadFromString(Slurp(path), path, "", ""));
  EXPECT_EQ(host.Run(state), run::TRunStatus::Ok);
  return state;
}

QXYSeries* Series(QChartView* view, const QString& name) {
  for (QAbstractSeries* s : view->chart()->series())
    if (s->name() == name) return qobject_cast<QXYSeries*>(s);
  return nullptr;
}

QString AxisTitle(QChartView* view, Qt::Orientation o) {
  const auto axes = view->chart()->axes(o);
  return axes.isEmpty() ? QString() : axes.front()->titleText();
}

TEST_F(ResultsPaneTest, DesignStationsAreTheHostsInBothUnitSystems) {
  ASSERT_TRUE(pane.RunDesign(Slurp(kTurbojet), kTurbojet, "", "")) << pane.MessageText().toStdString();
  const engine::TEngineState host = HostRun(kTurbojet);
  const QTableWidget* t = pane.StationTable();
  ASSERT_EQ(t->rowCount(), int(host.stations.size()));
  struct Quantity {
    const char* heading;
    TParType type;
    double TGasconditions::*field;
  };
  const Quantity quantities[] = {{"W", ptMassFlow, &TGasconditions::W},
                                 {"Pt", ptPressure, &TGasconditions::Pt},
                                 {"Tt", ptTemperature, &TGasconditions::Tt}};
  for (TUnitSystem u : {TUnitSystem::SI, TUnitSystem::Imperial}) {
    pane.SetUnits(u);
    for (const Quantity& q : quantities) {
      const int c = Column(t, q.heading);
      ASSERT_GE(c, 0) << q.heading;
      EXPECT_EQ(Unit(t, c).toStdString(), UnitName(q.type, u)) << q.heading;
      for (const auto& [n, st] : host.stations) {
        const int r = StationRow(t, n);
        ASSERT_GE(r, 0) << "station " << n;
        const Shown s = CellNumber(t, r, c);
        EXPECT_NEAR(s.value, FromSI(q.type, u, st.gas.*q.field), s.tolerance)
            << q.heading << " at station " << n << (u == TUnitSystem::SI ? " (SI)" : " (imperial)");
      }
    }
  }
  EXPECT_TRUE(messages.messages.empty());
}

TEST_F(ResultsPaneTest, ImperialCellsAreTheSICellsConvertedByPublishedFactors) {
  ASSERT_TRUE(pane.RunDesign(Slurp(kTurbojet), kTurbojet, "", ""));
  const QTableWidget* t = pane.StationTable();
  const int r = StationRow(t, 3);
  ASSERT_GE(r, 0);
  // 1 psi = 6894.757293168 Pa, 1 lbm = 0.45359237 kg, 1 K = 1.8 R.
  const struct {
    const char* heading;
    double imperialPerSI;
  } columns[] = {{"Pt", 1.0 / 6894.757293168}, {"W", 1.0 / 0.45359237}, {"Tt", 1.8}};
  std::map<std::string, Shown> si;
  for (const auto& c : columns) si[c.heading] = CellNumber(t, r, Column(t, c.heading));
  pane.SetUnits(TUnitSystem::Imperial);
  for (const auto& c : columns) {
    const Shown imperial = CellNumber(t, r, Column(t, c.heading));
    EXPECT_NEAR(imperial.value, si[c.heading].value * c.imperialPerSI,
                imperial.tolerance + si[c.heading].tolerance * c.imperialPerSI)
        << c.heading;
  }
  // Back to SI: the very texts of before, without a new run.
  pane.SetUnits(TUnitSystem::SI);
  for (const auto& c : columns) EXPECT_EQ(CellNumber(t, r, Column(t, c.heading)).value, si[c.heading].value);
}

TEST_F(ResultsPaneTest, PerformanceFiguresBesideTheTable) {
  ASSERT_TRUE(pane.RunDesign(Slurp(kTurbojet), kTurbojet, "", ""));
  const engine::TEngineState host = HostRun(kTurbojet);
  const QTableWidget* f = pane.FigureTable();
  auto figure = [&](const QString& name) -> Shown {
    for (int r = 0; r < f->rowCount(); ++r)
      if (f->item(r, 0) && f->item(r, 0)->text() == name && f->item(r, 1)) return CellNumber(f, r, 1);
    ADD_FAILURE() << "no figure " << name.toStdString();
    return {};
  };
  const Shown FN = figure("net thrust"), Wf = figure("fuel flow");
  EXPECT_NEAR(FN.value, host.performance.FN, FN.tolerance);
  EXPECT_NEAR(Wf.value, host.performance.Wf, Wf.tolerance);
  // TSFC is fuel flow over net thrust: g/(kN s) from kg/s and N.
  const Shown tsfc = figure("TSFC");
  EXPECT_NEAR(tsfc.value, host.performance.Wf / host.performance.FN * 1e6, tsfc.tolerance);
}

TEST_F(ResultsPaneTest, EntropyRisesThroughEveryStepAndMostInTheMachines) {
  for (const std::string& model : {kTurbojet, kTurbojetMaps}) {
    SCOPED_TRACE(model);
    ASSERT_TRUE(pane.RunDesign(Slurp(model), model, "", ""));
    const engine::TEngineState host = HostRun(model);
    const TTsDiagram& d = pane.TsChart()->Diagram();
    ASSERT_EQ(d.points.size(), host.stations.size());
    ASSERT_EQ(d.reference, d.points.front().station);
    EXPECT_EQ(d.points.front().s, 0.0);
    ASSERT_FALSE(d.steps.empty());
    // No adiabatic duct, burner, compressor or turbine lowers the entropy of the flow.
    for (const TGasPathStep& s : d.steps)
      EXPECT_GE(d.Find(s.to)->s, d.Find(s.from)->s - 1e-6) << s.component << " " << s.from << "-" << s.to;
    // The irreversibility of compression and expansion: a clear rise in each machine.
    ASSERT_FALSE(host.performance.machines.empty());
    for (const engine::TMachineResult& m : host.performance.machines) {
      ASSERT_TRUE(d.Find(m.inStation) && d.Find(m.outStation)) << m.name;
      EXPECT_GT(d.Find(m.outStation)->s - d.Find(m.inStation)->s, 1.0) << m.name;
    }
    // A labelled point per station on the chart.
    QXYSeries* stations = Series(pane.TsChart(), kStationSeries);
    ASSERT_NE(stations, nullptr);
    EXPECT_EQ(stations->count(), int(host.stations.size()));
  }
}

TEST_F(ResultsPaneTest, OperatingLineOnTheCompressorMap) {
  const std::vector<double> speeds{1.0, 0.95, 0.9, 0.85};
  ASSERT_TRUE(pane.HasMaps(Slurp(kTurbojetMaps)));
  ASSERT_TRUE(pane.RunOffDesign(Slurp(kTurbojetMaps), kTurbojetMaps, "", "", speeds))
      << pane.MessageText().toStdString();
  ASSERT_EQ(pane.MapCharts().size(), 1u);
  TMapChartView* view = pane.MapCharts().front();
  const TCompressorMapChart& map = view->Map();
  // The surge line and one operating point per converged point.
  QXYSeries* surge = Series(view, kSurgeSeries);
  QXYSeries* operating = Series(view, kOperatingSeries);
  ASSERT_NE(surge, nullptr);
  ASSERT_NE(operating, nullptr);
  EXPECT_EQ(surge->count(), int(map.speedLines.size()));
  EXPECT_EQ(operating->count(), int(speeds.size()));
  EXPECT_EQ(pane.PointTable()->rowCount(), int(speeds.size()));
  // The design point lies on the design speed line of the scaled map.
  ASSERT_TRUE(map.hasDesign);
  ASSERT_NE(map.DesignLine(), nullptr);
  EXPECT_LT(DistanceFromLine(map.DesignLine()->points, map.design), 1e-4);
  // Off design at the design speed and flight condition is the design point again.
  ASSERT_EQ(map.operating.size(), speeds.size());
  EXPECT_NEAR(map.operating[0].Wc, map.design.Wc, 2e-3 * map.design.Wc);
  EXPECT_NEAR(map.operating[0].PR, map.design.PR, 2e-3 * map.design.PR);
  // Slower, less flow and less pressure ratio, each point below the surge line.
  for (std::size_t k = 1; k < map.operating.size(); ++k) {
    EXPECT_LT(map.operating[k].Wc, map.operating[k - 1].Wc) << k;
    EXPECT_LT(map.operating[k].PR, map.operating[k - 1].PR) << k;
  }
  EXPECT_TRUE(pane.ResidualTable()->isHidden());
}

struct FailureCase {
  const char* name;
  std::string (*model)();  // the model file's bytes
  const char* componentID;  // the ID the failure names ("" for none)
  const char* says;         // a part of the message
};

std::string BurnerBelowCompressorExit() {
  // A burner exit temperature of 500 K, below the compressor exit; its ID differs from its name.
  std::string m = Replaced(Slurp(kTurbojet), "<Texitdes>1400</Texitdes>", "<Texitdes>500</Texitdes>");
  return Replaced(m, "Name=\"Burner\" Nr=\"4\" ID=\"Burner\"", "Name=\"Burner\" Nr=\"4\" ID=\"hot-section\"");
}
std::string BrokenFile() { return Slurp(kTurbojet).substr(0, 900); }
std::string UnknownFormClass() {
  return Replaced(Slurp(kTurbojet), "FormClassName=\"TCompressorForm\"", "FormClassName=\"TNoSuchForm\"");
}

const FailureCase kFailures[] = {
    {"burner_exit_below_compressor_exit", BurnerBelowCompressorExit, "hot-section", "Burner"},
    {"broken_model_file", BrokenFile, "", ""},
    {"unknown_form_class", UnknownFormClass, "Compressor", "TNoSuchForm"},
};

class FailedDesignPoint : public ResultsPaneTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailedDesignPoint, SignalsTheComponentAndShowsItsMessage) {
  const FailureCase& c = GetParam();
  QSignalSpy failed(&pane, &TResultsPane::PointFailed);
  EXPECT_FALSE(pane.RunDesign(c.model(), kTurbojet, "", ""));
  ASSERT_EQ(failed.count(), 1);
  EXPECT_EQ(failed.at(0).at(0).toString().toStdString(), c.componentID);
  const QString message = failed.at(0).at(1).toString();
  EXPECT_FALSE(message.isEmpty());
  EXPECT_TRUE(message.contains(QString::fromUtf8(c.says))) << message.toStdString();
  EXPECT_EQ(pane.MessageText(), message);
  EXPECT_EQ(pane.StationTable()->rowCount(), 0);
  EXPECT_TRUE(pane.MapCharts().empty());
}

INSTANTIATE_TEST_SUITE_P(Models, FailedDesignPoint, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

// The point list switches the station table and the T-s diagram: at part
// speed the compressor does less work, its exit temperature is lower.
TEST_F(ResultsPaneTest, ChosenPointDrivesTableAndDiagram) {
  ASSERT_TRUE(pane.RunOffDesign(Slurp(kTurbojetMaps), kTurbojetMaps, "", "", {1.0, 0.8}));
  const QTableWidget* t = pane.StationTable();
  auto Tt3 = [&] { return CellNumber(t, StationRow(t, 3), Column(t, "Tt")).value; };
  pane.ShowPoint(-1);
  const double design = Tt3();
  EXPECT_NEAR(pane.TsChart()->Diagram().Find(3)->T, design, 0.01);
  pane.ShowPoint(0);  // the design speed again
  EXPECT_NEAR(Tt3(), design, 1e-3 * design);
  pane.ShowPoint(1);
  EXPECT_LT(Tt3(), design - 10.0);
  EXPECT_NEAR(pane.TsChart()->Diagram().Find(3)->T, Tt3(), 0.01);
}

TEST_F(ResultsPaneTest, UnconvergedPointListsItsResidualsAndNamesTheWorst) {
  // Two steps are too few to reach a part speed from the design point.
  engine::TSolverOptions few;
  few.maxIterations = 2;
  pane.SetSolverOptions(few);
  QSignalSpy failed(&pane, &TResultsPane::PointFailed);
  EXPECT_FALSE(pane.RunOffDesign(Slurp(kTurbojetMaps), kTurbojetMaps, "", "", {1.0, 0.85}));
  ASSERT_EQ(failed.count(), 1);
  EXPECT_TRUE(pane.MessageText().contains("0.85")) << pane.MessageText().toStdString();
  // Every listed error is one the solver left above its tolerance; the
  // component signalled owns the largest of them.
  const QTableWidget* t = pane.ResidualTable();
  ASSERT_FALSE(t->isHidden());
  ASSERT_GT(t->rowCount(), 0);
  double worst = 0;
  QString owner;
  for (int r = 0; r < t->rowCount(); ++r) {
    const double relative = std::fabs(CellNumber(t, r, 3).value);
    EXPECT_GT(relative, few.tolerance) << t->item(r, 1)->text().toStdString();
    if (relative > worst) {
      worst = relative;
      owner = t->item(r, 0)->text();
    }
  }
  EXPECT_EQ(failed.at(0).at(0).toString(), owner);
  // The converged design-speed point is on the map all the same.
  ASSERT_EQ(pane.MapCharts().size(), 1u);
  EXPECT_EQ(Series(pane.MapCharts().front(), kOperatingSeries)->count(), 1);
}

TEST_F(ResultsPaneTest, OffDesignWithoutMapsIsRefusedWithAReason) {
  EXPECT_FALSE(pane.HasMaps(Slurp(kTurbojet)));
  EXPECT_FALSE(pane.RunOffDesign(Slurp(kTurbojet), kTurbojet, "", "", {0.9}));
  EXPECT_TRUE(pane.MessageText().contains("no maps")) << pane.MessageText().toStdString();
}

TEST_F(ResultsPaneTest, AxesAndHeadingsSwitchUnitsWithoutARun) {
  ASSERT_TRUE(pane.RunOffDesign(Slurp(kTurbojetMaps), kTurbojetMaps, "", "", {1.0}));
  TMapChartView* map = pane.MapCharts().front();
  const double WcSI = Series(map, kDesignSeries)->at(0).x();
  pane.SetUnits(TUnitSystem::Imperial);
  EXPECT_TRUE(AxisTitle(pane.TsChart(), Qt::Vertical).endsWith("[R]"));
  EXPECT_TRUE(AxisTitle(pane.TsChart(), Qt::Horizontal).endsWith("[Btu/(lbm R)]"));
  EXPECT_TRUE(AxisTitle(map, Qt::Horizontal).endsWith("[lbm/s]"));
  EXPECT_NEAR(Series(map, kDesignSeries)->at(0).x(), WcSI / 0.45359237, 1e-9 * WcSI);
  EXPECT_EQ(Unit(pane.StationTable(), Column(pane.StationTable(), "Pt")), "psia");
  pane.SetUnits(TUnitSystem::SI);
  EXPECT_TRUE(AxisTitle(map, Qt::Horizontal).endsWith("[kg/s]"));
  EXPECT_EQ(Series(map, kDesignSeries)->at(0).x(), WcSI);
}

// Pixels of a colour (within a few levels per channel) in a part of an image.
int PixelsOf(const QImage& image, const QRect& part, const QColor& colour) {
  int n = 0;
  const QRect r = part.intersected(image.rect());
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (std::abs(c.red() - colour.red()) <= 12 && std::abs(c.green() - colour.green()) <= 12 &&
          std::abs(c.blue() - colour.blue()) <= 12)
        ++n;
    }
  return n;
}

// The width of all a table's columns together [px].
int ColumnsWidth(const QTableWidget* t) {
  int width = 0;
  for (int c = 0; c < t->columnCount(); ++c) width += t->columnWidth(c);
  return width;
}

// Where a widget lies in one of its ancestors.
QRect RectIn(const QWidget* w, const QWidget* ancestor) { return {w->mapTo(ancestor, QPoint(0, 0)), w->size()}; }

// The pane painted at the size of a small window, saved beside the test
// program for a look: the whole station table, the T-s diagram and the map
// side by side, each chart drawn where the other is not.
TEST_F(ResultsPaneTest, PaintsAtWindowSize) {
  ASSERT_TRUE(pane.RunOffDesign(Slurp(kTurbojetMaps), kTurbojetMaps, "", "", {1.0, 0.95, 0.9, 0.85, 0.8}));
  pane.resize(1200, 800);
  pane.show();
  QCoreApplication::processEvents();
  const QImage image = pane.grab().toImage();
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.size(), QSize(1200, 800));
  image.save("results-pane.png");
  // Every column of the station table in view: none cut mid-number.
  EXPECT_LE(ColumnsWidth(pane.StationTable()), pane.StationTable()->viewport()->width());
  // Both charts shown, side by side, neither on the other.
  ASSERT_EQ(pane.MapCharts().size(), 1u);
  QWidget* ts = pane.TsChart();
  QWidget* map = pane.MapCharts().front();
  ASSERT_TRUE(ts->isVisible());
  ASSERT_TRUE(map->isVisible());
  const QRect tsRect = RectIn(ts, &pane), mapRect = RectIn(map, &pane);
  EXPECT_FALSE(tsRect.intersects(mapRect));
  EXPECT_GE(mapRect.width(), 300);
  EXPECT_GE(tsRect.width(), 300);
  // The map's dashed surge line and green operating points are painted in its
  // place, the T-s diagram's station markers in its own; not the other way round.
  const QColor surge(200, 30, 30), operating(20, 150, 60), station(200, 60, 30);
  EXPECT_GT(PixelsOf(image, mapRect, surge), 50);
  EXPECT_GT(PixelsOf(image, mapRect, operating), 50);
  EXPECT_GT(PixelsOf(image, tsRect, station), 50);
  EXPECT_EQ(PixelsOf(image, tsRect, operating), 0);
  pane.SetUnits(TUnitSystem::Imperial);
  QCoreApplication::processEvents();
  pane.grab().save("results-pane-imperial.png");
}

// The editor's window at its own size, the turbojet on maps run along its
// operating line as the screenshot shows it: every icon in view, the whole
// station table, and the T-s diagram and the map both drawn.
class EditorWindowResults : public test::EditorFixture {};

TEST_F(EditorWindowResults, TableDiagramAndMapAllInView) {
  OpenExample("turbojet-maps.xml");
  ASSERT_TRUE(window_->RunOperatingLine());
  QCoreApplication::processEvents();
  const QImage image = window_->grab().toImage();
  image.save("editor-window.png");
  // The canvas shows its icons without scrolling down.
  auto* scroll = window_->findChild<QScrollArea*>();
  ASSERT_NE(scroll, nullptr);
  EXPECT_LE(canvas->childrenRect().bottom(), scroll->viewport()->height());
  const TResultsPane* pane = window_->Results();
  EXPECT_LE(ColumnsWidth(pane->StationTable()), pane->StationTable()->viewport()->width());
  ASSERT_EQ(pane->MapCharts().size(), 1u);
  QWidget* ts = pane->TsChart();
  QWidget* map = pane->MapCharts().front();
  ASSERT_TRUE(ts->isVisible() && map->isVisible());
  const QRect tsRect = RectIn(ts, window_.get()), mapRect = RectIn(map, window_.get());
  EXPECT_TRUE(image.rect().contains(tsRect));
  EXPECT_TRUE(image.rect().contains(mapRect));
  EXPECT_FALSE(tsRect.intersects(mapRect));
  EXPECT_GT(PixelsOf(image, mapRect, QColor(200, 30, 30)), 50);  // the surge line
  EXPECT_GT(PixelsOf(image, mapRect, QColor(20, 150, 60)), 50);  // the operating points
}

// A narrow pane stacks the T-s diagram above the map rather than squeezing both.
TEST_F(ResultsPaneTest, NarrowPaneStacksTheCharts) {
  ASSERT_TRUE(pane.RunOffDesign(Slurp(kTurbojetMaps), kTurbojetMaps, "", "", {1.0, 0.9}));
  pane.resize(900, 900);
  pane.show();
  QCoreApplication::processEvents();
  QWidget* ts = pane.TsChart();
  QWidget* map = pane.MapCharts().front();
  ASSERT_TRUE(map->isVisible());
  const QRect tsRect = RectIn(ts, &pane), mapRect = RectIn(map, &pane);
  EXPECT_LE(tsRect.bottom(), mapRect.top());
  EXPECT_FALSE(tsRect.intersects(mapRect));
}

// The limits field as the command line takes --limit: several in one line,
// values without a unit in the pane's unit system.
TEST_F(ResultsPaneTest, LimitsFieldReadsLimitsInThePanesUnits) {
  std::vector<engine::TOffDesignLimit> limits;
  std::string why;
  ASSERT_TRUE(TResultsPane::ReadLimits("T4<=2880, SM1>=0.1; Pt3 <= 2.5MPa", TUnitSystem::Imperial, limits, why))
      << why;
  ASSERT_EQ(limits.size(), 3u);
  EXPECT_EQ(limits[0].name, "T4");
  EXPECT_NEAR(limits[0].value, 1600.0, 1e-9);  // rankine
  EXPECT_FALSE(limits[1].upper);
  EXPECT_EQ(limits[2].value, 2.5e6);
  ASSERT_TRUE(TResultsPane::ReadLimits(" ", TUnitSystem::SI, limits, why)) << why;
  EXPECT_TRUE(limits.empty());
}

// A limit the pane cannot read runs nothing and says which and why; limits it
// reads hold every point, and the operating line names each point's limiter.
TEST_F(ResultsPaneTest, OffDesignTakesTheLimitsOfItsField) {
  pane.LimitsEdit()->setText(QStringLiteral("T4<=1600K, SM1>0.1"));
  EXPECT_FALSE(pane.RunOffDesign(Slurp(kTurbojetMaps), kTurbojetMaps, "", "", {1.0, 0.9}));
  EXPECT_TRUE(pane.MessageText().startsWith("Off-design limits: the limit \"SM1>0.1\" is no NAME<=VALUE"))
      << pane.MessageText().toStdString();
  EXPECT_EQ(pane.StationTable()->rowCount(), 0);
  EXPECT_EQ(pane.PointTable()->rowCount(), 0);

  // Loose limits: each point runs at its speed, which the limiter column names.
  pane.LimitsEdit()->setText(QStringLiteral("T4<=2000K, SM1>=0.01"));
  ASSERT_TRUE(pane.RunOffDesign(Slurp(kTurbojetMaps), kTurbojetMaps, "", "", {1.0, 0.9}))
      << pane.MessageText().toStdString();
  const QTableWidget* t = pane.PointTable();
  const int limiter = Column(t, "limiter");
  ASSERT_GE(limiter, 0);
  ASSERT_EQ(t->rowCount(), 2);
  for (int r = 0; r < t->rowCount(); ++r) EXPECT_EQ(t->item(r, limiter)->text(), "speed");
}

}  // namespace
}  // namespace vyr::editor
