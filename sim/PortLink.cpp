#include "PortLink.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace voltander::sim {

namespace {

bool MakeFolders(const std::string& path, std::string& error) {
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    const std::string folder = path.substr(0, slash);
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
      error = folder + ": " + std::strerror(errno);
      return false;
    }
  }
  return true;
}

std::string ReadLink(const std::string& path) {
  std::vector<char> buf(4096);
  const ssize_t n = readlink(path.c_str(), buf.data(), buf.size());
  return n > 0 ? std::string(buf.data(), static_cast<std::size_t>(n)) : std::string();
}

}  // namespace

std::string PortLinkPath(int port, const char* xdgConfigHome, const char* home) {
  std::string base;
  if (xdgConfigHome && xdgConfigHome[0] == '/') {
    base = xdgConfigHome;
  } else {
    std::string h = home && home[0] ? home : "";
    if (h.empty()) {
      const passwd* pw = getpwuid(getuid());
      h = pw && pw->pw_dir ? pw->pw_dir : "/";
    }
    base = h + "/.config";
  }
  return base + "/Voltander/ports/COM" + std::to_string(port);
}

std::optional<PortLink> PortLink::Register(int port, const std::string& device,
                                           std::string& error) {
  const std::string path = PortLinkPath(port, std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
  if (!MakeFolders(path, error)) return std::nullopt;
  // A new link under a private name, then renamed over the old one, so the program
  // never finds the port missing half-way.
  const std::string temp = path + ".new" + std::to_string(getpid());
  unlink(temp.c_str());
  if (symlink(device.c_str(), temp.c_str()) != 0) {
    error = temp + ": " + std::strerror(errno);
    return std::nullopt;
  }
  if (rename(temp.c_str(), path.c_str()) != 0) {
    error = path + ": " + std::strerror(errno);
    unlink(temp.c_str());
    return std::nullopt;
  }
  return PortLink(path, device);
}

PortLink::PortLink(PortLink&& other) noexcept
    : path_(std::move(other.path_)), device_(std::move(other.device_)) {
  other.path_.clear();
}

PortLink::~PortLink() {
  if (!path_.empty() && ReadLink(path_) == device_) unlink(path_.c_str());
}

}  // namespace voltander::sim
