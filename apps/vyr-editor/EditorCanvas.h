// The model canvas of the editor: the icons of the model's base configuration,
// selected, moved and resized with the stretch handle, dropped from the
// palette, rotated, deleted, copied and pasted, their forms edited; every edit
// an undo step (EditCommands.h).
//
// The canvas keeps the model file's document. The document's element of every
// icon is brought up to date whenever an edit touches the icon, so that it is
// always what the icon held after the last step: it is the "before" of the
// next one. Everything else the file holds (configurations, cases, elements of
// components no library can load) stays as it was read.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include <QPointer>
#include <QString>
#include <QWidget>

#include "EditCommands.h"
#include "ResultsPane.h"

class QFrame;
class QUndoStack;

namespace vyr {
class TStretchHandle;
class TVYRcomp;
class TVYRcompform;
class TVyrXmlDocument;
}  // namespace vyr

namespace vyr::editor {

/// Grid of the canvas: positions snap to it [px].
inline constexpr int kCanvasGrid = 10;
/// Offset of pasted icons from the copied ones [px].
inline constexpr int kPasteOffsetX = 20;
inline constexpr int kPasteOffsetY = 100;

class TEditorCanvas : public QWidget {
  Q_OBJECT

 public:
  explicit TEditorCanvas(QWidget* parent = nullptr);
  ~TEditorCanvas() override;

  // --- The model ------------------------------------------------------------

  /// An empty model ("VYRmodel" with an empty base configuration).
  void NewModel();
  /// Replaces the canvas with the model of bytes; false (the model unchanged,
  /// the reason shown) when they are no model file.
  bool LoadFromString(std::string_view bytes, const std::string& sourceName);
  bool LoadFromFile(const std::string& fileName);
  /// The model file as it would be saved now.
  std::string SaveToString();
  /// Saves the model; false, with the reason shown, when it cannot be written.
  bool SaveToFile(const std::string& fileName);
  /// The model's document (the icons written into it at the last step).
  TVyrXmlDocument& Document() { return *doc_; }

  /// The icons in canvas order (the order of their elements in the file).
  const std::vector<TVYRcomp*>& Comps() const { return comps_; }
  /// The icon of that ID, or null.
  TVYRcomp* FindIcon(const QString& id) const;
  QUndoStack* UndoStack() const { return undo_; }
  TStretchHandle* Handle() const { return handle_; }

  // --- Selection --------------------------------------------------------------

  void Select(const std::vector<TVYRcomp*>& icons);
  void SelectAll();
  std::vector<TVYRcomp*> SelectedIcons() const;

  // --- Edits (each one undo step) ------------------------------------------------

  /// A new component of the registered icon class at pos (its top left corner,
  /// snapped to the grid): its form, labels and links, a unique name and the
  /// next calculation number. Null (with a message) for a class that is no icon.
  TVYRcomp* DropComponent(const QString& className, QPoint pos);
  /// Moves icons by delta [px] and links them anew.
  void MoveIcons(const std::vector<TVYRcomp*>& icons, QPoint delta);
  /// Turns the selected icons by 90 degrees clockwise and links them anew.
  void RotateSelection();
  /// Removes the selected icons; their neighbours' links come free.
  void DeleteSelection();
  /// The selected icons as a model-file fragment, also put on the clipboard; "" when none.
  std::string CopySelection();
  void CutSelection();
  /// Pastes the clipboard's fragment; the new icons, selected.
  std::vector<TVYRcomp*> Paste();
  /// Pastes a fragment: new names and IDs, kPasteOffset from where they were
  /// copied, links among them kept. The new icons; none (with a message) when
  /// fragment holds no component.
  std::vector<TVYRcomp*> PasteFragment(const std::string& fragment);
  /// The icon's data form. A pasted icon gets its form only when one is
  /// needed (this call, its first edit, a save or a run, a failure mark): it is
  /// made then from the icon's element. Null for an icon without a form.
  TVYRcompform* Form(TVYRcomp* icon);
  /// Shows the component's form; an accepted change is an undo step. The modal result.
  int EditComponent(TVYRcomp* icon);

  // --- Runs -----------------------------------------------------------------------

  /// Selects the icon of id and outlines it in red; false when there is none.
  bool MarkFailed(const QString& id, const QString& message);
  /// The marked icon's ID; empty when none.
  QString MarkedID() const;
  void ClearMark();

  /// Shows every form's numeric fields in that unit system (new forms too).
  void SetUnits(TUnitSystem units);

  /// Rebuilds the icons of states from their elements (undo and redo).
  void RestoreStates(const std::vector<TIconState>& states);

 signals:
  void SelectionChanged();
  /// The icons or their data changed (an edit, an undo or a load).
  void ModelChanged();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  struct TEdit {
    std::vector<QString> ids;
    std::vector<TIconState> before;
  };
  void Clear();
  void AfterLoad();
  void Decorate(TVYRcomp* icon);
  TVYRcomp* IconAt(QPoint pos) const;
  TVYRcomp* CreateIcon(void* element, bool withForm = true);
  void EnsureForms();
  int IndexOf(const TVYRcomp* icon) const;
  /// The names of the canvas's icons.
  std::unordered_set<std::string> TakenNames() const;
  /// base, else base with the next free number, among taken; the result is taken then.
  static QString UniqueName(const QString& base, std::unordered_set<std::string>& taken);
  int NextCalcNumber() const;
  void Relink(const std::vector<TVYRcomp*>& icons);
  void RefreshLabels();
  void FitSize();
  void UpdateMark();
  TEdit BeginEdit(const std::vector<TVYRcomp*>& icons) const;
  void EndEdit(TEdit& edit, const QString& text, const std::vector<TVYRcomp*>& icons);
  void AddIds(TEdit& edit, const std::vector<TVYRcomp*>& icons, bool withState) const;
  TIconState StoredState(const QString& id) const;
  TIconState Capture(TVYRcomp* icon);

  std::vector<TVYRcomp*> comps_;
  TStretchHandle* handle_ = nullptr;
  QUndoStack* undo_ = nullptr;
  std::unique_ptr<TVyrXmlDocument> doc_;
  QFrame* mark_ = nullptr;
  QPointer<TVYRcomp> marked_;
  TEdit drag_;  // the selection's state when a handle drag began
  TUnitSystem units_ = TUnitSystem::SI;
};

}  // namespace vyr::editor
