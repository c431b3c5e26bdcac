#include "history/PartedStream.h"

#include <algorithm>

namespace voltander::history {

std::string PartedStream::read(std::uint64_t offset, std::uint64_t length) const {
  std::string out;
  const std::uint64_t end = offset + length;
  for (std::size_t k = 0; k < parts_.size(); ++k) {
    const std::uint64_t from = std::max(offset, parts_[k].base);
    const std::uint64_t to = k + 1 < parts_.size() ? std::min(end, parts_[k + 1].base) : end;
    if (from < to) out += files_.read(parts_[k].name, from - parts_[k].base, to - from);
  }
  return out;
}

}  // namespace voltander::history
