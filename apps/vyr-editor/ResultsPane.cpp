#include "ResultsPane.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <pugixml.hpp>
#include <utility>

#include "Charts.h"
#include "Messages.h"
#include "ModelHost.h"
#include "Numinpkq.h"
#include "Turbojet.h"
#include "vyrcompf.h"
#include "vyrcompl.h"

namespace vyr::editor {

namespace {

// The narrowest a chart is readable at: axis labels, title and legend [px].
constexpr int kChartMinWidth = 340;

QString PaneText(const std::string& s) { return QString::fromStdString(s); }

std::string Joined(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += (s.empty() ? "" : "\n") + l;
  return s;
}

// Collects the library's messages while the pane builds its tables (a value
// physics forbids is reported through them), so that no box waits for a user.
class TCollectedMessages {
 public:
  TCollectedMessages() {
    previous_ = SetMessageHandler([this](const TMessage& m) {
      lines.push_back(m.Text);
      return int(mrOk);
    });
  }
  ~TCollectedMessages() { SetMessageHandler(std::move(previous_)); }
  TCollectedMessages(const TCollectedMessages&) = delete;
  TCollectedMessages& operator=(const TCollectedMessages&) = delete;
  std::string Joined() const;
  std::vector<std::string> lines;

 private:
  TMessageHandler previous_;
};

std::string TCollectedMessages::Joined() const { return editor::Joined(lines); }

// The component names a run's texts use, each with its icon's ID: the form's
// identification ("Nr. 3 Component: Compressor"), the component name and the ID.
class TComponentIDs {
 public:
  void Add(const std::string& key, const std::string& id) {
    if (!key.empty()) keys_.emplace_back(key, id);
  }
  // The ID of the component a text names: exactly, or as its "<name>:" start,
  // or as the "TVYRcomp:<ID>" of a model path; "" when it names none.
  std::string Of(const std::string& text) const {
    for (const auto& [key, id] : keys_)
      if (text == key) return id;
    std::size_t best = 0;
    std::string found;
    for (const auto& [key, id] : keys_)
      if (key.size() > best && text.size() > key.size() && text.compare(0, key.size(), key) == 0 &&
          text[key.size()] == ':') {
        best = key.size();
        found = id;
      }
    if (!found.empty()) return found;
    return PathID(text);
  }
  // The ID in a model path "/Model/BaseCfg/Components/TVYRcomp:Burner: ...".
  static std::string PathID(const std::string& text) {
    const std::string tag = "/TVYRcomp:";
    const std::size_t at = text.find(tag);
    if (at == std::string::npos) return "";
    const std::size_t from = at + tag.size();
    std::size_t end = from;
    while (end < text.size() && text[end] != ':' && text[end] != '/' && text[end] != ' ') ++end;
    return text.substr(from, end - from);
  }

 private:
  std::vector<std::pair<std::string, std::string>> keys_;
};

// The components of a loaded model, by every name a failure may use.
TComponentIDs IDsOf(const run::TModelHost& host) {
  TComponentIDs ids;
  for (TVYRcomp* icon : host.CalcOrder()) {
    if (!icon->Compform) continue;
    const std::string id = icon->objectName().toStdString();
    ids.Add(icon->Compform->IDstr(), id);
    ids.Add(icon->Compform->ComponentName(), id);
    ids.Add(id, id);
  }
  return ids;
}

template <class F>
F* Field(TVYRcompform& form, const char* name) {
  return dynamic_cast<F*>(form.findChild<QObject*>(QString::fromUtf8(name)));
}

// The map file a form names, relative to the model's folder.
std::string MapPath(const std::string& modelDir, const std::string& file) {
  const std::filesystem::path p(file);
  if (p.is_absolute() || modelDir.empty()) return file;
  return (std::filesystem::path(modelDir) / p).string();
}

// A cell of a results table as text in the unit system; "-" for none.
std::string CellText(const cli::Column& c, const cli::Cell& cell, TUnitSystem u) {
  if (std::holds_alternative<std::monostate>(cell)) return "-";
  if (const auto* s = std::get_if<std::string>(&cell)) return *s;
  if (const auto* b = std::get_if<bool>(&cell)) return *b ? "yes" : "no";
  const double v = std::get<double>(cell);
  if (c.own || !c.unit.empty() || c.type == ptNone)
    return NumberText(cli::Shown(c, LibraryUnits(u), v), c.decimals);
  return ValueText(c.type, u, v, c.decimals);
}

std::string UnitText(const cli::Column& c, TUnitSystem u) { return cli::UnitOf(c, LibraryUnits(u)); }

QTableWidgetItem* Item(const QString& text, bool number) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
  item->setTextAlignment(number ? (Qt::AlignRight | Qt::AlignVCenter) : (Qt::AlignLeft | Qt::AlignVCenter));
  return item;
}

QTableWidget* NewTable(QWidget* parent, const char* name) {
  auto* t = new QTableWidget(parent);
  t->setObjectName(QString::fromUtf8(name));
  t->setEditTriggers(QAbstractItemView::NoEditTriggers);
  t->setSelectionMode(QAbstractItemView::ContiguousSelection);
  t->verticalHeader()->setVisible(false);
  t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 6);
  t->setWordWrap(false);
  return t;
}

// Fills a table widget with one results table: a column per column, the unit
// below the heading.
void Fill(QTableWidget* w, const cli::Table& t, TUnitSystem u) {
  w->clear();
  w->setColumnCount(int(t.columns.size()));
  w->setRowCount(int(t.rows.size()));
  QStringList headings;
  for (const cli::Column& c : t.columns) {
    const std::string unit = UnitText(c, u);
    headings << PaneText(c.heading) + (unit.empty() ? QString() : "\n" + PaneText(unit));
  }
  w->setHorizontalHeaderLabels(headings);
  for (std::size_t r = 0; r < t.rows.size(); ++r)
    for (std::size_t k = 0; k < t.columns.size() && k < t.rows[r].size(); ++k) {
      const cli::Cell& cell = t.rows[r][k];
      w->setItem(int(r), int(k), Item(PaneText(CellText(t.columns[k], cell, u)), std::holds_alternative<double>(cell)));
    }
  w->resizeColumnsToContents();
}

// A state that the tables of a design point take, of an off-design point.
engine::TEngineState StateOf(const engine::TOffDesignResult& r) {
  engine::TEngineState s;
  s.stations = r.stations;
  s.shafts = r.shafts;
  s.performance = r.performance;
  s.V0 = r.performance.V0;
  return s;
}

QString PointName(const engine::TOffDesignResult& r) {
  const QString value = r.point.control == engine::TOffDesignControl::Speed
                            ? PaneText(FixedText(r.point.value, 4))
                            : PaneText(SignificantText(r.point.value, 6));
  return QString::fromUtf8(engine::ControlName(r.point.control)) + " = " + value;
}

}  // namespace

// Everything a run gave, in SI units; the widgets are drawn from it.
struct TResultsPane::TRun {
  bool hasDesign = false;
  engine::TEngineState design;
  bool offDesign = false;
  std::vector<engine::TOffDesignResult> points;
  std::vector<TGasPathStep> steps;
  std::vector<TCompressorMapChart> maps;
  std::vector<std::string> warnings;
  std::string failure;  // the first failure, as shown
  std::vector<engine::TSolverError> residuals;  // of the first failed off-design point, unconverged only
};

TResultsPane::TResultsPane(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("resultsPane"));
  auto* top = new QVBoxLayout(this);
  top->setContentsMargins(2, 2, 2, 2);
  top->setSpacing(3);

  message_ = new QLabel(this);
  message_->setObjectName(QStringLiteral("resultsMessage"));
  message_->setWordWrap(true);
  message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  message_->setTextFormat(Qt::PlainText);
  message_->hide();
  top->addWidget(message_);

  residualTable_ = NewTable(this, "residualTable");
  residualTable_->setMaximumHeight(130);
  residualTable_->hide();
  top->addWidget(residualTable_);

  // The point list of an off-design run, and the limits of the next one.
  pointRow_ = new QWidget(this);
  auto* row = new QHBoxLayout(pointRow_);
  row->setContentsMargins(0, 0, 0, 0);
  pointLabel_ = new QLabel(tr("Point:"), pointRow_);
  row->addWidget(pointLabel_);
  pointBox_ = new QComboBox(pointRow_);
  pointBox_->setObjectName(QStringLiteral("pointBox"));
  pointBox_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  row->addWidget(pointBox_);
  row->addSpacing(12);
  row->addWidget(new QLabel(tr("Off-design limits:"), pointRow_));
  limitsEdit_ = new QLineEdit(pointRow_);
  limitsEdit_->setObjectName(QStringLiteral("limitsEdit"));
  limitsEdit_->setPlaceholderText(tr("none, or e.g. T4<=1600K, N1<=1.02, SM1>=0.1"));
  limitsEdit_->setToolTip(
      tr("Limits of the off-design runs, as vyr run --limit takes them, separated by commas: T<station>, "
         "Pt<station>, N<shaft>, Nc<compressor>, SM<compressor> (surge margin at constant speed), SMW<compressor> "
         "(at constant flow), Wf, FN; <= or >=; a value with an optional unit"));
  limitsEdit_->setMinimumWidth(limitsEdit_->fontMetrics().horizontalAdvance(limitsEdit_->placeholderText()) + 16);
  row->addWidget(limitsEdit_, 1);
  top->addWidget(pointRow_);
  connect(pointBox_, &QComboBox::activated, this, [this](int index) { ShowPoint(index - 1); });

  // The tables on the left: the station table (or the operating line) above
  // the figures; the charts on the right: the T-s diagram beside the maps.
  split_ = new QSplitter(Qt::Horizontal, this);
  split_->setChildrenCollapsible(false);
  auto* left = new QSplitter(Qt::Vertical, split_);
  left->setObjectName(QStringLiteral("resultTableColumn"));
  left->setChildrenCollapsible(false);
  tables_ = new QTabWidget(left);
  tables_->setObjectName(QStringLiteral("resultTables"));
  stationTable_ = NewTable(tables_, "stationTable");
  // As large as its rows and columns, so that the splitters give it that much.
  stationTable_->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
  tables_->addTab(stationTable_, tr("Stations"));
  pointTable_ = NewTable(tables_, "pointTable");
  tables_->addTab(pointTable_, tr("Operating line"));
  tables_->setTabVisible(1, false);
  figureTable_ = NewTable(left, "figureTable");
  figureTable_->horizontalHeader()->setStretchLastSection(true);  // no grey strip beside the units
  left->addWidget(tables_);
  left->addWidget(figureTable_);
  left->setStretchFactor(0, 0);
  left->setStretchFactor(1, 1);
  charts_ = new QSplitter(Qt::Horizontal, split_);
  charts_->setObjectName(QStringLiteral("resultCharts"));
  charts_->setChildrenCollapsible(false);
  charts_->installEventFilter(this);
  tsChart_ = new TTsChartView(charts_);
  tsChart_->setObjectName(QStringLiteral("tsChart"));
  mapTabs_ = new QTabWidget(charts_);
  mapTabs_->setObjectName(QStringLiteral("mapCharts"));
  mapTabs_->setTabBarAutoHide(true);  // one map: its chart's title names it
  mapTabs_->setDocumentMode(true);
  mapTabs_->hide();
  charts_->addWidget(tsChart_);
  charts_->addWidget(mapTabs_);
  charts_->setStretchFactor(0, 1);
  charts_->setStretchFactor(1, 1);
  split_->addWidget(left);
  split_->addWidget(charts_);
  split_->setStretchFactor(0, 0);
  split_->setStretchFactor(1, 1);
  top->addWidget(split_, 1);
  Clear();
}

TResultsPane::~TResultsPane() = default;

bool TResultsPane::eventFilter(QObject* watched, QEvent* event) {
  // The T-s diagram beside the maps while each gets a readable width, else above them.
  if (watched == charts_ && event->type() == QEvent::Resize) {
    const int width = static_cast<QResizeEvent*>(event)->size().width();
    charts_->setOrientation(width >= 2 * kChartMinWidth + charts_->handleWidth() ? Qt::Horizontal : Qt::Vertical);
  }
  return QWidget::eventFilter(watched, event);
}

void TResultsPane::Clear() {
  run_ = std::make_unique<TRun>();
  shown_ = -1;
  pointBox_->clear();
  for (TMapChartView* c : mapCharts_) delete c;
  mapCharts_.clear();
  Render();
}

QString TResultsPane::MessageText() const { return message_->isHidden() ? QString() : message_->text(); }

void TResultsPane::ShowMessage(const QString& text, bool error) {
  message_->setText(text);
  message_->setStyleSheet(error ? QStringLiteral("QLabel { color: #b00000; }")
                                : QStringLiteral("QLabel { color: #806000; }"));
  message_->setVisible(!text.isEmpty());
}

bool TResultsPane::Fail(const std::string& componentID, const std::string& message) {
  if (run_->failure.empty()) run_->failure = message;
  Render();
  emit PointFailed(PaneText(componentID), PaneText(message));
  return false;
}

bool TResultsPane::HasMaps(const std::string& modelXml) const {
  pugi::xml_document doc;
  if (!doc.load_buffer(modelXml.data(), modelXml.size())) return false;
  for (pugi::xpath_node n : doc.select_nodes("//TVYRcomp/MapFile")) {
    const std::string text = n.node().text().get();
    if (text.find_first_not_of(" \t\r\n") != std::string::npos) return true;
  }
  return false;
}

bool TResultsPane::RunDesign(const std::string& modelXml, const std::string& sourceName, const std::string& config,
                             const std::string& caseID) {
  Clear();
  TRun& r = *run_;
  std::string failedID, failure;
  {
    run::TModelHost host;
    if (!host.LoadFromString(modelXml, sourceName, config, caseID)) {
      failure = Joined(host.Errors());
      if (failure.empty()) failure = "The model is not valid";
      const std::string first = host.Errors().empty() ? "" : host.Errors().front();
      return Fail(TComponentIDs::PathID(first), failure);
    }
    const TComponentIDs ids = IDsOf(host);
    for (TVYRcomp* icon : host.CalcOrder()) {
      if (!icon->Compform) continue;
      // The component's steps along the gas path: every inlet to every outlet.
      std::vector<int> in, out;
      for (TVYRLink* l : icon->Links()) {
        if (!l->Visible() || l->Station() < -0.1) continue;
        const int station = int(std::lround(l->Station()));
        if (l->Ltype() == ltIn1 || l->Ltype() == ltIn2) in.push_back(station);
        if (l->Ltype() == ltOut1 || l->Ltype() == ltOut2) out.push_back(station);
      }
      for (int a : in)
        for (int b : out) r.steps.push_back({a, b, icon->Compform->ComponentName()});
    }
    const run::TRunStatus status = host.Run(r.design);
    r.warnings = host.Warnings();
    if (status != run::TRunStatus::Ok) {
      failure = Joined(host.Errors());
      if (failure.empty()) failure = "The design point failed";
      failedID = host.Errors().empty() ? "" : ids.Of(host.Errors().front());
    } else {
      r.hasDesign = true;
      // Each compressor on a map: the map its form names, scaled by the design point's scalars.
      for (const engine::TMapResult& m : r.design.performance.maps) {
        if (m.turbine) continue;
        TVYRcompform* form = nullptr;
        for (TVYRcomp* icon : host.CalcOrder())
          if (icon->Compform && icon->Compform->ComponentName() == m.name) form = icon->Compform.data();
        if (form == nullptr) continue;
        const auto* file = Field<TStringFld>(*form, "MapFile");
        const auto *sN = Field<TNumFld>(*form, "MapsN"), *sW = Field<TNumFld>(*form, "MapsW");
        const auto *sPR = Field<TNumFld>(*form, "MapsPR"), *sEff = Field<TNumFld>(*form, "MapsEff");
        if (!file || !sN || !sW || !sPR || !sEff || file->Text().empty()) continue;
        engine::TCompressorMap map;
        std::string why;
        TCompressorMapChart chart;
        chart.component = m.name;
        const engine::TMapScalars s{sN->GetValue(), sW->GetValue(), sPR->GetValue(), sEff->GetValue()};
        if (!engine::TCompressorMap::Read(MapPath(r.design.modelDir, file->Text()), map, why) ||
            !MakeCompressorMapChart(map, s, chart, why)) {
          r.warnings.push_back(m.name + ": no map chart: " + why);
          continue;
        }
        chart.hasDesign = true;
        chart.design = {m.Wc, m.PR};
        r.maps.push_back(std::move(chart));
      }
    }
  }
  if (!failure.empty()) return Fail(failedID, failure);
  Render();
  return run_->failure.empty();
}

bool TResultsPane::ReadLimits(const std::string& text, TUnitSystem units,
                              std::vector<engine::TOffDesignLimit>& limits, std::string& error) {
  limits.clear();
  std::size_t from = 0;
  while (from <= text.size()) {
    std::size_t end = text.find_first_of(",;", from);
    if (end == std::string::npos) end = text.size();
    const std::size_t first = text.find_first_not_of(" \t", from);
    const std::size_t last = text.find_last_not_of(" \t", end == 0 ? 0 : end - 1);
    from = end + 1;
    if (first == std::string::npos || first >= end) continue;
    const std::string item = text.substr(first, last - first + 1);
    engine::TOffDesignLimit l;
    if (!engine::ParseLimit(item, units == TUnitSystem::Imperial, l, error)) return false;
    limits.push_back(l);
  }
  return true;
}

bool TResultsPane::RunOffDesign(const std::string& modelXml, const std::string& sourceName,
                                const std::string& config, const std::string& caseID,
                                const std::vector<double>& speeds) {
  // The limits first: a limit the pane cannot read runs nothing.
  std::vector<engine::TOffDesignLimit> limits;
  std::string why;
  if (!ReadLimits(limitsEdit_->text().toStdString(), units_, limits, why)) {
    Clear();
    run_->failure = "Off-design limits: " + why;
    Render();
    return false;
  }
  if (!RunDesign(modelXml, sourceName, config, caseID)) return false;
  TRun& r = *run_;
  if (!HasMaps(modelXml)) {
    r.failure = "No off-design run: the model has no maps (a compressor and a turbine need a \"MapFile\")";
    Render();
    return false;
  }
  const TAmbConditions& amb = r.design.ambient;
  std::vector<engine::TOffDesignPoint> points;
  for (double n : speeds.empty() ? std::vector<double>{1.0} : speeds)
    points.push_back({amb.Zp, amb.Mach, amb.dTs, engine::TOffDesignControl::Speed, n, limits});
  TComponentIDs ids;
  std::string invalid, invalidID;
  {
    run::TModelHost host;
    if (!host.LoadFromString(modelXml, sourceName, config, caseID)) {
      invalid = Joined(host.Errors());
      invalidID = host.Errors().empty() ? "" : TComponentIDs::PathID(host.Errors().front());
    } else {
      ids = IDsOf(host);
      engine::TEngineState state;
      const run::TRunStatus status = host.RunOffDesign(state, points, r.points, solver_);
      for (std::string& w : host.Warnings()) r.warnings.push_back(std::move(w));
      if (status == run::TRunStatus::Invalid || (status == run::TRunStatus::Failed && r.points.empty())) {
        invalid = Joined(host.Errors());
        if (invalid.empty()) invalid = "The off-design run failed";
        invalidID = host.Errors().empty() ? "" : ids.Of(host.Errors().front());
      }
    }
  }
  r.offDesign = true;
  if (!invalid.empty()) return Fail(invalidID, invalid);
  // The operating points on the maps; the last converged point is shown.
  shown_ = -1;
  for (std::size_t k = 0; k < r.points.size(); ++k) {
    const engine::TOffDesignResult& p = r.points[k];
    if (!p.ok) continue;
    shown_ = int(k);
    for (const engine::TMapResult& m : p.performance.maps)
      for (TCompressorMapChart& c : r.maps)
        if (!m.turbine && c.component == m.name) c.operating.push_back({m.Wc, m.PR});
  }
  for (const engine::TOffDesignResult& p : r.points) {
    if (p.ok) continue;
    std::string why = p.error;
    if (!p.component.empty() && why.find(p.component) == std::string::npos) why = p.component + ": " + why;
    // The errors the solver left (a point whose start could not be calculated has none to show).
    if (p.evaluations > 1)
      for (const engine::TSolverError& e : p.errors)
        if (!(std::fabs(e.Normalised()) <= solver_.tolerance)) r.residuals.push_back(e);
    std::string id = ids.Of(p.component);
    if (id.empty()) id = ids.Of(why);
    return Fail(id, "Off-design point " + PointName(p).toStdString() + " failed: " + why);
  }
  Render();
  return true;
}

void TResultsPane::SetUnits(TUnitSystem units) {
  if (units == units_) return;
  units_ = units;
  Render();
}

void TResultsPane::ShowPoint(int index) {
  if (index < -1 || index >= int(run_->points.size())) return;
  shown_ = index;
  if (pointBox_->currentIndex() != index + 1) pointBox_->setCurrentIndex(index + 1);
  RenderStations();
  RenderCharts();
}

void TResultsPane::Render() {
  const TRun& r = *run_;
  if (!r.failure.empty()) {
    ShowMessage(PaneText(r.failure), true);
  } else if (!r.warnings.empty()) {
    ShowMessage(tr("Warnings:") + "\n" + PaneText(Joined(r.warnings)), false);
  } else {
    ShowMessage(QString(), false);
  }
  // The point list of an off-design run: the design point, then each point.
  pointBox_->clear();
  if (r.offDesign) {
    pointBox_->addItem(tr("design point"));
    for (const engine::TOffDesignResult& p : r.points)
      pointBox_->addItem(PointName(p) + (p.ok ? QString() : tr(" (failed)")));
    pointBox_->setCurrentIndex(shown_ + 1);
  }
  pointLabel_->setVisible(r.offDesign && !r.points.empty());
  pointBox_->setVisible(r.offDesign && !r.points.empty());
  RenderResiduals();
  RenderStations();
  RenderPoints();
  RenderCharts();
}

void TResultsPane::RenderResiduals() {
  const TRun& r = *run_;
  QTableWidget* t = residualTable_;
  t->clear();
  t->setColumnCount(4);
  t->setHorizontalHeaderLabels({tr("component"), tr("unconverged error"), tr("value"), tr("relative to its scale")});
  t->setRowCount(int(r.residuals.size()));
  for (std::size_t k = 0; k < r.residuals.size(); ++k) {
    const engine::TSolverError& e = r.residuals[k];
    t->setItem(int(k), 0, Item(PaneText(e.component), false));
    t->setItem(int(k), 1, Item(PaneText(e.name), false));
    t->setItem(int(k), 2, Item(PaneText(SignificantText(e.value, 5)), true));
    t->setItem(int(k), 3, Item(PaneText(SignificantText(e.Normalised(), 4)), true));
  }
  t->resizeColumnsToContents();
  t->setVisible(!r.residuals.empty());
}

void TResultsPane::RenderStations() {
  const TRun& r = *run_;
  stationTable_->clear();
  stationTable_->setRowCount(0);
  stationTable_->setColumnCount(0);
  figureTable_->clear();
  figureTable_->setRowCount(0);
  figureTable_->setColumnCount(0);
  const engine::TEngineState* state = r.hasDesign ? &r.design : nullptr;
  engine::TEngineState point;
  if (shown_ >= 0 && shown_ < int(r.points.size())) {
    state = nullptr;
    if (r.points[shown_].ok) {
      point = StateOf(r.points[shown_]);
      state = &point;
    }
  }
  if (state == nullptr) return;
  cli::Report report;
  {
    TCollectedMessages problems;
    if (!cli::EngineStateTables(*state, report, usSI)) {
      ShowMessage(PaneText(problems.Joined()), true);
      return;
    }
  }
  // The station table, then every other table as figures: one line per value.
  figureTable_->setColumnCount(3);
  figureTable_->setHorizontalHeaderLabels({tr("figure"), tr("value"), tr("unit")});
  for (const cli::Table& t : report.tables) {
    if (t.name == "stations") {
      Fill(stationTable_, t, units_);
      continue;
    }
    // A section line with the table's name.
    const int at = figureTable_->rowCount();
    figureTable_->insertRow(at);
    QString section = PaneText(t.name);
    if (!section.isEmpty()) section[0] = section[0].toUpper();
    QTableWidgetItem* head = Item(section, false);
    QFont bold = head->font();
    bold.setBold(true);
    head->setFont(bold);
    figureTable_->setItem(at, 0, head);
    figureTable_->setSpan(at, 0, 1, 3);
    for (const cli::Row& row : t.rows) {
      // A row named by its first, text column ("Compressor") prefixes its figures.
      std::string prefix;
      std::size_t first = 0;
      if (!t.columns.empty() && t.columns[0].type == ptNone && !row.empty() &&
          std::holds_alternative<std::string>(row[0])) {
        prefix = std::get<std::string>(row[0]) + " ";
        first = 1;
      }
      for (std::size_t k = first; k < t.columns.size() && k < row.size(); ++k) {
        const cli::Column& c = t.columns[k];
        const int n = figureTable_->rowCount();
        figureTable_->insertRow(n);
        figureTable_->setItem(n, 0, Item(PaneText(prefix + c.heading), false));
        figureTable_->setItem(n, 1, Item(PaneText(CellText(c, row[k], units_)), std::holds_alternative<double>(row[k])));
        figureTable_->setItem(n, 2, Item(PaneText(UnitText(c, units_)), false));
      }
    }
  }
  figureTable_->resizeColumnsToContents();
  // Both tables as wide as their columns, up to a limit (then they scroll).
  for (QTableWidget* t : {stationTable_, figureTable_}) {
    int need = 2 * t->frameWidth() + t->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < t->columnCount(); ++c) need += t->columnWidth(c);
    t->setMinimumWidth(std::min(need, t == stationTable_ ? 620 : 330));
  }
}

void TResultsPane::RenderPoints() {
  const TRun& r = *run_;
  const int tab = tables_->indexOf(pointTable_);
  tables_->setTabVisible(tab, r.offDesign && !r.points.empty());
  pointTable_->clear();
  pointTable_->setRowCount(0);
  pointTable_->setColumnCount(0);
  if (!r.offDesign || r.points.empty()) return;
  cli::Report report;
  {
    TCollectedMessages quiet;
    cli::OffDesignTable(r.points, report, usSI);
  }
  if (!report.tables.empty()) Fill(pointTable_, report.tables.front(), units_);
}

void TResultsPane::RenderCharts() {
  const TRun& r = *run_;
  // The T-s diagram of the point shown.
  const std::map<int, engine::TStation>* stations = r.hasDesign ? &r.design.stations : nullptr;
  if (shown_ >= 0 && shown_ < int(r.points.size()))
    stations = r.points[shown_].ok ? &r.points[shown_].stations : nullptr;
  tsChart_->SetUnits(units_);
  tsChart_->SetDiagram(stations ? MakeTsDiagram(*stations, r.steps) : TTsDiagram{});
  // A chart per compressor map: made once per run, redrawn in the units.
  if (mapCharts_.size() != r.maps.size()) {
    for (TMapChartView* c : mapCharts_) delete c;
    mapCharts_.clear();
    for (const TCompressorMapChart& m : r.maps) {
      auto* view = new TMapChartView(mapTabs_);
      view->setObjectName(PaneText("mapChart:" + m.component));
      mapTabs_->addTab(view, tr("Map: %1").arg(PaneText(m.component)));
      mapCharts_.push_back(view);
    }
  }
  mapTabs_->setVisible(!mapCharts_.empty());
  for (std::size_t k = 0; k < r.maps.size(); ++k) {
    mapCharts_[k]->SetUnits(units_);
    mapCharts_[k]->SetMap(r.maps[k]);
  }
}

}  // namespace vyr::editor
