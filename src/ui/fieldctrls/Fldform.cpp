#include "Fldform.h"

#include <algorithm>
#include <charconv>
#include <istream>
#include <ostream>
#include <sstream>
#include <unordered_map>

#include <QHBoxLayout>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vyr {

namespace {

TShowModalHandler& ModalHandler() {
  static TShowModalHandler handler;
  return handler;
}

constexpr std::string_view kStreamMagic = "FLDFORM";
// A frame is read in pieces of this size, so that memory follows the bytes
// that really arrive rather than what the header claims.
constexpr std::size_t kFrameChunk = std::size_t{1} << 16;

std::string ElementPath(pugi::xml_node n) {
  std::string path;
  for (; n && n.type() == pugi::node_element; n = n.parent())
    path = path.empty() ? std::string(n.name()) : std::string(n.name()) + "/" + path;
  return path;
}

// Reads exactly size bytes into text; false when the stream ends first.
bool ReadBytes(std::istream& stream, std::size_t size, std::string& text) {
  text.clear();
  while (text.size() < size) {
    const std::size_t piece = std::min(kFrameChunk, size - text.size());
    const std::size_t at = text.size();
    text.resize(at + piece);
    if (!stream.read(text.data() + at, static_cast<std::streamsize>(piece))) return false;
  }
  return true;
}

bool NameStartChar(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
}

bool NameChar(unsigned char c) { return NameStartChar(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

// An ID string as an XML element or attribute name.
std::string XmlName(std::string id) {
  if (id.empty()) return "_";
  for (char& c : id)
    if (!NameChar(static_cast<unsigned char>(c))) c = '_';
  if (!NameStartChar(static_cast<unsigned char>(id.front()))) id.insert(id.begin(), '_');
  return id;
}

std::string Key(std::string_view name, std::string_view id) {
  std::string k(name);
  k += '\x01';
  k += id;
  return k;
}

// The element of each (name, ID) among node's children; the first one wins.
std::unordered_map<std::string, pugi::xml_node> ChildIndex(pugi::xml_node node) {
  std::unordered_map<std::string, pugi::xml_node> index;
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
    if (c.type() == pugi::node_element) index.emplace(Key(c.name(), c.attribute("ID").value()), c);
  return index;
}

// Where the fields go: each stored field with its name and repeat number.
struct FieldSlot {
  TFieldControl* field;
  std::string name;
  std::string id;  // "" for the first field of a name
};

std::vector<FieldSlot> Slots(const std::vector<TFieldControl*>& fields) {
  std::vector<FieldSlot> out;
  out.reserve(fields.size());
  std::unordered_map<std::string, int> seen;
  for (TFieldControl* f : fields) {
    if (!f->Stored()) continue;
    std::string name = XmlName(f->GetIDstring());
    const int n = seen[name]++;
    out.push_back({f, std::move(name), n == 0 ? std::string() : std::to_string(n)});
  }
  return out;
}

// A field of XML tag 101 is an attribute, except under the name "ID", which
// identifies the element itself.
bool AsAttribute(const FieldSlot& s) { return s.field->XmlTag() == XmlTagAttribute && s.name != "ID"; }

void ClearElement(pugi::xml_node e) {
  while (pugi::xml_node c = e.first_child())
    e.remove_child(c);
  for (pugi::xml_attribute a = e.first_attribute(); a;) {
    pugi::xml_attribute next = a.next_attribute();
    if (std::string_view(a.name()) != "ID") e.remove_attribute(a);
    a = next;
  }
}

}  // namespace

TShowModalHandler SetShowModalHandler(TShowModalHandler handler) {
  TShowModalHandler previous = std::move(ModalHandler());
  ModalHandler() = std::move(handler);
  return previous;
}

TFieldForm::TFieldForm(QWidget* owner) : QDialog(owner) {
  setModal(true);
  layout_ = new QVBoxLayout;
  SetLayoutQuietly(this, layout_);
  bottomPanel_ = new QWidget(this);
  bottomPanel_->setObjectName("BottomButtonsPanel");
  auto* buttons = new QHBoxLayout;
  SetLayoutQuietly(bottomPanel_, buttons);
  buttons->setContentsMargins(0, 4, 0, 0);
  buttons->addStretch(1);
  okBtn_ = new QPushButton("OK", bottomPanel_);
  okBtn_->setObjectName("OKbtn");
  okBtn_->setDefault(true);
  cancelBtn_ = new QPushButton("Cancel", bottomPanel_);
  cancelBtn_->setObjectName("Cancelbtn");
  helpBtn_ = new QPushButton("Help", bottomPanel_);
  helpBtn_->setObjectName("HelpBtn");
  buttons->addWidget(okBtn_);
  buttons->addWidget(cancelBtn_);
  buttons->addWidget(helpBtn_);
  layout_->addWidget(bottomPanel_);
  connect(okBtn_, &QPushButton::clicked, this, &TFieldForm::OKbtnClicked);
  connect(cancelBtn_, &QPushButton::clicked, this, &TFieldForm::reject);
  connect(helpBtn_, &QPushButton::clicked, this, [this] { HelpBtnClick(); });
}

TFieldForm::~TFieldForm() = default;

void TFieldForm::EnsureCreated() {
  if (created_) return;
  created_ = true;
  FormCreate();
  createState_.reset();
  WriteToXML(createState_.append_child("CreateFormState"));
}

void TFieldForm::FormCreate() {}

void TFieldForm::FormShow() {}

void TFieldForm::OKbtnClick() {
  if (CommitEdits()) return;
  modalResult_ = mrNone;
  // The first refused entry gets the focus, its problem shown beside it.
  for (TNumFld* f : NumFields()) {
    if (f->ValueValid()) continue;
    if (f->isVisible()) f->Editor()->setFocus(Qt::OtherFocusReason);
    break;
  }
}

bool TFieldForm::FormCloseQuery(int) { return true; }

void TFieldForm::HelpBtnClick() {}

void TFieldForm::showEvent(QShowEvent* event) {
  EnsureCreated();
  FormShow();
  QDialog::showEvent(event);
}

void TFieldForm::OKbtnClicked() {
  modalResult_ = mrOk;
  OKbtnClick();
  if (modalResult_ != mrNone) done(modalResult_);
}

void TFieldForm::done(int result) {
  if (!FormCloseQuery(result)) {
    modalResult_ = mrNone;
    return;
  }
  modalResult_ = result;
  QDialog::done(result);
}

void TFieldForm::reject() {
  // Cancel drops refused entries so that the form shows its values next time.
  for (TNumFld* f : NumFields())
    if (!f->ValueValid()) f->RevertEdit();
  done(mrCancel);
}

int TFieldForm::ShowModalFocused(const std::string& controlName) {
  EnsureCreated();
  QWidget* target = controlName.empty() ? nullptr : findChild<QWidget*>(QString::fromStdString(controlName));
  if (target != nullptr) {
    // Bring forward every page on the way down to the control.
    for (QWidget* w = target; w != nullptr && w != this; w = w->parentWidget()) {
      auto* stack = qobject_cast<QStackedWidget*>(w->parentWidget());
      if (stack == nullptr) continue;
      if (auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget()))
        tabs->setCurrentWidget(w);
      else
        stack->setCurrentWidget(w);
    }
    if (auto* num = qobject_cast<TNumFld*>(target)) target = num->Editor();
    target->setFocus(Qt::OtherFocusReason);
  }
  modalResult_ = mrNone;
  int result = 0;
  if (ModalHandler()) {
    result = ModalHandler()(*this);
  } else {
    result = exec();
    if (result == QDialog::Rejected) result = mrCancel;
  }
  return result;
}

namespace {

// Depth first, in the order of the children; a field's inner widgets are its
// own parts and are not searched.
void CollectFields(const QObject* parent, std::vector<TFieldControl*>& out) {
  for (QObject* c : parent->children()) {
    if (!c->isWidgetType()) continue;
    if (TFieldControl* f = AsFieldControl(c)) {
      out.push_back(f);
      continue;
    }
    CollectFields(c, out);
  }
}

}  // namespace

std::vector<TFieldControl*> TFieldForm::Fields() const {
  std::vector<TFieldControl*> fields;
  CollectFields(this, fields);
  return fields;
}

std::vector<TNumFld*> TFieldForm::NumFields() const {
  std::vector<TNumFld*> nums;
  for (TFieldControl* f : Fields())
    if (auto* n = qobject_cast<TNumFld*>(f->FieldWidget())) nums.push_back(n);
  return nums;
}

TFieldControl* TFieldForm::FindField(std::string_view id) const {
  for (TFieldControl* f : Fields())
    if (f->GetIDstring() == id) return f;
  return nullptr;
}

bool TFieldForm::CommitEdits() {
  bool ok = true;
  for (TNumFld* f : NumFields())
    ok = f->CommitEdit() && ok;
  return ok;
}

void TFieldForm::AddClientWidget(QWidget* w, int stretch) { layout_->insertWidget(layout_->count() - 1, w, stretch); }

std::string TFieldForm::IDstr() const { return windowTitle().toStdString(); }

// --- Persistence -----------------------------------------------------------------

void TFieldForm::WriteFields(pugi::xml_node node) const {
  const std::vector<FieldSlot> places = Slots(Fields());
  // Writing again into an element reuses the fields' elements instead of adding copies.
  std::unordered_map<std::string, pugi::xml_node> existing;
  if (node.first_child()) existing = ChildIndex(node);
  for (const FieldSlot& s : places) {
    if (AsAttribute(s)) {
      pugi::xml_attribute a = node.attribute(s.name.c_str());
      if (!a) a = node.append_attribute(s.name.c_str());
      a.set_value(s.field->WriteValueToText().c_str());
      continue;
    }
    pugi::xml_node e;
    if (!existing.empty()) {
      auto it = existing.find(Key(s.name, s.id));
      if (it != existing.end()) {
        e = it->second;
        ClearElement(e);
      }
    }
    if (!e) {
      e = node.append_child(s.name.c_str());
      if (!s.id.empty()) e.append_attribute("ID").set_value(s.id.c_str());
    }
    s.field->WriteValueToXML(e);
  }
}

bool TFieldForm::ReadFields(pugi::xml_node node, bool checked) {
  if (checked) readErrors_.clear();
  if (!node) return false;
  const std::vector<FieldSlot> places = Slots(Fields());
  const std::unordered_map<std::string, pugi::xml_node> index = ChildIndex(node);
  bool ok = true;
  // One field's value from text; a file's value is held to the field's rules.
  const auto read = [&](TFieldControl* field, pugi::xml_node element, const char* text, std::string_view what) {
    if (!checked) {
      if (auto* num = qobject_cast<TNumFld*>(field->FieldWidget())) {
        double v = 0;
        if (XmlStrToFloat(text, v)) {
          num->SetValue(v);
          return;
        }
      }
    }
    if (element ? field->ReadValueFromXML(element) : field->ReadValueFromText(text)) return;
    ok = false;
    if (!checked) return;
    std::string problem = field->ReadError();
    if (problem.empty()) problem = field->GetIDstring() + ": \"" + std::string(text) + "\" is no value of this field";
    const pugi::xml_node at = element ? element : node;
    // The parser knows where an element's name starts; its tag begins one before.
    const std::ptrdiff_t offset = at.offset_debug();
    readErrors_.push_back({problem, ElementPath(at) + std::string(what), offset > 0 ? offset - 1 : offset});
  };
  for (const FieldSlot& s : places) {
    if (AsAttribute(s)) {
      if (pugi::xml_attribute a = node.attribute(s.name.c_str())) read(s.field, {}, a.value(), " @" + s.name);
      continue;
    }
    auto it = index.find(Key(s.name, s.id));
    if (it != index.end()) read(s.field, it->second, it->second.text().get(), "");
  }
  return ok;
}

std::string TFieldForm::ReadErrorReport(std::string_view source) const {
  if (source.empty()) source = frameText_;
  std::string report;
  for (const TFieldReadError& e : readErrors_) {
    if (!report.empty()) report += sLineBreak;
    report += e.Path;
    if (e.Offset >= 0 && static_cast<std::size_t>(e.Offset) <= source.size()) {
      const std::string_view before = source.substr(0, static_cast<std::size_t>(e.Offset));
      const std::size_t line = static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n')) + 1;
      const std::size_t lineStart = before.rfind('\n');
      const std::size_t column = before.size() - (lineStart == std::string_view::npos ? 0 : lineStart + 1) + 1;
      report += ", line " + std::to_string(line) + ", column " + std::to_string(column);
    } else if (e.Offset >= 0) {
      report += ", byte " + std::to_string(e.Offset);
    }
    report += ": " + e.Text;
  }
  return report;
}

void TFieldForm::WriteToXML(TVyrXmlNode node) const {
  if (!node) return;
  // A form is complete only after FormCreate; writing it is a first use too.
  const_cast<TFieldForm*>(this)->EnsureCreated();
  WriteFields(node);
  CustomWriteToXML(node);
}

bool TFieldForm::ReadFromXML(TVyrXmlNode node) {
  if (!node) return false;
  EnsureCreated();
  frameText_.clear();
  const bool fields = ReadFields(node, !ownValues_);
  const bool custom = CustomReadFromXML(node);
  return fields && custom;
}

void TFieldForm::CustomWriteToXML(TVyrXmlNode) const {}

bool TFieldForm::CustomReadFromXML(TVyrXmlNode) { return true; }

void TFieldForm::WritetoStream(std::ostream& stream) const {
  const_cast<TFieldForm*>(this)->EnsureCreated();
  pugi::xml_document doc;
  WriteFields(doc.append_child("FieldForm"));
  std::ostringstream bytes;
  doc.save(bytes, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
  const std::string text = bytes.str();
  // The header is written and read without the stream's locale: a locale with
  // digit grouping must not turn 1234 into "1.234".
  const std::string header = std::string(kStreamMagic) + ' ' + std::to_string(text.size()) + '\n';
  stream.write(header.data(), static_cast<std::streamsize>(header.size()));
  stream.write(text.data(), static_cast<std::streamsize>(text.size()));
  CustomWritetoStream(stream);
}

bool TFieldForm::ReadfromStream(std::istream& stream) {
  EnsureCreated();
  readErrors_.clear();
  frameText_.clear();
  std::string header;
  for (int c = stream.get(); c != '\n'; c = stream.get()) {
    if (c == std::char_traits<char>::eof() || header.size() > 40) return false;
    header += static_cast<char>(c);
  }
  const std::string_view h(header);
  if (h.substr(0, kStreamMagic.size()) != kStreamMagic || h.size() <= kStreamMagic.size() + 1 ||
      h[kStreamMagic.size()] != ' ')
    return false;
  std::size_t size = 0;
  const char* first = header.data() + kStreamMagic.size() + 1;
  const char* last = header.data() + header.size();
  auto [ptr, ec] = std::from_chars(first, last, size);
  if (ec != std::errc() || ptr != last || size > MaxFieldFormFrameBytes) return false;
  std::string text;
  if (!ReadBytes(stream, size, text)) return false;
  pugi::xml_document doc;
  // Line ends and blanks in values are data: no end-of-line or attribute normalisation.
  constexpr unsigned kFlags = pugi::parse_default & ~(pugi::parse_eol | pugi::parse_wconv_attribute);
  if (!doc.load_buffer(text.data(), text.size(), kFlags, pugi::encoding_utf8)) return false;
  pugi::xml_node root = doc.child("FieldForm");
  if (!root) return false;
  const bool fields = ReadFields(root);
  // Kept only while there are errors to place.
  if (readErrors_.empty())
    frameText_.clear();
  else
    frameText_ = std::move(text);
  const bool custom = CustomReadfromStream(stream);
  return fields && custom;
}

void TFieldForm::CustomWritetoStream(std::ostream&) const {}

bool TFieldForm::CustomReadfromStream(std::istream&) { return true; }

void TFieldForm::Assign(const TFieldForm& source) {
  if (&source == this) return;
  EnsureCreated();
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("FieldForm");
  source.WriteToXML(root);
  ReadOwnValues(root);
}

void TFieldForm::ResetToCreateFormState() {
  EnsureCreated();
  ReadOwnValues(createState_.first_child());
}

void TFieldForm::ReadOwnValues(pugi::xml_node node) {
  const bool previous = ownValues_;
  ownValues_ = true;
  ReadFromXML(node);
  ownValues_ = previous;
}

}  // namespace vyr
