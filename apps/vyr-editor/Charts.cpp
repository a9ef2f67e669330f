#include "Charts.h"

#include <QtCharts/QChart>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

#include "GasProperties.h"

namespace vyr::editor {

namespace {

// A text of a std::string for Qt.
QString ChartText(const std::string& s) { return QString::fromStdString(s); }

// Axis title with its unit: "Total temperature Tt [R]".
QString AxisTitle(const std::string& what, TParType type, TUnitSystem units) {
  const std::string unit = UnitName(type, units);
  return ChartText(what) + " [" + (unit.empty() ? QStringLiteral("-") : ChartText(unit)) + "]";
}

// The range of values with a margin on each side; a single value gets a small range around it.
struct TRange {
  double lo = std::numeric_limits<double>::infinity();
  double hi = -std::numeric_limits<double>::infinity();
  void Add(double v) {
    if (!std::isfinite(v)) return;
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
  bool Empty() const { return !(lo <= hi); }
  void Apply(QValueAxis* axis, double margin) const {
    if (Empty()) {
      axis->setRange(0.0, 1.0);
      return;
    }
    double a = lo, b = hi;
    const double span = b - a > 0 ? b - a : std::max(std::fabs(a), 1.0) * 0.1;
    a -= margin * span;
    b += margin * span;
    axis->setRange(a, b);
    axis->applyNiceNumbers();
  }
};

// A fresh chart for a view: no animation, a small margin, the legend below.
QChart* FreshChart(QChartView* view, const QString& title) {
  auto* chart = new QChart;
  chart->setAnimationOptions(QChart::NoAnimation);
  chart->setTitle(title);
  chart->setMargins(QMargins(4, 4, 4, 4));
  chart->legend()->setAlignment(Qt::AlignBottom);
  QChart* old = view->chart();
  view->setChart(chart);  // the view takes the new chart
  delete old;
  return chart;
}

void Attach(QChart* chart, QAbstractSeries* series, QValueAxis* x, QValueAxis* y, bool inLegend) {
  chart->addSeries(series);
  series->attachAxis(x);
  series->attachAxis(y);
  if (!inLegend)
    for (QLegendMarker* m : chart->legend()->markers(series)) m->setVisible(false);
}

// A series of one point that shows only its label: the label of a station or a speed line.
QScatterSeries* Label(const QString& text, double x, double y, const QColor& color, double size) {
  auto* s = new QScatterSeries;
  s->setName(text);
  s->append(x, y);
  s->setMarkerSize(size);
  s->setColor(color);
  s->setBorderColor(color);
  s->setPointLabelsFormat(text);  // no @xPoint: the text itself
  s->setPointLabelsVisible(true);
  s->setPointLabelsClipping(false);
  return s;
}

}  // namespace

// ---------------------------------------------------------------------------
// Data

const TTsPoint* TTsDiagram::Find(int station) const {
  for (const TTsPoint& p : points)
    if (p.station == station) return &p;
  return nullptr;
}

TTsDiagram MakeTsDiagram(const std::map<int, engine::TStation>& stations, const std::vector<TGasPathStep>& steps) {
  TTsDiagram d;
  // Stations in gas-path order: each step's inlet, then its outlet, as met.
  std::vector<int> order;
  std::set<int> seen;
  auto add = [&](int n) {
    if (stations.count(n) && seen.insert(n).second) order.push_back(n);
  };
  for (const TGasPathStep& s : steps) {
    add(s.from);
    add(s.to);
  }
  for (const auto& [n, st] : stations) add(n);
  if (order.empty()) return d;
  d.reference = order.front();
  const auto entropy = [&](int n) {
    const TGasconditions& g = stations.at(n).gas;
    return FS(g.Tt, g.Pt, g.Composition);
  };
  const double s0 = entropy(d.reference);
  for (int n : order) {
    const TGasconditions& g = stations.at(n).gas;
    // A station without a state (no pressure or temperature) has no entropy.
    if (!(g.Tt > 0) || !(g.Pt > 0)) continue;
    d.points.push_back({n, g.Tt, entropy(n) - s0});
  }
  for (const TGasPathStep& s : steps)
    if (d.Find(s.from) && d.Find(s.to) && s.from != s.to) d.steps.push_back(s);
  return d;
}

const TSpeedLine* TCompressorMapChart::DesignLine() const {
  for (const TSpeedLine& l : speedLines)
    if (std::fabs(l.N - designN) <= 1e-9 * std::max(1.0, std::fabs(designN))) return &l;
  return nullptr;
}

bool MakeCompressorMapChart(const engine::TCompressorMap& map, const engine::TMapScalars& s,
                            TCompressorMapChart& chart, std::string& error) {
  chart.mapName = map.name;
  chart.designN = map.designN;
  chart.speedLines.clear();
  chart.surge.clear();
  std::vector<double> speeds = map.grid.speeds;
  if (std::none_of(speeds.begin(), speeds.end(),
                   [&](double n) { return std::fabs(n - map.designN) <= 1e-9 * std::max(1.0, std::fabs(n)); }))
    speeds.push_back(map.designN);
  std::sort(speeds.begin(), speeds.end());
  const auto scaled = [&](const engine::TMapPoint& p) {
    const engine::TMapPoint q = engine::ApplyScalars(p, s);
    return TMapXY{q.W, q.PR};
  };
  for (double N : speeds) {
    TSpeedLine line{N, {}};
    for (double R : map.grid.coords) {
      engine::TMapPoint p;
      if (!map.Lookup(N, R, p, error)) return false;
      line.points.push_back(scaled(p));
    }
    engine::TMapPoint p;
    if (!map.Surge(N, p, error)) return false;
    chart.surge.push_back(scaled(p));
    chart.speedLines.push_back(std::move(line));
  }
  return true;
}

double DistanceFromLine(const std::vector<TMapXY>& line, const TMapXY& p) {
  if (line.size() < 2) return std::numeric_limits<double>::infinity();
  TRange x, y;
  for (const TMapXY& q : line) {
    x.Add(q.Wc);
    y.Add(q.PR);
  }
  const double sx = x.hi - x.lo > 0 ? x.hi - x.lo : 1.0, sy = y.hi - y.lo > 0 ? y.hi - y.lo : 1.0;
  double best = std::numeric_limits<double>::infinity();
  for (std::size_t k = 0; k + 1 < line.size(); ++k) {
    const double ax = line[k].Wc / sx, ay = line[k].PR / sy;
    const double bx = line[k + 1].Wc / sx, by = line[k + 1].PR / sy;
    const double px = p.Wc / sx, py = p.PR / sy;
    const double dx = bx - ax, dy = by - ay, len2 = dx * dx + dy * dy;
    const double t = len2 > 0 ? std::clamp(((px - ax) * dx + (py - ay) * dy) / len2, 0.0, 1.0) : 0.0;
    best = std::min(best, std::hypot(px - (ax + t * dx), py - (ay + t * dy)));
  }
  return best;
}

// ---------------------------------------------------------------------------
// T-s diagram

TTsChartView::TTsChartView(QWidget* parent) : QChartView(parent) {
  setRenderHint(QPainter::Antialiasing);
  setMinimumSize(260, 200);
  Rebuild();
}

void TTsChartView::SetDiagram(const TTsDiagram& d) {
  diagram_ = d;
  Rebuild();
}

void TTsChartView::SetUnits(TUnitSystem units) {
  units_ = units;
  Rebuild();
}

void TTsChartView::Rebuild() {
  QChart* chart = FreshChart(this, QStringLiteral("T-s diagram"));
  auto* x = new QValueAxis;
  auto* y = new QValueAxis;
  x->setTitleText(AxisTitle("Entropy s - s(" + std::to_string(diagram_.reference) + ")", ptSpecEntropy, units_));
  y->setTitleText(AxisTitle("Total temperature Tt", ptTemperature, units_));
  x->setLabelFormat("%.4g");
  y->setLabelFormat("%.0f");
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(y, Qt::AlignLeft);
  const auto X = [&](const TTsPoint& p) { return FromSI(ptSpecEntropy, units_, p.s); };
  const auto Y = [&](const TTsPoint& p) { return FromSI(ptTemperature, units_, p.T); };
  TRange rx, ry;
  for (const TTsPoint& p : diagram_.points) {
    rx.Add(X(p));
    ry.Add(Y(p));
  }
  rx.Apply(x, 0.08);
  ry.Apply(y, 0.08);
  // A line per step, one colour for the gas path.
  const QColor line(30, 90, 170);
  bool first = true;
  for (const TGasPathStep& s : diagram_.steps) {
    auto* series = new QLineSeries;
    series->setName(first ? QStringLiteral("gas path") : ChartText(s.component));
    series->setColor(line);
    const TTsPoint *a = diagram_.Find(s.from), *b = diagram_.Find(s.to);
    series->append(X(*a), Y(*a));
    series->append(X(*b), Y(*b));
    Attach(chart, series, x, y, first);
    first = false;
  }
  // The stations: one marker series (in the legend) and a label per station.
  auto* marks = new QScatterSeries;
  marks->setName(kStationSeries);
  marks->setMarkerSize(8);
  marks->setColor(QColor(200, 60, 30));
  for (const TTsPoint& p : diagram_.points) marks->append(X(p), Y(p));
  Attach(chart, marks, x, y, true);
  // A label per place: stations of (nearly) one state share one label ("5, 8, 9").
  const double near = 0.015;
  const double sx = x->max() - x->min(), sy = y->max() - y->min();
  std::vector<bool> done(diagram_.points.size(), false);
  for (std::size_t i = 0; i < diagram_.points.size(); ++i) {
    if (done[i]) continue;
    const TTsPoint& p = diagram_.points[i];
    QString text = QString::number(p.station);
    for (std::size_t j = i + 1; j < diagram_.points.size(); ++j) {
      const TTsPoint& q = diagram_.points[j];
      if (!done[j] && std::fabs(X(q) - X(p)) <= near * sx && std::fabs(Y(q) - Y(p)) <= near * sy) {
        done[j] = true;
        text += ", " + QString::number(q.station);
      }
    }
    Attach(chart, Label(text, X(p), Y(p), QColor(200, 60, 30), 1), x, y, false);
  }
}

// ---------------------------------------------------------------------------
// Compressor map

TMapChartView::TMapChartView(QWidget* parent) : QChartView(parent) {
  setRenderHint(QPainter::Antialiasing);
  setMinimumSize(260, 200);
  Rebuild();
}

void TMapChartView::SetMap(const TCompressorMapChart& map) {
  map_ = map;
  Rebuild();
}

void TMapChartView::SetUnits(TUnitSystem units) {
  units_ = units;
  Rebuild();
}

void TMapChartView::Rebuild() {
  const QString title = map_.component.empty()
                            ? QStringLiteral("Compressor map")
                            : ChartText(map_.component) + QStringLiteral(" on map ") + ChartText(map_.mapName);
  QChart* chart = FreshChart(this, title);
  auto* x = new QValueAxis;
  auto* y = new QValueAxis;
  x->setTitleText(AxisTitle("Corrected flow Wc", ptCorrFlow, units_));
  y->setTitleText(AxisTitle("Pressure ratio", ptNone, units_));
  x->setLabelFormat("%.4g");
  y->setLabelFormat("%.4g");
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(y, Qt::AlignLeft);
  const auto W = [&](const TMapXY& p) { return FromSI(ptCorrFlow, units_, p.Wc); };
  TRange rx, ry;
  for (const TSpeedLine& l : map_.speedLines)
    for (const TMapXY& p : l.points) {
      rx.Add(W(p));
      ry.Add(p.PR);
    }
  for (const TMapXY& p : map_.operating) {
    rx.Add(W(p));
    ry.Add(p.PR);
  }
  if (map_.hasDesign) {
    rx.Add(W(map_.design));
    ry.Add(map_.design.PR);
  }
  rx.Apply(x, 0.06);
  ry.Apply(y, 0.08);

  const QColor speed(90, 90, 90), design(30, 90, 170);
  for (const TSpeedLine& l : map_.speedLines) {
    const bool atDesign = &l == map_.DesignLine();
    auto* series = new QLineSeries;
    series->setName(QStringLiteral("N = %1").arg(l.N));
    QPen pen(atDesign ? design : speed);
    pen.setWidthF(atDesign ? 2.0 : 1.0);
    series->setPen(pen);
    for (const TMapXY& p : l.points) series->append(W(p), p.PR);
    Attach(chart, series, x, y, false);  // the labels name the speed lines
  }
  // The speed beside each line's surge end (its first R-line); where the ends
  // crowd (near the top speeds), a line whose label would cover another's goes
  // unlabelled. The design speed is labelled first, always.
  std::vector<const TSpeedLine*> labelled;
  if (const TSpeedLine* d = map_.DesignLine()) labelled.push_back(d);
  for (const TSpeedLine& l : map_.speedLines)
    if (&l != map_.DesignLine()) labelled.push_back(&l);
  const double sx = x->max() - x->min(), sy = y->max() - y->min();
  std::vector<QPointF> placed;  // in fractions of the axes
  for (const TSpeedLine* l : labelled) {
    if (l->points.empty()) continue;
    const TMapXY& end = l->points.front();
    const QPointF at((W(end) - x->min()) / sx, (end.PR - y->min()) / sy);
    if (std::any_of(placed.begin(), placed.end(), [&](const QPointF& q) {
          return std::fabs(q.x() - at.x()) < 0.07 && std::fabs(q.y() - at.y()) < 0.045;
        }))
      continue;
    placed.push_back(at);
    Attach(chart, Label(ChartText(SignificantText(l->N, 3)), W(end), end.PR, speed, 1), x, y, false);
  }
  if (!map_.surge.empty()) {
    auto* surge = new QLineSeries;
    surge->setName(kSurgeSeries);
    QPen pen(QColor(200, 30, 30));
    pen.setWidthF(2.0);
    pen.setStyle(Qt::DashLine);
    surge->setPen(pen);
    for (const TMapXY& p : map_.surge) surge->append(W(p), p.PR);
    Attach(chart, surge, x, y, true);
  }
  if (!map_.operating.empty()) {
    auto* op = new QScatterSeries;
    op->setName(kOperatingSeries);
    op->setMarkerSize(9);
    op->setColor(QColor(20, 150, 60));
    for (const TMapXY& p : map_.operating) op->append(W(p), p.PR);
    Attach(chart, op, x, y, true);
  }
  if (map_.hasDesign) {
    auto* d = new QScatterSeries;
    d->setName(kDesignSeries);
    d->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    d->setMarkerSize(12);
    // Hollow: an operating point at the design speed shows inside it.
    d->setBrush(Qt::NoBrush);
    QPen border(design);
    border.setWidthF(2.0);
    d->setPen(border);
    d->append(W(map_.design), map_.design.PR);
    Attach(chart, d, x, y, true);
  }
}

}  // namespace vyr::editor
