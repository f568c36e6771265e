#include "app/ProgressWindow.hpp"

#include <algorithm>

namespace trovex {

void TProgressWindow::BeginEntry(int index, int count, bool follow) {
  index_ = index;
  count_ = std::max(count, 1);
  following_ = follow;
}

void TProgressWindow::SetBarPosition(Bar bar, int position) {
  window_.SetBarPosition(bar, position);
  if (bar != Bar::Progress || !following_) return;
  const int share = std::clamp(position, 0, 100);
  window_.SetBarPosition(Bar::Total, (index_ * 100 + share) / count_);
}

}  // namespace trovex
