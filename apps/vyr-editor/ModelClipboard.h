// Icons on the system clipboard: a fragment of the model file, its
// "TVYRcomp" elements under "Components" below a root element of its own,
// under the editor's MIME type, and the same text as plain text for other programs.
#pragma once

#include <string>
#include <vector>

class QMimeData;

namespace vyr::editor {

/// MIME type of a model fragment.
inline constexpr const char* kModelFragmentMime = "application/x-vyr-model-fragment";
/// Root element of a fragment.
inline constexpr const char* kFragmentRoot = "VYRmodelFragment";

/// A fragment of the "TVYRcomp" elements given as text, in that order.
std::string MakeFragment(const std::vector<std::string>& elements);
/// Clipboard data of a fragment: the editor's type and plain text.
QMimeData* FragmentMimeData(const std::string& fragment);
/// The fragment on the clipboard: the editor's type, else plain text that is
/// a fragment; "" when there is none.
std::string FragmentFromMimeData(const QMimeData* data);

}  // namespace vyr::editor
