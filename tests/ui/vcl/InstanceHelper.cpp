// Second instance for the single-instance test: finds the first instance by
// the window class given in VYR_TEST_INSTANCE_CLASS and hands it this
// process's command-line parameters. Exit code 0: handed over; 1: the
// hand-over failed; 2: no first instance.
#include <QCoreApplication>

#include "VYRutils.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const std::string windowClass = qEnvironmentVariable("VYR_TEST_INSTANCE_CLASS").toStdString();
  const std::string wnd = vyr::FindDuplicateMainWdw(windowClass);
  if (wnd.empty()) return 2;
  return vyr::SwitchToPrevInst(wnd) ? 0 : 1;
}
