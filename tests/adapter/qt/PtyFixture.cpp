#include "adapter/qt/PtyFixture.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cerrno>
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
  if (openpty(&master_, &slave, name, &raw, nullptr) != 0) {
    throw std::runtime_error("openpty failed");
  }
  ::close(slave);
  device_ = name;
  fcntl(master_, F_SETFD, FD_CLOEXEC);
}

Pty::~Pty() { closeMaster(); }

void Pty::send(const std::vector<std::uint8_t>& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw std::runtime_error("write to pty master failed");
    done += static_cast<std::size_t>(n);
  }
}

std::vector<std::uint8_t> Pty::receive(int quietMs) {
  std::vector<std::uint8_t> out;
  for (;;) {
    pollfd p{master_, POLLIN, 0};
    if (::poll(&p, 1, quietMs) <= 0 || !(p.revents & POLLIN)) return out;
    std::uint8_t buffer[512];
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n <= 0) return out;
    out.insert(out.end(), buffer, buffer + n);
  }
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
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(1);
  }
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
