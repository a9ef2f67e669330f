#include <gtest/gtest.h>

#include <string_view>

#include "VyrNativeXml.h"

namespace vyr {
namespace {

struct TextCase {
  std::string_view a, b;
  bool same;
};

TEST(XmlSameText, FoldsCaseOverAllOfUnicode) {
  const TextCase cases[] = {
      {"", "", true},
      {"Config", "config", true},
      {"TVYRcomp", "tvyrCOMP", true},
      {"Comp1", "Comp2", false},
      {"abc", "abcd", false},
      {"a", "", false},
      {"\xC3\x84RGER", "\xC3\xA4rger", true},                      // ÄRGER / ärger
      {"\xC3\x96lk\xC3\xBChler", "\xC3\x96LK\xC3\x9CHLER", true},  // Ölkühler / ÖLKÜHLER
      {"Stra\xC3\x9F"
       "e",
       "STRASSE", true},                                                   // ß folds to ss
      {"\xCE\xA3\xCE\x8A\xCE\xA3\xCE\xA5\xCE\xA6\xCE\x9F\xCE\xA3",         // ΣΊΣΥΦΟΣ
       "\xCF\x83\xCE\xAF\xCF\x83\xCF\x85\xCF\x86\xCE\xBF\xCF\x82", true},  // σίσυφος, final sigma
      {"\xE2\x84\xAA", "k", true},                                         // Kelvin sign
      {"x\xE2\x84\xAA", "xK", true},
      {"e\xCC\x81", "\xC3\xA9", true},  // e + combining acute / é
      {"E\xCC\x81", "\xC3\xA9", true},
      {"ab", "ab\xCC\x81", false},
      {"\xC4\xB1", "I", false},                                        // dotless i is not I folded
      {"\xD0\x9C\xD0\x9E\xD0\x94", "\xD0\xBC\xD0\xBE\xD0\xB4", true},  // МОД / мод
      {"\xFF"
       "A",
       "\xFF"
       "a",
       true},  // not UTF-8: bytes, ASCII folded
      {"\xFF"
       "A",
       "\xFE"
       "a",
       false},
  };
  for (const TextCase& c : cases) {
    EXPECT_EQ(XmlSameText(c.a, c.b), c.same) << '"' << c.a << "\" vs \"" << c.b << '"';
    EXPECT_EQ(XmlSameText(c.b, c.a), c.same) << '"' << c.b << "\" vs \"" << c.a << '"';
    EXPECT_TRUE(XmlSameText(c.a, c.a)) << c.a;
  }
}

}  // namespace
}  // namespace vyr
