#include "EditorCanvas.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <unordered_set>

#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QFrame>
#include <QHash>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QSet>
#include <QUndoStack>

#include "ClassRegistry.h"
#include "HandlesKQ.h"
#include "Messages.h"
#include "ModelClipboard.h"
#include "Palette.h"
#include "VYRutilsCore.h"
#include "VyrNativeXml.h"
#include "vyrcompf.h"
#include "vyrcompl.h"

namespace vyr::editor {

namespace {

constexpr const char* kEmptyModel = "<?xml version=\"1.0\"?>\n<VYRmodel>\n  <BaseCfg>\n    <Components />\n  </BaseCfg>\n</VYRmodel>\n";

std::string ElementText(pugi::xml_node n) {
  std::ostringstream s;
  n.print(s, "  ", pugi::format_default, pugi::encoding_utf8, 0);
  return s.str();
}

QString IdOf(const TVYRcomp* icon) { return icon->objectName(); }

// A pasted icon's form is made when first needed; until then the icon carries
// these properties: that its form is still to be made from its element, and
// the calculation number the element holds (TVYRcomp::CalcNr reads it).
constexpr const char* kFormPending = "FormPending";
constexpr const char* kPendingCalcNr = "PendingCalcNr";

int Snap(int v) { return (v + kCanvasGrid / 2) / kCanvasGrid * kCanvasGrid; }

}  // namespace

TEditorCanvas::TEditorCanvas(QWidget* parent) : QWidget(parent) {
  setAcceptDrops(true);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(800, 400);
  undo_ = new QUndoStack(this);
  handle_ = new TStretchHandle(this);
  handle_->SetGridX(kCanvasGrid);
  handle_->SetGridY(kCanvasGrid);
  mark_ = new QFrame(this);
  mark_->setObjectName(QStringLiteral("FailedMark"));
  mark_->setFrameShape(QFrame::Box);
  mark_->setLineWidth(3);
  mark_->setStyleSheet(QStringLiteral("QFrame#FailedMark { border: 3px solid red; background: transparent; }"));
  mark_->setAttribute(Qt::WA_TransparentForMouseEvents);
  mark_->hide();

  // A handle drag (move or resize) is one step: the selection's state at its
  // start is the document's, so it is read when the drag ends.
  connect(handle_, &TStretchHandle::OnStartDrag, this, [this](QObject*) { drag_ = BeginEdit(SelectedIcons()); });
  connect(handle_, &TStretchHandle::OnEndDrag, this, [this](QObject*, QObject*, int, int) {
    const std::vector<TVYRcomp*> icons = SelectedIcons();
    if (drag_.ids.empty()) drag_ = BeginEdit(icons);
    bool resized = false;
    for (TVYRcomp* c : icons) {
      const TIconState s = StoredState(IdOf(c));
      resized = resized || s.xml.find("<Width>" + std::to_string(c->width()) + "<") == std::string::npos ||
                s.xml.find("<Height>" + std::to_string(c->height()) + "<") == std::string::npos;
    }
    Relink(icons);
    EndEdit(drag_, resized ? QStringLiteral("Resize") : QStringLiteral("Move"), icons);
    drag_ = {};
  });
  connect(handle_, &TStretchHandle::OnDblClick, this, [this] {
    const std::vector<TVYRcomp*> icons = SelectedIcons();
    if (icons.size() == 1) EditComponent(icons.front());
  });
  connect(handle_, &TStretchHandle::OnKeyDown, this, [this](int key, TShiftState) {
    switch (key) {
      case Qt::Key_R:
        RotateSelection();
        break;
      case Qt::Key_Delete:
        DeleteSelection();
        break;
      case Qt::Key_Escape:
        Select({});
        break;
      case Qt::Key_Left:
      case Qt::Key_Right:
      case Qt::Key_Up:
      case Qt::Key_Down: {
        // The handle has moved the selection already; the document still holds where it was.
        const std::vector<TVYRcomp*> icons = SelectedIcons();
        TEdit e = BeginEdit(icons);
        Relink(icons);
        EndEdit(e, QStringLiteral("Move"), icons);
        break;
      }
      default:
        break;
    }
  });
  NewModel();
}

TEditorCanvas::~TEditorCanvas() {
  handle_->Detach();
  for (TVYRcomp* c : comps_) delete c;
}

// --- The model -----------------------------------------------------------------

void TEditorCanvas::Clear() {
  handle_->Detach();
  ClearMark();
  for (TVYRcomp* c : comps_) delete c;
  comps_.clear();
  undo_->clear();
}

void TEditorCanvas::NewModel() {
  auto doc = std::make_unique<TVyrXmlDocument>();
  doc->LoadFromString(kEmptyModel, "new model");
  Clear();
  doc_ = std::move(doc);
  AfterLoad();
}

bool TEditorCanvas::LoadFromString(std::string_view bytes, const std::string& sourceName) {
  auto doc = std::make_unique<TVyrXmlDocument>();
  if (!doc->LoadFromString(bytes, sourceName)) return false;
  if (!doc->Root().RefModelRoot()) {
    MessageDlg(sourceName + " holds no base configuration (\"BaseCfg\" or \"ReferenceModel\")", mtError, {mbOK}, 0);
    return false;
  }
  Clear();
  doc_ = std::move(doc);
  comps_ = ReadCompsFromXML(doc_->Root().RefModelRoot(), this);
  for (TVYRcomp* c : comps_) Decorate(c);
  LinkAllComps(comps_);
  AfterLoad();
  return true;
}

bool TEditorCanvas::LoadFromFile(const std::string& fileName) {
  auto doc = std::make_unique<TVyrXmlDocument>();
  if (!doc->LoadFromFile(fileName)) return false;
  const std::string bytes = doc->SaveToString();
  return LoadFromString(bytes, fileName);
}

void TEditorCanvas::AfterLoad() {
  if (!doc_->Root().RefModelRoot().child("Components"))
    doc_->Root().RefModelRoot().append_child("Components");
  RefreshLabels();
  FitSize();
  undo_->setClean();
  emit ModelChanged();
  emit SelectionChanged();
}

std::string TEditorCanvas::SaveToString() {
  EnsureForms();  // a run maps its results to the forms
  WriteCompsToXML(comps_, doc_->Root().RefModelRoot());
  return doc_->SaveToString();
}

bool TEditorCanvas::SaveToFile(const std::string& fileName) {
  EnsureForms();
  WriteCompsToXML(comps_, doc_->Root().RefModelRoot());
  if (!doc_->SaveToFile(fileName)) return false;
  undo_->setClean();
  return true;
}

TVYRcomp* TEditorCanvas::FindIcon(const QString& id) const {
  for (TVYRcomp* c : comps_)
    if (c->objectName() == id) return c;
  return nullptr;
}

int TEditorCanvas::IndexOf(const TVYRcomp* icon) const {
  const auto it = std::find(comps_.begin(), comps_.end(), icon);
  return it == comps_.end() ? -1 : static_cast<int>(it - comps_.begin());
}

void TEditorCanvas::Decorate(TVYRcomp* icon) {
  if (icon->CompType() != ctLineLink) icon->CreateCompLab();
  icon->CreateStationLabs();
  if (icon->Compform) {
    icon->Compform->SetDescrLabelCaption();
    for (TNumFld* f : icon->Compform->NumFields())
      f->SetUnitSystem(units_ == TUnitSystem::Imperial ? usImperial : usSI);
  }
  icon->show();
}

TVYRcomp* TEditorCanvas::CreateIcon(void* element, bool withForm) {
  const pugi::xml_node node = *static_cast<pugi::xml_node*>(element);
  TVYRcomp* icon = ReadIconFromXML(node, this, withForm);
  if (icon == nullptr) return nullptr;
  if (!withForm && !icon->Formclassname().empty() && icon->CompType() != ctLineLink) {
    icon->setProperty(kFormPending, true);
    if (pugi::xml_attribute nr = node.attribute("Nr"))
      icon->setProperty(kPendingCalcNr, static_cast<int>(std::lround(nr.as_double())));
  }
  Decorate(icon);
  return icon;
}

TVYRcompform* TEditorCanvas::Form(TVYRcomp* icon) {
  if (icon == nullptr) return nullptr;
  if (icon->property(kFormPending).toBool()) {
    icon->setProperty(kFormPending, QVariant());
    icon->setProperty(kPendingCalcNr, QVariant());
    const std::string key = IdOf(icon).toStdString();
    const pugi::xml_node node =
        doc_->Root().RefModelRoot().child("Components").find_child_by_attribute("TVYRcomp", "ID", key.c_str());
    if (node && icon->CompformCreate()) {
      icon->Compform->ReadFromXML(node);
      Decorate(icon);
    }
  }
  return icon->Compform;
}

void TEditorCanvas::EnsureForms() {
  for (TVYRcomp* c : comps_) Form(c);
}

void TEditorCanvas::RefreshLabels() {
  for (TVYRcomp* c : comps_)
    for (TVYRLink* l : c->Links()) l->UpdateStationLab();
  handle_->raise();
  UpdateMark();
}

void TEditorCanvas::FitSize() {
  // The canvas grows with its icons, so that the scroll area reaches them all.
  QRect r(0, 0, 800, 400);
  for (const TVYRcomp* c : comps_) r |= c->geometry();
  const QSize want(r.right() + 200, r.bottom() + 200);
  if (want.width() > width() || want.height() > height()) resize(want.expandedTo(size()));
}

void TEditorCanvas::Relink(const std::vector<TVYRcomp*>& icons) {
  for (TVYRcomp* c : icons) RelinkComp(c, comps_);
  for (TVYRcomp* c : comps_) c->update();
  RefreshLabels();
}

// --- Undo steps -------------------------------------------------------------------

TIconState TEditorCanvas::StoredState(const QString& id) const {
  TIconState s;
  s.id = id;
  const std::string key = id.toStdString();
  int k = 0;
  for (TVYRcomp* c : comps_) {
    if (c->objectName() == id) {
      s.index = k;
      break;
    }
    ++k;
  }
  if (s.index < 0) return s;
  for (pugi::xml_node n : doc_->Root().RefModelRoot().child("Components").children("TVYRcomp"))
    if (key == n.attribute("ID").value()) {
      s.xml = ElementText(n);
      break;
    }
  return s;
}

TIconState TEditorCanvas::Capture(TVYRcomp* icon) {
  TIconState s;
  s.id = IdOf(icon);
  s.index = IndexOf(icon);
  pugi::xml_node list = doc_->Root().RefModelRoot().child("Components");
  const std::string key = s.id.toStdString();
  pugi::xml_node node;
  for (pugi::xml_node n : list.children("TVYRcomp"))
    if (key == n.attribute("ID").value()) {
      node = n;
      break;
    }
  if (!node) {
    // A new icon's element goes before the element of the icon that follows it.
    pugi::xml_node next;
    for (std::size_t k = static_cast<std::size_t>(s.index) + 1; k < comps_.size() && !next; ++k) {
      const std::string nextID = comps_[k]->objectName().toStdString();
      for (pugi::xml_node n : list.children("TVYRcomp"))
        if (nextID == n.attribute("ID").value()) {
          next = n;
          break;
        }
    }
    node = next ? list.insert_child_before("TVYRcomp", next) : list.append_child("TVYRcomp");
  }
  if (icon->Compform) icon->Compform->WriteToXML(node);
  icon->WriteToXML(node);
  s.xml = ElementText(node);
  return s;
}

void TEditorCanvas::AddIds(TEdit& edit, const std::vector<TVYRcomp*>& icons, bool withState) const {
  // The IDs already in the edit, as a set: a paste brings hundreds.
  QSet<QString> known(edit.ids.begin(), edit.ids.end());
  auto add = [&](TVYRcomp* c) {
    if (c == nullptr) return;
    const QString id = IdOf(c);
    if (known.contains(id)) return;
    known.insert(id);
    edit.ids.push_back(id);
    if (withState) edit.before.push_back(StoredState(id));
  };
  for (TVYRcomp* c : icons) {
    add(c);
    // Linking copies station numbers across: the partners change too.
    for (TVYRLink* l : c->Links())
      if (l->Linked && l->OtherComp) add(l->OtherComp.data());
  }
}

TEditorCanvas::TEdit TEditorCanvas::BeginEdit(const std::vector<TVYRcomp*>& icons) const {
  TEdit e;
  AddIds(e, icons, true);
  return e;
}

void TEditorCanvas::EndEdit(TEdit& edit, const QString& text, const std::vector<TVYRcomp*>& icons) {
  // Icons new to the edit (new partners, pasted icons) were as the document holds them, or absent.
  AddIds(edit, icons, true);
  std::vector<TIconState> after;
  bool changed = false;
  QHash<QString, TVYRcomp*> byID;
  byID.reserve(static_cast<qsizetype>(comps_.size()));
  // Backwards, so that the first icon of an ID wins, as in FindIcon.
  for (auto it = comps_.rbegin(); it != comps_.rend(); ++it) byID.insert(IdOf(*it), *it);
  for (std::size_t k = 0; k < edit.ids.size(); ++k) {
    TVYRcomp* c = byID.value(edit.ids[k], nullptr);
    TIconState s;
    if (c != nullptr) {
      s = Capture(c);
    } else {
      s.id = edit.ids[k];
    }
    changed = changed || s.xml != edit.before[k].xml || s.index != edit.before[k].index;
    after.push_back(std::move(s));
  }
  FitSize();
  if (changed) undo_->push(new TIconsCommand(this, text, std::move(edit.before), std::move(after)));
  edit = {};
  emit ModelChanged();
  emit SelectionChanged();
}

void TEditorCanvas::RestoreStates(const std::vector<TIconState>& states) {
  handle_->Detach();
  pugi::xml_node list = doc_->Root().RefModelRoot().child("Components");
  std::vector<TVYRcomp*> restored;
  std::vector<const TIconState*> rest;
  for (const TIconState& s : states) {
    // An icon that stays in its place of the canvas order reads its element
    // again (its form is not made anew); the others are made anew below.
    TVYRcomp* c = s.xml.empty() ? nullptr : FindIcon(s.id);
    pugi::xml_document part;
    if (c != nullptr && IndexOf(c) == s.index && part.load_string(s.xml.c_str())) {
      const std::string className =
          TVyrXmlNode(part.document_element().child("Icon")).ValueFromNodeAsStringDef("ClassName", "");
      std::string own = c->metaObject()->className();
      if (auto pos = own.rfind("::"); pos != std::string::npos) own.erase(0, pos + 2);
      const std::string key = s.id.toStdString();
      pugi::xml_node old = list.find_child_by_attribute("TVYRcomp", "ID", key.c_str());
      std::string error;
      if (className == own && old) {
        pugi::xml_node node = list.insert_copy_before(part.document_element(), old);
        list.remove_child(old);
        c->Unlink();
        if (c->ReadFromXML(node, error)) {
          if (c->Compform) {
            c->Compform->ReadFromXML(node);
            c->Compform->SetDescrLabelCaption();
          }
          restored.push_back(c);
          continue;
        }
      }
    }
    rest.push_back(&s);
  }
  for (const TIconState* sp : rest) {
    const TIconState& s = *sp;
    if (TVYRcomp* c = FindIcon(s.id)) {
      comps_.erase(comps_.begin() + IndexOf(c));
      delete c;
    }
    const std::string key = s.id.toStdString();
    for (pugi::xml_node n : list.children("TVYRcomp"))
      if (key == n.attribute("ID").value()) {
        list.remove_child(n);
        break;
      }
  }
  std::vector<const TIconState*> present;
  for (const TIconState* s : rest)
    if (!s->xml.empty()) present.push_back(s);
  std::sort(present.begin(), present.end(), [](const TIconState* a, const TIconState* b) { return a->index < b->index; });
  for (const TIconState* s : present) {
    pugi::xml_document part;
    if (!part.load_string(s->xml.c_str())) continue;
    const std::size_t at = std::min(static_cast<std::size_t>(std::max(s->index, 0)), comps_.size());
    pugi::xml_node node;
    if (at < comps_.size()) {
      const std::string nextID = comps_[at]->objectName().toStdString();
      for (pugi::xml_node n : list.children("TVYRcomp"))
        if (nextID == n.attribute("ID").value()) {
          node = list.insert_copy_before(part.document_element(), n);
          break;
        }
    }
    if (!node) node = list.append_copy(part.document_element());
    if (TVYRcomp* c = CreateIcon(&node)) {
      comps_.insert(comps_.begin() + static_cast<std::ptrdiff_t>(at), c);
      restored.push_back(c);
    }
  }
  Relink(restored);
  FitSize();
  for (TVYRcomp* c : restored) handle_->Attach(c);
  emit ModelChanged();
  emit SelectionChanged();
}

// --- Selection ---------------------------------------------------------------------

void TEditorCanvas::Select(const std::vector<TVYRcomp*>& icons) {
  handle_->Detach();
  for (TVYRcomp* c : icons) handle_->Attach(c);
  if (!icons.empty()) handle_->setFocus();
  emit SelectionChanged();
}

void TEditorCanvas::SelectAll() { Select(comps_); }

std::vector<TVYRcomp*> TEditorCanvas::SelectedIcons() const {
  std::vector<TVYRcomp*> icons;
  for (int i = 0; i < handle_->ChildCount(); ++i)
    if (auto* c = qobject_cast<TVYRcomp*>(handle_->Children(i))) icons.push_back(c);
  return icons;
}

// --- Edits --------------------------------------------------------------------------

std::unordered_set<std::string> TEditorCanvas::TakenNames() const {
  std::unordered_set<std::string> taken;
  taken.reserve(comps_.size() * 2);
  for (const TVYRcomp* c : comps_) taken.insert(c->objectName().toStdString());
  return taken;
}

QString TEditorCanvas::UniqueName(const QString& base, std::unordered_set<std::string>& taken) {
  std::string name = base.isEmpty() ? std::string("Comp") : base.toStdString();
  while (taken.count(name) != 0) name = IncrementNameNumber(name);
  taken.insert(name);
  return QString::fromStdString(name);
}

int TEditorCanvas::NextCalcNumber() const {
  int nr = 0;
  for (const TVYRcomp* c : comps_) nr = std::max(nr, c->CalcNr());
  return nr + 1;
}

TVYRcomp* TEditorCanvas::DropComponent(const QString& className, QPoint pos) {
  TVYRcomp* icon = CreateRegisteredClass<TVYRcomp>(className.toStdString(), this);
  if (icon == nullptr) {
    MessageDlg("\"" + className.toStdString() + "\" is no component type of a loaded component library", mtError,
               {mbOK}, 0);
    return nullptr;
  }
  TEdit e;
  std::unordered_set<std::string> taken = TakenNames();
  const QString name = UniqueName(ComponentTypeCaption(className), taken);
  icon->setObjectName(name);
  icon->move(Snap(std::max(pos.x(), 0)), Snap(std::max(pos.y(), 0)));
  if (!icon->Formclassname().empty() && icon->CompType() != ctLineLink && icon->CompformCreate()) {
    icon->Compform->SetComponentName(name.toStdString());
    icon->Compform->SetCalcNumber(NextCalcNumber());
  }
  comps_.push_back(icon);
  Decorate(icon);
  Relink({icon});
  EndEdit(e, QStringLiteral("Drop %1").arg(name), {icon});
  Select({icon});
  return icon;
}

void TEditorCanvas::MoveIcons(const std::vector<TVYRcomp*>& icons, QPoint delta) {
  if (icons.empty() || delta.isNull()) return;
  TEdit e = BeginEdit(icons);
  for (TVYRcomp* c : icons) c->move(c->pos() + delta);
  Relink(icons);
  EndEdit(e, QStringLiteral("Move"), icons);
}

void TEditorCanvas::RotateSelection() {
  const std::vector<TVYRcomp*> turned = SelectedIcons();
  if (turned.empty()) return;
  TEdit e = BeginEdit(turned);
  handle_->Detach();
  for (TVYRcomp* c : turned) {
    c->Unlink();
    c->Rotate();
  }
  Relink(turned);
  EndEdit(e, QStringLiteral("Rotate"), turned);
  Select(turned);
}

void TEditorCanvas::DeleteSelection() {
  const std::vector<TVYRcomp*> gone = SelectedIcons();
  if (gone.empty()) return;
  TEdit e = BeginEdit(gone);
  handle_->Detach();
  if (marked_ && std::find(gone.begin(), gone.end(), marked_.data()) != gone.end()) ClearMark();
  for (TVYRcomp* c : gone) {
    comps_.erase(comps_.begin() + IndexOf(c));
    delete c;  // its links set their partners free
  }
  // The elements of the removed icons leave the document with the step.
  pugi::xml_node list = doc_->Root().RefModelRoot().child("Components");
  for (const QString& id : e.ids) {
    if (FindIcon(id) != nullptr) continue;
    const std::string key = id.toStdString();
    for (pugi::xml_node n : list.children("TVYRcomp"))
      if (key == n.attribute("ID").value()) {
        list.remove_child(n);
        break;
      }
  }
  RefreshLabels();
  EndEdit(e, QStringLiteral("Delete"), {});
}

std::string TEditorCanvas::CopySelection() {
  std::vector<std::string> elements;
  for (TVYRcomp* c : comps_)  // canvas order, so that a paste keeps it
    if (handle_->ChildAttached(c)) elements.push_back(Capture(c).xml);
  if (elements.empty()) return {};
  const std::string fragment = MakeFragment(elements);
  QApplication::clipboard()->setMimeData(FragmentMimeData(fragment));
  return fragment;
}

void TEditorCanvas::CutSelection() {
  if (CopySelection().empty()) return;
  DeleteSelection();
}

std::vector<TVYRcomp*> TEditorCanvas::Paste() {
  const std::string fragment = FragmentFromMimeData(QApplication::clipboard()->mimeData());
  if (fragment.empty()) {
    MessageDlg("The clipboard holds no model components", mtInformation, {mbOK}, 0);
    return {};
  }
  return PasteFragment(fragment);
}

std::vector<TVYRcomp*> TEditorCanvas::PasteFragment(const std::string& fragment) {
  pugi::xml_document part;
  std::vector<pugi::xml_node> elements;
  if (part.load_string(fragment.c_str()))
    for (pugi::xml_node n : part.document_element().child("Components").children("TVYRcomp")) elements.push_back(n);
  if (elements.empty()) {
    MessageDlg("The pasted text holds no model components", mtError, {mbOK}, 0);
    return {};
  }
  TEdit e;
  std::vector<TVYRcomp*> pasted;
  int nr = NextCalcNumber();
  // The names in use, gathered once: each pasted icon's name joins them.
  std::unordered_set<std::string> taken = TakenNames();
  pugi::xml_node list = doc_->Root().RefModelRoot().child("Components");
  for (pugi::xml_node n : elements) {
    // A new name and ID, the next calculation number, the place shifted; the
    // copied icons' relative places (and so their links) stay.
    QString base = QString::fromUtf8(n.attribute("ID").value());
    while (!base.isEmpty() && base.back().isDigit()) base.chop(1);
    QString name = UniqueName(base.isEmpty() ? QStringLiteral("Comp") : base, taken);
    n.attribute("ID") ? n.attribute("ID").set_value(name.toUtf8().constData())
                      : n.append_attribute("ID").set_value(name.toUtf8().constData());
    if (pugi::xml_attribute a = n.attribute("Name")) a.set_value(name.toUtf8().constData());
    if (pugi::xml_attribute a = n.attribute("Nr")) a.set_value(nr++);
    pugi::xml_node icon = n.child("Icon");
    for (auto [tag, shift] : {std::pair{"Left", kPasteOffsetX}, std::pair{"Top", kPasteOffsetY}})
      if (pugi::xml_node v = icon.child(tag)) v.text().set(v.text().as_int() + shift);
    pugi::xml_node node = list.append_copy(n);
    // The form waits until it is needed: the element holds its fields.
    TVYRcomp* c = CreateIcon(&node, false);
    if (c == nullptr) {
      list.remove_child(node);
      continue;
    }
    comps_.push_back(c);
    pasted.push_back(c);
    // Before the step the pasted icon was not there.
    e.ids.push_back(name);
    e.before.push_back(TIconState{name, -1, {}});
  }
  Relink(pasted);
  EndEdit(e, QStringLiteral("Paste"), pasted);
  Select(pasted);
  return pasted;
}

int TEditorCanvas::EditComponent(TVYRcomp* icon) {
  if (icon == nullptr || IndexOf(icon) < 0) return 0;
  Form(icon);
  TEdit e = BeginEdit({icon});
  const int result = icon->EditForm("");
  if (result != mrOk && icon->Compform) {
    // A cancelled form keeps what was typed: it reads the model's values again.
    const std::string key = IdOf(icon).toStdString();
    for (pugi::xml_node n : doc_->Root().RefModelRoot().child("Components").children("TVYRcomp"))
      if (key == n.attribute("ID").value()) {
        icon->Compform->ReadFromXML(n);
        break;
      }
  }
  if (icon->Compform) icon->Compform->SetDescrLabelCaption();
  EndEdit(e, QStringLiteral("Edit %1").arg(IdOf(icon)), {icon});
  return result;
}

// --- Runs and units -------------------------------------------------------------

bool TEditorCanvas::MarkFailed(const QString& id, const QString& message) {
  EnsureForms();  // the name may be the form's
  TVYRcomp* icon = FindIcon(id);
  if (icon == nullptr) {
    // The component may be named by its name rather than its ID.
    for (TVYRcomp* c : comps_)
      if (QString::fromStdString(c->ShortIDstr()) == id) icon = c;
  }
  if (icon == nullptr) return false;
  marked_ = icon;
  mark_->setToolTip(message);
  Select({icon});
  UpdateMark();
  return true;
}

QString TEditorCanvas::MarkedID() const { return marked_ ? marked_->objectName() : QString(); }

void TEditorCanvas::ClearMark() {
  marked_ = nullptr;
  mark_->hide();
}

void TEditorCanvas::UpdateMark() {
  if (!marked_) {
    mark_->hide();
    return;
  }
  mark_->setGeometry(marked_->geometry().adjusted(-4, -4, 4, 4));
  mark_->show();
  mark_->raise();
  handle_->raise();
}

void TEditorCanvas::SetUnits(TUnitSystem units) {
  units_ = units;
  for (TVYRcomp* c : comps_)
    if (c->Compform)
      for (TNumFld* f : c->Compform->NumFields()) f->SetUnitSystem(units == TUnitSystem::Imperial ? usImperial : usSI);
}

// --- Events ------------------------------------------------------------------------

TVYRcomp* TEditorCanvas::IconAt(QPoint pos) const {
  QWidget* w = childAt(pos);
  while (w != nullptr && qobject_cast<TVYRcomp*>(w) == nullptr) w = w->parentWidget();
  return qobject_cast<TVYRcomp*>(w);
}

void TEditorCanvas::mousePressEvent(QMouseEvent* event) {
  TVYRcomp* icon = IconAt(event->position().toPoint());
  if (icon != nullptr && (event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier))) {
    std::vector<TVYRcomp*> icons = SelectedIcons();
    icons.push_back(icon);
    Select(icons);
    return;
  }
  Select(icon ? std::vector<TVYRcomp*>{icon} : std::vector<TVYRcomp*>{});
  if (icon == nullptr) setFocus();
}

void TEditorCanvas::mouseDoubleClickEvent(QMouseEvent* event) {
  if (TVYRcomp* icon = IconAt(event->position().toPoint())) EditComponent(icon);
}

void TEditorCanvas::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) Select({});
  QWidget::keyPressEvent(event);
}

void TEditorCanvas::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  p.fillRect(event->rect(), Qt::white);
  p.setPen(QColor(225, 225, 225));
  const QRect r = event->rect();
  for (int x = r.left() / kCanvasGrid * kCanvasGrid; x <= r.right(); x += kCanvasGrid)
    for (int y = r.top() / kCanvasGrid * kCanvasGrid; y <= r.bottom(); y += kCanvasGrid) p.drawPoint(x, y);
}

void TEditorCanvas::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasFormat(QString::fromLatin1(kComponentClassMime))) event->acceptProposedAction();
}

void TEditorCanvas::dragMoveEvent(QDragMoveEvent* event) {
  if (event->mimeData()->hasFormat(QString::fromLatin1(kComponentClassMime))) event->acceptProposedAction();
}

void TEditorCanvas::dropEvent(QDropEvent* event) {
  const QByteArray name = event->mimeData()->data(QString::fromLatin1(kComponentClassMime));
  if (name.isEmpty()) return;
  event->acceptProposedAction();
  // The icon's centre lands under the pointer.
  const QPoint at = event->position().toPoint() - QPoint(35, 35);
  DropComponent(QString::fromUtf8(name), at);
}

}  // namespace vyr::editor
