// The text of a model file from its tree.
//
// The tree holds UTF-8. Files in UTF-8 are written byte by byte, so that text
// that is not valid UTF-8 comes back as it was read; files in other encodings
// are written character by character. Line breaks and indentation stop at a
// fixed depth: deeper content goes on the line of its ancestor at that depth.
#include "ModelFileWriter.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <new>
#include <string_view>

#include "SysUtils.h"

namespace vyr::xmlwriter {

namespace {

enum class Part { Text, Attribute, Markup };
constexpr std::size_t kParts = 3;

bool IsWide(pugi::xml_encoding enc) { return enc != pugi::encoding_utf8 && enc != pugi::encoding_latin1; }

const char* EncodingName(pugi::xml_encoding enc) {
  switch (enc) {
    case pugi::encoding_latin1:
      return "ISO-8859-1";
    case pugi::encoding_utf16_le:
    case pugi::encoding_utf16_be:
      return "UTF-16";
    case pugi::encoding_utf32_le:
    case pugi::encoding_utf32_be:
      return "UTF-32";
    default:
      return "UTF-8";
  }
}

// The code point of the UTF-8 sequence at the start of s and its length; 0
// for a sequence that is not well-formed (overlong, a surrogate, beyond U+10FFFF).
std::size_t DecodeUtf8(std::string_view s, std::uint32_t& cp) {
  const auto b0 = static_cast<unsigned char>(s[0]);
  std::size_t len = 0;
  std::uint32_t min = 0;
  if (b0 >= 0xC2 && b0 < 0xE0) {
    len = 2, cp = b0 & 0x1Fu, min = 0x80;
  } else if (b0 >= 0xE0 && b0 < 0xF0) {
    len = 3, cp = b0 & 0x0Fu, min = 0x800;
  } else if (b0 >= 0xF0 && b0 < 0xF5) {
    len = 4, cp = b0 & 0x07u, min = 0x10000;
  } else {
    return 0;
  }
  if (s.size() < len) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3Fu);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return 0;
  return len;
}

// Character data without characters (a reference to the null character
// leaves such a node).
bool IsEmptyText(pugi::xml_node n) { return n.type() == pugi::node_pcdata && *n.value() == '\0'; }

// The XML declaration in front of the root element, or null.
pugi::xml_node DeclarationOf(pugi::xml_node doc) {
  for (pugi::xml_node c = doc.first_child(); c; c = c.next_sibling()) {
    if (c.type() == pugi::node_declaration) return c;
    if (c.type() == pugi::node_element) return {};
  }
  return {};
}

// What comes before the next node or closing tag at a level with layout.
enum : unsigned { kLineBreak = 1, kIndent = 2 };

class Writer {
 public:
  Writer(const TXmlFileFormat& format, std::string& out)
      : out_(out),
        enc_(format.Encoding),
        crlf_(format.CrLf),
        maxCodePoint_(format.Encoding == pugi::encoding_latin1 ? 0xFF : 0x10FFFF) {
    for (int c = 0; c < 256; ++c) {
      const bool control = c < 32, nonAscii = c >= 0x80 && enc_ != pugi::encoding_utf8;
      special_[static_cast<std::size_t>(Part::Text)][c] =
          nonAscii || (control && c != '\t') || c == '&' || c == '<' || c == '>';
      special_[static_cast<std::size_t>(Part::Attribute)][c] = nonAscii || control || c == '&' || c == '<' || c == '"';
      special_[static_cast<std::size_t>(Part::Markup)][c] = nonAscii || c == '\r' || (c == '\n' && crlf_);
    }
  }

  bool Document(pugi::xml_node doc, const TXmlFileFormat& format) {
    if (format.Bom && enc_ != pugi::encoding_latin1) Unit(0xFEFF);  // ISO-8859-1 has no byte-order mark
    // The declaration comes first, where readers look for the encoding;
    // ISO-8859-1 is known only by it.
    const pugi::xml_node declaration = declaration_ = DeclarationOf(doc);
    if (declaration) {
      Simple(declaration);
      LineBreak();
    } else if (format.AddDeclaration || enc_ == pugi::encoding_latin1) {
      Ascii("<?xml version=\"1.0\"");
      if (enc_ == pugi::encoding_latin1) Ascii(" encoding=\"ISO-8859-1\"");
      Ascii("?>");
      LineBreak();
    }
    auto notDeclaration = [&](pugi::xml_node c) { return c && c == declaration ? c.next_sibling() : c; };
    // Each node is preceded by a line break and indentation, except text and
    // what follows text directly, which would otherwise change the text.
    unsigned layout = kIndent;
    unsigned depth = 0;
    pugi::xml_node n = notDeclaration(doc.first_child());
    while (n && ok_) {
      const pugi::xml_node_type type = n.type();
      if (IsEmptyText(n)) {
        // Nothing to write, and nothing that reading would bring back.
      } else if (type == pugi::node_pcdata || type == pugi::node_cdata) {
        if (type == pugi::node_pcdata)
          Emit(n.value(), Part::Text, "text");
        else
          Cdata(n.value());
        layout = 0;
      } else {
        Place(layout, depth);
        layout = kLineBreak | kIndent;
        if (type == pugi::node_element) {
          if (StartTag(n, depth <= IndentLevels)) {
            n = n.first_child();
            ++depth;
            continue;
          }
        } else {
          Simple(n);
        }
      }
      // On to the next sibling, closing the elements left on the way up.
      for (;;) {
        if (const pugi::xml_node s = depth == 0 ? notDeclaration(n.next_sibling()) : n.next_sibling()) {
          n = s;
          break;
        }
        n = n.parent();
        if (n == doc) {
          n = {};
          break;
        }
        --depth;
        Place(layout, depth);
        Ascii("</");
        Name(n.name(), "an element name");
        Ascii(">");
        layout = kLineBreak | kIndent;
      }
    }
    if (layout & kLineBreak) LineBreak();
    return ok_;
  }

  std::string why;

 private:
  void Place(unsigned layout, unsigned depth) {
    if (depth > IndentLevels) return;
    if (layout & kLineBreak) LineBreak();
    if (layout & kIndent)
      for (unsigned k = 0; k < depth; ++k) Ascii("  ");
  }

  // "<name attributes" and ">" when children follow, else the empty-element end.
  bool StartTag(pugi::xml_node e, bool withLayout) {
    Ascii("<");
    Name(e.name(), "an element name");
    Attributes(e);
    pugi::xml_node c = e.first_child();
    while (IsEmptyText(c)) c = c.next_sibling();
    if (!c) {
      Ascii(withLayout ? " />" : "/>");
      return false;
    }
    Ascii(">");
    return true;
  }

  void Attributes(pugi::xml_node n) {
    for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) Attribute(a.name(), a.value());
  }

  void Attribute(const char* name, const char* value) {
    Ascii(" ");
    Name(name, "an attribute name");
    Ascii("=\"");
    Emit(value, Part::Attribute, "an attribute value");
    Ascii("\"");
  }

  // The declaration names the encoding written, where a reader would
  // otherwise take the file for another one: ISO-8859-1 is known only by
  // the declaration, and a file without that name is read as UTF-8.
  void Declaration(pugi::xml_node n) {
    const pugi::xml_attribute declared = n.attribute("encoding");
    const char* name = declared.value();
    const bool right = declared && (enc_ == pugi::encoding_latin1   ? IsLatin1Name(name)
                                    : enc_ == pugi::encoding_utf8 ? IsUtf8Name(name)
                                                                  : SameFamily(name, EncodingName(enc_)));
    const bool needed = declared || enc_ == pugi::encoding_latin1;
    bool written = false;
    for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
      if (a == declared && !right) {
        Attribute("encoding", EncodingName(enc_));
      } else {
        Attribute(a.name(), a.value());
      }
      if (!declared && needed && !written && std::string_view(a.name()) == "version") {
        Attribute("encoding", EncodingName(enc_));
        written = true;
      }
    }
    if (!declared && needed && !written) Attribute("encoding", EncodingName(enc_));
  }

  // "UTF-16" for "utf-16le" and the like.
  static bool SameFamily(std::string_view name, std::string_view family) {
    return name.size() >= family.size() && SameAsciiText(name.substr(0, family.size()), family);
  }



  void Name(std::string_view name, const char* where) {
    if (!name.empty() && !IsXmlName(name)) {
      Fail(std::string(where) + " cannot be \"" + std::string(name) + "\"");
      return;
    }
    Emit(name.empty() ? ":anonymous" : name, Part::Markup, where);
  }

  // A name as readers accept it: a letter, '_', ':' or a character beyond
  // ASCII first, then also digits, '-' and '.'.
  static bool IsXmlName(std::string_view name) {
    auto letter = [](unsigned char c) {
      return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80;
    };
    if (!letter(static_cast<unsigned char>(name[0]))) return false;
    for (char ch : name.substr(1)) {
      const auto c = static_cast<unsigned char>(ch);
      if (!letter(c) && !(c >= '0' && c <= '9') && c != '-' && c != '.') return false;
    }
    return true;
  }

  // Comments, processing instructions, the declaration and the document type.
  void Simple(pugi::xml_node n) {
    const std::string_view value = n.value();
    switch (n.type()) {
      case pugi::node_comment:
        Ascii("<!--");
        Emit(value, Part::Markup, "a comment");
        Ascii("-->");
        break;
      case pugi::node_pi:
      case pugi::node_declaration:
        Ascii("<?");
        Name(n.name(), "a processing instruction");
        if (n.type() == pugi::node_declaration) {
          if (n == declaration_)
            Declaration(n);
          else
            Attributes(n);  // one behind the root element, where no reader looks
        } else if (value.find("?>") != std::string_view::npos) {
          Fail("a processing instruction cannot hold \"?>\"");  // it would end there
        } else if (!value.empty()) {
          Ascii(" ");
          Emit(value, Part::Markup, "a processing instruction");
        }
        Ascii("?>");
        break;
      case pugi::node_doctype:
        Ascii("<!DOCTYPE");
        if (!value.empty()) {
          Ascii(" ");
          Emit(value, Part::Markup, "the document type");
        }
        Ascii(">");
        break;
      default:
        break;
    }
  }

  // A CDATA section cannot hold "]]>": the ">" goes into a section of its own.
  void Cdata(std::string_view value) {
    do {
      Ascii("<![CDATA[");
      const std::size_t end = value.find("]]>");
      const std::size_t take = end == std::string_view::npos ? value.size() : end + 2;
      Emit(value.substr(0, take), Part::Markup, "a CDATA section");
      value.remove_prefix(take);
      Ascii("]]>");
    } while (!value.empty());
  }

  // s as part of the file: escaped as text or attribute value, or verbatim
  // (markup) with its line ends as the file's line ends.
  void Emit(std::string_view s, Part part, const char* where) {
    const auto& special = special_[static_cast<std::size_t>(part)];
    std::size_t i = 0;
    while (i < s.size() && ok_) {
      std::size_t j = i;
      while (j < s.size() && !special[static_cast<unsigned char>(s[j])]) ++j;
      Ascii(s.substr(i, j - i));  // plain ASCII, or any bytes of UTF-8 into UTF-8
      if (j == s.size()) return;
      i = j;
      const auto c = static_cast<unsigned char>(s[i]);
      if (c >= 0x80) {
        std::uint32_t cp = 0;
        const std::size_t len = DecodeUtf8(s.substr(i), cp);
        if (len == 0) {
          Fail(std::string("text that is not UTF-8 in ") + where + " cannot be written in " + EncodingName(enc_));
          return;
        }
        i += len;
        if (cp <= maxCodePoint_) {
          Unit(cp);
        } else if (part != Part::Markup) {
          Reference(cp);
        } else {
          char code[16];
          std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp));
          Fail(std::string(code) + " in " + where + " has no form in " + EncodingName(enc_));
          return;
        }
        continue;
      }
      ++i;
      switch (part) {
        case Part::Text:
          if (c == '&') {
            Ascii("&amp;");
          } else if (c == '<') {
            Ascii("&lt;");
          } else if (c == '>') {
            Ascii("&gt;");
          } else if (c == '\n') {
            LineBreak();
          } else {
            Control(c);  // a carriage return too: reading would make it a line feed
          }
          break;
        case Part::Attribute:
          if (c == '&') {
            Ascii("&amp;");
          } else if (c == '<') {
            Ascii("&lt;");
          } else if (c == '"') {
            Ascii("&quot;");
          } else {
            Control(c);  // tabs and line ends too: reading makes them spaces
          }
          break;
        case Part::Markup:
          if (c == '\r' && i < s.size() && s[i] == '\n') ++i;
          LineBreak();
          break;
      }
    }
  }

  // A control character as a two-digit reference, the form readers of older
  // model files expect.
  void Control(unsigned char c) {
    const char ref[] = {'&', '#', static_cast<char>('0' + c / 10), static_cast<char>('0' + c % 10), ';'};
    Ascii(std::string_view(ref, sizeof ref));
  }

  void Reference(std::uint32_t cp) {
    char ref[16];
    const int n = std::snprintf(ref, sizeof ref, "&#%u;", static_cast<unsigned>(cp));
    Ascii(std::string_view(ref, static_cast<std::size_t>(n)));
  }

  void LineBreak() { Ascii(crlf_ ? "\r\n" : "\n"); }

  // Characters below U+0080 (in UTF-8, any bytes).
  void Ascii(std::string_view s) {
    if (!IsWide(enc_)) {
      out_.append(s);
      return;
    }
    for (char c : s) Unit(static_cast<unsigned char>(c));
  }

  // One character in the file's encoding.
  void Unit(std::uint32_t cp) {
    switch (enc_) {
      case pugi::encoding_latin1:
        out_ += static_cast<char>(cp);
        break;
      case pugi::encoding_utf16_le:
      case pugi::encoding_utf16_be:
        if (cp >= 0x10000) {
          Bytes(0xD800 + ((cp - 0x10000) >> 10), 2);
          Bytes(0xDC00 + ((cp - 0x10000) & 0x3FF), 2);
        } else {
          Bytes(cp, 2);
        }
        break;
      case pugi::encoding_utf32_le:
      case pugi::encoding_utf32_be:
        Bytes(cp, 4);
        break;
      default:
        if (cp < 0x80) {
          out_ += static_cast<char>(cp);
        } else {
          const std::size_t len = cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
          static constexpr unsigned char lead[] = {0, 0, 0xC0, 0xE0, 0xF0};
          out_ += static_cast<char>(lead[len] | (cp >> (6 * (len - 1))));
          for (std::size_t k = len - 1; k-- > 0;) out_ += static_cast<char>(0x80 | ((cp >> (6 * k)) & 0x3F));
        }
    }
  }

  void Bytes(std::uint32_t unit, std::size_t size) {
    const bool big = enc_ == pugi::encoding_utf16_be || enc_ == pugi::encoding_utf32_be;
    for (std::size_t k = 0; k < size; ++k) {
      const std::size_t shift = 8 * (big ? size - 1 - k : k);
      out_ += static_cast<char>((unit >> shift) & 0xFF);
    }
  }

  void Fail(std::string reason) {
    if (ok_) why = std::move(reason);
    ok_ = false;
  }

  std::string& out_;
  pugi::xml_encoding enc_;
  bool crlf_;
  std::uint32_t maxCodePoint_;
  std::array<std::array<bool, 256>, kParts> special_{};
  pugi::xml_node declaration_;  // the one that names the encoding
  bool ok_ = true;
};

}  // namespace

bool IsLatin1Name(std::string_view name) {
  for (const char* alias : {"ISO-8859-1", "ISO8859-1", "ISO_8859-1", "ISO_8859-1:1987", "latin1", "latin-1", "l1",
                            "ISO-IR-100", "IBM819", "CP819", "csISOLatin1"})
    if (SameAsciiText(name, alias)) return true;
  return false;
}

bool IsUtf8Name(std::string_view name) { return SameAsciiText(name, "UTF-8") || SameAsciiText(name, "UTF8"); }

bool WriteModelFile(const pugi::xml_document& doc, const TXmlFileFormat& format, std::string& out,
                    std::string& why) noexcept {
  out.clear();
  try {
    Writer writer(format, out);
    if (writer.Document(doc, format)) return true;
    why = std::move(writer.why);
  } catch (const std::bad_alloc&) {
    why.clear();
    why.shrink_to_fit();
    why = "out of memory";  // short enough to need no allocation
  } catch (...) {
    why.clear();
    why.shrink_to_fit();
    why = "internal error";
  }
  std::string().swap(out);
  return false;
}

}  // namespace vyr::xmlwriter
