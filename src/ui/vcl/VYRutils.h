// General utilities shared by the component forms and the host: numbering of
// names and files, copying of widgets by their properties, which input
// controls are visible and active for the configuration level and case, font
// texts, grid lookups, clean-up of old files, name cleaning, colour shading and
// the hand-over to an already running instance of the host.
//
// The functions that need no widget live in VYRutilsCore.h (core library) and
// are gathered here.
//
// Control properties that the toolkit lacks are dynamic Qt properties: "Tag"
// (an integer, 0 when absent) and "FontColor" (a TColor, set through
// SetControlFontColor so that system colours such as clWindowText keep their
// identity).
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include <QColor>
#include <QFont>
#include <QObject>
#include <QRect>
#include <QString>
#include <QStringList>

#include "Numinpkq.h"
#include "VYRtypes.h"
#include "VYRutilsCore.h"
#include "VyrUiExport.h"

class QComboBox;
class QLocalServer;
class QLockFile;
class QPainter;
class QWidget;

namespace vyr {

// --- Control properties ------------------------------------------------------------

/// The control's Tag (dynamic property "Tag"); 0 when it has none.
VYR_UI_API int ControlTag(const QObject* control);
/// Sets the control's Tag.
VYR_UI_API void SetControlTag(QObject* control, int tag);
/// The control's font colour: the colour set by SetControlFontColor, else
/// clWindowText while its text colour is the palette's default, else that colour.
VYR_UI_API TColor ControlFontColor(const QWidget* control);
/// Sets the control's font colour (system colours resolved for drawing).
VYR_UI_API void SetControlFontColor(QWidget* control, TColor color);
/// A TColor as a QColor (system colours as their usual desktop colour).
VYR_UI_API QColor TColorToQColor(TColor color);
/// A QColor as a plain TColor.
VYR_UI_API TColor QColorToTColor(const QColor& color);

// --- Components ----------------------------------------------------------------------

/// Index of component among owner's children, -1 when it is not one of them.
VYR_UI_API int IndexOfComponent(const QObject* owner, const QObject* component);

/// A new object of source's class with owner as its Qt parent, or, for a
/// widget, newParent (owner when newParent is null). Copied: every stored,
/// writable property except objectName (named "Name" in the host's terms, compared
/// without regard to case), the widget's own visibility flag, every dynamic
/// property (Tag, FontColor), and of field controls their settings, values and
/// OnChange/OnClick handlers. Qt signal connections cannot be listed, so they
/// are not copied: handlers meant to follow clones go in OnChange/OnClick.
/// With recursive, the child widgets of source are cloned below the new widget
/// when the new widget has made no children of its own (a field's inner
/// editor and labels are its own). The class is made through the class
/// registry, else a Q_INVOKABLE constructor taking a QWidget* or QObject*
/// parent, else for the toolkit's common widget classes. Throws
/// EAssertionFailed for a null source; null when the class cannot be made.
VYR_UI_API QObject* CloneComponent(QObject* source, bool recursive, QWidget* newParent, QObject* owner);

// --- Visibility and activity of input controls ------------------------------------------

/// True when the numeric field's EnableOverride is set; else walks from the
/// field up its parents while each is enabled (its own flag) and is not stopAt,
/// and gives the own enabled flag of the control where the walk stopped.
VYR_UI_API bool InputNumFldControlEnabled(const TNumFld* field, const QWidget* stopAt);

/// Whether an input control counts as visible, from the controls' own
/// visibility flags (not whether anything is on screen): a tab page's flag is
/// its tab's visibility; Tag 8 counts as visible; a control on a form is
/// visible by its own flag; on a tab page by that page's tab; otherwise its
/// parent must be visible by the same rules.
VYR_UI_API bool InputControlVisible(const QWidget* control);

/// Whether an input control may be edited for the configuration level and
/// case, from its Tag, its font colour (CaseFontColor) and the six flags, by
/// the fixed decision table (Tag 9 always; tags 11 and 22 are CaseTagID of the
/// design point and off-design cases).
VYR_UI_API bool InputControlActiveForCfgAndCase(const QWidget* control, bool B1, bool B2, bool B3, bool B4, bool B5,
                                                bool B6, TSimulationType simType);

// --- Grids -------------------------------------------------------------------------------

/// Places combo on the grid cell (col raised to at least the fixed columns)
/// with the cell's size; a drop-down list selects the item equal to the cell
/// text, an editable combo takes the text. With show, it is shown and focused.
VYR_UI_API void FitComboBoxToGridCell(QComboBox* combo, const TNumGrid* grid, int col, int row, bool show);

/// First row whose cell in text column col equals value without regard to
/// case; -1 when none or when col is no text column.
VYR_UI_API int GridStringLookupRow(const TNumGrid* grid, int col, std::string_view value);

/// Finds the first row whose cell in text column keyCol equals key without
/// regard to case; value becomes the cell text of valueCol when that is a text
/// column, else its number in general format. False when none or keyCol is no
/// text column.
VYR_UI_API bool GridStringLookupString(const TNumGrid* grid, int keyCol, int valueCol, std::string_view key,
                                       std::string& value);

// --- Fonts ----------------------------------------------------------------------------------

/// A font with the parts its text form carries that QFont lacks.
struct VYR_UI_API TFont {
  TFont();
  QFont Font;                   ///< family, point size and styles
  TColor Color = clWindowText;  ///< text colour
  int Pitch = 0;                ///< 0 default, 1 variable, 2 fixed
  int Charset = 1;              ///< character set number (1: default)
};

/// Styles of a QFont.
VYR_UI_API TFontStyles FontStyles(const QFont& font);
/// Sets the styles of a QFont.
VYR_UI_API void SetFontStyles(QFont& font, TFontStyles styles);

/// "name,size,styles,pitch,colour,charset", e.g. "Arial,10,B,0,clBlack,1".
VYR_UI_API std::string FontToString(const TFont& font);

/// A new font from comma- or semicolon-separated, trimmed fields: name, size,
/// styles, pitch, colour, character set. Missing fields, and a size, pitch or
/// character set that is no integer (a colour that is none), keep the
/// defaults (Tahoma, 8 points, no style, pitch 0, clWindowText, 1); fields
/// after the sixth are ignored. Never fails.
VYR_UI_API std::unique_ptr<TFont> StringToFont(std::string_view text);

// --- Text ---------------------------------------------------------------------------------------

/// s as zero-terminated UTF-8. The bytes stay valid until 16 further calls on
/// the same thread have been made.
VYR_UI_API const char* PAnsiCharFromUnicode(const QString& s);

// --- Drawing ------------------------------------------------------------------------------------

/// Fills a frame one logical pixel wide along the inside of r with whole-pixel
/// rectangles, without antialiasing: at any device pixel ratio it covers whole
/// device pixels (two at a ratio of 2, one or two at 1.5) on all four sides,
/// where a pen of width 1 leaves half-covered pixels or a sliver of the fill
/// beyond its right and bottom sides, and a cosmetic pen thins to one device pixel.
VYR_UI_API void FillPixelFrame(QPainter& painter, const QRect& r, const QColor& colour);

// --- Single instance --------------------------------------------------------------------------------

// The channel is a local socket in the user's runtime folder
// (QStandardPaths::RuntimeLocation, kept at mode 0700), named after the window
// class: another user can neither take its name nor connect to it, as could
// happen with a fixed name in the shared /tmp. A lock file beside it (QLockFile)
// makes the first of two instances started at once the only one to listen.

/// Window class of the host's main window: names the single-instance channel.
inline constexpr std::string_view MainWindowClass = "ORB.VYR";

/// Identifier of the copy-data hand-over of command-line parameters.
inline constexpr quint32 CopyDataParamsID = 0xDE1F1DABu;

/// Message number that asks the running instance to come forward (WM_USER + 1).
inline constexpr quint32 SwitchToInstanceMessage = 1025;

/// The channel of a running instance whose main window class is windowClass
/// (its socket's path), or "" (no instance) when none answers. An instance
/// that holds the start-up lock but does not listen yet is waited for up to 2 s.
VYR_UI_API std::string FindDuplicateMainWdw(std::string_view windowClass = MainWindowClass);

/// Hands parameters to the instance behind wnd (one copy-data message carrying
/// PackParameters(parameters); succeeded when it answers 1), then, if that
/// succeeded or there were no parameters, asks it to come forward. True when
/// the hand-over succeeded. Throws EAssertionFailed for an empty wnd.
VYR_UI_API bool SwitchToPrevInst(const std::string& wnd, const QStringList& parameters);

/// SwitchToPrevInst with this process's command-line parameters (program name excluded).
VYR_UI_API bool SwitchToPrevInst(const std::string& wnd);

/// The data of a parameter hand-over: the count, then every parameter as its
/// length in UTF-16 code units and those units, all little-endian 32- and
/// 16-bit numbers. Length prefixes, not null terminators, delimit the
/// parameters, so that empty ones and ones holding a null character arrive
/// as they were sent. (This replaces the null-separated list of the window
/// message, in which an empty parameter read as the end of the list.)
VYR_UI_API QByteArray PackParameters(const QStringList& parameters);
/// The parameters of PackParameters' data; false for data that is not
/// exactly one such list (truncated, trailing bytes, impossible counts).
VYR_UI_API bool UnpackParameters(const QByteArray& data, QStringList& parameters);

/// The start-up lock file of windowClass in the runtime folder; "" when the
/// folder cannot be had or is not private to the user.
VYR_UI_API std::string InstanceLockFileName(std::string_view windowClass = MainWindowClass);

/// The receiving end, run by the first instance: listens under its window
/// class, answers hand-overs and brings its main window forward.
class VYR_UI_API TInstanceServer : public QObject {
  Q_OBJECT
 public:
  explicit TInstanceServer(QObject* parent = nullptr);
  ~TInstanceServer() override;

  /// Takes the start-up lock and starts listening; false when another
  /// instance holds the lock or answers under that class, or the channel
  /// cannot be opened. The lock is held until the server is destroyed.
  bool Listen(std::string_view windowClass = MainWindowClass);
  /// The window brought forward on request (may be null).
  void SetMainWindow(QWidget* window) { mainWindow_ = window; }

 signals:
  /// A second instance handed over its command-line parameters.
  void ParametersReceived(const QStringList& parameters);
  /// A second instance asked this one to come forward (after the window was raised).
  void Activated();

 private:
  void OnConnection();
  QLocalServer* server_ = nullptr;
  QWidget* mainWindow_ = nullptr;
  std::unique_ptr<QLockFile> lock_;
};

}  // namespace vyr
