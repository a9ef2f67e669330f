// The model canvas of the vyr-canvas demo: the sample engine's icons, moved
// with the stretch handle. Icons whose links touch after a move are linked;
// R rotates the selection; the canvas is saved to and loaded from a model file.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QWidget>

#include "vyrcompl.h"

namespace vyr {
class TStretchHandle;
class TVyrXmlDocument;
}

namespace vyr::demo {

class TCanvasView : public QWidget {
  Q_OBJECT

 public:
  explicit TCanvasView(QWidget* parent = nullptr);
  ~TCanvasView() override;

  /// The icons on the canvas, in creation order.
  const std::vector<TVYRcomp*>& Comps() const { return comps_; }
  /// Replaces the canvas with the sample engine, linked.
  void BuildSampleEngine();
  /// Selects icon alone (null clears the selection).
  void Select(TVYRcomp* icon);
  /// The selected icon when exactly one is selected, else null.
  TVYRcomp* SelectedIcon() const;
  /// The selected icons.
  std::vector<TVYRcomp*> SelectedIcons() const;
  /// Rotates the selected icons by 90 degrees and links them anew.
  void RotateSelection();
  /// Saves the icons to a model file; false (with the reason shown) on failure.
  /// Everything else the model holds stays: the icons go into the document
  /// they were loaded from, else into the file's own when it already is a
  /// model file; only the canvas's configuration has its components rewritten.
  bool SaveToFile(const std::string& fileName);
  /// Replaces the canvas with the icons of a model file and links them.
  bool LoadFromFile(const std::string& fileName);
  /// Shows, hides and places every station label now rather than at the next paint.
  void RefreshStationLabels();

 signals:
  /// The selection or the links of the selection changed.
  void SelectionChanged();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void Clear();
  void Relink(const std::vector<TVYRcomp*>& moved);

  std::vector<TVYRcomp*> comps_;
  TStretchHandle* handle_ = nullptr;
  std::unique_ptr<TVyrXmlDocument> doc_;  ///< the model file the canvas came from, when loaded
};

}  // namespace vyr::demo
