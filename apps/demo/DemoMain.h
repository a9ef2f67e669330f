// Common main of the demo programs.
//
// Every demo takes --screenshot FILE.png: it then builds its window on Qt's
// offscreen platform, renders it to the file and exits, so that reviewers can
// look at the UI without a display.
#pragma once

#include <functional>
#include <memory>

class QWidget;

namespace vyr::demo {

/// Builds the demo's main window; called once the QApplication exists.
using TBuildWindow = std::function<std::unique_ptr<QWidget>()>;

/// Runs a demo: with --screenshot FILE.png renders the window offscreen to FILE
/// and returns 0 (1 when the file cannot be written); otherwise shows the window
/// and runs the event loop. The message-box handler is installed either way.
int RunDemo(int argc, char** argv, const TBuildWindow& build);

}  // namespace vyr::demo
