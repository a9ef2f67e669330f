// Fuzz target of the model-file unit: loading arbitrary bytes as a model file
// and every query, path, copy, merge and comparison on whatever tree the bytes
// parse to. Besides crashes and sanitizer reports it checks what must hold
// for any input:
// - a model file saved and loaded again saves to the same bytes;
// - the element found by an element's ID path or index path has that path;
// - case-insensitive comparison is reflexive and symmetric.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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
