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

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

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
