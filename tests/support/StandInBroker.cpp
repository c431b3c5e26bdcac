#include "support/StandInBroker.h"

#include "support/Broker.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace voltander::test {

namespace {

// A packet with MQTT's variable-length "remaining length".
std::string Packet(char type, const std::string& body) {
  std::string length;
  for (std::size_t n = body.size(); n > 0 || length.empty(); n /= 128)
    length += static_cast<char>(n % 128 | (n >= 128 ? 0x80 : 0));
  return type + length + body;
}

bool SendAll(int fd, const std::string& bytes) {
  return send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

}  // namespace

StandInBroker::StandInBroker(Mode mode, int messages, int payloadBytes, int qos) {
  listener_ = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a = Loopback(0);
  socklen_t len = sizeof a;
  // A queue of none takes one connection, then the kernel drops every further request.
  if (bind(listener_, reinterpret_cast<sockaddr*>(&a), len) != 0 ||
      listen(listener_, mode == Mode::Full ? 0 : 8) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
    throw std::runtime_error("no stand-in broker");
  port_ = ntohs(a.sin_port);
  if (mode == Mode::Full) {
    filler_ = socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in to = Loopback(port_);
    if (connect(filler_, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0)
      throw std::runtime_error("cannot fill the stand-in's queue");
  }
  if (mode == Mode::Flood)
    server_ = std::thread([=, this] { flood(messages, payloadBytes, qos); });
}

StandInBroker::~StandInBroker() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    if (client_ >= 0) shutdown(client_, SHUT_RDWR);
  }
  shutdown(listener_, SHUT_RDWR);
  if (server_.joinable()) server_.join();
  for (const int fd : {listener_, filler_})
    if (fd >= 0) close(fd);
}

std::string StandInBroker::taken(int waitMs) {
  pollfd pending{listener_, POLLIN, 0};
  poll(&pending, 1, waitMs);
  std::string bytes;
  fcntl(listener_, F_SETFL, O_NONBLOCK);
  for (int fd; (fd = accept(listener_, nullptr, nullptr)) >= 0; close(fd)) {
    // A connection may be taken before its first bytes arrive; a client sends at once.
    pollfd ready{fd, POLLIN, 0};
    poll(&ready, 1, 1000);
    char buffer[4096];
    for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT)) > 0;)
      bytes.append(buffer, static_cast<std::size_t>(n));
  }
  return bytes;
}

// The login read and accepted (an MQTT 5 CONNACK), the messages sent one at a time,
// each with its own packet id, then whatever the client sends until it ends.
void StandInBroker::flood(int messages, int payloadBytes, int qos) {
  const int fd = accept(listener_, nullptr, nullptr);
  if (fd < 0) return;
  {
    std::lock_guard lock(mutex_);
    if (stopping_) shutdown(fd, SHUT_RDWR);
    client_ = fd;
  }
  char buffer[4096];
  bool open = recv(fd, buffer, sizeof buffer, 0) > 0 && SendAll(fd, Packet('\x20', std::string(3, '\0')));
  for (int i = 1; open && i <= messages; ++i) {
    const std::string id = qos > 0 ? std::string{static_cast<char>(i >> 8), static_cast<char>(i)} : "";
    open = SendAll(fd, Packet(static_cast<char>(0x30 | qos << 1),
                              std::string("\0\1x", 3) + id + '\0' +
                                  std::string(static_cast<std::size_t>(payloadBytes), 'p')));
  }
  while (open && recv(fd, buffer, sizeof buffer, 0) > 0) {
  }
  close(fd);
}

}  // namespace voltander::test
