#include "Mars.h"

#include <cryptopp/mars.h>
#include <cryptopp/misc.h>

#include <bit>
#include <stdexcept>

namespace vyr {

namespace {

using std::uint32_t;

// The published MARS S-box: 512 words, S0 = S[0..255], S1 = S[256..511]. The
// cipher class of Crypto++ holds it for its own (later, revised) key
// schedule; the table itself is the same in both versions of the cipher.
struct MarsSbox : CryptoPP::MARS::Encryption {
  static const uint32_t* Table() { return Sbox; }
};

const uint32_t* const S = MarsSbox::Table();

inline uint32_t S0(uint32_t byte) { return S[byte]; }
inline uint32_t S1(uint32_t byte) { return S[256 + byte]; }

inline uint32_t Byte(uint32_t w, int n) { return (w >> (8 * n)) & 0xFF; }

inline uint32_t LoadLE(const std::uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

inline void StoreLE(uint32_t w, std::uint8_t* p) {
  p[0] = static_cast<std::uint8_t>(w);
  p[1] = static_cast<std::uint8_t>(w >> 8);
  p[2] = static_cast<std::uint8_t>(w >> 16);
  p[3] = static_cast<std::uint8_t>(w >> 24);
}

// Patterns that break up long runs in the multiplication keys.
inline uint32_t Pattern(uint32_t j) { return S[265 + j]; }

// Bits of w that lie inside a run of ten or more equal bits, ends of the run
// excluded (w[l-1] = w[l] = w[l+1]), for 2 <= l <= 30. Bit 31 counts too
// when such a run of zeros reaches it: the 1998 description treats the top
// end of a run that way, the revised one never sets bit 31.
uint32_t LongRunMask(uint32_t w) {
  uint32_t mask = 0;
  int start = 0;
  for (int l = 1; l <= 32; ++l) {
    const bool runEnds = l == 32 || ((w >> l) & 1u) != ((w >> start) & 1u);
    if (!runEnds) continue;
    const int end = l - 1;  // run is bits start..end
    if (end - start + 1 >= 10) {
      for (int b = start + 1; b <= end - 1; ++b) mask |= uint32_t{1} << b;
      if (end == 31 && ((w >> 31) & 1u) == 0) mask |= uint32_t{1} << 31;
    }
    start = l;
  }
  return mask & 0xFFFFFFFCu;
}

// The keyed core function: from the input word and two key words, the three
// words that modify the other data words (L, M, R).
inline void EFunction(uint32_t in, uint32_t key1, uint32_t key2, uint32_t& L, uint32_t& M, uint32_t& R) {
  M = in + key1;
  R = std::rotl(in, 13) * key2;
  L = S[M & 511];
  R = std::rotl(R, 5);
  M = std::rotl(M, static_cast<int>(R & 31));
  L ^= R;
  R = std::rotl(R, 5);
  L ^= R;
  L = std::rotl(L, static_cast<int>(R & 31));
}

}  // namespace

TMarsCipher::TMarsCipher(const std::uint8_t* key, std::size_t keyLength) {
  if (keyLength < 16 || keyLength > 56 || keyLength % 4 != 0) {
    throw std::invalid_argument("MARS key length must be 16 to 56 bytes in steps of 4");
  }
  const int n = static_cast<int>(keyLength / 4);
  uint32_t k[14];
  for (int i = 0; i < n; ++i) k[i] = LoadLE(key + 4 * i);

  // T[-7..-1] = S[0..6], then T[0..39]; stored with an offset of 7.
  uint32_t t[47];
  for (int i = 0; i < 7; ++i) t[i] = S[i];
  uint32_t* T = t + 7;
  for (int i = 0; i < 39; ++i) T[i] = std::rotl(T[i - 7] ^ T[i - 2], 3) ^ k[i % n] ^ static_cast<uint32_t>(i);
  T[39] = static_cast<uint32_t>(n);

  // Seven stirring passes through the S-box.
  for (int pass = 0; pass < 7; ++pass) {
    for (int i = 1; i < 40; ++i) T[i] = std::rotl(T[i] + S[T[i - 1] & 511], 9);
    T[0] = std::rotl(T[0] + S[T[39] & 511], 9);
  }
  for (int i = 0; i < 40; ++i) K_[(7 * i) % 40] = T[i];

  // The multiplication keys must be odd and free of long runs of equal bits.
  // The pattern is rotated by the low five bits of the key word three places
  // on (the revised schedule takes the word before instead).
  for (int i = 5; i <= 35; i += 2) {
    const uint32_t w = K_[i] | 3u;
    const uint32_t mask = LongRunMask(w);
    const uint32_t p = std::rotl(Pattern(K_[i] & 3), static_cast<int>(K_[i + 3] & 31));
    K_[i] = w ^ (p & mask);
  }

  CryptoPP::SecureWipeArray(k, 14);
  CryptoPP::SecureWipeArray(t, 47);
}

TMarsCipher::~TMarsCipher() { Burn(); }

void TMarsCipher::Burn() { CryptoPP::SecureWipeArray(K_.data(), K_.size()); }

void TMarsCipher::EncryptBlock(const std::uint8_t* in, std::uint8_t* out) const {
  uint32_t D[4];
  for (int i = 0; i < 4; ++i) D[i] = LoadLE(in + 4 * i) + K_[i];

  // Each step below ends by rotating the four words one place:
  // (D0, D1, D2, D3) <- (D1, D2, D3, D0).
  auto rotateWords = [&D] {
    const uint32_t d0 = D[0];
    D[0] = D[1];
    D[1] = D[2];
    D[2] = D[3];
    D[3] = d0;
  };

  // Forward mixing, unkeyed.
  for (int i = 0; i < 8; ++i) {
    D[1] ^= S0(Byte(D[0], 0));
    D[1] += S1(Byte(D[0], 1));
    D[2] += S0(Byte(D[0], 2));
    D[3] ^= S1(Byte(D[0], 3));
    D[0] = std::rotr(D[0], 24);
    if (i == 0 || i == 4) D[0] += D[3];
    if (i == 1 || i == 5) D[0] += D[1];
    rotateWords();
  }

  // Keyed core: eight rounds forward, eight backward.
  for (int i = 0; i < 16; ++i) {
    uint32_t L, M, R;
    EFunction(D[0], K_[2 * i + 4], K_[2 * i + 5], L, M, R);
    D[0] = std::rotl(D[0], 13);
    D[2] += M;
    if (i < 8) {
      D[1] += L;
      D[3] ^= R;
    } else {
      D[3] += L;
      D[1] ^= R;
    }
    rotateWords();
  }

  // Backward mixing, unkeyed.
  for (int i = 0; i < 8; ++i) {
    if (i == 2 || i == 6) D[0] -= D[3];
    if (i == 3 || i == 7) D[0] -= D[1];
    D[1] ^= S1(Byte(D[0], 0));
    D[2] -= S0(Byte(D[0], 3));
    D[3] -= S1(Byte(D[0], 2));
    D[3] ^= S0(Byte(D[0], 1));
    D[0] = std::rotl(D[0], 24);
    rotateWords();
  }

  for (int i = 0; i < 4; ++i) StoreLE(D[i] - K_[36 + i], out + 4 * i);
  CryptoPP::SecureWipeArray(D, 4);
}

}  // namespace vyr
