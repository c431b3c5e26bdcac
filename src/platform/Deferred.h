// Work to run once the event being handled is over: a box opened in the middle of a
// reply would run the next polls and replies nested under it.
#pragma once

#include <functional>

namespace voltander {

class Deferred {
 public:
  virtual ~Deferred() = default;
  // Runs job from the event loop, after whatever is running now has returned.
  virtual void post(std::function<void()> job) = 0;
};

}  // namespace voltander
