// Port numbers as the user knows them (Comm 1 to Comm 255) name devices that differ
// from system to system. The one place that turns a number into a device path.
#pragma once

#include <string>

namespace voltander {

// The device behind Comm n, or "" when no device can stand for it. A per-user link
// "<config>/Voltander/ports/COM<n>" wins over the built-in numbering, so any device
// (a USB adapter, a pseudo-terminal) can be given any number.
std::string DevicePathForPort(int n);

// The folder holding those links: $XDG_CONFIG_HOME/Voltander/ports, or
// ~/.config/Voltander/ports when XDG_CONFIG_HOME is unset or not absolute.
std::string PortLinkFolder();

}  // namespace voltander
