// The serial line to the controller on a real device, through QSerialPort. Comm
// numbers name device paths (PortNames.h); opening failures become the link's
// error numbers; a device that disappears is closed at once and reported once; the
// line conditions the kernel counts (LineWatch.h) become the link's line events.
#pragma once

#include <QSerialPort>
#include <cstdint>
#include <string>

#include "platform/Journal.h"
#include "platform/SerialPort.h"
#include "qt/platform/LineWatch.h"

namespace voltander {

class QtSerialPort : public SerialPort {
 public:
  // Numbers of the opening failures. 8002 and 8005 are the two the user is told
  // about; the others are printed on the window.
  static constexpr int kInvalidPort = 8002;   // no device, or not a serial line
  static constexpr int kPortInUse = 8005;     // another port object or program holds it
  static constexpr int kNoAccess = kPortNoAccess;  // the user may not open the device
  static constexpr int kDeviceFailed = 8010;  // any other failure of the device

  explicit QtSerialPort(CounterReader readCounters = ReadLineCounters);
  ~QtSerialPort() override;
  QtSerialPort(const QtSerialPort&) = delete;
  QtSerialPort& operator=(const QtSerialPort&) = delete;

  void setSettings(const std::string& settings) override;
  OpenResult open(const std::string& device) override;
  void close() override;
  bool isOpen() const override;
  std::string deviceForComm(int n) const override;
  bool write(std::uint8_t byte) override;
  int read() override;
  int waiting() const override;
  void setBreak(bool on) override;
  void checkLine() override;
  // Where each line event is told, with what the line showed; none until set.
  void setJournal(Journal& journal) { journal_ = &journal; }

 private:
  void applyLineSettings();
  void handleError(QSerialPort::SerialPortError error);
  // Raised after the current event: a line event while the port is open, a loss
  // only for the opening it closed.
  void raise(CommEvent event);
  void raise(const LineEvent& event);

  QSerialPort serial_;
  // Counts openings, so a loss reported late never speaks for a newer opening.
  unsigned opening_ = 0;
  LineWatch watch_;
  Journal silent_;
  Journal* journal_ = &silent_;

  qint32 baud_ = 9600;
  QSerialPort::Parity parity_ = QSerialPort::NoParity;
  QSerialPort::DataBits dataBits_ = QSerialPort::Data8;
  QSerialPort::StopBits stopBits_ = QSerialPort::OneStop;
};

}  // namespace voltander
