#include "protocol/SendFrame.h"

#include "platform/Journal.h"
#include "platform/SerialPort.h"
#include "platform/System.h"

namespace voltander {

bool SendFrame(const Line& line, std::uint8_t letter, const Payload& payload) {
  bool allLeft = true;
  const FrameBytes frame = EncodeFrame(letter, payload);
  for (std::uint8_t byte : frame) {
    if (!line.port.write(byte)) allLeft = false;
    line.pause.sleepMs(1);
  }
  if (allLeft) line.journal.frameSent(frame);
  return allLeft;
}

}  // namespace voltander
