#include "tessara7/shell/notice.h"

#include <memory>

namespace tessara {

Notice::Notice(Services services)
    : s_(std::move(services)),
      window_([this] { return std::make_unique<FrmError>(s_.runtime, s_.state, s_.shell, s_.registry); }) {}

void Notice::show(std::string text) {
  s_.state.NoticeText = std::move(text);
  window_->show();
}

std::string Notice::ask(std::string text) {
  show(std::move(text));
  // Wait for the window to go, letting everything else run meanwhile.
  while (FrmError* notice = window_.peek()) {
    if (!notice->visible() || s_.ended()) break;
    s_.waitEvents();
  }
  std::string answer = s_.state.NoticeAnswer;
  s_.state.NoticeAnswer.clear();
  return answer;
}

}  // namespace tessara
