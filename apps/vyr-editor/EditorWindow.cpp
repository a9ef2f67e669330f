#include "EditorWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSplitter>
#include <QToolBar>
#include <QUndoStack>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

#include "Complibs.h"
#include "EditorCanvas.h"
#include "Palette.h"
#include "VyrMessageBox.h"
#include "VyrNativeXml.h"
#include "vyrcompl.h"

namespace vyr::editor {

namespace {

constexpr int kMaxRecent = 8;
const QString kRecentKey = QStringLiteral("recentFiles");

// The window whose message pane takes Qt's warnings (one at a time).
QPointer<TEditorWindow> gQtMessageWindow;
QtMessageHandler gPreviousQtHandler = nullptr;

void QtMessagesToPane(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (gPreviousQtHandler != nullptr) gPreviousQtHandler(type, context, text);
  if (type == QtDebugMsg || type == QtInfoMsg || !gQtMessageWindow) return;
  // The offscreen platform's notice of a feature it lacks says nothing about the model.
  if (text.contains(QLatin1String("propagateSizeHints"))) return;
  const QString line = QStringLiteral("Qt: ") + text;
  // Qt may warn from any thread; the pane is written on its own.
  QMetaObject::invokeMethod(gQtMessageWindow.data(), [line] {
    if (gQtMessageWindow) gQtMessageWindow->AddMessage(line);
  }, Qt::QueuedConnection);
}

bool IsQuestion(const TMessage& m) {
  for (TMsgDlgBtn b : {mbYes, mbNo, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbClose})
    if (m.Buttons.contains(b)) return true;
  return false;
}

QString TypeWord(TMsgDlgType t) {
  switch (t) {
    case mtWarning:
      return QStringLiteral("Warning: ");
    case mtError:
      return QStringLiteral("Error: ");
    default:
      return {};
  }
}

}  // namespace

TEditorWindow::TEditorWindow(const TComplibs& libs, const QString& settingsFile, QWidget* parent)
    : QMainWindow(parent) {
  setObjectName(QStringLiteral("VyrEditorMainWindow"));
  settings_ = settingsFile.isEmpty() ? std::make_unique<QSettings>(QStringLiteral("vyr"), QStringLiteral("vyr-editor"))
                                     : std::make_unique<QSettings>(settingsFile, QSettings::IniFormat);

  canvas_ = new TEditorCanvas;
  scroll_ = new QScrollArea;
  scroll_->setWidget(canvas_);
  scroll_->setWidgetResizable(false);
  scroll_->setBackgroundRole(QPalette::Base);
  results_ = new TResultsPane;
  split_ = new QSplitter(Qt::Vertical);
  split_->setObjectName(QStringLiteral("CanvasResultsSplit"));
  split_->addWidget(scroll_);
  split_->addWidget(results_);
  split_->setStretchFactor(0, 1);
  split_->setStretchFactor(1, 2);
  setCentralWidget(split_);

  palette_ = new TPalette;
  palette_->Fill(libs);
  auto* paletteDock = new QDockWidget(QStringLiteral("Components"));
  paletteDock->setObjectName(QStringLiteral("PaletteDock"));
  paletteDock->setWidget(palette_);
  paletteDock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
  addDockWidget(Qt::LeftDockWidgetArea, paletteDock);

  messages_ = new QPlainTextEdit;
  messages_->setObjectName(QStringLiteral("MessagePane"));
  messages_->setReadOnly(true);
  messages_->setMaximumBlockCount(2000);
  auto* messageDock = new QDockWidget(QStringLiteral("Messages"));
  messageDock->setObjectName(QStringLiteral("MessageDock"));
  messageDock->setWidget(messages_);
  messageDock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
  addDockWidget(Qt::BottomDockWidgetArea, messageDock);
  resizeDocks({messageDock}, {70}, Qt::Vertical);

  // The library's messages go to the pane, its questions to the question handler.
  previousHandler_ = SetMessageHandler([this](const TMessage& m) {
    if (IsQuestion(m)) return Ask(m);
    QString text = QString::fromStdString(m.Text);
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(QChar('\r'), QChar(' '));
    AddMessage(TypeWord(m.DlgType) + text);
    return static_cast<int>(mrOk);
  });
  gQtMessageWindow = this;
  gPreviousQtHandler = qInstallMessageHandler(QtMessagesToPane);

  BuildMenus();
  connect(canvas_, &TEditorCanvas::ModelChanged, this, [this] {
    canvas_->ClearMark();
    UpdateActions();
  });
  connect(canvas_->UndoStack(), &QUndoStack::cleanChanged, this, [this] { UpdateTitle(); });
  connect(results_, &TResultsPane::PointFailed, this, [this](const QString& id, const QString& message) {
    AddMessage(QStringLiteral("Point failed in %1: %2").arg(id, message));
    canvas_->MarkFailed(id, message);
    if (QWidget* icon = canvas_->FindIcon(id)) scroll_->ensureWidgetVisible(icon);
  });
  FillConfigs();
  UpdateTitle();
  UpdateActions();
  resize(1400, 900);
}

TEditorWindow::~TEditorWindow() {
  // The children die after this window's own part: their last signals must
  // not reach it.
  canvas_->UndoStack()->disconnect(this);
  canvas_->disconnect(this);
  results_->disconnect(this);
  if (gQtMessageWindow == this) {
    qInstallMessageHandler(gPreviousQtHandler);
    gPreviousQtHandler = nullptr;
    gQtMessageWindow = nullptr;
  }
  SetMessageHandler(std::move(previousHandler_));
}

TQuestionHandler TEditorWindow::SetQuestionHandler(TQuestionHandler handler) {
  std::swap(ask_, handler);
  return handler;
}

TFileNameHandler TEditorWindow::SetFileNameHandler(TFileNameHandler handler) {
  std::swap(fileNames_, handler);
  return handler;
}

int TEditorWindow::Ask(const TMessage& m) {
  if (ask_) return ask_(m);
  std::unique_ptr<QMessageBox> box = BuildMessageBox(m, this);
  return ModalResultOfButton(box->exec());
}

void TEditorWindow::AddMessage(const QString& text) {
  messages_->appendPlainText(text);
  if (echo_) {
    std::printf("vyr-editor: %s\n", text.toUtf8().constData());
    std::fflush(stdout);
  }
}

// --- Menus -----------------------------------------------------------------------------

void TEditorWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->addAction(QStringLiteral("&New"), QKeySequence::New, this, [this] { NewModel(); });
  file->addAction(QStringLiteral("&Open..."), QKeySequence::Open, this, [this] { Open(); });
  recentMenu_ = file->addMenu(QStringLiteral("Open &recent"));
  file->addAction(QStringLiteral("&Save"), QKeySequence::Save, this, [this] { Save(); });
  file->addAction(QStringLiteral("Save &as..."), QKeySequence::SaveAs, this, [this] { SaveAs(); });
  file->addSeparator();
  file->addAction(QStringLiteral("&Quit"), QKeySequence::Quit, this, [this] { close(); });
  FillRecentMenu();

  QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
  undoAct_ = canvas_->UndoStack()->createUndoAction(this, QStringLiteral("&Undo"));
  undoAct_->setShortcut(QKeySequence::Undo);
  redoAct_ = canvas_->UndoStack()->createRedoAction(this, QStringLiteral("&Redo"));
  redoAct_->setShortcut(QKeySequence::Redo);
  edit->addAction(undoAct_);
  edit->addAction(redoAct_);
  edit->addSeparator();
  edit->addAction(QStringLiteral("Cu&t"), QKeySequence::Cut, canvas_, [this] { canvas_->CutSelection(); });
  edit->addAction(QStringLiteral("&Copy"), QKeySequence::Copy, canvas_, [this] { canvas_->CopySelection(); });
  edit->addAction(QStringLiteral("&Paste"), QKeySequence::Paste, canvas_, [this] { canvas_->Paste(); });
  edit->addAction(QStringLiteral("&Delete"), canvas_, [this] { canvas_->DeleteSelection(); });
  edit->addSeparator();
  edit->addAction(QStringLiteral("&Rotate (R)"), canvas_, [this] { canvas_->RotateSelection(); });
  edit->addAction(QStringLiteral("Component &form..."), canvas_, [this] {
    const auto icons = canvas_->SelectedIcons();
    if (icons.size() == 1) canvas_->EditComponent(icons.front());
  });
  edit->addAction(QStringLiteral("Select &all"), QKeySequence::SelectAll, canvas_, [this] { canvas_->SelectAll(); });

  QMenu* run = menuBar()->addMenu(QStringLiteral("&Run"));
  run->addAction(QStringLiteral("&Design point"), QKeySequence(Qt::Key_F9), this, [this] { RunDesign(); });
  offPointAct_ = run->addAction(QStringLiteral("&Off-design point"), this, [this] { RunOffDesignPoint(); });
  offLineAct_ = run->addAction(QStringLiteral("Operating &line"), this, [this] { RunOperatingLine(); });
  run->addSeparator();
  run->addAction(QStringLiteral("&Clear results"), this, [this] {
    results_->Clear();
    canvas_->ClearMark();
  });

  QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
  auto* units = new QActionGroup(this);
  siAct_ = view->addAction(QStringLiteral("&SI units"), this, [this] { SetUnits(TUnitSystem::SI); });
  imperialAct_ = view->addAction(QStringLiteral("&Imperial units"), this, [this] { SetUnits(TUnitSystem::Imperial); });
  for (QAction* a : {siAct_, imperialAct_}) {
    a->setCheckable(true);
    units->addAction(a);
  }
  siAct_->setChecked(true);

  QToolBar* bar = addToolBar(QStringLiteral("Run"));
  bar->setObjectName(QStringLiteral("RunToolBar"));
  bar->addWidget(new QLabel(QStringLiteral(" Configuration ")));
  configBox_ = new QComboBox;
  configBox_->setObjectName(QStringLiteral("ConfigBox"));
  configBox_->setMinimumContentsLength(12);
  bar->addWidget(configBox_);
  bar->addWidget(new QLabel(QStringLiteral(" Case ")));
  caseBox_ = new QComboBox;
  caseBox_->setObjectName(QStringLiteral("CaseBox"));
  caseBox_->setMinimumContentsLength(12);
  bar->addWidget(caseBox_);
  bar->addSeparator();
  bar->addAction(QStringLiteral("Design point"), this, [this] { RunDesign(); });
  bar->addAction(offLineAct_);
  connect(configBox_, &QComboBox::currentIndexChanged, this, [this] { FillCases(); });
}

void TEditorWindow::UpdateTitle() {
  const QString name = fileName_.isEmpty() ? QStringLiteral("New model") : QFileInfo(fileName_).fileName();
  setWindowTitle(QStringLiteral("%1%2 - Model editor").arg(name, canvas_->UndoStack()->isClean() ? QString() : QStringLiteral("*")));
}

void TEditorWindow::UpdateActions() {
  const bool maps = results_->HasMaps(canvas_->SaveToString());
  offPointAct_->setEnabled(maps);
  offLineAct_->setEnabled(maps);
}

// --- Configurations and cases ------------------------------------------------------------

namespace {
void CollectConfigs(pugi::xml_node node, QStringList& ids) {
  for (pugi::xml_node c : node.children("Config")) {
    ids << QString::fromUtf8(c.attribute("ID").value());
    CollectConfigs(c, ids);
  }
}

pugi::xml_node FindConfig(pugi::xml_node node, const std::string& id) {
  for (pugi::xml_node c : node.children("Config")) {
    if (id == c.attribute("ID").value()) return c;
    if (pugi::xml_node d = FindConfig(c, id)) return d;
  }
  return {};
}
}  // namespace

void TEditorWindow::FillConfigs() {
  const QString keep = configBox_->currentText();
  QStringList ids;
  CollectConfigs(canvas_->Document().Root().RefModelRoot(), ids);
  configBox_->blockSignals(true);
  configBox_->clear();
  configBox_->addItem(QStringLiteral("(base)"));
  configBox_->addItems(ids);
  const int k = configBox_->findText(keep);
  configBox_->setCurrentIndex(k < 0 ? 0 : k);
  configBox_->blockSignals(false);
  FillCases();
}

void TEditorWindow::FillCases() {
  const QString keep = caseBox_->currentText();
  pugi::xml_node base = canvas_->Document().Root().RefModelRoot();
  const std::string cfg = ChosenConfig();
  pugi::xml_node node = cfg.empty() ? base : FindConfig(base, cfg);
  caseBox_->clear();
  caseBox_->addItem(QStringLiteral("(none)"));
  for (pugi::xml_node c : node.children("Case")) caseBox_->addItem(QString::fromUtf8(c.attribute("ID").value()));
  const int k = caseBox_->findText(keep);
  caseBox_->setCurrentIndex(k < 0 ? 0 : k);
}

std::string TEditorWindow::ChosenConfig() const {
  return configBox_->currentIndex() <= 0 ? std::string() : configBox_->currentText().toStdString();
}

std::string TEditorWindow::ChosenCase() const {
  return caseBox_->currentIndex() <= 0 ? std::string() : caseBox_->currentText().toStdString();
}

// --- Files -----------------------------------------------------------------------------------

bool TEditorWindow::MayDiscard() {
  if (canvas_->UndoStack()->isClean()) return true;
  const int answer = MessageDlg("The model has unsaved changes. Save them?", mtConfirmation, {mbYes, mbNo, mbCancel}, 0);
  if (answer == mrYes) return Save();
  return answer == mrNo;
}

bool TEditorWindow::NewModel() {
  if (!MayDiscard()) return false;
  canvas_->NewModel();
  results_->Clear();
  fileName_.clear();
  FillConfigs();
  UpdateTitle();
  AddMessage(QStringLiteral("New model"));
  return true;
}

bool TEditorWindow::OpenFile(const QString& fileName) {
  if (!MayDiscard()) return false;
  if (!canvas_->LoadFromFile(fileName.toStdString())) {
    AddMessage(QStringLiteral("Not opened: %1").arg(fileName));
    return false;
  }
  fileName_ = QFileInfo(fileName).absoluteFilePath();
  results_->Clear();
  FillConfigs();
  AddRecent(fileName_);
  UpdateTitle();
  UpdateActions();
  FitCanvas();
  AddMessage(QStringLiteral("Opened %1").arg(fileName_));
  return true;
}

void TEditorWindow::FitCanvas() {
  fitPending_ = !isVisible();
  if (fitPending_) return;  // sized when shown
  // The canvas as tall as its icons reach (with a margin), between a few rows
  // of icons and 40 % of the height; the results pane takes the rest.
  const int total = split_->height() - split_->handleWidth();
  const QRect used = canvas_->childrenRect();
  const int frame = 2 * scroll_->frameWidth() + scroll_->horizontalScrollBar()->sizeHint().height();
  const int want = (used.isValid() ? used.bottom() : 0) + 20 + frame;
  const int canvas = std::clamp(want, std::min(160, total / 2), std::max(total * 2 / 5, 1));
  split_->setSizes({canvas, total - canvas});
}

void TEditorWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (fitPending_) FitCanvas();
}

bool TEditorWindow::Open() {
  if (!MayDiscard()) return false;
  const QString dir = fileName_.isEmpty() ? QString() : QFileInfo(fileName_).absolutePath();
  const QString f = fileNames_ ? fileNames_(false, dir)
                               : QFileDialog::getOpenFileName(this, QStringLiteral("Open model"), dir,
                                                              QStringLiteral("Model files (*.xml *.mxl);;All files (*)"));
  if (f.isEmpty()) return false;
  // The question was answered already.
  canvas_->UndoStack()->setClean();
  return OpenFile(f);
}

bool TEditorWindow::Save() { return fileName_.isEmpty() ? SaveAs() : SaveTo(fileName_); }

bool TEditorWindow::SaveAs() {
  const QString f = fileNames_ ? fileNames_(true, fileName_)
                               : QFileDialog::getSaveFileName(this, QStringLiteral("Save model as"), fileName_,
                                                              QStringLiteral("Model files (*.xml *.mxl)"));
  return !f.isEmpty() && SaveTo(f);
}

bool TEditorWindow::SaveTo(const QString& fileName) {
  if (!canvas_->SaveToFile(fileName.toStdString())) {
    AddMessage(QStringLiteral("Not saved: %1").arg(fileName));
    return false;
  }
  fileName_ = QFileInfo(fileName).absoluteFilePath();
  AddRecent(fileName_);
  UpdateTitle();
  AddMessage(QStringLiteral("Saved %1").arg(fileName_));
  return true;
}

QStringList TEditorWindow::RecentFiles() const { return settings_->value(kRecentKey).toStringList(); }

void TEditorWindow::AddRecent(const QString& fileName) {
  QStringList list = RecentFiles();
  list.removeAll(fileName);
  list.prepend(fileName);
  while (list.size() > kMaxRecent) list.removeLast();
  settings_->setValue(kRecentKey, list);
  settings_->sync();
  FillRecentMenu();
}

void TEditorWindow::FillRecentMenu() {
  recentMenu_->clear();
  const QStringList list = RecentFiles();
  for (const QString& f : list) recentMenu_->addAction(f, this, [this, f] { OpenFile(f); });
  recentMenu_->setEnabled(!list.isEmpty());
}

void TEditorWindow::closeEvent(QCloseEvent* event) {
  if (MayDiscard()) {
    event->accept();
  } else {
    event->ignore();
  }
}

void TEditorWindow::OpenHandedOver(const QStringList& parameters) {
  for (const QString& p : parameters)
    if (!p.startsWith(QLatin1Char('-'))) OpenFile(p);
  show();
  raise();
  activateWindow();
}

// --- Runs --------------------------------------------------------------------------------------

static std::string SourceName(const QString& fileName) {
  return fileName.isEmpty() ? std::string("new model") : fileName.toStdString();
}

bool TEditorWindow::AfterRun(bool ok) {
  AddMessage(ok ? QStringLiteral("Run finished") : QStringLiteral("Run failed: see the results pane"));
  return ok;
}

bool TEditorWindow::RunDesign() {
  canvas_->ClearMark();
  AddMessage(QStringLiteral("Design point of %1").arg(QString::fromStdString(SourceName(fileName_))));
  return AfterRun(results_->RunDesign(canvas_->SaveToString(), SourceName(fileName_), ChosenConfig(), ChosenCase()));
}

bool TEditorWindow::RunOffDesignPoint(double speed) {
  canvas_->ClearMark();
  AddMessage(QStringLiteral("Off-design point at relative speed %1").arg(speed));
  return AfterRun(results_->RunOffDesign(canvas_->SaveToString(), SourceName(fileName_), ChosenConfig(), ChosenCase(),
                                         {speed}));
}

bool TEditorWindow::RunOperatingLine() {
  canvas_->ClearMark();
  AddMessage(QStringLiteral("Operating line"));
  return AfterRun(results_->RunOffDesign(canvas_->SaveToString(), SourceName(fileName_), ChosenConfig(), ChosenCase(),
                                         {1.0, 0.975, 0.95, 0.925, 0.9, 0.875, 0.85}));
}

void TEditorWindow::SetUnits(TUnitSystem units) {
  units_ = units;
  canvas_->SetUnits(units);
  results_->SetUnits(units);
  (units == TUnitSystem::SI ? siAct_ : imperialAct_)->setChecked(true);
}

}  // namespace vyr::editor
