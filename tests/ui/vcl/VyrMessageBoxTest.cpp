// The message-box handler: what the dialog shows for each kind of message,
// checked on the built box without ever opening it.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPushButton>

#include <utility>

#include "VYRtypes.h"
#include "VyrMessageBox.h"

namespace vyr::test {

struct BoxCase {
  const char* name;
  TMessage msg;
  QString caption;
  QMessageBox::Icon icon;
  QMessageBox::StandardButtons buttons;
};

void PrintTo(const BoxCase& c, std::ostream* os) { *os << c.name; }

class MessageBoxBuild : public ::testing::TestWithParam<BoxCase> {};

TEST_P(MessageBoxBuild, CaptionIconButtonsAndHelpContext) {
  const BoxCase& c = GetParam();
  const std::string title = ApplicTitle_and_Version;
  ApplicTitle_and_Version = "VYR test";
  auto box = BuildMessageBox(c.msg);
  ApplicTitle_and_Version = title;
  EXPECT_EQ(box->windowTitle(), c.caption);
  EXPECT_EQ(box->icon(), c.icon);
  EXPECT_EQ(box->standardButtons(), c.buttons);
  EXPECT_EQ(box->property("helpCtx").toInt(), c.msg.HelpCtx);
  EXPECT_FALSE(box->text().contains('\r')) << "CR LF is shown as one line break";
}

const BoxCase kBoxCases[] = {
    {"ErrorOkHelp", {"No convergence in GetT iteration in\r\nNr. 3 Component: HPT", mtError, {mbOK, mbHelp}, 81401},
     "Error", QMessageBox::Critical, QMessageBox::Ok | QMessageBox::Help},
    {"WarningYesNo", {"Overwrite?", mtWarning, {mbYes, mbNo}, 0}, "Warning", QMessageBox::Warning,
     QMessageBox::Yes | QMessageBox::No},
    {"InformationNoButtons", {"Done", mtInformation, {}, 0}, "Information", QMessageBox::Information,
     QMessageBox::Ok},
    {"ConfirmationCancel", {"Go on?", mtConfirmation, {mbOK, mbCancel}, 0}, "Confirm", QMessageBox::Question,
     QMessageBox::Ok | QMessageBox::Cancel},
    {"PlainMessage", {"Hello", mtCustom, {}, 0, true}, "VYR test", QMessageBox::NoIcon, QMessageBox::Ok},
};

INSTANTIATE_TEST_SUITE_P(Kinds, MessageBoxBuild, ::testing::ValuesIn(kBoxCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MessageBox, TwoLinesAndModalResults) {
  auto box = BuildMessageBox({"first\r\nsecond", mtError, {mbOK}, 0});
  EXPECT_EQ(box->text(), "first\nsecond");
  EXPECT_EQ(ModalResultOfButton(QMessageBox::Ok), mrOk);
  EXPECT_EQ(ModalResultOfButton(QMessageBox::No), mrNo);
  EXPECT_EQ(ModalResultOfButton(QMessageBox::NoButton), mrCancel) << "closed by Escape or the frame";
}

// Round trip: a box asked for one button shows one button of its own, and
// pressing it gives that button's modal result (mbYesToAll gives mrYesToAll,
// mbAll gives mrAll; no two buttons share a standard button).
TEST(MessageBox, EachButtonGivesItsOwnModalResult) {
  const std::pair<TMsgDlgBtn, TModalResult> pairs[] = {
      {mbYes, mrYes},     {mbNo, mrNo},       {mbOK, mrOk},           {mbCancel, mrCancel},
      {mbAbort, mrAbort}, {mbRetry, mrRetry}, {mbIgnore, mrIgnore},   {mbAll, mrAll},
      {mbNoToAll, mrNoToAll}, {mbYesToAll, mrYesToAll}, {mbClose, mrClose}};
  QMessageBox::StandardButtons seen;
  for (const auto& [btn, result] : pairs) {
    auto box = BuildMessageBox({"?", mtConfirmation, {btn}, 0});
    const QMessageBox::StandardButtons shown = box->standardButtons();
    EXPECT_EQ(shown & seen, QMessageBox::StandardButtons()) << "button " << int(btn) << " shares a standard button";
    seen |= shown;
    EXPECT_EQ(ModalResultOfButton(int(shown)), result) << "button " << int(btn);
  }
  auto all = BuildMessageBox({"?", mtConfirmation, {mbAll}, 0});
  ASSERT_EQ(all->buttons().size(), 1);
  EXPECT_EQ(all->buttons().front()->text(), "All");
}

TEST(MessageBox, InstalledHandlerRoutesLibraryMessages) {
  TMessageHandler previous = InstallMessageBoxHandler();
  TMessageHandler ours = SetMessageHandler(previous);
  EXPECT_TRUE(static_cast<bool>(ours));
}

}  // namespace vyr::test
