#include "qt/platform/MosquittoClient.h"

#include <mosquitto.h>
#include <mqtt_protocol.h>
#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace voltander {

Q_LOGGING_CATEGORY(lcMqtt, "voltander.mqtt", QtWarningMsg)

namespace {

// Used when the settings name no CA file; Debian keeps the hashed links here.
constexpr const char* kSystemCaPath = "/etc/ssl/certs";
// Inbound QoS 1 and 2 messages the library may hold at once (the least MQTT 5 allows).
constexpr int kReceiveMaximum = 1;
// Only acknowledgements are meant to come in; a CONNACK with a reason fits easily.
constexpr int kMaximumPacketBytes = 4096;

// The CA file as OpenSSL would load it: a folder, an unreadable file or one with no
// certificate in it fails here, before any connection.
bool CaFileLoads(const std::string& file) {
  const std::unique_ptr<SSL_CTX, void (*)(SSL_CTX*)> ctx(SSL_CTX_new(TLS_client_method()),
                                                         SSL_CTX_free);
  return ctx && SSL_CTX_load_verify_locations(ctx.get(), file.c_str(), nullptr) == 1;
}

// A failed handshake as the user can act on it, read while the library still holds
// the TLS connection (it frees it once the error is logged).
BrokerState HandshakeFailure(SSL* ssl) {
  switch (SSL_get_verify_result(ssl)) {
    case X509_V_OK:
      break;
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
    // libmosquitto checks the name itself and refuses the chain without a reason.
    case X509_V_ERR_UNSPECIFIED:
      return BrokerState::TlsHostMismatch;
    default:
      return BrokerState::TlsUntrusted;
  }
  // No server hello came back: whatever answers there is not TLS.
  return SSL_get_state(ssl) == TLS_ST_CW_CLNT_HELLO ? BrokerState::TlsNotTls
                                                    : BrokerState::TlsFailed;
}

void OnLog(mosquitto* m, void* owner, int level, const char*) {
  if (!(level & MOSQ_LOG_ERR)) return;
  if (auto* ssl = static_cast<SSL*>(mosquitto_ssl_get(m))) {
    auto* events = static_cast<ClientEvents*>(owner);
    std::lock_guard lock(events->mutex);
    events->tls = HandshakeFailure(ssl);
  }
}

void OnConnect(mosquitto*, void* owner, int code) {
  auto* events = static_cast<ClientEvents*>(owner);
  std::lock_guard lock(events->mutex);
  events->connack = code;
}

// Nothing is subscribed, so any message is the broker's doing.
void OnMessage(mosquitto* m, void* owner, const mosquitto_message*) {
  auto* events = static_cast<ClientEvents*>(owner);
  {
    std::lock_guard lock(events->mutex);
    events->brokeProtocol = true;
  }
  mosquitto_disconnect(m);
}

}  // namespace

mosquitto* NewMosquitto(const BrokerSettings& s, const Message* will, ClientEvents& events,
                        BrokerState& failure) {
  static std::once_flag init;
  std::call_once(init, [] { mosquitto_lib_init(); });
  failure = BrokerState::SetupFailed;
  if (s.tls && !s.caFile.empty() && !CaFileLoads(s.caFile)) {
    qCWarning(lcMqtt) << "a CA tanúsítványfájlban nincs használható tanúsítvány:" << s.caFile.c_str();
    failure = BrokerState::TlsCaFile;
    return nullptr;
  }
  mosquitto* m = mosquitto_new(nullptr, true, &events);
  if (!m) return nullptr;
  mosquitto_int_option(m, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V5);
  mosquitto_int_option(m, MOSQ_OPT_RECEIVE_MAXIMUM, kReceiveMaximum);
  mosquitto_connect_callback_set(m, OnConnect);
  mosquitto_message_callback_set(m, OnMessage);
  mosquitto_log_callback_set(m, OnLog);
  int rc = MOSQ_ERR_SUCCESS;
  if (!s.user.empty())
    rc = mosquitto_username_pw_set(m, s.user.c_str(),
                                   s.password.empty() ? nullptr : s.password.c_str());
  if (rc == MOSQ_ERR_SUCCESS && will)
    rc = mosquitto_will_set(m, will->topic.c_str(), static_cast<int>(will->payload.size()),
                            will->payload.data(), will->qos, will->retained);
  if (rc == MOSQ_ERR_SUCCESS && s.tls) {
    const bool ownCa = !s.caFile.empty();
    rc = mosquitto_tls_set(m, ownCa ? s.caFile.c_str() : nullptr, ownCa ? nullptr : kSystemCaPath,
                           nullptr, nullptr, nullptr);
  }
  if (rc != MOSQ_ERR_SUCCESS) {
    qCWarning(lcMqtt) << "ezekkel a beállításokkal nem hozható létre a kliens:" << ErrorText(rc).c_str();
    mosquitto_destroy(m);
    return nullptr;
  }
  return m;
}

int ConnectMosquitto(mosquitto* m, const BrokerSettings& s) {
  constexpr int kKeepAliveSeconds = 30;
  mosquitto_property* properties = nullptr;
  mosquitto_property_add_int32(&properties, MQTT_PROP_MAXIMUM_PACKET_SIZE, kMaximumPacketBytes);
  const int rc = mosquitto_connect_bind_v5(m, s.host.c_str(), s.port, kKeepAliveSeconds, nullptr,
                                           properties);
  mosquitto_property_free_all(&properties);
  return rc;
}

BrokerState StateOfConnack(int code) {
  switch (code) {
    case 0:
      return BrokerState::Connected;
    // 3.1.1: bad user name or password, not authorised; 5: the same.
    case 4:
    case 5:
    case MQTT_RC_BAD_USERNAME_OR_PASSWORD:
    case MQTT_RC_NOT_AUTHORIZED:
      return BrokerState::LoginRefused;
    case 1:
    case MQTT_RC_UNSUPPORTED_PROTOCOL_VERSION:
      return BrokerState::ProtocolRefused;
    default:
      return BrokerState::NoAnswer;
  }
}

BrokerState StateOfError(int rc, const ClientEvents& events) {
  if (rc == MOSQ_ERR_TLS) return events.tls;
  if (rc == MOSQ_ERR_AUTH || rc == MOSQ_ERR_CONN_REFUSED) return BrokerState::LoginRefused;
  return BrokerState::NoAnswer;
}

bool BrokeProtocol(int rc) {
  return rc == MOSQ_ERR_PROTOCOL || rc == MOSQ_ERR_MALFORMED_PACKET ||
         rc == MOSQ_ERR_MALFORMED_UTF8 || rc == MOSQ_ERR_DUPLICATE_PROPERTY;
}

std::string Where(const BrokerSettings& s) { return s.host + ":" + std::to_string(s.port); }

std::string ErrorText(int rc) {
  if (rc == MOSQ_ERR_ERRNO) return std::string("system error: ") + std::strerror(errno);
  return mosquitto_strerror(rc);
}

}  // namespace voltander
