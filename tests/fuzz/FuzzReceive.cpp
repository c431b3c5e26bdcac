// An arbitrary byte stream from the line, in arbitrary pieces, with ticks in between,
// must never crash the receive path or leave the form inconsistent.
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
  const Folap& f = *h.form;
  for (const ListBox* list :
       {&f.Umax, &f.Umin, &f.Igyors, &f.Inormal, &f.Thiszt, &f.Tkarbantarto, &f.Minta}) {
    if (list->selected() < -1 || list->selected() >= static_cast<int>(list->count())) std::abort();
  }
  if (f.Bar.value() < 0 || f.Bar.value() > 255) std::abort();
  return 0;
}
