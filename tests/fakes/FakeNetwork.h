// The ways out that the tests script: the controller search's devices and probe
// outcomes, and a broker client that keeps what is published.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>
#include "platform/PortSearch.h"
#include "platform/Publisher.h"

namespace voltander::test {

// Devices, links and probe outcomes as a test scripts them.
class FakePortSearch : public PortSearch {
 public:
  std::vector<SerialDeviceInfo> systemDevices() override { return devices; }
  std::vector<RegisteredLink> registeredLinks() override { return links; }
  ProbeRun probe(const std::vector<std::string>& paths) override {
    probed = paths;
    portOpenDuringProbe = onProbe ? onProbe() : false;
    return run;
  }
  bool registerLink(int number, const std::string& device) override {
    registered.emplace_back(number, device);
    return registerOk;
  }
  int choose(const std::string&, const std::vector<std::string>& items) override {
    offered = items;
    return pick;
  }

  std::vector<SerialDeviceInfo> devices;
  std::vector<RegisteredLink> links;
  ProbeRun run;
  bool registerOk = true;
  int pick = 0;
  std::function<bool()> onProbe;

  std::vector<std::string> probed, offered;
  std::vector<std::pair<int, std::string>> registered;
  bool portOpenDuringProbe = true;
};

// Keeps what is published, in order; the broker's answers are told by the test.
class FakePublisher : public Publisher {
 public:
  void start(const BrokerSettings& s, const Message& w) override {
    starts.push_back(s);
    will = w;
  }
  void stop() override {}
  void publish(const Message& m) override { published.push_back(m); }
  std::string hostName() override { return "pc1"; }
  void tell(BrokerState s) { onState(s); }

  std::vector<BrokerSettings> starts;
  Message will;
  std::vector<Message> published;
};

}  // namespace voltander::test
