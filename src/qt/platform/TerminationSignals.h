// SIGTERM, SIGINT and SIGHUP ask the program to end the way its exit command does,
// so the settings are still written. The signal handler only writes a byte to a
// pipe; the request itself runs later on the user-interface thread.
#pragma once

#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace voltander {

class TerminationSignals {
 public:
  // onRequest runs on the event loop, once per signal received.
  explicit TerminationSignals(std::function<void()> onRequest);
  ~TerminationSignals();
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

  // Whether the handlers are in place (the pipe could be made).
  bool active() const { return notifier_ != nullptr; }

 private:
  std::function<void()> onRequest_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace voltander
