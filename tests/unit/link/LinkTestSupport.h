// Replies as the controller sends them, a one-line look at the live display and a
// window started on Comm 1, shared by the link tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "fakes/Fakes.h"

namespace voltander::test {

inline constexpr std::uint8_t kChargeBit = 16;
inline constexpr const char* kInvalidPort = "Érvénytelen port szám! Kérem válasszon másikat!";
inline constexpr const char* kPortInUse = "Foglalt port szám! Kérem válasszon másikat!";
// The live display of a lost link; the fault mark and Fel keep their look.
inline constexpr const char* kNoConnection = "??? red Bar=0";

inline long CountSent(const Harness& h, char letter) {
  return std::count(h.journal.all.begin(), h.journal.all.end(), std::string("sent ") + letter);
}

// The live display in one line, naming only what is lit, shown or enabled:
// "V200401 green Kapcsolódva Allapot Bar=200 Led State2 Fel".
inline std::string Look(const Folap& f) {
  std::string s = f.AMVerzio.text();
  s += f.LED2.background() == kGreen ? " green" : f.LED2.background() == kRed ? " red" : " ?";
  if (!f.LED2.caption().empty()) s += " " + f.LED2.caption();
  if (f.Allapot.enabled()) s += " Allapot";
  s += " Bar=" + std::to_string(f.Bar.value());
  if (f.Hiba.visible()) s += " Hiba";
  if (f.Led.enabled()) s += " Led";
  for (int i = 0; i < 5; ++i)
    if (f.State[i].enabled()) s += " State" + std::to_string(i);
  if (f.Kall.visible()) s += " Kall";
  if (f.Fel.enabled()) s += " Fel";
  return s;
}

// Started with Comm 1 open, the timer running and no message shown yet.
struct LinkTest : ::testing::Test {
  void SetUp() override {
    h.loadWithPort(0);
    h.dialogs.shown.clear();
  }
  // A status reply: duty, b8 and the ratio bytes, 4.000 unless given.
  void status(std::uint8_t duty, std::uint8_t b8, std::uint8_t high = 15, std::uint8_t low = 160) {
    h.reply('E', {duty, 0, 0, 0, high, low, b8});
  }
  Folap& f() { return *h.form; }
  Harness h;
};

}  // namespace voltander::test
