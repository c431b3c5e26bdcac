#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "common/CommNumbers.h"
#include "qt/platform/PortNames.h"

namespace voltander {

namespace {

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/";
}

}  // namespace

std::string PortLinkFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  const std::string config = (xdg && xdg[0] == '/') ? std::string(xdg) : HomeFolder() + "/.config";
  return config + "/Voltander/ports";
}

std::string DevicePathForPort(int n) {
  if (n < 1) return "";
  const std::string link = PortLinkFolder() + "/" + LinkName(n);
  struct stat st {};
  // lstat: a link whose device is gone still names that device, so the opening
  // reports a missing device instead of falling back to another one.
  if (lstat(link.c_str(), &st) == 0) return link;
  return StandardDevicePath(n);
}

}  // namespace voltander
