// A Qt program on the installed UI library: the library has started at load
// without a QApplication, registers a form class, creates it by name and asks
// for a number through a scripted handler.
#include <cstdio>

#include <QApplication>
#include <QDialog>

#include <vyr/ClassRegistry.h>
#include <vyr/NumInputQuery.h>
#include <vyr/UiPackage.h>

class TConsumerForm : public QDialog {
 public:
  explicit TConsumerForm(QWidget* parent = nullptr) : QDialog(parent) {}
};

int main(int argc, char** argv) {
  if (!vyr::UiPackageInitialized()) return 1;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  vyr::RegisterClass("TConsumerForm", &QDialog::staticMetaObject,
                     [](QWidget* p) -> QObject* { return new TConsumerForm(p); });
  QWidget owner;
  QDialog* form = vyr::CreateRegisteredClass<QDialog>("tconsumerform", &owner);
  vyr::SetNumInputHandler([](const vyr::TNumInputRequest&, double& v) { v = 45; return true; });
  double station = 0;
  vyr::NumInputQuery("consumer", "Enter  Out1  station number:", 27060, 0, 0, 0.0, 10000.0, station);
  std::printf("form %s, station %g\n", form ? "created" : "missing", station);
  return form != nullptr && station == 45 ? 0 : 1;
}
