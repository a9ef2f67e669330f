// Single-instance hand-over between two processes: a second process finds the
// first, hands it its command-line parameters and asks it to come forward.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QWidget>

#include "VYRutils.h"

namespace vyr::test {

namespace {

// A window class of this test run only, so that parallel runs do not meet.
std::string TestClass(const char* what) {
  return std::string("VYR.test.") + what + "." + std::to_string(QCoreApplication::applicationPid());
}

// Runs the second instance while this process keeps serving its channel.
int RunSecondInstance(const std::string& windowClass, const QStringList& args) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("VYR_TEST_INSTANCE_CLASS", QString::fromStdString(windowClass));
  p.setProcessEnvironment(env);
  p.start(VYR_INSTANCE_HELPER, args);
  if (!p.waitForStarted(10000)) return -1;
  QElapsedTimer timer;
  timer.start();
  while (p.state() != QProcess::NotRunning && timer.elapsed() < 30000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    p.waitForFinished(10);
  }
  if (p.state() != QProcess::NotRunning) {
    p.kill();
    p.waitForFinished();
    return -1;
  }
  return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

}  // namespace

TEST(SingleInstance, SecondProcessHandsOverItsParameters) {
  const std::string cls = TestClass("handover");
  TInstanceServer first;
  QWidget mainWindow;
  first.SetMainWindow(&mainWindow);
  ASSERT_TRUE(first.Listen(cls));
  std::vector<QStringList> received;
  int activations = 0;
  QObject::connect(&first, &TInstanceServer::ParametersReceived, [&](const QStringList& p) { received.push_back(p); });
  QObject::connect(&first, &TInstanceServer::Activated, [&] { ++activations; });

  const QStringList args{"model one.xml", "--case=Take-off", QString::fromUtf8("D\xC3\xBCsen \xE2\x82\xAC")};
  EXPECT_EQ(RunSecondInstance(cls, args), 0);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0], args);
  EXPECT_EQ(activations, 1);

  // Without parameters only the request to come forward is sent.
  EXPECT_EQ(RunSecondInstance(cls, {}), 0);
  EXPECT_EQ(received.size(), 1u);
  EXPECT_EQ(activations, 2);

  // A second server under the same class sees the first and stays out.
  TInstanceServer second;
  EXPECT_FALSE(second.Listen(cls));
}

TEST(SingleInstance, NoFirstInstanceIsFoundWhenNoneListens) {
  const std::string cls = TestClass("alone");
  EXPECT_EQ(FindDuplicateMainWdw(cls), "");
  EXPECT_EQ(RunSecondInstance(cls, {"x"}), 2);
  EXPECT_THROW(SwitchToPrevInst(std::string(), QStringList{}), EAssertionFailed);
  EXPECT_FALSE(SwitchToPrevInst("VYR.test.nobody", QStringList{"x"}));
}

}  // namespace vyr::test
