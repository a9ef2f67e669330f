// Undo steps of the model canvas. Every edit (drop, move, resize, rotate,
// delete, paste, form edit) is recorded as the model-file elements of the
// icons it touched, before and after: the edited icons and the icons linked
// to them before or after (linking copies station numbers across). Undo
// rebuilds those icons from their "before" elements at their places in the
// canvas order, redo from their "after" elements, so that each step gives the
// model back exactly, compared as XML.
#pragma once

#include <string>
#include <vector>

#include <QString>
#include <QUndoCommand>

namespace vyr::editor {

class TEditorCanvas;

/// One icon's element in the model file at a moment of the editing.
struct TIconState {
  QString id;        ///< the icon's ID ("ID" attribute)
  int index = -1;    ///< place in the canvas order; -1 when absent
  std::string xml;   ///< the "TVYRcomp" element; empty when the icon did not exist
};

/// An edit already made on the canvas; the first redo does nothing.
class TIconsCommand : public QUndoCommand {
 public:
  TIconsCommand(TEditorCanvas* canvas, const QString& text, std::vector<TIconState> before,
                std::vector<TIconState> after);
  void undo() override;
  void redo() override;

 private:
  TEditorCanvas* canvas_;
  std::vector<TIconState> before_, after_;
  bool done_ = true;
};

}  // namespace vyr::editor
