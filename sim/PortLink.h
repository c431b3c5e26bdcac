// Makes the simulator's device reachable as a numbered port of the program: the
// program looks up Comm N as the symbolic link Voltander/ports/COM<N> in the user's
// configuration folder before it falls back to the machine's serial devices.
#pragma once

#include <optional>
#include <string>

namespace voltander::sim {

// $XDG_CONFIG_HOME/Voltander/ports/COM<port>, or ~/.config/... without it (an
// unset or relative XDG_CONFIG_HOME is ignored, as the base-directory rules say).
std::string PortLinkPath(int port, const char* xdgConfigHome, const char* home);

class PortLink {
 public:
  // Creates the folders and points the link at device, replacing a stale one.
  static std::optional<PortLink> Register(int port, const std::string& device, std::string& error);

  PortLink(PortLink&& other) noexcept;
  PortLink& operator=(PortLink&&) = delete;
  PortLink(const PortLink&) = delete;
  // Removes the link, unless another simulator has taken the number over since.
  ~PortLink();

  const std::string& path() const { return path_; }

 private:
  PortLink(std::string path, std::string device)
      : path_(std::move(path)), device_(std::move(device)) {}

  std::string path_;
  std::string device_;
};

}  // namespace voltander::sim
