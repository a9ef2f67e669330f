#include "VYRutils.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <memory>

#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDataStream>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPainter>
#include <QMetaProperty>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTextEdit>
#include <QThread>
#include <QWidget>

#include "ClassRegistry.h"

namespace vyr {

namespace {

constexpr const char* kTagProperty = "Tag";
constexpr const char* kFontColorProperty = "FontColor";

// Tag that makes InputControlVisible treat a control as visible whatever its flag.
constexpr int kAlwaysVisibleTag = 8;

// The toolkit's common widget classes that CloneComponent can make without a
// registry entry or an invokable constructor.
template <class W>
QObject* MakeWidget(QWidget* parent) {
  return new W(parent);
}
struct KnownClass {
  const char* name;
  QObject* (*make)(QWidget*);
};
constexpr std::array<KnownClass, 14> kKnownClasses{{
    {"QWidget", &MakeWidget<QWidget>},
    {"QFrame", &MakeWidget<QFrame>},
    {"QLabel", &MakeWidget<QLabel>},
    {"QPushButton", &MakeWidget<QPushButton>},
    {"QCheckBox", &MakeWidget<QCheckBox>},
    {"QRadioButton", &MakeWidget<QRadioButton>},
    {"QLineEdit", &MakeWidget<QLineEdit>},
    {"QComboBox", &MakeWidget<QComboBox>},
    {"QGroupBox", &MakeWidget<QGroupBox>},
    {"QPlainTextEdit", &MakeWidget<QPlainTextEdit>},
    {"QTextEdit", &MakeWidget<QTextEdit>},
    {"QSpinBox", &MakeWidget<QSpinBox>},
    {"QDoubleSpinBox", &MakeWidget<QDoubleSpinBox>},
    {"QScrollArea", &MakeWidget<QScrollArea>},
}};

std::string ShortClassName(const QMetaObject* meta) {
  std::string n = meta->className();
  if (auto pos = n.rfind("::"); pos != std::string::npos) n.erase(0, pos + 2);
  return n;
}

QObject* NewInstance(const QObject* source, QWidget* parentWidget, QObject* parentObject) {
  const QMetaObject* meta = source->metaObject();
  if (const TRegisteredClass* c = FindClass(ShortClassName(meta)); c != nullptr && c->MetaObject == meta) {
    QObject* o = c->Create(parentWidget);
    if (o != nullptr && !o->isWidgetType() && parentObject != nullptr) o->setParent(parentObject);
    return o;
  }
  if (source->isWidgetType()) {
    if (QObject* o = meta->newInstance(Q_ARG(QWidget*, parentWidget))) return o;
  } else {
    if (QObject* o = meta->newInstance(Q_ARG(QObject*, parentObject))) return o;
  }
  for (const KnownClass& k : kKnownClasses)
    if (std::string_view(meta->className()) == k.name) return k.make(parentWidget);
  if (!source->isWidgetType() && std::string_view(meta->className()) == "QObject") return new QObject(parentObject);
  return nullptr;
}

void CopyFieldSettings(QObject* from, QObject* to) {
  TFieldControl* src = AsFieldControl(from);
  TFieldControl* dst = AsFieldControl(to);
  if (src == nullptr || dst == nullptr) return;
  dst->SetCustomIDstring(src->CustomIDstring());
  dst->SetXmlTag(src->XmlTag());
  dst->SetStored(src->Stored());
  if (auto* s = qobject_cast<TNumFld*>(from); auto* d = qobject_cast<TNumFld*>(to)) {
    d->SetParType(s->ParType());
    d->SetUnitSystem(s->UnitSystem());
    d->SetDisplayFormat(s->DisplayFormat());
    d->SetFormatSettings(s->FormatSettings());
    d->SetErrorIDstring(s->ErrorIDstring());
    d->SetEnableOverride(s->EnableOverride());
    d->SetFontColor(s->FontColor());
  }
  if (auto* s = qobject_cast<TRadioGrpFld*>(from); auto* d = qobject_cast<TRadioGrpFld*>(to)) {
    d->SetItems(s->Items());
    d->SetColumns(s->Columns());
    d->OnClick = s->OnClick;
  }
  if (auto* s = qobject_cast<TComboBoxFld*>(from); auto* d = qobject_cast<TComboBoxFld*>(to)) {
    std::vector<std::string> items;
    for (int i = 0; i < s->count(); ++i)
      items.push_back(s->itemText(i).toStdString());
    d->SetItems(items);
  }
  if (auto* s = qobject_cast<TNumGrid*>(from); auto* d = qobject_cast<TNumGrid*>(to)) {
    d->SetSize(s->ColCount(), s->RowCount());
    for (int c = 0; c < s->ColCount(); ++c)
      *d->GetColumn(c) = *s->GetColumn(c);
    d->SetFixedCols(s->FixedCols());
    d->SetFixedRows(s->FixedRows());
    d->SetUnitSystem(s->UnitSystem());
  }
  // The value last, after the settings that decide how it reads.
  pugi::xml_document doc;
  pugi::xml_node e = doc.append_child("v");
  src->WriteValueToXML(e);
  dst->ReadValueFromXML(e);
  dst->OnChange = src->OnChange;
}

void CopyProperties(const QObject* from, QObject* to) {
  const QMetaObject* meta = from->metaObject();
  for (int i = 0; i < meta->propertyCount(); ++i) {
    const QMetaProperty p = meta->property(i);
    if (!p.isStored() || !p.isWritable()) continue;
    const QString name = QString::fromLatin1(p.name());
    // The name stays unique; visibility is copied as the own flag below.
    if (name.compare("objectName", Qt::CaseInsensitive) == 0 || name.compare("name", Qt::CaseInsensitive) == 0 ||
        name == "visible" || name == "hidden")
      continue;
    const QVariant value = p.read(from);
    // Writing what the new object holds already is skipped: some setters
    // clear other properties (a label's null pixmap clears its text).
    const QMetaType type = value.metaType();
    if (type.isEqualityComparable() && value == p.read(to)) continue;
    if ((type == QMetaType::fromType<QPixmap>() && value.value<QPixmap>().isNull()) ||
        (type == QMetaType::fromType<QIcon>() && value.value<QIcon>().isNull()) ||
        (type == QMetaType::fromType<QImage>() && value.value<QImage>().isNull()))
      continue;
    p.write(to, value);
  }
  for (const QByteArray& dyn : from->dynamicPropertyNames())
    to->setProperty(dyn.constData(), from->property(dyn.constData()));
}

// A page of a tab widget: its parent is the tab widget's page stack.
const QTabWidget* TabWidgetOfPage(const QWidget* w) {
  const QWidget* stack = w->parentWidget();
  if (qobject_cast<const QStackedWidget*>(stack) == nullptr) return nullptr;
  return qobject_cast<const QTabWidget*>(stack->parentWidget());
}

bool TabVisible(const QWidget* page) {
  const QTabWidget* tabs = TabWidgetOfPage(page);
  const int i = tabs->indexOf(const_cast<QWidget*>(page));
  return i >= 0 && tabs->isTabVisible(i);
}

// The control's own visibility flag, whatever its parents' state.
bool OwnVisible(const QWidget* w) {
  if (w->isWindow()) return w->isVisible();
  return !w->isHidden();
}

// The control's own enabled flag, whatever its parents' state.
bool OwnEnabled(const QWidget* w) { return !w->testAttribute(Qt::WA_ForceDisabled); }

bool IsForm(const QWidget* w) { return w != nullptr && w->isWindow(); }

std::string Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return std::string(s);
}

bool ParseInt(const std::string& s, int& v) {
  if (s.empty()) return false;
  const char* first = s.data() + (s.front() == '+' ? 1 : 0);
  auto [ptr, ec] = std::from_chars(first, s.data() + s.size(), v);
  return ec == std::errc() && ptr == s.data() + s.size();
}

bool SameText(const QString& a, std::string_view b) {
  return a.compare(QString::fromUtf8(b.data(), static_cast<qsizetype>(b.size())), Qt::CaseInsensitive) == 0;
}

bool IsTextColumn(const TNumGrid* grid, int col) {
  const TNumColumn* c = grid->Columns().GetColumn(col);
  return c != nullptr && c->TextColumn;
}

// --- Single-instance channel ---

constexpr quint32 kCopyDataMessage = 74;  // the copy-data message of the hand-over
constexpr int kConnectMs = 1000;
constexpr int kAnswerMs = 5000;
// How long a second instance waits for a first one that holds the start-up
// lock but does not listen yet, and the pause between its attempts.
constexpr int kStartingMs = 2000;
constexpr unsigned long kRetryMs = 50;
// A hand-over larger than this is no command line.
constexpr quint32 kMaxPayload = 1u << 20;

// The user's runtime folder, private to the user (mode 0700), or "" when it
// cannot be had or is not private: local channels in a shared folder such as
// /tmp could be taken, or listened on in advance, by another user.
QString PrivateRuntimeFolder() {
  const QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (dir.isEmpty() || !QDir().mkpath(dir)) return {};
  constexpr QFileDevice::Permissions kOwnerOnly =
      QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadUser |
      QFileDevice::WriteUser | QFileDevice::ExeUser;
  QFileInfo info(dir);
  if (!info.isDir() || info.ownerId() != static_cast<uint>(::getuid())) return {};
  if (info.permissions() != kOwnerOnly && !QFile::setPermissions(dir, kOwnerOnly)) return {};
  return dir;
}

// The channel's file name in the runtime folder: the window class with the
// characters that a file name cannot hold replaced.
QString ChannelBase(std::string_view windowClass) {
  return QString::fromStdString(ValidFBtableOrIDname(windowClass.empty() ? std::string_view("_") : windowClass,
                                                     false, '_'));
}

QString ChannelName(std::string_view windowClass) {
  const QString dir = PrivateRuntimeFolder();
  return dir.isEmpty() ? QString() : dir + "/" + ChannelBase(windowClass) + ".instance";
}

QString LockName(std::string_view windowClass) {
  const QString dir = PrivateRuntimeFolder();
  return dir.isEmpty() ? QString() : dir + "/" + ChannelBase(windowClass) + ".lock";
}

// Whether another process holds the start-up lock of windowClass: an
// instance that is starting or running, whose channel may not answer yet.
bool LockHeldElsewhere(std::string_view windowClass) {
  const QString name = LockName(windowClass);
  if (name.isEmpty()) return false;
  // Read, not taken: taking it even for a moment could turn away an instance
  // that is starting just then.
  qint64 pid = 0;
  QString host, app;
  if (!QLockFile(name).getLockInfo(&pid, &host, &app) || pid <= 0 || pid == QCoreApplication::applicationPid())
    return false;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;  // alive
}

QByteArray Frame(quint32 message, quint32 id, const QByteArray& data) {
  QByteArray out;
  QDataStream s(&out, QIODevice::WriteOnly);
  s << message << id << static_cast<quint32>(data.size());
  out.append(data);
  return out;
}

// Sends one frame and waits for the receiver's answer; -1 when none came.
qint32 Send(QLocalSocket& socket, quint32 message, quint32 id, const QByteArray& data) {
  socket.write(Frame(message, id, data));
  if (!socket.waitForBytesWritten(kAnswerMs)) return -1;
  while (socket.bytesAvailable() < 4)
    if (!socket.waitForReadyRead(kAnswerMs)) return -1;
  QDataStream in(&socket);
  qint32 answer = -1;
  in >> answer;
  return answer;
}

}  // namespace

// --- Control properties -----------------------------------------------------------

int ControlTag(const QObject* control) {
  if (control == nullptr) return 0;
  const QVariant v = control->property(kTagProperty);
  return v.isValid() ? v.toInt() : 0;
}

void SetControlTag(QObject* control, int tag) { control->setProperty(kTagProperty, tag); }

QColor TColorToQColor(TColor color) {
  const TColor c = ColorToRGB(color);
  return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

TColor QColorToTColor(const QColor& color) { return RGBColor(color.red(), color.green(), color.blue()); }

TColor ControlFontColor(const QWidget* control) {
  if (const QVariant v = control->property(kFontColorProperty); v.isValid()) return static_cast<TColor>(v.toInt());
  if (auto* num = qobject_cast<const TNumFld*>(control)) {
    const QColor c = num->FontColor();
    return c == QApplication::palette(num->Editor()).color(QPalette::Text) ? clWindowText : QColorToTColor(c);
  }
  const QColor c = control->palette().color(control->foregroundRole());
  const QColor standard = QApplication::palette(control).color(control->foregroundRole());
  return c == standard ? clWindowText : QColorToTColor(c);
}

void SetControlFontColor(QWidget* control, TColor color) {
  control->setProperty(kFontColorProperty, static_cast<int>(color));
  QColor c = TColorToQColor(color);
  if (auto* num = qobject_cast<TNumFld*>(control)) {
    num->SetFontColor(color == clWindowText ? QApplication::palette(num->Editor()).color(QPalette::Text) : c);
    return;
  }
  if (color == clWindowText) c = QApplication::palette(control).color(control->foregroundRole());
  QPalette p = control->palette();
  p.setColor(control->foregroundRole(), c);
  p.setColor(QPalette::Text, c);
  control->setPalette(p);
}

// --- Components --------------------------------------------------------------------------

int IndexOfComponent(const QObject* owner, const QObject* component) {
  if (owner == nullptr || component == nullptr) return -1;
  const QObjectList& children = owner->children();
  return static_cast<int>(children.indexOf(const_cast<QObject*>(component)));
}

QObject* CloneComponent(QObject* source, bool recursive, QWidget* newParent, QObject* owner) {
  if (source == nullptr) throw EAssertionFailed();
  QWidget* parentWidget = newParent;
  if (parentWidget == nullptr && owner != nullptr && owner->isWidgetType()) parentWidget = static_cast<QWidget*>(owner);
  QObject* clone = NewInstance(source, parentWidget, owner);
  if (clone == nullptr) return nullptr;
  // Children the new object made itself are its inner parts, not copies to make.
  const bool hasOwnChildren = !clone->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).isEmpty();
  CopyProperties(source, clone);
  CopyFieldSettings(source, clone);
  if (source->isWidgetType() && clone->isWidgetType()) {
    auto* src = static_cast<QWidget*>(source);
    auto* dst = static_cast<QWidget*>(clone);
    if (!src->isWindow()) dst->setHidden(src->isHidden());
    if (recursive && !hasOwnChildren) {
      for (QWidget* child : src->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        CloneComponent(child, true, dst, owner);
    }
  }
  return clone;
}

// --- Visibility and activity -------------------------------------------------------------

bool InputNumFldControlEnabled(const TNumFld* field, const QWidget* stopAt) {
  if (field == nullptr) return false;
  if (field->EnableOverride()) return true;
  const QWidget* c = field;
  while (OwnEnabled(c) && c != stopAt && c->parentWidget() != nullptr)
    c = c->parentWidget();
  return OwnEnabled(c);
}

bool InputControlVisible(const QWidget* control) {
  if (control == nullptr) return false;
  const bool own = TabWidgetOfPage(control) != nullptr ? TabVisible(control)
                                                       : (OwnVisible(control) || ControlTag(control) == kAlwaysVisibleTag);
  if (!own) return false;
  const QWidget* parent = control->parentWidget();
  if (IsForm(control) || IsForm(parent)) return true;
  if (parent == nullptr) return false;
  if (TabWidgetOfPage(parent) != nullptr) return TabVisible(parent);
  if (!OwnVisible(parent)) return false;
  return InputControlVisible(parent);
}

bool InputControlActiveForCfgAndCase(const QWidget* control, bool B1, bool B2, bool B3, bool B4, bool B5, bool B6,
                                     TSimulationType simType) {
  const int tag = ControlTag(control);
  const TColor font = ControlFontColor(control);
  if (tag == 9) return true;
  if (B1 && tag == 0 && font == CaseFontColor(stOD)) return true;
  if (!B1 && tag == 0) return false;
  if (!InputControlVisible(control) || !B2 || tag == -1) return false;
  if (font == CaseFontColor(stDP) && simType == stOD && !B6) return false;
  if (B3) {
    const int c = CaseTagID(simType);
    bool last = false;
    if (tag < 10 || tag == c || tag == 33)
      last = true;
    else if (tag == 34)
      last = c != 11;
    else if (tag == 11 && c == 22 && B6)
      last = true;
    else if (tag == 22 && c == 11 && B5)
      last = true;
    if (!last) return false;
    return tag != 4;
  }
  if (tag == 34) return true;
  if (B4) return true;
  return tag <= 11;
}

// --- Grids --------------------------------------------------------------------------------

void FitComboBoxToGridCell(QComboBox* combo, const TNumGrid* grid, int col, int row, bool show) {
  if (combo == nullptr || grid == nullptr) return;
  col = std::max(col, grid->FixedCols());
  const QModelIndex index = grid->model()->index(row, col);
  QRect cell = grid->visualRect(index);
  // The cell in the combo's parent: offset by the grid's place there.
  QWidget* target = combo->parentWidget();
  const QPoint topLeft = target != nullptr ? grid->viewport()->mapTo(target->window(), cell.topLeft()) : cell.topLeft();
  const QPoint local = target != nullptr ? target->mapFrom(target->window(), topLeft) : topLeft;
  combo->setGeometry(QRect(local, cell.size()));
  const QString text = QString::fromStdString(grid->Cells(col, row));
  if (!combo->isEditable())
    combo->setCurrentIndex(combo->findText(text, Qt::MatchExactly));
  else
    combo->setEditText(text);
  if (show) {
    combo->show();
    if (combo->isEnabled() && combo->focusPolicy() != Qt::NoFocus) combo->setFocus();
  }
}

int GridStringLookupRow(const TNumGrid* grid, int col, std::string_view value) {
  if (grid == nullptr || !IsTextColumn(grid, col)) return -1;
  for (int r = 0; r < grid->RowCount(); ++r) {
    const QTableWidgetItem* it = grid->item(r, col);
    if (it != nullptr && SameText(it->text(), value)) return r;
    if (it == nullptr && value.empty()) return r;
  }
  return -1;
}

bool GridStringLookupString(const TNumGrid* grid, int keyCol, int valueCol, std::string_view key, std::string& value) {
  const int row = GridStringLookupRow(grid, keyCol, key);
  if (row < 0) return false;
  value = IsTextColumn(grid, valueCol) ? grid->Cells(valueCol, row) : FloatToStr(grid->GetDValues(valueCol, row));
  return true;
}

// --- Fonts ---------------------------------------------------------------------------------

TFont::TFont() : Font(QStringLiteral("Tahoma")) { Font.setPointSize(8); }

TFontStyles FontStyles(const QFont& font) {
  TFontStyles s;
  if (font.bold()) s.insert(fsBold);
  if (font.italic()) s.insert(fsItalic);
  if (font.underline()) s.insert(fsUnderline);
  if (font.strikeOut()) s.insert(fsStrikeOut);
  return s;
}

void SetFontStyles(QFont& font, TFontStyles styles) {
  font.setBold(styles.contains(fsBold));
  font.setItalic(styles.contains(fsItalic));
  font.setUnderline(styles.contains(fsUnderline));
  font.setStrikeOut(styles.contains(fsStrikeOut));
}

std::string FontToString(const TFont& font) {
  return Format("%s,%d,%s,%d,%s,%d", {font.Font.family().toStdString(), font.Font.pointSize(),
                                      FontStylesToString(FontStyles(font.Font)), font.Pitch,
                                      ColorToString(font.Color), font.Charset});
}

std::unique_ptr<TFont> StringToFont(std::string_view text) {
  auto font = std::make_unique<TFont>();
  int field = 0;
  std::size_t start = 0;
  while (field < 6 && start <= text.size()) {
    std::size_t end = text.find_first_of(",;", start);
    if (end == std::string_view::npos) end = text.size();
    const std::string part = Trim(text.substr(start, end - start));
    int n = 0;
    switch (field) {
      case 0:
        if (!part.empty()) font->Font.setFamily(QString::fromStdString(part));
        break;
      case 1:
        if (ParseInt(part, n) && n > 0) font->Font.setPointSize(n);
        break;
      case 2:
        SetFontStyles(font->Font, StringToFontStyles(part));
        break;
      case 3:
        if (ParseInt(part, n)) font->Pitch = n;
        break;
      case 4: {
        TColor c = 0;
        if (StringToColor(part, c)) font->Color = c;
        break;
      }
      case 5:
        if (ParseInt(part, n)) font->Charset = n;
        break;
    }
    ++field;
    if (end == text.size()) break;
    start = end + 1;
  }
  return font;
}

// --- Text ------------------------------------------------------------------------------------

const char* PAnsiCharFromUnicode(const QString& s) {
  thread_local std::array<QByteArray, 16> ring;
  thread_local std::size_t next = 0;
  QByteArray& slot = ring[next];
  next = (next + 1) % ring.size();
  slot = s.toUtf8();
  return slot.constData();
}

// --- Drawing -------------------------------------------------------------------------------------

void FillPixelFrame(QPainter& painter, const QRect& r, const QColor& colour) {
  if (r.isEmpty()) return;
  const bool aa = painter.testRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), colour);
  painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), colour);
  if (r.height() > 2) {
    painter.fillRect(QRect(r.left(), r.top() + 1, 1, r.height() - 2), colour);
    painter.fillRect(QRect(r.right(), r.top() + 1, 1, r.height() - 2), colour);
  }
  painter.setRenderHint(QPainter::Antialiasing, aa);
}

// --- Single instance ----------------------------------------------------------------------------

std::string FindDuplicateMainWdw(std::string_view windowClass) {
  const QString name = ChannelName(windowClass);
  if (name.isEmpty()) return std::string();
  // An instance that holds the start-up lock but does not answer yet is
  // between taking the lock and listening: give it a moment.
  QElapsedTimer waited;
  waited.start();
  for (;;) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (socket.waitForConnected(kConnectMs)) {
      socket.disconnectFromServer();
      return name.toStdString();
    }
    if (waited.elapsed() >= kStartingMs || !LockHeldElsewhere(windowClass)) return std::string();
    QThread::msleep(kRetryMs);
  }
}

bool SwitchToPrevInst(const std::string& wnd, const QStringList& parameters) {
  if (wnd.empty()) throw EAssertionFailed();
  QLocalSocket socket;
  socket.connectToServer(QString::fromStdString(wnd));
  if (!socket.waitForConnected(kConnectMs)) return false;
  bool ok = true;
  if (!parameters.isEmpty()) ok = Send(socket, kCopyDataMessage, CopyDataParamsID, PackParameters(parameters)) == 1;
  if (ok) ok = Send(socket, SwitchToInstanceMessage, 0, QByteArray()) >= 0;
  socket.disconnectFromServer();
  return ok;
}

bool SwitchToPrevInst(const std::string& wnd) {
  QStringList args = QCoreApplication::arguments();
  if (!args.isEmpty()) args.removeFirst();
  return SwitchToPrevInst(wnd, args);
}

std::string InstanceLockFileName(std::string_view windowClass) { return LockName(windowClass).toStdString(); }

QByteArray PackParameters(const QStringList& parameters) {
  QByteArray data;
  QDataStream out(&data, QIODevice::WriteOnly);
  out.setVersion(QDataStream::Qt_6_0);
  out.setByteOrder(QDataStream::LittleEndian);
  out << static_cast<quint32>(parameters.size());
  for (const QString& p : parameters) {
    out << static_cast<quint32>(p.size());
    for (QChar ch : p) out << static_cast<quint16>(ch.unicode());
  }
  return data;
}

bool UnpackParameters(const QByteArray& data, QStringList& parameters) {
  parameters.clear();
  QDataStream in(data);
  in.setVersion(QDataStream::Qt_6_0);
  in.setByteOrder(QDataStream::LittleEndian);
  quint32 count = 0;
  in >> count;
  // Every parameter takes at least its 4-byte length: a count beyond that is garbage.
  if (in.status() != QDataStream::Ok || count > static_cast<quint32>(data.size()) / 4) return false;
  for (quint32 i = 0; i < count; ++i) {
    quint32 length = 0;
    in >> length;
    if (in.status() != QDataStream::Ok || length > static_cast<quint32>(data.size()) / 2) return false;
    QString p(static_cast<qsizetype>(length), Qt::Uninitialized);
    for (quint32 k = 0; k < length; ++k) {
      quint16 ch = 0;
      in >> ch;
      p[static_cast<qsizetype>(k)] = QChar(ch);
    }
    if (in.status() != QDataStream::Ok) return false;
    parameters.push_back(p);
  }
  return in.atEnd();
}

TInstanceServer::TInstanceServer(QObject* parent) : QObject(parent), server_(new QLocalServer(this)) {
  connect(server_, &QLocalServer::newConnection, this, &TInstanceServer::OnConnection);
}

TInstanceServer::~TInstanceServer() = default;

bool TInstanceServer::Listen(std::string_view windowClass) {
  if (server_->isListening()) return false;
  const QString name = ChannelName(windowClass);
  const QString lockName = LockName(windowClass);
  if (name.isEmpty() || lockName.isEmpty()) return false;
  // The lock decides between two instances started at once: only its holder
  // listens, for as long as it lives. A lock left by a process that ended is
  // taken over.
  auto lock = std::make_unique<QLockFile>(lockName);
  lock->setStaleLockTime(0);
  if (!lock->tryLock(0)) return false;
  QLocalSocket probe;
  probe.connectToServer(name);
  if (probe.waitForConnected(kConnectMs)) return false;  // an instance of before the lock
  // Nobody answers: a channel file left by an instance that ended abnormally.
  QLocalServer::removeServer(name);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(name)) return false;
  lock_ = std::move(lock);
  return true;
}

void TInstanceServer::OnConnection() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      // Frames: message, identifier, byte count, bytes; one answer each.
      while (socket->bytesAvailable() >= 12) {
        const QByteArray head = socket->peek(12);
        QDataStream h(head);
        quint32 message = 0, id = 0, size = 0;
        h >> message >> id >> size;
        if (size > kMaxPayload) {
          socket->abort();
          return;
        }
        if (socket->bytesAvailable() < 12 + static_cast<qint64>(size)) return;
        socket->read(12);
        const QByteArray data = socket->read(size);
        qint32 answer = 0;
        if (message == kCopyDataMessage && id == CopyDataParamsID) {
          QStringList params;
          if (UnpackParameters(data, params)) {
            emit ParametersReceived(params);
            answer = 1;
          }
        } else if (message == SwitchToInstanceMessage) {
          if (mainWindow_ != nullptr) {
            if (mainWindow_->isMinimized()) mainWindow_->showNormal();
            mainWindow_->raise();
            mainWindow_->activateWindow();
          }
          emit Activated();
          answer = 1;
        }
        QByteArray reply;
        QDataStream r(&reply, QIODevice::WriteOnly);
        r << answer;
        socket->write(reply);
        socket->flush();
      }
    });
  }
}

}  // namespace vyr
