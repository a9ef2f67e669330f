#include "StringProtection.h"

#include <cryptopp/base64.h>
#include <cryptopp/filters.h>
#include <cryptopp/misc.h>
#include <cryptopp/secblock.h>
#include <cryptopp/sha.h>
#include <iconv.h>
#include <utf8proc.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "Mars.h"

namespace vyr {

namespace {

// ---------------------------------------------------------------------------
// Windows-1252 text

// One iconv conversion descriptor, closed on scope exit.
class TIconv {
 public:
  TIconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error(std::string("No text conversion from ") + from + " to " + to);
    }
  }
  ~TIconv() { iconv_close(cd_); }
  TIconv(const TIconv&) = delete;
  TIconv& operator=(const TIconv&) = delete;

  // Converts as much as it can; false at a byte sequence it cannot convert.
  bool Convert(const char*& in, std::size_t& inLeft, char*& out, std::size_t& outLeft) {
    char* src = const_cast<char*>(in);  // iconv does not write through it
    const std::size_t rc = iconv(cd_, &src, &inLeft, &out, &outLeft);
    in = src;
    return rc != static_cast<std::size_t>(-1);
  }

 private:
  iconv_t cd_;
};

// The five byte values that Windows-1252 leaves undefined. Windows maps them
// to the C1 control characters of the same number, both ways, so that any
// byte string reads as text and converts back unchanged.
bool IsUndefinedWindows1252(std::uint32_t c) { return c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D; }

bool IsAscii(std::string_view s) {
  for (unsigned char c : s) {
    if (c >= 0x80) return false;
  }
  return true;
}

// UTF-8 text to Windows-1252 bytes; a character the code page cannot hold
// and every byte that is not UTF-8 becomes "?".
std::string ToWindows1252(std::string_view text) {
  if (IsAscii(text)) return std::string(text);
  TIconv cv("WINDOWS-1252", "UTF-8");
  std::string out(text.size(), '\0');  // at most one byte per input byte
  const char* in = text.data();
  std::size_t inLeft = text.size();
  char* o = out.data();
  std::size_t outLeft = out.size();
  while (inLeft > 0 && !cv.Convert(in, inLeft, o, outLeft)) {
    utf8proc_int32_t cp = -1;
    const utf8proc_ssize_t len =
        utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(in), static_cast<utf8proc_ssize_t>(inLeft), &cp);
    const bool valid = len > 0;
    *o++ = valid && IsUndefinedWindows1252(static_cast<std::uint32_t>(cp)) ? static_cast<char>(cp) : '?';
    --outLeft;
    const std::size_t skip = valid ? static_cast<std::size_t>(len) : 1;
    in += skip;
    inLeft -= skip;
  }
  out.resize(out.size() - outLeft);
  return out;
}

// Windows-1252 bytes to UTF-8 text.
std::string FromWindows1252(std::string_view bytes) {
  if (IsAscii(bytes)) return std::string(bytes);
  TIconv cv("UTF-8", "WINDOWS-1252");
  std::string out(3 * bytes.size(), '\0');  // at most three bytes per character
  const char* in = bytes.data();
  std::size_t inLeft = bytes.size();
  char* o = out.data();
  std::size_t outLeft = out.size();
  while (inLeft > 0 && !cv.Convert(in, inLeft, o, outLeft)) {
    // An undefined byte: the C1 control U+0080..U+009F of that number.
    const auto b = static_cast<unsigned char>(*in);
    *o++ = static_cast<char>(0xC0 | (b >> 6));
    *o++ = static_cast<char>(0x80 | (b & 0x3F));
    outLeft -= 2;
    ++in;
    --inLeft;
  }
  out.resize(out.size() - outLeft);
  return out;
}

const CryptoPP::byte* Bytes(std::string_view s) { return reinterpret_cast<const CryptoPP::byte*>(s.data()); }

// ---------------------------------------------------------------------------
// Cipher

// SHA-256 digest of the key text in Windows-1252: the 32-byte cipher key.
CryptoPP::SecByteBlock KeyDigest(std::string_view key) {
  std::string keyBytes = ToWindows1252(key);
  CryptoPP::SecByteBlock digest(CryptoPP::SHA256::DIGESTSIZE);
  CryptoPP::SHA256().CalculateDigest(digest, Bytes(keyBytes), keyBytes.size());
  CryptoPP::SecureWipeBuffer(keyBytes.data(), keyBytes.size());
  return digest;
}

// MARS in 8-bit cipher feedback: every byte encrypts the 16-byte register,
// takes the first byte of the result as key stream and shifts the cipher
// byte into the register. The register starts as the encryption of a zero
// block. Key and register are wiped when the object goes.
class TCfb8Mars {
 public:
  explicit TCfb8Mars(std::string_view key) : TCfb8Mars(KeyDigest(key)) {}
  ~TCfb8Mars() { CryptoPP::SecureWipeArray(reg_.data(), reg_.size()); }  // the cipher wipes its own key
  TCfb8Mars(const TCfb8Mars&) = delete;
  TCfb8Mars& operator=(const TCfb8Mars&) = delete;

  std::uint8_t Encrypt(std::uint8_t plain) {
    const std::uint8_t c = plain ^ KeyStream();
    Shift(c);
    return c;
  }

  std::uint8_t Decrypt(std::uint8_t c) {
    const std::uint8_t plain = c ^ KeyStream();
    Shift(c);
    return plain;
  }

 private:
  explicit TCfb8Mars(const CryptoPP::SecByteBlock& digest) : cipher_(digest.data(), digest.size()) {
    cipher_.EncryptBlock(reg_.data(), reg_.data());
  }

  std::uint8_t KeyStream() {
    std::array<std::uint8_t, TMarsCipher::BlockSize> block;
    cipher_.EncryptBlock(reg_.data(), block.data());
    const std::uint8_t k = block[0];
    CryptoPP::SecureWipeArray(block.data(), block.size());
    return k;
  }

  void Shift(std::uint8_t c) {
    for (std::size_t i = 0; i + 1 < reg_.size(); ++i) reg_[i] = reg_[i + 1];
    reg_.back() = c;
  }

  TMarsCipher cipher_;
  std::array<std::uint8_t, TMarsCipher::BlockSize> reg_{};
};

std::string Base64Encode(std::string_view bytes) {
  std::string text;
  CryptoPP::StringSource source(Bytes(bytes), bytes.size(), true,
                                new CryptoPP::Base64Encoder(new CryptoPP::StringSink(text), false));
  return text;
}

// Characters outside the Base64 alphabet are skipped.
std::string Base64Decode(std::string_view text) {
  std::string bytes;
  CryptoPP::StringSource source(Bytes(text), text.size(), true,
                                new CryptoPP::Base64Decoder(new CryptoPP::StringSink(bytes)));
  return bytes;
}

}  // namespace

std::string EncryptString(std::string_view Source, std::string_view Key) {
  std::string data = ToWindows1252(Source);
  TCfb8Mars cfb(Key);
  for (char& ch : data) ch = static_cast<char>(cfb.Encrypt(static_cast<std::uint8_t>(ch)));
  return Base64Encode(data);
}

std::string DecryptString(std::string_view Source, std::string_view Key) {
  std::string data = Base64Decode(Source);
  TCfb8Mars cfb(Key);
  for (char& ch : data) ch = static_cast<char>(cfb.Decrypt(static_cast<std::uint8_t>(ch)));
  std::string text = FromWindows1252(data);
  CryptoPP::SecureWipeBuffer(data.data(), data.size());
  return text;
}

std::string HashString(std::string_view S) {
  const std::string bytes = ToWindows1252(S);
  std::array<CryptoPP::byte, CryptoPP::SHA256::DIGESTSIZE> digest;
  CryptoPP::SHA256().CalculateDigest(digest.data(), Bytes(bytes), bytes.size());
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(2 * digest.size());
  for (CryptoPP::byte b : digest) {
    hex += kHex[b >> 4];
    hex += kHex[b & 0x0F];
  }
  return hex;
}

double invCumNorm(double p) {
  // Rational approximations of the inverse normal distribution: one for the
  // central region, one for the tails (in q = sqrt(-2 ln p)).
  static constexpr double a[] = {-39.69683028665376, 220.9460984245205,  -275.9285104469687,
                                 138.357751867269,   -30.66479806614716, 2.506628277459239};
  static constexpr double b[] = {-54.47609879822406, 161.5858368580409, -155.6989798598866, 66.80131188771972,
                                 -13.28068155288572};
  static constexpr double c[] = {-0.007784894002430293, -0.3223964580411365, -2.400758277161838,
                                 -2.549732539343734,    4.374664141464968,   2.938163982698783};
  static constexpr double d[] = {0.007784695709041462, 0.3224671290700398, 2.445134137142996, 3.754408661907416};
  constexpr double pLow = 0.02425, pHigh = 0.97575;

  if (!(p > 0.0 && p < 1.0)) throw std::domain_error("Inverse Cum Norm argument must be in range 0<p<1");

  auto tail = [&](double q) {
    return (((((c[0] * q + c[1]) * q + c[2]) * q + c[3]) * q + c[4]) * q + c[5]) /
           ((((d[0] * q + d[1]) * q + d[2]) * q + d[3]) * q + 1.0);
  };
  if (p < pLow) return tail(std::sqrt(-2.0 * std::log(p)));
  if (p > pHigh) return -tail(std::sqrt(-2.0 * std::log(1.0 - p)));
  const double q = p - 0.5;
  const double r = q * q;
  return (((((a[0] * r + a[1]) * r + a[2]) * r + a[3]) * r + a[4]) * r + a[5]) * q /
         (((((b[0] * r + b[1]) * r + b[2]) * r + b[3]) * r + b[4]) * r + 1.0);
}

std::string GetAlphaSubstr(std::string_view S) {
  std::string out;
  const auto* p = reinterpret_cast<const utf8proc_uint8_t*>(S.data());
  std::size_t left = S.size();
  while (left > 0) {
    utf8proc_int32_t cp = -1;
    const utf8proc_ssize_t len = utf8proc_iterate(p, static_cast<utf8proc_ssize_t>(left), &cp);
    if (len <= 0) {  // not UTF-8: drop the byte
      ++p;
      --left;
      continue;
    }
    switch (utf8proc_category(cp)) {
      case UTF8PROC_CATEGORY_LU:
      case UTF8PROC_CATEGORY_LL:
      case UTF8PROC_CATEGORY_LT:
      case UTF8PROC_CATEGORY_LM:
      case UTF8PROC_CATEGORY_LO:
      case UTF8PROC_CATEGORY_ND:
        out.append(reinterpret_cast<const char*>(p), static_cast<std::size_t>(len));
        break;
      default:
        break;
    }
    p += len;
    left -= static_cast<std::size_t>(len);
  }
  return out;
}

}  // namespace vyr
