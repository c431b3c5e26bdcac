// The simulator's end of the serial line: a pseudo-terminal whose device side the
// program opens as its port. The simulator keeps a descriptor of the device side
// open itself, so the program's closing and re-opening of its port never hangs up
// the line (with no device side open, reads on the controller's side fail with EIO).
#pragma once

#include <optional>
#include <string>

namespace voltander::sim {

class Pty {
 public:
  // Raw, 9600 baud, 8 data bits, no parity, 1 stop bit; the controller's side does
  // not block. Empty on failure, with the reason in error.
  static std::optional<Pty> Open(std::string& error);

  Pty(Pty&& other) noexcept;
  Pty& operator=(Pty&&) = delete;
  Pty(const Pty&) = delete;
  ~Pty();

  int controllerFd() const { return master_; }
  const std::string& devicePath() const { return device_; }
  // Bytes written by the controller that the program has not read yet.
  int unreadOnDevice() const;
  // The device goes away: the program's port sees the line hang up.
  void close();

 private:
  Pty(int master, int device, std::string path)
      : master_(master), device_fd_(device), device_(std::move(path)) {}

  int master_ = -1;
  int device_fd_ = -1;
  std::string device_;
};

}  // namespace voltander::sim
