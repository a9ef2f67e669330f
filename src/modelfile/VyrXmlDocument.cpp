// Loading and saving model files.
//
// A file is read whole and parsed by pugixml, which detects its encoding.
// Saving writes the tree back in that encoding, with the byte-order mark and
// the line ends the file had, indented by two spaces per level.
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "Messages.h"
#include "VyrNativeXml.h"
#include "XmlTree.h"

namespace vyr {

using namespace xmltree;

namespace {

// Units of one of the encodings that pugixml detects.
struct UnitFormat {
  std::size_t size = 1;    // bytes per code unit
  bool bigEndian = false;  // most significant byte first
};

// The encoding pugixml writes for enc, with "native" resolved.
pugi::xml_encoding Concrete(pugi::xml_encoding enc) {
  switch (enc) {
    case pugi::encoding_auto:
      return pugi::encoding_utf8;
    case pugi::encoding_utf16:
      return pugi::encoding_utf16_le;
    case pugi::encoding_utf32:
    case pugi::encoding_wchar:
      return sizeof(wchar_t) == 2 ? pugi::encoding_utf16_le : pugi::encoding_utf32_le;
    default:
      return enc;
  }
}

UnitFormat UnitsOf(pugi::xml_encoding enc) {
  switch (Concrete(enc)) {
    case pugi::encoding_utf16_le:
      return {2, false};
    case pugi::encoding_utf16_be:
      return {2, true};
    case pugi::encoding_utf32_le:
      return {4, false};
    case pugi::encoding_utf32_be:
      return {4, true};
    default:
      return {1, false};
  }
}

std::uint32_t ReadUnit(const unsigned char* p, UnitFormat f) {
  std::uint32_t v = 0;
  for (std::size_t k = 0; k < f.size; ++k) {
    const std::size_t byte = f.bigEndian ? k : f.size - 1 - k;
    v = (v << 8) | p[byte];
  }
  return v;
}

void AppendUnit(std::string& out, std::uint32_t v, UnitFormat f) {
  for (std::size_t k = 0; k < f.size; ++k) {
    const std::size_t shift = 8 * (f.bigEndian ? f.size - 1 - k : k);
    out += static_cast<char>((v >> shift) & 0xFF);
  }
}

std::size_t Utf8Length(std::uint32_t cp) { return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4; }

// Steps through the characters of the raw file bytes. pugixml reports
// positions in its UTF-8 form of the text, so each step also tells how many
// UTF-8 bytes the character becomes there.
class CharReader {
 public:
  CharReader(std::string_view bytes, pugi::xml_encoding enc)
      : p_(reinterpret_cast<const unsigned char*>(bytes.data())),
        end_(p_ + bytes.size()),
        enc_(Concrete(enc)),
        units_(UnitsOf(enc)) {}

  // The next character; startsColumn is false for the continuation bytes of
  // UTF-8, which the reader returns one by one. False at the end.
  bool Next(std::uint32_t& cp, std::size_t& utf8Len, bool& startsColumn) {
    if (static_cast<std::size_t>(end_ - p_) < units_.size) return false;
    startsColumn = true;
    if (units_.size == 1) {
      cp = *p_++;
      utf8Len = enc_ == pugi::encoding_latin1 && cp >= 0x80 ? 2 : 1;
      startsColumn = enc_ == pugi::encoding_latin1 || (cp & 0xC0) != 0x80;
      return true;
    }
    cp = ReadUnit(p_, units_);
    p_ += units_.size;
    if (units_.size == 2 && cp >= 0xD800 && cp < 0xE000) {
      if (cp < 0xDC00 && end_ - p_ >= 2) {
        const std::uint32_t low = ReadUnit(p_, units_);
        if (low >= 0xDC00 && low < 0xE000) {
          p_ += 2;
          cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          utf8Len = 4;
          return true;
        }
      }
      utf8Len = 0;  // a lone surrogate is dropped by the conversion
      return true;
    }
    utf8Len = Utf8Length(cp);
    return true;
  }

 private:
  const unsigned char* p_;
  const unsigned char* end_;
  pugi::xml_encoding enc_;
  UnitFormat units_;
};

struct TextPosition {
  std::size_t line = 1;
  std::size_t column = 1;
};

// Line and column (from 1, in characters) of the character at offset in
// pugixml's UTF-8 form of the file; the end of the text for a larger offset.
TextPosition PositionAt(std::string_view bytes, pugi::xml_encoding enc, std::size_t offset) {
  TextPosition pos;
  CharReader reader(bytes, enc);
  std::uint32_t cp = 0;
  std::size_t len = 0, produced = 0;
  bool startsColumn = true, afterCR = false, first = true;
  while (produced < offset && reader.Next(cp, len, startsColumn)) {
    produced += len;
    if (first) {
      first = false;
      if (cp == 0xFEFF) continue;  // byte-order mark
      if (cp == 0xEF && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        reader.Next(cp, len, startsColumn);
        reader.Next(cp, len, startsColumn);
        produced += 2;
        continue;
      }
    }
    if (cp == '\n' || cp == '\r') {
      if (!(cp == '\n' && afterCR)) ++pos.line;
      pos.column = 1;
      afterCR = cp == '\r';
      continue;
    }
    afterCR = false;
    if (startsColumn) ++pos.column;
  }
  return pos;
}

bool HasBom(std::string_view bytes, pugi::xml_encoding enc) {
  switch (Concrete(enc)) {
    case pugi::encoding_utf8:
      return bytes.substr(0, 3) == "\xEF\xBB\xBF";
    case pugi::encoding_utf16_le:
      return bytes.substr(0, 2) == "\xFF\xFE";
    case pugi::encoding_utf16_be:
      return bytes.substr(0, 2) == "\xFE\xFF";
    case pugi::encoding_utf32_le:
      return bytes.substr(0, 4) == std::string_view("\xFF\xFE\0\0", 4);
    case pugi::encoding_utf32_be:
      return bytes.substr(0, 4) == std::string_view("\0\0\xFE\xFF", 4);
    default:
      return false;
  }
}

// True when the first line of the file ends with CR LF.
bool FirstLineEndsWithCrLf(std::string_view bytes, pugi::xml_encoding enc) {
  CharReader reader(bytes, enc);
  std::uint32_t cp = 0, previous = 0;
  std::size_t len = 0;
  bool startsColumn = true;
  while (reader.Next(cp, len, startsColumn)) {
    if (cp == '\n') return previous == '\r';
    previous = cp;
  }
  return false;
}

bool IsBlank(std::string_view s) { return s.find_first_not_of(" \t\r\n") == std::string_view::npos; }

bool IsLineBreakNormalised(pugi::xml_node_type t) {
  return t == pugi::node_comment || t == pugi::node_pi || t == pugi::node_cdata || t == pugi::node_doctype;
}

// A line feed for each CR LF and each CR, as a reader sees line ends.
std::string LineFeedsOnly(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\r') {
      out += s[i];
    } else {
      out += '\n';
      if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
    }
  }
  return out;
}

// After parsing: white space next to other nodes is formatting, also when the
// file writes it as character references (the parser drops it only when
// written as it is, and saving would write references as plain white space),
// so it goes; white space that is an element's only content stays. Line ends
// in processing instructions and the document type become line feeds, as in
// the rest of the document.
void NormaliseParsedTree(pugi::xml_document& doc) {
  struct Collect : pugi::xml_tree_walker {
    std::vector<pugi::xml_node> blank, lineEnds;
    bool for_each(pugi::xml_node& n) override {
      if (n.type() == pugi::node_pcdata && (n.previous_sibling() || n.next_sibling()) && IsBlank(n.value()))
        blank.push_back(n);
      else if (IsLineBreakNormalised(n.type()) && std::strchr(n.value(), '\r'))
        lineEnds.push_back(n);
      return true;
    }
  } collect;
  doc.traverse(collect);
  for (pugi::xml_node n : collect.blank) n.parent().remove_child(n);
  for (pugi::xml_node n : collect.lineEnds) n.set_value(LineFeedsOnly(n.value()).c_str());
}

// Carriage returns in a tree about to be saved. pugixml writes them as they
// are, and reading turns them into line feeds. In text they are data and must
// be written as character references. pugixml writes other C0 control
// characters as two-digit references ("&#01;"), so saving puts such a
// character in their place, one that occurs nowhere in the document and whose
// reference text occurs nowhere either, and then rewrites its references.
class CarriageReturns {
 public:
  explicit CarriageReturns(const pugi::xml_document& doc) {
    struct Scan : pugi::xml_tree_walker {
      bool found = false;
      bool for_each(pugi::xml_node& n) override {
        found = std::strchr(n.value(), '\r') != nullptr;
        return !found;
      }
    } scan;
    pugi::xml_node(doc).traverse(scan);
    found_ = scan.found;
    if (found_) marker_ = FreeControlCharacter(doc);
  }

  /// True when a node value holds a carriage return.
  bool Found() const { return found_; }
  /// The marker character; 0 when every candidate occurs in the document.
  char Marker() const { return marker_; }

  /// Puts the marker in place of the carriage returns of text nodes and makes
  /// the other values use line feeds only.
  void Mark(pugi::xml_document& copy) const {
    struct Marking : pugi::xml_tree_walker {
      char marker = 0;
      bool for_each(pugi::xml_node& n) override {
        if (!std::strchr(n.value(), '\r')) return true;
        if (n.type() != pugi::node_pcdata) {
          n.set_value(LineFeedsOnly(n.value()).c_str());
        } else if (marker != 0) {
          std::string v = n.value();
          for (char& c : v)
            if (c == '\r') c = marker;
          n.set_value(v.c_str());
        }
        return true;
      }
    } marking;
    marking.marker = marker_;
    copy.traverse(marking);
  }

 private:
  static char FreeControlCharacter(const pugi::xml_document& doc) {
    struct Used : pugi::xml_tree_walker {
      std::uint32_t bits = 0;
      void Note(std::string_view s) {
        for (std::size_t i = 0; i < s.size(); ++i) {
          const auto c = static_cast<unsigned char>(s[i]);
          if (c < 32) bits |= std::uint32_t{1} << c;
          if (c == '&' && i + 4 < s.size() && s[i + 1] == '#' && IsDigit(s[i + 2]) && IsDigit(s[i + 3]) &&
              s[i + 4] == ';') {
            const int code = (s[i + 2] - '0') * 10 + (s[i + 3] - '0');
            if (code < 32) bits |= std::uint32_t{1} << code;
          }
        }
      }
      bool for_each(pugi::xml_node& n) override {
        Note(n.name());
        Note(n.value());
        for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
          Note(a.name());
          Note(a.value());
        }
        return true;
      }
    } used;
    pugi::xml_node(doc).traverse(used);
    for (char c = 1; c < 32; ++c)
      if (c != '\t' && c != '\n' && c != '\r' && !((used.bits >> c) & 1u)) return c;
    return 0;
  }

  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

  bool found_ = false;
  char marker_ = 0;
};

std::string Quoted(std::string_view s) {
  std::string q;
  q.reserve(s.size() + 2);
  q += '"';
  q += s;
  q += '"';
  return q;
}

class StringWriter : public pugi::xml_writer {
 public:
  void write(const void* data, std::size_t size) override { text.append(static_cast<const char*>(data), size); }
  std::string text;
};

// True when the units at p spell the ASCII text s.
bool SpellsAt(const unsigned char* p, std::size_t unitsLeft, UnitFormat units, std::string_view s) {
  if (unitsLeft < s.size()) return false;
  for (std::size_t k = 0; k < s.size(); ++k, p += units.size)
    if (ReadUnit(p, units) != static_cast<unsigned char>(s[k])) return false;
  return true;
}

// The marker's references become references of a carriage return; with CR LF
// line ends every line feed becomes CR LF, which reading turns back into one
// line feed. Attribute values carry both as character references already.
std::string FinishLines(const std::string& text, pugi::xml_encoding enc, bool crlf, char marker) {
  if (!crlf && marker == 0) return text;
  const UnitFormat units = UnitsOf(enc);
  const std::string markerRef = {'&', '#', static_cast<char>('0' + marker / 10), static_cast<char>('0' + marker % 10),
                                 ';'};
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t count = text.size() / units.size;
  for (std::size_t k = 0; k < count;) {
    const std::uint32_t unit = ReadUnit(p, units);
    if (marker != 0 && unit == '&' && SpellsAt(p, count - k, units, markerRef)) {
      for (char c : std::string_view("&#13;")) AppendUnit(out, static_cast<unsigned char>(c), units);
      k += markerRef.size();
      p += markerRef.size() * units.size;
      continue;
    }
    if (unit == '\n' && crlf) AppendUnit(out, '\r', units);
    AppendUnit(out, unit, units);
    ++k;
    p += units.size;
  }
  out.append(text, count * units.size, std::string::npos);
  return out;
}

}  // namespace

bool TVyrXmlDocument::Report(std::string text) const {
  lastError_ = std::move(text);
  MessageDlg(lastError_, mtError, {mbOK}, 0);
  return false;
}

bool TVyrXmlDocument::LoadFromString(std::string_view bytes, std::string_view sourceName) {
  doc_.reset();
  lastError_.clear();
  Format = TXmlFileFormat{};
  const std::string name = Quoted(sourceName);
  const pugi::xml_parse_result parsed =
      doc_.load_buffer(bytes.data(), bytes.size(), ModelFileParseFlags, pugi::encoding_auto);
  auto at = [&](std::ptrdiff_t offset, std::string_view skipped = {}) {
    TextPosition pos =
        PositionAt(bytes, parsed.encoding, offset < 0 ? bytes.size() * 4 : static_cast<std::size_t>(offset));
    for (char c : skipped) {  // white space in front of what is reported
      pos.column = c == '\n' ? 1 : pos.column + 1;
      if (c == '\n') ++pos.line;
    }
    return "line " + std::to_string(pos.line) + ", column " + std::to_string(pos.column);
  };
  auto notWellFormed = [&](const std::string& what, const std::string& where) {
    doc_.reset();
    return Report("Model file " + name + " is not well-formed XML at " + where + ": " + what);
  };
  if (!parsed) return notWellFormed(parsed.description(), at(parsed.offset));

  // The parser reads fragments, so that text or a second element outside the
  // root element shows here instead of being passed over.
  pugi::xml_node root, second, text;
  bool markup = false;
  for (pugi::xml_node c = doc_.first_child(); c; c = c.next_sibling()) {
    if (IsElement(c)) {
      if (!root)
        root = c;
      else if (!second)
        second = c;
    } else if (IsText(c)) {
      if (!text && !IsBlank(c.value())) text = c;
    } else {
      markup = true;
    }
  }
  if (text) {
    const std::string_view value = text.value();
    const std::string where = at(text.offset_debug(), value.substr(0, value.find_first_not_of(" \t\r\n")));
    return notWellFormed("text outside the root element", where);
  }
  if (second) return notWellFormed("a second root element", at(second.offset_debug() - 1));
  if (!root) {
    if (!markup) {
      doc_.reset();
      return Report("Model file " + name + " is empty (" + at(-1) + ")");
    }
    return notWellFormed("no root element", at(-1));
  }
  for (pugi::xml_node c = doc_.first_child(), next; c; c = next) {
    next = c.next_sibling();
    if (IsText(c)) doc_.remove_child(c);
  }
  NormaliseParsedTree(doc_);
  if (!TVyrXmlNode(root).RefModelRoot()) {
    const std::string where = at(root.offset_debug() - 1);
    const std::string rootName = root.name();
    doc_.reset();
    return Report("File " + name + " is not a model file: its root element " + Quoted(rootName) + " at " + where +
                  " has no \"BaseCfg\" or \"ReferenceModel\" element");
  }
  Format.Encoding = Concrete(parsed.encoding);
  Format.Bom = HasBom(bytes, parsed.encoding);
  Format.CrLf = FirstLineEndsWithCrLf(bytes, parsed.encoding);
  Format.AddDeclaration = false;  // the file's own declaration, if any, is in the tree
  return true;
}

bool TVyrXmlDocument::LoadFromFile(const std::string& fileName) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (fs::is_directory(fs::path(fileName), ec)) {
    doc_.reset();
    return Report("Cannot read model file " + Quoted(fileName) + ": it is a folder");
  }
  std::ifstream in(fileName, std::ios::binary);
  if (!in) {
    const int err = errno;
    doc_.reset();
    return Report("Cannot open model file " + Quoted(fileName) + ": " + std::strerror(err));
  }
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) {
    doc_.reset();
    return Report("Cannot read model file " + Quoted(fileName));
  }
  return LoadFromString(bytes, fileName);
}

std::string TVyrXmlDocument::SaveToString() const {
  const pugi::xml_encoding enc = Concrete(Format.Encoding);
  unsigned int flags = pugi::format_indent;
  if (Format.Bom) flags |= pugi::format_write_bom;
  if (!Format.AddDeclaration) flags |= pugi::format_no_declaration;
  StringWriter writer;
  const CarriageReturns returns(doc_);
  if (!returns.Found()) {
    doc_.save(writer, "  ", flags, enc);
  } else {
    pugi::xml_document copy;
    copy.reset(doc_);
    returns.Mark(copy);
    copy.save(writer, "  ", flags, enc);
  }
  return FinishLines(writer.text, enc, Format.CrLf, returns.Marker());
}

bool TVyrXmlDocument::SaveToFile(const std::string& fileName) const {
  namespace fs = std::filesystem;
  // Written beside the file first, so that a failed write leaves it intact.
  const std::string temp = fileName + ".saving";
  const std::string bytes = SaveToString();
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) {
      const int err = errno;
      return Report("Cannot write model file " + Quoted(fileName) + ": " + std::strerror(err));
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::error_code ignored;
      fs::remove(temp, ignored);
      return Report("Cannot write model file " + Quoted(fileName));
    }
  }
  std::error_code ec;
  fs::rename(temp, fileName, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    return Report("Cannot write model file " + Quoted(fileName) + ": " + ec.message());
  }
  lastError_.clear();
  return true;
}

TVyrXmlNode TVyrXmlDocument::Root() const { return doc_.document_element(); }

TVyrXmlNode TVyrXmlDocument::DocumentNode() const { return static_cast<pugi::xml_node>(doc_); }

pugi::xml_document& TVyrXmlDocument::Document() { return doc_; }

const pugi::xml_document& TVyrXmlDocument::Document() const { return doc_; }

const std::string& TVyrXmlDocument::LastError() const { return lastError_; }

}  // namespace vyr
