#include "vyrcompf.h"

#include <cmath>
#include <stdexcept>

#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "SysUtils.h"
#include "vyrcompl.h"

namespace vyr {

namespace {

const char* const kIDhint = "Component ID string for ouput parameters (if blank, default=Calc.Nr.)";
const char* const kDownStrHint =
    "With Core first, calculation proceeds with core first\r\nelse, duct flow is calculated first, then core.";

// Navy (red 0, green 0, blue 128): the font colour of the Design page.
const QColor kNavy(0, 0, 128);

// A tab sheet of PageControl1 with its top-aligned layout.
QWidget* AddPage(TVYRPageControl* pages, const char* name, const char* caption) {
  auto* page = new QWidget;
  page->setObjectName(QString::fromLatin1(name));
  auto* layout = new QVBoxLayout;
  SetLayoutQuietly(page, layout);
  layout->setAlignment(Qt::AlignTop);
  pages->addTab(page, QString::fromLatin1(caption));
  return page;
}

// Writes the page's texts in navy.
void SetNavy(QWidget* page) {
  QPalette navy = page->palette();
  navy.setColor(QPalette::WindowText, kNavy);
  navy.setColor(QPalette::Text, kNavy);
  navy.setColor(QPalette::ButtonText, kNavy);
  page->setPalette(navy);
}

// The text without leading and trailing blanks and control characters.
std::string TrimmedText(std::string_view s) {
  const auto blank = [](char ch) { return static_cast<unsigned char>(ch) <= ' '; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return std::string(s);
}

}  // namespace

// --- TStringObjectList ----------------------------------------------------------

TStringObjectList::~TStringObjectList() = default;

int TStringObjectList::Add(std::string name, std::unique_ptr<TObject> object) {
  items_.emplace_back(std::move(name), std::move(object));
  return Count() - 1;
}

const std::string& TStringObjectList::Strings(int index) const {
  if (index < 0 || index >= Count()) throw std::out_of_range("TStringObjectList index out of range");
  return items_[static_cast<std::size_t>(index)].first;
}

TObject* TStringObjectList::Objects(int index) const {
  if (index < 0 || index >= Count()) throw std::out_of_range("TStringObjectList index out of range");
  return items_[static_cast<std::size_t>(index)].second.get();
}

int TStringObjectList::IndexOf(std::string_view name) const {
  for (int i = 0; i < Count(); ++i)
    if (SameAsciiText(items_[static_cast<std::size_t>(i)].first, name)) return i;
  return -1;
}

void TStringObjectList::Clear() { items_.clear(); }

// --- Page control -------------------------------------------------------------------

// The tab bar is QTabWidget's own: replacing it would destroy one bar per
// form, and destroying a widget searches every event waiting in the queue,
// which a model's load fills.
TVYRPageControl::TVYRPageControl(QWidget* parent) : QTabWidget(parent) { tabBar()->installEventFilter(this); }

int TVYRPageControl::NextShownTab(int step, bool wrap) const {
  const int n = count();
  for (int k = 1; k < n || (!wrap && k <= n); ++k) {
    int i = currentIndex() + step * k;
    if (wrap)
      i = (i % n + n) % n;
    else if (i < 0 || i >= n)
      return -1;
    if (isTabVisible(i) && isTabEnabled(i)) return i;
  }
  return -1;
}

void TVYRPageControl::ChangeTo(int index) {
  if (index >= 0 && index != currentIndex() && AllowChange()) setCurrentIndex(index);
}

bool TVYRPageControl::eventFilter(QObject* watched, QEvent* event) {
  QTabBar* bar = tabBar();
  if (watched != bar) return QTabWidget::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      const int index = bar->tabAt(mouse->position().toPoint());
      // A refused change swallows the click, so the bar does not switch.
      return mouse->button() == Qt::LeftButton && index >= 0 && index != currentIndex() && !AllowChange();
    }
    case QEvent::KeyPress: {
      // The arrow keys pass over hidden tabs; Home and End go to the first and last shown tab.
      int target = -2;
      switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
          target = NextShownTab(-1, false);
          break;
        case Qt::Key_Right:
        case Qt::Key_Down:
          target = NextShownTab(1, false);
          break;
        case Qt::Key_Home:
        case Qt::Key_End: {
          const bool home = static_cast<QKeyEvent*>(event)->key() == Qt::Key_Home;
          for (int k = 0; k < count() && target < 0; ++k) {
            const int i = home ? k : count() - 1 - k;
            if (isTabVisible(i) && isTabEnabled(i)) target = i;
          }
          break;
        }
        default:
          return false;
      }
      ChangeTo(target);
      return true;
    }
    case QEvent::Wheel: {
      const QPoint delta = static_cast<QWheelEvent*>(event)->angleDelta();
      const int d = delta.y() != 0 ? delta.y() : delta.x();
      if (d != 0) ChangeTo(NextShownTab(d > 0 ? -1 : 1, false));
      return true;
    }
    case QEvent::Paint: {
      if (!OnDrawTab) return false;
      QPainter painter(bar);
      for (int i = 0; i < count(); ++i)
        if (isTabVisible(i)) OnDrawTab(painter, i, bar->tabRect(i), i == currentIndex());
      return true;
    }
    default:
      return false;
  }
}

void TVYRPageControl::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  const bool ctrlTab = (event->modifiers() & Qt::ControlModifier) &&
                       (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_PageUp ||
                        key == Qt::Key_PageDown);
  if (!ctrlTab) {
    QTabWidget::keyPressEvent(event);
    return;
  }
  // Ctrl+Tab cycles through the shown tabs, Ctrl+Shift+Tab backwards.
  event->accept();
  const bool back = key == Qt::Key_Backtab || key == Qt::Key_PageUp ||
                    (key == Qt::Key_Tab && (event->modifiers() & Qt::ShiftModifier));
  ChangeTo(NextShownTab(back ? -1 : 1, true));
}

// --- The form -------------------------------------------------------------------------

TVYRcompform::TVYRcompform(QWidget* owner) : TVYRFieldForm(owner) {
  setObjectName(QStringLiteral("VYRcompform"));
  setWindowTitle(QStringLiteral("VYR component form"));
  resize(513, 379);

  Panel3 = new QWidget(this);
  Panel3->setObjectName(QStringLiteral("Panel3"));
  Panel3->setFixedHeight(36);
  auto* row = new QHBoxLayout;
  SetLayoutQuietly(Panel3, row);
  row->setContentsMargins(4, 2, 4, 2);

  CompName = new TStringFld(Panel3);
  CompName->setObjectName(QStringLiteral("CompName"));
  CompName->SetText("Comp. Name");
  CompName->SetXmlTag(XmlTagAttribute);
  CompName->SetCustomIDstring("Name");

  IDlabel = new QLabel(QStringLiteral("ID string"), Panel3);
  IDlabel->setObjectName(QStringLiteral("IDlabel"));
  IDlabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  IDlabel->setToolTip(QString::fromUtf8(kIDhint));

  ID = new TStringFld(Panel3);
  ID->setObjectName(QStringLiteral("ID"));
  ID->setFixedWidth(49);
  ID->setToolTip(QString::fromUtf8(kIDhint));

  Nr = new TNumFld(Panel3);
  Nr->setObjectName(QStringLiteral("Nr"));
  Nr->SetLabelCaption("Calc.Nr.");
  Nr->SetIntegerOnly(true);
  Nr->SetDecimals(0);
  Nr->SetMin(-32768);
  Nr->SetMax(32767);
  Nr->SetReadOnly(true);
  Nr->SetFontColor(QColor(0, 0, 255));
  Nr->SetXmlTag(XmlTagAttribute);
  Nr->Editor()->setAlignment(Qt::AlignCenter);
  Nr->Editor()->setFrame(false);
  Nr->Editor()->setFixedWidth(23);
  Nr->setToolTip(QStringLiteral("Calculation list sequence number"));

  row->addWidget(CompName);
  row->addWidget(IDlabel);
  row->addWidget(ID);
  row->addStretch(1);
  row->addWidget(Nr);
  AddClientWidget(Panel3);

  Panel1 = new QWidget(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  auto* client = new QVBoxLayout;
  SetLayoutQuietly(Panel1, client);
  client->setContentsMargins(0, 0, 0, 2);
  PageControl1 = new TVYRPageControl(Panel1);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  client->addWidget(PageControl1);
  AddClientWidget(Panel1, 1);

  General = AddPage(PageControl1, "General", "General");
  ModelOpt = new TRadioGrpFld(General);
  ModelOpt->setObjectName(QStringLiteral("ModelOpt"));
  ModelOpt->setTitle(QStringLiteral("Model Options"));
  General->layout()->addWidget(ModelOpt);

  Design = AddPage(PageControl1, "Design", "Design");
  // Navy before the page has children: the palette then reaches no widgets
  // yet (FormCreate sets it again, which costs nothing).
  SetNavy(Design);
  DownStrCalcPriorityRGrpFld = new TRadioGrpFld(Design);
  DownStrCalcPriorityRGrpFld->setObjectName(QStringLiteral("DownStrCalcPriorityRGrpFld"));
  DownStrCalcPriorityRGrpFld->setTitle(QStringLiteral("Downstream calculation"));
  DownStrCalcPriorityRGrpFld->SetItems({"Core first", "Duct first"});
  DownStrCalcPriorityRGrpFld->SetItemIndex(0);
  DownStrCalcPriorityRGrpFld->setToolTip(QString::fromUtf8(kDownStrHint));
  DownStrCalcPriorityRGrpFld->hide();
  Design->layout()->addWidget(DownStrCalcPriorityRGrpFld);

  DeteriorationTSheet = AddPage(PageControl1, "DeteriorationTSheet", "Deterioration");
  Deteriorated = new TCheckFld(DeteriorationTSheet);
  Deteriorated->setObjectName(QStringLiteral("Deteriorated"));
  Deteriorated->setText(QStringLiteral("Apply deterioration effects"));
  DeteriorationTSheet->layout()->addWidget(Deteriorated);
  PageControl1->setTabVisible(PageControl1->indexOf(DeteriorationTSheet), false);

  OutpTSheet = AddPage(PageControl1, "OutpTSheet", "Output");
  Onamesgbox = new QGroupBox(QStringLiteral("Output names"), OutpTSheet);
  Onamesgbox->setObjectName(QStringLiteral("Onamesgbox"));
  auto* names = new QVBoxLayout;
  SetLayoutQuietly(Onamesgbox, names);
  Ocompnrs = new TCheckFld(Onamesgbox);
  Ocompnrs->setObjectName(QStringLiteral("Ocompnrs"));
  Ocompnrs->setText(QStringLiteral("Add comp. nrs."));
  Ocompnrs->SetChecked(true);
  names->addWidget(Ocompnrs);
  OutpTSheet->layout()->addWidget(Onamesgbox);

  RemarksTSheet = AddPage(PageControl1, "RemarksTSheet", "Remarks");
  Remarks = new TMemoFld(RemarksTSheet);
  Remarks->setObjectName(QStringLiteral("Remarks"));
  Remarks->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Remarks->setTabChangesFocus(false);
  auto* remarksLayout = static_cast<QVBoxLayout*>(RemarksTSheet->layout());
  remarksLayout->setAlignment(Qt::Alignment());
  remarksLayout->setContentsMargins(0, 0, 0, 0);
  remarksLayout->addWidget(Remarks);

  // Pages are stacked in front of each other as they are added; in the widget
  // tree (and so in the model file) they keep the order of their tabs.
  for (QWidget* page : {General, Design, DeteriorationTSheet, OutpTSheet, RemarksTSheet}) page->raise();

  PageControl1->OnChanging = [this] { return PageControl1Changing(); };
  PageControl1->OnDrawTab = [this](QPainter& p, int index, const QRect& rect, bool active) {
    PageControl1DrawTab(p, index, rect, active);
  };
  connect(ModelOpt, &TRadioGrpFld::Clicked, this, [this] { ModelOptClick(); });
  connect(ID, &TStringFld::Changed, this, [this] { IDChange(); });
  connect(Nr, &TNumFld::Changed, this, [this] { NrChange(); });
}

TVYRcompform::~TVYRcompform() { FormDestroy(); }

std::string TVYRcompform::IDstr() const {
  return "Nr. " + IntToStr(CalcNumber()) + " Component: " + ComponentName();
}

std::string TVYRcompform::ShortIDstr() const {
  if (TVYRcomp* icon = Icon()) return icon->ShortIDstr();
  return ComponentName();
}

TVYRcomp* TVYRcompform::Icon() const { return qobject_cast<TVYRcomp*>(parentWidget()); }

int TVYRcompform::CalcNumber() const { return static_cast<int>(std::lround(Nr->GetValue())); }

void TVYRcompform::SetCalcNumber(int nr) { Nr->SetValue(nr); }

std::string TVYRcompform::ComponentName() const { return CompName->Text(); }

void TVYRcompform::SetComponentName(const std::string& name) { CompName->SetText(name); }

// --- Events ---------------------------------------------------------------------------

void TVYRcompform::FormCreate() {
  TVYRFieldForm::FormCreate();
  SetNavy(Design);

  ModelOpt->setVisible(ModelOpt->Count() > 0);
  if (ModelOpt->Count() > 0) ModelOpt->SetItemIndex(0);

  if (PageControl1->isTabVisible(PageControl1->indexOf(General))) PageControl1->setCurrentWidget(General);
  QTabBar* bar = PageControl1->tabBar();
  const int last = PageControl1->count() - 1;
  if (const int i = PageControl1->indexOf(RemarksTSheet); PageControl1->isTabVisible(i)) bar->moveTab(i, last);
  if (const int i = PageControl1->indexOf(OutpTSheet); PageControl1->isTabVisible(i)) bar->moveTab(i, last - 1);
  // Keyboard focus passes through the pages in their tab order.
  for (int i = 0; i + 1 < PageControl1->count(); ++i)
    QWidget::setTabOrder(PageControl1->widget(i), PageControl1->widget(i + 1));

  if (!TrimmedText(HelpFile).empty()) HelpFile = VYRpath + HelpFile;

  // Every new widget posts a request to be polished, and the requests wait
  // while a model loads: each later event posted to a widget that has one
  // pending searches all of them, so loading 500 forms would search millions.
  // A form is polished when it is shown (and a widget whenever its size is
  // asked for), so the requests that wait now are dropped.
  QCoreApplication::removePostedEvents(nullptr, QEvent::PolishRequest);
}

void TVYRcompform::FormShow() {
  TVYRFieldForm::FormShow();
  ModelOptClick();
}

void TVYRcompform::FormDestroy() {
  CompPerfParameters.Clear();
  Conditions.Clear();
}

void TVYRcompform::OKbtnClick() {
  TVYRFieldForm::OKbtnClick();
  SetDescrLabelCaption();
}

bool TVYRcompform::FormCloseQuery(int modalResult) {
  if (modalResult == mrOk && !ValidateInputData()) return false;
  return TVYRFieldForm::FormCloseQuery(modalResult);
}

bool TVYRcompform::PageControl1Changing() {
  QWidget* focused = focusWidget();
  // The focus sits in a field's inner edit (or a grid's cell editor): the
  // field is the nearest numeric field or grid above it.
  for (QWidget* w = focused; w != nullptr && w != this; w = w->parentWidget()) {
    if (auto* num = qobject_cast<TNumFld*>(w)) return num->CommitEdit();
    if (auto* grid = qobject_cast<TNumGrid*>(w)) return grid->CommitEdit();
  }
  return true;
}

void TVYRcompform::PageControl1DrawTab(QPainter& painter, int index, const QRect& rect, bool active) {
  const QPalette& pal = PageControl1->palette();
  const QColor bar = pal.color(QPalette::Button);
  painter.fillRect(rect, bar);
  painter.setPen(bar);
  painter.drawRect(rect.adjusted(0, 0, -1, -1));
  painter.setPen(active ? pal.color(QPalette::Highlight) : pal.color(QPalette::WindowText));
  const QPoint at = rect.topLeft() + (active ? QPoint(7, 4) : QPoint(3, 2));
  painter.drawText(QRect(at, rect.bottomRight()), Qt::AlignLeft | Qt::AlignTop, PageControl1->tabText(index));
}

void TVYRcompform::ModelOptClick() {
  if (isVisible()) InitializeControlStates();
}

void TVYRcompform::IDChange() {
  if (isVisible()) SetNumFldErrorIDstrings();
}

void TVYRcompform::NrChange() { SetNumFldErrorIDstrings(); }

// --- Links, outputs and measurements --------------------------------------------------

bool TVYRcompform::OutPutSelected() const {
  auto checkedIn = [](const QWidget* parent) {
    for (const QObject* c : parent->children())
      if (auto* check = qobject_cast<const TCheckFld*>(c); check != nullptr && check->Checked()) return true;
    return false;
  };
  if (checkedIn(OutpTSheet)) return true;
  for (const QObject* c : OutpTSheet->children()) {
    auto* box = qobject_cast<const QGroupBox*>(c);
    // A radio group is a group box to Qt but holds no check fields.
    if (box == nullptr || box == Onamesgbox || qobject_cast<const TRadioGrpFld*>(c) != nullptr) continue;
    if (checkedIn(box)) return true;
  }
  return false;
}

void TVYRcompform::AddMeasurement(const std::string& name, double& variable, TParType parType,
                                  TUnitSystem unitSystem) {
  CompPerfParameters.Add(name, std::make_unique<TParameter>(name, variable, parType, unitSystem, "", ""));
}

TVYRcompform* TVYRcompform::OtherModelCompform(TLinktype type) const {
  TVYRcomp* icon = Icon();
  if (icon == nullptr) return nullptr;
  TVYRcomp* other = icon->GetLinkedVYRcomp(type);
  return other != nullptr ? other->Compform.data() : nullptr;
}

// --- Calculation hooks: the base defaults -------------------------------------

void TVYRcompform::InitializeControlStates() {}

void TVYRcompform::SetDescrLabelCaption() {
  TVYRcomp* icon = Icon();
  if (icon == nullptr) return;
  for (QObject* c : icon->children()) {
    auto* label = qobject_cast<QLabel*>(c);
    if (label != nullptr && label->property("Tag").toInt() == 1) {
      label->setText(QString::fromStdString(ComponentName()));
      return;
    }
  }
}

bool TVYRcompform::PropActive(const std::string&) { return true; }
void TVYRcompform::SetDeterioration(TCalcMode) {}
void TVYRcompform::SaveDeterioration() { Deteriorated->SetChecked(true); }
void TVYRcompform::SetAltDescrLabelCaption() {}
void TVYRcompform::AfterLoad() {
  SetDescrLabelCaption();
  SetNumFldErrorIDstrings();
}
void TVYRcompform::AfterModelLoad() {}
void TVYRcompform::ResetComp() {}

std::string TVYRcompform::CompParID() const {
  const std::string id = TrimmedText(ID->Text());
  if (!id.empty()) return "_" + id;
  if (Ocompnrs->Checked()) return "_" + IntToStr(CalcNumber());
  return {};
}

void TVYRcompform::CalculationReset() { Calculated = false; }
bool TVYRcompform::CalcInit() {
  ComponentCalcMode = cmInit;
  return true;
}
bool TVYRcompform::DefineStatesAndErrors(TCalcMode) { return true; }
bool TVYRcompform::DefineStatesAndErrorsDP(TCalcMode) { return true; }
bool TVYRcompform::SetStateFromData() { return true; }
void TVYRcompform::BeforeRunSimulation() {}
bool TVYRcompform::CalcStart(TCalcMode) { return true; }
bool TVYRcompform::CalcNewStateStart(TCalcMode) { return true; }
bool TVYRcompform::CalcNewStateBegin(TCalcMode) { return true; }
bool TVYRcompform::CalcNewStateEnd(TCalcMode) { return true; }
bool TVYRcompform::CalcFinish(TCalcMode) { return true; }
bool TVYRcompform::CalcFinally(TCalcMode) { return true; }
bool TVYRcompform::CalcSimulationFinish() { return true; }
bool TVYRcompform::Calc(TCalcMode mode) {
  Calculated = true;
  ComponentCalcMode = mode;
  return true;
}
bool TVYRcompform::CalcEnd(TCalcMode) { return true; }
bool TVYRcompform::CalcListBegin(TCalcMode) { return true; }
bool TVYRcompform::CalcListEnd(TCalcMode) { return true; }
bool TVYRcompform::CalcModelGlobalParameterSums(TCalcMode) { return true; }
bool TVYRcompform::CalcAdditionalOutput(TCalcMode, bool) { return true; }
bool TVYRcompform::CalcAdditionalOutputEnd(TCalcMode, bool) { return true; }
bool TVYRcompform::CalcAdditionalParsEnd(TCalcMode, bool) { return true; }
void TVYRcompform::OutputDataTo(TOutputTarget) {}
bool TVYRcompform::OutputDataToArraysEnd() { return true; }

bool TVYRcompform::CheckComponent(TCalcMode) {
  TVYRcomp* icon = Icon();
  if (icon == nullptr || DownStrCalcPriorityRGrpFld->isHidden()) return true;
  const bool coreFirst = DownStrCalcPriorityRGrpFld->ItemIndex() == 0;
  if (TVYRLink* core = icon->GetLink(ltOut1)) core->SetCalcOrderPriority(coreFirst ? copFirst : copLast);
  if (TVYRLink* duct = icon->GetLink(ltOut2)) duct->SetCalcOrderPriority(coreFirst ? copLast : copFirst);
  return true;
}

void TVYRcompform::StateErrorInfoToLines(std::vector<std::string>&) {}
void TVYRcompform::StateErrorDPInfoToLines(std::vector<std::string>&) {}
void TVYRcompform::AddMeasurementsAndConditions() {}
void TVYRcompform::WriteOPointText(TCalcMode) {}
void TVYRcompform::UpdateVYRcomponentState() { InitializeControlStates(); }
bool TVYRcompform::ValidateInputData() { return true; }
bool TVYRcompform::CheckAllowCompInCfg(bool) { return true; }

bool TVYRcompform::HasLink(TLinktype type) const {
  TVYRcomp* icon = Icon();
  return icon != nullptr && icon->GetLink(type) != nullptr;
}

bool TVYRcompform::CheckLinkForOutput(TLinktype type, TGasioLinkPar) const { return HasLink(type); }
bool TVYRcompform::StepTime(double) { return true; }
bool TVYRcompform::InitTransient() { return true; }

namespace {

void CheckRegisteredCompform(const QMetaObject& meta) { CheckCompformPropertyNames(meta); }

}  // namespace

void InitVyrcompf() {
  RegisterClass<TVYRcompform>();
  AddRegistrationCheck(&TVYRcompform::staticMetaObject, &CheckRegisteredCompform);
}

void DoneVyrcompf() {
  RemoveRegistrationCheck(&CheckRegisteredCompform);
  UnRegisterClass("TVYRcompform");
}

}  // namespace vyr
