#include "support/StandInBroker.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <utility>

namespace voltander::test {

namespace {

sockaddr_in Loopback(int port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<std::uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return a;
}

// A packet with MQTT's variable-length "remaining length".
std::string Packet(char type, const std::string& body) {
  std::string length;
  for (std::size_t n = body.size(); n > 0 || length.empty(); n /= 128)
    length += static_cast<char>(n % 128 | (n >= 128 ? 0x80 : 0));
  return type + length + body;
}

}  // namespace

StandInBroker::StandInBroker(Mode mode, int messages, int payloadBytes)
    : messages_(messages), payloadBytes_(payloadBytes) {
  listener_ = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a = Loopback(0);
  socklen_t len = sizeof a;
  // A queue of none takes one connection, then the kernel drops every further request.
  if (bind(listener_, reinterpret_cast<sockaddr*>(&a), len) != 0 ||
      listen(listener_, mode == Mode::Full ? 0 : 8) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len) != 0 || pipe(stop_) != 0)
    throw std::runtime_error("no stand-in broker");
  port_ = ntohs(a.sin_port);
  if (mode == Mode::Full) {
    filler_ = socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in to = Loopback(port_);
    if (connect(filler_, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0)
      throw std::runtime_error("cannot fill the stand-in's queue");
  }
  if (mode == Mode::Flood) server_ = std::thread([this] { flood(); });
}

StandInBroker::~StandInBroker() {
  static_cast<void>(write(stop_[1], "x", 1));
  if (server_.joinable()) server_.join();
  for (const int fd : {listener_, filler_, stop_[0], stop_[1]})
    if (fd >= 0) close(fd);
}

std::string StandInBroker::taken() {
  std::string bytes;
  fcntl(listener_, F_SETFL, O_NONBLOCK);
  for (int fd; (fd = accept(listener_, nullptr, nullptr)) >= 0; close(fd)) {
    char buffer[4096];
    for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT)) > 0;)
      bytes.append(buffer, static_cast<std::size_t>(n));
  }
  return bytes;
}

// One connection at a time: the login read and accepted (an MQTT 5 CONNACK), the
// flood of QoS 2 publishes to "x", each with its own packet id, then whatever the
// client sends until it ends the connection.
void StandInBroker::flood() {
  const std::string payload(static_cast<std::size_t>(payloadBytes_), 'p');
  for (;;) {
    pollfd wait[] = {{listener_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
    if (poll(wait, 2, -1) < 0 || wait[1].revents) return;
    const int fd = accept(listener_, nullptr, nullptr);
    char buffer[4096];
    bool flooded = false;
    for (;;) {
      pollfd read[] = {{fd, POLLIN, 0}, {stop_[0], POLLIN, 0}};
      if (poll(read, 2, -1) < 0 || read[1].revents || recv(fd, buffer, sizeof buffer, 0) <= 0) break;
      if (std::exchange(flooded, true)) continue;
      bool open = sendAll(fd, Packet('\x20', std::string(3, '\0')));
      for (int id = 1; open && id <= messages_; ++id)
        open = sendAll(fd, Packet('\x34', std::string("\0\1x", 3) + static_cast<char>(id >> 8) +
                                             static_cast<char>(id & 0xFF) + '\0' + payload));
    }
    close(fd);
  }
}

// False once the client is gone or the stand-in stops.
bool StandInBroker::sendAll(int fd, const std::string& bytes) {
  for (std::size_t sent = 0; sent < bytes.size();) {
    pollfd wait[] = {{fd, POLLOUT, 0}, {stop_[0], POLLIN, 0}};
    if (poll(wait, 2, -1) < 0 || wait[1].revents) return false;
    const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0 && errno == EAGAIN) continue;
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace voltander::test
