// The component library window: the form in which a component library shows
// its icons for the user to drag onto the model canvas, with the library's
// version text in its status bar. A host docks it by its docking key.
#pragma once

#include <QUuid>
#include <QWidget>

#include "VyrUiExport.h"

class QScrollArea;
class QStatusBar;

namespace vyr {

/// Docking key of a window that does not dock: the all-zero GUID.
inline const QUuid NoDockingKeyGUID{};

/// Window of a component library: a scroll box filling it, holding the
/// library's icons, and a status bar for the library's version text.
class VYR_UI_API TComplibform : public QWidget {
  Q_OBJECT
 public:
  explicit TComplibform(QWidget* parent = nullptr);

  /// The scroll box; component libraries put their icons in its widget.
  QScrollArea* ScrollBox() const { return scrollBox_; }
  /// The status bar that shows the library's version text.
  QStatusBar* StatusBar() const { return statusBar_; }
  /// Shows the library's version text in the status bar.
  void SetVersionText(const QString& text);
  /// Key by which a host docks this window; NoDockingKeyGUID until set.
  QUuid DockingKey() const { return dockingKey_; }
  void SetDockingKey(const QUuid& key) { dockingKey_ = key; }

 private:
  QScrollArea* scrollBox_;
  QStatusBar* statusBar_;
  QUuid dockingKey_ = NoDockingKeyGUID;
};

/// Registers the component library window classes (at load).
VYR_UI_API void InitComplibfrm();
/// Unregisters them (at unload).
VYR_UI_API void DoneComplibfrm();

}  // namespace vyr
