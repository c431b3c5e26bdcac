#include "Pty.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace voltander::sim {

namespace {

std::string Why(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

bool SetLine(int fd, std::string& error) {
  termios t{};
  if (tcgetattr(fd, &t) != 0) {
    error = Why("tcgetattr");
    return false;
  }
  cfmakeraw(&t);
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  t.c_cflag |= CS8 | CREAD | CLOCAL;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  if (cfsetispeed(&t, B9600) != 0 || cfsetospeed(&t, B9600) != 0 ||
      tcsetattr(fd, TCSANOW, &t) != 0) {
    error = Why("tcsetattr");
    return false;
  }
  return true;
}

}  // namespace

std::optional<Pty> Pty::Open(std::string& error) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master < 0) {
    error = Why("posix_openpt");
    return std::nullopt;
  }
  char name[256] = {};
  if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0) {
    error = Why("pseudo-terminal set-up");
    ::close(master);
    return std::nullopt;
  }
  const int device = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (device < 0) {
    error = Why(name);
    ::close(master);
    return std::nullopt;
  }
  if (!SetLine(device, error)) {
    ::close(device);
    ::close(master);
    return std::nullopt;
  }
  return Pty(master, device, name);
}

Pty::Pty(Pty&& other) noexcept
    : master_(other.master_), device_fd_(other.device_fd_), device_(std::move(other.device_)) {
  other.master_ = -1;
  other.device_fd_ = -1;
}

Pty::~Pty() { close(); }

int Pty::unreadOnDevice() const {
  int n = 0;
  return device_fd_ >= 0 && ioctl(device_fd_, FIONREAD, &n) == 0 ? n : 0;
}

void Pty::close() {
  if (master_ >= 0) ::close(master_);
  if (device_fd_ >= 0) ::close(device_fd_);
  master_ = -1;
  device_fd_ = -1;
}

}  // namespace voltander::sim
