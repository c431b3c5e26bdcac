#include "link/SendFrame.h"

#include "platform/SerialPort.h"
#include "platform/System.h"

namespace voltander {

bool SendFrame(SerialPort& port, Pause& pause, std::uint8_t letter, const Payload& payload) {
  bool allLeft = true;
  for (std::uint8_t byte : EncodeFrame(letter, payload)) {
    if (!port.write(byte)) allLeft = false;
    pause.sleepMs(1);
  }
  return allLeft;
}

}  // namespace voltander
