#include "mqtt/Reconnect.h"

#include <algorithm>

namespace voltander::mqtt {

int NextReconnectDelay(int lastDelay, bool wasConnected, bool brokeProtocol) {
  if (lastDelay < kFirstReconnectSeconds || (wasConnected && !brokeProtocol))
    return kFirstReconnectSeconds;
  return std::min(lastDelay * 2, kLongestReconnectSeconds);
}

}  // namespace voltander::mqtt
