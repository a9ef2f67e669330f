// The QApplication of the UI benchmarks, on Qt's offscreen platform so that
// they run without a display and measure the same work everywhere.
#pragma once

#include <QApplication>

namespace vyr::bench {

/// The one QApplication of the program, created on first use.
inline QApplication& EnsureQtApp() {
  static int argc = 1;
  static char name[] = "bench";
  static char* argv[] = {name, nullptr};
  static QApplication& app = []() -> QApplication& {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication instance(argc, argv);
    return instance;
  }();
  return app;
}

}  // namespace vyr::bench
