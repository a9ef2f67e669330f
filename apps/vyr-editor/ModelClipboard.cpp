#include "ModelClipboard.h"

#include <sstream>

#include <QMimeData>
#include <pugixml.hpp>

namespace vyr::editor {

std::string MakeFragment(const std::vector<std::string>& elements) {
  pugi::xml_document doc;
  pugi::xml_node list = doc.append_child(kFragmentRoot).append_child("Components");
  for (const std::string& e : elements) {
    pugi::xml_document part;
    if (part.load_string(e.c_str())) list.append_copy(part.document_element());
  }
  std::ostringstream s;
  doc.save(s, "  ");
  return s.str();
}

QMimeData* FragmentMimeData(const std::string& fragment) {
  auto* data = new QMimeData;
  const QByteArray bytes = QByteArray::fromStdString(fragment);
  data->setData(QString::fromLatin1(kModelFragmentMime), bytes);
  data->setText(QString::fromUtf8(bytes));
  return data;
}

std::string FragmentFromMimeData(const QMimeData* data) {
  if (data == nullptr) return {};
  if (data->hasFormat(QString::fromLatin1(kModelFragmentMime)))
    return data->data(QString::fromLatin1(kModelFragmentMime)).toStdString();
  if (!data->hasText()) return {};
  // Plain text counts only when it is a fragment.
  const std::string text = data->text().toStdString();
  pugi::xml_document doc;
  if (!doc.load_string(text.c_str()) || std::string(doc.document_element().name()) != kFragmentRoot) return {};
  return text;
}

}  // namespace vyr::editor
