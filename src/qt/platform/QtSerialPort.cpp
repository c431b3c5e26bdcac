#include "qt/platform/QtSerialPort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QMetaObject>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "qt/platform/LineSettings.h"
#include "qt/platform/PortNames.h"

namespace voltander {

namespace {

// How long one byte may wait for room in the device's output queue. At 9600 baud a
// byte needs about a millisecond; a line that stays blocked this long is stuck.
constexpr int kWriteBoundMs = 100;

OpenResult Failure(OpenError error, int code, std::string text) {
  return OpenResult{error, code, std::move(text)};
}

}  // namespace

QtSerialPort::QtSerialPort(CounterReader readCounters) : watch_(std::move(readCounters)) {
  QObject::connect(&serial_, &QSerialPort::readyRead, &serial_, [this] {
    if (onComm) onComm(CommEvent::Receive);
    checkLine();
  });
  QObject::connect(&serial_, &QSerialPort::errorOccurred, &serial_,
                   [this](QSerialPort::SerialPortError e) { handleError(e); });
}

QtSerialPort::~QtSerialPort() { close(); }

void QtSerialPort::setSettings(const std::string& settings) {
  // A malformed text keeps the settings in force, as a rejected property would.
  const std::optional<LineSettings> s = ParseLineSettings(settings);
  if (!s) return;
  baud_ = s->baud;
  parity_ = s->parity;
  dataBits_ = s->dataBits;
  stopBits_ = s->stopBits;
  if (serial_.isOpen()) applyLineSettings();
}

void QtSerialPort::applyLineSettings() {
  serial_.setBaudRate(baud_);
  serial_.setParity(parity_);
  serial_.setDataBits(dataBits_);
  serial_.setStopBits(stopBits_);
  serial_.setFlowControl(QSerialPort::NoFlowControl);
}

std::string QtSerialPort::deviceForComm(int n) const { return DevicePathForPort(n); }

OpenResult QtSerialPort::open(const std::string& path) {
  close();
  if (path.empty()) return Failure(OpenError::InvalidPort, kInvalidPort, "no device stands for it");
  // Every path is resolved first: the lock that keeps two openers apart is named
  // after the device, so a link and the device itself must lock the same name.
  char resolved[PATH_MAX];
  if (!realpath(path.c_str(), resolved)) {
    const int err = errno;
    if (err == EACCES) return Failure(OpenError::Other, kNoAccess, path + ": " + strerror(err));
    return Failure(OpenError::InvalidPort, kInvalidPort, path + ": " + strerror(err));
  }
  struct stat st {};
  if (stat(resolved, &st) != 0 || !S_ISCHR(st.st_mode)) {
    return Failure(OpenError::InvalidPort, kInvalidPort,
                   std::string(resolved) + ": not a character device");
  }

  serial_.setPortName(QString::fromLocal8Bit(resolved));
  applyLineSettings();
  if (!serial_.open(QIODevice::ReadWrite)) {
    const QSerialPort::SerialPortError e = serial_.error();
    const std::string text = std::string(resolved) + ": " + serial_.errorString().toStdString();
    serial_.clearError();
    switch (e) {
      case QSerialPort::DeviceNotFoundError:
      case QSerialPort::ResourceError:              // EIO: a UART node without hardware behind it
      case QSerialPort::UnsupportedOperationError:  // not a terminal line at all
        return Failure(OpenError::InvalidPort, kInvalidPort, text);
      case QSerialPort::PermissionError:
        // Qt says PermissionError both for a held lock or a busy device and for
        // missing rights; only the first is "in use".
        // AT_EACCESS: judged with the rights the opening itself used.
        if (faccessat(AT_FDCWD, resolved, R_OK | W_OK, AT_EACCESS) != 0) {
          return Failure(OpenError::Other, kNoAccess, text);
        }
        return Failure(OpenError::PortInUse, kPortInUse, text);
      default:
        return Failure(OpenError::Other, kDeviceFailed, text);
    }
  }

  // The lock file and TIOCEXCL do not stop everyone (root passes TIOCEXCL, lock
  // directories differ between systems); a lock on the device itself does.
  if (flock(static_cast<int>(serial_.handle()), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    serial_.close();
    return Failure(OpenError::PortInUse, kPortInUse,
                   std::string(resolved) + ": locked by another opener");
  }

  // Bytes that reached the device while it was closed belong to no reply of ours.
  serial_.clear(QSerialPort::Input);
  ++opening_;
  watch_.start(static_cast<int>(serial_.handle()));
  return {};
}

void QtSerialPort::close() {
  if (serial_.isOpen()) serial_.close();
}

bool QtSerialPort::isOpen() const { return serial_.isOpen(); }

bool QtSerialPort::write(std::uint8_t byte) {
  if (!serial_.isOpen()) return false;
  const char c = static_cast<char>(byte);
  if (serial_.write(&c, 1) != 1) return false;

  // The byte must be on its way before the caller's pause starts, or the pacing
  // between bytes would vanish in a buffer. flush() writes without reading, so no
  // receive event can run inside a sender.
  QElapsedTimer clock;
  clock.start();
  for (;;) {
    serial_.flush();
    if (!serial_.isOpen()) return false;
    if (serial_.bytesToWrite() == 0) {
      watch_.writeDrained();
      return true;
    }
    const qint64 left = kWriteBoundMs - clock.elapsed();
    if (left <= 0) {
      serial_.clear(QSerialPort::Output);
      if (const std::optional<LineEvent> full = watch_.writeStuck(kWriteBoundMs)) raise(*full);
      return false;
    }
    pollfd p{static_cast<int>(serial_.handle()), POLLOUT, 0};
    ::poll(&p, 1, static_cast<int>(left));
  }
}

int QtSerialPort::read() {
  if (!serial_.isOpen()) return -1;
  char c = 0;
  if (!serial_.getChar(&c)) return -1;
  return static_cast<unsigned char>(c);
}

int QtSerialPort::waiting() const {
  return serial_.isOpen() ? static_cast<int>(serial_.bytesAvailable()) : 0;
}

void QtSerialPort::setBreak(bool on) {
  if (serial_.isOpen()) serial_.setBreakEnabled(on);
}

void QtSerialPort::checkLine() {
  if (!serial_.isOpen()) return;
  for (const LineEvent& e : watch_.look(static_cast<int>(serial_.handle()))) raise(e);
}

void QtSerialPort::raise(const LineEvent& event) {
  journal_->lineEvent(event.event, event.detail);
  raise(event.event);
}

// A line event is told while the port is open, whichever opening found it: the
// re-opening that a framing error, or a poll that missed its reply, makes in between
// loses none of the events found with it. A loss is told only for the opening it
// closed, so a late one never speaks for a newer opening.
void QtSerialPort::raise(CommEvent event) {
  const unsigned opening = opening_;
  QMetaObject::invokeMethod(
      &serial_,
      [this, opening, event] {
        const bool lost = event == CommEvent::DeviceLost;
        if (lost ? opening_ != opening || serial_.isOpen() : !serial_.isOpen()) return;
        if (onComm) onComm(event);
      },
      Qt::QueuedConnection);
}

// How Qt 6 errors meet the line events. Qt 6 reports no break, framing, parity,
// overrun or modem-line conditions; LineWatch reads them from the kernel.
// - ReadError, ResourceError: the device went away. On Linux a vanished device (a
//   pseudo-terminal whose far end closed, an unplugged adapter) shows as a
//   ReadError repeated on every pass of the event loop, so the port is closed at
//   once and DeviceLost raised once, queued, after the current event.
//   A ResourceError counts only when the device has hung up.
// - WriteError: the failing write returns false to its sender; a dead device also
//   raises ReadError, which handles it.
// - Opening errors: mapped to numbers by openDevice(), never raised as events.
// - Everything else (timeouts, unsupported break control on a pseudo-terminal, ...):
//   nothing.
void QtSerialPort::handleError(QSerialPort::SerialPortError error) {
  if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError) return;
  if (!serial_.isOpen()) return;
  // Qt also says ResourceError when the output queue is merely full (EAGAIN); the
  // bounded write reports that, and the device stays.
  if (error == QSerialPort::ResourceError && !HungUp(static_cast<int>(serial_.handle()))) return;
  serial_.close();
  raise(CommEvent::DeviceLost);
}

}  // namespace voltander
