#include "qt/platform/LineSettings.h"

#include <cstdlib>
#include <sstream>
#include <vector>

namespace voltander {

std::optional<LineSettings> ParseLineSettings(const std::string& text) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  for (std::string part; std::getline(in, part, ',');) parts.push_back(part);
  if (parts.size() != 4) return std::nullopt;

  LineSettings s{};
  char* end = nullptr;
  const long baud = std::strtol(parts[0].c_str(), &end, 10);
  if (parts[0].empty() || *end != '\0' || baud <= 0 || baud > 4000000) return std::nullopt;
  s.baud = static_cast<qint32>(baud);

  if (parts[1].size() != 1) return std::nullopt;
  switch (parts[1][0]) {
    case 'N':
    case 'n':
      s.parity = QSerialPort::NoParity;
      break;
    case 'E':
    case 'e':
      s.parity = QSerialPort::EvenParity;
      break;
    case 'O':
    case 'o':
      s.parity = QSerialPort::OddParity;
      break;
    case 'M':
    case 'm':
      s.parity = QSerialPort::MarkParity;
      break;
    case 'S':
    case 's':
      s.parity = QSerialPort::SpaceParity;
      break;
    default:
      return std::nullopt;
  }

  if (parts[2] == "5")
    s.dataBits = QSerialPort::Data5;
  else if (parts[2] == "6")
    s.dataBits = QSerialPort::Data6;
  else if (parts[2] == "7")
    s.dataBits = QSerialPort::Data7;
  else if (parts[2] == "8")
    s.dataBits = QSerialPort::Data8;
  else
    return std::nullopt;

  if (parts[3] == "1")
    s.stopBits = QSerialPort::OneStop;
  else if (parts[3] == "1.5")
    s.stopBits = QSerialPort::OneAndHalfStop;
  else if (parts[3] == "2")
    s.stopBits = QSerialPort::TwoStop;
  else
    return std::nullopt;
  return s;
}

}  // namespace voltander
