// Replies as the controller sends them and a look at what the program wrote, shared
// by the link tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "fakes/Fakes.h"

namespace voltander::test {

inline constexpr std::uint8_t kChargeBit = 16;

// Status payload b2..b8; the ratio bytes default to 4.000, the start-up ratio.
inline std::vector<std::uint8_t> StatusPayload(std::uint8_t duty, std::uint8_t b8,
                                               std::uint8_t ratioHigh = 15,
                                               std::uint8_t ratioLow = 160) {
  return {duty, 0, 0, 0, ratioHigh, ratioLow, b8};
}

inline int CountSent(const Harness& h, std::uint8_t letter) {
  const auto frames = h.sentFrames();
  return static_cast<int>(std::count_if(frames.begin(), frames.end(), [letter](const auto& f) {
    return f[0] == 'S' && f[1] == letter && f[9] == 'T';
  }));
}

inline void ExpectNoConnectionLook(const Folap& f) {
  EXPECT_FALSE(f.kozos.LiveLink);
  EXPECT_EQ(f.AMVerzio.text(), "???");
  EXPECT_FALSE(f.Allapot.enabled());
  EXPECT_EQ(f.LED2.background(), kRed);
  EXPECT_EQ(f.LED2.caption(), "");
  for (const Label& s : f.State) EXPECT_FALSE(s.enabled());
  EXPECT_FALSE(f.Kall.visible());
  EXPECT_EQ(f.Bar.value(), 0);
  EXPECT_FALSE(f.Led.enabled());
}

// Started with Comm 1 open and the timer running.
inline void LoadWithFirstPort(Harness& h) {
  h.loadWithPort(0);
  h.dialogs.shown.clear();
}

}  // namespace voltander::test
