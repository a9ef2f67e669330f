#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "VyrNativeXml.h"
#include "common/RecordingHandler.h"
#include "modelfile/ModelFileTestUtil.h"

namespace vyr {
namespace {

namespace fs = std::filesystem;

using test::ReadFile;

// A folder of its own for each test, removed afterwards.
class ModelFileLoadSave : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir = fs::temp_directory_path() / (std::string("vyr_modelfile_") + info->name() + "_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  fs::path dir;
  test::RecordingHandler rec;
};

// Every one of the 1024 option sets.
bool EqualUnderEveryOption(pugi::xml_node a, pugi::xml_node b) {
  for (std::uint32_t bits = 0; bits < 1024; ++bits) {
    TXmlCompareOptions options;
    for (int k = 0; k < XmlCompareOptionCount; ++k)
      if ((bits >> k) & 1u) options.insert(static_cast<TXmlCompareOption>(k));
    if (!TVyrXmlNode(a).IsEqualToKQ(b, options, nullptr) || !TVyrXmlNode(b).IsEqualToKQ(a, options, nullptr))
      return false;
  }
  return true;
}

TEST_F(ModelFileLoadSave, SavedUnchangedTheModelIsEqualAndKeepsMarkup) {
  for (const char* file : {"model.xml", "refmodel.xml"}) {
    TVyrXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromFile(test::DataFile(file))) << doc.LastError();
    EXPECT_EQ(doc.Format.Encoding, pugi::encoding_utf8);
    EXPECT_FALSE(doc.Format.Bom);
    EXPECT_FALSE(doc.Format.CrLf);
    const fs::path saved = dir / file;
    ASSERT_TRUE(doc.SaveToFile(saved.string())) << doc.LastError();
    EXPECT_FALSE(fs::exists(saved.string() + ".saving"));

    TVyrXmlDocument original, again;
    ASSERT_TRUE(original.LoadFromFile(test::DataFile(file)));
    ASSERT_TRUE(again.LoadFromFile(saved.string())) << again.LastError();
    EXPECT_TRUE(EqualUnderEveryOption(original.DocumentNode(), again.DocumentNode())) << file;
    EXPECT_TRUE(EqualUnderEveryOption(original.Root(), again.Root())) << file;
    EXPECT_EQ(again.SaveToString(), ReadFile(saved)) << "saving is stable";
  }
  const std::string text = ReadFile(dir / "model.xml");
  for (const char* kept :
       {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- Single-spool turbojet", "<?vyr-editor grid=\"8\"?>",
        "<!-- gas path -->", "<VYRmodel Version=\"3.2\" Name=\"Turbojet\">",
        "<TVYRcomp ID=\"Inlet\" FormClassName=\"TInletForm\" CompType=\"ctModelComp\">",
        "<Text><![CDATA[Free note <not markup>]]></Text>", "<TVYRcomp ID=\"\xC3\x96lk\xC3\xBChler\""})
    EXPECT_NE(text.find(kept), std::string::npos) << kept;
  EXPECT_TRUE(rec.messages.empty());
}

std::string Utf16(std::string_view utf8, bool bigEndian) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    std::uint32_t cp = b;
    if (b >= 0xE0) {
      cp = ((b & 0x0Fu) << 12) | ((utf8[i + 1] & 0x3Fu) << 6) | (utf8[i + 2] & 0x3Fu);
      i += 3;
    } else if (b >= 0xC0) {
      cp = ((b & 0x1Fu) << 6) | (utf8[i + 1] & 0x3Fu);
      i += 2;
    } else {
      i += 1;
    }
    const char hi = static_cast<char>(cp >> 8), lo = static_cast<char>(cp & 0xFF);
    out += bigEndian ? hi : lo;
    out += bigEndian ? lo : hi;
  }
  return out;
}

std::string Latin1(std::string_view utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    out += b >= 0xC0 ? static_cast<char>(((b & 0x1F) << 6) | (utf8[++i] & 0x3F)) : static_cast<char>(b);
  }
  return out;
}

// A file in the layout that saving writes comes back byte for byte, in its
// encoding, with its byte-order mark and line ends.
TEST_F(ModelFileLoadSave, KeepsEncodingByteOrderMarkAndLineEnds) {
  const std::string lf = "<m>\n  <BaseCfg>\n    <v>\xC3\xA4\xE2\x82\xAC</v>\n  </BaseCfg>\n</m>\n";  // ä€
  std::string crlf;
  for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const std::string latin1Text =
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<m>\n  <BaseCfg>\n    "
      "<v>\xC3\xA4</v>\n  </BaseCfg>\n</m>\n";
  struct Row {
    const char* what;
    std::string bytes;
    pugi::xml_encoding encoding;
    bool bom, crlf;
    const char* value;
  };
  const Row rows[] = {
      {"UTF-8", lf, pugi::encoding_utf8, false, false, "\xC3\xA4\xE2\x82\xAC"},
      {"UTF-8, BOM, CR LF", "\xEF\xBB\xBF" + crlf, pugi::encoding_utf8, true, true, "\xC3\xA4\xE2\x82\xAC"},
      {"UTF-16LE, BOM", Utf16("\xEF\xBB\xBF" + lf, false), pugi::encoding_utf16_le, true, false,
       "\xC3\xA4\xE2\x82\xAC"},
      {"UTF-16BE, BOM, CR LF", Utf16("\xEF\xBB\xBF" + crlf, true), pugi::encoding_utf16_be, true, true,
       "\xC3\xA4\xE2\x82\xAC"},
      {"UTF-16LE", Utf16(lf, false), pugi::encoding_utf16_le, false, false, "\xC3\xA4\xE2\x82\xAC"},
      {"Latin-1", Latin1(latin1Text), pugi::encoding_latin1, false, false, "\xC3\xA4"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    TVyrXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromString(r.bytes, r.what)) << doc.LastError();
    EXPECT_EQ(doc.Format.Encoding, r.encoding);
    EXPECT_EQ(doc.Format.Bom, r.bom);
    EXPECT_EQ(doc.Format.CrLf, r.crlf);
    EXPECT_EQ(doc.Root().RefModelRoot().ValueFromNodeAsStringDef("v", ""), r.value);
    EXPECT_EQ(doc.SaveToString(), r.bytes);
  }
  EXPECT_TRUE(rec.messages.empty());
}

// Bytes of utf8 in a file encoding (the byte-order mark, if wanted, as U+FEFF in front).
std::string Encoded(std::string_view utf8, pugi::xml_encoding enc) {
  if (enc == pugi::encoding_utf8) return std::string(utf8);
  if (enc == pugi::encoding_latin1) return Latin1(utf8);
  const bool big = enc == pugi::encoding_utf16_be || enc == pugi::encoding_utf32_be;
  const std::size_t size = enc == pugi::encoding_utf16_le || enc == pugi::encoding_utf16_be ? 2 : 4;
  std::string out;
  auto unit = [&](std::uint32_t u) {
    for (std::size_t k = 0; k < size; ++k) out += static_cast<char>(u >> (8 * (big ? size - 1 - k : k)));
  };
  for (const wchar_t w : pugi::as_wide(std::string(utf8))) {
    const auto cp = static_cast<std::uint32_t>(w);
    if (size == 2 && cp >= 0x10000) {
      unit(0xD800 + ((cp - 0x10000) >> 10));
      unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      unit(cp);
    }
  }
  return out;
}

// A model gains text that its encoding may not hold: an ID and a value with
// the euro sign, a CJK character and one beyond the 16-bit range. Saved and
// loaded again, it has them back, in the encoding it had.
TEST_F(ModelFileLoadSave, EveryEncodingKeepsEveryCharacter) {
  const std::string added = "\xE2\x82\xAC \xE6\xB8\xA9 \xF0\x9F\x98\x80 <&>\"'";  // € 温 😀
  const std::string body = "<m>\n  <BaseCfg>\n    <v ID=\"x\">\xC3\xA4</v>\n  </BaseCfg>\n</m>\n";
  const std::string latin1Declaration = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n";
  const struct {
    const char* what;
    pugi::xml_encoding encoding;
    bool bom;
  } rows[] = {
      {"UTF-8", pugi::encoding_utf8, false},          {"UTF-8, BOM", pugi::encoding_utf8, true},
      {"UTF-16LE", pugi::encoding_utf16_le, true},    {"UTF-16BE", pugi::encoding_utf16_be, true},
      {"UTF-32LE", pugi::encoding_utf32_le, false},   {"UTF-32BE, BOM", pugi::encoding_utf32_be, true},
      {"ISO-8859-1", pugi::encoding_latin1, false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    const bool latin1 = r.encoding == pugi::encoding_latin1;
    const std::string text = (r.bom ? "\xEF\xBB\xBF" : "") + (latin1 ? latin1Declaration : "") + body;
    TVyrXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromString(Encoded(text, r.encoding), r.what)) << doc.LastError();
    ASSERT_EQ(doc.Format.Encoding, r.encoding);
    pugi::xml_node v = doc.Root().RefModelRoot().child("v");
    v.attribute("ID").set_value(("ID " + added).c_str());
    v.text().set(("\xC3\xA4 " + added).c_str());
    const fs::path file = dir / "m.xml";
    ASSERT_TRUE(doc.SaveToFile(file.string())) << doc.LastError();

    TVyrXmlDocument again;
    ASSERT_TRUE(again.LoadFromFile(file.string())) << again.LastError();
    EXPECT_EQ(again.Format.Encoding, r.encoding);
    EXPECT_EQ(again.Format.Bom, r.bom);
    const TVyrXmlNode base = again.Root().RefModelRoot();
    EXPECT_EQ(base.ValueFromNodeAsStringDef("v", ""), "\xC3\xA4 " + added);
    EXPECT_TRUE(base.NodeByName_and_AttributeValue("v", "ID", "ID " + added, false, false));
    if (latin1) {
      EXPECT_NE(ReadFile(file).find("&#8364; &#28201; &#128512;"), std::string::npos) << ReadFile(file);
    }
  }
  EXPECT_TRUE(rec.messages.empty());
}

// Saved in another encoding than it was read in, a model says so in its
// declaration where a reader would otherwise take it for another encoding,
// and comes back with the same text.
TEST_F(ModelFileLoadSave, ChangedEncodingIsDeclared) {
  const std::string body = "<m><BaseCfg><v ID=\"\xE2\x82\xAC\">\xC3\xA4</v></BaseCfg></m>";
  const std::string latin1Body = "<m><BaseCfg><v ID=\"&#8364;\">\xE4</v></BaseCfg></m>";
  const struct {
    const char* what;
    std::string text;
    pugi::xml_encoding from, to;
    const char* declared;
  } rows[] = {
      {"UTF-8 as ISO-8859-1", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + body, pugi::encoding_utf8,
       pugi::encoding_latin1, "ISO-8859-1"},
      {"no declaration as ISO-8859-1", body, pugi::encoding_utf8, pugi::encoding_latin1, "ISO-8859-1"},
      {"UTF-8 with BOM as ISO-8859-1, which has none", "\xEF\xBB\xBF" + body, pugi::encoding_utf8,
       pugi::encoding_latin1, "ISO-8859-1"},
      {"declaration without encoding as ISO-8859-1", "<?xml version=\"1.0\" standalone=\"yes\"?>" + body,
       pugi::encoding_utf8, pugi::encoding_latin1, "ISO-8859-1"},
      {"ISO-8859-1 as UTF-8", "<?xml version=\"1.0\" encoding=\"latin1\"?>" + latin1Body, pugi::encoding_latin1,
       pugi::encoding_utf8, "UTF-8"},
      {"ISO-8859-1 as UTF-16", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + latin1Body,
       pugi::encoding_latin1, pugi::encoding_utf16_be, "UTF-16"},
      // The declaration as parsed decides, not the look of its first bytes.
      {"an odd name before the encoding", "<?xml vendor=\"x\" encoding=\"latin1\"?>" + latin1Body,
       pugi::encoding_latin1, pugi::encoding_latin1, "latin1"},
      {"declaration behind a comment", "<!-- c --><?xml version=\"1.0\"?>" + body, pugi::encoding_utf8,
       pugi::encoding_latin1, "ISO-8859-1"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    TVyrXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromString(r.text, r.what)) << doc.LastError();
    ASSERT_EQ(doc.Format.Encoding, r.from);
    doc.Format.Encoding = r.to;
    TVyrXmlDocument again;
    ASSERT_TRUE(again.LoadFromString(doc.SaveToString(), "again.xml")) << again.LastError();
    EXPECT_EQ(again.Format.Encoding, r.to);
    const TVyrXmlNode v = again.Root().RefModelRoot().child("v");
    EXPECT_STREQ(v.attribute("ID").value(), "\xE2\x82\xAC");
    EXPECT_STREQ(v.text().get(), "\xC3\xA4");
    const pugi::xml_node declaration = again.Document().first_child();
    ASSERT_EQ(declaration.type(), pugi::node_declaration);
    EXPECT_STREQ(declaration.attribute("encoding").value(), r.declared);
  }
  EXPECT_TRUE(rec.messages.empty());
}

// Where no character reference may stand, a character that the encoding
// cannot hold makes saving fail, and the file on disk stays as it was.
TEST_F(ModelFileLoadSave, CharacterTheEncodingLacksOutsideTextFailsAndKeepsTheFile) {
  const std::string latin1 = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<m><BaseCfg><v>1</v></BaseCfg></m>";
  const struct {
    const char* what;
    void (*change)(pugi::xml_node base);
    const char* why;
  } rows[] = {
      {"comment", [](pugi::xml_node b) { b.append_child(pugi::node_comment).set_value("\xE2\x82\xAC"); },
       "U+20AC in a comment has no form in ISO-8859-1"},
      {"element name", [](pugi::xml_node b) { b.append_child("\xE6\xB8\xA9"); },
       "U+6E29 in an element name has no form in ISO-8859-1"},
      {"attribute name", [](pugi::xml_node b) { b.append_attribute("\xE6\xB8\xA9"); },
       "U+6E29 in an attribute name has no form in ISO-8859-1"},
      {"CDATA", [](pugi::xml_node b) { b.append_child(pugi::node_cdata).set_value("\xE2\x82\xAC"); },
       "U+20AC in a CDATA section has no form in ISO-8859-1"},
      {"not UTF-8", [](pugi::xml_node b) { b.child("v").text().set("\xFF"); },
       "text that is not UTF-8 in text cannot be written in ISO-8859-1"},
  };
  const fs::path file = dir / "m.xml";
  std::ofstream(file, std::ios::binary) << "previous contents";
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    rec.messages.clear();
    TVyrXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromString(latin1, "latin1.xml"));
    r.change(doc.Root().RefModelRoot());
    bool saved = true;
    EXPECT_NO_THROW(saved = doc.SaveToFile(file.string()));
    EXPECT_FALSE(saved);
    EXPECT_EQ(doc.LastError(), "Cannot write model file \"" + file.string() + "\": " + r.why);
    ASSERT_EQ(rec.messages.size(), 1u);
    EXPECT_EQ(rec.messages[0].Text, doc.LastError());
    EXPECT_EQ(ReadFile(file), "previous contents");
    EXPECT_FALSE(fs::exists(file.string() + ".saving"));
    EXPECT_EQ(doc.SaveToString(), "");
  }
}

// Nesting deeper than the indented levels goes on one line, so that the file
// grows with the tree, not with the square of its depth.
TEST_F(ModelFileLoadSave, DeepNestingSavesInProportionToItsSize) {
  for (const std::size_t depth : {10'000u, 30'000u, 100'000u}) {
    SCOPED_TRACE(depth);
    std::string text = "<m><BaseCfg>";
    for (std::size_t k = 0; k < depth; ++k) text += "<a>";
    text += "x";
    for (std::size_t k = 0; k < depth; ++k) text += "</a>";
    text += "</BaseCfg></m>";
    TVyrXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromString(text, "deep.xml")) << doc.LastError();
    const fs::path file = dir / "deep.xml";
    bool saved = false;
    EXPECT_NO_THROW(saved = doc.SaveToFile(file.string()));
    ASSERT_TRUE(saved) << doc.LastError();
    EXPECT_LE(fs::file_size(file), 3 * text.size());

    TVyrXmlDocument again;
    ASSERT_TRUE(again.LoadFromFile(file.string())) << again.LastError();
    std::size_t levels = 0;
    pugi::xml_node n = again.Root().RefModelRoot();
    for (; n.first_child().type() == pugi::node_element; n = n.first_child()) ++levels;
    EXPECT_EQ(levels, depth);
    EXPECT_STREQ(n.text().get(), "x");
    EXPECT_EQ(again.SaveToString(), ReadFile(file)) << "saving is stable";
  }
  EXPECT_TRUE(rec.messages.empty());
}

TEST_F(ModelFileLoadSave, TextKeepsCarriageReturnsAndLineFeeds) {
  TVyrXmlDocument doc;
  ASSERT_TRUE(doc.LoadFromString("<m><BaseCfg><v>a&#13;b&#13;&#10;c\nd</v><w> </w></BaseCfg></m>", "cr.xml"));
  for (bool crlf : {false, true}) {
    doc.Format.CrLf = crlf;
    TVyrXmlDocument again;
    ASSERT_TRUE(again.LoadFromString(doc.SaveToString(), "again.xml")) << again.LastError();
    EXPECT_EQ(again.Root().RefModelRoot().ValueFromNodeAsStringDef("v", ""), "a\rb\r\nc\nd");
    EXPECT_EQ(again.Root().RefModelRoot().ValueFromNodeAsStringDef("w", ""), " ");
  }
}

// Elsewhere a line end is a line feed, as a reader sees it.
TEST_F(ModelFileLoadSave, MarkupUsesLineFeeds) {
  TVyrXmlDocument doc;
  ASSERT_TRUE(doc.LoadFromString("<?pi a\r\nb\rc?><m><!--x\r\ny--><BaseCfg><v>\x01&#13;</v></BaseCfg></m>", "pi.xml"));
  EXPECT_STREQ(doc.Document().first_child().value(), "a\nb\nc");
  EXPECT_STREQ(doc.Root().first_child().value(), "x\ny");
  doc.Root().first_child().set_value("p\r\nq\rr &#02;");
  doc.Root().append_child(pugi::node_cdata).set_value("s\rt");
  TVyrXmlDocument again;
  ASSERT_TRUE(again.LoadFromString(doc.SaveToString(), "again.xml")) << again.LastError();
  EXPECT_STREQ(again.Root().first_child().value(), "p\nq\nr &#02;");
  EXPECT_STREQ(again.Root().last_child().value(), "s\nt");
  // The text keeps its carriage return next to a control character (and a
  // comment that spells the reference of the next one).
  EXPECT_EQ(again.Root().RefModelRoot().ValueFromNodeAsStringDef("v", ""), "\x01\r");
}

TEST_F(ModelFileLoadSave, NewDocumentGetsADeclaration) {
  TVyrXmlDocument doc;
  doc.Document().append_child("m").append_child("BaseCfg");
  EXPECT_EQ(doc.SaveToString(), "<?xml version=\"1.0\"?>\n<m>\n  <BaseCfg />\n</m>\n");
}

struct BadInput {
  const char* what;
  std::string bytes;
  const char* message;  // after the quoted name
};

// Each error names the file and the position, shows one error box, and
// leaves the document empty even after an earlier successful load.
TEST_F(ModelFileLoadSave, BadInputGivesAClearError) {
  const std::string bomUtf16 = Utf16("\xEF\xBB\xBF<m>\n<BaseCfg></x></m>", false);
  const BadInput rows[] = {
      {"empty", "", " is empty (line 1, column 1)"},
      {"white space only", "  \n  ", " is empty (line 2, column 3)"},
      {"tag mismatch", "<m>\n<BaseCfg></x></m>",
       " is not well-formed XML at line 2, column 12: Start-end tags mismatch"},
      {"tag mismatch after a BOM", "\xEF\xBB\xBF<m>\n<BaseCfg></x></m>",
       " is not well-formed XML at line 2, column 12: Start-end tags mismatch"},
      {"tag mismatch in UTF-16", bomUtf16, " is not well-formed XML at line 2, column 12: Start-end tags mismatch"},
      {"tag mismatch after CR LF and non-ASCII", "<m a='\xC3\xA4\xC3\xA4'>\r\n\r\n <BaseCfg></x></m>",
       " is not well-formed XML at line 3, column 13: Start-end tags mismatch"},
      {"unclosed", "<m><BaseCfg>", " is not well-formed XML at line 1, column 12: Start-end tags mismatch"},
      {"bad attribute", "<m a=1><BaseCfg/></m>",
       " is not well-formed XML at line 1, column 6: Error parsing element attribute"},
      {"text after the root", "<m><BaseCfg/></m>\njunk",
       " is not well-formed XML at line 2, column 1: text outside the root element"},
      {"second root", "<m><BaseCfg/></m><n/>", " is not well-formed XML at line 1, column 18: a second root element"},
      {"comment only", "<!-- nothing -->\n", " is not well-formed XML at line 2, column 1: no root element"},
      {"not a model", "<?xml version=\"1.0\"?>\n<Settings><Config/></Settings>",
       " is not a model file: its root element \"Settings\" at line 2, column 1 has no \"BaseCfg\" or "
       "\"ReferenceModel\" element"},
  };
  for (const BadInput& r : rows) {
    SCOPED_TRACE(r.what);
    TVyrXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromString("<m><BaseCfg/></m>", "good.xml"));
    rec.messages.clear();
    EXPECT_FALSE(doc.LoadFromString(r.bytes, "dir/bad.xml"));
    const std::string prefix =
        std::string(r.message).find("not a model") != std::string::npos ? "File " : "Model file ";
    EXPECT_EQ(doc.LastError(), prefix + "\"dir/bad.xml\"" + r.message);
    ASSERT_EQ(rec.messages.size(), 1u);
    EXPECT_EQ(rec.messages[0].Text, doc.LastError());
    EXPECT_EQ(rec.messages[0].DlgType, mtError);
    EXPECT_EQ(rec.messages[0].Buttons, TMsgDlgButtons{mbOK});
    EXPECT_FALSE(doc.Root());
    EXPECT_FALSE(doc.Document().first_child());
  }
}

TEST_F(ModelFileLoadSave, BadFilesNameTheFile) {
  const struct {
    const char* file;
    const char* message;
  } rows[] = {
      {"empty.xml", " is empty (line 1, column 1)"},
      {"malformed.xml", " is not well-formed XML at line 5, column 7: Start-end tags mismatch"},
      {"notamodel.xml",
       " is not a model file: its root element \"Settings\" at line 3, column 1 has no \"BaseCfg\" or "
       "\"ReferenceModel\" element"},
  };
  for (const auto& r : rows) {
    TVyrXmlDocument doc;
    const std::string path = test::DataFile(r.file);
    EXPECT_FALSE(doc.LoadFromFile(path));
    EXPECT_NE(doc.LastError().find("\"" + path + "\"" + r.message), std::string::npos) << doc.LastError();
  }
  TVyrXmlDocument doc;
  EXPECT_FALSE(doc.LoadFromFile((dir / "missing.xml").string()));
  EXPECT_EQ(doc.LastError(),
            "Cannot open model file \"" + (dir / "missing.xml").string() + "\": No such file or directory");
  EXPECT_FALSE(doc.LoadFromFile(dir.string()));
  EXPECT_EQ(doc.LastError(), "Cannot read model file \"" + dir.string() + "\": it is a folder");
  EXPECT_EQ(rec.messages.size(), 5u);
}

TEST_F(ModelFileLoadSave, SaveFailureKeepsDocumentAndOldFile) {
  TVyrXmlDocument doc;
  ASSERT_TRUE(doc.LoadFromFile(test::DataFile("refmodel.xml")));
  const fs::path target = dir / "no" / "such" / "folder" / "m.xml";
  EXPECT_FALSE(doc.SaveToFile(target.string()));
  EXPECT_EQ(doc.LastError().rfind("Cannot write model file \"" + target.string() + "\"", 0), 0u) << doc.LastError();
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_TRUE(doc.Root().RefModelRoot());

  // A folder in the way of the file: the temporary file is removed again.
  const fs::path blocked = dir / "blocked.xml";
  fs::create_directories(blocked / "inside");
  EXPECT_FALSE(doc.SaveToFile(blocked.string()));
  EXPECT_FALSE(fs::exists(blocked.string() + ".saving"));
  EXPECT_TRUE(fs::is_directory(blocked / "inside"));
}

}  // namespace
}  // namespace vyr
