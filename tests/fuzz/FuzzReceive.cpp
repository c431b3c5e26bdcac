// An arbitrary byte stream from the line, in arbitrary pieces, with ticks and device
// losses in between, must never crash the receive path nor keep the link from coming
// back once the controller answers cleanly again.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fakes/Fakes.h"

using namespace voltander;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  test::Harness h;
  h.loadWithPort(0);
  std::size_t i = 0;
  while (i < size) {
    // A control byte: the low bits give the piece length, bit 7 a tick before it.
    const std::uint8_t control = data[i++];
    if (control & 0x80) h.timer.tick();
    if (control & 0x40) h.port.loseDevice();
    const std::size_t len = control & 0x1F;
    std::vector<std::uint8_t> piece(data + i, data + std::min(size, i + len));
    i += piece.size();
    if (h.port.isOpen()) h.port.deliver(piece);
  }
  // Whatever came before, the link recovers the way a user sees it: the port chosen
  // again if it was given up, two ticks (the second surely re-opens and so clears
  // any leftover bytes), then one clean status reply and a tick.
  if (!h.port.isOpen()) h.form->Portok.select(0);
  h.timer.tick();
  h.timer.tick();
  const std::size_t sent = h.port.written.size();
  h.reply('E', {100, '0', '0', '0', 15, 160, 2});
  h.timer.tick();
  const Folap& f = *h.form;
  const bool versionAsked = h.port.written.size() >= sent + 20 && h.port.written[sent + 1] == 'V';
  if (!h.kozos.LiveLink || !versionAsked || f.LED2.background() != kGreen ||
      f.LED2.caption() != "Kapcsolódva" || !f.Allapot.enabled() || !f.State[2].enabled()) {
    std::abort();
  }
  return 0;
}
