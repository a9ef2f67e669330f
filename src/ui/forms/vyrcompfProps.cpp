// The component form's property access by name, the labels of its numeric
// fields in value errors, and its plain-text data report.
#include <climits>
#include <cmath>
#include <string_view>
#include <typeinfo>

#if defined(__GNUG__)
#include <cxxabi.h>

#include <cstdlib>
#endif

#include <QComboBox>
#include <QMetaEnum>

#include "Messages.h"
#include "SysUtils.h"
#include "vyrcompf.h"
#include "vyrcompl.h"

namespace vyr {

namespace {

const char* const kInvalidTypeInfo = "Invalid type information";

// The kinds of property value that take part in listing, reading and writing.
enum class TPropKind { None, Integer, Enumeration, Float };

TPropKind KindOf(const QMetaProperty& p) {
  if (p.isEnumType()) return TPropKind::Enumeration;
  switch (p.metaType().id()) {
    case QMetaType::Bool:
      return TPropKind::Enumeration;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::SChar:
    case QMetaType::UChar:
      return TPropKind::Integer;
    case QMetaType::Double:
    case QMetaType::Float:
      return TPropKind::Float;
    default:
      return TPropKind::None;
  }
}

// Name of the value type as the list shows it.
std::string TypeName(const QMetaProperty& p) {
  if (p.isEnumType()) return p.enumerator().enumName();
  switch (p.metaType().id()) {
    case QMetaType::Bool: return "Boolean";
    case QMetaType::Int: return "Integer";
    case QMetaType::UInt: return "Cardinal";
    case QMetaType::Short: return "SmallInt";
    case QMetaType::UShort: return "Word";
    case QMetaType::SChar: return "ShortInt";
    case QMetaType::UChar: return "Byte";
    case QMetaType::Float: return "Single";
    default: return "Double";
  }
}

// The range of an integer property's type.
void IntegerRange(const QMetaProperty& p, double& lo, double& hi) {
  switch (p.metaType().id()) {
    case QMetaType::UInt: lo = 0; hi = UINT_MAX; return;
    case QMetaType::Short: lo = SHRT_MIN; hi = SHRT_MAX; return;
    case QMetaType::UShort: lo = 0; hi = USHRT_MAX; return;
    case QMetaType::SChar: lo = SCHAR_MIN; hi = SCHAR_MAX; return;
    case QMetaType::UChar: lo = 0; hi = UCHAR_MAX; return;
    default: lo = INT_MIN; hi = INT_MAX; return;
  }
}

// The class name without namespaces (and without the "class " a compiler may put first).
std::string_view Unqualified(std::string_view name) {
  for (std::string_view lead : {"class ", "struct "})
    if (name.substr(0, lead.size()) == lead) name.remove_prefix(lead.size());
  if (const auto pos = name.rfind("::"); pos != std::string_view::npos) name.remove_prefix(pos + 2);
  return name;
}

std::string DynamicClassName(const std::type_info& type) {
#if defined(__GNUG__)
  int status = 0;
  char* plain = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
  if (status == 0 && plain != nullptr) {
    std::string name(plain);
    std::free(plain);
    return name;
  }
  std::free(plain);
#endif
  return type.name();
}

bool IsBlank(const std::string& s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) > ' ') return false;
  return true;
}

// First property index of the component form classes: QObject's and
// QWidget's own properties never take part.
int CompformPropertyOffset(const QMetaObject& meta) {
  return meta.inherits(&TVYRcompform::staticMetaObject) ? TVYRcompform::staticMetaObject.propertyOffset()
                                                         : meta.propertyOffset();
}

const std::string kSeparator(80, '-');

}  // namespace

// --- Property access ----------------------------------------------------------------

bool TVYRcompform::HasOwnMetaObject() const {
  // A derived class without Q_OBJECT shows its base's meta-object: its own
  // properties would be missing without notice.
  return Unqualified(metaObject()->className()) == Unqualified(DynamicClassName(typeid(*this)));
}

int TVYRcompform::FirstPropertyIndex() const { return CompformPropertyOffset(*metaObject()); }

void TVYRcompform::GetPropertyList(std::vector<std::string>& list, const std::string& prefix) {
  if (!HasOwnMetaObject()) throw VYRexception(kInvalidTypeInfo);
  const QMetaObject* meta = metaObject();
  const std::string twice = prefix + prefix;
  for (int i = FirstPropertyIndex(); i < meta->propertyCount(); ++i) {
    const QMetaProperty p = meta->property(i);
    if (KindOf(p) == TPropKind::None) continue;
    const std::string name = p.name();
    if (name.compare(0, prefix.size(), prefix) != 0 || name.compare(0, twice.size(), twice) == 0) continue;
    if (!PropActive(name)) continue;
    list.push_back(name.substr(prefix.size()) + " : " + TypeName(p));
  }
}

QMetaProperty TVYRcompform::GetProperty(const std::string& name) const {
  if (IsBlank(name) || !HasOwnMetaObject()) return {};
  const QMetaObject* meta = metaObject();
  for (int i = FirstPropertyIndex(); i < meta->propertyCount(); ++i) {
    const QMetaProperty p = meta->property(i);
    if (name == p.name()) return p;
  }
  return {};
}

std::string TVYRcompform::GetPropNameFromStr(const std::string& text) {
  std::string name = text.substr(0, text.find(' '));
  if (!name.empty() && name.front() != '-') name.insert(0, "_");
  if (name.find("des") != std::string::npos) name.insert(0, "_");
  return name;
}

double TVYRcompform::GetPropertyValue(const std::string& text) const {
  const QMetaProperty p = GetProperty(GetPropNameFromStr(text));
  if (!p.isValid()) return 0;
  const TPropKind kind = KindOf(p);
  if (kind == TPropKind::None) throw VYRexception(kInvalidTypeInfo);
  const QVariant v = p.read(this);
  if (kind == TPropKind::Enumeration && p.isEnumType()) return v.toInt();
  return v.toDouble();
}

void TVYRcompform::SetPropertyValue(const std::string& text, double value) {
  const std::string name = GetPropNameFromStr(text);
  const QMetaProperty p = GetProperty(name);
  if (!p.isValid()) return;
  const TPropKind kind = KindOf(p);
  if (kind == TPropKind::None) throw VYRexception(kInvalidTypeInfo);
  const auto refuse = [&] {
    throw VYRexception("Value " + FloatToStr(value) + " is no value of property " + name + " (" + TypeName(p) + ")");
  };
  if (kind == TPropKind::Float) {
    p.write(this, p.metaType().id() == QMetaType::Float ? QVariant(static_cast<float>(value)) : QVariant(value));
    return;
  }
  if (p.metaType().id() == QMetaType::Bool) {
    if (std::isnan(value)) refuse();
    p.write(this, QVariant(value != 0));
    return;
  }
  const double whole = std::nearbyint(value);
  if (kind == TPropKind::Enumeration) {
    if (!(whole >= INT_MIN && whole <= INT_MAX) || p.enumerator().valueToKey(static_cast<int>(whole)) == nullptr)
      refuse();
    p.write(this, QVariant(static_cast<int>(whole)));
    return;
  }
  double lo = 0;
  double hi = 0;
  IntegerRange(p, lo, hi);
  if (!(whole >= lo && whole <= hi)) refuse();
  QVariant v(static_cast<qlonglong>(whole));
  v.convert(p.metaType());
  p.write(this, v);
}

void TVYRcompform::GetProperties_into_ComboBox(QComboBox* box, const std::string& prefix) {
  if (box == nullptr) return;
  std::vector<std::string> list;
  GetPropertyList(list, prefix);
  if (auto* field = qobject_cast<TComboBoxFld*>(box)) {
    // The field keeps its stored text and selects its item when listed.
    const std::string stored = field->ValueText();
    field->SetItems(list);
    field->SetValueText(stored);
    return;
  }
  box->clear();
  for (const std::string& entry : list)
    box->addItem(QString::fromStdString(entry));
}

TNumFld* TVYRcompform::FindNumFldByCaption(const std::string& caption) const {
  for (TNumFld* f : NumFields())
    if (f->LabelCaption() == caption) return f;
  return nullptr;
}

void TVYRcompform::SetNumFldErrorIDstrings() {
  const std::string in = " in " + IDstr();
  for (TNumFld* f : NumFields())
    f->SetErrorIDstring(f->GetIDstring() + in);
}

// --- Property names of a class -------------------------------------------------------

std::vector<std::string> UnreachablePropertyNames(const QMetaObject& meta) {
  std::vector<std::string> names;
  for (int i = CompformPropertyOffset(meta); i < meta.propertyCount(); ++i) {
    const QMetaProperty p = meta.property(i);
    if (KindOf(p) == TPropKind::None) continue;
    const std::string name = p.name();
    if (name.empty() || name.front() != '_') continue;
    // The entry the list shows, turned back into a name, must give the name.
    const std::size_t prefix = name.compare(0, 2, "__") == 0 ? 2 : 1;
    if (TVYRcompform::GetPropNameFromStr(name.substr(prefix) + " : " + TypeName(p)) != name) names.push_back(name);
  }
  return names;
}

bool CheckCompformPropertyNames(const QMetaObject& meta) {
  const std::vector<std::string> names = UnreachablePropertyNames(meta);
  for (const std::string& name : names)
    MessageDlg("Property \"" + name + "\" of component form class " + std::string(meta.className()) +
                   " cannot be found by name: names holding \"des\" begin with \"__\", others with a single \"_\".",
               mtWarning, {mbOK}, 0);
  return names.empty();
}

// --- Data report -------------------------------------------------------------------------

void TVYRcompform::GeneralDataToLines(std::vector<std::string>& lines) {
  lines.push_back("General Data:");
  lines.push_back(kSeparator);
}

void TVYRcompform::DesignDataToLines(std::vector<std::string>& lines) {
  lines.push_back(" ");
  lines.push_back("Design Point Data:");
  lines.push_back(kSeparator);
}

void TVYRcompform::DeteriorationDataToLines(std::vector<std::string>& lines) {
  if (!Deteriorated->Checked()) return;
  lines.push_back(" ");
  lines.push_back("Deterioration Data:");
  lines.push_back(kSeparator);
}

void TVYRcompform::TransientDataToLines(std::vector<std::string>&) {}

void TVYRcompform::FormDataToLines(std::vector<std::string>& lines) {
  std::string heading = IDstr();
  if (TVYRcomp* icon = Icon()) heading += "  " + icon->AllStationNrsStr();
  lines.push_back(heading);
  lines.push_back(std::string(80, '='));
  const std::vector<std::string> remarks = Remarks->Lines();
  if (!remarks.empty()) {
    lines.push_back(" ");
    lines.push_back("Remarks:");
    lines.push_back(kSeparator);
    lines.insert(lines.end(), remarks.begin(), remarks.end());
    lines.push_back(kSeparator);
  }
  using TSection = void (TVYRcompform::*)(std::vector<std::string>&);
  for (TSection section : {&TVYRcompform::GeneralDataToLines, &TVYRcompform::DesignDataToLines,
                           &TVYRcompform::DeteriorationDataToLines, &TVYRcompform::TransientDataToLines}) {
    const std::size_t before = lines.size();
    (this->*section)(lines);
    if (lines.size() != before) lines.push_back(kSeparator);
  }
}

}  // namespace vyr
