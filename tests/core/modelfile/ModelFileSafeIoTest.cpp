// Loading refuses hostile files with a message; saving lands whole or not at
// all, through links, with the file's permissions, also against a second
// process saving the same file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>
#include <set>
#include <string>

#include "VyrNativeXml.h"
#include "common/RecordingHandler.h"
#include "modelfile/ModelFileTestUtil.h"

namespace vyr {
namespace {

namespace fs = std::filesystem;

using test::ReadFile;

void WriteFile(const fs::path& p, std::string_view bytes) {
  std::ofstream(p, std::ios::binary) << bytes;
}

std::set<std::string> Listing(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

std::string Utf16Le(std::string_view ascii) {
  std::string out = "\xFF\xFE";
  for (char c : ascii) out += {c, '\0'};
  return out;
}

const std::string kModel = "<m><BaseCfg><v>1</v></BaseCfg></m>";

class SafeIo {
 protected:
  void MakeDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    for (char& c : name)
      if (c == '/') c = '_';
    dir = fs::temp_directory_path() / ("vyr_safeio_" + name + "_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  fs::path dir;
  test::RecordingHandler rec;
};

// A file that loading refuses: its bytes, or a file made by make; the
// message after the quoted file name.
struct HostileFile {
  const char* name;
  std::string bytes;
  std::function<void(const fs::path&)> make;
  std::string message;
};
void PrintTo(const HostileFile& f, std::ostream* os) { *os << f.name; }

class RefusedFile : public SafeIo, public ::testing::TestWithParam<HostileFile> {
 protected:
  void SetUp() override { MakeDir(); }
  void TearDown() override { fs::remove_all(dir); }
};

TEST_P(RefusedFile, FailsWithTheReasonAndLeavesTheFile) {
  const HostileFile& f = GetParam();
  const fs::path file = dir / "hostile.xml";
  if (f.make)
    f.make(file);
  else
    WriteFile(file, f.bytes);
  // The sparse file is compared by its size and time, not read.
  const bool regular = fs::is_regular_file(file) && fs::file_size(file) < (1u << 20);
  const std::string before = regular ? ReadFile(file) : "";
  const auto stamp = fs::last_write_time(file);
  TVyrXmlDocument doc;
  ASSERT_TRUE(doc.LoadFromString(kModel, "good.xml"));
  bool loaded = true;
  EXPECT_NO_THROW(loaded = doc.LoadFromFile(file.string()));
  EXPECT_FALSE(loaded);
  EXPECT_EQ(doc.LastError().substr(doc.LastError().find('"')), "\"" + file.string() + "\"" + f.message);
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_FALSE(doc.Root());
  if (regular) {
    EXPECT_EQ(ReadFile(file), before);
  }
  EXPECT_EQ(fs::last_write_time(file), stamp);
}

INSTANTIATE_TEST_SUITE_P(
    ModelFile, RefusedFile,
    ::testing::Values(
        HostileFile{"NullReferenceInText", "<m><BaseCfg><v>a&#0;b</v></BaseCfg></m>", {},
                    " is not well-formed XML at line 1, column 17: a reference to the null character"},
        HostileFile{"HexNullReferenceInAttribute", "<m>\n<BaseCfg a=\"&#x000;\"/></m>", {},
                    " is not well-formed XML at line 2, column 13: a reference to the null character"},
        HostileFile{"NullByteInText", std::string("<m><BaseCfg><v>a\0b</v></BaseCfg></m>", 36), {},
                    " is not well-formed XML at line 1, column 17: a null character"},
        HostileFile{"NullCharacterInUtf16", Utf16Le("<m><BaseCfg a=\"") + std::string(2, '\0') + Utf16Le("\"/></m>").substr(2),
                    {}, " is not well-formed XML at line 1, column 16: a null character"},
        HostileFile{"DeclaresWindows1252", "<?xml version=\"1.0\" encoding=\"windows-1252\"?><m><BaseCfg/></m>", {},
                    " cannot be read: its declared encoding \"windows-1252\" cannot be read (UTF-8, ISO-8859-1, "
                    "UTF-16 and UTF-32 can)"},
        HostileFile{"DeclaresUtf16InEightBits", "<?xml version=\"1.0\" encoding=\"UTF-16\"?><m><BaseCfg/></m>", {},
                    " cannot be read: it is stored in UTF-8 but declares the encoding \"UTF-16\""},
        HostileFile{"DeclaresLatin1AfterUtf8Mark",
                    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><m><BaseCfg/></m>", {},
                    " cannot be read: it is stored in UTF-8 but declares the encoding \"ISO-8859-1\""},
        HostileFile{"SparseBeyondTheLimit", "", [](const fs::path& p) {
                      WriteFile(p, kModel);
                      fs::resize_file(p, MaxModelFileSize + 1);
                    },
                    ": it is larger than the limit of 1024 MiB"},
        HostileFile{"Pipe", "", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); },
                    ": it is not a regular file"},
        HostileFile{"DeviceLink", "", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); },
                    ": it is not a regular file"}),
    [](const auto& info) { return std::string(info.param.name); });

// What the parser may keep: a null reference where references are plain
// text, and the usual names of the encodings read.
TEST(ModelFileLoad, AcceptsNullReferencesInMarkupAndEveryNameOfItsEncodings) {
  test::RecordingHandler rec;
  const struct {
    const char* text;
    pugi::xml_encoding enc;
  } rows[] = {
      {"<m><!-- &#0; --><BaseCfg><![CDATA[&#0;]]></BaseCfg><?pi &#0;?></m>", pugi::encoding_utf8},
      {"<m><BaseCfg a=\"&#10;&amp;#0;\">&#x20;&#0</BaseCfg></m>", pugi::encoding_utf8},
      {"<?xml version=\"1.0\" encoding=\"utf8\"?><m><BaseCfg>\xC3\xA4</BaseCfg></m>", pugi::encoding_utf8},
      {"<?xml version=\"1.0\" encoding=\"ISO_8859-1:1987\"?><m><BaseCfg>\xE4</BaseCfg></m>", pugi::encoding_latin1},
      {"<?xml version=\"1.0\" encoding=\"CP819\"?><m><BaseCfg>\xE4</BaseCfg></m>", pugi::encoding_latin1},
      {"<?xml version=\"1.0\" encoding=\"l1\"?><m><BaseCfg>\xE4</BaseCfg></m>", pugi::encoding_latin1},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.text);
    TVyrXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromString(r.text, "ok.xml")) << doc.LastError();
    EXPECT_EQ(doc.Format.Encoding, r.enc);
    TVyrXmlDocument again;
    ASSERT_TRUE(again.LoadFromString(doc.SaveToString(), "again.xml")) << again.LastError();
    EXPECT_EQ(again.SaveToString(), doc.SaveToString());
  }
  EXPECT_TRUE(rec.messages.empty());
}

// A save that must fail: the target made by make, the tree changed by
// change; the message after "Cannot write model file "<file>": ".
struct HostileSave {
  const char* name;
  std::function<void(const fs::path&)> make;
  std::function<void(pugi::xml_node base)> change;
  std::string message;
};
void PrintTo(const HostileSave& s, std::ostream* os) { *os << s.name; }

class RefusedSave : public SafeIo, public ::testing::TestWithParam<HostileSave> {
 protected:
  void SetUp() override { MakeDir(); }
  void TearDown() override {
    fs::permissions(dir, fs::perms::owner_all);
    fs::remove_all(dir);
  }
};

TEST_P(RefusedSave, FailsWithTheReasonAndLeavesTheFolder) {
  const HostileSave& s = GetParam();
  const fs::path file = dir / "m.xml";
  WriteFile(file, "previous contents");
  if (s.make) s.make(file);
  const std::set<std::string> before = Listing(dir);
  std::error_code ec;
  const bool regular = fs::is_regular_file(file, ec);
  const std::string contents = regular ? ReadFile(file) : "";
  TVyrXmlDocument doc;
  ASSERT_TRUE(doc.LoadFromString(kModel, "m.xml"));
  if (s.change) s.change(doc.Root().RefModelRoot());
  EXPECT_FALSE(doc.SaveToFile(file.string()));
  EXPECT_EQ(doc.LastError(), "Cannot write model file \"" + file.string() + "\": " + s.message);
  EXPECT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(Listing(dir), before);
  if (regular) {
    EXPECT_EQ(ReadFile(file), contents);
  }
}

INSTANTIATE_TEST_SUITE_P(
    ModelFile, RefusedSave,
    ::testing::Values(
        HostileSave{"ElementNameWithASpace", {}, [](pugi::xml_node b) { b.append_child("a b"); },
                    "an element name cannot be \"a b\""},
        HostileSave{"AttributeNameWithAQuote", {}, [](pugi::xml_node b) { b.append_attribute("x=\""); },
                    "an attribute name cannot be \"x=\"\""},
        HostileSave{"ProcessingInstructionEndInside", {},
                    [](pugi::xml_node b) {
                      pugi::xml_node pi = b.append_child(pugi::node_pi);
                      pi.set_name("pi");
                      pi.set_value("a ?> b");
                    },
                    "a processing instruction cannot hold \"?>\""},
        HostileSave{"ReadOnlyFile", [](const fs::path& p) { fs::permissions(p, fs::perms::owner_read); }, {},
                    "Permission denied"},
        HostileSave{"ReadOnlyFileBehindALink",
                    [](const fs::path& p) {
                      fs::rename(p, p.parent_path() / "real.xml");
                      fs::permissions(p.parent_path() / "real.xml", fs::perms::owner_read);
                      fs::create_symlink("real.xml", p);
                    },
                    {}, "Permission denied"},
        HostileSave{"Pipe",
                    [](const fs::path& p) {
                      fs::remove(p);
                      ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0);
                    },
                    {}, "it is not a regular file"},
        HostileSave{"LinkLoop",
                    [](const fs::path& p) {
                      fs::remove(p);
                      fs::create_symlink(p.filename(), p);
                    },
                    {}, "Too many levels of symbolic links"}),
    [](const auto& info) { return std::string(info.param.name); });

class ModelFileSave : public SafeIo, public ::testing::Test {
 protected:
  void SetUp() override { MakeDir(); }
  void TearDown() override { fs::remove_all(dir); }
};

// Through a link to the file it names, keeping the file's permissions and
// leaving alone a file the save did not create.
TEST_F(ModelFileSave, WritesThroughLinksKeepsPermissionsAndTouchesNoOtherFile) {
  const fs::path real = dir / "real.xml", link = dir / "link.xml", other = dir / "link.xml.saving";
  WriteFile(real, "old");
  fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink("real.xml", link);
  WriteFile(other, "the user's own file");
  TVyrXmlDocument doc;
  ASSERT_TRUE(doc.LoadFromString(kModel, "m.xml"));
  ASSERT_TRUE(doc.SaveToFile(link.string())) << doc.LastError();
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadFile(real), doc.SaveToString());
  EXPECT_EQ(fs::status(real).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(ReadFile(other), "the user's own file");
  EXPECT_EQ(Listing(dir), (std::set<std::string>{"real.xml", "link.xml", "link.xml.saving"}));

  // A second name of the file (a hard link) sees the new text as well.
  const fs::path second = dir / "second.xml";
  fs::create_hard_link(real, second);
  doc.Root().RefModelRoot().append_child("w");
  ASSERT_TRUE(doc.SaveToFile(real.string())) << doc.LastError();
  EXPECT_EQ(fs::hard_link_count(real), 2u);
  EXPECT_EQ(ReadFile(second), doc.SaveToString());
  EXPECT_EQ(fs::status(real).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_TRUE(rec.messages.empty());
}

// Two processes save one file over and over while this one reads it: every
// version read is one of the two texts whole, and no temporary file stays.
TEST_F(ModelFileSave, ConcurrentSavesLeaveAWholeVersion) {
  const fs::path file = dir / "m.xml";
  std::string texts[2];
  for (int k = 0; k < 2; ++k) {
    TVyrXmlDocument doc;
    std::string model = "<m><BaseCfg>";
    for (int i = 0; i < 2000; ++i) model += "<v ID=\"" + std::to_string(i) + "\">" + std::string(k ? "b" : "a") + "</v>";
    ASSERT_TRUE(doc.LoadFromString(model + "</BaseCfg></m>", "m.xml"));
    texts[k] = doc.SaveToString();
  }
  WriteFile(file, texts[0]);
  constexpr int kSaves = 150;
  pid_t children[2];
  for (int k = 0; k < 2; ++k) {
    children[k] = ::fork();
    ASSERT_GE(children[k], 0);
    if (children[k] == 0) {
      TVyrXmlDocument doc;
      if (!doc.LoadFromString(texts[k], "m.xml")) ::_exit(2);
      for (int i = 0; i < kSaves; ++i)
        if (!doc.SaveToFile(file.string())) ::_exit(1);
      ::_exit(0);
    }
  }
  int reads = 0, bad = 0, running = 2;
  int status[2] = {-1, -1};
  while (running > 0) {
    const std::string seen = ReadFile(file);
    ++reads;
    if (seen != texts[0] && seen != texts[1]) ++bad;
    for (int k = 0; k < 2; ++k)
      if (status[k] == -1 && ::waitpid(children[k], &status[k], WNOHANG) == children[k]) --running;
  }
  EXPECT_EQ(bad, 0) << "of " << reads << " reads";
  for (int s : status) EXPECT_TRUE(WIFEXITED(s) && WEXITSTATUS(s) == 0);
  TVyrXmlDocument doc;
  EXPECT_TRUE(doc.LoadFromFile(file.string())) << doc.LastError();
  EXPECT_EQ(Listing(dir), std::set<std::string>{"m.xml"});
}

}  // namespace
}  // namespace vyr
