// Field form: the modal dialog base of every data form.
//
// A field form holds field controls (Numinpkq.h) anywhere among its child
// widgets and stores and restores all of them. Derived forms build their
// controls in their constructor and chain to the base in FormCreate, FormShow
// and OKbtnClick.
//
// Creation. FormCreate runs once, after construction: TFieldForm::Create<T>()
// constructs and runs it; a form made with new runs it on first use (shown,
// persisted, assigned; writing runs it too, although the writers are const)
// or when EnsureCreated is called. The field values right
// after FormCreate are the create-form state to which ResetToCreateFormState
// returns.
//
// Persistence format (XML). WriteToXML writes into the given element, one child
// element per stored field, in the order of the form's widget tree, named after
// the field's ID string (GetIDstring):
//
//   <TVYRcomp ID="..." Name="HPC" Nr="7">      fields with XmlTag 101: attributes
//     <PRdes>4.5</PRdes>                          numeric field: SI value, shortest round-trip digits
//     <Remarks>line 1&#13;&#10;line 2</Remarks>   memo: lines joined by CR LF
//     <Deteriorated>true</Deteriorated>           check field: true / false
//     <ModelOpt>1</ModelOpt>                      radio group: item index
//     <Fuel>Jet-A</Fuel>                          combo box: stored value text
//     <Map Cols="3" Rows="4">                     grid: one Row per row, one Cell per column
//       <Row ID="1"><Cell ID="0">...</Cell>...</Row>
//     </Map>
//     <Note ID="1">...</Note>                     a second field of the same ID string
//   </TVYRcomp>
//
// Where two fields share an ID string, the second carries ID="1", the third
// ID="2" and so on, so that every element is found again by name and ID (the
// model-file copy and merge operations match children that way). An ID string
// that is not a valid XML name has its offending characters replaced by "_".
// A field with XmlTag 101 whose ID string is "ID" stays an element, since the
// "ID" attribute identifies the element itself.
// Reading looks each field up by name and ID; a missing element leaves the
// field as it is, and an element whose text is not a value of the field is
// skipped (the field keeps its value) and makes the read return false.
// A file can put into a field only what typing could: a numeric field refuses
// NaN, infinities, values outside its range and non-integers where it wants
// whole numbers. Every skipped value is listed in ReadErrors with the field's
// name and the element's place in the file. Elements that belong to no field
// are left alone. (Assign and ResetToCreateFormState copy values as the
// program set them, without these checks.)
//
// Stream format. WritetoStream writes the same fields as one XML element in
// UTF-8, framed by a header line "FLDFORM <byte count>\n", then whatever
// CustomWritetoStream adds. ReadfromStream reads one such frame; a frame is at
// most MaxFieldFormFrameBytes long, and its bytes are read as they arrive, so
// a header that promises more than the stream holds costs no more memory than
// the bytes that are there.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <QDialog>

#include "Messages.h"
#include "Numinpkq.h"
#include "VyrNativeXml.h"
#include "VyrUiExport.h"

class QPushButton;
class QVBoxLayout;

namespace vyr {

class TFieldForm;

/// Longest field-form frame ReadfromStream accepts [bytes].
inline constexpr std::size_t MaxFieldFormFrameBytes = std::size_t{256} << 20;

/// One value that a read skipped.
struct TFieldReadError {
  std::string Text;           ///< what was wrong, naming the field
  std::string Path;           ///< the element's path in the document ("FlightCondition/Zp")
  std::ptrdiff_t Offset = -1; ///< byte offset of the element's start tag in the parsed text (-1: unknown)
};

/// Shows a form modally and returns its modal result (a TModalResult).
using TShowModalHandler = std::function<int(TFieldForm& form)>;

/// Installs a handler for ShowModalFocused (an empty one restores the default,
/// which runs the dialog's own event loop) and returns the previous one.
/// Tests install one so that no dialog ever blocks.
VYR_UI_API TShowModalHandler SetShowModalHandler(TShowModalHandler handler);

/// Modal dialog base of the data forms, with OK, Cancel and Help buttons in
/// the panel BottomButtonsPanel at the bottom.
class VYR_UI_API TFieldForm : public QDialog {
  Q_OBJECT

 public:
  Q_INVOKABLE explicit TFieldForm(QWidget* owner = nullptr);
  ~TFieldForm() override;

  /// Constructs a T and runs its FormCreate.
  template <class T, class... Args>
  static T* Create(Args&&... args) {
    T* form = new T(std::forward<Args>(args)...);
    form->EnsureCreated();
    return form;
  }

  /// Runs FormCreate unless it has run, then records the create-form state.
  void EnsureCreated();
  /// True once FormCreate has run through EnsureCreated.
  bool IsCreated() const { return created_; }

  // --- Events to which derived forms chain ---------------------------------

  /// Once after construction. The base connects nothing further; derived forms
  /// set up their controls and call the base first.
  virtual void FormCreate();
  /// Each time the form is shown (before it appears).
  virtual void FormShow();
  /// The OK button was clicked. The base takes over every edited numeric field
  /// and keeps the form open (ModalResult mrNone) when one refused its entry,
  /// with the focus in the first such field.
  virtual void OKbtnClick();
  /// Asked before the form closes with modalResult; false keeps it open. The
  /// base allows.
  virtual bool FormCloseQuery(int modalResult);
  /// The Help button was clicked. The base does nothing.
  virtual void HelpBtnClick();

  // --- Persistence ------------------------------------------------------------

  /// Writes every stored field into node (see the format above), then CustomWriteToXML.
  virtual void WriteToXML(TVyrXmlNode node) const;
  /// Reads every stored field from node, then CustomReadFromXML. False when
  /// node is null or a field's element held no value of that field.
  virtual bool ReadFromXML(TVyrXmlNode node);
  /// What a derived form writes beyond its fields; the base writes nothing.
  virtual void CustomWriteToXML(TVyrXmlNode node) const;
  /// Identification of the form in messages; the base gives the window title.
  virtual std::string IDstr() const;
  /// Reads one frame of WritetoStream, then CustomReadfromStream. False (and
  /// no field changed) when the stream holds no valid frame.
  virtual bool ReadfromStream(std::istream& stream);
  /// Writes the fields as one frame, then CustomWritetoStream.
  virtual void WritetoStream(std::ostream& stream) const;
  /// What a derived form reads beyond its fields; the base reads nothing and gives true.
  virtual bool CustomReadfromStream(std::istream& stream);
  /// What a derived form writes beyond its fields; the base writes nothing.
  virtual void CustomWritetoStream(std::ostream& stream) const;
  /// What a derived form reads beyond its fields; the base reads nothing and gives true.
  virtual bool CustomReadFromXML(TVyrXmlNode node);
  /// The values the last ReadFromXML or ReadfromStream skipped.
  const std::vector<TFieldReadError>& ReadErrors() const { return readErrors_; }
  /// ReadErrors as lines of text, each after its place: the element's path
  /// and "line L, column C" of its start tag when source is the text that was
  /// parsed (a stream's frame is known to the form), else its byte offset:
  /// "FlightCondition/Zp, line 3, column 3: Pressure altitude must ...".
  std::string ReadErrorReport(std::string_view source = {}) const;
  /// Takes over the field values (and custom data) of source, field by field
  /// through their ID strings; fields source lacks keep their values.
  virtual void Assign(const TFieldForm& source);
  /// Returns every field to its value right after FormCreate.
  virtual void ResetToCreateFormState();

  // --- Showing --------------------------------------------------------------------

  /// Shows the form modally with the control named controlName focused (its
  /// page brought forward; no focus change when there is none) and returns the
  /// modal result (a TModalResult: mrOk, mrCancel, ...).
  int ShowModalFocused(const std::string& controlName);
  /// The modal result the form will close with (mrNone while it stays open).
  int ModalResult() const { return modalResult_; }
  /// Sets the modal result; OKbtnClick sets mrNone to keep the form open.
  void SetModalResult(int result) { modalResult_ = result; }
  /// Closes the form with result (through FormCloseQuery). The Cancel button and
  /// Escape close with mrCancel.
  void done(int result) override;
  void reject() override;

  // --- Fields and controls ---------------------------------------------------------

  /// The field controls among the form's child widgets, in widget-tree order
  /// (the inner widgets of a field are not searched for further fields).
  std::vector<TFieldControl*> Fields() const;
  /// The numeric fields among them.
  std::vector<TNumFld*> NumFields() const;
  /// The field whose ID string is id (the first one), or null.
  TFieldControl* FindField(std::string_view id) const;
  /// Takes over typed text of every numeric field; false when one refused it.
  bool CommitEdits();

  /// Panel at the bottom that holds the buttons.
  QWidget* BottomButtonsPanel() const { return bottomPanel_; }
  QPushButton* OKbtn() const { return okBtn_; }
  QPushButton* Cancelbtn() const { return cancelBtn_; }
  QPushButton* HelpBtn() const { return helpBtn_; }
  /// The form's vertical layout; BottomButtonsPanel is its last item.
  QVBoxLayout* FormLayout() const { return layout_; }
  /// Adds w to the form above BottomButtonsPanel.
  void AddClientWidget(QWidget* w, int stretch = 0);

  /// Help file name and help context of the form.
  std::string HelpFile;
  int HelpContext = 0;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void OKbtnClicked();
  void WriteFields(pugi::xml_node node) const;
  // checked: values from a file, held to the fields' rules and reported;
  // unchecked: the form's own values copied back (Assign, reset).
  bool ReadFields(pugi::xml_node node, bool checked = true);
  // ReadFromXML of values this program wrote from its own fields (unchecked).
  void ReadOwnValues(pugi::xml_node node);

  QVBoxLayout* layout_ = nullptr;
  QWidget* bottomPanel_ = nullptr;
  QPushButton* okBtn_ = nullptr;
  QPushButton* cancelBtn_ = nullptr;
  QPushButton* helpBtn_ = nullptr;
  int modalResult_ = mrNone;
  bool created_ = false;
  pugi::xml_document createState_;
  std::vector<TFieldReadError> readErrors_;
  std::string frameText_;
  bool ownValues_ = false;  // the last stream frame, for the places in ReadErrorReport
};

}  // namespace vyr
