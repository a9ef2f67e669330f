// Model files: the XML element tree of a model with its base configuration,
// configurations, cases and components.
//
// The tree is a pugixml document. TVyrXmlNode is a pugi::xml_node that adds
// the model-file operations and no data; any node of a document converts to
// it. The operations see elements only: an element's text (its character
// data and CDATA) is its value, not a child node, and comments, processing
// instructions, the declaration and the document type are kept by loading,
// saving and deep copies but are not child nodes of these operations.
//
// Element names and attribute values are compared case-insensitively with
// Unicode case folding (XmlSameText); attribute names, ID paths and the test
// for a configuration node are exact. Operations on a null node return null,
// -1, false, an empty string or the given default and change nothing.
#pragma once

#include <array>
#include <cstdint>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "VYRtypes.h"
#include "VyrExport.h"

namespace vyr {

/// Number of entries of CfgReadComponent_ids.
inline constexpr int CfgReadComponentCount = 11;

/// Model-level singleton elements of a configuration, in TCfgCaseOptionsElement order.
extern VYR_API const std::array<std::string_view, CfgReadComponentCount> CfgReadComponent_ids;

/// An element name with the value of that element's "ID" attribute.
struct TNodeIDrec {
  std::string NodeName;    ///< element name
  std::string NodeIDattr;  ///< value of the element's "ID" attribute
};

/// What IsEqualToKQ compares; member n is flag n of the option set.
enum TXmlCompareOption : std::uint8_t {
  xcoName,         ///< node names must be equal
  xcoType,         ///< node types must be equal
  xcoValue,        ///< text values must be equal
  xcoAttrCount,    ///< attribute counts must be equal
  xcoAttrNames,    ///< every attribute of this element must exist on the other
  xcoAttrValues,   ///< attributes present on both must have equal values
  xcoChildCount,   ///< child-element counts must be equal
  xcoChildNames,   ///< every child must have a counterpart on the other side
  xcoChildValues,  ///< counterparts must have equal text values
  xcoRecursive     ///< counterparts are compared recursively with the same options
};

/// Number of TXmlCompareOption members.
inline constexpr int XmlCompareOptionCount = 10;

/// Set of compare options.
using TXmlCompareOptions = TEnumSet<TXmlCompareOption, XmlCompareOptionCount>;

/// Every compare option.
inline constexpr TXmlCompareOptions xcoAll{xcoName,       xcoType,       xcoValue,      xcoAttrCount,   xcoAttrNames,
                                           xcoAttrValues, xcoChildCount, xcoChildNames, xcoChildValues, xcoRecursive};

/// True when a and b (UTF-8) are equal under Unicode full case folding and
/// canonical equivalence; text that is not valid UTF-8 is compared byte-wise
/// with ASCII letters folded.
VYR_API bool XmlSameText(std::string_view a, std::string_view b);

class TVyrXmlNode;

/// Elements collected by the searches and comparisons (non-owning).
using TXmlNodeList = std::vector<TVyrXmlNode>;

/// A node of a model-file document with the model-file operations.
class VYR_API TVyrXmlNode : public pugi::xml_node {
 public:
  /// The null node.
  TVyrXmlNode() = default;
  /// The same node as n.
  TVyrXmlNode(pugi::xml_node n) : pugi::xml_node(n) {}

  // --- Configuration nodes ---------------------------------------------

  /// True for an element named exactly "Case".
  bool IsCaseNode() const;
  /// True for an element named exactly "Config".
  bool IsConfigNode() const;
  /// True for an element named exactly "Case", "Config", "BaseCfg" or "ReferenceModel".
  bool IsCfgNode() const;
  /// The configuration node this node belongs to (itself when it is one), or null.
  TVyrXmlNode CfgRootNode() const;
  /// The reference model of this node's document: the root element's child
  /// "BaseCfg", else its child "ReferenceModel", else null.
  TVyrXmlNode RefModelRoot() const;
  /// True when a child element is a "Case" node.
  bool HasChildCaseNode() const;
  /// True when a child element is a "Config" node.
  bool HasChildConfigNode() const;
  /// True when an element "TVYRcomp" with that "ID" lies anywhere below this node.
  bool HasChildVYRComponent(std::string_view compID) const;
  /// True when the "Components" child of an enclosing level, up to the root
  /// element, holds a "TVYRcomp" of that "ID" whose "CompType" names compType.
  bool HasParentVYRComponent(std::string_view compID, TCompType compType) const;

  // --- Searches by name and attribute ----------------------------------

  /// First child element named name that has attribute attrName equal to
  /// attrValue (any such child when attrName is empty; a child without the
  /// attribute when acceptMissing); with recursive, each non-matching child is
  /// searched before its next sibling. Null when none.
  TVyrXmlNode NodeByName_and_AttributeValue(std::string_view name, std::string_view attrName,
                                            std::string_view attrValue, bool recursive, bool acceptMissing) const;
  /// First child element named name whose attributes attr1 and attr2 equal
  /// value1 and value2; recursive as NodeByName_and_AttributeValue. Null when none.
  TVyrXmlNode NodeBy2AttributesAnd2Values(std::string_view name, std::string_view attr1, std::string_view value1,
                                          std::string_view attr2, std::string_view value2, bool recursive) const;
  /// Index among the child elements of the first one named name whose attrName
  /// is absent or equals attrValue (any when attrName is empty); -1 when none.
  int NodeIndexByName_and_Attribute(std::string_view name, std::string_view attrName, std::string_view attrValue) const;
  /// Empties list, then adds every element below this node, in document order,
  /// named name whose attrName exists and equals attrValue.
  void FindNodes_by_Name_and_AttributeValue(std::string_view name, std::string_view attrName,
                                            std::string_view attrValue, TXmlNodeList& list) const;
  /// The "TVYRcomp" of this configuration's "Components" whose "FormClassName"
  /// equals formClassName; with searchSubCfgs the nested configurations are
  /// searched next, depth first. Null when none; throws VYRexception when this
  /// node is not a configuration node.
  TVyrXmlNode VYRcompXmlNodeByFormClassNameFromCfg(std::string_view formClassName, bool searchSubCfgs) const;

  // --- ID paths and index paths -----------------------------------------

  /// "/name" or "/name:ID" per element from below rootNode down to this
  /// element; empty for rootNode itself and for nodes that are no elements.
  /// Without rootNode as an ancestor the path starts at the root element.
  std::string GetIDPath(pugi::xml_node rootNode) const;
  /// GetIDPath relative to CfgRootNode.
  std::string GetCfgIDPath() const;
  /// The first element below this node, in document order, whose GetIDPath for
  /// rootNode equals idPath, not looking into excludedChild; this node for an
  /// empty path; null when none.
  TVyrXmlNode FindNodebyIDPath(std::string_view idPath, pugi::xml_node rootNode, pugi::xml_node excludedChild) const;
  /// The element at this element's configuration ID path in the nearest
  /// enclosing configuration that has one, up to the reference model; null when none.
  TVyrXmlNode AncestorSubNode() const;
  /// ".i" per level: this element's 0-based position among its parent's child
  /// elements, prefixed with the parent's index path below the root element.
  std::string GetIndexPath() const;
  /// The first element below this node whose GetIndexPath equals indexPath; null when none.
  TVyrXmlNode FindNodeByIndexPath(std::string_view indexPath) const;

  // --- Values, creation and deletion ------------------------------------

  /// Appends a child element name with attribute "ID" = idValue; null when this node can hold no elements.
  TVyrXmlNode NodeNew_withIDattr(std::string_view name, std::string_view idValue);
  /// Text of the child element childName as a number, or def when the child is
  /// missing or its text is no number.
  double ValueFromNodeAsFloatDef(std::string_view childName, double def) const;
  /// Text of the child element childName, or def when the child is missing.
  std::string ValueFromNodeAsStringDef(std::string_view childName, std::string_view def) const;
  /// Text of the child element childName as a boolean ("true"/"false", "yes"/"no"
  /// or a number, 0 being false), or def when missing or not boolean.
  bool ValueFromNodeAsBoolDef(std::string_view childName, bool def) const;
  /// Removes the child element childName, if there is one.
  void TryDeleteNodeByName(std::string_view childName);
  /// Removes attribute attrName from this element and, with recursive, from
  /// every "Config" and "Case" element reached through "Config" and "Case" children.
  void ConfigCaseAttributeDelete(std::string_view attrName, bool recursive);

  // --- Copying, merging and comparing -----------------------------------

  /// Makes this node carry source's data: name, text and attributes, then each
  /// child of source into its counterpart here (matched by name and "ID"),
  /// appended as a deep copy when there is none. Nothing source lacks is removed.
  void CopyNodesByID(pugi::xml_node source);
  /// Adds what source has and this node lacks: name and attributes, children
  /// matched by "ID" merged or appended; a child without "ID" is merged into the
  /// same-named child here, appended when there is none, and left alone when
  /// both are leaves (existing values win).
  void MergeDataFromByID(pugi::xml_node source);
  /// Compares this node with other under options; when list is given, the
  /// differing elements are collected in it. False when other is null.
  bool IsEqualToKQ(pugi::xml_node other, TXmlCompareOptions options, TXmlNodeList* list) const;
};

/// How a model file was stored; saving writes it back the same way.
struct TXmlFileFormat {
  pugi::xml_encoding Encoding = pugi::encoding_utf8;  ///< character encoding of the file
  bool Bom = false;                                   ///< the file starts with a byte-order mark
  bool CrLf = false;                                  ///< lines end with CR LF
  bool AddDeclaration = true;                         ///< write an XML declaration when the document has none
};

/// Parse options of model files: comments, processing instructions, the
/// declaration and the document type are kept; whitespace between elements is
/// not. Text outside the root element is kept as well, for the loader to refuse.
inline constexpr unsigned int ModelFileParseFlags =
    pugi::parse_full | pugi::parse_ws_pcdata_single | pugi::parse_fragment;

/// The largest model file that loads, in bytes (1 GiB). Parsing takes a few
/// times the file's size in memory; the largest real models are some 200 MB.
inline constexpr std::uintmax_t MaxModelFileSize = std::uintmax_t{1} << 30;

/// A model file in memory: the document and the format it was stored in.
/// Loading keeps comments, processing instructions and the order of
/// attributes; whitespace between elements is formatting and is not kept.
/// Saving puts each element of the first eight levels below the root element
/// on a line of its own, indented by two spaces per level, and deeper content
/// on the line of its ancestor, so that the file grows in proportion to the
/// tree. Carriage returns in text, and characters of text and attribute
/// values that the file's encoding cannot hold, are written as character
/// references, so that text comes back as it was. The XML declaration is
/// written first and names the encoding written; on loading, the
/// declaration's encoding decides between ISO-8859-1 and UTF-8.
class VYR_API TVyrXmlDocument {
 public:
  /// An empty document that saves as UTF-8 with a declaration.
  TVyrXmlDocument() = default;
  TVyrXmlDocument(const TVyrXmlDocument&) = delete;
  TVyrXmlDocument& operator=(const TVyrXmlDocument&) = delete;

  /// Loads a model file. A file that cannot be read, is no regular file, is
  /// larger than MaxModelFileSize, is empty, is not well-formed XML (a null
  /// character, also as a reference, included), declares an encoding other
  /// than the one it is stored in or one that cannot be read (UTF-8,
  /// ISO-8859-1, UTF-16 and UTF-32 can), or is not a model file shows an
  /// error naming the file and the position, leaves the document empty and
  /// returns false. Failures, running out of memory included, are errors
  /// shown, never exceptions.
  bool LoadFromFile(const std::string& fileName);
  /// Loads a model file from its bytes; sourceName stands for the file name in messages.
  bool LoadFromString(std::string_view bytes, std::string_view sourceName);
  /// Writes the document in its stored format, with a declaration that names
  /// that format. The text goes to a new file of a unique name in the same
  /// folder, is flushed to the disk and then renamed over the file, so the
  /// file holds either the old or the new text whole, also with other saves
  /// of it running at the same time. A symbolic link is followed to the file
  /// it names; the file keeps its permissions; a file without write
  /// permission is refused. A file with more than one name (hard links) is
  /// written in place instead, so that every name keeps it, with the old text
  /// put back when writing fails. When the file cannot be written (the error names
  /// the system's reason), or the tree holds what reading would not bring
  /// back (a name that is no XML name, "?>" in a processing instruction, a
  /// character that the encoding cannot hold outside text and attribute
  /// values), shows an error and returns false; the previous file then stays
  /// as it was. Throws nothing.
  bool SaveToFile(const std::string& fileName) const noexcept;
  /// The bytes that SaveToFile writes; empty, after the error was shown, when
  /// the document cannot be written in its format.
  std::string SaveToString() const;

  /// The root element; null when nothing is loaded.
  TVyrXmlNode Root() const;
  /// The document node.
  TVyrXmlNode DocumentNode() const;
  /// The pugixml document.
  pugi::xml_document& Document();
  /// The pugixml document.
  const pugi::xml_document& Document() const;
  /// Text of the last load or save error; empty after success.
  const std::string& LastError() const;

  TXmlFileFormat Format;  ///< format for saving; set by loading

 private:
  bool Report(std::string text) const;
  bool Parse(std::string_view bytes, std::string_view sourceName);
  bool ReportQuietly(std::string text) const noexcept;
  bool ReportWriteFailure(const std::string& fileName, const char* why) const noexcept;
  bool Write(std::string& out, std::string& why) const noexcept;

  pugi::xml_document doc_;
  mutable std::string lastError_;
};

}  // namespace vyr
