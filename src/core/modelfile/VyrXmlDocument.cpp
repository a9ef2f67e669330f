// Loading and saving model files.
//
// A file is read whole and parsed by pugixml, which detects its encoding.
// Saving writes the tree back in that encoding, with the byte-order mark and
// the line ends the file had (ModelFileWriter).
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "Messages.h"
#include "ModelFileWriter.h"
#include "SysUtils.h"
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

// The UTF-8 offset (as pugixml counts) of the first null character in the
// file, written as it is or as a character reference in text or an attribute
// value; npos when there is none. Comments, CDATA sections and processing
// instructions hold references as plain text.
std::size_t FirstNull(std::string_view bytes, pugi::xml_encoding enc, bool& asReference) {
  // In an 8-bit file most have neither a null byte nor a reference that
  // could be one: the state machine below is for those that do.
  if (UnitsOf(enc).size == 1 && bytes.find('\0') == std::string_view::npos) {
    bool candidate = false;
    for (std::size_t at = bytes.find("&#"); at != std::string_view::npos && !candidate; at = bytes.find("&#", at + 2)) {
      std::size_t k = at + 2;
      if (k < bytes.size() && bytes[k] == 'x') ++k;
      while (k < bytes.size() && bytes[k] == '0') ++k;
      candidate = k < bytes.size() && bytes[k] == ';' && bytes[k - 1] == '0';
    }
    if (!candidate) return std::string_view::npos;
  }
  enum class In { Markup, Comment, Cdata, Pi } in = In::Markup;
  std::array<std::uint32_t, 9> tail{};  // the last characters, newest last
  auto endsWith = [&](std::string_view s) {
    for (std::size_t k = 0; k < s.size(); ++k)
      if (tail[tail.size() - s.size() + k] != static_cast<unsigned char>(s[k])) return false;
    return true;
  };
  enum class Ref { None, Amp, Hash, Digits } ref = Ref::None;
  bool nonZero = false;
  std::size_t refStart = 0, produced = 0, len = 0;
  std::uint32_t cp = 0;
  bool startsColumn = true;
  CharReader reader(bytes, enc);
  while (reader.Next(cp, len, startsColumn)) {
    const std::size_t at = produced;
    produced += len;
    if (cp == 0) {
      asReference = false;
      return at;
    }
    for (std::size_t k = 0; k + 1 < tail.size(); ++k) tail[k] = tail[k + 1];
    tail.back() = cp;
    auto enter = [&](In next) {
      in = next;
      tail.fill(0);
    };
    switch (in) {
      case In::Comment:
        if (endsWith("-->")) enter(In::Markup);
        continue;
      case In::Cdata:
        if (endsWith("]]>")) enter(In::Markup);
        continue;
      case In::Pi:
        if (endsWith("?>")) enter(In::Markup);
        continue;
      case In::Markup:
        break;
    }
    if (endsWith("<!--")) {
      enter(In::Comment);
    } else if (endsWith("<![CDATA[")) {
      enter(In::Cdata);
    } else if (endsWith("<?")) {
      enter(In::Pi);
    }
    const bool digit = (cp >= '0' && cp <= '9'), hex = digit || (cp >= 'a' && cp <= 'f') || (cp >= 'A' && cp <= 'F');
    if (cp == '&') {
      ref = Ref::Amp, refStart = at, nonZero = false;
    } else if (ref == Ref::Amp && cp == '#') {
      ref = Ref::Hash;
    } else if (ref == Ref::Hash && cp == 'x') {
      ref = Ref::Digits;
    } else if ((ref == Ref::Hash || ref == Ref::Digits) && hex) {
      ref = Ref::Digits;
      nonZero = nonZero || cp != '0';
    } else if (ref == Ref::Digits && cp == ';' && !nonZero) {
      asReference = true;
      return refStart;
    } else {
      ref = Ref::None;
    }
  }
  return std::string_view::npos;
}

// Empty when the declared encoding (if any) is the one the bytes are in, else why not.
std::string DeclaredEncodingProblem(const pugi::xml_document& doc, pugi::xml_encoding enc) {
  const pugi::xml_node first = doc.first_child();
  if (first.type() != pugi::node_declaration || !first.attribute("encoding")) return {};
  const std::string name = first.attribute("encoding").value();
  const bool latin1 = xmlwriter::IsLatin1Name(name), utf8 = xmlwriter::IsUtf8Name(name);
  auto family = [&](std::string_view f) { return name.size() >= f.size() && SameAsciiText(name.substr(0, f.size()), f); };
  const bool utf16 = family("UTF-16"), utf32 = family("UTF-32");
  if (!latin1 && !utf8 && !utf16 && !utf32)
    return "its declared encoding \"" + name + "\" cannot be read (UTF-8, ISO-8859-1, UTF-16 and UTF-32 can)";
  const char* stored = nullptr;
  switch (UnitsOf(enc).size) {
    case 1:
      stored = enc == pugi::encoding_latin1 ? (latin1 ? nullptr : "ISO-8859-1") : (utf8 ? nullptr : "UTF-8");
      break;
    case 2:
      stored = utf16 ? nullptr : "UTF-16";
      break;
    default:
      stored = utf32 ? nullptr : "UTF-32";
  }
  if (!stored) return {};
  return "it is stored in " + std::string(stored) + " but declares the encoding \"" + name + "\"";
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
  try {
    doc_.reset();
    lastError_.clear();
    Format = TXmlFileFormat{};
    if (bytes.size() > MaxModelFileSize)
      return Report("Model file " + Quoted(sourceName) + " is larger than the limit of " +
                    std::to_string(MaxModelFileSize >> 20) + " MiB");
    return Parse(bytes, sourceName);
  } catch (const std::bad_alloc&) {
    doc_.reset();
    return ReportQuietly("Model file " + Quoted(sourceName) + " cannot be loaded: out of memory");
  } catch (const std::exception& e) {
    doc_.reset();
    return ReportQuietly("Model file " + Quoted(sourceName) + " cannot be loaded: " + e.what());
  }
}

bool TVyrXmlDocument::Parse(std::string_view bytes, std::string_view sourceName) {
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
  // The parser ends text and attribute values at a null character, silently.
  bool asReference = false;
  const std::size_t null = FirstNull(bytes, parsed.encoding, asReference);
  if (null != std::string_view::npos)
    return notWellFormed(asReference ? "a reference to the null character" : "a null character", at(static_cast<std::ptrdiff_t>(null)));
  if (!parsed) return notWellFormed(parsed.description(), at(parsed.offset));
  if (const std::string problem = DeclaredEncodingProblem(doc_, parsed.encoding); !problem.empty()) {
    doc_.reset();
    return Report("Model file " + name + " cannot be read: " + problem);
  }

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
  try {
    doc_.reset();
    const std::string name = Quoted(fileName);
    // Not blocking on a pipe that nobody writes to; regular files only.
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      const int err = errno;
      return Report("Cannot open model file " + name + ": " + std::strerror(err));
    }
    struct Closer {
      int fd;
      ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
      const int err = errno;
      return Report("Cannot read model file " + name + ": " + std::strerror(err));
    }
    if (S_ISDIR(st.st_mode)) return Report("Cannot read model file " + name + ": it is a folder");
    if (!S_ISREG(st.st_mode)) return Report("Cannot read model file " + name + ": it is not a regular file");
    auto tooLarge = [&] {
      return Report("Cannot read model file " + name + ": it is larger than the limit of " +
                    std::to_string(MaxModelFileSize >> 20) + " MiB");
    };
    if (static_cast<std::uintmax_t>(st.st_size) > MaxModelFileSize) return tooLarge();
    // Read in one piece; one byte more than the size shows a file that grew.
    std::string bytes(static_cast<std::size_t>(st.st_size) + 1, '\0');
    std::size_t size = 0;
    for (;;) {
      if (size == bytes.size()) {
        if (bytes.size() > MaxModelFileSize) return tooLarge();
        bytes.resize(std::min<std::size_t>(bytes.size() * 2, MaxModelFileSize + 1));
      }
      const ssize_t got = ::read(fd, bytes.data() + size, bytes.size() - size);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) {
        const int err = errno;
        return Report("Cannot read model file " + name + ": " + std::strerror(err));
      }
      if (got == 0) break;
      size += static_cast<std::size_t>(got);
    }
    bytes.resize(size);
    return LoadFromString(bytes, fileName);
  } catch (const std::bad_alloc&) {
    doc_.reset();
    return ReportQuietly("Cannot read model file " + Quoted(fileName) + ": out of memory");
  } catch (const std::exception& e) {
    doc_.reset();
    return ReportQuietly("Cannot read model file " + Quoted(fileName) + ": " + e.what());
  }
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

namespace {

// The file a save replaces: fileName with symbolic links followed (a link
// that names no file yet gives the file it names). Empty with errno set on failure.
std::string SaveTarget(const std::string& fileName, struct stat& st, bool& exists) {
  namespace fs = std::filesystem;
  std::string target = fileName;
  for (int hops = 0;; ++hops) {
    if (::lstat(target.c_str(), &st) != 0) {
      if (errno != ENOENT) return {};
      exists = false;
      return target;
    }
    if (!S_ISLNK(st.st_mode)) {
      exists = true;
      return target;
    }
    if (hops == 40) {
      errno = ELOOP;
      return {};
    }
    std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
    const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
    if (n < 0) return {};
    link.resize(static_cast<std::size_t>(n));
    const fs::path next(link);
    target = next.is_absolute() ? link : (fs::path(target).parent_path() / next).string();
  }
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// A file with more than one name (hard links) keeps them all only when
// written in place: the new text over the old one, under a lock that other
// saves wait for, and the old text back should writing fail. 0 on success,
// else the error.
int WriteInPlace(const std::string& target, std::string_view bytes) {
  const int fd = ::open(target.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return errno;
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  while (::flock(fd, LOCK_EX) != 0)
    if (errno != EINTR) return errno;
  std::string old;
  char chunk[65536];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) break;
    old.append(chunk, static_cast<std::size_t>(n));
  }
  auto put = [&](std::string_view text) {
    return ::lseek(fd, 0, SEEK_SET) == 0 && WriteAll(fd, text) &&
           ::ftruncate(fd, static_cast<off_t>(text.size())) == 0 && ::fsync(fd) == 0;
  };
  if (put(bytes)) return 0;
  const int err = errno;
  put(old);
  return err;
}

}  // namespace

bool TVyrXmlDocument::SaveToFile(const std::string& fileName) const noexcept {
  try {
    namespace fs = std::filesystem;
    const std::string name = Quoted(fileName);
    auto fail = [&](const std::string& why) { return ReportQuietly("Cannot write model file " + name + ": " + why); };
    std::string bytes, why;
    if (!Write(bytes, why)) return fail(why);
    struct stat st {};
    bool exists = false;
    const std::string target = SaveTarget(fileName, st, exists);
    if (target.empty()) return fail(std::strerror(errno));
    if (exists) {
      if (S_ISDIR(st.st_mode)) return fail("it is a folder");
      if (!S_ISREG(st.st_mode)) return fail("it is not a regular file");
      // Write permission as the file shows it, also for a user whom the
      // system would let write anyway.
      if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(target.c_str(), W_OK) != 0)
        return fail(std::strerror(EACCES));
    }
    if (exists && st.st_nlink > 1) {
      if (const int err = WriteInPlace(target, bytes)) return fail(std::strerror(err));
      lastError_.clear();
      return true;
    }
    const fs::path targetPath(target);
    const std::string folder = targetPath.has_parent_path() ? targetPath.parent_path().string() : ".";
    const mode_t mode = exists ? (st.st_mode & 07777) : 0666;  // a new file: as the umask allows

    // The text goes to a file of its own, filled and synced while it has no
    // name (where the file system allows), so that a save killed half way
    // leaves nothing behind; it then gets a name no other save uses, created
    // here and removed again on failure, and that name is renamed over the file.
    static std::atomic<unsigned> counter{0};
    std::string temp;
    auto uniqueName = [&] {
      char unique[64];
      std::snprintf(unique, sizeof unique, ".%ld.%u.%llx.saving", static_cast<long>(::getpid()), counter++,
                    static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count()));
      temp = (fs::path(folder) / ("." + targetPath.filename().string() + unique)).string();
    };
    int fd = -1;
    bool named = false;
    auto abandon = [&](int err) {
      if (fd >= 0) ::close(fd);
      if (named) ::unlink(temp.c_str());
      return fail(std::strerror(err));
    };
    // 0 when fd holds the text on the disk, else the error.
    auto fill = [&]() -> int {
      if (exists) {
        if (::fchmod(fd, mode) != 0) return errno;
        [[maybe_unused]] const int owned = ::fchown(fd, st.st_uid, st.st_gid);  // where the system allows it
      }
      if (!WriteAll(fd, bytes) || ::fsync(fd) != 0) return errno;
      return 0;
    };
#ifdef O_TMPFILE
    fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    if (fd >= 0) {
      if (const int err = fill()) return abandon(err);
      const std::string self = "/proc/self/fd/" + std::to_string(fd);
      for (int attempt = 0; !named && attempt < 100; ++attempt) {
        uniqueName();
        named = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) == 0;
        if (!named && errno != EEXIST) break;
      }
      ::close(fd);  // without a name (no /proc, say): written once more below
      fd = -1;
    }
#endif
    if (!named) {
      for (int attempt = 0; fd < 0; ++attempt) {
        uniqueName();
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0 && (errno != EEXIST || attempt == 100)) return fail(std::strerror(errno));
      }
      named = true;
      if (const int err = fill()) return abandon(err);
      const int closed = ::close(fd);
      fd = -1;
      if (closed != 0) return abandon(errno);
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) return abandon(errno);
    // The rename itself on the disk.
    if (const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dirFd >= 0) {
      ::fsync(dirFd);
      ::close(dirFd);
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
