// How long the broker connection waits before its next attempt. A broker that is
// away is asked again soon and then less and less often; a connection that worked
// starts the count afresh, unless the broker ended it by breaking the protocol: a
// hostile broker that accepts and then floods is not handed the login every second.
#pragma once

namespace voltander::mqtt {

inline constexpr int kFirstReconnectSeconds = 1;
inline constexpr int kLongestReconnectSeconds = 60;

// The wait after an attempt, given the wait before it (0 before the first) and how the
// attempt ended.
int NextReconnectDelay(int lastDelay, bool wasConnected, bool brokeProtocol);

}  // namespace voltander::mqtt
