#include "Messages.h"

#include <cstdio>
#include <utility>

namespace vyr {

namespace {

TMessageHandler& CurrentHandler() {
  // Function-local so that the handler exists before any unit's start-up code
  // may report something. One per thread: a calculation that collects its
  // messages (an engine component, a point of a sweep) swaps the handler, and
  // engines calculated on several threads at once must not see each other's.
  thread_local TMessageHandler handler;
  return handler;
}

const char* TypeName(const TMessage& msg) {
  if (msg.Plain) return "Message";
  switch (msg.DlgType) {
    case mtWarning: return "Warning";
    case mtError: return "Error";
    case mtInformation: return "Information";
    case mtConfirmation: return "Confirmation";
    case mtCustom: break;
  }
  return "Message";
}

}  // namespace

TMessageHandler SetMessageHandler(TMessageHandler handler) {
  return std::exchange(CurrentHandler(), std::move(handler));
}

int DefaultMessageHandler(const TMessage& msg) {
  // One line per message: the line breaks of the text become " | ".
  std::string line;
  line.reserve(msg.Text.size() + 32);
  for (std::size_t i = 0; i < msg.Text.size(); ++i) {
    const char c = msg.Text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < msg.Text.size() && msg.Text[i + 1] == '\n') ++i;
      line += " | ";
    } else {
      line += c;
    }
  }
  if (msg.HelpCtx != 0)
    std::fprintf(stderr, "vyrcomp %s: %s [help %d]\n", TypeName(msg), line.c_str(), msg.HelpCtx);
  else
    std::fprintf(stderr, "vyrcomp %s: %s\n", TypeName(msg), line.c_str());
  std::fflush(stderr);
  return mrOk;
}

int MessageDlg(const std::string& text, TMsgDlgType dlgType, TMsgDlgButtons buttons, int helpCtx) {
  TMessage msg{text, dlgType, buttons, helpCtx, false};
  const TMessageHandler& h = CurrentHandler();
  return h ? h(msg) : DefaultMessageHandler(msg);
}

void ShowMessage(const std::string& text) {
  TMessage msg{text, mtCustom, TMsgDlgButtons{mbOK}, 0, true};
  const TMessageHandler& h = CurrentHandler();
  if (h)
    h(msg);
  else
    DefaultMessageHandler(msg);
}

}  // namespace vyr
