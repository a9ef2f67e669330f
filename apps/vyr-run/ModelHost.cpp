#include "ModelHost.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <map>
#include <unordered_map>
#include <utility>

#include <QApplication>
#include <QWidget>

#include "ClassRegistry.h"
#include "Fldform.h"
#include "NumInputQuery.h"
#include "Numinpkq.h"
#include "VyrNativeXml.h"
#include "vyrcompf.h"
#include "vyrcompl.h"

namespace vyr::run {

namespace {

// A message on one line: CR LF and lone line breaks become spaces.
std::string OneLine(const std::string& text) {
  std::string s;
  s.reserve(text.size());
  for (char c : text) {
    if (c == '\r') continue;
    s += c == '\n' ? ' ' : c;
  }
  return s;
}

// A component's failure text may end with a line naming the component; the
// host names it in front, so that line goes, unless the sentence runs on into
// it ("No convergence in GetT iteration in" + the caller).
std::string WithoutCaller(const std::string& text, const std::string& caller) {
  std::string s = text;
  if (caller.empty() || s.size() < caller.size() || s.compare(s.size() - caller.size(), caller.size(), caller) != 0)
    return text;
  s.erase(s.size() - caller.size());
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
  const bool runsOn = s.size() >= 3 && s.compare(s.size() - 3, 3, " in") == 0;
  return s.empty() || runsOn ? text : s;
}

std::string Quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

std::string AsciiLower(std::string_view s) {
  std::string k(s);
  for (char& c : k)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return k;
}

// Short name of a link type for messages: ltIn1 -> In1.
std::string PortName(TLinktype t) {
  const std::string n = LinktypeName(t);
  return n.size() > 2 ? n.substr(2) : n;
}

bool IsInlet(TLinktype t) { return t == ltIn1 || t == ltIn2; }
bool IsOutlet(TLinktype t) { return t == ltOut1 || t == ltOut2; }

// The port types that may lie at the far end of a port of type t.
bool FarTypeFits(TLinktype t, TLinktype far) {
  if (IsInlet(t)) return IsOutlet(far);
  if (IsOutlet(t)) return IsInlet(far);
  if (t == ltCtrlin) return far == ltCtrlout;
  if (t == ltCtrlout) return far == ltCtrlin;
  return true;
}

// Rank of an icon's calculation-order priority: copFirst before copNone before copLast.
int PriorityRank(TCalcOrderPriority p) { return p == copFirst ? 0 : p == copNone ? 1 : 2; }

bool HasForm(const TVYRcomp* icon) { return icon->CompType() != ctLineLink; }

// Answer of the host to a message: OK for a notice, No or Cancel for a question.
int Refusal(const TMessage& m) {
  if (m.Buttons.contains(mbNo)) return mrNo;
  if (m.Buttons.contains(mbCancel)) return mrCancel;
  return mrOk;
}

}  // namespace

const std::vector<THookPhase>& DesignPointPhases() {
  using S = THookStage;
  static const std::vector<THookPhase> phases = {
      {"AfterLoad", S::SimulationStart, false, [](TVYRcompform& f) { return f.AfterLoad(), true; }},
      {"AfterModelLoad", S::SimulationStart, false, [](TVYRcompform& f) { return f.AfterModelLoad(), true; }},
      {"CheckComponent", S::SimulationStart, true, [](TVYRcompform& f) { return f.CheckComponent(cmDesign); }},
      {"ValidateInputData", S::SimulationStart, true, [](TVYRcompform& f) { return f.ValidateInputData(); }},
      {"AddMeasurementsAndConditions", S::SimulationStart, false,
       [](TVYRcompform& f) { return f.AddMeasurementsAndConditions(), true; }},
      {"BeforeRunSimulation", S::SimulationStart, false,
       [](TVYRcompform& f) { return f.BeforeRunSimulation(), true; }},
      {"CalculationReset", S::Point, false, [](TVYRcompform& f) { return f.CalculationReset(), true; }},
      {"CalcInit", S::Point, false, [](TVYRcompform& f) { return f.CalcInit(); }},
      {"DefineStatesAndErrorsDP", S::Point, false,
       [](TVYRcompform& f) { return f.DefineStatesAndErrorsDP(cmDesign); }},
      {"CalcStart", S::Point, false, [](TVYRcompform& f) { return f.CalcStart(cmDesign); }},
      {"CalcListBegin", S::Point, false, [](TVYRcompform& f) { return f.CalcListBegin(cmDesign); }},
      {"Calc", S::Point, false, [](TVYRcompform& f) { return f.Calc(cmDesign); }},
      {"CalcEnd", S::Point, false, [](TVYRcompform& f) { return f.CalcEnd(cmDesign); }},
      {"CalcListEnd", S::Point, false, [](TVYRcompform& f) { return f.CalcListEnd(cmDesign); }},
      {"CalcModelGlobalParameterSums", S::Point, false,
       [](TVYRcompform& f) { return f.CalcModelGlobalParameterSums(cmDesign); }},
      {"CalcAdditionalOutput", S::Point, false,
       [](TVYRcompform& f) { return f.CalcAdditionalOutput(cmDesign, true); }},
      {"CalcAdditionalOutputEnd", S::Point, false,
       [](TVYRcompform& f) { return f.CalcAdditionalOutputEnd(cmDesign, true); }},
      {"CalcAdditionalParsEnd", S::Point, false,
       [](TVYRcompform& f) { return f.CalcAdditionalParsEnd(cmDesign, true); }},
      {"CalcFinish", S::Point, false, [](TVYRcompform& f) { return f.CalcFinish(cmDesign); }},
      {"CalcFinally", S::PointFinally, false, [](TVYRcompform& f) { return f.CalcFinally(cmDesign); }},
      {"OutputDataTo", S::PointOutput, false, [](TVYRcompform& f) { return f.OutputDataTo(otOutpArrays), true; }},
      {"OutputDataToArraysEnd", S::PointOutput, false, [](TVYRcompform& f) { return f.OutputDataToArraysEnd(); }},
      {"CalcSimulationFinish", S::SimulationEnd, false, [](TVYRcompform& f) { return f.CalcSimulationFinish(); }},
  };
  return phases;
}

const std::vector<THookPhase>& OffDesignPhases() {
  using S = THookStage;
  constexpr TCalcMode m = cmSteadyState;
  static const std::vector<THookPhase> phases = {
      {"CalcInit", S::SimulationStart, false, [](TVYRcompform& f) { return f.CalcInit(); }},
      {"CalcNewStateStart", S::SimulationStart, false, [](TVYRcompform& f) { return f.CalcNewStateStart(m); }},
      {"DefineStatesAndErrors", S::SimulationStart, false,
       [](TVYRcompform& f) { return f.DefineStatesAndErrors(m); }},
      {"CalculationReset", S::Point, false, [](TVYRcompform& f) { return f.CalculationReset(), true; }},
      {"CalcNewStateBegin", S::Point, false, [](TVYRcompform& f) { return f.CalcNewStateBegin(m); }},
      {"CalcStart", S::Point, false, [](TVYRcompform& f) { return f.CalcStart(m); }},
      {"CalcListBegin", S::Point, false, [](TVYRcompform& f) { return f.CalcListBegin(m); }},
      {"Calc", S::Point, false, [](TVYRcompform& f) { return f.Calc(m); }},
      {"CalcEnd", S::Point, false, [](TVYRcompform& f) { return f.CalcEnd(m); }},
      {"CalcListEnd", S::Point, false, [](TVYRcompform& f) { return f.CalcListEnd(m); }},
      {"CalcFinish", S::Point, false, [](TVYRcompform& f) { return f.CalcFinish(m); }},
      {"CalcNewStateEnd", S::Point, false, [](TVYRcompform& f) { return f.CalcNewStateEnd(m); }},
      {"CalcFinally", S::PointFinally, false, [](TVYRcompform& f) { return f.CalcFinally(m); }},
  };
  return phases;
}

// The model's forms as an off-design model: the solver's passes are the
// hooks' phases.
class THostModel : public engine::TOffDesignModel {
 public:
  explicit THostModel(TModelHost& host) : host_(host) {}
  std::string MissingDesign() override { return {}; }  // each form says what it lacks
  bool DefineStatesAndErrors(engine::TEngineState&, std::string& who, std::string& why) override {
    return Phases(THookStage::SimulationStart, who, why);
  }
  bool Pass(engine::TEngineState& s, std::string& who, std::string& why) override {
    s.ClearResults();
    s.offDesign = true;
    return Phases(THookStage::Point, who, why);
  }
  bool Finally(std::string& who, std::string& why) { return Phases(THookStage::PointFinally, who, why); }

 private:
  bool Phases(THookStage stage, std::string& who, std::string& why) {
    for (const THookPhase& p : OffDesignPhases())
      if (p.stage == stage && !host_.TryPhase(p, who, why)) return false;
    return true;
  }
  TModelHost& host_;
};

struct TModelHost::Impl {
  TVyrXmlDocument doc;
  pugi::xml_document effective;  // the chosen configuration's components, merged
  pugi::xml_node effectiveCfg;
  std::vector<pugi::xml_node> elements;  // the effective "TVYRcomp" elements, file order
  std::unordered_map<const TVYRcomp*, std::size_t> index;  // icon -> its element
  QWidget* canvas = nullptr;
  TMessageHandler previousMessages;
  TNumInputHandler previousNumInput;
  TShowModalHandler previousShowModal;
};

TModelHost::TModelHost() : impl_(std::make_unique<Impl>()) {
  impl_->previousMessages = SetMessageHandler([this](const TMessage& m) {
    messages_.push_back(m);
    used_.push_back(false);
    return Refusal(m);
  });
  impl_->previousNumInput = SetNumInputHandler([](const TNumInputRequest&, double&) { return false; });
  impl_->previousShowModal = SetShowModalHandler([](TFieldForm&) { return int(mrCancel); });
}

TModelHost::~TModelHost() {
  order_.clear();
  comps_.clear();
  delete impl_->canvas;
  SetShowModalHandler(std::move(impl_->previousShowModal));
  SetNumInputHandler(std::move(impl_->previousNumInput));
  SetMessageHandler(std::move(impl_->previousMessages));
}

std::vector<std::string> TModelHost::Warnings() const {
  std::vector<std::string> lines;
  for (std::size_t k = 0; k < messages_.size(); ++k)
    if (!used_[k]) lines.push_back(OneLine(messages_[k].Text));
  return lines;
}

bool TModelHost::Invalid(std::string text) {
  errors_.push_back(source_ + ": " + std::move(text));
  return false;
}

std::string TModelHost::ComponentPath(const TVYRcomp* icon) const {
  auto it = impl_->index.find(icon);
  const std::string id = it != impl_->index.end() ? impl_->elements[it->second].attribute("ID").value()
                                                  : icon->objectName().toStdString();
  return configPath_ + "/Components/TVYRcomp:" + id;
}

bool TModelHost::Parsed(bool loaded, std::string_view sourceName, const std::string& config,
                        const std::string& caseID, std::size_t mark) {
  source_ = std::string(sourceName);
  if (loaded) return Build(config, caseID);
  // The loader's message box says what LastError says.
  for (std::size_t k = mark; k < messages_.size(); ++k) used_[k] = true;
  errors_.push_back(OneLine(impl_->doc.LastError()));
  return false;
}

bool TModelHost::Load(const std::string& fileName, const std::string& config, const std::string& caseID) {
  const std::size_t mark = messages_.size();
  modelDir_ = std::filesystem::path(fileName).parent_path().string();
  return Parsed(impl_->doc.LoadFromFile(fileName), fileName, config, caseID, mark);
}

bool TModelHost::LoadFromString(std::string_view bytes, std::string_view sourceName, const std::string& config,
                                const std::string& caseID) {
  const std::size_t mark = messages_.size();
  // The files a model names (maps) lie beside the file the bytes come from.
  modelDir_ = std::filesystem::path(std::string(sourceName)).parent_path().string();
  return Parsed(impl_->doc.LoadFromString(bytes, sourceName), sourceName, config, caseID, mark);
}

namespace {

bool SameID(pugi::xml_node n, std::string_view id) { return XmlSameText(n.attribute("ID").value(), id); }

// The "Config" of that ID below base, through nested configurations; names
// collects the IDs of all configurations met.
pugi::xml_node FindConfig(pugi::xml_node base, std::string_view id, std::vector<std::string>& names) {
  std::vector<pugi::xml_node> todo{base};
  while (!todo.empty()) {
    pugi::xml_node n = todo.back();
    todo.pop_back();
    for (pugi::xml_node c : n.children("Config")) {
      if (SameID(c, id)) return c;
      names.push_back(c.attribute("ID").value());
      todo.push_back(c);
    }
  }
  return {};
}

std::string Listed(const std::vector<std::string>& names) {
  if (names.empty()) return "there are none";
  std::string s;
  for (const std::string& n : names) s += (s.empty() ? "" : ", ") + Quoted(n);
  return "there are " + s;
}

}  // namespace

bool TModelHost::Build(const std::string& config, const std::string& caseID) {
  if (QApplication::instance() == nullptr) return Invalid("the components need a QApplication");
  const TVyrXmlNode root = impl_->doc.Root();
  const TVyrXmlNode base = root.RefModelRoot();
  if (!base) return Invalid("no \"BaseCfg\" or \"ReferenceModel\" element below the root element");

  // The chain of configuration levels from the base down to the one chosen.
  TVyrXmlNode chosen = base;
  if (!config.empty()) {
    std::vector<std::string> names;
    chosen = FindConfig(base, config, names);
    if (!chosen)
      return Invalid("no configuration (\"Config\" element) of ID " + Quoted(config) + " below " +
                     base.GetIDPath(impl_->doc.DocumentNode()) + "; " + Listed(names));
  }
  if (!caseID.empty()) {
    std::vector<std::string> names;
    TVyrXmlNode found;
    for (pugi::xml_node c : chosen.children("Case")) {
      if (SameID(c, caseID)) {
        found = c;
        break;
      }
      names.push_back(c.attribute("ID").value());
    }
    if (!found)
      return Invalid("no case (\"Case\" element) of ID " + Quoted(caseID) + " in " +
                     chosen.GetIDPath(impl_->doc.DocumentNode()) + "; " + Listed(names));
    chosen = found;
  }
  configPath_ = chosen.GetIDPath(impl_->doc.DocumentNode());
  std::vector<TVyrXmlNode> levels;
  for (TVyrXmlNode n = chosen; n && n != base; n = n.parent()) levels.push_back(n);
  std::reverse(levels.begin(), levels.end());

  const pugi::xml_node baseComps = base.child("Components");
  if (!baseComps)
    return Invalid(base.GetIDPath(impl_->doc.DocumentNode()) + " has no \"Components\" element: the model is empty");
  pugi::xml_node effRoot = impl_->effective.append_child(root.name());
  impl_->effectiveCfg = effRoot.append_child("BaseCfg");
  TVyrXmlNode effComps = impl_->effectiveCfg.append_copy(baseComps);
  for (const TVyrXmlNode& level : levels) {
    const pugi::xml_node comps = level.child("Components");
    if (!comps) continue;
    if (level.IsCaseNode())
      for (pugi::xml_node c : comps.children("TVYRcomp"))
        if (!TVyrXmlNode(c).AncestorSubNode())
          return Invalid(TVyrXmlNode(c).GetIDPath(impl_->doc.DocumentNode()) +
                         ": a case changes components of its configuration and adds none; there is no component " +
                         Quoted(c.attribute("ID").value()));
    effComps.CopyNodesByID(comps);
  }
  return CreateComponents() && LinkAndCheck() && CheckGasPath() && Order();
}

bool TModelHost::CreateComponents() {
  const pugi::xml_node list = impl_->effectiveCfg.child("Components");
  const std::string listPath = configPath_ + "/Components";
  std::unordered_map<std::string, std::string> ids;
  int k = 0;
  for (pugi::xml_node n : list.children("TVYRcomp")) {
    ++k;
    const std::string id = n.attribute("ID").value();
    if (id.empty()) return Invalid(listPath + ": component element " + std::to_string(k) + " has no \"ID\"");
    const std::string path = listPath + "/TVYRcomp:" + id;
    if (auto [it, fresh] = ids.emplace(AsciiLower(id), id); !fresh)
      return Invalid(path + ": a second component of ID " + Quoted(it->second));
    TCompType type = ctModelComp;
    if (pugi::xml_attribute a = n.attribute("CompType"); a && !CompTypeFromName(a.value(), type))
      return Invalid(path + ": component type (\"CompType\") " + Quoted(a.value()) + " is unknown");
    const std::string iconClass = TVyrXmlNode(n.child("Icon")).ValueFromNodeAsStringDef("ClassName", "TVYRcomp");
    const TRegisteredClass* ic = FindClass(iconClass);
    if (ic == nullptr)
      return Invalid(path + ": icon class " + Quoted(iconClass) + " is unknown (no component library loaded registers it)");
    if (!ic->MetaObject->inherits(&TVYRcomp::staticMetaObject))
      return Invalid(path + ": " + Quoted(iconClass) + " is no component icon class");
    if (type == ctLineLink) continue;
    const std::string formClass = n.attribute("FormClassName").value();
    if (formClass.empty()) return Invalid(path + ": no form class (\"FormClassName\")");
    const TRegisteredClass* fc = FindClass(formClass);
    if (fc == nullptr)
      return Invalid(path + ": form class " + Quoted(formClass) + " is unknown (no component library loaded registers it)");
    if (!fc->MetaObject->inherits(&TVYRcompform::staticMetaObject))
      return Invalid(path + ": " + Quoted(formClass) + " is no component form class");
    impl_->elements.push_back(n);
  }
  if (k == 0) return Invalid(listPath + " holds no component");

  impl_->canvas = new QWidget;
  const std::size_t mark = messages_.size();
  comps_ = ReadCompsFromXML(impl_->effectiveCfg, impl_->canvas);
  if (messages_.size() > mark || comps_.size() != static_cast<std::size_t>(k)) {
    for (std::size_t m = mark; m < messages_.size(); ++m) {
      used_[m] = true;
      Invalid(listPath + ": " + OneLine(messages_[m].Text));
    }
    if (errors_.empty()) Invalid(listPath + ": a component could not be created");
    return false;
  }
  // Connectors have no element of their own in elements; index the rest in file order.
  std::size_t e = 0;
  for (const TVYRcomp* icon : comps_) {
    if (!HasForm(icon)) continue;
    impl_->index.emplace(icon, e);
    const pugi::xml_node node = impl_->elements[e++];
    if (icon->Compform == nullptr) return Invalid(ComponentPath(icon) + ": its data form could not be created");
    // ReadCompsFromXML keeps a field whose stored text is no value of it; here that makes the model invalid.
    if (!icon->Compform->ReadFromXML(node))
      return Invalid(ComponentPath(icon) + ": a value of its data form cannot be read (" + icon->Compform->IDstr() +
                     ")");
  }
  return true;
}

bool TModelHost::LinkAndCheck() {
  ClearCircularReference();
  const std::size_t mark = messages_.size();
  const bool question = LinkAllComps(comps_);
  auto takeMessages = [&](const std::string& what) {
    bool any = false;
    for (std::size_t m = mark; m < messages_.size(); ++m)
      if (!used_[m]) {
        used_[m] = true;
        any = true;
        Invalid(what + OneLine(messages_[m].Text));
      }
    return any;
  };
  if (CircularReference()) {
    takeMessages(configPath_ + "/Components: ");
    if (errors_.empty()) Invalid(configPath_ + "/Components: a chain of connectors runs in a circle");
    return false;
  }
  auto name = [this](const TVYRcomp* icon) { return ComponentPath(icon); };
  for (TVYRcomp* icon : comps_) {
    if (icon->CompType() == ctNoLink) continue;
    for (TVYRLink* l : icon->Links()) {
      if (!l->Visible()) continue;
      if (!l->Linked) {
        const std::string station = l->Station() >= -0.1 ? " (station " + StationNrToStr(l->Station()) + ")" : "";
        return Invalid(name(icon) + ": port " + PortName(l->Ltype()) + station + " is linked to nothing");
      }
      if (!HasForm(icon)) continue;
      TVYRLink* far = nullptr;
      TVYRcomp* other = l->OtherModelComp(far);
      if (other == nullptr || far == nullptr)
        return Invalid(name(icon) + ": port " + PortName(l->Ltype()) + " reaches no component of the model");
      if (!FarTypeFits(l->Ltype(), far->Ltype()))
        return Invalid(name(icon) + ": port " + PortName(l->Ltype()) + " is linked to port " +
                       PortName(far->Ltype()) + " of " + name(other) + ", which does not fit");
      const bool gas = IsInlet(l->Ltype()) || IsOutlet(l->Ltype());
      if (gas && l->Station() >= -0.1 && far->Station() > -0.1 && l->Station() != far->Station())
        return Invalid(name(icon) + ": port " + PortName(l->Ltype()) + " is station " + StationNrToStr(l->Station()) +
                       " and the linked port " + PortName(far->Ltype()) + " of " + name(other) + " is station " +
                       StationNrToStr(far->Station()));
    }
  }
  if (question) return Invalid(configPath_ + "/Components: linked ports disagree on their station numbers");
  for (TVYRcomp* icon : comps_) {
    if (!HasForm(icon)) continue;
    if (!icon->CheckLinks() || !icon->SetModelLinks(true)) {
      if (!takeMessages(ComponentPath(icon) + ": "))
        Invalid(ComponentPath(icon) + ": its links cannot be resolved");
      return false;
    }
  }
  return true;
}

bool TModelHost::CheckGasPath() {
  // Depth-first search along the gas outlets; a component met again while it
  // is still on the path closes a loop.
  enum Mark : char { White, Grey, Black };
  std::unordered_map<const TVYRcomp*, Mark> mark;
  for (TVYRcomp* start : comps_) {
    if (!HasForm(start) || mark[start] != White) continue;
    std::vector<std::pair<TVYRcomp*, int>> path{{start, 0}};
    mark[start] = Grey;
    while (!path.empty()) {
      auto& [c, next] = path.back();
      TVYRcomp* down = nullptr;
      while (next < 2 && down == nullptr) down = (next++ == 0 ? c->Cout1 : c->Cout2).data();
      if (down == nullptr) {
        mark[c] = Black;
        path.pop_back();
        continue;
      }
      if (mark[down] == Grey) {
        std::string loop;
        auto from = std::find_if(path.begin(), path.end(), [&](const auto& p) { return p.first == down; });
        for (auto it = from; it != path.end(); ++it)
          loop += "TVYRcomp:" + it->first->objectName().toStdString() + " -> ";
        loop += "TVYRcomp:" + down->objectName().toStdString();
        return Invalid(configPath_ + "/Components: the gas path runs in a circle: " + loop);
      }
      if (mark[down] == White) {
        mark[down] = Grey;
        path.emplace_back(down, 0);
      }
    }
  }
  return true;
}

bool TModelHost::Order() {
  std::map<int, const TVYRcomp*> byNr;
  for (TVYRcomp* icon : comps_) {
    if (!HasForm(icon)) continue;
    const int nr = icon->Compform->CalcNumber();
    if (auto [it, fresh] = byNr.emplace(nr, icon); !fresh)
      return Invalid(ComponentPath(icon) + ": calculation number " + std::to_string(nr) + " is also that of " +
                     ComponentPath(it->second));
    order_.push_back(icon);
  }
  if (order_.empty()) return Invalid(configPath_ + "/Components holds connectors only, no component to calculate");
  std::stable_sort(order_.begin(), order_.end(), [](const TVYRcomp* a, const TVYRcomp* b) {
    const int pa = PriorityRank(a->CalcOrderPriority()), pb = PriorityRank(b->CalcOrderPriority());
    return pa != pb ? pa < pb : a->Compform->CalcNumber() < b->Compform->CalcNumber();
  });
  return true;
}

bool TModelHost::Call(const THookPhase& phase, TVYRcomp* icon, std::string& failure) {
  TVYRcompform& form = *icon->Compform;
  form.ErrorWarningText.clear();
  const std::size_t mark = messages_.size();
  bool ok = false;
  std::string thrown;
  try {
    ok = phase.call(form);
  } catch (const std::exception& e) {
    thrown = e.what();
  } catch (...) {
    thrown = "an exception of unknown type";
  }
  if (ok && form.ErrorWarningText.empty()) return true;
  const std::string id = form.IDstr();
  const std::string own = OneLine(WithoutCaller(form.ErrorWarningText, id));
  if (ok) {
    if (!own.empty()) {  // a warning left for the host
      messages_.push_back(TMessage{id + ": " + own,
                                   mtWarning, {}, form.ErrorWarningHelpContext, false});
      used_.push_back(false);
    }
    return true;
  }
  std::vector<std::string> why;
  if (!own.empty()) why.push_back(own);
  for (std::size_t m = mark; m < messages_.size(); ++m) {
    used_[m] = true;
    const std::string line = OneLine(WithoutCaller(messages_[m].Text, id));
    if (std::find(why.begin(), why.end(), line) == why.end()) why.push_back(line);
  }
  if (!thrown.empty()) why.push_back("exception: " + thrown);
  failure = id + ": " + phase.name + " failed";
  for (std::size_t w = 0; w < why.size(); ++w) failure += (w == 0 ? ": " : "; ") + why[w];
  return false;
}

TRunStatus TModelHost::Phase(const THookPhase& phase) {
  std::string failure;
  for (TVYRcomp* icon : order_) {
    if (Call(phase, icon, failure)) continue;
    if (phase.checksModel) {
      Invalid(ComponentPath(icon) + ": " + failure);
      return TRunStatus::Invalid;
    }
    failedWho_ = icon->Compform->IDstr();
    errors_.push_back(std::move(failure));
    return TRunStatus::Failed;
  }
  return TRunStatus::Ok;
}

TRunStatus TModelHost::RunPhases(THookStage stage) {
  for (const THookPhase& p : DesignPointPhases())
    if (p.stage == stage)
      if (const TRunStatus s = Phase(p); s != TRunStatus::Ok) return s;
  return TRunStatus::Ok;
}

TRunStatus TModelHost::StartSimulation() { return RunPhases(THookStage::SimulationStart); }

TRunStatus TModelHost::RunPoint() {
  TRunStatus s = RunPhases(THookStage::Point);
  // Every component gets CalcFinally, also after a failure; a failure of its
  // own counts only when the point had none.
  std::string failure;
  for (const THookPhase& p : DesignPointPhases()) {
    if (p.stage != THookStage::PointFinally) continue;
    for (TVYRcomp* icon : order_)
      if (!Call(p, icon, failure) && s == TRunStatus::Ok) {
        failedWho_ = icon->Compform->IDstr();
        errors_.push_back(std::move(failure));
        s = TRunStatus::Failed;
      }
  }
  if (s != TRunStatus::Ok) return s;
  return RunPhases(THookStage::PointOutput);
}

TRunStatus TModelHost::FinishSimulation() { return RunPhases(THookStage::SimulationEnd); }

bool TModelHost::TryPhase(const THookPhase& phase, std::string& who, std::string& failure) {
  for (TVYRcomp* icon : order_)
    if (!Call(phase, icon, failure)) {
      who = icon->Compform->IDstr();
      return false;
    }
  return true;
}

TRunStatus TModelHost::RunOffDesign(engine::TEngineState& state, const std::vector<engine::TOffDesignPoint>& points,
                                    std::vector<engine::TOffDesignResult>& results,
                                    const engine::TSolverOptions& options) {
  state.modelDir = modelDir_;
  engine::TActiveEngineState scope(state);
  results.clear();
  designDone_ = false;
  if (const TRunStatus s = StartSimulation(); s != TRunStatus::Ok) return s;
  // Off design follows the design inputs as they are now: the design point
  // writes what off design needs into the forms (it costs about a millisecond).
  const std::size_t mark = errors_.size();
  if (const TRunStatus design = RunPoint(); design != TRunStatus::Ok) {
    std::string why;
    for (std::size_t k = mark; k < errors_.size(); ++k) why += (why.empty() ? "" : "; ") + errors_[k];
    for (const engine::TOffDesignPoint& p : points) {
      engine::TOffDesignResult r;
      r.point = p;
      r.component = failedWho_;
      r.error = "The design point failed, so no off-design point can be calculated: " + why;
      results.push_back(std::move(r));
    }
    FinishSimulation();
    return design;
  }
  designDone_ = true;
  THostModel model(*this);
  engine::TOffDesign od(model);
  od.options = options;
  results = od.Sweep(state, points);
  std::string who, why;
  model.Finally(who, why);
  const TRunStatus end = FinishSimulation();
  for (const engine::TOffDesignResult& r : results)
    if (!r.ok) return TRunStatus::Failed;
  return end;
}

TRunStatus TModelHost::Run(engine::TEngineState& state) {
  state.modelDir = modelDir_;
  engine::TActiveEngineState scope(state);
  designDone_ = false;
  if (const TRunStatus s = StartSimulation(); s != TRunStatus::Ok) return s;
  const TRunStatus point = RunPoint();
  designDone_ = point == TRunStatus::Ok;
  const TRunStatus end = FinishSimulation();
  return point != TRunStatus::Ok ? point : end;
}

namespace {

// A file name relative to the folder from, as seen from the folder to.
std::string Rebased(const std::string& name, const std::filesystem::path& from, const std::filesystem::path& to) {
  namespace fs = std::filesystem;
  const fs::path p(name);
  if (name.empty() || p.is_absolute()) return name;
  std::error_code ec;
  const fs::path file = fs::weakly_canonical(fs::absolute(from / p, ec), ec);
  const fs::path base = fs::weakly_canonical(fs::absolute(to, ec), ec);
  if (ec) return name;
  const fs::path rel = file.lexically_relative(base);
  return rel.empty() ? file.string() : rel.generic_string();
}

}  // namespace

bool TModelHost::SaveModel(const std::string& fileName, std::string& error) {
  if (configPath_.empty() || order_.empty()) {
    error = "no model is loaded";
    return false;
  }
  const TVyrXmlNode base = impl_->doc.Root().RefModelRoot();
  if (configPath_ != base.GetIDPath(impl_->doc.DocumentNode())) {
    error = "the design data of " + configPath_ +
            " are not the base configuration's; save the design data of the base configuration (without --config "
            "and --case)";
    return false;
  }
  namespace fs = std::filesystem;
  const fs::path from = modelDir_.empty() ? fs::path(".") : fs::path(modelDir_);
  const fs::path parent = fs::path(fileName).parent_path();
  const fs::path to = parent.empty() ? fs::path(".") : parent;
  const pugi::xml_node list = base.child("Components");
  for (TVYRcomp* icon : order_) {
    TVYRcompform& form = *icon->Compform;
    const std::string id = impl_->elements[impl_->index.at(icon)].attribute("ID").value();
    pugi::xml_node element;
    for (pugi::xml_node n : list.children("TVYRcomp"))
      if (SameID(n, id)) {
        element = n;
        break;
      }
    if (!element) continue;  // the base has every component of its own model
    // Files named relative to the model file, seen from the new file's folder.
    std::vector<std::pair<TStringFld*, std::string>> files;
    for (TFieldControl* f : form.Fields())
      if (auto* text = qobject_cast<TStringFld*>(f->FieldWidget()); text && text->property("modelFile").toBool()) {
        files.emplace_back(text, text->Text());
        text->SetText(Rebased(text->Text(), from, to));
      }
    form.WriteToXML(element);
    for (auto& [field, text] : files) field->SetText(text);
  }
  const std::size_t mark = messages_.size();
  if (impl_->doc.SaveToFile(fileName)) return true;
  for (std::size_t k = mark; k < messages_.size(); ++k) used_[k] = true;  // LastError says it
  error = OneLine(impl_->doc.LastError());
  if (error.empty()) error = fileName + " cannot be written";
  return false;
}

}  // namespace vyr::run
