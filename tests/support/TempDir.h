// A private folder for one test, removed with everything in it when the test ends.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace voltander::test {

class TempDir {
 public:
  // Under $TMPDIR (or /tmp); throws when it cannot be made.
  explicit TempDir(const std::string& prefix)
      : path_(std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")) {
    if (!mkdtemp(path_.data())) throw std::runtime_error("cannot make a folder like " + path_);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace voltander::test
