// The line settings as the link writes them ("9600,N,8,1"), read into QSerialPort's
// terms. A text it cannot read leaves the port's settings as they were.
#pragma once

#include <QSerialPort>
#include <optional>
#include <string>

namespace voltander {

struct LineSettings {
  qint32 baud;
  QSerialPort::Parity parity;
  QSerialPort::DataBits dataBits;
  QSerialPort::StopBits stopBits;
};

// Baud, parity letter, data bits, stop bits; nothing for any other text.
std::optional<LineSettings> ParseLineSettings(const std::string& text);

}  // namespace voltander
