// Single instance: a second start of the editor with a file hands the file to
// the running editor, which opens it, and ends at once. Two processes of the
// program as a user starts them, with a runtime and a settings folder of the
// test's own.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include "EditorFixture.h"

namespace vyr::editor::test {
namespace {

// Reads the process's output until it holds text; false when the process
// ends first or stays silent for long (a hang, not a slow machine).
bool WaitForOutput(QProcess& p, const QString& text, QString& seen) {
  while (!seen.contains(text)) {
    if (!p.waitForReadyRead(60000)) return seen.contains(text);
    seen += QString::fromUtf8(p.readAllStandardOutput());
  }
  return true;
}

TEST(EditorInstance, SecondStartHandsItsFileToTheRunningEditor) {
  QTemporaryDir home;
  ASSERT_TRUE(home.isValid());
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());  // private: mode 0700
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

  QProcess first;
  first.setProcessEnvironment(env);
  first.setProcessChannelMode(QProcess::SeparateChannels);
  first.start(QStringLiteral(VYR_EDITOR_EXE), {QStringLiteral("--echo-messages")});
  ASSERT_TRUE(first.waitForStarted(60000));
  QString out;
  ASSERT_TRUE(WaitForOutput(first, QStringLiteral("vyr-editor: Ready"), out)) << out.toStdString();

  const QString model = QFileInfo(QString::fromStdString(Example("turbojet.xml"))).absoluteFilePath();
  QProcess second;
  second.setProcessEnvironment(env);
  second.start(QStringLiteral(VYR_EDITOR_EXE), {model});
  ASSERT_TRUE(second.waitForFinished(60000));
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();

  EXPECT_TRUE(WaitForOutput(first, QStringLiteral("Opened ") + model, out)) << out.toStdString();
  first.kill();
  first.waitForFinished(60000);
}

}  // namespace
}  // namespace vyr::editor::test
