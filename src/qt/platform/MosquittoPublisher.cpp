#include "qt/platform/MosquittoPublisher.h"

#include <mosquitto.h>

#include <QMetaObject>
#include <QPointer>
#include <QSysInfo>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>
#include <utility>
#include <optional>

#include "mqtt/Reconnect.h"
#include "qt/platform/MosquittoClient.h"

namespace voltander {

namespace {

constexpr int kLoopTimeoutMs = 500;
// A clean exit waits this long for the last messages to leave; a broker that does
// not take them then gets the will instead.
constexpr auto kStopWait = std::chrono::seconds(2);
// The connection test's whole answer, the connect included.
constexpr auto kProbeWait = std::chrono::seconds(5);

}  // namespace

// Everything the worker thread touches; it outlives the publisher when a stop has to
// leave a thread stuck in a name lookup or a TCP connect behind.
struct MosquittoSession {
  BrokerSettings settings;
  Message will;
  ClientEvents events;
  mosquitto* client = nullptr;
  std::mutex mutex;
  std::condition_variable wake;
  bool stopping = false;
  bool connected = false;
  bool refused = false;  // the broker answered this attempt with a refusal
  QPointer<QObject> receiver;  // guarded by mutex; cleared by stop()
  std::function<void(BrokerState)> tell;
  std::thread worker;
  std::promise<void> finished;

  void report(BrokerState state) {
    std::lock_guard lock(mutex);
    if (!receiver) return;
    QMetaObject::invokeMethod(receiver, [tell = tell, state] { tell(state); },
                              Qt::QueuedConnection);
  }

  void heard();
  void run();
};

// The broker's answer to the login, once the library has told it.
void MosquittoSession::heard() {
  std::optional<int> code;
  {
    std::lock_guard lock(events.mutex);
    code = std::exchange(events.connack, std::nullopt);
  }
  if (!code) return;
  const BrokerState state = StateOfConnack(*code);
  {
    std::lock_guard lock(mutex);
    connected = state == BrokerState::Connected;
    refused = !connected;
  }
  if (state == BrokerState::Connected) {
    qCInfo(lcMqtt) << "kapcsolódva:" << Where(settings).c_str();
  } else {
    qCWarning(lcMqtt) << Where(settings).c_str() << "elutasította a kapcsolatot:"
                      << mosquitto_reason_string(*code) << "(felhasználó:" << settings.user.c_str()
                      << ")";
  }
  report(state);
}

void MosquittoSession::run() {
  int delay = 0;
  for (;;) {
    {
      std::lock_guard lock(events.mutex);
      events.tls = BrokerState::TlsFailed;
    }
    int rc = ConnectMosquitto(client, settings);
    if (rc == MOSQ_ERR_SUCCESS) {
      while ((rc = mosquitto_loop(client, kLoopTimeoutMs, 1)) == MOSQ_ERR_SUCCESS) {
        heard();
        std::lock_guard lock(mutex);
        if (stopping && !connected) break;
      }
    }
    heard();
    bool wasConnected = false, answered = false, broke = false;
    {
      std::lock_guard lock(mutex);
      if (stopping) break;
      wasConnected = std::exchange(connected, false);
      answered = std::exchange(refused, false);
    }
    {
      std::lock_guard lock(events.mutex);
      broke = std::exchange(events.brokeProtocol, false) || (wasConnected && BrokeProtocol(rc));
    }
    delay = mqtt::NextReconnectDelay(delay, wasConnected, broke);
    if (broke) {
      qCWarning(lcMqtt) << Where(settings).c_str()
                        << "megsértette a protokollt (üzenetet küldött, vagy többet, mint amit a"
                           " kliens fogad):"
                        << ErrorText(rc).c_str() << "- a kapcsolat bontva, újabb próba" << delay
                        << "s múlva";
      report(BrokerState::ProtocolBroken);
    } else {
      qCWarning(lcMqtt) << "nincs kapcsolat:" << Where(settings).c_str() << "-"
                        << ErrorText(rc).c_str() << "- újabb próba" << delay << "s múlva";
      // A refusal was told as the broker gave it.
      if (!answered) report(wasConnected ? BrokerState::Disconnected : StateOfError(rc, events));
    }
    std::unique_lock lock(mutex);
    if (wake.wait_for(lock, std::chrono::seconds(delay), [this] { return stopping; })) break;
  }
  mosquitto_destroy(client);
  finished.set_value();
}

MosquittoPublisher::MosquittoPublisher() = default;

// Whoever listened may be going away too: the end is not told.
MosquittoPublisher::~MosquittoPublisher() {
  onState = nullptr;
  stop();
}

void MosquittoPublisher::start(const BrokerSettings& settings, const Message& will) {
  stop();
  auto session = std::make_shared<MosquittoSession>();
  session->settings = settings;
  session->will = will;
  session->receiver = this;
  session->tell = [this](BrokerState s) { told(s); };
  BrokerState failure = BrokerState::SetupFailed;
  session->client = NewMosquitto(settings, &will, session->events, failure);
  if (!session->client) {
    QMetaObject::invokeMethod(this, [this, failure] { told(failure); }, Qt::QueuedConnection);
    return;
  }
  mosquitto_threaded_set(session->client, true);
  qCInfo(lcMqtt) << "kapcsolódás:" << Where(settings).c_str() << (settings.tls ? "(TLS)" : "");
  session->worker = std::thread([session] { session->run(); });
  session_ = std::move(session);
}

void MosquittoPublisher::stop() {
  if (!session_) return;
  const std::shared_ptr<MosquittoSession> session = std::move(session_);
  bool connected = false;
  {
    std::lock_guard lock(session->mutex);
    session->stopping = true;
    session->receiver = nullptr;
    connected = session->connected;
    // Queued behind what was published, so those leave first. Under the lock: once it
    // sees stopping, the worker may destroy the client.
    mosquitto_disconnect(session->client);
  }
  session->wake.notify_all();
  // Only a live connection is worth a short wait (its last messages leaving); a worker
  // still looking up a name or connecting ends alone, the window does not wait for it.
  std::future<void> finished = session->finished.get_future();
  if (connected && finished.wait_for(kStopWait) == std::future_status::ready) {
    session->worker.join();
  } else {
    if (connected) qCWarning(lcMqtt) << "a bróker kapcsolata nem zárult le időben";
    session->worker.detach();
  }
  told(BrokerState::Disconnected);
}

void MosquittoPublisher::publish(const Message& m) {
  if (!session_) return;
  mosquitto_publish(session_->client, nullptr, m.topic.c_str(), static_cast<int>(m.payload.size()),
                    m.payload.data(), m.qos, m.retained);
}

std::string MosquittoPublisher::hostName() { return QSysInfo::machineHostName().toStdString(); }

void MosquittoPublisher::told(BrokerState state) {
  if (onState) onState(state);
}

void MosquittoPublisher::probe(const BrokerSettings& settings, const Message& will,
                               std::function<void(BrokerState)> done) {
  // The first of the answer and the time limit is told; a connect still stuck then is
  // left to end on its own thread.
  auto told = std::make_shared<bool>(false);
  auto tell = [told, done = std::move(done)](BrokerState state) {
    if (!std::exchange(*told, true)) done(state);
  };
  QTimer::singleShot(kProbeWait, this, [tell] { tell(BrokerState::NoAnswer); });
  QPointer<MosquittoPublisher> self(this);
  std::thread([settings, will, tell, self] {
    ClientEvents events;
    BrokerState result = BrokerState::SetupFailed;
    const auto deadline = std::chrono::steady_clock::now() + kProbeWait;
    if (mosquitto* m = NewMosquitto(settings, &will, events, result)) {
      int rc = ConnectMosquitto(m, settings);
      const bool reached = rc == MOSQ_ERR_SUCCESS;
      auto answered = [&] {
        std::lock_guard lock(events.mutex);
        return events.connack.has_value();
      };
      while (rc == MOSQ_ERR_SUCCESS && std::chrono::steady_clock::now() < deadline && !answered())
        rc = mosquitto_loop(m, kLoopTimeoutMs, 1);
      result = answered() ? StateOfConnack(*events.connack)
               : rc == MOSQ_ERR_SUCCESS ? BrokerState::NoAnswer
                                        : StateOfError(rc, events);
      // A clean end, so the broker drops the will instead of publishing it.
      if (reached) {
        mosquitto_disconnect(m);
        mosquitto_loop(m, kLoopTimeoutMs, 1);
      }
      mosquitto_destroy(m);
    }
    qCInfo(lcMqtt) << "kapcsolatpróba:" << Where(settings).c_str() << "- állapot"
                   << static_cast<int>(result);
    if (self) QMetaObject::invokeMethod(self, [tell, result] { tell(result); }, Qt::QueuedConnection);
  }).detach();
}

}  // namespace voltander
