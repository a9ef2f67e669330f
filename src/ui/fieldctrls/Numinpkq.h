// Field controls: the input controls of the data forms.
//
// Every field is a Qt widget that also carries the field interface
// TFieldControl: an ID string, an XML tag, and the reading and writing of its
// value to one XML element. A TFieldForm finds its fields among its child
// widgets and stores and restores them all (Fldform.h).
//
// Numbers are shown and parsed with the field's own number format
// (USFormatSettings unless set otherwise), never with the user's locale, so a
// German or French locale cannot turn "1.5" into 15. Numeric values are kept in
// SI units and shown in the field's unit system: shown = value / ParscaleStd.
//
// The number-input dialog (NumInputQuery) belongs to this unit as well.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QWidget>

#include "NumInputQuery.h"
#include "Numinp.h"
#include "SysUtils.h"
#include "VyrNativeXml.h"
#include "VyrUiExport.h"

class QLabel;
class QButtonGroup;
class QGridLayout;
class QHBoxLayout;

namespace vyr {

/// Longest text a string field holds [characters]: the edit keeps typed and
/// set text whole up to this length, and a file's longer text is refused with
/// a message rather than cut.
inline constexpr int MaxStringFldLength = 1 << 24;

/// Largest grid a file or SetSize may ask for: at most MaxGridCols columns,
/// MaxGridRows rows and MaxGridCells cells in all (each cell slot costs memory
/// even when empty, so the product is what is capped).
inline constexpr int MaxGridCols = 1000;
inline constexpr int MaxGridRows = 100000;
inline constexpr int MaxGridCells = 1 << 20;

/// XML tag of a field stored as an attribute of the form's element rather
/// than as a child element (short identification values such as a name).
inline constexpr int XmlTagAttribute = 101;

/// Text of a double that reads back to the same double: shortest round-trip
/// digits, '.' as decimal separator, "NAN", "INF", "-INF" for the specials.
VYR_UI_API std::string FloatToXmlStr(double value);

/// Parses text written by FloatToXmlStr (or any plain decimal or exponent
/// form with '.'); surrounding blanks are ignored. False when it is no number.
VYR_UI_API bool XmlStrToFloat(std::string_view text, double& value);

/// Parses a number typed with the decimal separator of format (the other
/// separator, and any other stray character, is refused rather than dropped:
/// "1,5" under US settings is no number, never 15). False when it is no number.
VYR_UI_API bool TextToFloat(std::string_view text, const TFormatSettings& format, double& value);

/// Handler of a field event; sender is the field's widget.
using TNotifyEvent = std::function<void(QObject* sender)>;

/// The field interface every field control carries.
///
/// Persistence: a field writes its value into one element (WriteValueToXML)
/// and reads it back (ReadValueFromXML); the form chooses the element. A field
/// whose XML tag is XmlTagAttribute is written as an attribute instead
/// (WriteValueToText / ReadValueFromText).
class VYR_UI_API TFieldControl {
 public:
  virtual ~TFieldControl();

  /// The widget this interface belongs to.
  virtual QWidget* FieldWidget() = 0;
  /// The widget this interface belongs to.
  const QWidget* FieldWidget() const { return const_cast<TFieldControl*>(this)->FieldWidget(); }

  /// The field's ID string: the custom ID string when one is set, else the
  /// field's object name. Names the field's XML element and its messages.
  std::string GetIDstring() const;
  /// The custom ID string ("" when none).
  const std::string& CustomIDstring() const { return customID_; }
  /// Sets the custom ID string.
  void SetCustomIDstring(std::string id) { customID_ = std::move(id); }

  /// The XML tag (0 by default; XmlTagAttribute stores the field as an attribute).
  int XmlTag() const { return xmlTag_; }
  /// Sets the XML tag.
  void SetXmlTag(int tag) { xmlTag_ = tag; }

  /// False excludes the field from the form's persistence.
  bool Stored() const { return stored_; }
  /// Includes or excludes the field from the form's persistence.
  void SetStored(bool stored) { stored_ = stored; }

  /// Writes the value into element (its text and, for some fields, children).
  virtual void WriteValueToXML(pugi::xml_node element) const;
  /// Reads the value from element; false (and the value kept) when the
  /// element does not hold a value of this field.
  virtual bool ReadValueFromXML(pugi::xml_node element);
  /// Called after each Changed signal of the field, when set. Unlike Qt
  /// connections it is a value, so CloneComponent copies it to a clone.
  TNotifyEvent OnChange;

  /// The value as one line of text (used for attributes).
  virtual std::string WriteValueToText() const = 0;
  /// Reads the value from text as WriteValueToText wrote it; false (value
  /// kept) when the text is not a value of this field.
  virtual bool ReadValueFromText(std::string_view text) = 0;

  /// Why the last read of a value was refused, naming the field ("" when the
  /// field gave no reason or the last read succeeded).
  const std::string& ReadError() const { return readError_; }

 protected:
  /// Records why a read was refused ("" clears it).
  void SetReadError(std::string text) { readError_ = std::move(text); }

 private:
  std::string readError_;
  std::string customID_;
  int xmlTag_ = 0;
  bool stored_ = true;
};

/// Numeric input field: a caption label, the edit and the unit text.
///
/// The value is a double in SI units. The edit shows it in the field's unit
/// system with ParToStr.
///
/// Typing. A validator refuses keys that can never belong to a number; what
/// is typed is checked as it is typed. Typed text is taken over on Enter, on
/// Tab, by CommitEdit (the form's OK and page changes call it) and when the
/// focus moves to another control of the window. Text that is no number, a
/// non-integer in an integer field, or a value outside [Min, Max] is refused:
/// the old value stays, the typed text stays for correction, and the problem
/// is shown inline below the edit, naming the field by its caption ("Pressure
/// altitude must lie between −5000 m and 80000 m"). Enter and Tab on refused
/// text keep the focus in the field. No message box is ever raised, and the
/// focus leaving the window or going to a context menu takes nothing over.
///
/// Reading from a file (ReadValueFromText) obeys the same rules as typing:
/// NaN, infinities, values outside [Min, Max] and non-integers in an integer
/// field are refused (ReadError tells why) and the value is kept. SetValue is
/// the program's own assignment and takes any double.
class VYR_UI_API TNumFld : public QWidget, public TFieldControl {
  Q_OBJECT
  Q_PROPERTY(double Value READ GetValue WRITE SetValue NOTIFY Changed)
  Q_PROPERTY(QString LabelCaption READ LabelCaptionQ WRITE SetLabelCaptionQ)
  Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
  Q_PROPERTY(double Min READ Min WRITE SetMin)
  Q_PROPERTY(double Max READ Max WRITE SetMax)
  Q_PROPERTY(bool IntegerOnly READ IntegerOnly WRITE SetIntegerOnly)
  Q_PROPERTY(int Decimals READ Decimals WRITE SetDecimals)

 public:
  Q_INVOKABLE explicit TNumFld(QWidget* parent = nullptr);
  ~TNumFld() override;

  QWidget* FieldWidget() override { return this; }

  /// The value [SI unit of ParType].
  double GetValue() const { return value_; }
  /// Sets the value [SI unit of ParType] and shows it; emits Changed when it differs.
  void SetValue(double value);

  /// Quantity of the value; selects unit text and scale.
  TParType ParType() const { return parType_; }
  void SetParType(TParType type);
  /// Unit system in which the value is shown.
  TUnitSystem UnitSystem() const { return unitSystem_; }
  void SetUnitSystem(TUnitSystem system);
  /// Format text for ParToStr ("" gives the quantity's standard decimals).
  const std::string& DisplayFormat() const { return format_; }
  void SetDisplayFormat(std::string format);
  /// Decimals shown; -1 (default) uses DisplayFormat / the standard decimals.
  int Decimals() const { return decimals_; }
  void SetDecimals(int decimals);
  /// Separators used to show and parse numbers (USFormatSettings by default).
  const TFormatSettings& FormatSettings() const { return fmt_; }
  void SetFormatSettings(const TFormatSettings& fmt);

  /// Smallest accepted value [SI]; -infinity by default.
  double Min() const { return min_; }
  void SetMin(double v) { min_ = v; }
  /// Largest accepted value [SI]; +infinity by default.
  double Max() const { return max_; }
  void SetMax(double v) { max_ = v; }
  /// Only whole numbers are accepted.
  bool IntegerOnly() const { return integer_; }
  void SetIntegerOnly(bool integer);

  /// Caption of the field's label ("" hides the label).
  std::string LabelCaption() const;
  void SetLabelCaption(const std::string& caption);
  /// Text that names the field in value errors ("" uses GetIDstring).
  const std::string& ErrorIDstring() const { return errorID_; }
  void SetErrorIDstring(std::string text) { errorID_ = std::move(text); }

  /// Read-only fields show their value and take no input. They look apart
  /// from inputs: no frame, the window's background instead of the edit's, and
  /// no stop for the Tab key.
  bool ReadOnly() const;
  void SetReadOnly(bool readOnly);
  /// When set, the field counts as enabled whatever its parents are
  /// (InputNumFldControlEnabled).
  bool EnableOverride() const { return enableOverride_; }
  void SetEnableOverride(bool on) { enableOverride_ = on; }

  /// Colour of the value text (the field's font colour).
  QColor FontColor() const;
  void SetFontColor(const QColor& color);

  /// Takes over typed text now, as on leaving the field; true when the field
  /// holds a valid value afterwards (false after a refused entry, whose
  /// problem then shows inline).
  bool CommitEdit();
  /// "" when value [SI] obeys the field's rules (finite, in [Min, Max], whole
  /// when IntegerOnly), else the message that names the field and the range in
  /// its shown unit.
  std::string CheckValue(double value) const;
  /// The name used in messages: the caption, else the error identification
  /// text, else the ID string.
  std::string DisplayName() const;
  /// The problem shown inline ("" when none).
  std::string Problem() const;
  /// The inline message label (null until a problem was first shown).
  QLabel* MessageLabel() const { return message_; }
  /// True unless the last entry was refused and not corrected since.
  bool ValueValid() const { return valid_; }
  /// Drops typed text (a refused entry included) and shows the value again.
  void RevertEdit();
  /// The text the edit shows for the current value.
  std::string DisplayText() const;

  /// The edit (showing the current value), the caption label and the unit label.
  QLineEdit* Editor() const;
  QLabel* CaptionLabel() const {
    SettleLabels();
    return label_;
  }
  QLabel* UnitLabel() const {
    SettleLabels();
    return unit_;
  }

  std::string WriteValueToText() const override;
  bool ReadValueFromText(std::string_view text) override;

  QString LabelCaptionQ() const;
  void SetLabelCaptionQ(const QString& caption);

 signals:
  /// The value changed (by SetValue, reading, or an accepted entry).
  void Changed();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void ShowValue();
  void FlushDisplay() const;
  void UpdateUnit();
  // The problem of text ("" when it is a valid entry; value then holds it [SI]).
  std::string Evaluate(const std::string& text, double& value) const;
  void ShowProblem(const std::string& problem);
  void ClearProblem();
  void TextEdited();

  QGridLayout* layout_ = nullptr;
  QLabel* label_ = nullptr;
  QLineEdit* edit_ = nullptr;
  QLabel* unit_ = nullptr;
  QLabel* message_ = nullptr;
  double value_ = 0;
  double min_;
  double max_;
  TParType parType_ = ptNone;
  TUnitSystem unitSystem_ = usSI;
  std::string format_;
  int decimals_ = -1;
  TFormatSettings fmt_ = USFormatSettings;
  std::string errorID_;
  bool integer_ = false;
  bool valid_ = true;
  bool enableOverride_ = false;
  bool committing_ = false;
  // The edit's text is laid out only when someone looks: a hidden field
  // (a form being loaded, a page in the back) keeps its new text pending.
  mutable bool displayPending_ = false;
  // Whether the caption and unit labels show is decided when the field is
  // first polished (before it is first shown) or its labels are asked for:
  // showing a label polishes it at once, which a model's load would pay for
  // every field of every form.
  void SettleLabels() const;
  void ApplyLabelVisibility();
  mutable bool labelsSettled_ = false;
};

/// One-line text field. Holds up to MaxStringFldLength characters whole; a
/// longer text from a file is refused (ReadError) and the text kept.
class VYR_UI_API TStringFld : public QLineEdit, public TFieldControl {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TStringFld(QWidget* parent = nullptr);
  QWidget* FieldWidget() override { return this; }
  /// The text (UTF-8).
  std::string Text() const;
  /// Sets the text (UTF-8); emits Changed when it differs.
  void SetText(std::string_view text);
  std::string WriteValueToText() const override;
  bool ReadValueFromText(std::string_view text) override;
 signals:
  /// The text changed.
  void Changed();
};

/// Check box field.
class VYR_UI_API TCheckFld : public QCheckBox, public TFieldControl {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TCheckFld(QWidget* parent = nullptr);
  QWidget* FieldWidget() override { return this; }
  /// Checked state.
  bool Checked() const { return isChecked(); }
  void SetChecked(bool checked) { setChecked(checked); }
  std::string WriteValueToText() const override;
  bool ReadValueFromText(std::string_view text) override;
 signals:
  /// The checked state changed.
  void Changed();
};

/// Multi-line text field. Its value is its lines; as one text the lines are
/// joined by CR LF.
class VYR_UI_API TMemoFld : public QPlainTextEdit, public TFieldControl {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TMemoFld(QWidget* parent = nullptr);
  QWidget* FieldWidget() override { return this; }
  /// The lines (UTF-8); an empty memo has none.
  std::vector<std::string> Lines() const;
  /// Replaces the lines.
  void SetLines(const std::vector<std::string>& lines);
  /// The lines joined by CR LF.
  std::string Text() const;
  /// Sets the text; CR LF, LF and CR all break lines.
  void SetText(std::string_view text);
  /// Number of lines.
  int LineCount() const;
  std::string WriteValueToText() const override;
  bool ReadValueFromText(std::string_view text) override;
 signals:
  /// The text changed.
  void Changed();
};

/// Group of radio buttons; its value is the index of the checked item (-1: none).
class VYR_UI_API TRadioGrpFld : public QGroupBox, public TFieldControl {
  Q_OBJECT
  Q_PROPERTY(int ItemIndex READ ItemIndex WRITE SetItemIndex NOTIFY Changed)
 public:
  Q_INVOKABLE explicit TRadioGrpFld(QWidget* parent = nullptr);
  QWidget* FieldWidget() override { return this; }
  /// Replaces the items (captions); the item index becomes -1.
  void SetItems(const std::vector<std::string>& items);
  /// The item captions.
  std::vector<std::string> Items() const;
  /// Number of items.
  int Count() const;
  /// Index of the checked item, -1 when none.
  int ItemIndex() const { return index_; }
  /// Checks item index (-1 or out of range: none); emits Changed when it differs.
  void SetItemIndex(int index);
  /// Number of button columns (1 by default).
  int Columns() const { return columns_; }
  void SetColumns(int columns);
  std::string WriteValueToText() const override;
  bool ReadValueFromText(std::string_view text) override;
 signals:
  /// The checked item changed.
  void Changed();
  /// An item was clicked by the user.
  void Clicked();

 public:
  /// Called after each Clicked signal, when set (copied by CloneComponent).
  TNotifyEvent OnClick;

 private:
  void Relayout();
  QButtonGroup* group_ = nullptr;
  QGridLayout* grid_ = nullptr;
  int index_ = -1;
  int columns_ = 1;
};

/// Combo box field. Its stored value is a text: the selected item's text, or
/// for an editable combo the typed text. Setting the value text selects the
/// item of that text (compared without regard to case) when there is one.
class VYR_UI_API TComboBoxFld : public QComboBox, public TFieldControl {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TComboBoxFld(QWidget* parent = nullptr);
  QWidget* FieldWidget() override { return this; }
  /// Replaces the items; keeps the value text selected when it is among them.
  void SetItems(const std::vector<std::string>& items);
  /// Item index (-1: none).
  int ItemIndex() const { return currentIndex(); }
  void SetItemIndex(int index);
  /// The stored value text.
  std::string ValueText() const { return value_; }
  /// Sets the stored value text and selects its item; emits Changed when it differs.
  void SetValueText(std::string_view text);
  std::string WriteValueToText() const override;
  bool ReadValueFromText(std::string_view text) override;
 signals:
  /// The value text changed.
  void Changed();

 private:
  void TakeFromUi();
  std::string value_;
  bool syncing_ = false;
};

/// One column of a numeric grid.
struct VYR_UI_API TNumColumn {
  std::string Title;          ///< heading text
  bool TextColumn = false;    ///< cells hold text, not numbers
  TParType ParType = ptNone;  ///< quantity of the numbers of the column
};

/// The columns of a numeric grid.
class VYR_UI_API TNumColumns {
 public:
  /// Number of columns.
  int Count() const { return static_cast<int>(cols_.size()); }
  /// Column index, or null when out of range.
  TNumColumn* GetColumn(int index);
  const TNumColumn* GetColumn(int index) const;

 private:
  friend class TNumGrid;
  std::vector<TNumColumn> cols_;
};

/// Grid of numbers and texts. Cells are addressed (Col, Row) from 0, fixed
/// heading rows and columns included; the first FixedRows rows and FixedCols
/// columns are headings. Numeric cells hold a double in SI units and show it
/// in the grid's unit system; text cells hold text. Persisted per row.
class VYR_UI_API TNumGrid : public QTableWidget, public TFieldControl {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TNumGrid(QWidget* parent = nullptr);
  QWidget* FieldWidget() override { return this; }

  /// Sets the size, within MaxGridCols, MaxGridRows and MaxGridCells (rows
  /// are cut to fit the cell cap); new columns are numeric, new cells empty.
  void SetSize(int cols, int rows);
  int ColCount() const { return columnCount(); }
  int RowCount() const { return rowCount(); }
  /// Heading rows and columns (0 by default).
  int FixedRows() const { return fixedRows_; }
  int FixedCols() const { return fixedCols_; }
  void SetFixedRows(int n) { fixedRows_ = n; }
  void SetFixedCols(int n) { fixedCols_ = n; }
  /// The columns with their text flags.
  TNumColumns& Columns() { return columns_; }
  const TNumColumns& Columns() const { return columns_; }
  /// Column index with its text-column flag, or null.
  TNumColumn* GetColumn(int index) { return columns_.GetColumn(index); }
  /// Unit system in which numbers are shown.
  TUnitSystem UnitSystem() const { return unitSystem_; }
  void SetUnitSystem(TUnitSystem system);

  /// Text of a cell ("" outside the grid).
  std::string Cells(int col, int row) const;
  /// Sets the text of a cell; in a numeric column the text must parse as a
  /// number in the shown unit (false, cell kept, otherwise).
  bool SetCells(int col, int row, std::string_view text);
  /// Numeric value of a cell [SI]; 0 for an empty or text cell or outside.
  double GetDValues(int col, int row) const;
  /// Sets the numeric value of a cell [SI].
  void SetDValues(int col, int row, double value);
  /// True when every cell of a numeric column holds a number or is empty.
  bool ValidateGrid() const;
  /// Takes over the text of the cell being edited (as leaving the cell
  /// would), then ValidateGrid.
  bool CommitEdit();

  void WriteValueToXML(pugi::xml_node element) const override;
  bool ReadValueFromXML(pugi::xml_node element) override;
  std::string WriteValueToText() const override;
  bool ReadValueFromText(std::string_view text) override;

 signals:
  /// A cell changed.
  void Changed();

 private:
  void ShowCell(int col, int row);
  TNumColumns columns_;
  int fixedRows_ = 0;
  int fixedCols_ = 0;
  TUnitSystem unitSystem_ = usSI;
  bool filling_ = false;
};

/// Makes layout the layout of w without posting a layout request: a widget
/// that is not shown yet is laid out when it is shown. Building many hidden
/// widgets (a model's forms) stays linear: every request posted while the
/// event loop waits makes the next one search all of them.
VYR_UI_API void SetLayoutQuietly(QWidget* w, QLayout* layout);

/// The field interface of w, or null when w is no field control.
VYR_UI_API TFieldControl* AsFieldControl(QObject* w);

}  // namespace vyr
