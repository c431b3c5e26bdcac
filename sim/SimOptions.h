// What the simulator is told on its command line: how the controller starts out,
// how fast its charge model runs and which line faults it injects. Parsing is kept
// apart from the pty and the main loop so every flag can be checked without a device.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "protocol/Frame.h"

namespace voltander::sim {

struct SimOptions {
  int port = 0;  // 0: not registered as a numbered port
  std::string logPath;
  std::string version = "200401";
  std::uint16_t ratioTimes1000 = 4000;
  // Umin code, Umax code, Igyors code, Inormal code, Tkarbantarto, Thiszt and Minta
  // 1-based positions: 12.5 V and 14.37 V at ratio 4, 0.68 A, 0.34 A, 30 days, 10 s, 5 s.
  Payload params{140, 143, 170, 165, 29, 10, 5};
  std::optional<std::uint8_t> fixedState;
  std::optional<std::uint8_t> fixedDuty;
  double modelSeconds = 10.0;  // length of one charge stage
  int modelPolls = 0;          // else: one stage every this many status polls

  // Fault injection. Replies are counted from 1 in the order they are sent.
  std::optional<int> silentAfter;   // replies sent before falling silent
  std::optional<int> silentFromMs;  // start of a silent period, from program start
  std::optional<int> silentForMs;   // length of the silent period; none: for good
  int badStartEvery = 0;            // every k-th reply gets a wrong start; 0: never
  int badEndEvery = 0;              // every k-th reply gets a wrong end; 0: never
  std::optional<int> splitPauseMs;  // replies go out in two halves this far apart
  int strayBytes = 0;               // bytes of noise ahead of a reply
  int strayEvery = 0;               // 0: before the first reply only
  std::optional<int> exitAfter;     // replies sent before the device goes away
  // Random bytes between replies, from noiseFromMs after start for noiseForMs.
  int noiseFromMs = 0;
  int noiseForMs = 0;  // 0: no noise
  std::uint32_t noiseSeed = 1;
};

struct ParseResult {
  std::optional<SimOptions> options;  // empty on an error or after --help
  bool help = false;
  std::string error;
};

ParseResult ParseSimOptions(const std::vector<std::string>& args);

std::string SimUsage(const std::string& programName);

}  // namespace voltander::sim
