// Test fixture: a message handler that records every message instead of
// showing it, and restores the previous handler when it goes out of scope.
#pragma once

#include <vector>

#include "Messages.h"

namespace vyr::test {

class RecordingHandler {
 public:
  explicit RecordingHandler(int answer = mrOk) : answer_(answer) {
    previous_ = SetMessageHandler([this](const TMessage& m) {
      messages.push_back(m);
      return answer_;
    });
  }
  ~RecordingHandler() { SetMessageHandler(std::move(previous_)); }
  RecordingHandler(const RecordingHandler&) = delete;
  RecordingHandler& operator=(const RecordingHandler&) = delete;

  std::vector<TMessage> messages;

 private:
  int answer_;
  TMessageHandler previous_;
};

}  // namespace vyr::test
