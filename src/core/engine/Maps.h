// Compressor and turbine maps: the project's map text format, multilinear lookup
// and the scaling of a map to a component's design point.
//
// Map file format (plain text, UTF-8 or ASCII, numbers with a decimal point in any
// locale):
//
//   # AXI5 axial compressor          '#' starts a comment to the end of the line;
//   map compressor                   blank lines are skipped.
//   name AXI5
//   design 1.0 2.0
//   extrapolate yes
//   surge 1.0
//   columns alpha N R W PR eff
//   grid
//   0 0.4 1.0 4.8430 1.2763 0.6673
//   ...
//
// Header keywords (one per line, each at most once, before `grid`):
//   map compressor | map turbine   the kind; the first keyword of the file.
//   name <text>                    the map's name (rest of the line); every failure
//                                  text of a lookup starts with it.
//   design <N> <coordinate>        the map's design node: speed and R-line / beta
//                                  (compressor) or pressure ratio (turbine); it must
//                                  lie inside the grid.
//   extrapolate yes | no           optional (default no): whether a lookup outside the
//                                  grid's speed or coordinate range extrapolates
//                                  linearly from the end interval or fails.
//   surge <R>                      compressor only, optional (default 1): the R-line
//                                  (or beta) of the surge/stall line.
//   alpha <value>                  optional: the variable-geometry angle a lookup uses
//                                  until the caller sets another (default: the first
//                                  plane's angle).
//   columns <names>                the grid's columns, in this order:
//                                  compressor  [alpha] N R|beta W PR eff
//                                  turbine     [alpha] N PR W eff
//                                  alpha is present only where the map has variable
//                                  geometry; N is corrected speed, W corrected flow
//                                  (compressor) or flow parameter (turbine), PR the
//                                  pressure ratio, eff the isentropic efficiency.
//   grid                           every later line is one grid node.
// Grid rows: whitespace-separated numbers, alpha slowest, then speed, then the
// coordinate fastest. The grid is rectangular: every alpha plane has the same speed
// lines and every speed line the same coordinates, all strictly increasing; at least
// two speed lines with two points each. W > 0, PR > 0, 0 < eff <= 1.
//
// A malformed file is refused with "<file>:<line>: <reason>".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "VyrExport.h"

namespace vyr::engine {

/// Map values at one point, in map units (unscaled).
struct TMapPoint {
  double W = 0.0;
  double PR = 1.0;
  double eff = 0.0;
};

/// Scalars fitting a map to a component's design point:
/// N = Nmap*sN, W = Wmap*sW, PR = (PRmap-1)*sPR + 1, eff = effmap*sEff.
struct TMapScalars {
  double sN = 1.0, sW = 1.0, sPR = 1.0, sEff = 1.0;
};

/// The scalars that make the map's design node give the component's design values.
/// Not-a-number scalars when the design node or the design values cannot be scaled
/// (a zero or non-finite value, PR = 1 at the node); the overload below says why.
VYR_API TMapScalars ScaleToDesign(const TMapPoint& atDesignNode, double NmapDesign, double Ndesign,
                                  double Wdesign, double PRdesign, double effDesign);
/// As above; false with the reason when the scalars would be zero, negative or not finite.
VYR_API bool ScaleToDesign(const TMapPoint& atDesignNode, double NmapDesign, double Ndesign, double Wdesign,
                           double PRdesign, double effDesign, TMapScalars& s, std::string& error);
/// W, PR and eff of a map point scaled to the component.
VYR_API TMapPoint ApplyScalars(const TMapPoint& map, const TMapScalars& s);

/// Surge margin at constant corrected speed: SM = PR_surge/PR - 1 (pressure ratios of
/// the component, i.e. after scaling); positive while the operating point is below
/// the surge line.
VYR_API double SurgeMargin(double PRsurge, double PR);

/// A rectangular grid of map nodes over (alpha, speed, coordinate) with multilinear
/// interpolation; shared by the compressor and the turbine map.
class VYR_API TMapGrid {
 public:
  std::vector<double> alphas;      // variable-geometry planes (one value when the map has none)
  std::vector<double> speeds;      // speed lines
  std::vector<double> coords;      // R-line / beta / pressure ratio along a speed line
  std::vector<TMapPoint> nodes;    // alphas.size() x speeds.size() x coords.size(), coordinate fastest
  std::string coordName = "R";     // "R", "beta" or "PR": used in failure texts

  bool Empty() const { return nodes.empty(); }
  const TMapPoint& Node(std::size_t a, std::size_t n, std::size_t c) const {
    return nodes[(a * speeds.size() + n) * coords.size() + c];
  }
  /// Multilinear value at (alpha, N, x); alpha never extrapolates, N and x only when
  /// `extrapolate`. False with "<name>: <coordinate> = <value> outside <min>..<max>"
  /// (or the reason an extrapolated point is unphysical). Does not allocate on success.
  bool Lookup(const std::string& name, double alpha, double N, double x, bool extrapolate, TMapPoint& p,
              std::string& error) const;
};

class VYR_API TCompressorMap {
 public:
  std::string name;          // from the file; used in every failure text
  double designN = 1.0;      // map's design node: corrected speed (fraction) ...
  double designR = 2.0;      // ... and R-line
  double alpha = 0.0;        // variable-geometry angle used by Lookup when the map has several planes
  double surgeR = 1.0;       // R-line (or beta) of the surge line
  bool extrapolate = false;  // linear extrapolation from the end intervals allowed
  TMapGrid grid;

  /// Reads a map file (the project's own text format); false with a message (file, line, reason).
  static bool Read(const std::string& path, TCompressorMap& map, std::string& error);
  static bool Parse(std::string_view text, const std::string& sourceName, TCompressorMap& map,
                    std::string& error);
  /// Multilinear lookup at corrected speed N (map units) and R-line R; linear extrapolation from the
  /// end intervals where allowed, else false with "<name>: <coordinate> = <value> outside <min>..<max>".
  bool Lookup(double N, double R, TMapPoint& p, std::string& error) const;
  /// The surge (stall) line, R-line 1 unless the file gives another: map point at speed N.
  bool Surge(double N, TMapPoint& p, std::string& error) const;
  /// Surge margin PR_surge/PR - 1 at map speed N and R-line R, both pressure ratios scaled by `s`.
  bool SurgeMarginAt(double N, double R, const TMapScalars& s, double& sm, std::string& error) const;
  /// Surge margin PR_surge/PR - 1 with the surge point at the same corrected flow as the point at
  /// (N, R): the surge point between the two speed lines whose surge flows bracket that flow. NaN
  /// (and true) when the surge line does not reach that flow within the map; false with the
  /// reason when the point cannot be looked up.
  bool SurgeMarginFlowAt(double N, double R, const TMapScalars& s, double& sm, std::string& error) const;
  double NMin() const;
  double NMax() const;
  double RMin() const;
  double RMax() const;
};

class VYR_API TTurbineMap {
 public:
  std::string name;
  double designN = 100.0;    // map's design node: speed (percent in the shipped map) ...
  double designPR = 6.0;     // ... and pressure ratio coordinate
  double alpha = 1.0;
  bool extrapolate = false;  // linear extrapolation from the end intervals allowed
  TMapGrid grid;

  static bool Read(const std::string& path, TTurbineMap& map, std::string& error);
  static bool Parse(std::string_view text, const std::string& sourceName, TTurbineMap& map, std::string& error);
  /// Lookup at speed N and map pressure ratio PRmap: flow parameter W, PR (= PRmap), eff; no
  /// extrapolation by default (a point that leaves the map fails with the coordinate and its range).
  bool Lookup(double N, double PRmap, TMapPoint& p, std::string& error) const;
  double NMin() const;
  double NMax() const;
  double PRMin(double N) const;
  double PRMax(double N) const;
};

}  // namespace vyr::engine
