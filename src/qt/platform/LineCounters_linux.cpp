#include <linux/serial.h>
#include <sys/ioctl.h>

#include "qt/platform/LineCounters.h"

namespace voltander {

std::optional<LineCounters> ReadLineCounters(int fd) {
  serial_icounter_struct c{};
  // ENOTTY or EINVAL: a line whose driver keeps no counts.
  if (ioctl(fd, TIOCGICOUNT, &c) != 0) return std::nullopt;
  const auto u = [](int v) { return static_cast<std::uint32_t>(v); };
  return LineCounters{u(c.brk), u(c.frame), u(c.overrun), u(c.buf_overrun), u(c.parity), u(c.dcd)};
}

}  // namespace voltander
