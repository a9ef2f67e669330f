// Test fixtures of the canvas tests: bare icons and links, and a scripted
// station-number dialog.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QWidget>

#include "NumInputQuery.h"
#include "vyrcompl.h"

namespace vyr::test {

/// A link of type type at (left, top) on icon, named after its type.
inline TVYRLink* AddLink(TVYRcomp* icon, TLinktype type, int left, int top, double station = -1) {
  auto* l = new TVYRLink(icon);
  l->setObjectName(QString::fromStdString(LinktypeName(type)));
  l->SetLtype(type);
  l->move(left, top);
  l->SetStation(station);
  return l;
}

/// A 70 by 70 icon without form named name at pos on canvas.
inline TVYRcomp* AddIcon(QWidget* canvas, const std::string& name, QPoint pos = {0, 0},
                         TCompType type = ctModelComp) {
  auto* c = new TVYRcomp(canvas);
  c->setObjectName(QString::fromStdString(name));
  c->SetCompType(type);
  c->move(pos);
  return c;
}

/// Runs the queued work of the event loop (posted station questions).
inline void RunPosted() { QCoreApplication::processEvents(); }

/// Answers number-input questions from a script and records them; restores
/// the previous handler when it goes out of scope.
class ScriptedNumInput {
 public:
  struct Answer {
    bool Ok;
    double Value;
  };
  explicit ScriptedNumInput(std::deque<Answer> answers = {}) : answers_(std::move(answers)) {
    previous_ = SetNumInputHandler([this](const TNumInputRequest& r, double& v) {
      requests.push_back(r);
      if (answers_.empty()) return false;
      const Answer a = answers_.front();
      answers_.pop_front();
      v = a.Value;
      return a.Ok;
    });
  }
  ~ScriptedNumInput() { SetNumInputHandler(std::move(previous_)); }
  ScriptedNumInput(const ScriptedNumInput&) = delete;
  ScriptedNumInput& operator=(const ScriptedNumInput&) = delete;

  std::vector<TNumInputRequest> requests;

 private:
  std::deque<Answer> answers_;
  TNumInputHandler previous_;
};

}  // namespace vyr::test
