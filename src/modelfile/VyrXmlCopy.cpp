// Copying, merging and comparing element subtrees matched by name and "ID".
//
// All three walk the source tree with an explicit stack, so that the depth of
// the input does not matter.
#include <string_view>
#include <vector>

#include "VyrNativeXml.h"
#include "XmlTree.h"

namespace vyr {

using namespace xmltree;

namespace {

constexpr std::string_view kID = "ID";

// The counterpart of c among the child elements of in: the first of c's name
// without "ID" or with c's "ID" (empty when c has none).
pugi::xml_node Counterpart(pugi::xml_node in, pugi::xml_node c) {
  const pugi::xml_attribute id = FindAttr(c, kID);
  return TVyrXmlNode(in).NodeByName_and_AttributeValue(c.name(), kID, id ? id.value() : "", false, true);
}

void CopyName(pugi::xml_node target, pugi::xml_node source) {
  if (std::string_view(target.name()) != source.name()) target.set_name(source.name());
}

// Sets each attribute of source on target, adding the ones target lacks.
void CopyAttributes(pugi::xml_node target, pugi::xml_node source) {
  for (pugi::xml_attribute a = source.first_attribute(); a; a = a.next_attribute()) {
    pugi::xml_attribute t = FindAttr(target, a.name());
    if (!t) t = target.append_attribute(a.name());
    t.set_value(a.value());
  }
}

// The node's own data as CopyNodesByID takes it. pugixml fixes a node's type
// when the node is made, so the type stays; below the node both sides are
// elements anyway.
void CopyOwn(pugi::xml_node target, pugi::xml_node source) {
  CopyName(target, source);
  SetText(target, TextOf(source));
  CopyAttributes(target, source);
}

// The node's own data as MergeDataFromByID takes it: the text stays.
void MergeOwn(pugi::xml_node target, pugi::xml_node source) {
  CopyName(target, source);
  CopyAttributes(target, source);
}

// source, or a copy of it in holder when source and target overlap (one lies
// in the other), so that the walk over source never sees its own changes.
pugi::xml_node Detached(pugi::xml_node target, pugi::xml_node source, pugi::xml_document& holder) {
  if (!IsAncestorOrSelf(source, target) && !IsAncestorOrSelf(target, source)) return source;
  if (source.type() != pugi::node_document) return holder.append_copy(source);
  for (pugi::xml_node c = source.first_child(); c; c = c.next_sibling()) holder.append_copy(c);
  return holder;
}

// A target and the next child of its source still to be taken over.
struct CopyLevel {
  pugi::xml_node target;
  pugi::xml_node next;
};

}  // namespace

namespace {

// Takes source over into target level by level: own(t, s) takes a node's own
// data; child(t, c) deals with the source child c under the target node t and
// returns the target child to go on below (null: nothing below c to take).
template <class Own, class Child>
void TakeOver(pugi::xml_node target, pugi::xml_node source, Own own, Child child) {
  pugi::xml_document holder;
  source = Detached(target, source, holder);
  if (!source) return;
  own(target, source);
  std::vector<CopyLevel> levels{{target, FirstElement(source)}};
  while (!levels.empty()) {
    CopyLevel& level = levels.back();
    const pugi::xml_node c = level.next;
    if (!c) {
      levels.pop_back();
      continue;
    }
    level.next = NextElement(c);
    if (const pugi::xml_node t = child(level.target, c)) {
      own(t, c);
      levels.push_back({t, FirstElement(c)});
    }
  }
}

}  // namespace

void TVyrXmlNode::CopyNodesByID(pugi::xml_node source) {
  if (!*this || !source) return;
  TakeOver(*this, source, CopyOwn, [](pugi::xml_node target, pugi::xml_node c) {
    const pugi::xml_node t = Counterpart(target, c);
    if (!t) target.append_copy(c);
    return t;
  });
}

void TVyrXmlNode::MergeDataFromByID(pugi::xml_node source) {
  if (!*this || !source) return;
  TakeOver(*this, source, MergeOwn, [](pugi::xml_node target, pugi::xml_node c) {
    // A child with "ID" goes into its counterpart; one without into the child
    // of the same name. A leaf there keeps its value and attributes; an
    // element that is still empty, without text or elements, takes the source
    // child's elements (an empty "Components" its components).
    const pugi::xml_node t = FindAttr(c, kID) ? Counterpart(target, c) : NamedChild(target, c.name());
    if (!t) {
      target.append_copy(c);
      return pugi::xml_node();
    }
    const bool empty = !HasChildElements(t) && *TextOf(t) == '\0';
    return FindAttr(c, kID) || HasChildElements(t) || (empty && HasChildElements(c)) ? t : pugi::xml_node();
  });
}

namespace {

// The node phase of IsEqualToKQ: false at the first test that fails.
bool OwnDataEqual(pugi::xml_node a, pugi::xml_node b, TXmlCompareOptions options) {
  if (options.contains(xcoName) && !XmlSameText(a.name(), b.name())) return false;
  if (options.contains(xcoType) && a.type() != b.type()) return false;
  if (options.contains(xcoValue) && !XmlSameText(TextOf(a), TextOf(b))) return false;
  if (options.contains(xcoAttrCount) && AttributeCount(a) != AttributeCount(b)) return false;
  if (options.contains(xcoAttrNames) || options.contains(xcoAttrValues)) {
    for (pugi::xml_attribute x = a.first_attribute(); x; x = x.next_attribute()) {
      const pugi::xml_attribute y = FindAttr(b, x.name());
      if (!y) {
        if (options.contains(xcoAttrNames)) return false;
        continue;
      }
      if (options.contains(xcoAttrValues) && !XmlSameText(x.value(), y.value())) return false;
    }
  }
  if (options.contains(xcoChildCount) && ChildElementCount(a) != ChildElementCount(b)) return false;
  return true;
}

// One comparison in progress: the two nodes, the next child of a to match and
// whether the children compared so far were equal.
struct CompareLevel {
  pugi::xml_node a;
  pugi::xml_node b;
  pugi::xml_node next;
  bool childrenEqual;
};

}  // namespace

bool TVyrXmlNode::IsEqualToKQ(pugi::xml_node other, TXmlCompareOptions options, TXmlNodeList* list) const {
  if (!*this || !other) return false;
  const bool names = options.contains(xcoChildNames);
  const bool values = options.contains(xcoChildValues);
  const bool recursive = options.contains(xcoRecursive);
  const bool childPhase = names || values || recursive;
  auto level = [&](pugi::xml_node a, pugi::xml_node b) {
    return CompareLevel{a, b, childPhase ? FirstElement(a) : pugi::xml_node(), true};
  };
  std::vector<CompareLevel> levels{level(*this, other)};
  for (;;) {
    CompareLevel& cur = levels.back();
    if (const pugi::xml_node c = cur.next) {
      cur.next = NextElement(c);
      const pugi::xml_node j = Counterpart(cur.b, c);
      if (!j) {
        if (names) {
          if (list) list->emplace_back(c);
          cur.childrenEqual = false;
        }
        continue;
      }
      if (values && !XmlSameText(TextOf(c), TextOf(j))) {
        if (list) list->emplace_back(c);
        cur.childrenEqual = false;
      }
      if (recursive) levels.push_back(level(c, j));
      continue;
    }
    // Children done: the node's own data decides the rest.
    const bool ownEqual = OwnDataEqual(cur.a, cur.b, options);
    const bool equal = cur.childrenEqual && ownEqual;
    if (!ownEqual && list) list->insert(list->begin(), TVyrXmlNode(cur.a));
    levels.pop_back();
    if (levels.empty()) return equal;
    if (!equal) levels.back().childrenEqual = false;
  }
}

}  // namespace vyr
