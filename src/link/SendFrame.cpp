#include "link/SendFrame.h"

#include "platform/Journal.h"
#include "platform/SerialPort.h"
#include "platform/System.h"

namespace voltander {

bool SendFrame(SerialPort& port, Pause& pause, Journal& journal, std::uint8_t letter,
               const Payload& payload) {
  bool allLeft = true;
  const FrameBytes frame = EncodeFrame(letter, payload);
  for (std::uint8_t byte : frame) {
    if (!port.write(byte)) allLeft = false;
    pause.sleepMs(1);
  }
  if (allLeft) journal.frameSent(frame);
  return allLeft;
}

}  // namespace voltander
