// NumInputQuery: the request a handler sees, and what reaches the caller's
// value for confirmed, cancelled and unacceptable answers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTimer>

#include "NumInputQuery.h"

namespace vyr::test {

// Answers every question with a fixed reply and remembers the last request.
class ScriptedInput {
 public:
  ScriptedInput(bool ok, double answer) {
    previous_ = SetNumInputHandler([this, ok, answer](const TNumInputRequest& r, double& v) {
      last = r;
      ++calls;
      v = answer;
      return ok;
    });
  }
  ~ScriptedInput() { SetNumInputHandler(std::move(previous_)); }
  TNumInputRequest last;
  int calls = 0;

 private:
  TNumInputHandler previous_;
};

TEST(NumInputQuery, HandlerSeesTheArguments) {
  ScriptedInput input(true, 7);
  double v = 3;
  EXPECT_TRUE(NumInputQuery("App  Nr. 1 Component: Inlet", "Enter  Out1  station number:", 27060, 0, 0, 0.0,
                            10000.0, v));
  EXPECT_EQ(v, 7);
  EXPECT_EQ(input.last.Caption, "App  Nr. 1 Component: Inlet");
  EXPECT_EQ(input.last.Prompt, "Enter  Out1  station number:");
  EXPECT_EQ(input.last.HelpCtx, 27060);
  EXPECT_EQ(input.last.Value, 3);
  EXPECT_EQ(input.last.Upper, 10000.0);
}

struct AnswerCase {
  const char* name;
  bool ok;
  double answer;
  int numType;
  bool expected;
  double expectedValue;
};

void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }

class NumInputAnswers : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(NumInputAnswers, OnlyAcceptableConfirmedAnswersReachTheValue) {
  const AnswerCase& c = GetParam();
  ScriptedInput input(c.ok, c.answer);
  double v = 2;
  EXPECT_EQ(NumInputQuery("c", "p", 27060, c.numType, 0, 0.0, 100.0, v), c.expected);
  EXPECT_EQ(v, c.expectedValue);
}

const AnswerCase kAnswers[] = {
    {"Confirmed", true, 45, 0, true, 45},
    {"ConfirmedFraction", true, 4.5, 0, true, 4.5},
    {"LowerBound", true, 0, 0, true, 0},
    {"UpperBound", true, 100, 0, true, 100},
    {"Cancelled", false, 45, 0, false, 2},
    {"BelowRange", true, -0.1, 0, false, 2},
    {"AboveRange", true, 100.5, 0, false, 2},
    {"NaN", true, std::numeric_limits<double>::quiet_NaN(), 0, false, 2},
    {"Infinity", true, std::numeric_limits<double>::infinity(), 0, false, 2},
    {"IntegerWanted", true, 4.5, 1, false, 2},
    {"IntegerGiven", true, 4, 1, true, 4},
};

INSTANTIATE_TEST_SUITE_P(Answers, NumInputAnswers, ::testing::ValuesIn(kAnswers),
                         [](const auto& info) { return std::string(info.param.name); });

// The real dialog, answered by typing into it: the decimal separator of the
// request decides, not the user's locale.
TEST(NumInputQuery, DialogParsesWithTheGivenSeparator) {
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  for (const auto& [sep, typed, expected] :
       {std::tuple{'.', "12.5", 12.5}, std::tuple{',', "12,5", 12.5}, std::tuple{'.', "12,5", -1.0}}) {
    QTimer::singleShot(0, [typed = QString(typed)] {
      auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dlg, nullptr);
      auto* edit = dlg->findChild<QLineEdit*>("ValueEdit");
      edit->setText(typed);
      dlg->accept();
    });
    TNumInputRequest r{"c", "p", 0, 0, 0, 0.0, 100.0, 1.0, {sep, ' '}};
    double v = -1;
    const bool ok = DialogNumInputHandler(r, v);
    EXPECT_EQ(ok, expected >= 0) << typed;
    EXPECT_EQ(v, expected) << typed;
  }
  QLocale::setDefault(QLocale::c());
}

}  // namespace vyr::test
