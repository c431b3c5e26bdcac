// Parameter files on a POSIX file system, with the commands' error numbers. Saving
// goes through a temporary file in the same folder that is synced and then renamed
// over the target, so a failed save never destroys the file it was to replace. Only
// where the folder refuses new files but the file may be written is it written in place.
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
