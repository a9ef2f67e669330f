#pragma once
// Charts of the results pane: the T-s diagram of the cycle, drawn from the
// station gas states, and a compressor's map with its speed lines, its surge
// line, the design point and the operating points of a run.
//
// The data (TTsDiagram, TCompressorMapChart) are plain records in SI units,
// built without any widget; the chart views show them in a unit system and
// switch units without a new run.

#include <QtCharts/QChartView>

#include <map>
#include <string>
#include <vector>

#include "EngineState.h"
#include "Maps.h"
#include "Units.h"

namespace vyr::editor {

/// One step of the gas path: a component carries the gas from its inlet
/// station to its outlet station.
struct TGasPathStep {
  int from = 0;
  int to = 0;
  std::string component;  ///< the component's name
};

/// A station on the T-s diagram.
struct TTsPoint {
  int station = 0;
  double T = 0.0;  ///< total temperature [K]
  double s = 0.0;  ///< entropy at (Tt, Pt) of the station's composition, relative to the reference [J/(kg K)]
};

struct TTsDiagram {
  std::vector<TTsPoint> points;     ///< one per station, in gas-path order
  std::vector<TGasPathStep> steps;  ///< the lines: steps whose two stations have points
  int reference = 0;                ///< the station of zero entropy: the first of the gas path
  /// The point of a station; null when it has none.
  const TTsPoint* Find(int station) const;
};

/// The T-s diagram of a point: each station's entropy FS(Tt, Pt, composition)
/// relative to the first station of the gas path (the first step's inlet; the
/// lowest station number without steps). Points follow the gas path: the
/// steps' stations in step order, then any other station by number.
TTsDiagram MakeTsDiagram(const std::map<int, engine::TStation>& stations, const std::vector<TGasPathStep>& steps);

/// A point of a map chart: corrected flow [kg/s] and pressure ratio [-].
struct TMapXY {
  double Wc = 0.0;
  double PR = 0.0;
};

/// A speed line of a map, scaled to the component: its map speed and points
/// in the order of the map's R-lines.
struct TSpeedLine {
  double N = 0.0;  ///< map speed (fraction of the map's design speed)
  std::vector<TMapXY> points;
};

/// A compressor's map as its chart shows it, scaled to the component by its
/// design point's map scalars.
struct TCompressorMapChart {
  std::string component;  ///< the component's name
  std::string mapName;    ///< the map's own name
  std::vector<TSpeedLine> speedLines;  ///< ascending speed; the design speed always among them
  std::vector<TMapXY> surge;           ///< the surge line, one point per speed line
  double designN = 1.0;                ///< map speed of the design point
  bool hasDesign = false;
  TMapXY design;                       ///< the design point of the run
  std::vector<TMapXY> operating;       ///< the converged operating points of the run
  /// The speed line of the design speed; null when there is none.
  const TSpeedLine* DesignLine() const;
};

/// The chart of a map scaled by s: a speed line per grid speed (and one at the
/// design speed if the grid has none there), each with a point per R-line of
/// the grid; the surge line at each speed. False with the map's reason when a
/// lookup fails.
bool MakeCompressorMapChart(const engine::TCompressorMap& map, const engine::TMapScalars& s,
                            TCompressorMapChart& chart, std::string& error);

/// Distance of a point from a polyline, each axis measured in the line's own
/// range (0: on the line); infinity for a line of fewer than two points.
double DistanceFromLine(const std::vector<TMapXY>& line, const TMapXY& p);

/// The T-s diagram as a chart: temperature against entropy, each station a
/// labelled point, a line per gas-path step.
class TTsChartView : public QChartView {
  Q_OBJECT
 public:
  explicit TTsChartView(QWidget* parent = nullptr);
  void SetDiagram(const TTsDiagram& d);
  void SetUnits(TUnitSystem units);
  const TTsDiagram& Diagram() const { return diagram_; }

 private:
  void Rebuild();
  TTsDiagram diagram_;
  TUnitSystem units_ = TUnitSystem::SI;
};

/// A compressor map as a chart: pressure ratio against corrected flow, the
/// speed lines labelled with their speed, the surge line, the design point
/// and the operating points.
class TMapChartView : public QChartView {
  Q_OBJECT
 public:
  explicit TMapChartView(QWidget* parent = nullptr);
  void SetMap(const TCompressorMapChart& map);
  void SetUnits(TUnitSystem units);
  const TCompressorMapChart& Map() const { return map_; }

 private:
  void Rebuild();
  TCompressorMapChart map_;
  TUnitSystem units_ = TUnitSystem::SI;
};

/// Names of the series the chart views make, for whoever looks for them.
inline constexpr const char* kSurgeSeries = "surge line";
inline constexpr const char* kDesignSeries = "design point";
inline constexpr const char* kOperatingSeries = "operating points";
inline constexpr const char* kStationSeries = "stations";

}  // namespace vyr::editor
