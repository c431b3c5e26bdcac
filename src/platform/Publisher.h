// The way out to a message broker for the telemetry. The logic decides what goes
// out and when; behind this sits a client library that connects, looks up names,
// does TLS and reconnects on threads of its own, so nothing here ever waits on the
// network, and it reports back on the caller's thread.
#pragma once

#include <functional>
#include <string>

namespace voltander {

struct BrokerSettings {
  std::string host;
  int port = 1883;
  std::string user;
  std::string password;
  bool tls = false;
  std::string caFile;  // empty: the system's certificate authorities
};

struct Message {
  std::string topic;
  std::string payload;
  bool retained = false;
  int qos = 0;
};

enum class BrokerState {
  Connected,
  Disconnected,     // was connected, or stopped
  NoAnswer,         // name unknown, nothing listening, or silence
  LoginRefused,     // the broker answered and refused the user or password
  ProtocolRefused,  // the broker answered and does not take MQTT 5
  SetupFailed,      // the client library refused the values: a settings error
  TlsFailed,        // the TLS handshake, for a reason other than those below
  TlsCaFile,        // the local CA file cannot be read or holds no certificate
  TlsHostMismatch,  // the broker's certificate is for another name
  TlsUntrusted,     // the broker's certificate leads to no trusted authority
  TlsNotTls,        // what answers on the port does not speak TLS
  ProtocolBroken,   // the broker sent what a publisher never takes; dropped
};

class Publisher {
 public:
  virtual ~Publisher() = default;
  // Connects in the background and keeps reconnecting until stop(); a running
  // connection is dropped cleanly and made again with the new values. The broker
  // publishes will when the program vanishes without a clean stop().
  virtual void start(const BrokerSettings& settings, const Message& will) = 0;
  // A clean disconnect, after whatever was published before it has left.
  virtual void stop() = 0;
  // Dropped when not connected.
  virtual void publish(const Message& message) = 0;
  // The name this machine goes by, for the default topic prefix and device names.
  virtual std::string hostName() = 0;

  // Told each change, on the thread that calls the methods above.
  std::function<void(BrokerState)> onState;
};

}  // namespace voltander
