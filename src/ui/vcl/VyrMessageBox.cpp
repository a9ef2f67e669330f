#include "VyrMessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QString>

#include "VYRtypes.h"

namespace vyr {

namespace {

THelpHandler& HelpHandler() {
  static THelpHandler handler;
  return handler;
}

struct ButtonMap {
  TMsgDlgBtn Btn;
  QMessageBox::StandardButton Qt;
  TModalResult Result;
};

// mbHelp is not a closing button; it is handled apart. Every button has a
// standard button of its own, so that the one pressed gives its own result:
// Qt has no "All" button, so mbAll takes SaveAll and is captioned "All".
constexpr ButtonMap kButtons[] = {
    {mbYes, QMessageBox::Yes, mrYes},           {mbNo, QMessageBox::No, mrNo},
    {mbOK, QMessageBox::Ok, mrOk},              {mbCancel, QMessageBox::Cancel, mrCancel},
    {mbAbort, QMessageBox::Abort, mrAbort},     {mbRetry, QMessageBox::Retry, mrRetry},
    {mbIgnore, QMessageBox::Ignore, mrIgnore},  {mbAll, QMessageBox::SaveAll, mrAll},
    {mbNoToAll, QMessageBox::NoToAll, mrNoToAll}, {mbYesToAll, QMessageBox::YesToAll, mrYesToAll},
    {mbClose, QMessageBox::Close, mrClose},
};

QString Caption(const TMessage& msg) {
  if (msg.Plain || msg.DlgType == mtCustom) {
    if (!ApplicTitle_and_Version.empty()) return QString::fromStdString(ApplicTitle_and_Version);
    return QApplication::applicationName();
  }
  switch (msg.DlgType) {
    case mtWarning: return QStringLiteral("Warning");
    case mtError: return QStringLiteral("Error");
    case mtInformation: return QStringLiteral("Information");
    case mtConfirmation: return QStringLiteral("Confirm");
    default: return {};
  }
}

QMessageBox::Icon IconOf(const TMessage& msg) {
  if (msg.Plain) return QMessageBox::NoIcon;
  switch (msg.DlgType) {
    case mtWarning: return QMessageBox::Warning;
    case mtError: return QMessageBox::Critical;
    case mtInformation: return QMessageBox::Information;
    case mtConfirmation: return QMessageBox::Question;
    default: return QMessageBox::NoIcon;
  }
}

}  // namespace

THelpHandler SetHelpHandler(THelpHandler handler) {
  THelpHandler previous = std::move(HelpHandler());
  HelpHandler() = std::move(handler);
  return previous;
}

int ModalResultOfButton(int standardButton) {
  for (const ButtonMap& b : kButtons)
    if (b.Qt == standardButton) return b.Result;
  return mrCancel;  // closed by the window frame or Escape
}

std::unique_ptr<QMessageBox> BuildMessageBox(const TMessage& msg, QWidget* parent) {
  auto box = std::make_unique<QMessageBox>(parent);
  box->setWindowTitle(Caption(msg));
  box->setIcon(IconOf(msg));
  QString text = QString::fromStdString(msg.Text);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  box->setText(text);
  box->setTextFormat(Qt::PlainText);
  QMessageBox::StandardButtons buttons;
  if (!msg.Plain)
    for (const ButtonMap& b : kButtons)
      if (msg.Buttons.contains(b.Btn)) buttons |= b.Qt;
  if (buttons == QMessageBox::NoButton) buttons = QMessageBox::Ok;
  if (!msg.Plain && msg.Buttons.contains(mbHelp)) buttons |= QMessageBox::Help;
  box->setStandardButtons(buttons);
  if (QAbstractButton* all = box->button(QMessageBox::SaveAll)) all->setText(QStringLiteral("All"));
  box->setProperty("helpCtx", msg.HelpCtx);
  return box;
}

TMessageHandler InstallMessageBoxHandler() {
  return SetMessageHandler([](const TMessage& msg) -> int {
    // Help shows the help topic and brings the box back, as users expect.
    for (;;) {
      auto box = BuildMessageBox(msg, QApplication::activeWindow());
      const int pressed = box->exec();
      if (pressed != QMessageBox::Help) return ModalResultOfButton(pressed);
      if (HelpHandler()) HelpHandler()(msg.HelpCtx);
    }
  });
}

}  // namespace vyr
