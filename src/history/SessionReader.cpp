#include "history/SessionReader.h"

#include "history/HistoryCsv.h"

namespace voltander::history {

std::size_t SessionReader::take(std::string_view text) {
  const std::size_t used = ReadCsvLines(text, [&](Entry&& e, std::size_t at) {
    timeline_.add(e, offset_ + at);
    summary_.add(e);
  });
  offset_ += used;
  return used;
}

void SessionReader::feed(std::string_view piece) {
  if (!partial_.empty() || skipping_) {
    const std::size_t feed = piece.find('\n');
    const std::size_t head = feed == std::string_view::npos ? piece.size() : feed + 1;
    // A line too long to be one is skipped without being held.
    if (skipping_ || partial_.size() + head > kLongestLine) {
      offset_ += partial_.size() + head;
      partial_.clear();
      skipping_ = feed == std::string_view::npos;
    } else {
      partial_.append(piece.substr(0, head));
      if (feed != std::string_view::npos) {
        take(partial_);
        partial_.clear();
      }
    }
    piece.remove_prefix(head);
  }
  if (!piece.empty()) {
    partial_.assign(piece.substr(take(piece)));
    if (partial_.size() > kLongestLine) {
      offset_ += partial_.size();
      partial_.clear();
      skipping_ = true;
    }
  }
  timeline_.setFileEnd(offset_);
}

}  // namespace voltander::history
