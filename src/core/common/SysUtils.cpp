#include "SysUtils.h"

#include <algorithm>
#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cmath>
#include <cstddef>
#include <stdexcept>
#include <system_error>

namespace vyr {

namespace {

// Significant digits of the general format.
constexpr int kGeneralDigits = 15;

// Decimals of "%f" without a precision.
constexpr int kDefaultFixedDecimals = 2;

// Largest width or precision a specifier may ask for. Anything larger is a
// broken format, and refusing it keeps a stray argument of "%.*d" from asking
// for gigabytes of padding.
constexpr int kMaxFieldSize = 4096;

// A finite number as decimal digits: value = 0.d1d2d3... * 10^point.
// `digits` has no leading and no trailing zeros; it is empty for zero.
//
// All rounding is done on these digits, never in floating point, so that a
// value rounds the way its decimal text reads: 2.675 to two decimals is 2.68
// even though the nearest double lies slightly below 2.675.
struct Decimal {
  bool negative = false;
  std::string digits;
  int point = 0;
};

void StripTrailingZeros(Decimal& d) {
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
}

// The shortest digits that read back as the same double.
Decimal ToDecimal(double value) {
  Decimal d;
  d.negative = std::signbit(value);
  if (value == 0.0) return d;

  // Scientific form: [-]d[.ddd]e(+|-)xx. 32 characters hold every double.
  char buf[32];
  const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
  const char* p = buf;
  const char* const end = res.ptr;
  if (p != end && *p == '-') ++p;
  for (; p != end && *p != 'e'; ++p) {
    if (*p != '.') d.digits += *p;
  }
  int exponent = 0;
  if (p != end) {
    ++p;  // 'e'
    if (p != end && *p == '+') ++p;
    std::from_chars(p, end, exponent);
  }
  d.point = exponent + 1;
  StripTrailingZeros(d);
  return d;
}

// Keeps the first `keep` digits, rounding half away from zero on the digit
// that follows. A negative `keep` drops the value to zero.
void RoundToDigits(Decimal& d, long long keep) {
  if (keep >= static_cast<long long>(d.digits.size())) return;
  if (keep < 0) {
    d.digits.clear();
    return;
  }
  const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
  d.digits.resize(static_cast<std::size_t>(keep));
  if (up) {
    // A carried 9 turns into a trailing zero, which the representation omits.
    while (!d.digits.empty() && d.digits.back() == '9') d.digits.pop_back();
    if (d.digits.empty()) {
      d.digits.push_back('1');
      ++d.point;
    } else {
      ++d.digits.back();
    }
  }
  StripTrailingZeros(d);
}

// Fixed notation with exactly `decimals` digits after the point. A value that
// is zero here carries no sign.
std::string FixedText(const Decimal& d, int decimals) {
  std::string out;
  if (d.negative && !d.digits.empty()) out += '-';
  const long long size = static_cast<long long>(d.digits.size());
  auto digitAt = [&](long long i) { return i >= 0 && i < size ? d.digits[static_cast<std::size_t>(i)] : '0'; };
  if (d.point <= 0) {
    out += '0';
  } else {
    for (long long i = 0; i < d.point; ++i) out += digitAt(i);
  }
  if (decimals > 0) {
    out += '.';
    for (long long i = d.point; i < static_cast<long long>(d.point) + decimals; ++i) out += digitAt(i);
  }
  return out;
}

// Text of NaN and the infinities, or an empty string for a finite value.
std::string NonFiniteText(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  return {};
}

std::string FixedFormat(double value, int decimals) {
  if (std::string special = NonFiniteText(value); !special.empty()) return special;
  Decimal d = ToDecimal(value);
  RoundToDigits(d, static_cast<long long>(d.point) + decimals);
  return FixedText(d, decimals);
}

// General format with `precision` significant digits: fixed notation while the
// decimal exponent lies in [-4, precision), scientific otherwise, with at
// least `minExponentDigits` digits in the exponent.
std::string GeneralFormat(double value, int precision, int minExponentDigits) {
  if (std::string special = NonFiniteText(value); !special.empty()) return special;
  Decimal d = ToDecimal(value);
  RoundToDigits(d, precision);
  if (d.digits.empty()) return "0";

  const int exponent = d.point - 1;
  const int size = static_cast<int>(d.digits.size());
  if (exponent >= -4 && exponent < precision) {
    return FixedText(d, size > d.point ? size - d.point : 0);
  }

  std::string out;
  if (d.negative) out += '-';
  out += d.digits[0];
  if (size > 1) {
    out += '.';
    out.append(d.digits, 1);
  }
  out += 'E';
  if (exponent < 0) out += '-';
  const std::string expDigits = std::to_string(exponent < 0 ? -exponent : exponent);
  if (static_cast<int>(expDigits.size()) < minExponentDigits) {
    out.append(static_cast<std::size_t>(minExponentDigits) - expDigits.size(), '0');
  }
  out += expDigits;
  return out;
}

// Decimal digits of |value|, correct for the most negative value too.
std::string MagnitudeDigits(std::int64_t value) {
  std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  char buf[24];
  const auto res = std::to_chars(buf, buf + sizeof buf, magnitude);
  return std::string(buf, res.ptr);
}

// One conversion of Format, as parsed from the format text.
struct Spec {
  std::string_view text;  // the specifier as written, for messages
  bool leftJustify = false;
  int width = 0;
  int precision = -1;  // -1: none given
  char type = 0;
};

class Formatter {
 public:
  Formatter(std::string_view format, std::initializer_list<TVarRec> args)
      : format_(format), next_(args.begin()), end_(args.end()) {}

  std::string Run() {
    std::string out;
    out.reserve(format_.size() + 16);
    std::size_t i = 0;
    while (i < format_.size()) {
      const char c = format_[i];
      if (c != '%') {
        out += c;
        ++i;
        continue;
      }
      if (i + 1 < format_.size() && format_[i + 1] == '%') {
        out += '%';
        i += 2;
        continue;
      }
      Spec spec = Parse(i);
      Pad(out, spec, Convert(spec));
    }
    return out;
  }

 private:
  [[noreturn]] void Fail(const std::string& reason) const {
    throw std::invalid_argument("Format \"" + std::string(format_) + "\": " + reason);
  }

  // Reads the specifier that starts at format_[pos] == '%' and moves pos past it.
  Spec Parse(std::size_t& pos) {
    const std::size_t start = pos;
    std::size_t i = pos + 1;
    const std::size_t n = format_.size();
    auto incomplete = [&] { Fail("incomplete specifier \"" + std::string(format_.substr(start)) + "\""); };

    Spec spec;
    if (i < n && format_[i] == '-') {
      spec.leftJustify = true;
      ++i;
    }
    if (i < n && IsDigit(format_[i])) spec.width = ReadCount(i, start);
    if (i < n && format_[i] == '.') {
      ++i;
      if (i < n && format_[i] == '*') {
        ++i;
        spec.precision = PrecisionArgument(format_.substr(start, i - start));
      } else if (i < n && IsDigit(format_[i])) {
        spec.precision = ReadCount(i, start);
      } else {
        incomplete();
      }
    }
    if (i >= n) incomplete();
    spec.type = format_[i++];
    spec.text = format_.substr(start, i - start);
    pos = i;

    switch (spec.type) {
      case 'd':
      case 'f':
      case 'g':
        break;
      case 's':
        if (spec.precision >= 0) Fail("precision is not allowed in \"" + std::string(spec.text) + "\"");
        break;
      default:
        Fail("unknown specifier \"" + std::string(spec.text) + "\"");
    }
    return spec;
  }

  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

  int ReadCount(std::size_t& i, std::size_t start) {
    int count = 0;
    while (i < format_.size() && IsDigit(format_[i])) {
      count = count * 10 + (format_[i] - '0');
      ++i;
      if (count > kMaxFieldSize) {
        Fail("width or precision too large in \"" + std::string(format_.substr(start, i - start)) + "\"");
      }
    }
    return count;
  }

  // The precision of ".*": the next argument, an integer. A negative one
  // counts as none given.
  int PrecisionArgument(std::string_view text) {
    const TVarRec& arg = Take(text);
    const auto* value = std::get_if<std::int64_t>(&arg.value());
    if (value == nullptr) Fail("the precision of \"" + std::string(text) + "\" must be an integer");
    if (*value > kMaxFieldSize) Fail("precision too large in \"" + std::string(text) + "\"");
    return *value < 0 ? -1 : static_cast<int>(*value);
  }

  const TVarRec& Take(std::string_view text) {
    if (next_ == end_) Fail("missing argument for \"" + std::string(text) + "\"");
    return *next_++;
  }

  std::string Convert(const Spec& spec) {
    const TVarRec& arg = Take(spec.text);
    const auto& value = arg.value();
    const auto* integer = std::get_if<std::int64_t>(&value);
    const auto* real = std::get_if<double>(&value);
    const auto* text = std::get_if<std::string>(&value);

    switch (spec.type) {
      case 'd': {
        if (integer == nullptr) Fail("\"" + std::string(spec.text) + "\" needs an integer argument");
        std::string digits = MagnitudeDigits(*integer);
        if (spec.precision > static_cast<int>(digits.size())) {
          digits.insert(0, static_cast<std::size_t>(spec.precision) - digits.size(), '0');
        }
        return *integer < 0 ? "-" + digits : digits;
      }
      case 'f':
      case 'g': {
        if (text != nullptr) Fail("\"" + std::string(spec.text) + "\" needs a numeric argument");
        const double number = real != nullptr ? *real : static_cast<double>(*integer);
        if (spec.type == 'f') {
          return FixedFormat(number, spec.precision >= 0 ? spec.precision : kDefaultFixedDecimals);
        }
        const int digits = spec.precision < 0 ? kGeneralDigits : (spec.precision == 0 ? 1 : spec.precision);
        return GeneralFormat(number, digits, 3);
      }
      default: {  // 's'
        if (text == nullptr) Fail("\"" + std::string(spec.text) + "\" needs a text argument");
        return *text;
      }
    }
  }

  static void Pad(std::string& out, const Spec& spec, const std::string& field) {
    const std::size_t width = static_cast<std::size_t>(spec.width);
    const std::size_t fill = field.size() < width ? width - field.size() : 0;
    if (!spec.leftJustify) out.append(fill, ' ');
    out += field;
    if (spec.leftJustify) out.append(fill, ' ');
  }

  std::string_view format_;
  const TVarRec* next_;
  const TVarRec* end_;
};

}  // namespace

std::string FloatToStr(double value) { return GeneralFormat(value, kGeneralDigits, 1); }

bool SameAsciiText(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

std::string IntToStr(std::int64_t value) {
  std::string digits = MagnitudeDigits(value);
  return value < 0 ? "-" + digits : digits;
}

std::string Format(std::string_view format, std::initializer_list<TVarRec> args) {
  return Formatter(format, args).Run();
}

std::string Printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text;
  if (n > 0) {
    text.resize(static_cast<std::size_t>(n));
    std::vsnprintf(text.data(), text.size() + 1, format, again);
  }
  va_end(again);
  return text;
}

}  // namespace vyr
