// What the broker adapter and the dialog's connection test share over the Mosquitto
// client library: a client set up from the settings, and the library's answers told
// as the few states a user can act on. The password goes to the library only, never
// to a log line.
#pragma once

#include <QLoggingCategory>
#include <string>

#include "platform/Publisher.h"

struct mosquitto;

namespace voltander {

Q_DECLARE_LOGGING_CATEGORY(lcMqtt)

// A new client with the login, the will and TLS set; nullptr with failure filled in
// when the settings cannot be used (a CA file that is not there, say).
mosquitto* NewMosquitto(const BrokerSettings& settings, const Message* will, void* owner,
                        BrokerState& failure);
// The broker's CONNACK code, and an error of a call, as a state.
BrokerState StateOfConnack(int code);
BrokerState StateOfError(int rc);
// "host:port" and the library's words for rc, for the log.
std::string Where(const BrokerSettings& settings);
std::string ErrorText(int rc);

}  // namespace voltander
