#include "vyrcompl.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include <QChildEvent>
#include <QCoreApplication>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QGuiApplication>
#include <QLabel>
#include <QMoveEvent>
#include <QPainter>
#include <QPixmap>
#include <QResizeEvent>
#include <QTransform>
#include <QVariant>

#include "ClassRegistry.h"
#include "Messages.h"
#include "NumInputQuery.h"
#include "vyrcompf.h"

namespace vyr {

namespace {

constexpr std::array<std::string_view, 8> kLinktypeNames = {"ltNone", "ltLine",   "ltIn1",   "ltIn2",
                                                             "ltOut1", "ltOut2", "ltCtrlin", "ltCtrlout"};
constexpr std::array<std::string_view, 4> kCompTypeNames = {"ctModelComp", "ctLineLink", "ctNoLink", "ctNoGpLink"};
constexpr std::array<std::string_view, 3> kPriorityNames = {"copLast", "copNone", "copFirst"};

template <class E, std::size_t N>
bool FromName(const std::array<std::string_view, N>& names, std::string_view name, E& value) {
  for (std::size_t i = 0; i < N; ++i)
    if (names[i] == name) {
      value = static_cast<E>(i);
      return true;
    }
  return false;
}

bool IsGasPort(TLinktype t) { return t >= ltIn1 && t <= ltOut2; }
bool IsInlet(TLinktype t) { return t == ltIn1 || t == ltIn2; }
bool IsOutlet(TLinktype t) { return t == ltOut1 || t == ltOut2; }
bool IsCtrlPort(TLinktype t) { return t == ltCtrlin || t == ltCtrlout; }
bool IsConnectorEnd(TLinktype t) { return t == ltNone || t == ltLine; }

const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kYellow(255, 255, 0);
const QColor kRed(255, 0, 0);

// State of the connector walk, shared by all links: one walk at a time, on the
// user-interface thread.
struct WalkState {
  TVYRLink* chainStart = nullptr;
  bool circular = false;
  int depth = 0;
};
WalkState gWalk;

// Height of a station label: 14 pixels, or what its font needs.
int StationLabHeight(const QLabel* lab) { return std::max(14, lab->fontMetrics().height()); }

}  // namespace

// --- Names and number text ------------------------------------------------

std::string LinktypeName(TLinktype type) {
  return type < kLinktypeNames.size() ? std::string(kLinktypeNames[type]) : std::string();
}
bool LinktypeFromName(std::string_view name, TLinktype& type) { return FromName(kLinktypeNames, name, type); }
std::string CompTypeName(TCompType type) {
  return type < kCompTypeNames.size() ? std::string(kCompTypeNames[type]) : std::string();
}
bool CompTypeFromName(std::string_view name, TCompType& type) { return FromName(kCompTypeNames, name, type); }
std::string CalcOrderPriorityName(TCalcOrderPriority priority) {
  return priority < kPriorityNames.size() ? std::string(kPriorityNames[priority]) : std::string();
}
bool CalcOrderPriorityFromName(std::string_view name, TCalcOrderPriority& priority) {
  return FromName(kPriorityNames, name, priority);
}

const TFormatSettings& StationFormatSettings() { return USFormatSettings; }

// FloatToStr writes '.' and no thousands separator whatever the locale, which
// is the US English format of a station number.
std::string StationNrToStr(double station) { return FloatToStr(station); }

std::string StationNrToXmlStr(double station) {
  char buf[32];
  const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, station);
  return std::string(buf, r.ptr);
}

bool CircularReference() { return gWalk.circular; }
void ClearCircularReference() { gWalk.circular = false; }

// --- TVYRLink -------------------------------------------------------------

TVYRLink::TVYRLink(QWidget* owner) : QWidget(owner) {
  resize(10, 10);
  if (auto* icon = qobject_cast<TVYRcomp*>(owner)) icon->AddLink(this);
}

TVYRLink::~TVYRLink() {
  // The partner must not keep pointing at a link that no longer exists.
  if (TVYRLink* partner = Otherlink; partner != nullptr && partner->Otherlink == this) {
    partner->Otherlink = nullptr;
    partner->OtherComp = nullptr;
    partner->OtherCompLink = nullptr;
    partner->SetUnlinked();
  }
  if (gWalk.chainStart == this) gWalk.chainStart = nullptr;
  delete StationLab.data();
  if (icon_ != nullptr) icon_->DropLink(this);
}

void TVYRLink::SetStation(double station) { TakeStation(station); }

void TVYRLink::SetStationString(std::string text) {
  if (text == FStationString) return;
  FStationString = std::move(text);
  update();
  UpdateStationLab();
  emit StationChanged(FStation);
}

void TVYRLink::SetLtype(TLinktype type) {
  if (type == FLtype) return;
  FLtype = type;
  update();
  UpdateStationLab();
}

void TVYRLink::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  UpdateStationLab();
}

std::string TVYRLink::LinkIDstr() const { return "Link: " + LinktypeName(FLtype); }

void TVYRLink::SetColor() {
  if (!Linked) {
    brush_ = kWhite;
    pen_ = kBlack;
  } else if (IsCtrlPort(FLtype) || (FLtype == ltLine && Otherlink && IsCtrlPort(Otherlink->FLtype))) {
    brush_ = kBlack;
    pen_ = kBlack;
  } else {
    brush_ = kBlue;
    pen_ = kBlue;
  }
  update();
}

bool TVYRLink::CanLink(const TVYRLink* another) const {
  if (another == nullptr || another == this) return false;
  if (!Visible() || !another->Visible() || Linked || another->Linked) return false;
  const TLinktype t = another->FLtype;
  switch (FLtype) {
    case ltLine: return true;
    case ltIn1:
    case ltIn2: return t == ltLine || IsOutlet(t);
    case ltOut1:
    case ltOut2: return t == ltLine || IsInlet(t);
    case ltCtrlin: return t == ltLine || t == ltCtrlout;
    case ltCtrlout: return t == ltLine || t == ltCtrlin;
    case ltNone: return false;
  }
  return false;
}

// A walk that meets a circle sets the flag and returns; every enclosing step
// sees the flag and returns null in turn, so nothing unwinds through the
// message box's event loop or any other toolkit code.
TVYRcomp* TVYRLink::OtherModelComp(TVYRLink*& otherLink) {
  if (gWalk.circular) return nullptr;
  otherLink = nullptr;
  ++gWalk.depth;
  TVYRcomp* result = Walk(otherLink);
  --gWalk.depth;
  gWalk.chainStart = nullptr;
  if (gWalk.circular) {
    otherLink = nullptr;
    return nullptr;
  }
  OtherCompLink = otherLink;
  return result;
}

TVYRcomp* TVYRLink::Walk(TVYRLink*& otherLink) {
  if (!Linked) return nullptr;
  TVYRLink* direct = Otherlink;
  TVYRcomp* comp = OtherComp;
  if (direct == nullptr || comp == nullptr) return nullptr;
  if (direct->FLtype != ltLine) {
    if (comp->CompType() == ctModelComp || comp->CompType() == ctNoGpLink) {
      otherLink = direct;
      return comp;
    }
    return nullptr;
  }
  if (comp->CompType() != ctLineLink) return nullptr;
  TVYRcomp* result = nullptr;
  for (TVYRLink* l : comp->Links()) {
    if (l == direct) continue;
    if (gWalk.chainStart == nullptr) {
      gWalk.chainStart = this;
      gWalk.circular = false;
    } else if (this == gWalk.chainStart || gWalk.depth > MaxConnectorChainDepth) {
      // The flag goes up before the box: a walk started from the box's event
      // loop (a posted station question) then ends at once instead of
      // meeting the circle again.
      gWalk.circular = true;
      MessageDlg("Circular reference with " + l->LinkIDstr(), mtError, {mbOK}, 0);
      return nullptr;
    }
    result = l->OtherModelComp(otherLink);
    if (gWalk.circular) return nullptr;
  }
  return result;
}

void TVYRLink::TakeStation(double station) {
  if (station == FStation) return;
  FStation = station;
  update();
  UpdateStationLab();
  emit StationChanged(FStation);
}

void TVYRLink::SetLinked(TVYRLink* another, bool& changed) {
  changed = false;
  if (another == nullptr || another == this) return;
  Linked = true;
  OtherComp = another->icon_;
  Otherlink = another;
  another->Linked = true;
  another->OtherComp = icon_;
  another->Otherlink = this;
  SetColor();
  another->SetColor();
  UpdateStationLab();
  another->UpdateStationLab();
  emit LinkMade(another);
  emit another->LinkMade(this);

  // Control connections carry no station numbers, nor do two connector ends.
  if (IsCtrlPort(FLtype) || IsCtrlPort(another->FLtype)) return;
  if (IsConnectorEnd(FLtype) && IsConnectorEnd(another->FLtype)) return;

  const bool circularBefore = gWalk.circular;
  TVYRLink* farLink = nullptr;
  OtherModelComp(farLink);
  if (!circularBefore && gWalk.circular) return;  // the walk was abandoned
  if (farLink == nullptr) farLink = another;
  if (IsConnectorEnd(farLink->FLtype)) another->TakeStation(FStation);

  const bool thisNumbered = FStation >= -0.1;
  const bool farNumbered = farLink->FStation > -0.1;
  if (!thisNumbered) {
    if (farNumbered) TakeStation(farLink->FStation);
    return;
  }
  if (!farNumbered) return;
  // Both sides of a joint hold one number from now on: the one the asking
  // side proposes. The question, asked later, may change it for both.
  if (IsGasPort(FLtype) && StationLab) {
    if (FStation != farLink->FStation) {
      farLink->TakeStation(FStation);
      changed = RequestStationNr(nullptr);
    }
    return;
  }
  if (IsGasPort(farLink->FLtype) && farLink->StationLab && FStation != farLink->FStation) {
    TakeStation(farLink->FStation);
    changed = farLink->RequestStationNr(this);
  }
}

// The question is posted, not asked here: linking runs inside a mouse release
// on the canvas, and a modal dialog there would run a nested event loop while
// the release is still being handled.
bool TVYRLink::RequestStationNr(TVYRLink* alsoTake) {
  if (questionPending_) return true;
  questionPending_ = true;
  QPointer<TVYRLink> take(alsoTake);
  QMetaObject::invokeMethod(
      this,
      [this, take] {
        questionPending_ = false;
        GetStationNr();
        if (take && FStation > -0.1) take->TakeStation(FStation);
      },
      Qt::QueuedConnection);
  return true;
}

bool TVYRLink::GetStationNr() {
  std::string shortName = LinktypeName(FLtype);
  shortName.erase(0, std::min<std::size_t>(2, shortName.size()));
  const std::string title = QGuiApplication::applicationDisplayName().toStdString();
  const std::string caption = title + "  " + (icon_ ? icon_->CompIDstr() : std::string());
  const std::string prompt = "Enter  " + shortName + "  station number:";
  double value = FStation;
  const bool ok =
      NumInputQuery(caption, prompt, StationNrHelpContext, 0, 0, 0.0, 10000.0, value, StationFormatSettings());
  if (!ok) value = FStation;  // Cancel leaves the proposed number
  TakeStation(value);
  if (Linked) {
    TVYRLink* farLink = nullptr;
    OtherModelComp(farLink);
    if (farLink != nullptr) farLink->TakeStation(value);
  }
  return ok;
}

void TVYRLink::SetUnlinked() {
  const bool was = Linked;
  Linked = false;
  SetColor();
  UpdateStationLab();
  if (was) emit LinkBroken();
}

void TVYRLink::Unlink() {
  if (Linked && Otherlink) Otherlink->SetUnlinked();
  SetUnlinked();
}

bool TVYRLink::CheckLink() {
  if (!Linked || !Visible()) return true;
  TVYRLink* farLink = nullptr;
  OtherModelComp(farLink);
  if (farLink == nullptr) return false;
  const TLinktype f = farLink->FLtype;
  bool fits = true;
  if (IsInlet(FLtype)) fits = IsOutlet(f);
  else if (IsOutlet(FLtype)) fits = IsInlet(f);
  else if (FLtype == ltCtrlin) fits = f == ltCtrlout;
  else if (FLtype == ltCtrlout) fits = f == ltCtrlin;
  if (!fits) Unlink();
  return Linked;
}

void TVYRLink::CreateStationLab() {
  DeleteStationLab();
  // Never a window of its own: the label lives on the canvas, or on nothing
  // until the icon is placed on one.
  auto* lab = new QLabel(icon_ != nullptr ? icon_->parentWidget() : nullptr);
  lab->setAttribute(Qt::WA_DontShowOnScreen, lab->parentWidget() == nullptr);
  lab->hide();
  lab->setFrameShape(QFrame::NoFrame);
  lab->setAlignment(Qt::AlignCenter);
  lab->setAutoFillBackground(true);  // a panel of its own colour, not the canvas's
  lab->resize(lab->width(), StationLabHeight(lab));
  StationLab = lab;
  UpdateStationLab();
}

void TVYRLink::DeleteStationLab() {
  delete StationLab.data();
  StationLab = nullptr;
}

void TVYRLink::SetStationLabCaption() {
  if (!StationLab) return;
  const std::string text = FStationString.empty() ? StationNrToStr(FStation) : FStationString;
  const QString q = QString::fromStdString(text);
  if (StationLab->text() != q) StationLab->setText(q);
}

TLinkLoc TVYRLink::LinkLoc() const {
  if (icon_ == nullptr) return llRight;
  const QRect g = geometry();
  if (g.top() < 2) return llTop;
  if (g.left() < 2) return llLeft;
  if (icon_->width() - g.left() - g.width() < 2) return llRight;
  if (icon_->height() - g.top() - g.height() < 2) return llBottom;
  return llRight;
}

TArrowdir TVYRLink::ArrowDir() const {
  if (icon_ == nullptr) return adRight;
  const TLinkLoc loc = LinkLoc();
  const bool in = IsInlet(FLtype) || FLtype == ltCtrlin;
  const bool out = IsOutlet(FLtype) || FLtype == ltCtrlout;
  if (!in && !out) return adRight;
  switch (loc) {
    case llRight: return in ? adLeft : adRight;
    case llLeft: return in ? adRight : adLeft;
    case llTop: return in ? adDown : adUp;
    case llBottom: return in ? adUp : adDown;
  }
  return adRight;
}

void TVYRLink::UpdateStationLab() {
  QLabel* lab = StationLab;
  if (lab == nullptr) return;
  QWidget* canvas = icon_ != nullptr ? icon_->parentWidget() : nullptr;
  if (canvas != nullptr && lab->parentWidget() != canvas) {
    lab->setParent(canvas);  // the icon moved to another canvas
    lab->setAttribute(Qt::WA_DontShowOnScreen, false);
  }
  // A label shows only while its link is connected, on an icon that is on
  // the canvas, not hidden and not moved out of the canvas's area.
  if (!Linked || canvas == nullptr || lab->parentWidget() != canvas || icon_->isHidden() || isHidden() ||
      !canvas->rect().intersects(icon_->geometry())) {
    if (!lab->isHidden()) lab->hide();
    return;
  }
  const bool show = IsOutlet(FLtype) ||
                    (IsInlet(FLtype) && Otherlink && Otherlink->FLtype == ltLine && OtherComp &&
                     OtherComp->CompType() == ctLineLink);
  if (!show) return;
  SetStationLabCaption();
  const int w = lab->fontMetrics().horizontalAdvance(lab->text()) + 5;
  const int h = StationLabHeight(lab);
  const QRect ic = icon_->geometry();
  const QRect g = geometry();
  int left = 0;
  int top = 0;
  switch (LinkLoc()) {
    case llRight:
      left = ic.left() + ic.width() - w / 2 - 1;
      top = ic.top() + g.top() - h;
      break;
    case llLeft:
      left = ic.left() - w / 2 - 1;
      top = ic.top() + g.top() - h;
      break;
    case llTop:
      left = ic.left() + g.left() + g.width() + 2;
      top = ic.top() - h - 2;
      break;
    case llBottom:
      left = ic.left() + g.left() + g.width() + 2;
      top = ic.top() + ic.height() - h + 2;
      break;
  }
  const QRect target(left, top, w, h);
  if (lab->geometry() != target) lab->setGeometry(target);
  lab->raise();
  if (lab->isHidden()) lab->show();
}

void TVYRLink::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const int w = width();
  const int h = height();
  // The border is one logical pixel on every side at any device pixel ratio:
  // filled, not stroked, so no half of a pen falls outside the marker.
  p.fillRect(0, 0, w, h, pen_);
  p.fillRect(1, 1, w - 2, h - 2, brush_);

  if (!IsConnectorEnd(FLtype)) {
    p.setPen(QPen(Linked ? kYellow : kBlack, 1));
    // Two chevrons one pixel apart, each P0 - P1 - P1 + D1 - P2; the offsets
    // by (W + 1) mod 2 and (H + 1) mod 2 keep the tip symmetric on even sizes.
    const int q = (w + 1) / 4;
    const int m = (h - 1) / 2;
    const int r = (h - 1) / 4;
    const int n = (w - 1) / 2;
    QPoint p0, p1, d1, p2, d;
    switch (ArrowDir()) {
      case adRight:
        p0 = {q, 0}, p1 = {q + m, m}, d1 = {0, (h + 1) % 2}, p2 = {q - 1, h}, d = {1, 0};
        break;
      case adLeft:
        p0 = {w - q, 0}, p1 = {w - q - m, m}, d1 = {0, (h + 1) % 2}, p2 = {w - q + 1, h}, d = {-1, 0};
        break;
      case adUp:
        p0 = {0, h - r}, p1 = {n, h - r - n}, d1 = {(w + 1) % 2, 0}, p2 = {w, h - r + 1}, d = {0, -1};
        break;
      case adDown:
        p0 = {0, r}, p1 = {n, r + n}, d1 = {(w + 1) % 2, 0}, p2 = {w, r - 1}, d = {0, 1};
        break;
    }
    for (int k = 0; k < 2; ++k) {
      const QPoint s = d * k;
      const QPoint pts[4] = {p0 + s, p1 + s, p1 + d1 + s, p2 + s};
      p.drawPolyline(pts, 4);
    }
  }
}

// --- TVYRcomp -------------------------------------------------------------

TVYRcomp::TVYRcomp(QWidget* owner) : QFrame(owner) {
  resize(70, 70);
  setFrameShape(QFrame::NoFrame);
  setAutoFillBackground(false);  // the icon paints its own colour
  Color = palette().color(QPalette::Button);
}

TVYRcomp::~TVYRcomp() {
  delete Compform.data();
  // Links go while the icon is still whole, each unlinking its partner. They
  // leave the list all at once, so that an icon with thousands of links goes
  // in time linear in their number.
  const std::vector<TVYRLink*> links = std::move(links_);
  links_.clear();
  for (TVYRLink* l : links) l->icon_ = nullptr;
  for (TVYRLink* l : links) delete l;
  delete CompLab.data();
}

void TVYRcomp::AddLink(TVYRLink* link) {
  if (link->icon_ == this) return;  // already in the list
  if (link->icon_ != nullptr) link->icon_->DropLink(link);
  links_.push_back(link);
  link->icon_ = this;
}

void TVYRcomp::DropLink(TVYRLink* link) {
  if (auto it = std::find(links_.rbegin(), links_.rend(), link); it != links_.rend())
    links_.erase(std::next(it).base());
  link->icon_ = nullptr;
}

void TVYRcomp::UpdateStationLabs(bool alsoPartners) {
  for (TVYRLink* l : links_) {
    l->UpdateStationLab();
    // The label of a joint may belong to the neighbour's link; it stays in
    // front of this icon too.
    if (alsoPartners && l->Linked && l->Otherlink) l->Otherlink->UpdateStationLab();
  }
}

void TVYRcomp::moveEvent(QMoveEvent* event) {
  QFrame::moveEvent(event);
  UpdateStationLabs(true);
  emit Moved(event->pos());
}

void TVYRcomp::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  UpdateStationLabs(true);
  emit Resized(event->size());
}

bool TVYRcomp::event(QEvent* e) {
  switch (e->type()) {
    case QEvent::ZOrderChange:
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
    case QEvent::ParentChange: {
      const bool done = QFrame::event(e);
      UpdateStationLabs(true);
      return done;
    }
    default: break;
  }
  if (e->type() == QEvent::ChildAdded) {
    // A link constructed with this icon as owner registers itself; this
    // catches links moved here from elsewhere.
    if (auto* l = qobject_cast<TVYRLink*>(static_cast<QChildEvent*>(e)->child())) AddLink(l);
  } else if (e->type() == QEvent::ChildRemoved) {
    // The child may be half destroyed: compare addresses only.
    QObject* child = static_cast<QChildEvent*>(e)->child();
    for (auto it = links_.rbegin(); it != links_.rend(); ++it)
      if (static_cast<QObject*>(*it) == child) {
        DropLink(*it);
        break;
      }
  }
  return QFrame::event(e);
}

bool TVYRcomp::CompformCreate() {
  Compform = nullptr;
  if (FComptype == ctLineLink) {
    MessageDlg(
        "Cannot create a form for LineLink component.\r\nThis error should not occur, please report to ORB VYR "
        "team.",
        mtError, {mbOK}, 0);
    return false;
  }
  const TRegisteredClass* cls = FindClass(FFormclassname);
  TVYRcompform* form =
      cls != nullptr ? CreateRegisteredClass<TVYRcompform>(FFormclassname, this) : nullptr;
  if (form == nullptr) {
    MessageDlg("Component data form could not be Created!\rComponent Formclassname \"" + FFormclassname +
                   "\" invalid/unknown.\rCheck if any Custom component libraries (*.BPL files) used for "
                   "Model\rare present in VYR directory.",
               mtError, {mbOK}, 0);
    return false;
  }
  form->EnsureCreated();
  Compform = form;
  Formclass = cls->MetaObject;
  return true;
}

int TVYRcomp::EditForm(const std::string& controlName) {
  if (!Compform) {
    MessageDlg("Component has no form !", mtError, {mbOK}, 0);
    return 0;
  }
  return Compform->ShowModalFocused(controlName);
}

TVYRLink* TVYRcomp::GetLink(TLinktype type) const {
  TVYRLink* found = nullptr;
  for (TVYRLink* l : links_)
    if (l->Ltype() == type) found = l;
  return found;
}

TVYRcomp* TVYRcomp::GetLinkedVYRcomp(TLinktype type) const {
  switch (type) {
    case ltIn1: return Cin1;
    case ltIn2: return Cin2;
    case ltOut1: return Cout1;
    case ltOut2: return Cout2;
    case ltCtrlin:
    case ltCtrlout: return Cctrl;
    case ltNone:
    case ltLine: return nullptr;
  }
  return nullptr;
}

bool TVYRcomp::AllLinked() const {
  return std::all_of(links_.begin(), links_.end(), [](const TVYRLink* l) { return !l->Visible() || l->Linked; });
}

void TVYRcomp::GetLinkNumbers() {
  Nrinlinks = Nroutlinks = Nrctrllinks = 0;
  for (const TVYRLink* l : links_) {
    if (!l->Visible()) continue;
    if (IsInlet(l->Ltype())) ++Nrinlinks;
    else if (IsOutlet(l->Ltype())) ++Nroutlinks;
    else if (IsCtrlPort(l->Ltype())) ++Nrctrllinks;
  }
}

void TVYRcomp::ClearModelLinks() {
  Cin1 = Cin2 = Cout1 = Cout2 = Cctrl = nullptr;
  In1othersidelinktype = In2othersidelinktype = Out1othersidelinktype = Out2othersidelinktype = ltNone;
}

void TVYRcomp::Unlink() {
  for (TVYRLink* l : links_) l->Unlink();
  ClearModelLinks();
}

bool TVYRcomp::CheckLinks() {
  bool all = true;
  const bool circularBefore = CircularReference();
  for (TVYRLink* l : std::vector<TVYRLink*>(links_)) {
    if (!l->CheckLink()) all = false;
    if (!circularBefore && CircularReference()) return false;
  }
  return all;
}

void TVYRcomp::TryLinkwithComp(TVYRcomp* other, bool& modified) {
  modified = false;
  ClearCircularReference();
  if (other == nullptr || other == this) return;
  const QPoint a0 = pos();
  const QPoint b0 = other->pos();
  for (TVYRLink* a : links_) {
    const QPoint pa = a0 + a->pos();
    for (TVYRLink* b : other->links_) {
      const QPoint pb = b0 + b->pos();
      const int dx = std::abs(pa.x() - pb.x());
      const int dy = std::abs(pa.y() - pb.y());
      const bool close = (dy < 11 && dx < 9) || (dy < 9 && dx < 11);
      if (!close || !a->CanLink(b)) continue;
      bool changed = false;
      a->SetLinked(b, changed);
      if (changed) modified = true;
      if (CircularReference()) return;  // the walk was abandoned
    }
  }
}

bool TVYRcomp::SetModelLinks(bool warn) {
  if (FComptype == ctLineLink || FComptype == ctNoLink) return true;
  // References of an earlier resolution may name components that are no
  // longer connected.
  ClearModelLinks();
  const bool circularBefore = CircularReference();
  for (TVYRLink* l : links_) {
    if (!l->Visible()) continue;
    if (!l->Linked) {
      if (warn && ConfirmUnLinked) MessageDlg(CompIDstr() + "\r" + l->LinkIDstr() + " not linked", mtError, {mbOK}, 0);
      ConfirmUnLinked = true;
      if (warn) return false;
      continue;
    }
    TVYRLink* farLink = nullptr;
    TVYRcomp* c = l->OtherModelComp(farLink);
    if (!circularBefore && CircularReference()) return false;
    if (c != nullptr) {
      QPointer<TVYRcomp>* slot = nullptr;
      TLinktype* farType = nullptr;
      switch (l->Ltype()) {
        case ltIn1: slot = &Cin1, farType = &In1othersidelinktype; break;
        case ltIn2: slot = &Cin2, farType = &In2othersidelinktype; break;
        case ltOut1: slot = &Cout1, farType = &Out1othersidelinktype; break;
        case ltOut2: slot = &Cout2, farType = &Out2othersidelinktype; break;
        case ltCtrlin:
        case ltCtrlout: slot = &Cctrl; break;
        case ltNone:
        case ltLine: break;
      }
      if (slot) *slot = c;
      if (farType && farLink) *farType = farLink->Ltype();
    } else if (warn) {
      MessageDlg("Could not establish model link for \r" + CompIDstr() + l->LinkIDstr(), mtError, {mbOK}, 0);
      return false;
    }
  }
  if (!warn) return true;
  GetLinkNumbers();
  const char* failure = nullptr;
  if (!Cin1 && Nrinlinks >= 1) failure = "In1 Link pointer is Nil";
  else if (!Cin2 && Nrinlinks >= 2) failure = "In2 Link pointer is Nil";
  else if (!Cout1 && Nroutlinks >= 1) failure = "Out1 Link pointer is Nil";
  else if (!Cout2 && Nroutlinks >= 2) failure = "Out2 Link pointer is Nil";
  else if (!Cctrl && Nrctrllinks >= 1) failure = "Control Link pointer is Nil";
  if (failure != nullptr) {
    MessageDlg(CompIDstr() + "\r" + failure, mtError, {mbOK}, 0);
    return false;
  }
  return true;
}

double TVYRcomp::LinkStationNr(TLinktype type) const {
  const TVYRLink* l = GetLink(type);
  return l != nullptr ? l->Station() : -11.0;
}

std::string TVYRcomp::LinkStationStr(TLinktype type) const {
  const double nr = LinkStationNr(type);
  return nr <= -1 ? std::string() : StationNrToStr(nr);
}

std::string TVYRcomp::AllStationNrsStr() const {
  std::string s;
  for (TLinktype t : {ltIn1, ltIn2, ltOut1, ltOut2})
    if (const TVYRLink* l = GetLink(t)) s += LinktypeName(t) + ": " + StationNrToStr(l->Station()) + "  ";
  return s.empty() ? s : "Station nrs.: " + s;
}

void TVYRcomp::CreateStationLabs() {
  for (TVYRLink* l : links_) l->CreateStationLab();
}

void TVYRcomp::DeleteStationLabs() {
  for (TVYRLink* l : links_) l->DeleteStationLab();
}

void TVYRcomp::CreateCompLab() {
  if (FNoComponentLabelCreate) return;
  DeleteCompLab();
  auto* lab = new QLabel(this);
  lab->setObjectName(QStringLiteral("CompLab"));
  lab->setAttribute(Qt::WA_TranslucentBackground);
  lab->setAutoFillBackground(false);
  lab->setAlignment(Qt::AlignRight | Qt::AlignTop);
  QFont f = QGuiApplication::font();  // the application's family, 12 pt bold
  f.setPointSize(12);
  f.setBold(true);
  lab->setFont(f);
  lab->hide();
  lab->setGeometry(width() - 10, 0, 0, 0);
  CompLab = lab;
  SizeCompLab();
}

// The number label is as wide as its text and at least 24 pixels high, more
// when its font needs it; its right edge stays where it is (10 pixels inside
// the icon when created; rotation leaves it in place).
void TVYRcomp::SizeCompLab() {
  QLabel* lab = CompLab;
  if (lab == nullptr) return;
  const QFontMetrics fm = lab->fontMetrics();
  const int w = fm.horizontalAdvance(lab->text().isEmpty() ? QStringLiteral("0") : lab->text()) + 2;
  const int h = std::max(24, fm.height());
  const int right = lab->x() + lab->width();
  const QRect target(right - w, lab->y(), w, h);
  if (lab->geometry() != target) lab->setGeometry(target);
}

void TVYRcomp::DeleteCompLab() {
  delete CompLab.data();
  CompLab = nullptr;
}

void TVYRcomp::Rotate() {
  Rotating = true;
  const int w0 = width();
  const int h0 = height();
  for (TVYRLink* l : links_) {
    const QRect g = l->geometry();
    l->move(h0 - g.top() - g.height(), g.left());
  }
  resize(h0, w0);
  const int w = width();
  const int h = height();
  for (QObject* o : children()) {
    auto* lab = qobject_cast<QLabel*>(o);
    if (lab == nullptr || lab == CompLab) continue;
    const QPixmap pm = lab->pixmap();
    if (!pm.isNull()) {
      // Clockwise: the pixel at column x, row y goes to column newW - 1 - y, row x.
      const QImage src = pm.toImage();
      QImage dst(src.height(), src.width(), src.format());
      if (src.format() == QImage::Format_Indexed8 || src.format() == QImage::Format_Mono ||
          src.format() == QImage::Format_MonoLSB)
        dst.setColorTable(src.colorTable());
      for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x) dst.setPixel(src.height() - 1 - y, x, src.pixel(x, y));
      dst.setDevicePixelRatio(src.devicePixelRatio());  // a 2x picture stays 2x
      lab->setPixmap(QPixmap::fromImage(dst));
      lab->resize(w - 20, h - 20);
      continue;
    }
    const QRect g = lab->geometry();
    const Qt::Alignment a = lab->alignment() & Qt::AlignHorizontal_Mask;
    if (a & Qt::AlignRight) lab->move(w - g.top() - g.width(), g.left() + g.width() - g.height());
    else if (a & Qt::AlignHCenter) continue;
    else lab->move(h - g.top() - g.height(), g.left());
  }
  Wold = w;
  Hold = h;
  FRotAngle += 90;
  if (FRotAngle > 270) FRotAngle = 0;
  UpdateStationLabs(true);
  Rotating = false;
  emit Rotated(FRotAngle);
}

bool TVYRcomp::SetRotAngle(int angle) {
  if (angle != 0 && angle != 90 && angle != 180 && angle != 270) return false;
  while (FRotAngle != angle) Rotate();
  return true;
}

std::string TVYRcomp::CompIDstr() const {
  if (Compform) return Compform->IDstr();
  return objectName().toStdString();
}

std::string TVYRcomp::ShortIDstr() const {
  if (FComptype == ctLineLink || !Compform) return objectName().toStdString();
  return Compform->ComponentName();
}

std::string TVYRcomp::MessageIDstr() const {
  std::string s;
  if (CompLab) s = "Nr. " + CompLab->text().toStdString() + " ";
  return s + "Component \"" + ShortIDstr() + "\"";
}

void TVYRcomp::AssignLabel(QLabel* target, const QLabel* source) {
  if (target == nullptr || source == nullptr) return;
  target->setObjectName(source->objectName());
  target->setProperty("Tag", source->property("Tag"));
  target->setProperty("ParentShowHint", source->property("ParentShowHint"));
  target->setProperty("ShowHint", source->property("ShowHint"));
  target->setToolTip(source->toolTip());
  target->setText(source->text());
  target->setFont(source->font());
  target->setGeometry(source->geometry());
  target->setPalette(source->palette());
  target->setAutoFillBackground(source->autoFillBackground());
  target->setProperty("AutoSize", source->property("AutoSize"));
  target->setWordWrap(source->wordWrap());
  target->setAlignment(source->alignment());
  target->setVisible(!source->isHidden());
}

// An icon whose form is not made yet (the editor makes a pasted icon's form
// when it is needed) carries its calculation number as the property
// "PendingCalcNr", read from its element.
int TVYRcomp::CalcNr() const {
  if (FComptype != ctModelComp && FComptype != ctNoLink && FComptype != ctNoGpLink) return -1;
  if (Compform) return Compform->CalcNumber();
  const QVariant pending = property("PendingCalcNr");
  return pending.isValid() ? pending.toInt() : -1;
}

void TVYRcomp::paintEvent(QPaintEvent*) {
  Wold = width();
  Hold = height();
  if (FComptype == ctLineLink && Color != kRed) {
    if (!AllLinked()) {
      Color = palette().color(QPalette::Button);
    } else if (const TVYRLink* l = GetLink(ltLine)) {
      Color = (l->Otherlink && IsCtrlPort(l->Otherlink->Ltype())) ? kBlack : kBlue;
    }
  }
  QPainter p(this);
  p.fillRect(rect(), Color);
  const QVariant pending = property("PendingCalcNr");
  if (CompLab && (Compform || pending.isValid())) {
    const QString nr = QString::number(Compform ? Compform->CalcNumber() : pending.toInt());
    if (CompLab->text() != nr) {
      CompLab->setText(nr);
      SizeCompLab();
    }
    if (CompLab->isHidden()) CompLab->show();
  }
}

void InitVyrcompl() {
  RegisterClass<TVYRcomp>();
  RegisterClass<TVYRLink>();
}

void DoneVyrcompl() {
  UnRegisterClass("TVYRLink");
  UnRegisterClass("TVYRcomp");
}

}  // namespace vyr
