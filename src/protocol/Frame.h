// Frames of the controller protocol: ten bytes, "S", a letter, seven payload bytes,
// "T". No checksum and no escaping; a frame is known only by its length and its two
// end characters. Pure functions, bytes in and values out.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace voltander {

using FrameBytes = std::array<std::uint8_t, 10>;
using Payload = std::array<std::uint8_t, 7>;

inline constexpr std::uint8_t kFrameStart = 'S';
inline constexpr std::uint8_t kFrameEnd = 'T';
inline constexpr std::uint8_t kFiller = '0';

// Command letters, PC to controller.
inline constexpr std::uint8_t kPoll = 'R';
inline constexpr std::uint8_t kVersionRequest = 'V';
inline constexpr std::uint8_t kParameterRequest = 'O';
inline constexpr std::uint8_t kParameterUpload = 'I';
inline constexpr std::uint8_t kCalibrationMode = 'K';
inline constexpr std::uint8_t kCalibrationUpload = 'U';

// Reply letters, controller to PC.
inline constexpr std::uint8_t kStatusReply = 'E';
inline constexpr std::uint8_t kVersionReply = 'V';
inline constexpr std::uint8_t kParameterReply = 'O';

// Payload of the requests that carry nothing: seven "0".
inline constexpr Payload kFillerPayload{'0', '0', '0', '0', '0', '0', '0'};

FrameBytes EncodeFrame(std::uint8_t letter, const Payload& payload = kFillerPayload);

// Only positions 0 and 9 are tested.
bool IsFramed(const FrameBytes& frame);

// The status reply's fields.
struct StatusReply {
  std::uint8_t duty = 0;                        // b2: 0-253, 254/255 a fault
  std::optional<std::uint16_t> ratioTimes1000;  // b6 b7, empty when b6 >= 128
  std::uint8_t state = 0;                       // b8 bits 0-3
  bool charging = false;                        // b8 bit 4
};
StatusReply DecodeStatus(const FrameBytes& frame);

// The calibration upload: N = ratio x 1000 in two bytes, then "ZEPH" and a blank.
Payload CalibrationPayload(std::uint16_t n);

}  // namespace voltander
