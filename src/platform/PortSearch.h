// What the controller search needs from the system: the serial devices it knows,
// the user's ports/COM<n> links, one round of asking every device at once, a new
// link for a device outside the numbering, and the user's pick among several
// answers. The Qt side implements it; the unit tests script it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace voltander {

// A serial device as the system describes it.
struct SerialDeviceInfo {
  std::string path;      // the system's name for it, e.g. /dev/ttyUSB0
  std::string resolved;  // the node behind any links; "" when it cannot be resolved
  std::string description;
  std::string manufacturer;
  std::string serialNumber;
  std::optional<std::uint16_t> vendorId;
  std::optional<std::uint16_t> productId;
};

// A link <config>/Voltander/ports/COM<number>.
struct RegisteredLink {
  int number = 0;
  std::string path;      // the link itself
  std::string resolved;  // the node it names; "" when that is gone
};

// How one device met the poll frame.
enum class ProbeOutcome {
  Answered,  // a framed reply came
  Busy,      // locked or held by another program: left alone
  NoAccess,  // the user may not open it
  NoAnswer,  // nothing came in time
  BadFrame,  // bytes came, but no framed reply
  Missing,   // no such device, or not a serial line
  Failed,    // any other failure of the device
};

struct ProbeRun {
  bool cancelled = false;
  std::vector<ProbeOutcome> outcomes;  // one per path probed, in the same order
};

class PortSearch {
 public:
  virtual ~PortSearch() = default;
  virtual std::vector<SerialDeviceInfo> systemDevices() = 0;
  virtual std::vector<RegisteredLink> registeredLinks() = 0;
  // Opens every path at once at 9600 8N1, sends each the poll frame and waits a
  // short while for the replies, showing the progress; the user may cancel.
  virtual ProbeRun probe(const std::vector<std::string>& paths) = 0;
  // Makes Comm number stand for device; false when the link cannot be made.
  virtual bool registerLink(int number, const std::string& device) = 0;
  // The position of the item the user picked, or -1 when they cancelled.
  virtual int choose(const std::string& prompt, const std::vector<std::string>& items) = 0;
};

}  // namespace voltander
