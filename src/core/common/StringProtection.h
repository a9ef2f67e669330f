// String protection and statistics helpers: symmetric encryption of a text
// with a key text, a hexadecimal SHA-256 digest of a text, the inverse of the
// standard normal distribution and a filter that keeps letters and digits.
//
// Texts are UTF-8. Encryption and hashing work on the text's bytes in the
// Windows-1252 code page, as the host program stores them: a character that
// code page cannot hold becomes "?".
#pragma once

#include <string>
#include <string_view>

#include "VyrExport.h"

namespace vyr {

/// Source encrypted under Key (MARS in 8-bit CFB mode, key = SHA-256 of Key),
/// as Base64 text; the empty text stays empty.
VYR_API std::string EncryptString(std::string_view Source, std::string_view Key);
/// Inverse of EncryptString with the same Key. Text that is not Base64 or a
/// wrong key gives an empty or garbled text, never an error.
VYR_API std::string DecryptString(std::string_view Source, std::string_view Key);
/// SHA-256 digest of S in Windows-1252 bytes: 64 upper-case hexadecimal digits.
VYR_API std::string HashString(std::string_view S);
/// Inverse of the standard normal cumulative distribution at probability p [-]
/// (rational approximation, relative error below 1.15E-9); throws
/// std::domain_error "Inverse Cum Norm argument must be in range 0<p<1" for
/// p outside (0, 1) or NaN.
VYR_API double invCumNorm(double p);
/// The characters of S that are Unicode letters (categories Lu, Ll, Lt, Lm, Lo)
/// or decimal digits (Nd), in order; bytes that are not UTF-8 are dropped.
VYR_API std::string GetAlphaSubstr(std::string_view S);

}  // namespace vyr
