// A session written in parts, read back as one stream: each part's bytes follow the
// previous part's, so an offset into the stream names one part and a place in it,
// and the timeline's index needs to know nothing of parts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/SessionFiles.h"

namespace voltander::history {

class PartedStream {
 public:
  struct Part {
    std::string name;
    std::uint64_t base = 0;  // where its bytes start in the stream
    double first = 0;        // when its first entry was taken
  };

  explicit PartedStream(SessionFiles& files) : files_(files) {}

  // In the order they were written; a part that is gone may be taken out.
  std::vector<Part>& parts() { return parts_; }
  // The bytes [offset, offset + length) of the stream, each from the part it falls
  // in; where no part is left, nothing.
  std::string read(std::uint64_t offset, std::uint64_t length) const;

 private:
  SessionFiles& files_;
  std::vector<Part> parts_;
};

}  // namespace voltander::history
