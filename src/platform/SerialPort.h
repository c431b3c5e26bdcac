// The one serial line to the controller, as the link logic sees it: a device opened by
// its path, one-byte writes and reads, a count of waiting bytes and line events. The
// real port and the test fakes implement this; nothing else in the logic touches a
// device.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace voltander {

// Line events, numbered as the link's event table numbers them. Only Receive and
// DeviceLost come from every port; the line conditions come from devices whose driver
// counts them (see the port adapter), never from a pseudo-terminal.
enum class CommEvent {
  Receive = 2,        // bytes arrived: parse when exactly ten wait
  CarrierDetect = 5,  // switch the break state off
  Break = 1001,       // message "1"
  Frame = 1004,       // beep, then re-open the port
  Overrun = 1006,     // message "3"
  RxOver = 1008,      // message "4"
  RxParity = 1009,    // message "5"
  TxFull = 1010,      // message "6"
  Dcb = 1011,         // message "7": the port's settings could not be read
  DeviceLost = 9000,  // the device went away; the port is already closed, once
};

// Why an opening failed. Each value names what the caller does next.
enum class OpenError {
  None,         // opened: enable polling
  InvalidPort,  // 8002: no such port; tell the user, clear the choice, stop polling
  PortInUse,    // 8005: another program holds it; same as InvalidPort
  Other,        // any other failure: print its number on the window, change nothing
};

// The number an opening refused for missing rights carries: only the user can fix
// that, so it is never waited out.
inline constexpr int kPortNoAccess = 70;

// The port the link works on. The window names it by its Comm number, the service by
// a configured device path and charger name; everything after the choice is the same.
struct PortTarget {
  int comm = 0;        // the window's Comm number; 0 for a port named by its path alone
  std::string device;  // the path opened; for a Comm number it is looked up at each opening
  std::string name;    // safe in a topic: "comm3", or the charger's configured name
  std::string title;   // for people: "Comm 3", or the charger's name

  bool chosen() const { return comm > 0 || !device.empty(); }
};

struct OpenResult {
  OpenError error = OpenError::None;
  int code = 0;        // 0, 8002, 8005, or the number printed for Other
  std::string osText;  // the system's own words, for logs and tests only

  bool ok() const { return error == OpenError::None; }
};

class SerialPort {
 public:
  virtual ~SerialPort() = default;

  // "9600,N,8,1"; applied at every later opening.
  virtual void setSettings(const std::string& settings) = 0;
  // Opens the device at path; after an opening no earlier byte is waiting.
  virtual OpenResult open(const std::string& device) = 0;
  virtual void close() = 0;
  virtual bool isOpen() const = 0;
  // The device that stands for Comm n (1 to 255) on this system, "" when none does.
  virtual std::string deviceForComm(int n) const = 0;
  // Hands one byte to the line; skipped when the port is not open. Returns
  // whether it left the program.
  virtual bool write(std::uint8_t byte) = 0;
  // The oldest waiting byte, or -1 when none waits.
  virtual int read() = 0;
  virtual int waiting() const = 0;
  virtual void setBreak(bool on) = 0;
  // Looks at the line's condition now; what changed follows as events, after the
  // current handler. The poll tick asks, so a quiet line is watched too.
  virtual void checkLine() {}

  // Raised on the user-interface thread.
  std::function<void(CommEvent)> onComm;
};

}  // namespace voltander
