#include "protocol/Frame.h"

namespace voltander {

FrameBytes EncodeFrame(std::uint8_t letter, const Payload& payload) {
  FrameBytes f{};
  f[0] = kFrameStart;
  f[1] = letter;
  for (std::size_t i = 0; i < payload.size(); ++i) f[i + 2] = payload[i];
  f[9] = kFrameEnd;
  return f;
}

bool IsFramed(const FrameBytes& frame) { return frame[0] == kFrameStart && frame[9] == kFrameEnd; }

StatusReply DecodeStatus(const FrameBytes& frame) {
  StatusReply r;
  r.duty = frame[2];
  // The ratio travels as a signed 16-bit number; a high byte of 128 or more cannot
  // be a ratio, so the field is left out rather than read as a huge one.
  if (frame[6] < 128) r.ratioTimes1000 = static_cast<std::uint16_t>(frame[6] * 256 + frame[7]);
  r.state = frame[8] & 0x0F;
  r.charging = (frame[8] & 0x10) != 0;
  return r;
}

Payload CalibrationPayload(std::uint16_t n) {
  return {static_cast<std::uint8_t>(n >> 8),
          static_cast<std::uint8_t>(n & 0xFF),
          'Z',
          'E',
          'P',
          'H',
          ' '};
}

}  // namespace voltander
