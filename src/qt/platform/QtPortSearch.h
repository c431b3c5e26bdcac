// The controller search on the real system: QSerialPortInfo's devices, the ports
// folder's links, and a probe that opens every device at once with the link's own
// port class, so locks, busy devices and missing rights are judged the same way.
#pragma once

#include "platform/PortSearch.h"

class QWidget;

namespace voltander {

class QtPortSearch : public PortSearch {
 public:
  // How long the devices have to answer, counted from the end of the poll frames.
  static constexpr int kAnswerWindowMs = 500;

  void setParentWindow(QWidget* parent) { parent_ = parent; }

  std::vector<SerialDeviceInfo> systemDevices() override;
  std::vector<RegisteredLink> registeredLinks() override;
  ProbeRun probe(const std::vector<std::string>& paths) override;
  bool registerLink(int number, const std::string& device) override;
  int choose(const std::string& prompt, const std::vector<std::string>& items) override;

 private:
  QWidget* parent_ = nullptr;
};

// The node behind path after every link, or "" when it cannot be resolved.
std::string ResolvedDevice(const std::string& path);

}  // namespace voltander
