// Second instance for the single-instance test: finds the first instance by
// the window class given in VYR_TEST_INSTANCE_CLASS and hands it this
// process's command-line parameters. Exit code 0: handed over; 1: the
// hand-over failed; 2: no first instance.
//
// With VYR_TEST_HOLD_LOCK set it is instead an instance that took the
// start-up lock and then died: it takes the lock, writes "locked" and waits
// until it is killed.
#include <cstdio>
#include <string>

#include <QCoreApplication>
#include <QLockFile>

#include "VYRutils.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const std::string windowClass = qEnvironmentVariable("VYR_TEST_INSTANCE_CLASS").toStdString();
  if (qEnvironmentVariableIsSet("VYR_TEST_HOLD_LOCK")) {
    QLockFile lock(QString::fromStdString(vyr::InstanceLockFileName(windowClass)));
    if (!lock.tryLock(0)) return 3;
    std::puts("locked");
    std::fflush(stdout);
    std::getchar();  // the test kills this process
    return 0;
  }
  const std::string wnd = vyr::FindDuplicateMainWdw(windowClass);
  if (wnd.empty()) return 2;
  return vyr::SwitchToPrevInst(wnd) ? 0 : 1;
}
