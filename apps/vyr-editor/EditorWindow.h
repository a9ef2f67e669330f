// The editor's main window: the component palette on the left, the model
// canvas in a scroll area above the results pane, the message pane below;
// File, Edit, Run and View menus; the configuration and case of a run chosen
// from lists in the tool bar.
//
// Messages. While the window lives, the library's messages (vyr::MessageDlg)
// and Qt's warnings go to the message pane; a message that asks a question
// (more than an OK button) goes to the question handler, which shows a
// QMessageBox unless a test has installed another. File names come from the
// file-name handler in the same way. No dialog is ever shown without going
// through one of the two, so that each can be answered by a program.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QMainWindow>
#include <QString>
#include <QStringList>

#include "Messages.h"
#include "ResultsPane.h"

class QAction;
class QComboBox;
class QMenu;
class QPlainTextEdit;
class QScrollArea;
class QSettings;
class QSplitter;

namespace vyr::editor {

class TComplibs;
class TEditorCanvas;
class TPalette;

/// Answers a question message with a modal result (mrYes, mrNo, mrCancel, ...).
using TQuestionHandler = std::function<int(const TMessage& message)>;
/// A file name for opening (save false) or saving; "" when the user cancelled.
using TFileNameHandler = std::function<QString(bool save, const QString& suggestion)>;

class TEditorWindow : public QMainWindow {
  Q_OBJECT

 public:
  /// The window over the loaded component libraries (which must outlive it);
  /// settingsFile: an INI file for the recent files, "" for the user's settings.
  explicit TEditorWindow(const TComplibs& libs, const QString& settingsFile = {}, QWidget* parent = nullptr);
  ~TEditorWindow() override;

  TEditorCanvas* Canvas() const { return canvas_; }
  TPalette* Palette() const { return palette_; }
  TResultsPane* Results() const { return results_; }
  QPlainTextEdit* MessagePane() const { return messages_; }
  QComboBox* ConfigBox() const { return configBox_; }
  QComboBox* CaseBox() const { return caseBox_; }

  /// Installs the question handler (an empty one restores the QMessageBox) and returns the previous one.
  TQuestionHandler SetQuestionHandler(TQuestionHandler handler);
  /// Installs the file-name handler (an empty one restores the file dialogs) and returns the previous one.
  TFileNameHandler SetFileNameHandler(TFileNameHandler handler);

  // --- File ----------------------------------------------------------------------
  /// Starts a new model after the unsaved-work question; false when cancelled.
  bool NewModel();
  /// Opens a model file after the unsaved-work question; false when cancelled or not loaded.
  bool OpenFile(const QString& fileName);
  /// Asks for a file name and opens it.
  bool Open();
  /// Saves to the current file (Save As when there is none); false when not saved.
  bool Save();
  bool SaveAs();
  /// Saves the model to fileName; it becomes the current file.
  bool SaveTo(const QString& fileName);
  /// The current file, "" for a new model.
  const QString& FileName() const { return fileName_; }
  /// The recent files, newest first.
  QStringList RecentFiles() const;
  /// Asks whether unsaved changes are to be saved; false when the user cancelled.
  bool MayDiscard();

  // --- Run ---------------------------------------------------------------------------
  /// The configuration and case chosen (IDs; "" for the base configuration and no case).
  std::string ChosenConfig() const;
  std::string ChosenCase() const;
  bool RunDesign();
  /// One off-design point at the relative speed of shaft 1.
  bool RunOffDesignPoint(double speed = 1.0);
  /// An operating line: relative speeds from 0.8 to 1.0.
  bool RunOperatingLine();

  // --- View ---------------------------------------------------------------------------
  void SetUnits(TUnitSystem units);
  TUnitSystem Units() const { return units_; }

  /// Appends a line to the message pane (and to standard output with EchoMessages).
  void AddMessage(const QString& text);
  /// Also writes the message pane's lines to standard output.
  void SetEchoMessages(bool on) { echo_ = on; }
  /// Files handed over by a second start: opened, the window brought forward.
  void OpenHandedOver(const QStringList& parameters);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildMenus();
  void UpdateTitle();
  void UpdateActions();
  void FillConfigs();
  void FillCases();
  void AddRecent(const QString& fileName);
  void FillRecentMenu();
  int Ask(const TMessage& m);
  bool AfterRun(bool ok);
  /// Gives the canvas the height its icons need (once shown), the results pane the rest.
  void FitCanvas();

  TEditorCanvas* canvas_ = nullptr;
  TPalette* palette_ = nullptr;
  TResultsPane* results_ = nullptr;
  QPlainTextEdit* messages_ = nullptr;
  QScrollArea* scroll_ = nullptr;
  QSplitter* split_ = nullptr;  // the canvas above the results pane
  QComboBox* configBox_ = nullptr;
  QComboBox* caseBox_ = nullptr;
  QMenu* recentMenu_ = nullptr;
  QAction* undoAct_ = nullptr;
  QAction* redoAct_ = nullptr;
  QAction* offPointAct_ = nullptr;
  QAction* offLineAct_ = nullptr;
  QAction* siAct_ = nullptr;
  QAction* imperialAct_ = nullptr;
  std::unique_ptr<QSettings> settings_;
  QString fileName_;
  TUnitSystem units_ = TUnitSystem::SI;
  TQuestionHandler ask_;
  TFileNameHandler fileNames_;
  TMessageHandler previousHandler_;
  bool echo_ = false;
  bool fitPending_ = false;
};

}  // namespace vyr::editor
