// MARS block cipher (128-bit blocks, keys of 4 to 14 words), forward
// direction only, with the key schedule of the original 1998 description.
// Internal to the string protection; not a public header.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vyr {

class TMarsCipher {
 public:
  /// Block size [bytes].
  static constexpr std::size_t BlockSize = 16;

  /// Expands a key of 16 to 56 bytes in steps of 4; throws std::invalid_argument otherwise.
  TMarsCipher(const std::uint8_t* key, std::size_t keyLength);
  /// Wipes the expanded key.
  ~TMarsCipher();
  TMarsCipher(const TMarsCipher&) = delete;
  TMarsCipher& operator=(const TMarsCipher&) = delete;

  /// Encrypts one block; in and out may be the same buffer.
  void EncryptBlock(const std::uint8_t* in, std::uint8_t* out) const;

  /// Overwrites the expanded key with zeros.
  void Burn();

 private:
  std::array<std::uint32_t, 40> K_{};  // expanded key: 4 + 32 + 4 words
};

}  // namespace vyr
