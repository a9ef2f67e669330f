// The canvas side of the icons: linking all icons from their positions, and
// storing icons and links in the model file.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <limits>
#include <unordered_map>
#include <unordered_set>

#include <QLabel>

#include "ClassRegistry.h"
#include "Messages.h"
#include "vyrcompf.h"
#include "vyrcompl.h"

namespace vyr {

namespace {

// --- Linking by position -----------------------------------------------------

// Two links are close when their top-left corners are less than 11 pixels
// apart in one direction and less than 9 in the other, so a grid of 16-pixel
// cells finds every close pair among the 3 x 3 cells around a link.
constexpr int kCell = 16;

int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

std::uint64_t CellKey(int cx, int cy) {
  return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(cx)) << 32) | static_cast<std::uint32_t>(cy);
}

bool Close(QPoint a, QPoint b) {
  const int dx = std::abs(a.x() - b.x());
  const int dy = std::abs(a.y() - b.y());
  return (dy < 11 && dx < 9) || (dy < 9 && dx < 11);
}

// --- Model file ----------------------------------------------------------------

constexpr std::string_view kCfgTypeNames[] = {"ctCfgNone",   "ctCfgProject", "ctCfgOptions",
                                              "ctCfgBaseCfg", "ctCfgConfig",  "ctCfgCase"};

void SetAttr(pugi::xml_node node, const char* name, const std::string& value) {
  pugi::xml_attribute a = node.attribute(name);
  if (!a) a = node.append_attribute(name);
  a.set_value(value.c_str());
}

void AddValue(pugi::xml_node parent, const char* name, const std::string& value) {
  parent.append_child(name).text().set(value.c_str());
}
void AddValue(pugi::xml_node parent, const char* name, int value) { AddValue(parent, name, IntToStr(value)); }
void AddBool(pugi::xml_node parent, const char* name, bool value) { AddValue(parent, name, value ? "true" : "false"); }

// Readers of one child element: a missing element leaves the value as it is;
// an element that holds no valid value sets error and returns false.
bool ReadInt(TVyrXmlNode parent, const char* name, int lo, int hi, int& value, std::string& error) {
  if (!parent.child(name)) return true;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double v = parent.ValueFromNodeAsFloatDef(name, nan);
  if (!(v >= lo && v <= hi) || v != std::trunc(v)) {
    error = std::string(name) + " \"" + parent.child(name).text().get() + "\" is not a whole number from " +
            IntToStr(lo) + " to " + IntToStr(hi);
    return false;
  }
  value = static_cast<int>(v);
  return true;
}

bool ReadDouble(TVyrXmlNode parent, const char* name, double& value, std::string& error) {
  if (!parent.child(name)) return true;
  const double v = parent.ValueFromNodeAsFloatDef(name, std::numeric_limits<double>::quiet_NaN());
  if (!std::isfinite(v)) {
    error = std::string(name) + " \"" + parent.child(name).text().get() + "\" is not a number";
    return false;
  }
  value = v;
  return true;
}

// A boolean as the model file reads it everywhere ("true", "True", "yes", 1):
// a text that reads the same whatever the default is a boolean.
bool ReadBool(TVyrXmlNode parent, const char* name, bool& value, std::string& error) {
  if (!parent.child(name)) return true;
  const bool asTrue = parent.ValueFromNodeAsBoolDef(name, true);
  if (asTrue != parent.ValueFromNodeAsBoolDef(name, false)) {
    error = std::string(name) + " \"" + parent.child(name).text().get() + "\" is neither true nor false";
    return false;
  }
  value = asTrue;
  return true;
}

template <class E>
bool ReadEnum(TVyrXmlNode parent, const char* name, bool (*fromName)(std::string_view, E&), E& value,
              std::string& error) {
  if (!parent.child(name)) return true;
  const std::string text = parent.child(name).text().get();
  if (!fromName(text, value)) {
    error = std::string(name) + " \"" + text + "\" is unknown";
    return false;
  }
  return true;
}

bool CfgTypeFromMemberName(std::string_view name, TCfgType& type) {
  for (std::size_t i = 0; i < std::size(kCfgTypeNames); ++i)
    if (kCfgTypeNames[i] == name) {
      type = static_cast<TCfgType>(i);
      return true;
    }
  return false;
}

// Icon geometry is bounded so that a corrupt file cannot ask for a huge widget.
constexpr int kMaxCoord = 1000000;
constexpr int kMaxSize = 100000;

bool ReadGeometry(TVyrXmlNode node, QRect& g, std::string& error) {
  int left = g.left(), top = g.top(), width = g.width(), height = g.height();
  if (!ReadInt(node, "Left", -kMaxCoord, kMaxCoord, left, error) ||
      !ReadInt(node, "Top", -kMaxCoord, kMaxCoord, top, error) ||
      !ReadInt(node, "Width", 1, kMaxSize, width, error) || !ReadInt(node, "Height", 1, kMaxSize, height, error))
    return false;
  g = QRect(left, top, width, height);
  return true;
}

void AddGeometry(pugi::xml_node node, const QRect& g) {
  AddValue(node, "Left", g.left());
  AddValue(node, "Top", g.top());
  AddValue(node, "Width", g.width());
  AddValue(node, "Height", g.height());
}

// IDs of the icon's links in child order: a link's name when that is set and
// unique on the icon, else "Link" and its index, so that every Link element of
// an icon is found again by its ID.
std::vector<std::string> LinkIDs(const TVYRcomp* icon) {
  const std::vector<TVYRLink*>& links = icon->Links();
  std::vector<std::string> ids(links.size());
  std::unordered_map<std::string, int> uses;
  for (std::size_t i = 0; i < links.size(); ++i) {
    ids[i] = links[i]->objectName().toStdString();
    ++uses[ids[i]];
  }
  for (std::size_t i = 0; i < links.size(); ++i)
    if (ids[i].empty() || uses[ids[i]] > 1) ids[i] = "Link" + IntToStr(static_cast<int>(i));
  return ids;
}

// The icon's links by ID, built once per icon so that reading is linear in
// the number of Link elements.
using LinkIndex = std::unordered_map<std::string, TVYRLink*>;

LinkIndex IndexLinks(const TVYRcomp* icon) {
  LinkIndex index;
  const std::vector<std::string> ids = LinkIDs(icon);
  for (std::size_t i = 0; i < ids.size(); ++i) index.emplace(ids[i], icon->Links()[i]);
  return index;
}

bool ReadLink(TVYRcomp* icon, LinkIndex& index, TVyrXmlNode node, std::string& error) {
  const std::string id = node.attribute("ID").value();
  if (id.empty()) {
    error = "a Link has no ID";
    return false;
  }
  TVYRLink* link = nullptr;
  if (auto it = index.find(id); it != index.end()) link = it->second;
  TLinktype type = link ? link->Ltype() : ltNone;
  bool visible = link ? link->Visible() : true;
  QRect g = link ? link->geometry() : QRect(0, 0, 10, 10);
  double station = link ? link->Station() : 0;
  // A link written without a priority is one that older files stored at the
  // default of a new link.
  TCalcOrderPriority priority = copLast;
  std::string prefix = "Link \"" + id + "\": ";
  if (!ReadEnum(node, "Ltype", &LinktypeFromName, type, error) || !ReadBool(node, "Visible", visible, error) ||
      !ReadGeometry(node, g, error) || !ReadDouble(node, "Station", station, error) ||
      !ReadEnum(node, "CalcOrderPriority", &CalcOrderPriorityFromName, priority, error)) {
    error = prefix + error;
    return false;
  }
  if (link == nullptr) {
    link = new TVYRLink(icon);
    link->setObjectName(QString::fromStdString(id));
    index.emplace(id, link);
  }
  link->SetLtype(type);
  link->setGeometry(g);
  link->setVisible(visible);
  link->SetStation(station);
  link->SetStationString(node.ValueFromNodeAsStringDef("StationString", link->StationString()));
  link->SetCalcOrderPriority(priority);
  link->SetColor();
  return true;
}

}  // namespace

// --- TVYRcomp: model file -------------------------------------------------

void TVYRcomp::WriteToXML(TVyrXmlNode node) const {
  if (!node) return;
  SetAttr(node, "ID", objectName().toStdString());
  SetAttr(node, "FormClassName", FFormclassname);
  SetAttr(node, "CompType", CompTypeName(FComptype));
  node.TryDeleteNodeByName("Icon");
  pugi::xml_node icon = node.prepend_child("Icon");
  std::string className = metaObject()->className();
  if (auto pos = className.rfind("::"); pos != std::string::npos) className.erase(0, pos + 2);
  AddValue(icon, "ClassName", className);
  AddGeometry(icon, geometry());
  AddValue(icon, "RotAngle", FRotAngle);
  AddValue(icon, "CalcOrderPriority", CalcOrderPriorityName(FCalcOrderPriority));
  AddBool(icon, "AllowOnlyOneComp", FAllowOnlyOneComp);
  AddValue(icon, "ModelConfigType", std::string(kCfgTypeNames[FModelConfigType]));
  AddValue(icon, "ModelCompGroup", FModelCompGroup);
  AddBool(icon, "DeprecatedComp", FDeprecatedComp);
  AddBool(icon, "NoComponentLabelCreate", FNoComponentLabelCreate);
  const std::vector<std::string> ids = LinkIDs(this);
  for (std::size_t i = 0; i < links_.size(); ++i) {
    const TVYRLink* l = links_[i];
    const std::string& id = ids[i];
    pugi::xml_node ln = icon.append_child("Link");
    ln.append_attribute("ID").set_value(id.c_str());
    AddValue(ln, "Ltype", LinktypeName(l->Ltype()));
    AddBool(ln, "Visible", l->Visible());
    AddGeometry(ln, l->geometry());
    AddValue(ln, "Station", StationNrToXmlStr(l->Station()));
    AddValue(ln, "StationString", l->StationString());
    // Always written: copNone and copLast must both come back as they were.
    AddValue(ln, "CalcOrderPriority", CalcOrderPriorityName(l->CalcOrderPriority()));
  }
}

bool TVYRcomp::ReadFromXML(TVyrXmlNode node, std::string& error) {
  error.clear();
  if (!node) {
    error = "no component element";
    return false;
  }
  if (pugi::xml_attribute a = node.attribute("ID")) setObjectName(QString::fromUtf8(a.value()));
  if (pugi::xml_attribute a = node.attribute("FormClassName")) FFormclassname = a.value();
  if (pugi::xml_attribute a = node.attribute("CompType"); a && !CompTypeFromName(a.value(), FComptype)) {
    error = std::string("CompType \"") + a.value() + "\" is unknown";
    return false;
  }
  TVyrXmlNode icon = node.child("Icon");
  if (!icon) return true;
  int angle = FRotAngle;
  if (!ReadInt(icon, "RotAngle", 0, 270, angle, error)) return false;
  if (!SetRotAngle(angle)) {
    error = "RotAngle " + IntToStr(angle) + " is not 0, 90, 180 or 270";
    return false;
  }
  // The geometry is read after the rotation: it is the rotated one.
  QRect g = geometry();
  if (!ReadGeometry(icon, g, error)) return false;
  setGeometry(g);
  Wold = g.width();
  Hold = g.height();
  if (!ReadEnum(icon, "CalcOrderPriority", &CalcOrderPriorityFromName, FCalcOrderPriority, error) ||
      !ReadBool(icon, "AllowOnlyOneComp", FAllowOnlyOneComp, error) ||
      !ReadEnum(icon, "ModelConfigType", &CfgTypeFromMemberName, FModelConfigType, error) ||
      !ReadBool(icon, "DeprecatedComp", FDeprecatedComp, error) ||
      !ReadBool(icon, "NoComponentLabelCreate", FNoComponentLabelCreate, error))
    return false;
  FModelCompGroup = icon.ValueFromNodeAsStringDef("ModelCompGroup", FModelCompGroup);
  LinkIndex index = IndexLinks(this);
  for (pugi::xml_node ln : icon.children("Link"))
    if (!ReadLink(this, index, ln, error)) return false;
  return true;
}

// --- The canvas -----------------------------------------------------------

std::vector<TVYRcomp*> CanvasComps(const QWidget* canvas) {
  std::vector<TVYRcomp*> comps;
  if (canvas == nullptr) return comps;
  for (QObject* o : canvas->children())
    if (auto* c = qobject_cast<TVYRcomp*>(o)) comps.push_back(c);
  return comps;
}

bool LinkAllComps(const std::vector<TVYRcomp*>& comps) {
  struct Item {
    std::uint64_t key;
    QPoint pos;
    int comp;
  };
  std::vector<Item> items;
  items.reserve(comps.size() * 4);
  for (int i = 0; i < static_cast<int>(comps.size()); ++i) {
    const QPoint origin = comps[i]->pos();
    for (const TVYRLink* l : comps[i]->Links()) {
      if (!l->Visible() || l->Linked) continue;
      const QPoint p = origin + l->pos();
      items.push_back({CellKey(FloorDiv(p.x(), kCell), FloorDiv(p.y(), kCell)), p, i});
    }
  }
  std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.key < b.key; });

  std::vector<std::pair<int, int>> pairs;
  for (const Item& a : items) {
    const int cx = FloorDiv(a.pos.x(), kCell);
    const int cy = FloorDiv(a.pos.y(), kCell);
    for (int ox = -1; ox <= 1; ++ox)
      for (int oy = -1; oy <= 1; ++oy) {
        const std::uint64_t key = CellKey(cx + ox, cy + oy);
        auto it = std::lower_bound(items.begin(), items.end(), key,
                                   [](const Item& x, std::uint64_t k) { return x.key < k; });
        for (; it != items.end() && it->key == key; ++it)
          if (it->comp > a.comp && Close(a.pos, it->pos)) pairs.emplace_back(a.comp, it->comp);
      }
  }
  std::sort(pairs.begin(), pairs.end());
  pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());

  bool modified = false;
  for (auto [i, j] : pairs) {
    bool m = false;
    comps[i]->TryLinkwithComp(comps[j], m);
    modified = modified || m;
  }
  // TryLinkwithComp on every pair would end with the last pair, which clears
  // the circular-reference flag first; a pair skipped here as too far apart
  // clears it just the same.
  const int n = static_cast<int>(comps.size());
  if (n >= 2 && (pairs.empty() || pairs.back() != std::pair{n - 2, n - 1})) ClearCircularReference();
  return modified;
}

namespace {

// The canvas area covered by an icon and its visible links, which may lie
// outside the icon.
QRect Extent(const TVYRcomp* icon) {
  QRect r = icon->geometry();
  for (const TVYRLink* l : icon->Links())
    if (l->Visible()) r = r.united(l->geometry().translated(icon->pos()));
  return r;
}

}  // namespace

bool RelinkComp(TVYRcomp* moved, const std::vector<TVYRcomp*>& comps) {
  if (moved == nullptr) return false;
  moved->Unlink();
  // Close links lie less than 11 pixels apart, so only icons whose extents
  // come that near can hold one.
  const QRect reach = Extent(moved).adjusted(-11, -11, 11, 11);
  bool modified = false;
  for (TVYRcomp* other : comps) {
    if (other == moved || !reach.intersects(Extent(other))) continue;
    bool m = false;
    moved->TryLinkwithComp(other, m);
    modified = modified || m;
  }
  return modified;
}

namespace {

// True when element holds a component that ReadCompsFromXML can load.
bool ReadableComp(TVyrXmlNode element) {
  TVYRcomp probe;
  std::string error;
  return probe.ReadFromXML(element, error);
}

}  // namespace

void WriteCompsToXML(const std::vector<TVYRcomp*>& comps, TVyrXmlNode cfgNode) {
  if (!cfgNode) return;
  pugi::xml_node list = cfgNode.child("Components");
  if (!list) list = cfgNode.append_child("Components");
  // Elements by ID in file order: the k-th icon of an ID takes the k-th element.
  std::unordered_map<std::string, std::deque<pugi::xml_node>> byID;
  for (pugi::xml_node n : list.children("TVYRcomp")) byID[n.attribute("ID").value()].push_back(n);
  std::unordered_set<std::size_t> claimed;  // hash_value of the written elements
  for (const TVYRcomp* c : comps) {
    pugi::xml_node node;
    std::deque<pugi::xml_node>& free = byID[c->objectName().toStdString()];
    if (!free.empty()) {
      node = free.front();
      free.pop_front();
    } else {
      node = list.append_child("TVYRcomp");
    }
    if (c->Compform) c->Compform->WriteToXML(node);
    c->WriteToXML(node);
    claimed.insert(node.hash_value());
  }
  for (pugi::xml_node n = list.child("TVYRcomp"); n;) {
    pugi::xml_node next = n.next_sibling("TVYRcomp");
    if (!claimed.count(n.hash_value()) && ReadableComp(n)) list.remove_child(n);
    n = next;
  }
}

TVYRcomp* ReadIconFromXML(TVyrXmlNode element, QWidget* canvas, bool withForm) {
  const std::string className =
      TVyrXmlNode(element.child("Icon")).ValueFromNodeAsStringDef("ClassName", "TVYRcomp");
  TVYRcomp* icon = CreateRegisteredClass<TVYRcomp>(className, canvas);
  if (icon == nullptr) icon = new TVYRcomp(canvas);
  std::string error;
  if (!icon->ReadFromXML(element, error)) {
    MessageDlg(std::string("Component \"") + element.attribute("ID").value() + "\" not loaded: " + error, mtError,
               {mbOK}, 0);
    delete icon;
    return nullptr;
  }
  if (withForm && !icon->Formclassname().empty() && icon->CompType() != ctLineLink && icon->CompformCreate())
    icon->Compform->ReadFromXML(element);
  return icon;
}

std::vector<TVYRcomp*> ReadCompsFromXML(TVyrXmlNode cfgNode, QWidget* canvas) {
  std::vector<TVYRcomp*> comps;
  if (!cfgNode) return comps;
  // IDs of the elements read so far; a repeated one is renamed so that every
  // icon keeps an element of its own when the canvas is written back.
  std::unordered_set<std::string> ids;
  for (pugi::xml_node n : cfgNode.child("Components").children("TVYRcomp")) ids.insert(n.attribute("ID").value());
  std::unordered_set<std::string> taken;
  std::string renamed;
  for (pugi::xml_node n : cfgNode.child("Components").children("TVYRcomp")) {
    TVYRcomp* icon = ReadIconFromXML(n, canvas, false);
    if (icon == nullptr) continue;
    if (const std::string id = n.attribute("ID").value(); !taken.insert(id).second) {
      std::string fresh;
      for (int k = 2; fresh.empty() || ids.count(fresh); ++k) fresh = id + "_" + IntToStr(k);
      ids.insert(fresh);
      taken.insert(fresh);
      SetAttr(n, "ID", fresh);
      icon->setObjectName(QString::fromStdString(fresh));
      renamed += "\r\"" + id + "\" renamed to \"" + fresh + "\"";
    }
    if (!icon->Formclassname().empty() && icon->CompType() != ctLineLink && icon->CompformCreate())
      icon->Compform->ReadFromXML(n);
    icon->show();
    comps.push_back(icon);
  }
  if (!renamed.empty())
    MessageDlg("Components with the same ID were found; each keeps its own:" + renamed, mtWarning, {mbOK}, 0);
  return comps;
}

}  // namespace vyr
