// Map text reader, multilinear lookup and design-point scaling (format in Maps.h).
#include "Maps.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <system_error>

namespace vyr::engine {

namespace {

constexpr std::size_t kMaxTextBytes = 16u << 20;  // a map of a million nodes fits well below this
constexpr std::size_t kMaxNodes = 1000000;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

/// Shortest round-trip text of a number, independent of the locale.
std::string Num(double v) {
  char buf[40];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

enum class TKind { Compressor, Turbine };

const char* KindName(TKind k) { return k == TKind::Compressor ? "compressor" : "turbine"; }

/// Everything a map file says, before it is given to a map object.
struct TParsedMap {
  std::string name;
  double designN = 0.0, designX = 0.0;
  bool extrapolate = false;
  double surge = 1.0;
  bool hasAlpha = false;
  double alpha = 0.0;
  TMapGrid grid;
};

/// One grid row as read, with its line for the messages.
struct TRow {
  double a, n, x;
  TMapPoint v;
  int line;
};

/// Whitespace-separated tokens of a line (the comment already cut off).
void Tokenize(std::string_view s, std::vector<std::string_view>& out) {
  out.clear();
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r' || s[i] == '\f' || s[i] == '\v')) ++i;
    if (i >= s.size()) break;
    const std::size_t b = i;
    while (i < s.size() && !(s[i] == ' ' || s[i] == '\t' || s[i] == '\r' || s[i] == '\f' || s[i] == '\v')) ++i;
    out.push_back(s.substr(b, i - b));
  }
}

/// A finite number in the C locale's form ("0.4", "60.", "1e-3"); false with the reason.
bool ToNumber(std::string_view tok, double& v, std::string& reason) {
  const auto [ptr, ec] = std::from_chars(tok.data(), tok.data() + tok.size(), v);
  if (ec != std::errc() || ptr != tok.data() + tok.size()) {
    reason = "'" + std::string(tok) + "' is not a number";
    return false;
  }
  if (!std::isfinite(v)) {
    reason = "'" + std::string(tok) + "' is not a finite number";
    return false;
  }
  return true;
}

/// Columns of a grid row for the kind: [alpha] N <coordinate> W [PR] eff.
bool CheckColumns(TKind kind, const std::vector<std::string_view>& t, bool& hasAlpha, std::string& coordName,
                  std::string& reason) {
  std::size_t i = 1;  // t[0] is "columns"
  hasAlpha = t.size() > i && t[i] == "alpha";
  if (hasAlpha) ++i;
  std::vector<std::string_view> rest(t.begin() + static_cast<std::ptrdiff_t>(std::min(i, t.size())), t.end());
  if (kind == TKind::Compressor) {
    if (rest.size() == 5 && rest[0] == "N" && (rest[1] == "R" || rest[1] == "beta") && rest[2] == "W" &&
        rest[3] == "PR" && rest[4] == "eff") {
      coordName = std::string(rest[1]);
      return true;
    }
    reason = "a compressor map's columns are '[alpha] N R W PR eff' or '[alpha] N beta W PR eff'";
    return false;
  }
  if (rest.size() == 4 && rest[0] == "N" && rest[1] == "PR" && rest[2] == "W" && rest[3] == "eff") {
    coordName = "PR";
    return true;
  }
  reason = "a turbine map's columns are '[alpha] N PR W eff'";
  return false;
}

/// Axes and nodes from the rows, checking that the grid is rectangular and every axis
/// strictly increasing; false with "line: reason".
bool BuildGrid(const std::vector<TRow>& rows, TMapGrid& g, int& errLine, std::string& reason) {
  const std::string& cn = g.coordName;
  std::size_t planeLines = 0;  // speed lines seen in the current alpha plane
  std::size_t i = 0;
  while (i < rows.size()) {
    const TRow& first = rows[i];
    std::size_t j = i;
    while (j < rows.size() && rows[j].a == first.a && rows[j].n == first.n) ++j;
    const std::size_t len = j - i;
    const bool firstLine = (i == 0);
    if (!firstLine && len != g.coords.size()) {
      errLine = first.line;
      reason = "speed line N = " + Num(first.n) + " has " + std::to_string(len) + " points, the first has " +
               std::to_string(g.coords.size()) + " (the grid must be rectangular)";
      return false;
    }
    for (std::size_t k = 0; k < len; ++k) {
      const TRow& r = rows[i + k];
      if (k > 0 && !(r.x > rows[i + k - 1].x)) {
        errLine = r.line;
        reason = cn + " = " + Num(r.x) + " does not increase along the speed line N = " + Num(first.n);
        return false;
      }
      if (firstLine) {
        g.coords.push_back(r.x);
      } else if (r.x != g.coords[k]) {
        errLine = r.line;
        reason = cn + " = " + Num(r.x) + " where the first speed line has " + cn + " = " + Num(g.coords[k]) +
                 " (the grid must be rectangular)";
        return false;
      }
    }
    if (firstLine) {
      g.alphas.push_back(first.a);
      g.speeds.push_back(first.n);
      planeLines = 1;
    } else if (first.a == g.alphas.back()) {
      if (!(first.n > rows[i - 1].n)) {
        errLine = first.line;
        reason = "N = " + Num(first.n) + " does not increase (after N = " + Num(rows[i - 1].n) + ")";
        return false;
      }
      if (g.alphas.size() == 1) {
        g.speeds.push_back(first.n);
      } else if (planeLines >= g.speeds.size() || g.speeds[planeLines] != first.n) {
        errLine = first.line;
        reason = "speed line N = " + Num(first.n) + " is not one of the first alpha plane's (the grid must be rectangular)";
        return false;
      }
      ++planeLines;
    } else {
      if (!(first.a > g.alphas.back())) {
        errLine = first.line;
        reason = "alpha = " + Num(first.a) + " does not increase (after alpha = " + Num(g.alphas.back()) + ")";
        return false;
      }
      if (planeLines != g.speeds.size()) {
        errLine = first.line;
        reason = "alpha plane " + Num(g.alphas.back()) + " has " + std::to_string(planeLines) +
                 " speed lines, the first has " + std::to_string(g.speeds.size()) + " (the grid must be rectangular)";
        return false;
      }
      if (g.speeds.front() != first.n) {
        errLine = first.line;
        reason = "alpha plane " + Num(first.a) + " starts at N = " + Num(first.n) + ", the first at N = " +
                 Num(g.speeds.front()) + " (the grid must be rectangular)";
        return false;
      }
      g.alphas.push_back(first.a);
      planeLines = 1;
    }
    i = j;
  }
  if (planeLines != g.speeds.size()) {
    errLine = rows.back().line;
    reason = "alpha plane " + Num(g.alphas.back()) + " has " + std::to_string(planeLines) +
             " speed lines, the first has " + std::to_string(g.speeds.size()) + " (the grid must be rectangular)";
    return false;
  }
  if (g.speeds.size() < 2 || g.coords.size() < 2) {
    errLine = rows.back().line;
    reason = "the grid needs at least two speed lines of two points each";
    return false;
  }
  g.nodes.reserve(rows.size());
  for (const TRow& r : rows) g.nodes.push_back(r.v);
  return true;
}

bool ParseMapText(std::string_view text, const std::string& src, TKind kind, TParsedMap& m, std::string& error) {
  auto fail = [&](int line, const std::string& reason) {
    error = src + ":" + std::to_string(line) + ": " + reason;
    return false;
  };
  if (text.size() > kMaxTextBytes) return fail(1, "the map file is larger than " + std::to_string(kMaxTextBytes >> 20) + " MiB");

  bool sawMap = false, sawName = false, sawDesign = false, sawExtrap = false, sawSurge = false, sawColumns = false,
       inGrid = false;
  int designLine = 0, surgeLine = 0, alphaLine = 0;
  std::size_t nCols = 0;
  bool colAlpha = false;
  std::vector<TRow> rows;
  std::vector<std::string_view> tok;
  int line = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t eol = std::min(text.find('\n', pos), text.size());
    std::string_view s = text.substr(pos, eol - pos);
    pos = eol + 1;
    ++line;
    if (const std::size_t hash = s.find('#'); hash != std::string_view::npos) s = s.substr(0, hash);
    Tokenize(s, tok);
    if (tok.empty()) continue;
    std::string reason;

    if (inGrid) {
      if (tok.size() != nCols)
        return fail(line, "expected " + std::to_string(nCols) + " numbers, found " + std::to_string(tok.size()));
      double v[6] = {};
      for (std::size_t k = 0; k < nCols; ++k)
        if (!ToNumber(tok[k], v[k], reason)) return fail(line, reason);
      if (rows.size() >= kMaxNodes) return fail(line, "more than " + std::to_string(kMaxNodes) + " grid nodes");
      const double* c = colAlpha ? v + 1 : v;
      TRow r{colAlpha ? v[0] : 0.0, c[0], c[1], {}, line};
      if (kind == TKind::Compressor)
        r.v = {c[2], c[3], c[4]};
      else
        r.v = {c[2], c[1], c[3]};
      if (!(r.v.W > 0.0)) return fail(line, "W = " + Num(r.v.W) + " is not positive");
      if (!(r.v.PR > 0.0)) return fail(line, "PR = " + Num(r.v.PR) + " is not positive");
      if (!(r.v.eff > 0.0 && r.v.eff <= 1.0)) return fail(line, "eff = " + Num(r.v.eff) + " outside 0..1");
      rows.push_back(r);
      continue;
    }

    const std::string_view key = tok[0];
    if (!sawMap) {
      if (key != "map" || tok.size() != 2 || (tok[1] != "compressor" && tok[1] != "turbine"))
        return fail(line, "a map file starts with 'map compressor' or 'map turbine'");
      if (tok[1] != KindName(kind))
        return fail(line, "a " + std::string(tok[1]) + " map, not a " + KindName(kind) + " map");
      sawMap = true;
      continue;
    }
    auto once = [&](bool& seen) {
      if (seen) return false;
      seen = true;
      return true;
    };
    auto numbers = [&](std::size_t count, double* out) {
      if (tok.size() != count + 1) {
        reason = "'" + std::string(key) + "' takes " + std::to_string(count) + (count == 1 ? " number" : " numbers");
        return false;
      }
      for (std::size_t k = 0; k < count; ++k)
        if (!ToNumber(tok[k + 1], out[k], reason)) return false;
      return true;
    };
    const std::string twice = "'" + std::string(key) + "' given twice";
    if (key == "map") {
      return fail(line, twice);
    } else if (key == "name") {
      if (!once(sawName)) return fail(line, twice);
      if (tok.size() < 2) return fail(line, "'name' needs the map's name");
      // The rest of the line, trimmed, so a name may contain blanks.
      const std::size_t b = static_cast<std::size_t>(tok[1].data() - s.data());
      const std::size_t e = static_cast<std::size_t>(tok.back().data() + tok.back().size() - s.data());
      m.name = std::string(s.substr(b, e - b));
    } else if (key == "design") {
      if (!once(sawDesign)) return fail(line, twice);
      double v[2];
      if (!numbers(2, v)) return fail(line, reason);
      m.designN = v[0];
      m.designX = v[1];
      designLine = line;
    } else if (key == "extrapolate") {
      if (!once(sawExtrap)) return fail(line, twice);
      if (tok.size() != 2 || (tok[1] != "yes" && tok[1] != "no")) return fail(line, "'extrapolate' takes yes or no");
      m.extrapolate = tok[1] == "yes";
    } else if (key == "surge") {
      if (kind != TKind::Compressor) return fail(line, "'surge' belongs to a compressor map");
      if (!once(sawSurge)) return fail(line, twice);
      if (!numbers(1, &m.surge)) return fail(line, reason);
      surgeLine = line;
    } else if (key == "alpha") {
      if (!once(m.hasAlpha)) return fail(line, twice);
      if (!numbers(1, &m.alpha)) return fail(line, reason);
      alphaLine = line;
    } else if (key == "columns") {
      if (!once(sawColumns)) return fail(line, twice);
      if (!CheckColumns(kind, tok, colAlpha, m.grid.coordName, reason)) return fail(line, reason);
      nCols = tok.size() - 1;
    } else if (key == "grid") {
      if (tok.size() != 1) return fail(line, "'grid' stands alone on its line");
      if (!sawName) return fail(line, "'name' is missing before 'grid'");
      if (!sawDesign) return fail(line, "'design' is missing before 'grid'");
      if (!sawColumns) return fail(line, "'columns' is missing before 'grid'");
      inGrid = true;
    } else {
      return fail(line, "unknown keyword '" + std::string(key) + "'");
    }
  }
  const int last = std::max(line, 1);
  if (!sawMap) return fail(last, "the map file is empty");
  if (!inGrid) return fail(last, "no 'grid' line");
  if (rows.empty()) return fail(last, "the grid is empty");

  int errLine = 0;
  std::string reason;
  if (!BuildGrid(rows, m.grid, errLine, reason)) return fail(errLine, reason);

  const TMapGrid& g = m.grid;
  const std::string& cn = g.coordName;
  if (m.designN < g.speeds.front() || m.designN > g.speeds.back())
    return fail(designLine, "design N = " + Num(m.designN) + " outside the speed lines " + Num(g.speeds.front()) +
                                ".." + Num(g.speeds.back()));
  if (m.designX < g.coords.front() || m.designX > g.coords.back())
    return fail(designLine, "design " + cn + " = " + Num(m.designX) + " outside " + Num(g.coords.front()) + ".." +
                                Num(g.coords.back()));
  if (sawSurge || kind == TKind::Compressor) {
    if (m.surge < g.coords.front() || m.surge > g.coords.back())
      return fail(sawSurge ? surgeLine : last, "surge line " + cn + " = " + Num(m.surge) + " outside " +
                                                   Num(g.coords.front()) + ".." + Num(g.coords.back()));
  }
  if (m.hasAlpha && (m.alpha < g.alphas.front() || m.alpha > g.alphas.back()))
    return fail(alphaLine, "alpha = " + Num(m.alpha) + " outside the planes " + Num(g.alphas.front()) + ".." +
                               Num(g.alphas.back()));
  if (!m.hasAlpha) m.alpha = g.alphas.front();
  return true;
}

/// What both kinds of map take from a parsed file.
template <class Map>
void TakeCommon(TParsedMap& m, Map& map) {
  map.name = std::move(m.name);
  map.designN = m.designN;
  map.alpha = m.alpha;
  map.extrapolate = m.extrapolate;
  map.grid = std::move(m.grid);
}

bool ReadText(const std::string& path, std::string& text, std::string& error) {
  // Only a regular file: a directory cannot be read, and a pipe would wait for a writer.
  std::error_code ec;
  if (std::filesystem::exists(path, ec) && !std::filesystem::is_regular_file(path, ec)) {
    error = path + ": not a regular file";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot open the map file";
    return false;
  }
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0) {
    error = path + ": cannot read the map file";
    return false;
  }
  if (static_cast<std::uintmax_t>(size) > kMaxTextBytes) {
    error = path + ":1: the map file is larger than " + std::to_string(kMaxTextBytes >> 20) + " MiB";
    return false;
  }
  in.seekg(0, std::ios::beg);
  text.assign(static_cast<std::size_t>(size), '\0');
  if (size > 0 && !in.read(text.data(), size)) {
    error = path + ": cannot read the map file";
    return false;
  }
  return true;
}

/// Interval [i, i+1] of an increasing axis (at least two values) for x, and the
/// fraction t of x in it; t < 0 or t > 1 beyond the ends (linear extrapolation).
inline void Locate(const std::vector<double>& ax, double x, std::size_t& i, double& t) {
  const std::size_t k = static_cast<std::size_t>(std::upper_bound(ax.begin(), ax.end(), x) - ax.begin());
  i = k == 0 ? 0 : std::min(k - 1, ax.size() - 2);
  t = (x - ax[i]) / (ax[i + 1] - ax[i]);
}

bool OutsideRange(const std::string& name, const char* coord, double v, const std::vector<double>& ax,
                  std::string& error) {
  error = name + ": " + coord + " = " + Num(v) + " outside " + Num(ax.front()) + ".." + Num(ax.back());
  return false;
}

}  // namespace

TMapScalars ScaleToDesign(const TMapPoint& atDesignNode, double NmapDesign, double Ndesign, double Wdesign,
                          double PRdesign, double effDesign) {
  TMapScalars s;
  std::string error;
  if (!ScaleToDesign(atDesignNode, NmapDesign, Ndesign, Wdesign, PRdesign, effDesign, s, error))
    s = {kNaN, kNaN, kNaN, kNaN};
  return s;
}

bool ScaleToDesign(const TMapPoint& m, double NmapDesign, double Ndesign, double Wdesign, double PRdesign,
                   double effDesign, TMapScalars& s, std::string& error) {
  auto positive = [&](double v, const char* what) {
    if (std::isfinite(v) && v > 0.0) return true;
    error = std::string("map scaling: ") + what + " = " + Num(v) + " is not a positive number";
    return false;
  };
  if (!positive(NmapDesign, "map design speed") || !positive(Ndesign, "design speed") ||
      !positive(m.W, "map flow at the design node") || !positive(Wdesign, "design flow") ||
      !positive(m.eff, "map efficiency at the design node") || !positive(effDesign, "design efficiency") ||
      !positive(m.PR, "map pressure ratio at the design node") || !positive(PRdesign, "design pressure ratio"))
    return false;
  const double sPR = (PRdesign - 1.0) / (m.PR - 1.0);
  if (!(std::isfinite(sPR) && sPR > 0.0)) {
    error = "map scaling: design pressure ratio " + Num(PRdesign) + " and the map's " + Num(m.PR) +
            " at its design node must both exceed 1";
    return false;
  }
  s = {Ndesign / NmapDesign, Wdesign / m.W, sPR, effDesign / m.eff};
  return true;
}

TMapPoint ApplyScalars(const TMapPoint& map, const TMapScalars& s) {
  return {map.W * s.sW, (map.PR - 1.0) * s.sPR + 1.0, map.eff * s.sEff};
}

double SurgeMargin(double PRsurge, double PR) { return PRsurge / PR - 1.0; }

bool TMapGrid::Lookup(const std::string& name, double alpha, double N, double x, bool extrapolate, TMapPoint& p,
                      std::string& error) const {
  if (nodes.empty()) {
    error = name + ": the map has no grid";
    return false;
  }
  std::size_t ia = 0, in = 0, ic = 0;
  double ta = 0.0, tn = 0.0, tc = 0.0;
  if (alphas.size() > 1) {
    if (!(alpha >= alphas.front() && alpha <= alphas.back())) return OutsideRange(name, "alpha", alpha, alphas, error);
    Locate(alphas, alpha, ia, ta);
  }
  const bool nIn = N >= speeds.front() && N <= speeds.back();
  const bool xIn = x >= coords.front() && x <= coords.back();
  if (!nIn && !(extrapolate && std::isfinite(N))) return OutsideRange(name, "N", N, speeds, error);
  if (!xIn && !(extrapolate && std::isfinite(x))) return OutsideRange(name, coordName.c_str(), x, coords, error);
  Locate(speeds, N, in, tn);
  Locate(coords, x, ic, tc);

  auto plane = [&](std::size_t a) {
    const TMapPoint& p00 = Node(a, in, ic);
    const TMapPoint& p01 = Node(a, in, ic + 1);
    const TMapPoint& p10 = Node(a, in + 1, ic);
    const TMapPoint& p11 = Node(a, in + 1, ic + 1);
    auto mix = [&](double TMapPoint::*f) {
      return (1.0 - tn) * ((1.0 - tc) * p00.*f + tc * p01.*f) + tn * ((1.0 - tc) * p10.*f + tc * p11.*f);
    };
    return TMapPoint{mix(&TMapPoint::W), mix(&TMapPoint::PR), mix(&TMapPoint::eff)};
  };
  TMapPoint v = plane(ia);
  if (ta != 0.0) {
    const TMapPoint u = plane(ia + 1);
    v = {(1.0 - ta) * v.W + ta * u.W, (1.0 - ta) * v.PR + ta * u.PR, (1.0 - ta) * v.eff + ta * u.eff};
  }
  // Extrapolation may run a straight line past zero flow, pressure ratio or efficiency,
  // or past an efficiency of 1: such a point is not a machine's.
  if (!(nIn && xIn) && !(std::isfinite(v.W) && std::isfinite(v.PR) && v.W > 0.0 && v.PR > 0.0 && v.eff > 0.0 &&
                         v.eff <= 1.0)) {
    error = name + ": extrapolation to N = " + Num(N) + ", " + coordName + " = " + Num(x) +
            " leaves the physical range (W = " + Num(v.W) + ", PR = " + Num(v.PR) + ", eff = " + Num(v.eff) + ")";
    return false;
  }
  p = v;
  return true;
}

// --- compressor ---

bool TCompressorMap::Read(const std::string& path, TCompressorMap& map, std::string& error) {
  std::string text;
  return ReadText(path, text, error) && Parse(text, path, map, error);
}

bool TCompressorMap::Parse(std::string_view text, const std::string& sourceName, TCompressorMap& map,
                           std::string& error) {
  TParsedMap m;
  if (!ParseMapText(text, sourceName, TKind::Compressor, m, error)) return false;
  map.designR = m.designX;
  map.surgeR = m.surge;
  TakeCommon(m, map);
  return true;
}

bool TCompressorMap::Lookup(double N, double R, TMapPoint& p, std::string& error) const {
  return grid.Lookup(name, alpha, N, R, extrapolate, p, error);
}

bool TCompressorMap::Surge(double N, TMapPoint& p, std::string& error) const { return Lookup(N, surgeR, p, error); }

bool TCompressorMap::SurgeMarginAt(double N, double R, const TMapScalars& s, double& sm, std::string& error) const {
  TMapPoint op, surge;
  if (!Lookup(N, R, op, error) || !Surge(N, surge, error)) return false;
  const double PR = ApplyScalars(op, s).PR;
  const double PRs = ApplyScalars(surge, s).PR;
  if (!(PR > 0.0 && std::isfinite(PRs))) {
    error = name + ": no surge margin at N = " + Num(N) + " (PR = " + Num(PR) + ")";
    return false;
  }
  sm = SurgeMargin(PRs, PR);
  return true;
}

bool TCompressorMap::SurgeMarginFlowAt(double N, double R, const TMapScalars& s, double& sm,
                                       std::string& error) const {
  TMapPoint op, a, b;
  if (!Lookup(N, R, op, error)) return false;
  sm = kNaN;
  // On the surge line's fixed R-line the multilinear map is linear in speed
  // between speed lines, so the surge point that passes the operating point's
  // flow lies exactly at the flow's linear share of the interval whose flows
  // bracket it. Where the surge line never passes that flow the margin at
  // constant flow is undefined within the map.
  if (!Surge(grid.speeds.front(), a, error)) return false;
  for (std::size_t k = 1; k < grid.speeds.size(); ++k, a = b) {
    if (!Surge(grid.speeds[k], b, error)) return false;
    if (!(b.W > a.W && op.W >= a.W && op.W <= b.W)) continue;
    const double f = (op.W - a.W) / (b.W - a.W);
    TMapPoint surge = a;
    surge.PR = a.PR + f * (b.PR - a.PR);
    const double PR = ApplyScalars(op, s).PR, PRs = ApplyScalars(surge, s).PR;
    if (PR > 0.0 && std::isfinite(PRs)) sm = SurgeMargin(PRs, PR);
    return true;
  }
  return true;
}

double TCompressorMap::NMin() const { return grid.speeds.empty() ? kNaN : grid.speeds.front(); }
double TCompressorMap::NMax() const { return grid.speeds.empty() ? kNaN : grid.speeds.back(); }
double TCompressorMap::RMin() const { return grid.coords.empty() ? kNaN : grid.coords.front(); }
double TCompressorMap::RMax() const { return grid.coords.empty() ? kNaN : grid.coords.back(); }

// --- turbine ---

bool TTurbineMap::Read(const std::string& path, TTurbineMap& map, std::string& error) {
  std::string text;
  return ReadText(path, text, error) && Parse(text, path, map, error);
}

bool TTurbineMap::Parse(std::string_view text, const std::string& sourceName, TTurbineMap& map, std::string& error) {
  TParsedMap m;
  if (!ParseMapText(text, sourceName, TKind::Turbine, m, error)) return false;
  map.designPR = m.designX;
  TakeCommon(m, map);
  return true;
}

bool TTurbineMap::Lookup(double N, double PRmap, TMapPoint& p, std::string& error) const {
  return grid.Lookup(name, alpha, N, PRmap, extrapolate, p, error);
}

double TTurbineMap::NMin() const { return grid.speeds.empty() ? kNaN : grid.speeds.front(); }
double TTurbineMap::NMax() const { return grid.speeds.empty() ? kNaN : grid.speeds.back(); }
// The grid is rectangular: every speed line spans the same pressure ratios.
double TTurbineMap::PRMin(double) const { return grid.coords.empty() ? kNaN : grid.coords.front(); }
double TTurbineMap::PRMax(double) const { return grid.coords.empty() ? kNaN : grid.coords.back(); }

}  // namespace vyr::engine
