#include "ResultsPane.h"

namespace vyr::editor {

TResultsPane::TResultsPane(QWidget* parent) : QWidget(parent) {}
TResultsPane::~TResultsPane() = default;

bool TResultsPane::RunDesign(const std::string&, const std::string&, const std::string&, const std::string&) {
  return false;
}

bool TResultsPane::RunOffDesign(const std::string&, const std::string&, const std::string&, const std::string&,
                                const std::vector<double>&) {
  return false;
}

bool TResultsPane::HasMaps(const std::string&) const { return false; }
void TResultsPane::SetUnits(TUnitSystem) {}
void TResultsPane::Clear() {}

}  // namespace vyr::editor
