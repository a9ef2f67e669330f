// Copying, merging and comparing element subtrees matched by name and "ID".
//
// All three walk the source tree with an explicit stack, so that the depth of
// the input does not matter. Counterparts among many siblings are found
// through an index built once per level, so that the cost grows with the
// number of siblings, not with its square.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "VyrNativeXml.h"
#include "XmlTree.h"

namespace vyr {

using namespace xmltree;

namespace {

constexpr char kID[] = "ID";

// From this many child elements on, lookups go through hash tables instead of
// a pass over the children's keys.
constexpr std::size_t kHashFrom = 32;

// FNV-1a over the bytes of a text.
struct Fnv {
  std::uint64_t h = 14695981039346656037ull;
  void Add(unsigned char c) { h = (h ^ c) * 1099511628211ull; }
};

// A hash of the folded text: equal for texts that XmlSameText finds equal
// (it hashes FoldKey, without building it for ASCII text).
std::uint64_t FoldHash(const char* z) {
  Fnv f;
  f.Add('V');
  for (const char* p = z; *p; ++p) {
    const auto c = static_cast<unsigned char>(*p);
    if (c >= 0x80) {
      Fnv g;
      for (const char k : FoldKey(z)) g.Add(static_cast<unsigned char>(k));
      return g.h;
    }
    f.Add(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
  }
  return f.h;
}

std::uint64_t ExactHash(const char* z) {
  Fnv f;
  for (const char* p = z; *p; ++p) f.Add(static_cast<unsigned char>(*p));
  return f.h;
}

std::uint64_t Combine(std::uint64_t name, std::uint64_t id) { return name ^ (id * 0x9E3779B97F4A7C15ull + (name << 6)); }

// True when t is a counterpart for a child of that name and "ID" value.
bool IsCounterpart(pugi::xml_node t, const char* name, const char* id) {
  if (!SameText(t.name(), name)) return false;
  const pugi::xml_attribute tid = FindAttr(t, kID);
  return !tid || SameText(tid.value(), id);
}

// The child elements of one element with hashes of their folded names and
// "ID" values and of their exact names, in document order. Lookups compare
// hashes first and confirm a hit on the texts, so that the first match in
// document order is the one a pass over the children would find. Many
// children are also entered in hash tables, each key with the positions
// that carry it in ascending order. The index follows the changes that
// copying and merging make to the children: an element renamed or given an
// "ID" (Changing before, Changed after) and elements appended.
class ChildIndex {
 public:
  explicit ChildIndex(pugi::xml_node parent) {
    entries_.reserve(16);  // most levels of a model hold fewer
    for (pugi::xml_node c = FirstElement(parent); c; c = NextElement(c)) entries_.push_back(Keys(c));
    if (entries_.size() >= kHashFrom) {
      hashed_ = true;
      withId_.reserve(entries_.size());  // siblings with "ID" mostly have one each
      for (std::uint32_t k = 0; k < entries_.size(); ++k) Enter(k);
    }
  }

  // The first child named like c whose "ID" is missing or equals c's (empty when c has none).
  pugi::xml_node Counterpart(pugi::xml_node c) const {
    const char* name = c.name();
    const pugi::xml_attribute idAttr = FindAttr(c, kID);
    const char* id = idAttr ? idAttr.value() : "";
    const std::uint64_t nameHash = FoldHash(name), idHash = FoldHash(id);
    if (!hashed_) {
      for (std::uint32_t at = 0; at < entries_.size(); ++at) {
        const Entry& e = entries_[at];
        if (e.name == nameHash && (!e.hasId || e.id == idHash) && IsCounterpart(e.node, name, id)) return Found(at);
      }
      return {};
    }
    std::uint32_t first = kNone;
    for (const Table* table : {&withId_, &withoutId_}) {
      const auto k = table->find(table == &withId_ ? Combine(nameHash, idHash) : nameHash);
      if (k == table->end()) continue;
      for (const std::uint32_t at : k->second) {
        if (at >= first) break;
        if (IsCounterpart(entries_[at].node, name, id)) {
          first = at;
          break;
        }
      }
    }
    return first == kNone ? pugi::xml_node() : Found(first);
  }

  // The first child of exactly that name.
  pugi::xml_node Named(const char* name) const {
    const std::uint64_t hash = ExactHash(name);
    auto same = [&](std::uint32_t at) {
      return entries_[at].exact == hash && std::strcmp(entries_[at].node.name(), name) == 0;
    };
    if (!hashed_) {
      for (std::uint32_t at = 0; at < entries_.size(); ++at)
        if (same(at)) return Found(at);
      return {};
    }
    const auto k = byName_.find(hash);
    if (k != byName_.end())
      for (const std::uint32_t at : k->second)
        if (same(at)) return Found(at);
    return {};
  }

  void Appended(pugi::xml_node c) {
    entries_.push_back(Keys(c));
    if (hashed_) Enter(static_cast<std::uint32_t>(entries_.size() - 1));
  }

  // The child changing is, as a rule, the one found last.
  void Changing(pugi::xml_node c) {
    changing_ = found_ < entries_.size() && entries_[found_].node == c ? found_ : Find(c);
  }

  // The child leaves the lists of the keys it no longer has, so that a lookup
  // never passes over children that used to match: a source child with an
  // "ID" that takes the first target child without one must not walk past
  // all the earlier ones that have been given theirs.
  void Changed(pugi::xml_node c) {
    if (changing_ == kNone || entries_[changing_].node != c) return;
    Entry& e = entries_[changing_];
    const Entry now = Keys(c);
    const bool keyChanged = now.name != e.name || now.hasId != e.hasId || now.id != e.id;
    const bool nameChanged = now.exact != e.exact;
    if (hashed_) {
      // Only the lists whose key changed: a child that stays in a list
      // stays in its place there.
      if (keyChanged) Remove(e.hasId ? withId_ : withoutId_, Key(e), changing_);
      if (nameChanged) Remove(byName_, e.exact, changing_);
    }
    e = now;
    if (hashed_) {
      if (keyChanged) Insert((e.hasId ? withId_ : withoutId_)[Key(e)], changing_);
      if (nameChanged) Insert(byName_[e.exact], changing_);
    }
  }

 private:
  struct Entry {
    pugi::xml_node node;
    std::uint64_t name;   // FoldHash of the name
    std::uint64_t id;     // FoldHash of the "ID" value
    std::uint64_t exact;  // ExactHash of the name
    bool hasId;
  };
  // Positions in ascending order from head on; the ones in front of head
  // have left (the child that leaves is, as a rule, the first).
  struct Positions {
    std::vector<std::uint32_t> at;
    std::size_t head = 0;
    std::vector<std::uint32_t>::const_iterator begin() const { return at.begin() + static_cast<std::ptrdiff_t>(head); }
    std::vector<std::uint32_t>::const_iterator end() const { return at.end(); }
  };
  using Table = std::unordered_map<std::uint64_t, Positions>;
  static constexpr std::uint32_t kNone = UINT32_MAX;

  static Entry Keys(pugi::xml_node c) {
    const pugi::xml_attribute id = FindAttr(c, kID);
    return {c, FoldHash(c.name()), id ? FoldHash(id.value()) : 0, ExactHash(c.name()), static_cast<bool>(id)};
  }

  pugi::xml_node Found(std::uint32_t at) const {
    found_ = at;
    return entries_[at].node;
  }

  std::uint32_t Find(pugi::xml_node c) const {
    for (std::uint32_t at = 0; at < entries_.size(); ++at)
      if (entries_[at].node == c) return at;
    return kNone;
  }

  static void Insert(Positions& positions, std::uint32_t at) {
    auto& v = positions.at;
    const auto first = v.begin() + static_cast<std::ptrdiff_t>(positions.head);
    const auto where = std::lower_bound(first, v.end(), at);
    if (where != v.end() && *where == at) return;
    if (where == first && positions.head > 0) {
      v[--positions.head] = at;  // reuses a place a child left
      return;
    }
    v.insert(where, at);
  }

  static void Remove(Table& table, std::uint64_t key, std::uint32_t at) {
    const auto k = table.find(key);
    if (k == table.end()) return;
    Positions& positions = k->second;
    auto& v = positions.at;
    const auto first = v.begin() + static_cast<std::ptrdiff_t>(positions.head);
    const auto where = std::lower_bound(first, v.end(), at);
    if (where == v.end() || *where != at) return;
    if (where == first)
      ++positions.head;
    else
      v.erase(where);
    if (positions.head == v.size()) table.erase(k);
  }

  // The key of the child's name and "ID" in withId_ or withoutId_.
  static std::uint64_t Key(const Entry& e) { return e.hasId ? Combine(e.name, e.id) : e.name; }

  void Enter(std::uint32_t at) {
    const Entry& e = entries_[at];
    Insert((e.hasId ? withId_ : withoutId_)[Key(e)], at);
    Insert(byName_[e.exact], at);
  }

  std::vector<Entry> entries_;
  bool hashed_ = false;
  Table withId_, withoutId_, byName_;
  std::uint32_t changing_ = kNone;
  mutable std::uint32_t found_ = kNone;  // position of the last child found
};

// The child elements of a target element as copying, merging and comparing
// look them up, indexed at the first lookup.
class TargetChildren {
 public:
  explicit TargetChildren(pugi::xml_node parent) : parent_(parent) {}

  pugi::xml_node Parent() const { return parent_; }

  // The counterpart of c: the first child named like c without "ID" or with
  // c's "ID" (empty when c has none), as NodeByName_and_AttributeValue finds it.
  pugi::xml_node Counterpart(pugi::xml_node c) { return Index().Counterpart(c); }

  // The first child of exactly c's name.
  pugi::xml_node Named(pugi::xml_node c) { return Index().Named(c.name()); }

  // Appends a deep copy of c.
  void AppendCopy(pugi::xml_node c) {
    const pugi::xml_node copy = parent_.append_copy(c);
    if (index_ && copy) index_->Appended(copy);
  }

  // A child is about to change its name or attributes, and has changed them.
  void Changing(pugi::xml_node c) {
    if (index_) index_->Changing(c);
  }
  void Changed(pugi::xml_node c) {
    if (index_) index_->Changed(c);
  }

 private:
  ChildIndex& Index() {
    if (!index_) index_ = std::make_unique<ChildIndex>(parent_);
    return *index_;
  }

  pugi::xml_node parent_;
  std::unique_ptr<ChildIndex> index_;
};

void CopyName(pugi::xml_node target, pugi::xml_node source) {
  if (std::string_view(target.name()) != source.name()) target.set_name(source.name());
}

// The attributes of one element looked up by exact name: the first of that
// name, as FindAttr finds it. Many attributes are entered in a hash table
// once, so that looking up each of another element's attributes costs a walk
// over both, not their product.
class AttributeIndex {
 public:
  explicit AttributeIndex(pugi::xml_node n) : node_(n) {
    std::size_t count = 0;
    for (pugi::xml_attribute a = n.first_attribute(); a && count < kHashFrom; a = a.next_attribute()) ++count;
    if (count < kHashFrom) return;
    hashed_ = true;
    for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) byName_.emplace(a.name(), a);
  }

  pugi::xml_attribute Find(const char* name) const {
    if (!hashed_) return FindAttr(node_, name);
    const auto k = byName_.find(name);
    return k == byName_.end() ? pugi::xml_attribute() : k->second;
  }

  pugi::xml_attribute Append(const char* name) {
    const pugi::xml_attribute a = node_.append_attribute(name);
    if (hashed_ && a) byName_.emplace(a.name(), a);
    return a;
  }

 private:
  pugi::xml_node node_;
  bool hashed_ = false;
  std::unordered_map<std::string_view, pugi::xml_attribute> byName_;
};

// Sets each attribute of source on target, adding the ones target lacks.
void CopyAttributes(pugi::xml_node target, pugi::xml_node source) {
  if (!source.first_attribute()) return;
  AttributeIndex targets(target);
  for (pugi::xml_attribute a = source.first_attribute(); a; a = a.next_attribute()) {
    pugi::xml_attribute t = targets.Find(a.name());
    if (!t) t = targets.Append(a.name());
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

// Where a source child goes on: the target child below which its children
// are taken over (null: nothing below it), and whether that target child
// takes the source child's own data as well.
struct Into {
  pugi::xml_node target;
  bool own = true;
};

// A target and the next child of its source still to be taken over.
struct CopyLevel {
  TargetChildren target;
  pugi::xml_node next;
};

}  // namespace

namespace {

// Takes source over into target level by level: own(t, s) takes a node's own
// data; child(children, c) deals with the source child c among the target's
// children and returns where to go on below it. own_root: target takes the
// source's own data as well.
template <class Own, class Child>
void TakeOver(pugi::xml_node target, pugi::xml_node source, Own own, Child child, bool own_root = true) {
  pugi::xml_document holder;
  source = Detached(target, source, holder);
  if (!source) return;
  if (own_root) own(target, source);
  std::vector<CopyLevel> levels;
  levels.push_back({TargetChildren(target), FirstElement(source)});
  while (!levels.empty()) {
    CopyLevel& level = levels.back();
    const pugi::xml_node c = level.next;
    if (!c) {
      levels.pop_back();
      continue;
    }
    level.next = NextElement(c);
    if (const Into into = child(level.target, c); into.target) {
      if (into.own) {
        level.target.Changing(into.target);
        own(into.target, c);
        level.target.Changed(into.target);
      }
      levels.push_back({TargetChildren(into.target), FirstElement(c)});
    }
  }
}

}  // namespace

void TVyrXmlNode::CopyNodesByID(pugi::xml_node source) {
  if (!*this || !source) return;
  TakeOver(*this, source, CopyOwn, [](TargetChildren& children, pugi::xml_node c) {
    const pugi::xml_node t = children.Counterpart(c);
    if (!t) children.AppendCopy(c);
    return Into{t};
  });
}

void TVyrXmlNode::MergeDataFromByID(pugi::xml_node source) {
  if (!*this || !source) return;
  // An element still empty takes the source's elements but keeps its
  // attributes, like an empty child below it; its name follows the source.
  const bool emptyTarget = !HasChildElements(*this) && *TextOf(*this) == '\0';
  if (emptyTarget) CopyName(*this, source);
  TakeOver(*this, source, MergeOwn, [](TargetChildren& children, pugi::xml_node c) {
    // A child with "ID" goes into its counterpart; one without into the child
    // of the same name. A leaf there keeps its value and attributes; an
    // element that is still empty, without text or elements, takes the source
    // child's elements (an empty "Components" its components) but keeps its
    // own attributes, as a leaf does.
    const bool hasId = static_cast<bool>(FindAttr(c, kID));
    const pugi::xml_node t = hasId ? children.Counterpart(c) : children.Named(c);
    if (!t) {
      children.AppendCopy(c);
      return Into{};
    }
    if (hasId || HasChildElements(t)) return Into{t};
    const bool empty = *TextOf(t) == '\0';
    return empty && HasChildElements(c) ? Into{t, false} : Into{};
  }, !emptyTarget);
}

namespace {

// The node phase of IsEqualToKQ: false at the first test that fails.
// An element's text value and number of child elements, in one pass over its children.
struct Content {
  const char* text = "";
  std::size_t elements = 0;
};

Content ContentOf(pugi::xml_node n) {
  if (n.type() != pugi::node_element) return {TextOf(n), ChildElementCount(n)};
  Content content;
  bool text = false;
  for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) {
    const pugi::xml_node_type type = c.type();
    if (type == pugi::node_element) {
      ++content.elements;
    } else if (!text && (type == pugi::node_pcdata || type == pugi::node_cdata)) {
      content.text = c.value();
      text = true;
    }
  }
  return content;
}

bool OwnDataEqual(pugi::xml_node a, pugi::xml_node b, TXmlCompareOptions options) {
  if (options.contains(xcoName) && !SameText(a.name(), b.name())) return false;
  if (options.contains(xcoType) && a.type() != b.type()) return false;
  const bool content = options.contains(xcoValue) || options.contains(xcoChildCount);
  const Content ca = content ? ContentOf(a) : Content(), cb = content ? ContentOf(b) : Content();
  if (options.contains(xcoValue) && !SameText(ca.text, cb.text)) return false;
  if (options.contains(xcoAttrCount) && AttributeCount(a) != AttributeCount(b)) return false;
  if ((options.contains(xcoAttrNames) || options.contains(xcoAttrValues)) && a.first_attribute()) {
    const AttributeIndex others(b);
    for (pugi::xml_attribute x = a.first_attribute(); x; x = x.next_attribute()) {
      const pugi::xml_attribute y = others.Find(x.name());
      if (!y) {
        if (options.contains(xcoAttrNames)) return false;
        continue;
      }
      if (options.contains(xcoAttrValues) && !SameText(x.value(), y.value())) return false;
    }
  }
  if (options.contains(xcoChildCount) && ca.elements != cb.elements) return false;
  return true;
}

// One comparison in progress: the two nodes, the next child of a to match and
// whether the children compared so far were equal.
struct CompareLevel {
  pugi::xml_node a;
  TargetChildren b;
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
    return CompareLevel{a, TargetChildren(b), childPhase ? FirstElement(a) : pugi::xml_node(), true};
  };
  // Elements whose own data differ go to the front of the list, the last
  // one ended first: they are gathered here and put there once at the end,
  // not each moved in front of all the others.
  std::vector<TVyrXmlNode> front;
  std::vector<CompareLevel> levels;
  levels.push_back(level(*this, other));
  for (;;) {
    CompareLevel& cur = levels.back();
    if (const pugi::xml_node c = cur.next) {
      cur.next = NextElement(c);
      const pugi::xml_node j = cur.b.Counterpart(c);
      if (!j) {
        if (names) {
          if (list) list->emplace_back(c);
          cur.childrenEqual = false;
        }
        continue;
      }
      if (values && !SameText(TextOf(c), TextOf(j))) {
        if (list) list->emplace_back(c);
        cur.childrenEqual = false;
      }
      if (recursive) levels.push_back(level(c, j));
      continue;
    }
    // Children done: the node's own data decides the rest.
    const bool ownEqual = OwnDataEqual(cur.a, cur.b.Parent(), options);
    const bool equal = cur.childrenEqual && ownEqual;
    if (!ownEqual && list) front.emplace_back(cur.a);
    levels.pop_back();
    if (levels.empty()) {
      if (!front.empty()) list->insert(list->begin(), front.rbegin(), front.rend());
      return equal;
    }
    if (!equal) levels.back().childrenEqual = false;
  }
}

}  // namespace vyr
