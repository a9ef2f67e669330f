// Loading and saving model files.
//
// A file is read whole and parsed by pugixml, which detects its encoding.
// Saving writes the tree back in that encoding, with the byte-order mark and
// the line ends the file had (ModelFileWriter).
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "Messages.h"
#include "ModelFileWriter.h"
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

// ISO-8859-1 when the document starts with a declaration that names it, else UTF-8.
pugi::xml_encoding DeclaredEncoding(const pugi::xml_document& doc) {
  const pugi::xml_node first = doc.first_child();
  if (first.type() != pugi::node_declaration) return pugi::encoding_utf8;
  return xmlwriter::IsLatin1Name(first.attribute("encoding").value()) ? pugi::encoding_latin1 : pugi::encoding_utf8;
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
// so it goes; white space that is an element's only content stays. Text
// emptied by a reference to the null character goes as well. Line ends
// in processing instructions and the document type become line feeds, as in
// the rest of the document.
void NormaliseParsedTree(pugi::xml_document& doc) {
  struct Collect : pugi::xml_tree_walker {
    std::vector<pugi::xml_node> blank, lineEnds;
    bool for_each(pugi::xml_node& n) override {
      if (n.type() == pugi::node_pcdata &&
          (*n.value() == '\0' || ((n.previous_sibling() || n.next_sibling()) && IsBlank(n.value()))))
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

std::string Quoted(std::string_view s) {
  std::string q;
  q.reserve(s.size() + 2);
  q += '"';
  q += s;
  q += '"';
  return q;
}

}  // namespace

bool TVyrXmlDocument::Report(std::string text) const {
  lastError_ = std::move(text);
  MessageDlg(lastError_, mtError, {mbOK}, 0);
  return false;
}

bool TVyrXmlDocument::ReportQuietly(std::string text) const noexcept {
  try {
    return Report(std::move(text));
  } catch (...) {
    return false;  // nothing more can be said when even the message fails
  }
}

bool TVyrXmlDocument::ReportWriteFailure(const std::string& fileName, const char* why) const noexcept {
  try {
    return Report("Cannot write model file " + Quoted(fileName) + ": " + why);
  } catch (...) {
    return false;
  }
}

bool TVyrXmlDocument::LoadFromString(std::string_view bytes, std::string_view sourceName) {
  doc_.reset();
  lastError_.clear();
  Format = TXmlFileFormat{};
  const std::string name = Quoted(sourceName);
  pugi::xml_parse_result parsed = doc_.load_buffer(bytes.data(), bytes.size(), ModelFileParseFlags, pugi::encoding_auto);
  // pugixml tells ISO-8859-1 from UTF-8 by a glance at the first bytes; the
  // declaration as parsed decides, as it does when saving.
  if (parsed && UnitsOf(parsed.encoding).size == 1 && !HasBom(bytes, parsed.encoding)) {
    const pugi::xml_encoding declared = DeclaredEncoding(doc_);
    if (declared != Concrete(parsed.encoding))
      parsed = doc_.load_buffer(bytes.data(), bytes.size(), ModelFileParseFlags, declared);
  }
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
  // Read in one piece when the size is known: a file of megabytes read a
  // character at a time, or grown by doubling, costs more than parsing it.
  std::unique_ptr<char[]> buffer;
  std::size_t size = 0;
  std::string grown;
  in.seekg(0, std::ios::end);
  const std::streamoff end = in.tellg();
  in.seekg(0, std::ios::beg);
  if (end >= 0 && in) {
    buffer = std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(end) + 1);
    in.read(buffer.get(), static_cast<std::streamsize>(end));
    size = static_cast<std::size_t>(in.gcount());
    if (size == static_cast<std::size_t>(end) && in.peek() != std::char_traits<char>::eof()) {
      grown.assign(buffer.get(), size);  // the file grew while it was read
      grown.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
  } else {
    in.clear();
    grown.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  if (in.bad()) {
    doc_.reset();
    return Report("Cannot read model file " + Quoted(fileName));
  }
  const bool whole = grown.empty() && buffer;
  return LoadFromString(whole ? std::string_view(buffer.get(), size) : std::string_view(grown), fileName);
}

bool TVyrXmlDocument::Write(std::string& out, std::string& why) const noexcept {
  TXmlFileFormat format = Format;
  format.Encoding = Concrete(Format.Encoding);
  return xmlwriter::WriteModelFile(doc_, format, out, why);
}

std::string TVyrXmlDocument::SaveToString() const {
  std::string out, why;
  if (!Write(out, why)) ReportQuietly("Cannot write the model: " + why);
  return out;
}

bool TVyrXmlDocument::SaveToFile(const std::string& fileName) const noexcept {
  try {
    namespace fs = std::filesystem;
    const std::string name = Quoted(fileName);
    std::string bytes, why;
    if (!Write(bytes, why)) return ReportQuietly("Cannot write model file " + name + ": " + why);
    // Written beside the file first, so that a failed write leaves it intact.
    const std::string temp = fileName + ".saving";
    {
      std::ofstream out(temp, std::ios::binary | std::ios::trunc);
      if (!out) {
        const int err = errno;
        return ReportQuietly("Cannot write model file " + name + ": " + std::strerror(err));
      }
      out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      out.close();
      if (!out) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        return ReportQuietly("Cannot write model file " + name);
      }
    }
    std::error_code ec;
    fs::rename(temp, fileName, ec);
    if (ec) {
      std::error_code ignored;
      fs::remove(temp, ignored);
      return ReportQuietly("Cannot write model file " + name + ": " + ec.message());
    }
    lastError_.clear();
    return true;
  } catch (const std::exception& e) {
    return ReportWriteFailure(fileName, e.what());
  } catch (...) {
    return ReportWriteFailure(fileName, "internal error");
  }
}

TVyrXmlNode TVyrXmlDocument::Root() const { return doc_.document_element(); }

TVyrXmlNode TVyrXmlDocument::DocumentNode() const { return static_cast<pugi::xml_node>(doc_); }

pugi::xml_document& TVyrXmlDocument::Document() { return doc_; }

const pugi::xml_document& TVyrXmlDocument::Document() const { return doc_; }

const std::string& TVyrXmlDocument::LastError() const { return lastError_; }

}  // namespace vyr
