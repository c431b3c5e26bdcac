// Parameter files on a POSIX file system, with the commands' error numbers.
#pragma once

#include "platform/FileStore.h"

namespace voltander {

class PosixFileStore : public FileStore {
 public:
  std::string lookup(const std::string& path) override;
  int read(const std::string& path, std::string& out, std::size_t maxBytes) override;
  int replace(const std::string& path, const std::string& bytes) override;
};

}  // namespace voltander
