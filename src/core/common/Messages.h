// Message boxes of the library.
//
// Every message the library shows goes through one replaceable handler. The
// default handler writes one line per message to standard error and answers
// OK; a user-interface layer installs a handler that shows a real dialog, and
// tests install one that records what was shown.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

#include "VyrExport.h"

namespace vyr {

/// Kind of a message box (icon and caption).
enum TMsgDlgType : std::uint8_t { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

/// One button of a message box.
enum TMsgDlgBtn : std::uint8_t {
  mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp, mbClose
};

/// Set of buttons of a message box.
class TMsgDlgButtons {
 public:
  constexpr TMsgDlgButtons() = default;
  constexpr TMsgDlgButtons(std::initializer_list<TMsgDlgBtn> buttons) {
    for (TMsgDlgBtn b : buttons) bits_ |= static_cast<std::uint16_t>(1u << b);
  }
  constexpr bool contains(TMsgDlgBtn b) const { return (bits_ >> b) & 1u; }
  constexpr bool empty() const { return bits_ == 0; }
  constexpr std::uint16_t bits() const { return bits_; }
  friend constexpr bool operator==(TMsgDlgButtons, TMsgDlgButtons) = default;

 private:
  std::uint16_t bits_ = 0;
};

/// Result of a modal dialog: the button the user pressed.
enum TModalResult : int {
  mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
  mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10, mrClose = 11
};

/// What a handler is asked to show.
struct TMessage {
  std::string Text;           ///< message text; lines are separated by CR LF
  TMsgDlgType DlgType = mtCustom;
  TMsgDlgButtons Buttons;     ///< empty for a plain box
  int HelpCtx = 0;            ///< help-context number, 0 when none
  bool Plain = false;         ///< true for ShowMessage (a box with OK only, no icon)
};

/// A message handler shows the message and returns the modal result.
using TMessageHandler = std::function<int(const TMessage&)>;

/// Installs a handler (an empty one restores the default) and returns the
/// previous one. The handler belongs to the calling thread: messages shown on
/// another thread go to that thread's handler (the default on a new thread).
VYR_API TMessageHandler SetMessageHandler(TMessageHandler handler);

/// The handler that writes one line per message to standard error and answers mrOk.
VYR_API int DefaultMessageHandler(const TMessage& msg);

/// Shows a modal message box and returns the button pressed (a TModalResult).
VYR_API int MessageDlg(const std::string& text, TMsgDlgType dlgType, TMsgDlgButtons buttons, int helpCtx);

/// Shows a plain message box with an OK button.
VYR_API void ShowMessage(const std::string& text);

/// Line break inside message texts.
inline constexpr const char* sLineBreak = "\r\n";

}  // namespace vyr
