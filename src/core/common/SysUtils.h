// Number text as the host runtime writes it, used in every message.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

#include "VyrExport.h"

namespace vyr {

/// General floating-point format: 15 significant digits rounded half away from
/// zero, trailing zeros dropped; fixed notation for 0.0001 <= |x| < 1E15 after
/// rounding, else scientific ("1E-5", "1.23456789012346E17"); "0", "NAN", "INF", "-INF".
VYR_API std::string FloatToStr(double value);

/// Decimal text of an integer, no thousands separator.
VYR_API std::string IntToStr(std::int64_t value);

/// True when a and b are the same text with ASCII letters compared without
/// regard to case (class names, encoding names, "true", "NAN"); other bytes,
/// UTF-8 included, must match exactly.
VYR_API bool SameAsciiText(std::string_view a, std::string_view b);

/// Number-format settings handed to number input and display: the separators
/// of a locale. Numbers in station labels and model files always use the US
/// English settings, whatever the user's locale.
struct TFormatSettings {
  char DecimalSeparator = '.';
  char ThousandSeparator = ',';
};

/// The US English number format (locale 1033): '.' and ','.
inline constexpr TFormatSettings USFormatSettings{};

/// One argument of Format: an integer, a floating-point number or a text.
class TVarRec {
 public:
  TVarRec(int v) : value_(static_cast<std::int64_t>(v)) {}
  TVarRec(long v) : value_(static_cast<std::int64_t>(v)) {}
  TVarRec(long long v) : value_(static_cast<std::int64_t>(v)) {}
  TVarRec(unsigned v) : value_(static_cast<std::int64_t>(v)) {}
  TVarRec(double v) : value_(v) {}
  TVarRec(const char* v) : value_(std::string(v)) {}
  TVarRec(std::string v) : value_(std::move(v)) {}
  TVarRec(std::string_view v) : value_(std::string(v)) {}

  const std::variant<std::int64_t, double, std::string>& value() const { return value_; }

 private:
  std::variant<std::int64_t, double, std::string> value_;
};

/// printf-formatted text of any length, for messages that name numbers with
/// the C library's conversions ("%.6g", "%.1f").
VYR_API std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

/// Formats like the host runtime's Format for the forms the messages use:
/// "%d", "%.*d" (zero-padded digits, sign not counted), "%.1f" (half away from
/// zero, no sign when the value rounds to zero), "%g" (general format with an
/// exponent of at least three digits), "%s" and "%%". A specifier that does not
/// match its argument, or a missing argument, throws std::invalid_argument.
VYR_API std::string Format(std::string_view format, std::initializer_list<TVarRec> args);

}  // namespace vyr
