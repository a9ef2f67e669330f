#include "EditCommands.h"

#include "EditorCanvas.h"

namespace vyr::editor {

TIconsCommand::TIconsCommand(TEditorCanvas* canvas, const QString& text, std::vector<TIconState> before,
                             std::vector<TIconState> after)
    : QUndoCommand(text), canvas_(canvas), before_(std::move(before)), after_(std::move(after)) {}

void TIconsCommand::undo() { canvas_->RestoreStates(before_); }

void TIconsCommand::redo() {
  if (done_) {
    done_ = false;  // made by the canvas already
    return;
  }
  canvas_->RestoreStates(after_);
}

}  // namespace vyr::editor
