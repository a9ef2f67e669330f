// The component palette: the component library window (TComplibform) filled
// with one entry per icon class of every loaded component library, its picture
// and its name. Dragging an entry onto the canvas drops a component of that type.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

class QMimeData;

#include "Complibs.h"
#include "complibfrm.h"

namespace vyr::editor {

/// MIME type of a palette drag: the icon's registered class name (UTF-8).
inline constexpr const char* kComponentClassMime = "application/x-vyr-component-class";

/// The name shown for an icon class: without the leading "T" and a trailing
/// "Comp" ("TCompressorComp" -> "Compressor").
QString ComponentTypeCaption(const QString& className);

/// One palette entry: the icon's picture above its name; a drag carries the class name.
class TPaletteItem : public QWidget {
  Q_OBJECT
 public:
  TPaletteItem(const QString& className, QWidget* parent = nullptr);
  const QString& ClassName() const { return className_; }
  /// The data a drag of this entry carries (the caller owns it).
  QMimeData* MimeData() const;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  QString className_;
  QPoint pressAt_;
};

class TPalette : public TComplibform {
  Q_OBJECT
 public:
  explicit TPalette(QWidget* parent = nullptr);
  /// Lists the icon classes (those deriving from TVYRcomp) of every library.
  void Fill(const TComplibs& libs);
  /// The registered class names listed, in palette order.
  QStringList ClassNames() const;
  /// The entry of a class, or null.
  TPaletteItem* Item(const QString& className) const;
};

}  // namespace vyr::editor
