// Fuzz target of the model-file unit: loading arbitrary bytes as a model file
// and every query, path, copy, merge and comparison on whatever tree the bytes
// parse to. Besides crashes and sanitizer reports it checks what must hold
// for any input:
// - a model file saved and loaded again saves to the same bytes;
// - saved in any encoding, it loads again with the same tree;
// - the element found by an element's ID path or index path has that path;
// - case-insensitive comparison is reflexive and symmetric.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "Messages.h"
#include "VyrNativeXml.h"

namespace {

using namespace vyr;

[[noreturn]] void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "property violated: %s\n%s\n", what, detail.c_str());
  std::abort();
}

constexpr std::size_t kMaxElements = 256;  // elements queried one by one
constexpr std::size_t kMaxPairs = 12;      // elements taking part in copies and comparisons

std::vector<TVyrXmlNode> Elements(pugi::xml_node top) {
  std::vector<TVyrXmlNode> all;
  for (const pugi::xpath_node& x : top.select_nodes("descendant::*")) {
    all.emplace_back(x.node());
    if (all.size() == kMaxElements) break;
  }
  return all;
}

std::string_view IdOf(pugi::xml_node n) { return n.attribute("ID").value(); }

// The tree of a document without its declarations, which saving may add,
// move to the front or give another encoding.
std::string TreeText(const pugi::xml_document& doc) {
  pugi::xml_document copy;
  copy.reset(doc);
  for (pugi::xml_node c = copy.first_child(), next; c; c = next) {
    next = c.next_sibling();
    if (c.type() == pugi::node_declaration) copy.remove_child(c);
  }
  std::ostringstream out;
  copy.print(out, "", pugi::format_raw);
  return out.str();
}

// Saved in any encoding that loading accepts, a model loads again in that
// encoding with the same tree. Only an encoding other than UTF-8 may refuse
// (a character it lacks where no reference may stand, text that is not UTF-8),
// and then with a reason.
void CheckEveryEncoding(TVyrXmlDocument& model) {
  const TXmlFileFormat format = model.Format;
  const std::string tree = TreeText(model.Document());
  for (const pugi::xml_encoding enc : {pugi::encoding_utf8, pugi::encoding_utf16_le, pugi::encoding_utf16_be,
                                       pugi::encoding_utf32_le, pugi::encoding_utf32_be, pugi::encoding_latin1}) {
    model.Format.Encoding = enc;
    const std::string saved = model.SaveToString();
    if (saved.empty()) {
      if (enc == pugi::encoding_utf8 || model.LastError().empty())
        Fail("only an encoding other than UTF-8 refuses, with a reason", model.LastError());
      continue;
    }
    TVyrXmlDocument again;
    if (!again.LoadFromString(saved, "encoded.xml")) Fail("a model saved in an encoding loads again", again.LastError());
    if (again.Format.Encoding != enc) Fail("a model saved in an encoding loads in that encoding", saved);
    if (TreeText(again.Document()) != tree)
      Fail("a model saved in an encoding keeps its tree", tree + "\n----\n" + TreeText(again.Document()));
  }
  model.Format = format;
}

void CheckLoadAndSave(std::string_view bytes) {
  TVyrXmlDocument model;
  if (!model.LoadFromString(bytes, "fuzz.xml")) {
    if (model.LastError().empty() || model.Root()) Fail("a failed load leaves an error and no document", "");
    return;
  }
  const std::string saved = model.SaveToString();
  TVyrXmlDocument again;
  if (!again.LoadFromString(saved, "saved.xml")) Fail("a saved model loads again", again.LastError() + "\n" + saved);
  const std::string savedAgain = again.SaveToString();
  if (savedAgain != saved) Fail("saving is stable", saved + "\n----\n" + savedAgain);
  CheckEveryEncoding(model);
}

void CheckQueries(pugi::xml_document& doc) {
  const TVyrXmlNode top = doc;
  const std::vector<TVyrXmlNode> all = Elements(doc);
  TXmlNodeList list;
  for (const TVyrXmlNode e : all) {
    const std::string_view name = e.name();
    const std::string_view id = IdOf(e);
    const TVyrXmlNode child = e.first_child();
    const std::string_view childName = child.name();

    (void)(e.IsCaseNode() || e.IsConfigNode() || e.HasChildCaseNode() || e.HasChildConfigNode());
    (void)e.CfgRootNode();
    (void)e.RefModelRoot();
    (void)e.HasChildVYRComponent(id);
    (void)e.HasParentVYRComponent(id, static_cast<TCompType>(name.size() % 4));
    (void)e.NodeByName_and_AttributeValue(childName, "ID", IdOf(child), true, name.size() % 2 == 0);
    (void)e.NodeBy2AttributesAnd2Values(childName, "ID", IdOf(child), "CompType", "ctModelComp", true);
    (void)e.NodeIndexByName_and_Attribute(childName, "ID", id);
    e.FindNodes_by_Name_and_AttributeValue(name, "ID", id, list);
    try {
      (void)e.VYRcompXmlNodeByFormClassNameFromCfg(e.attribute("FormClassName").value(), true);
      if (!e.IsCfgNode()) Fail("only a configuration node is searched by form class name", std::string(name));
    } catch (const VYRexception&) {
      if (e.IsCfgNode()) Fail("a configuration node is searched by form class name", std::string(name));
    }
    (void)e.AncestorSubNode();
    (void)e.ValueFromNodeAsFloatDef(childName, 0.0);
    (void)e.ValueFromNodeAsBoolDef(childName, false);
    (void)e.ValueFromNodeAsStringDef(childName, "");

    const std::string idPath = e.GetIDPath(top);
    const TVyrXmlNode byId = top.FindNodebyIDPath(idPath, top, {});
    if (!byId || byId.GetIDPath(top) != idPath) Fail("the element at an ID path has that path", idPath);
    const TVyrXmlNode cfg = e.CfgRootNode();
    const std::string cfgPath = e.GetCfgIDPath();
    const TVyrXmlNode byCfgId = cfg.FindNodebyIDPath(cfgPath, cfg, {});
    if (cfg && (!byCfgId || byCfgId.GetIDPath(cfg) != cfgPath))
      Fail("the element at a configuration ID path has that path", cfgPath);
    const std::string indexPath = e.GetIndexPath();
    const TVyrXmlNode byIndex = top.FindNodeByIndexPath(indexPath);
    if (!byIndex || byIndex.GetIndexPath() != indexPath) Fail("the element at an index path has that path", indexPath);

    if (!XmlSameText(name, name) || XmlSameText(name, childName) != XmlSameText(childName, name))
      Fail("comparison is reflexive and symmetric", std::string(name) + " / " + std::string(childName));
  }
}

void CheckCopies(const pugi::xml_document& doc, TXmlCompareOptions options) {
  std::vector<TVyrXmlNode> some{TVyrXmlNode(doc)};
  const std::vector<TVyrXmlNode> all = Elements(doc);
  const std::size_t step = all.size() / kMaxPairs + 1;
  for (std::size_t k = 0; k < all.size(); k += step) some.push_back(all[k]);

  TXmlNodeList list;
  for (std::size_t k = 0; k < some.size(); ++k) {
    (void)some[k].IsEqualToKQ(some[k], options, &list);
    (void)some[k].IsEqualToKQ(some[(k + 1) % some.size()], options, &list);
    if (list.size() > 4096) list.clear();
  }
  // Into a separate document, from every element chosen.
  for (const TVyrXmlNode s : some) {
    pugi::xml_document work;
    TVyrXmlNode target = work.append_child("Target");
    target.CopyNodesByID(s);
    target.MergeDataFromByID(s);
    target.NodeNew_withIDattr(s.name(), IdOf(s));
    target.TryDeleteNodeByName(s.name());
    target.ConfigCaseAttributeDelete("ID", true);
  }
  // Within one document, where source and target may lie in one another.
  pugi::xml_document work;
  work.reset(doc);
  const std::vector<TVyrXmlNode> inWork = Elements(work);
  if (inWork.size() >= 2) {
    TVyrXmlNode first = inWork.front(), last = inWork.back(), middle = inWork[inWork.size() / 2];
    last.CopyNodesByID(first);
    middle.MergeDataFromByID(work.document_element());
    TVyrXmlNode(work.document_element()).CopyNodesByID(Elements(work).back());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool silenced = [] {
    SetMessageHandler([](const TMessage&) { return static_cast<int>(mrOk); });
    return true;
  }();
  (void)silenced;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CheckLoadAndSave(bytes);

  pugi::xml_document doc;
  if (!doc.load_buffer(data, size, ModelFileParseFlags)) return 0;
  CheckQueries(doc);
  TXmlCompareOptions options;
  const unsigned bits = size >= 2 ? data[0] | (data[1] << 8) : 0x3FF;
  for (int k = 0; k < XmlCompareOptionCount; ++k)
    if ((bits >> k) & 1u) options.insert(static_cast<TXmlCompareOption>(k));
  CheckCopies(doc, options);
  return 0;
}
