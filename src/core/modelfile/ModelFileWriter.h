// Internal to the model-file unit: the text of a model file from its tree.
#pragma once

#include <pugixml.hpp>
#include <string>
#include <string_view>

#include "VyrNativeXml.h"

namespace vyr::xmlwriter {

/// Elements below this depth (the root element being at depth 0) are written
/// without line breaks or indentation, so that the size of the text stays
/// proportional to the size of the tree however deeply it nests.
inline constexpr unsigned IndentLevels = 8;

/// True for the names of ISO-8859-1 that a declaration may give ("ISO-8859-1",
/// "latin1", "ISO_8859-1:1987", "CP819" and the other registered aliases, in any case).
bool IsLatin1Name(std::string_view name);
/// True for "UTF-8" and "UTF8", in any case.
bool IsUtf8Name(std::string_view name);

/// Writes doc in format into out: two spaces of indentation per level up to
/// IndentLevels, the byte-order mark and line ends of format, and character
/// references for characters of text and attribute values that the encoding
/// cannot hold. False, with the reason in why, when the tree holds a
/// character that the encoding cannot hold where no reference may stand (a
/// name, comment, processing instruction, CDATA section or document type), or
/// text that is not UTF-8 for an encoding other than UTF-8, or when memory
/// runs out. Throws nothing.
bool WriteModelFile(const pugi::xml_document& doc, const TXmlFileFormat& format, std::string& out,
                    std::string& why) noexcept;

}  // namespace vyr::xmlwriter
