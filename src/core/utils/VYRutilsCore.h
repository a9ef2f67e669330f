// General utilities that need no widget: numbering of names and files, file
// clean-up, cleaning of names for tables and identifiers, font-style and
// colour texts, colour shading and substring extraction. Programs without a
// windowing toolkit can use them; VYRutils.h gathers them with the utilities
// that work on widgets.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "VYRtypes.h"
#include "VyrExport.h"

namespace vyr {

/// Raised when a precondition stated as an assertion fails; the text is "Assertion failure".
class VYR_API EAssertionFailed : public std::logic_error {
 public:
  EAssertionFailed() : std::logic_error("Assertion failure") {}
};

// --- Names and files ---------------------------------------------------------------

/// The next name in a numbered series: the decimal text of the trailing number
/// N is replaced, at its first occurrence in the name, by N + 1 ("Comp9" ->
/// "Comp10", "A1B1" -> "A2B1"); a name without trailing digits gets "2" appended
/// ("" -> "1"). The digits are counted up as text, so a run of any length
/// cannot overflow ("X99999999999999999999" -> "X100000000000000000000").
VYR_API std::string IncrementNameNumber(std::string_view name);

/// Folder + file-name part of baseName + a counter of at least w digits +
/// suffix, for the first counter whose file does not exist: 0..9 with one
/// digit, 01..19 with two, up to 000001..000059 with six. When all exist, shows
/// "Could not create unique filename based on ..." naming baseName, folder and
/// purpose and returns "". A missing folder makes the first candidate free.
VYR_API std::string GetUniqueFileName(std::string_view folder, std::string_view baseName, std::string_view suffix,
                                      std::string_view purpose);

/// Deletes every regular file in folder (not in its subfolders) matching mask
/// ('*' and '?' wildcards, letters without regard to case, "*.*" every file)
/// whose time is earlier than now - days [d]; a file exactly at the cut-off
/// stays. The time is the last-modification time, not the creation time: the
/// file systems this runs on keep no reliable creation time (it is missing,
/// or reset by copying), while a file written once and left alone keeps its
/// modification time. A days so large that the cut-off lies before the
/// earliest time the file clock can hold (60000 d, infinity) deletes nothing:
/// no file is that old. Files that cannot be deleted are left. Throws
/// EAssertionFailed, deleting nothing, when days is negative or NaN.
VYR_API void DeleteFilesOlderThan(std::string_view folder, double days, std::string_view mask);

/// True when fileName (no folder) matches mask as DeleteFilesOlderThan matches.
VYR_API bool MatchesFileMask(std::string_view fileName, std::string_view mask);

/// Name with every character that is not 0-9, A-Z, '_' or (unless
/// upperCaseOnly) a-z replaced by replaceChar, or removed when replaceChar is
/// '\0'; a multi-byte UTF-8 character counts as one. Letters are never
/// converted. Throws VYRexception "No valid characters for table name" for an
/// empty name.
VYR_API std::string ValidFBtableOrIDname(std::string_view name, bool upperCaseOnly, char replaceChar);

/// From 1-based byte position pos up to, not including, the next character of
/// delimiters (or the end); pos moves past that delimiter.
VYR_API std::string ExtractSubstr(std::string_view s, int& pos, std::string_view delimiters);

// --- Font styles and colours ------------------------------------------------------------

/// One font style.
enum TFontStyle : std::uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };

/// Set of font styles.
using TFontStyles = TEnumSet<TFontStyle, 4>;

/// "B", "I", "U", "S" for the styles present, in that order ("" for none).
VYR_API std::string FontStylesToString(TFontStyles styles);

/// Bold when the upper-cased text contains "B", italic "I", underline "U", strike-out "S".
VYR_API TFontStyles StringToFontStyles(std::string_view text);

/// Colour from red, green and blue bytes.
constexpr TColor RGBColor(int r, int g, int b) {
  return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
/// Red, green and blue bytes of a plain colour.
constexpr int GetRValue(TColor c) { return c & 0xFF; }
constexpr int GetGValue(TColor c) { return (c >> 8) & 0xFF; }
constexpr int GetBValue(TColor c) { return (c >> 16) & 0xFF; }

/// A plain RGB colour: system colours (high byte 0xFF) become their usual
/// desktop colour (window text black, window white, button face light grey ...).
VYR_API TColor ColorToRGB(TColor color);

/// Text of a colour: its name ("clBlack", "clNavy", "clWindowText", ...) or
/// "$00BBGGRR" in hexadecimal.
VYR_API std::string ColorToString(TColor color);

/// Colour of a text written by ColorToString (names without regard to case),
/// or of a decimal or "$"-hexadecimal number; false when it is neither.
VYR_API bool StringToColor(std::string_view text, TColor& color);

/// Each of red, green and blue lowered by amount, 0 where not greater than it; plain RGB.
VYR_API TColor ApplyDark(TColor color, std::uint8_t amount);

/// Each of red, green and blue raised by amount, 255 where the sum exceeds it; plain RGB.
VYR_API TColor ApplyBright(TColor color, std::uint8_t amount);

}  // namespace vyr
