#pragma once
// The editor's results pane: runs a model saved to a string through its own
// model host (never the editor's canvas icons) and shows what the run gives:
// the station table with the performance figures beside it, the operating
// line of an off-design run, the T-s diagram of the cycle and each
// compressor's map with the surge line, the design point and the operating
// points. A failed point shows the component's message (and, off design, the
// residuals that did not converge) and is signalled with the component's ID.
//
// Layout: the station table (a tab beside the operating line) above the
// figures on the left; the T-s diagram beside the maps on the right (a tab per
// map when there are several), stacked when the pane is too narrow for both.
//
// Every number is kept in SI units; SetUnits switches the tables and the
// charts' axes at once, without a new run.
//
// The component libraries the model names must be loaded before a run (the
// editor loads them at its start). Runs happen on the GUI thread; the model
// host answers every question of the library with Cancel and collects its
// messages, so nothing waits for the user.
//
// Off-design runs take the limits typed into the pane's limits field, as
// vyr run --limit takes them ("T4<=1600K, SM1>=0.1"): the point runs at its
// control unless a limit would be exceeded, and the operating line names the
// active limiter of each point.
//
// Beyond the editor's calls (RunDesign, RunOffDesign, HasMaps, SetUnits,
// Clear, PointFailed), the accessors at the end let tests and the window look
// at what the pane shows.

#include <QString>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "NewtonSolver.h"
#include "OffDesign.h"
#include "Units.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QSplitter;
class QTabWidget;
class QTableWidget;

namespace vyr::editor {

class TMapChartView;
class TTsChartView;
struct TTsDiagram;
struct TCompressorMapChart;

class TResultsPane : public QWidget {
  Q_OBJECT
 public:
  explicit TResultsPane(QWidget* parent = nullptr);
  ~TResultsPane() override;

  /// Runs the design point of a model given as model-file bytes (the editor saves its
  /// document to a string first) with a configuration and case; shows the station table,
  /// the performance figures, the T-s diagram and each compressor's map. False when the
  /// model or the point failed; the pane then shows the reason.
  bool RunDesign(const std::string& modelXml, const std::string& sourceName, const std::string& config,
                 const std::string& caseID);
  /// Off design: one point, or an operating line (a list of points) when the model has maps.
  /// The points run at the flight condition of the model's design point, each at a speed of
  /// shaft 1 (fraction of its design speed; none: the design speed). The design point runs
  /// first (its figures mark the maps); the station table and the T-s diagram then show the
  /// point chosen in the pane's point list (the last converged one at first). The limits
  /// field's limits hold every point; a limit the pane cannot read stops the run before it
  /// starts, with the reason. False when the limits, the model, the design point or any
  /// off-design point failed.
  bool RunOffDesign(const std::string& modelXml, const std::string& sourceName, const std::string& config,
                    const std::string& caseID, const std::vector<double>& speeds /* relative shaft-1 speeds */);
  /// True when a component of the model names a map file (element "MapFile" with a text).
  bool HasMaps(const std::string& modelXml) const;
  void SetUnits(TUnitSystem units);
  /// Reads limits as the limits field holds them: vyr run --limit texts separated by commas or
  /// semicolons ("T4<=1600K, SM1>=0.1"), values without a unit in the unit system. False with
  /// the reason for the first one that is no limit.
  static bool ReadLimits(const std::string& text, TUnitSystem units, std::vector<engine::TOffDesignLimit>& limits,
                         std::string& error);
  TUnitSystem Units() const { return units_; }
  /// Settings of the off-design solver (the engine layer's defaults at first).
  void SetSolverOptions(const engine::TSolverOptions& options) { solver_ = options; }
  void Clear();

  // --- What the pane shows (for tests and the window) ------------------------
  QTableWidget* StationTable() const { return stationTable_; }
  QTableWidget* FigureTable() const { return figureTable_; }
  QTableWidget* PointTable() const { return pointTable_; }
  QTableWidget* ResidualTable() const { return residualTable_; }
  /// The limits of off-design runs, typed as on vyr's command line.
  QLineEdit* LimitsEdit() const { return limitsEdit_; }
  /// The failure (or the run's warnings); empty after a clean run.
  QString MessageText() const;
  TTsChartView* TsChart() const { return tsChart_; }
  /// A chart per compressor on a map, in calculation order.
  const std::vector<TMapChartView*>& MapCharts() const { return mapCharts_; }
  /// Chooses the point the station table and the T-s diagram show: -1 the design point,
  /// else an off-design point by index (a failed one shows nothing).
  void ShowPoint(int index);

 signals:
  /// A point failed in component componentID (the icon's ID) with message; the editor selects and marks that icon.
  void PointFailed(const QString& componentID, const QString& message);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct TRun;
  bool Fail(const std::string& componentID, const std::string& message);
  void Render();
  void RenderStations();
  void RenderPoints();
  void RenderResiduals();
  void RenderCharts();
  void ShowMessage(const QString& text, bool error);

  TUnitSystem units_ = TUnitSystem::SI;
  engine::TSolverOptions solver_;
  std::unique_ptr<TRun> run_;
  int shown_ = -1;

  QLabel* message_ = nullptr;
  QTableWidget* residualTable_ = nullptr;
  QWidget* pointRow_ = nullptr;
  QLabel* pointLabel_ = nullptr;
  QComboBox* pointBox_ = nullptr;
  QLineEdit* limitsEdit_ = nullptr;
  QSplitter* split_ = nullptr;
  QTabWidget* tables_ = nullptr;
  QTableWidget* stationTable_ = nullptr;
  QTableWidget* figureTable_ = nullptr;
  QTableWidget* pointTable_ = nullptr;
  QSplitter* charts_ = nullptr;  // the T-s diagram beside (or above) the maps
  TTsChartView* tsChart_ = nullptr;
  QTabWidget* mapTabs_ = nullptr;
  std::vector<TMapChartView*> mapCharts_;
};

}  // namespace vyr::editor
