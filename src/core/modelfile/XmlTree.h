// Internal helpers of the model-file unit: the element view of a pugixml tree
// (child elements, text value, attributes by name, the by-name child lookup)
// and a pre-order walk that needs no recursion, so that deeply nested input
// cannot exhaust the stack.
#pragma once

#include <cstddef>
#include <cstring>
#include <pugixml.hpp>
#include <string>
#include <string_view>

#include "VyrNativeXml.h"

namespace vyr::xmltree {

/// A key of s for hash lookups: two texts have the same key exactly when
/// XmlSameText finds them equal.
std::string FoldKey(std::string_view s);

inline bool IsElement(pugi::xml_node n) { return n.type() == pugi::node_element; }

inline bool IsText(pugi::xml_node n) { return n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata; }

/// First child element, or null.
inline pugi::xml_node FirstElement(pugi::xml_node n) {
  pugi::xml_node c = n.first_child();
  while (c && !IsElement(c)) c = c.next_sibling();
  return c;
}

/// Next sibling element, or null.
inline pugi::xml_node NextElement(pugi::xml_node n) {
  pugi::xml_node c = n.next_sibling();
  while (c && !IsElement(c)) c = c.next_sibling();
  return c;
}

inline bool HasChildElements(pugi::xml_node n) { return static_cast<bool>(FirstElement(n)); }

inline std::size_t ChildElementCount(pugi::xml_node n) {
  std::size_t k = 0;
  for (pugi::xml_node c = FirstElement(n); c; c = NextElement(c)) ++k;
  return k;
}

inline std::size_t AttributeCount(pugi::xml_node n) {
  std::size_t k = 0;
  for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) ++k;
  return k;
}

/// First attribute of that exact name, or null.
inline pugi::xml_attribute FindAttr(pugi::xml_node n, std::string_view name) {
  for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
    const char* z = a.name();
    if (std::strncmp(z, name.data(), name.size()) == 0 && z[name.size()] == '\0') return a;
  }
  return {};
}

/// First attribute of that exact name, or null.
inline pugi::xml_attribute FindAttr(pugi::xml_node n, const char* name) {
  for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute())
    if (std::strcmp(name, a.name()) == 0) return a;
  return {};
}

/// XmlSameText for a null-terminated text, without measuring it first: while
/// both are ASCII the letters decide, from the first other byte on XmlSameText.
inline bool SameText(const char* z, std::string_view s) {
  for (std::size_t i = 0;; ++i) {
    if (i == s.size()) return z[i] == '\0';
    const auto a = static_cast<unsigned char>(z[i]), b = static_cast<unsigned char>(s[i]);
    if (a >= 0x80 || b >= 0x80) return XmlSameText(z + i, s.substr(i));
    if (a == '\0') return false;
    if (a != b && ((a | 0x20) != (b | 0x20) || (a | 0x20) < 'a' || (a | 0x20) > 'z')) return false;
  }
}

/// XmlSameText for two null-terminated texts.
inline bool SameText(const char* x, const char* z) {
  for (std::size_t i = 0;; ++i) {
    const auto a = static_cast<unsigned char>(x[i]), b = static_cast<unsigned char>(z[i]);
    if (a >= 0x80 || b >= 0x80) return XmlSameText(x + i, z + i);
    if (a != b && ((a | 0x20) != (b | 0x20) || (a | 0x20) < 'a' || (a | 0x20) > 'z')) return false;
    if (a == '\0') return true;
  }
}

/// First child element of that exact name, or null.
inline pugi::xml_node NamedChild(pugi::xml_node n, std::string_view name) {
  for (pugi::xml_node c = FirstElement(n); c; c = NextElement(c))
    if (name == c.name()) return c;
  return {};
}

/// The text value: an element's first character data or CDATA, the value of
/// any other node, empty for the document node.
inline const char* TextOf(pugi::xml_node n) {
  if (n.type() == pugi::node_element) {
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling())
      if (IsText(c)) return c.value();
    return "";
  }
  return n.type() == pugi::node_document ? "" : n.value();
}

/// Sets the text value. An element without text gets it in front of its
/// children; the document node holds no text.
inline void SetText(pugi::xml_node n, const char* value) {
  if (n.type() == pugi::node_element) {
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling())
      if (IsText(c)) {
        c.set_value(value);
        return;
      }
    if (*value != '\0') n.prepend_child(pugi::node_pcdata).set_value(value);
  } else if (n.type() != pugi::node_document) {
    n.set_value(value);
  }
}

enum class WalkStep { Enter, Skip, Stop };

/// Visits the elements below top in document order, each before its own
/// children. visit returns Enter to go into the element's children, Skip to
/// pass them by, Stop to end the walk; the element that stopped it is returned.
template <typename Visit>
pugi::xml_node Walk(pugi::xml_node top, Visit&& visit) {
  pugi::xml_node n = FirstElement(top);
  while (n) {
    const WalkStep step = visit(n);
    if (step == WalkStep::Stop) return n;
    if (step == WalkStep::Enter) {
      if (pugi::xml_node c = FirstElement(n)) {
        n = c;
        continue;
      }
    }
    for (;;) {
      if (pugi::xml_node s = NextElement(n)) {
        n = s;
        break;
      }
      n = n.parent();
      if (!n || n == top) return {};
    }
  }
  return {};
}

/// True when a is b or one of b's ancestors.
inline bool IsAncestorOrSelf(pugi::xml_node a, pugi::xml_node b) {
  for (; b; b = b.parent())
    if (a == b) return true;
  return false;
}

}  // namespace vyr::xmltree
