// The built-in numbering of serial ports: the rule that turns "Comm n" into a device
// and a device back into its number lives here once, so the port that opens and the
// number the controller search offers always agree.
#pragma once

#include <string>

namespace voltander {

// First number a new port link gets; 1 to 96 belong to the built-in device families.
inline constexpr int kFirstLinkNumber = 97;
inline constexpr int kLastPortNumber = 255;

// The built-in device of Comm n (1 is /dev/ttyS0, 33 /dev/ttyUSB0, 65 /dev/ttyACM0),
// or "" outside 1 to 96.
std::string StandardDevicePath(int n);

// The Comm number of a device in the built-in families, or 0 outside them.
int StandardCommNumber(const std::string& devicePath);

// The name of the per-user link that makes a device Comm n: "COM<n>".
std::string LinkName(int n);
// The number such a link's name gives, 1 to 255, or 0 for any other name ("COM07",
// "COM256", "com7", "COM7.bak").
int LinkNameNumber(const std::string& name);

}  // namespace voltander
