// What the broker adapter and the dialog's connection test share over the Mosquitto
// client library: a client set up and connected from the settings in one way for
// both, and the library's answers told as the few states a user can act on. The
// password goes to the library only, never to a log line.
//
// The program takes nothing from the broker, yet a client library stores an inbound
// QoS 2 message until the broker releases it. So every connection is MQTT 5 with a
// Receive Maximum of one and a small Maximum Packet Size: a broker that sends more
// has broken the protocol, and the library drops the connection itself.
#pragma once

#include <QLoggingCategory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/Publisher.h"

struct mosquitto;

namespace voltander {

Q_DECLARE_LOGGING_CATEGORY(lcMqtt)

// What the library's callbacks tell during one attempt, on the thread that runs it.
struct ClientEvents {
  std::mutex mutex;
  std::optional<int> connack;  // the broker's answer to the login
  bool brokeProtocol = false;  // the broker sent a message
  // What OpenSSL made of the last failed handshake.
  BrokerState tls = BrokerState::TlsFailed;
};

// A new client with the login, the will and TLS set; nullptr with failure filled in
// when the settings cannot be used (SetupFailed, or TlsCaFile for a CA file that is
// missing or holds no certificate).
mosquitto* NewMosquitto(const BrokerSettings& settings, const Message* will, ClientEvents& events,
                        BrokerState& failure);
// A blocking connect as every connection makes it; the library's result.
int ConnectMosquitto(mosquitto* client, const BrokerSettings& settings);
// The broker's CONNACK code (MQTT 3.1.1 or 5), and an error of a call, as a state.
BrokerState StateOfConnack(int code);
BrokerState StateOfError(int rc, const ClientEvents& events);
// An error that ends a working connection because of what the broker sent.
bool BrokeProtocol(int rc);
// "host:port" and the library's words for rc, for the log.
std::string Where(const BrokerSettings& settings);
std::string ErrorText(int rc);

}  // namespace voltander
