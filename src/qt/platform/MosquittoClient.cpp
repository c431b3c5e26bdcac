#include "qt/platform/MosquittoClient.h"

#include <mosquitto.h>

#include <cerrno>
#include <cstring>
#include <mutex>

namespace voltander {

Q_LOGGING_CATEGORY(lcMqtt, "voltander.mqtt", QtWarningMsg)

namespace {

// Used when the settings name no CA file; Debian keeps the hashed links here.
constexpr const char* kSystemCaPath = "/etc/ssl/certs";
constexpr int kMqttV311 = MQTT_PROTOCOL_V311;

}  // namespace

mosquitto* NewMosquitto(const BrokerSettings& s, const Message* will, void* owner,
                        BrokerState& failure) {
  static std::once_flag init;
  std::call_once(init, [] { mosquitto_lib_init(); });
  mosquitto* m = mosquitto_new(nullptr, true, owner);
  if (!m) {
    failure = BrokerState::NoAnswer;
    return nullptr;
  }
  mosquitto_int_option(m, MOSQ_OPT_PROTOCOL_VERSION, kMqttV311);
  int rc = MOSQ_ERR_SUCCESS;
  if (!s.user.empty())
    rc = mosquitto_username_pw_set(m, s.user.c_str(),
                                   s.password.empty() ? nullptr : s.password.c_str());
  if (rc == MOSQ_ERR_SUCCESS && will)
    rc = mosquitto_will_set(m, will->topic.c_str(), static_cast<int>(will->payload.size()),
                            will->payload.data(), will->qos, will->retained);
  if (rc != MOSQ_ERR_SUCCESS) {
    qCWarning(lcMqtt) << "client set-up failed:" << ErrorText(rc).c_str();
    failure = BrokerState::NoAnswer;
    mosquitto_destroy(m);
    return nullptr;
  }
  if (s.tls) {
    const bool ownCa = !s.caFile.empty();
    rc = mosquitto_tls_set(m, ownCa ? s.caFile.c_str() : nullptr, ownCa ? nullptr : kSystemCaPath,
                           nullptr, nullptr, nullptr);
    if (rc != MOSQ_ERR_SUCCESS) {
      qCWarning(lcMqtt) << "TLS set-up failed (CA file" << s.caFile.c_str()
                        << "):" << ErrorText(rc).c_str();
      failure = BrokerState::TlsFailed;
      mosquitto_destroy(m);
      return nullptr;
    }
  }
  return m;
}

BrokerState StateOfConnack(int code) {
  if (code == 0) return BrokerState::Connected;
  // 4: bad user name or password, 5: not authorised (MQTT 3.1.1).
  if (code == 4 || code == 5) return BrokerState::LoginRefused;
  return BrokerState::NoAnswer;
}

BrokerState StateOfError(int rc) {
  if (rc == MOSQ_ERR_TLS) return BrokerState::TlsFailed;
  if (rc == MOSQ_ERR_AUTH || rc == MOSQ_ERR_CONN_REFUSED) return BrokerState::LoginRefused;
  return BrokerState::NoAnswer;
}

std::string Where(const BrokerSettings& s) { return s.host + ":" + std::to_string(s.port); }

std::string ErrorText(int rc) {
  if (rc == MOSQ_ERR_ERRNO) return std::string("system error: ") + std::strerror(errno);
  return mosquitto_strerror(rc);
}

}  // namespace voltander
