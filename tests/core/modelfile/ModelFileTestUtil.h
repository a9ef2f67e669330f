// Test helpers for model files: fixture paths, parsing, selecting nodes by
// XPath and printing a subtree compactly.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>

#include "VyrNativeXml.h"

namespace vyr::test {

/// The bytes of a file; empty when it cannot be read.
inline std::string ReadFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

/// Path of a fixture file under tests/modelfile/data.
inline std::string DataFile(std::string_view name) { return std::string(VYR_MODELFILE_DATA) + "/" + std::string(name); }

/// Parses xml with the model-file options; a parse error fails the test.
inline void ParseXml(pugi::xml_document& doc, std::string_view xml) {
  const pugi::xml_parse_result r = doc.load_buffer(xml.data(), xml.size(), ModelFileParseFlags);
  ASSERT_TRUE(r) << r.description() << " in " << xml;
}

/// The node that an XPath query selects below n; a test failure when none.
inline TVyrXmlNode Select(pugi::xml_node n, const char* xpath) {
  const pugi::xml_node found = n.select_node(xpath).node();
  if (!found) ADD_FAILURE() << "nothing at " << xpath;
  return found;
}

/// A subtree as text without line breaks or indentation.
inline std::string Xml(pugi::xml_node n) {
  std::ostringstream out;
  n.print(out, "", pugi::format_raw);
  return out.str();
}

/// Every element below n (and n itself when it is one), in document order.
inline std::vector<TVyrXmlNode> AllElements(pugi::xml_node n) {
  std::vector<TVyrXmlNode> all;
  for (const pugi::xpath_node& x : n.select_nodes("descendant-or-self::*")) all.emplace_back(x.node());
  return all;
}

}  // namespace vyr::test
