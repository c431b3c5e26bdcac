// The broker connection over the Mosquitto client library. One worker thread per
// connection does the name lookup, the TCP and TLS connecting, the network loop and
// the reconnecting with a backoff from 1 s to 60 s; the window's thread only queues
// messages and hears the state changes, posted back to it through Qt's event loop.
#pragma once

#include <QObject>
#include <memory>
#include <string>

#include "platform/Publisher.h"

namespace voltander {

struct MosquittoSession;

class MosquittoPublisher : public QObject, public Publisher {
 public:
  MosquittoPublisher();
  ~MosquittoPublisher() override;

  void start(const BrokerSettings& settings, const Message& will) override;
  void stop() override;
  void publish(const Message& message) override;
  std::string hostName() override;

  // Runs one connection attempt, set up as start() sets it up, off the window's thread,
  // and tells the broker's answer to done on this thread within 5 s, the connect
  // included (the settings dialog's test button).
  void probe(const BrokerSettings& settings, const Message& will,
             std::function<void(BrokerState)> done);

 private:
  void told(BrokerState state);

  std::shared_ptr<MosquittoSession> session_;
};

}  // namespace voltander
