#include "qt/platform/MosquittoPublisher.h"

#include <mosquitto.h>

#include <QMetaObject>
#include <QPointer>
#include <QSysInfo>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>
#include <utility>
#include <optional>

#include "qt/platform/MosquittoClient.h"

namespace voltander {

namespace {

constexpr int kKeepAliveSeconds = 30;
constexpr int kFirstDelaySeconds = 1;
constexpr int kLongestDelaySeconds = 60;
constexpr int kLoopTimeoutMs = 500;
// A clean exit waits this long for the last messages to leave; a broker that does
// not take them then gets the will instead.
constexpr auto kStopWait = std::chrono::seconds(2);
constexpr auto kProbeWait = std::chrono::seconds(5);

}  // namespace

// Everything the worker thread touches; it outlives the publisher when a stop has to
// leave a thread stuck in a name lookup or a TCP connect behind.
struct MosquittoSession {
  BrokerSettings settings;
  Message will;
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

  void run();
};

void MosquittoSession::run() {
  int delay = kFirstDelaySeconds;
  for (;;) {
    int rc = mosquitto_connect(client, settings.host.c_str(), settings.port, kKeepAliveSeconds);
    if (rc == MOSQ_ERR_SUCCESS) {
      while ((rc = mosquitto_loop(client, kLoopTimeoutMs, 1)) == MOSQ_ERR_SUCCESS) {
        std::lock_guard lock(mutex);
        if (stopping && !connected) break;
      }
    }
    bool wasConnected = false, answered = false;
    {
      std::lock_guard lock(mutex);
      if (stopping) break;
      wasConnected = std::exchange(connected, false);
      answered = std::exchange(refused, false);
    }
    if (wasConnected) delay = kFirstDelaySeconds;
    qCWarning(lcMqtt) << "no connection to" << Where(settings).c_str() << ":"
                      << ErrorText(rc).c_str() << "- next attempt in" << delay << "s";
    // A refusal was told as the broker gave it.
    if (!answered) report(wasConnected ? BrokerState::Disconnected : StateOfError(rc));
    std::unique_lock lock(mutex);
    if (wake.wait_for(lock, std::chrono::seconds(delay), [this] { return stopping; })) break;
    delay = std::min(delay * 2, kLongestDelaySeconds);
  }
  mosquitto_destroy(client);
  finished.set_value();
}

namespace {

void OnConnect(mosquitto*, void* owner, int code) {
  auto* session = static_cast<MosquittoSession*>(owner);
  const BrokerState state = StateOfConnack(code);
  {
    std::lock_guard lock(session->mutex);
    session->connected = state == BrokerState::Connected;
    session->refused = !session->connected;
  }
  if (state == BrokerState::Connected) {
    qCInfo(lcMqtt) << "connected to" << Where(session->settings).c_str();
  } else {
    qCWarning(lcMqtt) << Where(session->settings).c_str() << "refused the connection:"
                      << mosquitto_connack_string(code) << "(user"
                      << session->settings.user.c_str() << ")";
  }
  session->report(state);
}

}  // namespace

MosquittoPublisher::MosquittoPublisher() = default;

MosquittoPublisher::~MosquittoPublisher() { stop(); }

void MosquittoPublisher::start(const BrokerSettings& settings, const Message& will) {
  stop();
  auto session = std::make_shared<MosquittoSession>();
  session->settings = settings;
  session->will = will;
  session->receiver = this;
  session->tell = [this](BrokerState s) { told(s); };
  BrokerState failure = BrokerState::NoAnswer;
  session->client = NewMosquitto(settings, &will, session.get(), failure);
  if (!session->client) {
    QMetaObject::invokeMethod(this, [this, failure] { told(failure); }, Qt::QueuedConnection);
    return;
  }
  mosquitto_threaded_set(session->client, true);
  mosquitto_connect_callback_set(session->client, OnConnect);
  qCInfo(lcMqtt) << "connecting to" << Where(settings).c_str() << (settings.tls ? "with TLS" : "");
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
    if (connected) qCWarning(lcMqtt) << "the broker connection did not end in time";
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

void MosquittoPublisher::probe(const BrokerSettings& settings,
                               std::function<void(BrokerState)> done) {
  QPointer<MosquittoPublisher> self(this);
  std::thread([settings, done = std::move(done), self] {
    struct Answer {
      std::mutex mutex;
      std::condition_variable arrived;
      std::optional<int> code;
    } answer;
    BrokerState result = BrokerState::NoAnswer;
    mosquitto* m = NewMosquitto(settings, nullptr, &answer, result);
    if (m) {
      mosquitto_connect_callback_set(m, [](mosquitto*, void* owner, int code) {
        auto* a = static_cast<Answer*>(owner);
        std::lock_guard lock(a->mutex);
        a->code = code;
      });
      int rc = mosquitto_connect(m, settings.host.c_str(), settings.port, kKeepAliveSeconds);
      const auto deadline = std::chrono::steady_clock::now() + kProbeWait;
      while (rc == MOSQ_ERR_SUCCESS && std::chrono::steady_clock::now() < deadline) {
        rc = mosquitto_loop(m, kLoopTimeoutMs, 1);
        std::lock_guard lock(answer.mutex);
        if (answer.code) break;
      }
      result = answer.code ? StateOfConnack(*answer.code)
               : rc == MOSQ_ERR_SUCCESS ? BrokerState::NoAnswer
                                        : StateOfError(rc);
      if (result == BrokerState::Connected) {
        mosquitto_disconnect(m);
        mosquitto_loop(m, kLoopTimeoutMs, 1);
      }
      mosquitto_destroy(m);
    }
    qCInfo(lcMqtt) << "connection test to" << Where(settings).c_str() << "gave state"
                   << static_cast<int>(result);
    if (self) QMetaObject::invokeMethod(self, [done, result] { done(result); }, Qt::QueuedConnection);
  }).detach();
}

}  // namespace voltander
