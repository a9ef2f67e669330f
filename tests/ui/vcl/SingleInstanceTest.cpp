// Single-instance hand-over between two processes: a second process finds the
// first, hands it its command-line parameters and asks it to come forward.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QStandardPaths>
#include <QWidget>

#include "VYRutils.h"

#include <unistd.h>

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

  // Empty parameters travel too, first, inside and last.
  const QStringList args{"",        "model one.xml", "", "--case=Take-off", QString::fromUtf8("D\xC3\xBCsen \xE2\x82\xAC"),
                         ""};
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

TEST(SingleInstance, ChannelLiesInThePrivateRuntimeFolder) {
  const std::string cls = TestClass("private");
  TInstanceServer first;
  ASSERT_TRUE(first.Listen(cls));
  const QFileInfo channel(QString::fromStdString(FindDuplicateMainWdw(cls)));
  const QFileInfo folder(channel.absolutePath());
  EXPECT_EQ(folder.absoluteFilePath(),
            QFileInfo(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)).absoluteFilePath());
  EXPECT_NE(folder.absoluteFilePath(), QFileInfo(QDir::tempPath()).absoluteFilePath()) << "not shared with other users";
  EXPECT_EQ(folder.permissions() & ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser),
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner)
      << "mode 0700";
  EXPECT_EQ(folder.ownerId(), static_cast<uint>(::getuid()));
}

// An instance that took the start-up lock but listens only a moment later:
// a second start must stay out, not listen beside it.
TEST(SingleInstance, StartUpLockKeepsASecondStartFromListening) {
  const std::string cls = TestClass("starting");
  const std::string lockName = InstanceLockFileName(cls);
  ASSERT_FALSE(lockName.empty());
  QLockFile starting(QString::fromStdString(lockName));
  ASSERT_TRUE(starting.tryLock(0));
  TInstanceServer second;
  EXPECT_FALSE(second.Listen(cls));
  EXPECT_EQ(FindDuplicateMainWdw(cls), "");
  starting.unlock();
  TInstanceServer first;
  EXPECT_TRUE(first.Listen(cls)) << "free once the lock is";
}

// An instance that took the lock and died (killed, crashed) leaves the lock
// file behind: the next start takes it over rather than staying out forever.
TEST(SingleInstance, LockOfADeadInstanceIsTakenOver) {
  const std::string cls = TestClass("dead");
  QProcess holder;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("VYR_TEST_INSTANCE_CLASS", QString::fromStdString(cls));
  env.insert("VYR_TEST_HOLD_LOCK", "1");
  holder.setProcessEnvironment(env);
  holder.start(VYR_INSTANCE_HELPER, {});
  ASSERT_TRUE(holder.waitForStarted(10000));
  while (!holder.canReadLine() && holder.state() == QProcess::Running) holder.waitForReadyRead(1000);
  ASSERT_EQ(holder.readLine().trimmed(), "locked");
  TInstanceServer meanwhile;
  EXPECT_FALSE(meanwhile.Listen(cls)) << "the lock of a living instance holds";
  holder.kill();
  holder.waitForFinished();
  ASSERT_TRUE(QFileInfo::exists(QString::fromStdString(InstanceLockFileName(cls)))) << "the lock file is left";
  TInstanceServer next;
  EXPECT_TRUE(next.Listen(cls));
}

struct PackCase {
  const char* name;
  QStringList parameters;
};

class ParameterPacking : public ::testing::TestWithParam<PackCase> {};

TEST_P(ParameterPacking, RoundTripsAndRejectsDamagedData) {
  const QByteArray data = PackParameters(GetParam().parameters);
  QStringList back{"stale"};
  ASSERT_TRUE(UnpackParameters(data, back));
  EXPECT_EQ(back, GetParam().parameters);
  EXPECT_FALSE(UnpackParameters(data.left(data.size() - 1), back)) << "truncated";
  EXPECT_FALSE(UnpackParameters(data + QByteArray(1, 'x'), back)) << "trailing byte";
}

INSTANTIATE_TEST_SUITE_P(
    SingleInstance, ParameterPacking,
    ::testing::Values(PackCase{"None", {}}, PackCase{"OneEmpty", {""}}, PackCase{"EmptyBetween", {"a", "", "b"}},
                      PackCase{"NullInside", {QString("x") + QChar(0) + "y"}},
                      PackCase{"BeyondTheBasicPlane", {QString::fromUtf8("\xF0\x9F\x9A\x80 jet")}}),
    [](const ::testing::TestParamInfo<PackCase>& info) { return std::string(info.param.name); });

TEST(SingleInstance, ImpossibleCountIsRejected) {
  QStringList out;
  EXPECT_FALSE(UnpackParameters(QByteArray::fromHex("ffffffff"), out));
  EXPECT_FALSE(UnpackParameters(QByteArray::fromHex("01000000ffffff7f"), out)) << "length beyond the data";
  EXPECT_FALSE(UnpackParameters(QByteArray(), out));
}

TEST(SingleInstance, NoFirstInstanceIsFoundWhenNoneListens) {
  const std::string cls = TestClass("alone");
  EXPECT_EQ(FindDuplicateMainWdw(cls), "");
  EXPECT_EQ(RunSecondInstance(cls, {"x"}), 2);
  EXPECT_THROW(SwitchToPrevInst(std::string(), QStringList{}), EAssertionFailed);
  EXPECT_FALSE(SwitchToPrevInst("VYR.test.nobody", QStringList{"x"}));
}

}  // namespace vyr::test
