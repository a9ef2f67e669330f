// Message boxes on Qt.
//
// The library reports through vyr::MessageDlg and vyr::ShowMessage, whose
// handler writes to standard error until a host installs another. A host with a
// QApplication calls InstallMessageBoxHandler once to show them as modal
// QMessageBox dialogs. Tests keep a recording handler and never open a dialog.
#pragma once

#include <functional>
#include <memory>

#include "Messages.h"
#include "VyrUiExport.h"

class QMessageBox;
class QWidget;

namespace vyr {

/// Called with the help-context number when the user presses Help; the box
/// stays open. Without a help handler the Help button does nothing.
using THelpHandler = std::function<void(int helpCtx)>;

/// Installs the help handler (an empty one removes it) and returns the previous one.
VYR_UI_API THelpHandler SetHelpHandler(THelpHandler handler);

/// Makes vyr::SetMessageHandler show every message as a modal QMessageBox and
/// returns the handler it replaced. Needs a QApplication when a message is shown.
VYR_UI_API TMessageHandler InstallMessageBoxHandler();

/// The dialog that the handler shows for msg, not yet shown: caption and icon
/// from the message type, one button per requested button (OK when none),
/// CR LF shown as a line break, and the help context in the box's "helpCtx"
/// property. The caller owns it.
VYR_UI_API std::unique_ptr<QMessageBox> BuildMessageBox(const TMessage& msg, QWidget* parent = nullptr);

/// The modal result (TModalResult) of a QMessageBox standard button.
VYR_UI_API int ModalResultOfButton(int standardButton);

}  // namespace vyr
