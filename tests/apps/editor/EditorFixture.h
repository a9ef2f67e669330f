// Fixture of the editor tests: the example component library loaded once for
// the whole program (its classes must outlive every icon), and a window with
// its recent files in a temporary settings file, every question answered by
// the test and no dialog shown.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "Complibs.h"
#include "EditorCanvas.h"
#include "EditorWindow.h"
#include "Fldform.h"
#include "Messages.h"

namespace vyr::editor::test {

/// The example component library, loaded on first use until the program ends.
inline const TComplibs& GaspathLibs() {
  static TComplibs libs;
  if (libs.Libs().empty()) {
    std::vector<std::string> problems;
    libs.LoadFile(VYR_GASPATH_LIB, problems);
    EXPECT_TRUE(problems.empty()) << problems.front();
  }
  return libs;
}

inline std::string Example(const char* name) { return std::string(VYR_EXAMPLES_DIR) + "/" + name; }

class EditorFixture : public ::testing::Test {
 public:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    window_ = std::make_unique<TEditorWindow>(GaspathLibs(), dir_.filePath(QStringLiteral("settings.ini")));
    window_->SetQuestionHandler([this](const TMessage& m) {
      questions.push_back(m.Text);
      return answer;
    });
    window_->SetFileNameHandler([this](bool, const QString&) { return fileName; });
    // A form shown by a test is answered by formAnswer; none waits for a user.
    previousModal_ = SetShowModalHandler([this](TFieldForm& form) { return formAnswer ? formAnswer(form) : int(mrCancel); });
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    canvas = window_->Canvas();
  }
  void TearDown() override {
    window_.reset();
    SetShowModalHandler(std::move(previousModal_));
  }

  /// Opens a copy of an example model in the temporary folder (a save never
  /// reaches the shipped file); the test stops when it does not load.
  void OpenExample(const char* name) {
    const QString copy = TempFile(name);
    QFile::remove(copy);
    ASSERT_TRUE(QFile::copy(QString::fromStdString(Example(name)), copy)) << name;
    // The maps a model names lie beside it.
    QDir(dir_.path()).mkpath(QStringLiteral("maps"));
    const QDir maps(QString::fromStdString(Example("maps")));
    for (const QString& m : maps.entryList(QDir::Files))
      QFile::copy(maps.filePath(m), dir_.filePath(QStringLiteral("maps/") + m));
    ASSERT_TRUE(window_->OpenFile(copy)) << name;
  }
  QString TempFile(const char* name) const { return dir_.filePath(QString::fromUtf8(name)); }

  std::unique_ptr<TEditorWindow> window_;
  TEditorCanvas* canvas = nullptr;
  std::vector<std::string> questions;
  int answer = mrCancel;
  QString fileName;
  std::function<int(TFieldForm&)> formAnswer;

 private:
  QTemporaryDir dir_;
  TShowModalHandler previousModal_;
};

}  // namespace vyr::editor::test
