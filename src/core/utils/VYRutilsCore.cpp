#include "VYRutilsCore.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <system_error>

#include "Messages.h"
#include "SysUtils.h"

namespace vyr {

namespace fs = std::filesystem;

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Adds one to a run of decimal digits of any length.
std::string IncrementDigits(std::string digits) {
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    if (*it != '9') {
      ++*it;
      return digits;
    }
    *it = '0';
  }
  return "1" + digits;
}

struct NamedColor {
  std::string_view name;
  TColor color;
  TColor rgb;  // usual desktop colour of a system colour; the colour itself otherwise
};

constexpr TColor Sys(std::uint32_t index) { return static_cast<TColor>(0xFF000000u | index); }

constexpr std::array<NamedColor, 51> kColors{{
    {"clBlack", 0x000000, 0x000000},
    {"clMaroon", 0x000080, 0x000080},
    {"clGreen", 0x008000, 0x008000},
    {"clOlive", 0x008080, 0x008080},
    {"clNavy", 0x800000, 0x800000},
    {"clPurple", 0x800080, 0x800080},
    {"clTeal", 0x808000, 0x808000},
    {"clGray", 0x808080, 0x808080},
    {"clSilver", 0xC0C0C0, 0xC0C0C0},
    {"clRed", 0x0000FF, 0x0000FF},
    {"clLime", 0x00FF00, 0x00FF00},
    {"clYellow", 0x00FFFF, 0x00FFFF},
    {"clBlue", 0xFF0000, 0xFF0000},
    {"clFuchsia", 0xFF00FF, 0xFF00FF},
    {"clAqua", 0xFFFF00, 0xFFFF00},
    {"clWhite", 0xFFFFFF, 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0, 0xC0DCC0},
    {"clSkyBlue", 0xF0CAA6, 0xF0CAA6},
    {"clCream", 0xF0FBFF, 0xF0FBFF},
    {"clMedGray", 0xA4A0A0, 0xA4A0A0},
    {"clScrollBar", Sys(0x00), RGBColor(200, 200, 200)},
    {"clBackground", Sys(0x01), RGBColor(0, 0, 0)},
    {"clActiveCaption", Sys(0x02), RGBColor(153, 180, 209)},
    {"clInactiveCaption", Sys(0x03), RGBColor(191, 205, 219)},
    {"clMenu", Sys(0x04), RGBColor(240, 240, 240)},
    {"clWindow", Sys(0x05), RGBColor(255, 255, 255)},
    {"clWindowFrame", Sys(0x06), RGBColor(100, 100, 100)},
    {"clMenuText", Sys(0x07), RGBColor(0, 0, 0)},
    {"clWindowText", Sys(0x08), RGBColor(0, 0, 0)},
    {"clCaptionText", Sys(0x09), RGBColor(0, 0, 0)},
    {"clActiveBorder", Sys(0x0A), RGBColor(180, 180, 180)},
    {"clInactiveBorder", Sys(0x0B), RGBColor(244, 247, 252)},
    {"clAppWorkSpace", Sys(0x0C), RGBColor(171, 171, 171)},
    {"clHighlight", Sys(0x0D), RGBColor(0, 120, 215)},
    {"clHighlightText", Sys(0x0E), RGBColor(255, 255, 255)},
    {"clBtnFace", Sys(0x0F), RGBColor(240, 240, 240)},
    {"clBtnShadow", Sys(0x10), RGBColor(160, 160, 160)},
    {"clGrayText", Sys(0x11), RGBColor(109, 109, 109)},
    {"clBtnText", Sys(0x12), RGBColor(0, 0, 0)},
    {"clInactiveCaptionText", Sys(0x13), RGBColor(0, 0, 0)},
    {"clBtnHighlight", Sys(0x14), RGBColor(255, 255, 255)},
    {"cl3DDkShadow", Sys(0x15), RGBColor(105, 105, 105)},
    {"cl3DLight", Sys(0x16), RGBColor(227, 227, 227)},
    {"clInfoText", Sys(0x17), RGBColor(0, 0, 0)},
    {"clInfoBk", Sys(0x18), RGBColor(255, 255, 225)},
    {"clHotLight", Sys(0x1A), RGBColor(0, 102, 204)},
    {"clGradientActiveCaption", Sys(0x1B), RGBColor(185, 209, 234)},
    {"clGradientInactiveCaption", Sys(0x1C), RGBColor(215, 228, 242)},
    {"clMenuHighlight", Sys(0x1D), RGBColor(51, 153, 255)},
    {"clMenuBar", Sys(0x1E), RGBColor(240, 240, 240)},
    {"clNone", 0x1FFFFFFF, 0x1FFFFFFF},
}};

bool SameAscii(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return UpperAscii(x) == UpperAscii(y); });
}

// Length of the UTF-8 sequence that starts with lead byte c (1 for a stray byte).
std::size_t Utf8Length(unsigned char c) {
  if (c >= 0xF0 && c <= 0xF4) return 4;
  if (c >= 0xE0) return c <= 0xEF ? 3 : 1;
  if (c >= 0xC2) return 2;
  return 1;
}

bool MatchMask(std::string_view name, std::string_view mask) {
  // Iterative wildcard match with one backtrack point per '*'.
  std::size_t n = 0, m = 0, starM = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || UpperAscii(mask[m]) == UpperAscii(name[n]))) {
      ++n;
      ++m;
    } else if (m < mask.size() && mask[m] == '*') {
      starM = m++;
      starN = n;
    } else if (starM != std::string_view::npos) {
      m = starM + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*')
    ++m;
  return m == mask.size();
}

}  // namespace

std::string IncrementNameNumber(std::string_view name) {
  std::size_t start = name.size();
  while (start > 0 && IsDigit(name[start - 1]))
    --start;
  if (start == name.size()) return name.empty() ? std::string("1") : std::string(name) + "2";
  // The number's text without leading zeros; done on the digits themselves so
  // that a run of any length counts up without overflow.
  std::string_view digits = name.substr(start);
  const std::size_t firstNonZero = digits.find_first_not_of('0');
  const std::string number(firstNonZero == std::string_view::npos ? "0" : digits.substr(firstNonZero));
  std::string result(name);
  const std::size_t at = result.find(number);  // the first occurrence, as the series has always been numbered
  result.replace(at, number.size(), IncrementDigits(number));
  return result;
}

std::string GetUniqueFileName(std::string_view folder, std::string_view baseName, std::string_view suffix,
                              std::string_view purpose) {
  std::string dir(folder);
  if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir += '/';
  std::string_view base = baseName;
  if (const std::size_t slash = base.find_last_of("/\\"); slash != std::string_view::npos)
    base.remove_prefix(slash + 1);
  int i = 0;
  int w = 1;
  const auto candidate = [&] {
    return dir + std::string(base) + Format("%.*d", {w, i}) + std::string(suffix);
  };
  std::string name = candidate();
  std::error_code ec;
  while (fs::exists(name, ec)) {
    if (i == 10 * w - 1) {
      i = 0;
      ++w;
      if (w > 6) {
        MessageDlg(Format("Could not create unique filename based on '%s' in '%s' for '%s'",
                          {std::string(baseName), std::string(folder), std::string(purpose)}) +
                       sLineBreak + sLineBreak + "Please check if folder exists, or clean up the folder!",
                   mtError, {mbOK}, 0);
        return std::string();
      }
    }
    ++i;
    name = candidate();
  }
  return name;
}

bool MatchesFileMask(std::string_view fileName, std::string_view mask) {
  if (mask == "*.*" || mask == "*") return true;
  return MatchMask(fileName, mask);
}

void DeleteFilesOlderThan(std::string_view folder, double days, std::string_view mask) {
  if (!(days >= 0)) throw EAssertionFailed();  // also NaN
  // The cut-off in the file clock; a file exactly at it stays. The clock counts
  // in a 64-bit integer, so an age reaching back beyond its earliest time
  // point is compared in floating point first: no file can be that old.
  using FileClock = fs::file_time_type::clock;
  using Seconds = std::chrono::duration<double>;
  const fs::file_time_type now = FileClock::now();
  const double ageSeconds = days * 86400.0;
  const double reachSeconds = Seconds(now.time_since_epoch()).count() -
                              Seconds(fs::file_time_type::min().time_since_epoch()).count();
  if (!(ageSeconds < reachSeconds)) return;
  const fs::file_time_type cutoff = now - std::chrono::duration_cast<fs::file_time_type::duration>(Seconds(ageSeconds));
  std::error_code ec;
  fs::directory_iterator it(fs::path(std::string(folder)), ec);
  if (ec) return;
  for (const fs::directory_entry& e : it) {
    std::error_code fe;
    if (!e.is_regular_file(fe) || fe) continue;
    if (!MatchesFileMask(e.path().filename().string(), mask)) continue;
    const fs::file_time_type t = e.last_write_time(fe);
    if (fe || !(t < cutoff)) continue;
    fs::remove(e.path(), fe);
  }
}

std::string ValidFBtableOrIDname(std::string_view name, bool upperCaseOnly, char replaceChar) {
  if (name.empty()) throw VYRexception("No valid characters for table name");
  std::string out;
  out.reserve(name.size());
  for (std::size_t i = 0; i < name.size();) {
    const char c = name[i];
    const bool keep = IsDigit(c) || (c >= 'A' && c <= 'Z') || c == '_' || (!upperCaseOnly && c >= 'a' && c <= 'z');
    const std::size_t len = std::min(Utf8Length(static_cast<unsigned char>(c)), name.size() - i);
    if (keep)
      out += c;
    else if (replaceChar != '\0')
      out += replaceChar;
    i += len;
  }
  return out;
}

std::string ExtractSubstr(std::string_view s, int& pos, std::string_view delimiters) {
  const int n = static_cast<int>(s.size());
  if (pos < 1) pos = 1;
  int i = pos;
  while (i <= n && delimiters.find(s[static_cast<std::size_t>(i - 1)]) == std::string_view::npos)
    ++i;
  std::string result = pos <= n ? std::string(s.substr(static_cast<std::size_t>(pos - 1), static_cast<std::size_t>(i - pos)))
                                : std::string();
  if (i <= n) ++i;  // past the delimiter
  pos = i;
  return result;
}

std::string FontStylesToString(TFontStyles styles) {
  std::string s;
  if (styles.contains(fsBold)) s += 'B';
  if (styles.contains(fsItalic)) s += 'I';
  if (styles.contains(fsUnderline)) s += 'U';
  if (styles.contains(fsStrikeOut)) s += 'S';
  return s;
}

TFontStyles StringToFontStyles(std::string_view text) {
  std::string up(text);
  std::transform(up.begin(), up.end(), up.begin(), UpperAscii);
  TFontStyles styles;
  if (up.find('B') != std::string::npos) styles.insert(fsBold);
  if (up.find('I') != std::string::npos) styles.insert(fsItalic);
  if (up.find('U') != std::string::npos) styles.insert(fsUnderline);
  if (up.find('S') != std::string::npos) styles.insert(fsStrikeOut);
  return styles;
}

TColor ColorToRGB(TColor color) {
  if ((static_cast<std::uint32_t>(color) & 0xFF000000u) == 0xFF000000u) {
    for (const NamedColor& c : kColors)
      if (c.color == color) return c.rgb;
  }
  return static_cast<TColor>(static_cast<std::uint32_t>(color) & 0x00FFFFFFu);
}

std::string ColorToString(TColor color) {
  for (const NamedColor& c : kColors)
    if (c.color == color) return std::string(c.name);
  char buf[16];
  const auto v = static_cast<std::uint32_t>(color);
  std::string hex = "00000000";
  auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, v, 16);
  std::string digits(buf, ptr);
  std::transform(digits.begin(), digits.end(), digits.begin(), UpperAscii);
  hex.replace(hex.size() - digits.size(), digits.size(), digits);
  return "$" + hex;
}

bool StringToColor(std::string_view text, TColor& color) {
  for (const NamedColor& c : kColors)
    if (SameAscii(c.name, text)) {
      color = c.color;
      return true;
    }
  std::uint32_t v = 0;
  const bool hex = !text.empty() && text.front() == '$';
  std::string_view digits = hex ? text.substr(1) : text;
  bool negative = false;
  if (!hex && !digits.empty() && digits.front() == '-') {
    negative = true;
    digits.remove_prefix(1);
  }
  auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v, hex ? 16 : 10);
  if (digits.empty() || ec != std::errc() || ptr != digits.data() + digits.size()) return false;
  color = static_cast<TColor>(negative ? 0u - v : v);
  return true;
}

TColor ApplyDark(TColor color, std::uint8_t amount) {
  const TColor c = ColorToRGB(color);
  const auto down = [amount](int v) { return v > amount ? v - amount : 0; };
  return RGBColor(down(GetRValue(c)), down(GetGValue(c)), down(GetBValue(c)));
}

TColor ApplyBright(TColor color, std::uint8_t amount) {
  const TColor c = ColorToRGB(color);
  const auto up = [amount](int v) { return std::min(v + amount, 255); };
  return RGBColor(up(GetRValue(c)), up(GetGValue(c)), up(GetBValue(c)));
}

}  // namespace vyr
