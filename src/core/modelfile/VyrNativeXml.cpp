#include "VyrNativeXml.h"

#include <utf8proc.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "XmlTree.h"

namespace vyr {

using namespace xmltree;

constexpr std::array<std::string_view, CfgReadComponentCount> CfgReadComponent_ids = {
    "Notes",       "ModelNotes",       "Log",          "Description", "AmbConditions", "GenOptions",
    "IterOptions", "ThermoDynOptions", "TransOptions", "OutpOptions", "XYGraphSets"};

// ---------------------------------------------------------------------------
// Case-insensitive text

namespace {

inline char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

inline bool IsAscii(char c) { return static_cast<unsigned char>(c) < 0x80; }

bool AsciiSameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

// Code points of s in canonical decomposition with full case folding, in buf
// (resized as needed); false for text that is not valid UTF-8.
bool Fold(std::string_view s, std::vector<utf8proc_int32_t>& buf) {
  constexpr auto options = static_cast<utf8proc_option_t>(UTF8PROC_DECOMPOSE | UTF8PROC_CASEFOLD);
  const auto* str = reinterpret_cast<const utf8proc_uint8_t*>(s.data());
  const auto len = static_cast<utf8proc_ssize_t>(s.size());
  for (;;) {
    const utf8proc_ssize_t n =
        utf8proc_decompose(str, len, buf.data(), static_cast<utf8proc_ssize_t>(buf.size()), options);
    if (n < 0) return false;
    if (static_cast<std::size_t>(n) <= buf.size()) {
      buf.resize(static_cast<std::size_t>(n));
      return true;
    }
    buf.resize(static_cast<std::size_t>(n));
  }
}

bool FoldedSameText(std::string_view a, std::string_view b) {
  thread_local std::vector<utf8proc_int32_t> fa, fb;
  fa.resize(a.size() + 8);
  fb.resize(b.size() + 8);
  if (!Fold(a, fa) || !Fold(b, fb)) return AsciiSameText(a, b);
  return fa == fb;
}

}  // namespace

std::string xmltree::FoldKey(std::string_view s) {
  std::string key;
  key.reserve(s.size() + 1);
  thread_local std::vector<utf8proc_int32_t> folded;
  const bool ascii = std::all_of(s.begin(), s.end(), IsAscii);
  if (!ascii) {
    folded.resize(s.size() + 8);
    if (Fold(s, folded)) {
      key += 'V';
      for (const utf8proc_int32_t cp : folded) {
        utf8proc_uint8_t bytes[4];
        key.append(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(utf8proc_encode_char(cp, bytes)));
      }
      return key;
    }
  }
  // ASCII folds to its lower case; text that is not UTF-8 is compared byte-wise.
  key += ascii ? 'V' : 'I';
  for (const char c : s) key += AsciiLower(c);
  return key;
}

bool XmlSameText(std::string_view a, std::string_view b) {
  // Folding keeps ASCII letters in place, and no character folds to nothing,
  // so while both texts are ASCII they decide alone: a pair of letters that
  // differ, or one text ending before the other, makes them differ. From the
  // first non-ASCII byte on the rest is folded.
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const char ca = a[i], cb = b[i];
    if (!IsAscii(ca) || !IsAscii(cb)) return FoldedSameText(a.substr(i), b.substr(i));
    if (AsciiLower(ca) != AsciiLower(cb)) return false;
  }
  return a.size() == b.size();
}

// ---------------------------------------------------------------------------
// Local helpers

namespace {

constexpr char kID[] = "ID";

std::optional<TCompType> CompTypeFromName(std::string_view name) {
  static constexpr std::array<std::pair<std::string_view, TCompType>, 4> kNames = {
      {{"ctModelComp", ctModelComp}, {"ctLineLink", ctLineLink}, {"ctNoLink", ctNoLink}, {"ctNoGpLink", ctNoGpLink}}};
  for (const auto& [text, type] : kNames)
    if (AsciiSameText(name, text)) return type;
  return std::nullopt;
}

bool IsCfgName(std::string_view name) {
  return name == "Case" || name == "Config" || name == "BaseCfg" || name == "ReferenceModel";
}

bool IsCfgElement(pugi::xml_node n) { return IsElement(n) && IsCfgName(n.name()); }

// The match of NodeByName_and_AttributeValue.
bool NameAttrMatch(pugi::xml_node n, std::string_view name, std::string_view attrName, std::string_view attrValue,
                   bool acceptMissing) {
  if (!SameText(n.name(), name)) return false;
  if (attrName.empty()) return true;
  const pugi::xml_attribute a = FindAttr(n, attrName);
  if (!a) return acceptMissing;
  return SameText(a.value(), attrValue);
}

// First child (with recursive: first element below, in document order) that pred accepts.
template <typename Pred>
pugi::xml_node FirstMatch(pugi::xml_node n, bool recursive, Pred&& pred) {
  if (!recursive) {
    for (pugi::xml_node c = FirstElement(n); c; c = NextElement(c))
      if (pred(c)) return c;
    return {};
  }
  return Walk(n, [&](pugi::xml_node c) { return pred(c) ? WalkStep::Stop : WalkStep::Enter; });
}

pugi::xml_node RootElement(pugi::xml_node n) { return FirstElement(n.root()); }

pugi::xml_node ComponentByID(pugi::xml_node cfg, std::string_view compID) {
  const pugi::xml_node comps = NamedChild(cfg, "Components");
  if (!comps) return {};
  return FirstMatch(comps, false, [&](pugi::xml_node c) { return NameAttrMatch(c, "TVYRcomp", kID, compID, false); });
}

// ID path segment of element e: "/name" and ":ID" when e has an "ID".
void AppendIDSegment(std::string& out, pugi::xml_node e) {
  out += '/';
  out += e.name();
  if (const pugi::xml_attribute id = FindAttr(e, kID)) {
    out += ':';
    out += id.value();
  }
}

// When path continues at pos with the ID path segment of e, the end of that
// segment; otherwise nothing.
std::optional<std::size_t> MatchIDSegment(std::string_view path, std::size_t pos, pugi::xml_node e) {
  const std::string_view name = e.name();
  if (pos >= path.size() || path[pos] != '/') return std::nullopt;
  ++pos;
  if (path.substr(pos, name.size()) != name) return std::nullopt;
  pos += name.size();
  if (const pugi::xml_attribute id = FindAttr(e, kID)) {
    const std::string_view value = id.value();
    if (pos >= path.size() || path[pos] != ':') return std::nullopt;
    ++pos;
    if (path.substr(pos, value.size()) != value) return std::nullopt;
    pos += value.size();
  }
  if (pos > path.size()) return std::nullopt;
  return pos;
}

// 0-based position of element e among its parent's child elements.
std::size_t ElementPosition(pugi::xml_node e) {
  std::size_t k = 0;
  for (pugi::xml_node s = e.previous_sibling(); s; s = s.previous_sibling())
    if (IsElement(s)) ++k;
  return k;
}

std::string_view Trim(std::string_view s) {
  constexpr std::string_view ws = " \t\r\n";
  const std::size_t b = s.find_first_not_of(ws);
  if (b == std::string_view::npos) return {};
  return s.substr(b, s.find_last_not_of(ws) - b + 1);
}

// A number in the fixed "." format, optionally signed, or INF/NAN; the whole
// text (surrounding white space aside) must be the number.
std::optional<double> ParseNumber(std::string_view s) {
  s = Trim(s);
  if (!s.empty() && s.front() == '+') {
    s.remove_prefix(1);
    if (s.empty() || s.front() == '-' || s.front() == '+') return std::nullopt;
  }
  if (s.empty()) return std::nullopt;
  double v = 0.0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

std::optional<bool> ParseBool(std::string_view s) {
  s = Trim(s);
  if (AsciiSameText(s, "true") || AsciiSameText(s, "yes")) return true;
  if (AsciiSameText(s, "false") || AsciiSameText(s, "no")) return false;
  const std::optional<double> v = ParseNumber(s);
  if (!v || *v != *v) return std::nullopt;
  return *v != 0.0;
}

}  // namespace

// ---------------------------------------------------------------------------
// Configuration nodes

bool TVyrXmlNode::IsCaseNode() const { return IsElement(*this) && std::string_view(name()) == "Case"; }

bool TVyrXmlNode::IsConfigNode() const { return IsElement(*this) && std::string_view(name()) == "Config"; }

bool TVyrXmlNode::IsCfgNode() const { return IsCfgElement(*this); }

TVyrXmlNode TVyrXmlNode::CfgRootNode() const {
  const pugi::xml_node rootElement = RootElement(*this);
  pugi::xml_node n = *this;
  while (n && !IsCfgElement(n) && n != rootElement && n.parent()) n = n.parent();
  return IsCfgElement(n) ? n : pugi::xml_node();
}

TVyrXmlNode TVyrXmlNode::RefModelRoot() const {
  const pugi::xml_node rootElement = RootElement(*this);
  if (const pugi::xml_node base = NamedChild(rootElement, "BaseCfg")) return base;
  return NamedChild(rootElement, "ReferenceModel");
}

bool TVyrXmlNode::HasChildCaseNode() const {
  return static_cast<bool>(FirstMatch(*this, false, [](pugi::xml_node c) { return TVyrXmlNode(c).IsCaseNode(); }));
}

bool TVyrXmlNode::HasChildConfigNode() const {
  return static_cast<bool>(FirstMatch(*this, false, [](pugi::xml_node c) { return TVyrXmlNode(c).IsConfigNode(); }));
}

bool TVyrXmlNode::HasChildVYRComponent(std::string_view compID) const {
  return static_cast<bool>(NodeByName_and_AttributeValue("TVYRcomp", kID, compID, true, false));
}

bool TVyrXmlNode::HasParentVYRComponent(std::string_view compID, TCompType compType) const {
  const pugi::xml_node rootElement = RootElement(*this);
  for (pugi::xml_node n = *this; n;) {
    const pugi::xml_node parent = n.parent();
    if (!parent) return false;
    if (const pugi::xml_node comp = ComponentByID(parent, compID)) {
      const std::optional<TCompType> type = CompTypeFromName(FindAttr(comp, "CompType").value());
      if (type && *type == compType) return true;
    }
    if (parent == rootElement) return false;
    n = parent;
  }
  return false;
}

// ---------------------------------------------------------------------------
// Searches by name and attribute

TVyrXmlNode TVyrXmlNode::NodeByName_and_AttributeValue(std::string_view name, std::string_view attrName,
                                                       std::string_view attrValue, bool recursive,
                                                       bool acceptMissing) const {
  return FirstMatch(*this, recursive,
                    [&](pugi::xml_node c) { return NameAttrMatch(c, name, attrName, attrValue, acceptMissing); });
}

TVyrXmlNode TVyrXmlNode::NodeBy2AttributesAnd2Values(std::string_view name, std::string_view attr1,
                                                     std::string_view value1, std::string_view attr2,
                                                     std::string_view value2, bool recursive) const {
  return FirstMatch(*this, recursive, [&](pugi::xml_node c) {
    if (!XmlSameText(c.name(), name)) return false;
    const pugi::xml_attribute a1 = FindAttr(c, attr1);
    const pugi::xml_attribute a2 = FindAttr(c, attr2);
    return a1 && a2 && XmlSameText(a1.value(), value1) && XmlSameText(a2.value(), value2);
  });
}

int TVyrXmlNode::NodeIndexByName_and_Attribute(std::string_view name, std::string_view attrName,
                                               std::string_view attrValue) const {
  int index = 0;
  for (pugi::xml_node c = FirstElement(*this); c; c = NextElement(c), ++index)
    if (NameAttrMatch(c, name, attrName, attrValue, true)) return index;
  return -1;
}

void TVyrXmlNode::FindNodes_by_Name_and_AttributeValue(std::string_view name, std::string_view attrName,
                                                       std::string_view attrValue, TXmlNodeList& list) const {
  list.clear();
  Walk(*this, [&](pugi::xml_node c) {
    if (XmlSameText(c.name(), name)) {
      const pugi::xml_attribute a = FindAttr(c, attrName);
      if (a && XmlSameText(a.value(), attrValue)) list.emplace_back(c);
    }
    return WalkStep::Enter;
  });
}

TVyrXmlNode TVyrXmlNode::VYRcompXmlNodeByFormClassNameFromCfg(std::string_view formClassName,
                                                              bool searchSubCfgs) const {
  if (!*this) return {};
  if (!IsCfgNode()) throw VYRexception("VYRcompByFormClassNameFromCfg called fron invalid Xml node");
  auto inComponents = [&](pugi::xml_node cfg) -> pugi::xml_node {
    const pugi::xml_node comps = NamedChild(cfg, "Components");
    if (!comps) return {};
    return FirstMatch(comps, false, [&](pugi::xml_node c) {
      return NameAttrMatch(c, "TVYRcomp", "FormClassName", formClassName, false);
    });
  };
  if (const pugi::xml_node found = inComponents(*this)) return found;
  if (!searchSubCfgs) return {};
  // Nested configurations depth first: each one's own components before the
  // configurations nested in it, those before its next sibling.
  pugi::xml_node found;
  Walk(*this, [&](pugi::xml_node c) {
    if (!IsCfgElement(c)) return WalkStep::Skip;
    found = inComponents(c);
    return found ? WalkStep::Stop : WalkStep::Enter;
  });
  return found;
}

// ---------------------------------------------------------------------------
// ID paths

std::string TVyrXmlNode::GetIDPath(pugi::xml_node rootNode) const {
  std::vector<pugi::xml_node> chain;
  for (pugi::xml_node n = *this; n && n != rootNode && IsElement(n); n = n.parent()) chain.push_back(n);
  std::string path;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) AppendIDSegment(path, *it);
  return path;
}

std::string TVyrXmlNode::GetCfgIDPath() const { return GetIDPath(CfgRootNode()); }

TVyrXmlNode TVyrXmlNode::FindNodebyIDPath(std::string_view idPath, pugi::xml_node rootNode,
                                          pugi::xml_node excludedChild) const {
  if (!*this) return {};
  if (idPath.empty()) return *this;
  // Every element's path is its parent's path and its own segment, except
  // that the root node's path is empty. A level is searched only while its
  // path is a prefix of idPath, which its length into idPath then records.
  struct Level {
    pugi::xml_node next;  // next child to look at
    std::size_t end;      // end of this level's path in idPath
    bool prefix;          // this level's path is a prefix of idPath
  };
  const std::string base = GetIDPath(rootNode);
  std::vector<Level> levels;
  levels.push_back({FirstElement(*this), base.size(), idPath.substr(0, base.size()) == base});
  while (!levels.empty()) {
    Level& level = levels.back();
    const pugi::xml_node c = level.next;
    if (!c) {
      levels.pop_back();
      continue;
    }
    level.next = NextElement(c);
    if (levels.size() == 1 && c == excludedChild) continue;
    std::size_t end = 0;
    if (c != rootNode) {
      if (!level.prefix) continue;
      const std::optional<std::size_t> segmentEnd = MatchIDSegment(idPath, level.end, c);
      if (!segmentEnd) continue;
      end = *segmentEnd;
      if (end == idPath.size()) return c;
    }
    levels.push_back({FirstElement(c), end, true});
  }
  return {};
}

namespace {

// True when e has the ID path segment of model, names and "ID" values
// compared as the searches by name and attribute compare them.
bool SameIDSegment(pugi::xml_node e, pugi::xml_node model) {
  if (!XmlSameText(e.name(), model.name())) return false;
  const pugi::xml_attribute a = FindAttr(e, kID), b = FindAttr(model, kID);
  return a ? b && XmlSameText(a.value(), b.value()) : !b;
}

// The first element below top, in document order and not inside excluded,
// whose ID path relative to top has the segments of chain (outermost first).
// Only subtrees whose path so far matches are entered.
pugi::xml_node FindBySegments(pugi::xml_node top, pugi::xml_node excluded, const std::vector<pugi::xml_node>& chain) {
  if (chain.empty()) return top;
  std::vector<pugi::xml_node> next{FirstElement(top)};  // per level, the next child to look at
  while (!next.empty()) {
    const pugi::xml_node c = next.back();
    if (!c) {
      next.pop_back();
      continue;
    }
    next.back() = NextElement(c);
    const std::size_t level = next.size() - 1;
    if ((level == 0 && c == excluded) || !SameIDSegment(c, chain[level])) continue;
    if (level + 1 == chain.size()) return c;
    next.push_back(FirstElement(c));
  }
  return {};
}

}  // namespace

TVyrXmlNode TVyrXmlNode::AncestorSubNode() const {
  const pugi::xml_node cfg = CfgRootNode();
  if (!cfg) return {};
  // The elements from below the configuration down to this one: the segments
  // of this element's configuration ID path, matched without regard to case
  // as every lookup by ID is.
  std::vector<pugi::xml_node> chain;
  for (pugi::xml_node n = *this; n != cfg; n = n.parent()) chain.push_back(n);
  std::reverse(chain.begin(), chain.end());
  const pugi::xml_node refModel = RefModelRoot();
  const pugi::xml_node rootElement = RootElement(*this);
  for (pugi::xml_node n = cfg.parent(); n; n = n.parent()) {
    if (const pugi::xml_node found = FindBySegments(n, cfg, chain)) return found;
    if (n == refModel || n == rootElement) break;
  }
  return {};
}

// ---------------------------------------------------------------------------
// Index paths

std::string TVyrXmlNode::GetIndexPath() const {
  if (!IsElement(*this)) return {};
  // The element and its ancestors up to the root element take part when the
  // element lies below the root element; otherwise only the element itself.
  const pugi::xml_node rootElement = RootElement(*this);
  std::vector<pugi::xml_node> chain{*this};
  if (*this != rootElement) {
    for (pugi::xml_node p = parent(); p; p = p.parent()) {
      chain.push_back(p);
      if (p == rootElement) break;
    }
    if (chain.back() != rootElement) chain.resize(1);
  }
  std::string path;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    path += '.';
    path += std::to_string(ElementPosition(*it));
  }
  return path;
}

TVyrXmlNode TVyrXmlNode::FindNodeByIndexPath(std::string_view indexPath) const {
  if (!*this || indexPath.empty() || indexPath.front() != '.') return {};
  const pugi::xml_node rootElement = RootElement(*this);
  // Below the root element a path extends its parent's path, elsewhere it is
  // the element's own segment. Subtrees below the root element are entered
  // only along a prefix of indexPath.
  struct Level {
    pugi::xml_node next;  // next child to look at
    std::size_t index;    // its position
    std::size_t end;      // end of the parent's path in indexPath (when prefix)
    bool prefix;          // the parent's path is a prefix of indexPath
    bool below;           // the children lie below the root element
  };
  auto isBelowRoot = [&](pugi::xml_node n) { return n && IsElement(n) && IsAncestorOrSelf(rootElement, n); };
  std::vector<Level> levels;
  {
    const std::string base = GetIndexPath();
    const bool prefix = indexPath.substr(0, base.size()) == base;
    levels.push_back({FirstElement(*this), 0, base.size(), prefix, isBelowRoot(*this)});
  }
  char digits[24];
  while (!levels.empty()) {
    Level& level = levels.back();
    const pugi::xml_node c = level.next;
    if (!c) {
      levels.pop_back();
      continue;
    }
    level.next = NextElement(c);
    const std::size_t index = level.index++;
    const bool below = level.below;
    // Where c's path would end if it continues indexPath.
    std::optional<std::size_t> end;
    const std::size_t start = below ? level.end : 0;
    if (!below || level.prefix) {
      const auto [p, ec] = std::to_chars(digits, digits + sizeof digits, index);
      const std::string_view segment(digits, static_cast<std::size_t>(p - digits));
      if (ec == std::errc() && start < indexPath.size() && indexPath[start] == '.' &&
          indexPath.substr(start + 1, segment.size()) == segment && start + 1 + segment.size() <= indexPath.size())
        end = start + 1 + segment.size();
    }
    if (end && *end == indexPath.size()) return c;
    const bool childrenBelow = below || c == rootElement;
    if (childrenBelow && !(end && indexPath[*end] == '.')) continue;
    levels.push_back({FirstElement(c), 0, end.value_or(0), end.has_value(), childrenBelow});
  }
  return {};
}

// ---------------------------------------------------------------------------
// Values, creation and deletion

TVyrXmlNode TVyrXmlNode::NodeNew_withIDattr(std::string_view name, std::string_view idValue) {
  pugi::xml_node c = append_child(std::string(name).c_str());
  if (c) c.append_attribute("ID").set_value(std::string(idValue).c_str());
  return c;
}

double TVyrXmlNode::ValueFromNodeAsFloatDef(std::string_view childName, double def) const {
  const pugi::xml_node c = NamedChild(*this, childName);
  if (!c) return def;
  return ParseNumber(TextOf(c)).value_or(def);
}

std::string TVyrXmlNode::ValueFromNodeAsStringDef(std::string_view childName, std::string_view def) const {
  const pugi::xml_node c = NamedChild(*this, childName);
  return std::string(c ? std::string_view(TextOf(c)) : def);
}

bool TVyrXmlNode::ValueFromNodeAsBoolDef(std::string_view childName, bool def) const {
  const pugi::xml_node c = NamedChild(*this, childName);
  if (!c) return def;
  return ParseBool(TextOf(c)).value_or(def);
}

void TVyrXmlNode::TryDeleteNodeByName(std::string_view childName) {
  if (const pugi::xml_node c = NamedChild(*this, childName)) remove_child(c);
}

void TVyrXmlNode::ConfigCaseAttributeDelete(std::string_view attrName, bool recursive) {
  auto removeFrom = [&](pugi::xml_node n) {
    while (const pugi::xml_attribute a = FindAttr(n, attrName))
      if (!n.remove_attribute(a)) break;
  };
  removeFrom(*this);
  if (!recursive) return;
  Walk(*this, [&](pugi::xml_node c) {
    const std::string_view name = c.name();
    if (name != "Config" && name != "Case") return WalkStep::Skip;
    removeFrom(c);
    return WalkStep::Enter;
  });
}

}  // namespace vyr
