#include "adapter/qt/PtyFixture.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <filesystem>
#include <stdexcept>

#include "qt/PortNames.h"

namespace voltander::test {

Pty::Pty() {
  termios raw{};
  cfmakeraw(&raw);
  cfsetspeed(&raw, B9600);
  int slave = -1;
  char name[256] = {};
  if (openpty(&master_, &slave, name, &raw, nullptr) != 0) throw std::runtime_error("openpty");
  ::close(slave);
  device_ = name;
  fcntl(master_, F_SETFD, FD_CLOEXEC);
}

// The tests send far less than a terminal's buffer holds, so one write takes it all.
void Pty::send(const std::vector<std::uint8_t>& bytes) {
  if (::write(master_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
    throw std::runtime_error("write to pty master failed");
  }
}

std::vector<std::uint8_t> Pty::receive(int quietMs) {
  std::vector<std::uint8_t> out;
  std::uint8_t buffer[512];
  for (pollfd p{master_, POLLIN, 0}; ::poll(&p, 1, quietMs) > 0 && (p.revents & POLLIN);) {
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n <= 0) break;
    out.insert(out.end(), buffer, buffer + n);
  }
  return out;
}

void Pty::closeMaster() {
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

PortLink::PortLink(int n, const std::string& target)
    : path_(PortLinkFolder() + "/COM" + std::to_string(n)) {
  std::filesystem::create_directories(PortLinkFolder());
  std::filesystem::remove(path_);
  std::filesystem::create_symlink(target, path_);
}

PortLink::~PortLink() {
  std::error_code ignored;
  std::filesystem::remove(path_, ignored);
}

bool ProcessEventsUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > timeoutMs) return done();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(1);
  }
  return true;
}

void ProcessEventsFor(int ms) {
  ProcessEventsUntil([] { return false; }, ms);
}

std::chrono::microseconds CpuTimeUsed() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  const auto us = [](const timeval& t) {
    return std::chrono::seconds(t.tv_sec) + std::chrono::microseconds(t.tv_usec);
  };
  return us(u.ru_utime) + us(u.ru_stime);
}

}  // namespace voltander::test
