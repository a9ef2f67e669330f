#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <random>
#include <stdexcept>
#include <string>

#include "Mars.h"
#include "VYRglobal.h"

namespace vyr {
namespace {

std::string Utf8(char32_t c) {
  std::string s;
  if (c < 0x80) {
    s += static_cast<char>(c);
  } else if (c < 0x800) {
    s += static_cast<char>(0xC0 | (c >> 6));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    s += static_cast<char>(0xE0 | (c >> 12));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (c >> 18));
    s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  }
  return s;
}

// True when s is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsUtf8(const std::string& s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    int n = 0;
    char32_t c = 0;
    if (b < 0x80) {
      ++i;
      continue;
    } else if ((b & 0xE0) == 0xC0) {
      n = 1, c = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
      n = 2, c = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
      n = 3, c = b & 0x07;
    } else {
      return false;
    }
    if (i + n >= s.size()) return false;  // sequence cut short
    for (int k = 1; k <= n; ++k) {
      const auto t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      c = (c << 6) | (t & 0x3F);
    }
    const char32_t least[] = {0, 0x80, 0x800, 0x10000};
    if (c < least[n] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return false;
    i += n + 1;
  }
  return true;
}

// The characters of Windows-1252 at 0x80..0x9F; the five undefined bytes
// stand for the C1 controls of the same number.
constexpr char32_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Every character Windows-1252 holds, NUL included, in byte order.
std::string AllWindows1252Characters() {
  std::string s;
  for (char32_t c = 0; c < 0x80; ++c) s += Utf8(c);
  for (char32_t c : kWindows1252High) s += Utf8(c);
  for (char32_t c = 0xA0; c <= 0xFF; ++c) s += Utf8(c);
  return s;
}

std::string Hex(const std::uint8_t* p, std::size_t n) {
  static const char* digits = "0123456789abcdef";
  std::string s;
  for (std::size_t i = 0; i < n; ++i) {
    s += digits[p[i] >> 4];
    s += digits[p[i] & 15];
  }
  return s;
}

TEST(Mars, KnownAnswerOfTheBlockCipher) {
  std::uint8_t key[32], block[16];
  for (int i = 0; i < 32; ++i) key[i] = static_cast<std::uint8_t>(i);
  for (int i = 0; i < 16; ++i) block[i] = static_cast<std::uint8_t>(i);
  TMarsCipher cipher(key, sizeof key);
  std::uint8_t out[16];
  cipher.EncryptBlock(block, out);
  EXPECT_EQ(Hex(out, 16), "6b1c86d4580004b4fe3ff0bb57fc5275");
  cipher.EncryptBlock(block, block);  // in place
  EXPECT_EQ(Hex(block, 16), "6b1c86d4580004b4fe3ff0bb57fc5275");

  // A wiped key no longer encrypts the same way.
  for (int i = 0; i < 16; ++i) block[i] = static_cast<std::uint8_t>(i);
  cipher.Burn();
  cipher.EncryptBlock(block, out);
  EXPECT_NE(Hex(out, 16), "6b1c86d4580004b4fe3ff0bb57fc5275");
}

TEST(Mars, KeyLengths) {
  std::uint8_t key[60] = {};
  for (std::size_t n : {16u, 20u, 24u, 32u, 56u}) EXPECT_NO_THROW((TMarsCipher(key, n))) << n;
  for (std::size_t n : {0u, 12u, 17u, 30u, 60u}) EXPECT_THROW(TMarsCipher(key, n), std::invalid_argument) << n;
}

TEST(EncryptString, KnownAnswers) {
  const struct {
    const char *key, *text, *cipher;
  } cases[] = {
      {"password", "Hello, World!", "5ygeBCZrYW8EDileXg=="},
      {"secret", "The quick brown fox jumps over the lazy dog",
       "gUJmP5j4eHU4qa1hCWE9CbJfOz4aE8QBjxX4PmmoPqhIXLyBXSKF5b2fZQ=="},
      {"abc", "a", "WA=="},
      {"abc", "", ""},
      {"k", "\xC3\xA9t\xC3\xA9", "r9gf"},  // "été": three bytes in Windows-1252
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EncryptString(c.text, c.key), c.cipher) << c.key;
    EXPECT_EQ(DecryptString(c.cipher, c.key), c.text) << c.key;
  }
  // 8-bit feedback: each cipher byte depends on the bytes before it only.
  EXPECT_EQ(EncryptString("Hel", "password"), "5yge");
  EXPECT_EQ(EncryptString("Hello,", "password"), "5ygeBCZr");
}

TEST(EncryptString, RoundTripOfEveryWindows1252Character) {
  const std::string all = AllWindows1252Characters();
  for (const char* key : {"", "k", "password", "cl\xC3\xA9 \xE2\x82\xAC", "a key text longer than the digest"}) {
    const std::string cipher = EncryptString(all, key);
    EXPECT_EQ(cipher.size(), 4u * ((256 + 2) / 3)) << key;  // one byte per character
    EXPECT_EQ(DecryptString(cipher, key), all) << key;
  }
  for (const std::string text : {"x", "Gr\xC3\xBC\xC3\x9F" "e, caf\xC3\xA9 \xE2\x80\x93 \xE2\x82\xAC" "1", "\r\n"}) {
    EXPECT_EQ(DecryptString(EncryptString(text, "key"), "key"), text);
  }
}

TEST(EncryptString, CharactersOutsideWindows1252BecomeQuestionMarks) {
  const struct {
    const char *text, *held;
  } cases[] = {
      {"\xCE\xA9k", "?k"},                 // Greek capital omega
      {"a\xF0\x9F\x98\x80z", "a?z"},       // one character outside the basic plane
      {"\xE6\x97\xA5\xE6\x9C\xAC", "??"},  // two CJK characters
      {"x\xFFy", "x?y"},                   // a byte that is not UTF-8
      {"\xC3", "?"},                       // a sequence cut short
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EncryptString(c.text, "key"), EncryptString(c.held, "key")) << c.held;
    EXPECT_EQ(DecryptString(EncryptString(c.text, "key"), "key"), c.held);
    EXPECT_EQ(HashString(c.text), HashString(c.held));
  }
  // The key text goes through the same conversion.
  EXPECT_EQ(EncryptString("data", "\xCE\xA9x"), EncryptString("data", "?x"));
  EXPECT_NE(EncryptString("data", "cl\xC3\xA9"), EncryptString("data", "cl?"));
}

TEST(EncryptString, KeysMatter) {
  const std::string c1 = EncryptString("Same text", "one key");
  EXPECT_EQ(EncryptString("Same text", "one key"), c1);
  EXPECT_NE(EncryptString("Same text", "one kez"), c1);
  EXPECT_NE(DecryptString(c1, "another key"), "Same text");
}

TEST(DecryptString, BadInputGivesTextNeverAFault) {
  for (const char* bad : {"!!!not base64***", "=", "====", "A", "AB=C", "\xFF\xFE\x80", "r9g", "r9gf===="}) {
    const std::string out = DecryptString(bad, "k");
    EXPECT_TRUE(IsUtf8(out)) << bad;
  }
  std::mt19937 rng(20240611);
  for (int round = 0; round < 300; ++round) {
    std::string text(rng() % 64, '\0');
    for (char& ch : text) ch = static_cast<char>(rng());
    const std::string key(text, 0, text.size() / 3);
    const std::string out = DecryptString(text, key);
    EXPECT_TRUE(IsUtf8(out));
    // Arbitrary bytes encrypt too and come back in their Windows-1252 form.
    const std::string cipher = EncryptString(text, key);
    EXPECT_TRUE(IsUtf8(DecryptString(cipher, key)));
    EXPECT_EQ(DecryptString(EncryptString(DecryptString(cipher, key), key), key), DecryptString(cipher, key));
  }
}

TEST(HashString, Sha256OfTheWindows1252Bytes) {
  const struct {
    const char *text, *digest;
  } cases[] = {
      {"", "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855"},
      {"password", "5E884898DA28047151D0E56F8DC6292773603D0D6AABBDD62A11EF721D1542D8"},
      {"abc", "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"},
      {"\xC3\xA9", "DE2E331D891AE267A7009CB45B4E8830F170E0C937288EA2731A1941C7A53B0D"},  // é = E9
      {"\xE2\x82\xAC", "76BE8B528D0075F7AAE98D6FA57A6D3C83AE480A8469E668D7B0AF968995AC71"},  // € = 80
      {"Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC", "9FD8FDC32921ABC38C9626BE294B3C8FEB52363AABF9D6191AEEF9BE909A9043"},
  };
  for (const auto& c : cases) EXPECT_EQ(HashString(c.text), c.digest) << c.text;
}

// Quantile by Newton's method on ln F(x), F the normal distribution written
// with erfc, working on the nearer tail so that tiny tail probabilities keep
// their digits. ln F is concave; the start -sqrt(-2 ln p) lies below the
// root, so the steps rise to it without overshooting.
double ReferenceQuantile(double p) {
  const bool upper = p > 0.5;
  const double tail = upper ? 1 - p : p;  // lower-tail probability of -|x|
  double x = -std::sqrt(-2 * std::log(tail));
  for (int i = 0; i < 200; ++i) {
    const double F = 0.5 * std::erfc(-x / std::sqrt(2.0));
    const double f = std::exp(-x * x / 2) / std::sqrt(2 * std::numbers::pi);
    const double step = (std::log(F) - std::log(tail)) * F / f;
    x -= step;
    if (std::fabs(step) < 1e-15 * std::fabs(x)) break;
  }
  return upper ? -x : x;
}

TEST(InvCumNorm, AgreesWithTheNormalDistribution) {
  EXPECT_EQ(invCumNorm(0.5), 0.0);
  EXPECT_NEAR(invCumNorm(0.975), 1.95996, 1e-5);
  EXPECT_NEAR(invCumNorm(0.01), -2.32635, 1e-5);  // lower tail
  for (double p : {1e-300, 1e-10, 1e-4, 0.01, 0.02, 0.02425, 0.0243, 0.1, 0.3, 0.5001, 0.7, 0.9, 0.97575, 0.976,
                   0.999, 1 - 1e-9}) {
    const double x = invCumNorm(p), ref = ReferenceQuantile(p);
    EXPECT_NEAR(x, ref, 1.2e-9 * std::fabs(ref) + 1e-15) << p;
  }
  for (double p : {1e-8, 0.01, 0.2, 0.4}) EXPECT_NEAR(invCumNorm(1 - p), -invCumNorm(p), 1e-8) << p;
}

TEST(InvCumNorm, ArgumentOutsideTheOpenUnitInterval) {
  for (double p : {0.0, 1.0, -0.5, 1.5, std::numeric_limits<double>::quiet_NaN(),
                   std::numeric_limits<double>::infinity()}) {
    try {
      invCumNorm(p);
      ADD_FAILURE() << "no exception for " << p;
    } catch (const std::domain_error& e) {
      EXPECT_STREQ(e.what(), "Inverse Cum Norm argument must be in range 0<p<1");
    }
  }
}

TEST(GetAlphaSubstr, KeepsUnicodeLettersAndDigits) {
  const struct {
    const char *text, *kept;
  } cases[] = {
      {"CO2", "CO2"},
      {" .,;:-_!?()[]{}/\\'\"", ""},
      {"", ""},
      {"Comp 1: HPC-2", "Comp1HPC2"},
      {"Gr\xC3\xBC\xC3\x9F" "e Stra\xC3\x9F" "e", "Gr\xC3\xBC\xC3\x9F" "eStra\xC3\x9F" "e"},
      {"\xE6\x97\xA5\xE6\x9C\xAC 123", "\xE6\x97\xA5\xE6\x9C\xAC" "123"},  // CJK letters, digits
      {"\xD9\xA3\xD9\xA4", "\xD9\xA3\xD9\xA4"},                           // Arabic-Indic digits (Nd)
      {"\xC7\x85\xCA\xB0", "\xC7\x85\xCA\xB0"},                           // titlecase Dz, modifier h
      {"\xF0\x9D\x90\x80", "\xF0\x9D\x90\x80"},                           // mathematical bold A
      {"\xC2\xBD\xE2\x85\xAB\xC2\xB2", ""},                                // 1/2, Roman XII, superscript 2
      {"e\xCC\x81", "e"},                                                  // combining acute accent
      {"a\xF0\x9F\x98\x80" "b\xE2\x82\xAC", "ab"},                         // emoji, euro sign
      {"x\xFF\xC3y", "xy"},                                                // bytes that are not UTF-8
  };
  for (const auto& c : cases) EXPECT_EQ(GetAlphaSubstr(c.text), c.kept) << c.text;
}

}  // namespace
}  // namespace vyr
