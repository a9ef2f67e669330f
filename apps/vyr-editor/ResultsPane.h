#pragma once
// The editor's results pane: runs a model saved to a string through its own
// model host and shows the station table, the performance figures, the T-s
// diagram of the cycle and each compressor's map.

#include <QString>
#include <QWidget>

#include <string>
#include <vector>

namespace vyr::editor {

enum class TUnitSystem { SI, Imperial };

class TResultsPane : public QWidget {
  Q_OBJECT
 public:
  explicit TResultsPane(QWidget* parent = nullptr);
  ~TResultsPane() override;

  /// Runs the design point of a model given as model-file bytes (the editor saves its
  /// document to a string first) with a configuration and case; shows the station table,
  /// the performance figures, the T-s diagram and each compressor's map. False when the
  /// model or the point failed; the pane then shows the reason.
  bool RunDesign(const std::string& modelXml, const std::string& sourceName, const std::string& config,
                 const std::string& caseID);
  /// Off design: one point, or an operating line (a list of points) when the model has maps.
  bool RunOffDesign(const std::string& modelXml, const std::string& sourceName, const std::string& config,
                    const std::string& caseID, const std::vector<double>& speeds /* relative shaft-1 speeds */);
  bool HasMaps(const std::string& modelXml) const;
  void SetUnits(TUnitSystem units);
  void Clear();

 signals:
  /// A point failed in component componentID (the icon's ID) with message; the editor selects and marks that icon.
  void PointFailed(const QString& componentID, const QString& message);
};

}  // namespace vyr::editor
