#include "Palette.h"

#include <QApplication>
#include <QDrag>
#include <QGridLayout>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollArea>
#include <QVBoxLayout>
#include <memory>

#include "ClassRegistry.h"
#include "vyrcompl.h"

namespace vyr::editor {

namespace {
constexpr int kPicture = 48;  // side of an entry's picture [px]

// The picture of an icon class: an icon of the class drawn offscreen, scaled.
QPixmap IconPicture(const QString& className) {
  std::unique_ptr<TVYRcomp> icon(CreateRegisteredClass<TVYRcomp>(className.toStdString(), nullptr));
  if (!icon) return {};
  icon->setAttribute(Qt::WA_DontShowOnScreen);
  const QPixmap full = icon->grab();
  return full.scaled(kPicture, kPicture, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}
}  // namespace

QString ComponentTypeCaption(const QString& className) {
  QString s = className;
  if (s.size() > 1 && s.startsWith(QLatin1Char('T')) && s.at(1).isUpper()) s.remove(0, 1);
  if (s.size() > 4 && s.endsWith(QLatin1String("Comp"))) s.chop(4);
  return s;
}

TPaletteItem::TPaletteItem(const QString& className, QWidget* parent) : QWidget(parent), className_(className) {
  setObjectName(className);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(1);
  auto* pic = new QLabel;
  pic->setAlignment(Qt::AlignCenter);
  pic->setPixmap(IconPicture(className));
  pic->setFixedSize(kPicture + 4, kPicture + 4);
  auto* name = new QLabel(ComponentTypeCaption(className));
  name->setAlignment(Qt::AlignCenter);
  layout->addWidget(pic, 0, Qt::AlignHCenter);
  layout->addWidget(name);
  setToolTip(QStringLiteral("Drag onto the model canvas to add a %1").arg(ComponentTypeCaption(className)));
  setCursor(Qt::OpenHandCursor);
}

QMimeData* TPaletteItem::MimeData() const {
  auto* mime = new QMimeData;
  mime->setData(QString::fromLatin1(kComponentClassMime), className_.toUtf8());
  return mime;
}

void TPaletteItem::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) pressAt_ = event->position().toPoint();
}

void TPaletteItem::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) return;
  if ((event->position().toPoint() - pressAt_).manhattanLength() < QApplication::startDragDistance()) return;
  auto* drag = new QDrag(this);
  drag->setMimeData(MimeData());
  drag->setPixmap(IconPicture(className_));
  drag->exec(Qt::CopyAction);
}

TPalette::TPalette(QWidget* parent) : TComplibform(parent) {
  setWindowTitle(QStringLiteral("Component library form"));
  setMinimumWidth(170);
}

void TPalette::Fill(const TComplibs& libs) {
  auto* box = new QWidget;
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(4, 4, 4, 4);
  grid->setSpacing(4);
  int k = 0;
  QStringList versions;
  for (const TComplib& lib : libs.Libs()) {
    int count = 0;
    for (const std::string& n : lib.classes) {
      const TRegisteredClass* c = FindClass(n);
      if (c == nullptr || !c->MetaObject->inherits(&TVYRcomp::staticMetaObject)) continue;
      grid->addWidget(new TPaletteItem(QString::fromStdString(n)), k / 2, k % 2);
      ++k;
      ++count;
    }
    // "libvyrgaspath.so" -> "vyrgaspath"
    QString file = QString::fromStdString(lib.file).section(QLatin1Char('/'), -1);
    if (file.startsWith(QLatin1String("lib"))) file.remove(0, 3);
    file = file.section(QLatin1Char('.'), 0, 0);
    versions << QStringLiteral("%1: %2 types").arg(file).arg(count);
  }
  grid->setRowStretch(k / 2 + 1, 1);
  ScrollBox()->setWidget(box);
  SetVersionText(versions.isEmpty() ? QStringLiteral("No component library loaded") : versions.join(QStringLiteral("; ")));
}

QStringList TPalette::ClassNames() const {
  QStringList names;
  if (QWidget* box = ScrollBox()->widget())
    for (auto* item : box->findChildren<TPaletteItem*>(Qt::FindDirectChildrenOnly)) names << item->ClassName();
  return names;
}

TPaletteItem* TPalette::Item(const QString& className) const {
  QWidget* box = ScrollBox()->widget();
  return box ? box->findChild<TPaletteItem*>(className) : nullptr;
}

}  // namespace vyr::editor
