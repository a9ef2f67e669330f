#include "Numinpkq.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include <QApplication>
#include <QButtonGroup>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QValidator>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>

#include "Messages.h"

namespace vyr {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();


std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' || s.front() == '\n'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
    s.remove_suffix(1);
  return s;
}

// Plain decimal or exponent form with '.', optional sign; from_chars is
// locale-independent, which is the point.
bool ParsePlain(std::string_view s, double& value) {
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return false;
  double v = 0;
  auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || ptr != s.data() + s.size()) return false;
  value = v;
  return true;
}

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

std::string S(const QString& s) { return s.toStdString(); }

bool ParseBool(std::string_view text, bool& value) {
  text = Trimmed(text);
  if (SameAsciiText(text, "true") || SameAsciiText(text, "yes") || text == "1") {
    value = true;
    return true;
  }
  if (SameAsciiText(text, "false") || SameAsciiText(text, "no") || text == "0") {
    value = false;
    return true;
  }
  return false;
}

bool ParseInt(std::string_view text, int& value) {
  text = Trimmed(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int v = 0;
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || ec != std::errc() || ptr != text.data() + text.size()) return false;
  value = v;
  return true;
}

std::string_view UnitOf(TParType type, TUnitSystem system) {
  return type < ParTypeCount && system < UnitSystemCount ? ParUnitStr[type][system] : std::string_view();
}

double Scale(TParType type, TUnitSystem system) {
  if (type >= ParTypeCount || system >= UnitSystemCount) return 1.0;
  return ParscaleStd[type][system];
}

// A bound of a range message: short, in the shown unit, with a true minus sign.
std::string BoundText(double shown, const TFormatSettings& fmt) {
  std::string s = std::abs(shown) < 1e15 && shown == std::trunc(shown) ? Printf("%.0f", shown) : Printf("%.6g", shown);
  for (char& c : s)
    if (c == '.') c = fmt.DecimalSeparator;
  if (!s.empty() && s.front() == '-') s.replace(0, 1, "\u2212");
  return s;
}

// Keys that can be part of a number in some notation; anything else is
// refused as typed. A separator of the wrong kind is let through so that the
// entry is refused as a whole with a message, never silently read as another
// number ("1,5" is not 15).
class TNumberValidator : public QValidator {
 public:
  TNumberValidator(QObject* parent, std::function<State(const QString&)> check)
      : QValidator(parent), check_(std::move(check)) {}
  State validate(QString& input, int&) const override {
    for (QChar c : input) {
      const char16_t u = c.unicode();
      if (!((u >= '0' && u <= '9') || u == '+' || u == '-' || u == 'e' || u == 'E' || u == '.' || u == ',' ||
            u == ' '))
        return Invalid;
    }
    return check_(input);
  }

 private:
  std::function<State(const QString&)> check_;
};

// Calls the field's OnChange after each of its Changed signals.
template <class Field>
void WireOnChange(Field* f) {
  QObject::connect(f, &Field::Changed, f, [f] {
    if (f->OnChange) f->OnChange(f);
  });
}

}  // namespace

// --- Number text -------------------------------------------------------------

std::string FloatToXmlStr(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  char buf[64];
  auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value);
  return ec == std::errc() ? std::string(buf, ptr) : FloatToStr(value);
}

bool XmlStrToFloat(std::string_view text, double& value) {
  text = Trimmed(text);
  if (SameAsciiText(text, "NAN")) {
    value = std::numeric_limits<double>::quiet_NaN();
    return true;
  }
  if (SameAsciiText(text, "INF") || SameAsciiText(text, "+INF")) {
    value = kInf;
    return true;
  }
  if (SameAsciiText(text, "-INF")) {
    value = -kInf;
    return true;
  }
  double v = 0;
  if (!ParsePlain(text, v) || !std::isfinite(v)) return false;
  value = v;
  return true;
}

bool TextToFloat(std::string_view text, const TFormatSettings& format, double& value) {
  std::string s(Trimmed(text));
  for (char& c : s) {
    if (c == format.DecimalSeparator) {
      c = '.';
    } else if (c == '.') {
      return false;  // '.' is not this format's decimal separator
    }
  }
  for (char c : s)
    if (!((c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E')) return false;
  double v = 0;
  if (!ParsePlain(s, v) || !std::isfinite(v)) return false;
  value = v;
  return true;
}

// --- Field interface -----------------------------------------------------------

TFieldControl::~TFieldControl() = default;

std::string TFieldControl::GetIDstring() const {
  if (!customID_.empty()) return customID_;
  return S(FieldWidget()->objectName());
}

void TFieldControl::WriteValueToXML(pugi::xml_node element) const {
  element.text().set(WriteValueToText().c_str());
}

bool TFieldControl::ReadValueFromXML(pugi::xml_node element) { return ReadValueFromText(element.text().get()); }

TFieldControl* AsFieldControl(QObject* w) { return dynamic_cast<TFieldControl*>(w); }

void SetLayoutQuietly(QWidget* w, QLayout* layout) {
  // A layout posts a request when it is first changed after being activated
  // (a new one counts as activated); one changed without a widget posts
  // nothing and is laid out when its widget is shown.
  layout->invalidate();
  w->setLayout(layout);
}

// --- TNumFld ---------------------------------------------------------------------------

TNumFld::TNumFld(QWidget* parent) : QWidget(parent), min_(-kInf), max_(kInf) {
  layout_ = new QGridLayout;
  SetLayoutQuietly(this, layout_);
  layout_->setContentsMargins(0, 0, 0, 0);
  layout_->setHorizontalSpacing(4);
  layout_->setVerticalSpacing(1);
  label_ = new QLabel(this);
  label_->setObjectName("CaptionLabel");
  edit_ = new QLineEdit(this);
  edit_->setObjectName("Editor");
  unit_ = new QLabel(this);
  unit_->setObjectName("UnitLabel");
  layout_->addWidget(label_, 0, 0);
  layout_->addWidget(edit_, 0, 1);
  layout_->addWidget(unit_, 0, 2);
  layout_->setColumnStretch(1, 1);
  label_->setBuddy(edit_);
  setFocusProxy(edit_);
  edit_->installEventFilter(this);
  edit_->setValidator(new TNumberValidator(edit_, [this](const QString& text) {
    double v = 0;
    return Evaluate(text.toStdString(), v).empty() ? QValidator::Acceptable : QValidator::Intermediate;
  }));
  connect(edit_, &QLineEdit::textEdited, this, [this] { TextEdited(); });
  WireOnChange(this);
  ShowValue();
}

TNumFld::~TNumFld() = default;

void TNumFld::SetValue(double value) {
  const bool differs = !(value == value_) && !(std::isnan(value) && std::isnan(value_));
  // The same value again (as when a form reads back what it holds) shows nothing new.
  if (!differs && valid_ && !edit_->isModified()) return;
  value_ = value;
  valid_ = true;
  ClearProblem();
  ShowValue();
  if (differs) emit Changed();
}

void TNumFld::SetParType(TParType type) {
  parType_ = type;
  UpdateUnit();
  ShowValue();
}

void TNumFld::SetUnitSystem(TUnitSystem system) {
  // Typed text is meant in the unit shown while it was typed.
  if (edit_->isModified()) CommitEdit();
  unitSystem_ = system;
  UpdateUnit();
  ShowValue();
}

void TNumFld::SetDisplayFormat(std::string format) {
  format_ = std::move(format);
  ShowValue();
}

void TNumFld::SetDecimals(int decimals) {
  decimals_ = decimals;
  ShowValue();
}

void TNumFld::SetFormatSettings(const TFormatSettings& fmt) {
  fmt_ = fmt;
  ShowValue();
}

void TNumFld::SetIntegerOnly(bool integer) {
  integer_ = integer;
  ShowValue();
}

std::string TNumFld::LabelCaption() const { return S(label_->text()); }

void TNumFld::SetLabelCaption(const std::string& caption) {
  label_->setText(Q(caption));
  if (labelsSettled_) label_->setVisible(!caption.empty());
}

void TNumFld::SettleLabels() const {
  if (labelsSettled_) return;
  labelsSettled_ = true;
  const_cast<TNumFld*>(this)->ApplyLabelVisibility();
}

void TNumFld::ApplyLabelVisibility() {
  // Only a change is applied: showing an unpolished label polishes it.
  const bool caption = !label_->text().isEmpty();
  if (label_->isHidden() == caption) label_->setVisible(caption);
  const std::string_view u = UnitOf(parType_, unitSystem_);
  const bool unit = parType_ != ptNone && !u.empty() && u != "-";
  if (unit_->isHidden() == unit) unit_->setVisible(unit);
}

bool TNumFld::event(QEvent* event) {
  if (event->type() == QEvent::Polish) SettleLabels();
  return QWidget::event(event);
}

QString TNumFld::LabelCaptionQ() const { return label_->text(); }

void TNumFld::SetLabelCaptionQ(const QString& caption) { SetLabelCaption(S(caption)); }

bool TNumFld::ReadOnly() const { return edit_->isReadOnly(); }

void TNumFld::SetReadOnly(bool readOnly) {
  edit_->setReadOnly(readOnly);
  // A computed value reads as text on the window rather than as a box to type in.
  edit_->setFrame(!readOnly);
  QPalette p = edit_->palette();
  const QPalette standard = QApplication::palette(edit_);
  p.setColor(QPalette::Base, standard.color(readOnly ? QPalette::Window : QPalette::Base));
  edit_->setPalette(p);
  edit_->setFocusPolicy(readOnly ? Qt::ClickFocus : Qt::StrongFocus);
  if (readOnly) RevertEdit();
}

QColor TNumFld::FontColor() const { return edit_->palette().color(QPalette::Text); }

void TNumFld::SetFontColor(const QColor& color) {
  QPalette p = edit_->palette();
  p.setColor(QPalette::Text, color);
  edit_->setPalette(p);
}

std::string TNumFld::DisplayText() const {
  std::string s;
  if (decimals_ >= 0)
    return ParToStr(parType_, unitSystem_, "%." + std::to_string(decimals_) + "f", true, value_, fmt_);
  if (!format_.empty()) return ParToStr(parType_, unitSystem_, format_, true, value_, fmt_);
  s = FloatToStr(value_ / Scale(parType_, unitSystem_));
  for (char& c : s)
    if (c == '.') c = fmt_.DecimalSeparator;
  return s;
}

void TNumFld::ShowValue() {
  if (!isVisible()) {
    displayPending_ = true;
    edit_->setModified(false);
    return;
  }
  displayPending_ = false;
  edit_->setText(Q(DisplayText()));
  edit_->setModified(false);
}

void TNumFld::FlushDisplay() const {
  if (!displayPending_) return;
  displayPending_ = false;
  edit_->setText(Q(DisplayText()));
  edit_->setModified(false);
}

QLineEdit* TNumFld::Editor() const {
  FlushDisplay();
  return edit_;
}

void TNumFld::showEvent(QShowEvent* event) {
  FlushDisplay();
  QWidget::showEvent(event);
}

void TNumFld::UpdateUnit() {
  const std::string_view u = UnitOf(parType_, unitSystem_);
  unit_->setText(Q(u));
  if (labelsSettled_) unit_->setVisible(parType_ != ptNone && !u.empty() && u != "-");
}

void TNumFld::RevertEdit() {
  valid_ = true;
  ClearProblem();
  ShowValue();
}

std::string TNumFld::DisplayName() const {
  const std::string caption = LabelCaption();
  if (!caption.empty()) return caption;
  return errorID_.empty() ? GetIDstring() : errorID_;
}

std::string TNumFld::CheckValue(double value) const {
  const std::string name = DisplayName();
  if (!std::isfinite(value)) return name + " must be a finite number";
  if (integer_ && value != std::trunc(value)) return name + " must be a whole number";
  if (value >= min_ && value <= max_) return std::string();
  const double scale = Scale(parType_, unitSystem_);
  const std::string_view u = UnitOf(parType_, unitSystem_);
  const std::string unit = u.empty() || u == "-" ? std::string() : " " + std::string(u);
  const auto bound = [&](double v) { return BoundText(v / scale, fmt_) + unit; };
  if (std::isfinite(min_) && std::isfinite(max_))
    return name + " must lie between " + bound(min_) + " and " + bound(max_);
  if (std::isfinite(min_)) return name + " must be at least " + bound(min_);
  return name + " must be at most " + bound(max_);
}

std::string TNumFld::Evaluate(const std::string& text, double& value) const {
  double shown = 0;
  if (!TextToFloat(text, fmt_, shown)) return DisplayName() + " must be a number";
  value = shown * Scale(parType_, unitSystem_);
  return CheckValue(value);
}

std::string TNumFld::Problem() const { return message_ != nullptr && !message_->isHidden() ? S(message_->text()) : ""; }

void TNumFld::ShowProblem(const std::string& problem) {
  if (message_ == nullptr) {
    // Made on first need: most fields of a model's forms never show one.
    message_ = new QLabel(this);
    message_->setObjectName("MessageLabel");
    // One line, never wrapped: a wrapped label can be squeezed out of sight by
    // a window of fixed height, while a one-line label's size is a minimum
    // that the window grows to meet.
    QPalette p = message_->palette();
    p.setColor(QPalette::WindowText, QColor(176, 0, 32));
    message_->setPalette(p);
    layout_->addWidget(message_, 1, 0, 1, 3);
  }
  message_->setText(Q(problem));
  message_->setVisible(true);
  edit_->setToolTip(Q(problem));
}

void TNumFld::ClearProblem() {
  if (message_ == nullptr || message_->isHidden()) return;
  message_->setVisible(false);
  message_->clear();
  edit_->setToolTip(QString());
}

void TNumFld::TextEdited() {
  // While typing, a complete number that breaks the field's rules shows why at
  // once; an unfinished one ("-", "1e") shows nothing yet.
  double v = 0;
  const std::string text = S(edit_->text());
  double shown = 0;
  const std::string problem = Evaluate(text, v);
  if (!problem.empty() && TextToFloat(text, fmt_, shown))
    ShowProblem(problem);
  else
    ClearProblem();
}

bool TNumFld::CommitEdit() {
  FlushDisplay();
  if (committing_ || !edit_->isModified()) return valid_;
  committing_ = true;
  double v = 0;
  const std::string problem = Evaluate(S(edit_->text()), v);
  if (!problem.empty()) {
    // Refused: the value stays; the typed text stays in the edit for correction.
    valid_ = false;
    ShowProblem(problem);
    committing_ = false;
    return false;
  }
  const bool differs = v != value_;
  value_ = v;
  valid_ = true;
  ClearProblem();
  ShowValue();
  committing_ = false;
  if (differs) emit Changed();
  return true;
}

bool TNumFld::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edit_) {
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      // Enter and Tab take the text over; refused text keeps the focus here
      // (and Enter does not reach the form's default button).
      if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Tab || key == Qt::Key_Backtab) &&
          !ReadOnly() && !CommitEdit())
        return true;
    } else if (event->type() == QEvent::FocusOut) {
      const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
      // A context menu or another window takes the focus only for a while:
      // the typed text stays pending, unchecked.
      if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) CommitEdit();
    }
  }
  return QWidget::eventFilter(watched, event);
}

std::string TNumFld::WriteValueToText() const { return FloatToXmlStr(value_); }

bool TNumFld::ReadValueFromText(std::string_view text) {
  double v = 0;
  if (!XmlStrToFloat(text, v)) {
    SetReadError(DisplayName() + ": \"" + std::string(Trimmed(text)) + "\" is not a number");
    return false;
  }
  // The value the field holds already is no news, whatever the rules say now.
  const bool same = v == value_;
  const std::string problem = same ? std::string() : CheckValue(v);
  if (!problem.empty()) {
    SetReadError(problem + ", not " + std::string(Trimmed(text)));
    return false;
  }
  SetReadError({});
  SetValue(v);
  return true;
}

// --- TStringFld ----------------------------------------------------------------------------

TStringFld::TStringFld(QWidget* parent) : QLineEdit(parent) {
  setMaxLength(MaxStringFldLength);
  connect(this, &QLineEdit::textChanged, this, &TStringFld::Changed);
  WireOnChange(this);
}

std::string TStringFld::Text() const { return S(text()); }

void TStringFld::SetText(std::string_view text) { setText(Q(text)); }

std::string TStringFld::WriteValueToText() const { return Text(); }

bool TStringFld::ReadValueFromText(std::string_view text) {
  const QString q = Q(text);
  if (q.size() > maxLength()) {
    SetReadError(GetIDstring() + ": a text of " + std::to_string(q.size()) + " characters is longer than the " +
                 std::to_string(maxLength()) + " this field holds");
    return false;
  }
  SetReadError({});
  setText(q);
  return true;
}

// --- TCheckFld -------------------------------------------------------------------------------

TCheckFld::TCheckFld(QWidget* parent) : QCheckBox(parent) {
  connect(this, &QCheckBox::toggled, this, &TCheckFld::Changed);
  WireOnChange(this);
}

std::string TCheckFld::WriteValueToText() const { return isChecked() ? "true" : "false"; }

bool TCheckFld::ReadValueFromText(std::string_view text) {
  bool b = false;
  if (!ParseBool(text, b)) return false;
  setChecked(b);
  return true;
}

// --- TMemoFld --------------------------------------------------------------------------------

TMemoFld::TMemoFld(QWidget* parent) : QPlainTextEdit(parent) {
  connect(this, &QPlainTextEdit::textChanged, this, &TMemoFld::Changed);
  WireOnChange(this);
}

std::vector<std::string> TMemoFld::Lines() const {
  std::vector<std::string> lines;
  const QString text = toPlainText();
  if (text.isEmpty()) return lines;
  for (const QString& line : text.split(QChar('\n')))
    lines.push_back(S(line));
  return lines;
}

void TMemoFld::SetLines(const std::vector<std::string>& lines) {
  QStringList list;
  for (const std::string& l : lines)
    list.push_back(Q(l));
  setPlainText(list.join(QChar('\n')));
}

std::string TMemoFld::Text() const {
  std::string out;
  const std::vector<std::string> lines = Lines();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) out += "\r\n";
    out += lines[i];
  }
  return out;
}

void TMemoFld::SetText(std::string_view text) {
  std::string s;
  s.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      s += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      s += text[i];
    }
  }
  setPlainText(Q(s));
}

int TMemoFld::LineCount() const { return static_cast<int>(Lines().size()); }

std::string TMemoFld::WriteValueToText() const { return Text(); }

bool TMemoFld::ReadValueFromText(std::string_view text) {
  SetText(text);
  return true;
}

// --- TRadioGrpFld -------------------------------------------------------------------------------

TRadioGrpFld::TRadioGrpFld(QWidget* parent) : QGroupBox(parent) {
  group_ = new QButtonGroup(this);
  grid_ = new QGridLayout;
  SetLayoutQuietly(this, grid_);
  connect(group_, &QButtonGroup::idClicked, this, [this](int id) {
    SetItemIndex(id);
    emit Clicked();
  });
  connect(this, &TRadioGrpFld::Clicked, this, [this] {
    if (OnClick) OnClick(this);
  });
  WireOnChange(this);
}

void TRadioGrpFld::SetItems(const std::vector<std::string>& items) {
  for (QAbstractButton* b : group_->buttons()) {
    group_->removeButton(b);
    delete b;
  }
  for (std::size_t i = 0; i < items.size(); ++i) {
    auto* b = new QRadioButton(Q(items[i]), this);
    group_->addButton(b, static_cast<int>(i));
  }
  const bool had = index_ != -1;
  index_ = -1;
  Relayout();
  if (had) emit Changed();
}

std::vector<std::string> TRadioGrpFld::Items() const {
  std::vector<std::string> items;
  for (int i = 0; i < Count(); ++i)
    items.push_back(S(group_->button(i)->text()));
  return items;
}

int TRadioGrpFld::Count() const { return static_cast<int>(group_->buttons().size()); }

void TRadioGrpFld::SetItemIndex(int index) {
  if (index < 0 || index >= Count()) index = -1;
  if (index == -1) {
    // An exclusive group cannot be emptied by unchecking its button.
    group_->setExclusive(false);
    for (QAbstractButton* b : group_->buttons())
      b->setChecked(false);
    group_->setExclusive(true);
  } else {
    group_->button(index)->setChecked(true);
  }
  if (index == index_) return;
  index_ = index;
  emit Changed();
}

void TRadioGrpFld::SetColumns(int columns) {
  columns_ = std::max(1, columns);
  Relayout();
}

void TRadioGrpFld::Relayout() {
  const int n = Count();
  const int rows = std::max(1, (n + columns_ - 1) / columns_);
  for (int i = 0; i < n; ++i) {
    QAbstractButton* b = group_->button(i);
    grid_->removeWidget(b);
    grid_->addWidget(b, i % rows, i / rows);
  }
}

std::string TRadioGrpFld::WriteValueToText() const { return std::to_string(index_); }

bool TRadioGrpFld::ReadValueFromText(std::string_view text) {
  int i = 0;
  if (!ParseInt(text, i) || i < -1 || i >= Count()) return false;
  SetItemIndex(i);
  return true;
}

// --- TComboBoxFld --------------------------------------------------------------------------------

TComboBoxFld::TComboBoxFld(QWidget* parent) : QComboBox(parent) {
  connect(this, &QComboBox::currentIndexChanged, this, [this] {
    if (!syncing_) TakeFromUi();
  });
  connect(this, &QComboBox::editTextChanged, this, [this] {
    if (!syncing_) TakeFromUi();
  });
  WireOnChange(this);
}

void TComboBoxFld::TakeFromUi() {
  std::string text = S(currentText());
  if (text == value_) return;
  value_ = std::move(text);
  emit Changed();
}

void TComboBoxFld::SetItems(const std::vector<std::string>& items) {
  syncing_ = true;
  clear();
  for (const std::string& i : items)
    addItem(Q(i));
  setCurrentIndex(findText(Q(value_), Qt::MatchFixedString));
  if (isEditable()) setEditText(Q(value_));
  syncing_ = false;
}

void TComboBoxFld::SetItemIndex(int index) {
  setCurrentIndex(index);
  TakeFromUi();
}

void TComboBoxFld::SetValueText(std::string_view text) {
  syncing_ = true;
  setCurrentIndex(findText(Q(text), Qt::MatchFixedString));
  if (isEditable()) setEditText(Q(text));
  syncing_ = false;
  if (text == value_) return;
  value_ = std::string(text);
  emit Changed();
}

std::string TComboBoxFld::WriteValueToText() const { return value_; }

bool TComboBoxFld::ReadValueFromText(std::string_view text) {
  SetValueText(text);
  return true;
}

// --- TNumGrid --------------------------------------------------------------------------------------

TNumColumn* TNumColumns::GetColumn(int index) {
  return index >= 0 && index < Count() ? &cols_[static_cast<std::size_t>(index)] : nullptr;
}

const TNumColumn* TNumColumns::GetColumn(int index) const {
  return index >= 0 && index < Count() ? &cols_[static_cast<std::size_t>(index)] : nullptr;
}

TNumGrid::TNumGrid(QWidget* parent) : QTableWidget(parent) {
  connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (filling_) return;
    const int col = item->column();
    const TNumColumn* c = columns_.GetColumn(col);
    if (c != nullptr && !c->TextColumn) {
      // Typed into a numeric cell: the number is meant in the shown unit.
      double shown = 0;
      const std::string text = S(item->text());
      filling_ = true;
      if (TextToFloat(text, USFormatSettings, shown))
        item->setData(Qt::UserRole, shown * Scale(c->ParType, unitSystem_));
      else
        item->setData(Qt::UserRole, QVariant());
      filling_ = false;
    }
    emit Changed();
  });
  WireOnChange(this);
}

void TNumGrid::SetSize(int cols, int rows) {
  cols = std::clamp(cols, 0, MaxGridCols);
  rows = std::clamp(rows, 0, MaxGridRows);
  if (cols > 0) rows = std::min(rows, MaxGridCells / cols);
  filling_ = true;
  setColumnCount(cols);
  setRowCount(rows);
  filling_ = false;
  columns_.cols_.resize(static_cast<std::size_t>(cols));
}

void TNumGrid::SetUnitSystem(TUnitSystem system) {
  unitSystem_ = system;
  for (int r = 0; r < rowCount(); ++r)
    for (int c = 0; c < columnCount(); ++c)
      ShowCell(c, r);
}

std::string TNumGrid::Cells(int col, int row) const {
  const QTableWidgetItem* it = item(row, col);
  return it != nullptr ? S(it->text()) : std::string();
}

bool TNumGrid::SetCells(int col, int row, std::string_view text) {
  if (col < 0 || row < 0 || col >= columnCount() || row >= rowCount()) return false;
  const TNumColumn* c = columns_.GetColumn(col);
  const bool numeric = c != nullptr && !c->TextColumn && row >= fixedRows_ && col >= fixedCols_;
  if (numeric && !Trimmed(text).empty()) {
    double shown = 0;
    if (!TextToFloat(text, USFormatSettings, shown)) return false;
    SetDValues(col, row, shown * Scale(c->ParType, unitSystem_));
    return true;
  }
  filling_ = true;
  QTableWidgetItem* it = item(row, col);
  if (it == nullptr) {
    it = new QTableWidgetItem;
    setItem(row, col, it);
  }
  it->setData(Qt::UserRole, QVariant());
  it->setText(Q(text));
  filling_ = false;
  emit Changed();
  return true;
}

double TNumGrid::GetDValues(int col, int row) const {
  const QTableWidgetItem* it = item(row, col);
  if (it == nullptr) return 0;
  const QVariant v = it->data(Qt::UserRole);
  if (v.isValid()) return v.toDouble();
  double d = 0;
  return TextToFloat(S(it->text()), USFormatSettings, d) ? d : 0;
}

void TNumGrid::SetDValues(int col, int row, double value) {
  if (col < 0 || row < 0 || col >= columnCount() || row >= rowCount()) return;
  filling_ = true;
  QTableWidgetItem* it = item(row, col);
  if (it == nullptr) {
    it = new QTableWidgetItem;
    setItem(row, col, it);
  }
  it->setData(Qt::UserRole, value);
  filling_ = false;
  ShowCell(col, row);
  emit Changed();
}

void TNumGrid::ShowCell(int col, int row) {
  QTableWidgetItem* it = item(row, col);
  if (it == nullptr) return;
  const QVariant v = it->data(Qt::UserRole);
  if (!v.isValid()) return;
  const TNumColumn* c = columns_.GetColumn(col);
  const double scale = c != nullptr ? Scale(c->ParType, unitSystem_) : 1.0;
  filling_ = true;
  it->setText(Q(FloatToStr(v.toDouble() / scale)));
  filling_ = false;
}

bool TNumGrid::CommitEdit() {
  if (state() == QAbstractItemView::EditingState) {
    // The open editor is the viewport's child that holds the window's focus.
    const QWidget* focused = window()->focusWidget();
    for (QWidget* w : viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (focused == nullptr || (w != focused && !w->isAncestorOf(focused))) continue;
      commitData(w);
      closeEditor(w, QAbstractItemDelegate::NoHint);
      break;
    }
  }
  return ValidateGrid();
}

bool TNumGrid::ValidateGrid() const {
  for (int c = fixedCols_; c < columnCount(); ++c) {
    const TNumColumn* col = columns_.GetColumn(c);
    if (col == nullptr || col->TextColumn) continue;
    for (int r = fixedRows_; r < rowCount(); ++r) {
      const QTableWidgetItem* it = item(r, c);
      if (it != nullptr && !it->data(Qt::UserRole).isValid() && !it->text().trimmed().isEmpty()) return false;
    }
  }
  return true;
}

void TNumGrid::WriteValueToXML(pugi::xml_node element) const {
  element.append_attribute("Cols").set_value(columnCount());
  element.append_attribute("Rows").set_value(rowCount());
  for (int r = 0; r < rowCount(); ++r) {
    pugi::xml_node row;
    for (int c = 0; c < columnCount(); ++c) {
      const QTableWidgetItem* it = item(r, c);
      if (it == nullptr) continue;
      const QVariant v = it->data(Qt::UserRole);
      if (!v.isValid() && it->text().isEmpty()) continue;
      if (!row) {
        row = element.append_child("Row");
        row.append_attribute("ID").set_value(r);
      }
      pugi::xml_node cell = row.append_child("Cell");
      cell.append_attribute("ID").set_value(c);
      cell.text().set(v.isValid() ? FloatToXmlStr(v.toDouble()).c_str() : S(it->text()).c_str());
    }
  }
}

bool TNumGrid::ReadValueFromXML(pugi::xml_node element) {
  int cols = 0;
  int rows = 0;
  if (!ParseInt(element.attribute("Cols").value(), cols) || !ParseInt(element.attribute("Rows").value(), rows) ||
      cols < 0 || rows < 0) {
    SetReadError(GetIDstring() + ": the grid size is not given as Cols and Rows");
    return false;
  }
  if (cols > MaxGridCols || rows > MaxGridRows || static_cast<long long>(cols) * rows > MaxGridCells) {
    SetReadError(GetIDstring() + ": a grid of " + std::to_string(cols) + " columns and " + std::to_string(rows) +
                 " rows exceeds the limit of " + std::to_string(MaxGridCells) + " cells");
    return false;
  }
  SetReadError({});
  // Check every cell before changing anything, so that a bad file loses nothing.
  struct Cell {
    int col, row;
    bool number;
    double value;
    std::string text;
  };
  std::vector<Cell> cells;
  for (pugi::xml_node row : element.children("Row")) {
    int r = 0;
    if (!ParseInt(row.attribute("ID").value(), r) || r < 0 || r >= rows) return false;
    for (pugi::xml_node cell : row.children("Cell")) {
      int c = 0;
      if (!ParseInt(cell.attribute("ID").value(), c) || c < 0 || c >= cols) return false;
      const TNumColumn* col = columns_.GetColumn(c);
      const bool numeric = col != nullptr && !col->TextColumn && r >= fixedRows_ && c >= fixedCols_;
      Cell x{c, r, false, 0, cell.text().get()};
      if (numeric) {
        if (!XmlStrToFloat(x.text, x.value)) return false;
        x.number = true;
      }
      cells.push_back(std::move(x));
    }
  }
  SetSize(cols, rows);
  filling_ = true;
  clearContents();
  filling_ = false;
  for (const Cell& x : cells) {
    if (x.number) {
      SetDValues(x.col, x.row, x.value);
    } else {
      SetCells(x.col, x.row, x.text);
    }
  }
  emit Changed();
  return true;
}

std::string TNumGrid::WriteValueToText() const { return std::string(); }

bool TNumGrid::ReadValueFromText(std::string_view) { return false; }

}  // namespace vyr
