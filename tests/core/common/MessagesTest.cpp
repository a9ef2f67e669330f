#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "Messages.h"
#include "common/RecordingHandler.h"

namespace vyr {
namespace {

TEST(Messages, DialogReachesTheHandlerAndReturnsItsAnswer) {
  test::RecordingHandler rec(mrYes);
  const int answer = MessageDlg("line 1\r\nline 2", mtWarning, {mbYes, mbNo, mbHelp}, 4711);
  EXPECT_EQ(answer, mrYes);
  ASSERT_EQ(rec.messages.size(), 1u);
  const TMessage& m = rec.messages[0];
  EXPECT_EQ(m.Text, "line 1\r\nline 2");
  EXPECT_EQ(m.DlgType, mtWarning);
  EXPECT_EQ(m.Buttons, (TMsgDlgButtons{mbYes, mbNo, mbHelp}));
  EXPECT_TRUE(m.Buttons.contains(mbHelp));
  EXPECT_FALSE(m.Buttons.contains(mbOK));
  EXPECT_EQ(m.HelpCtx, 4711);
  EXPECT_FALSE(m.Plain);
}

TEST(Messages, ShowMessageIsAPlainBoxWithOk) {
  test::RecordingHandler rec;
  ShowMessage("plain text");
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_TRUE(rec.messages[0].Plain);
  EXPECT_EQ(rec.messages[0].Text, "plain text");
  EXPECT_EQ(rec.messages[0].Buttons, TMsgDlgButtons{mbOK});
  EXPECT_EQ(rec.messages[0].HelpCtx, 0);
}

TEST(Messages, SetHandlerReturnsThePreviousOne) {
  int firstCalls = 0;
  TMessageHandler original = SetMessageHandler([&](const TMessage&) { ++firstCalls; return int(mrOk); });
  TMessageHandler first = SetMessageHandler([](const TMessage&) { return int(mrCancel); });
  EXPECT_EQ(MessageDlg("x", mtError, {mbOK}, 0), mrCancel);
  ASSERT_TRUE(first);
  EXPECT_EQ(first(TMessage{}), mrOk);
  EXPECT_EQ(firstCalls, 1);
  SetMessageHandler(std::move(original));
}

// Engines calculated on several threads collect their messages each on its
// own thread: a handler serves the thread that installed it.
TEST(Messages, HandlerServesOnlyTheThreadThatInstalledIt) {
  test::RecordingHandler here;
  std::vector<std::string> there;
  std::thread other([&] {
    TMessageHandler previous = SetMessageHandler([&](const TMessage& m) {
      there.push_back(m.Text);
      return int(mrOk);
    });
    EXPECT_FALSE(previous);  // a new thread starts with the default
    ShowMessage("on the worker");
    SetMessageHandler(std::move(previous));
  });
  other.join();
  ShowMessage("on this thread");
  ASSERT_EQ(here.messages.size(), 1u);
  EXPECT_EQ(here.messages[0].Text, "on this thread");
  EXPECT_EQ(there, std::vector<std::string>{"on the worker"});
}

TEST(Messages, DefaultHandlerWritesOneLineToStandardErrorAndAnswersOk) {
  TMessageHandler previous = SetMessageHandler(nullptr);  // the default
  testing::internal::CaptureStderr();
  const int answer = MessageDlg("No convergence in GetT iteration in\r\nNr. 3 Component: HPT", mtError,
                                {mbOK, mbHelp}, 81401);
  ShowMessage("second");
  const std::string out = testing::internal::GetCapturedStderr();
  SetMessageHandler(std::move(previous));
  EXPECT_EQ(answer, mrOk);
  EXPECT_EQ(out,
            "vyrcomp Error: No convergence in GetT iteration in | Nr. 3 Component: HPT [help 81401]\n"
            "vyrcomp Message: second\n");
}

}  // namespace
}  // namespace vyr
