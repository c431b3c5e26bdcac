#include "qt/PosixFileStore.h"

namespace voltander {

std::string PosixFileStore::lookup(const std::string&) { return ""; }
int PosixFileStore::read(const std::string&, std::string&, std::size_t) { return kDeviceIo; }
int PosixFileStore::replace(const std::string&, const std::string&) { return kDeviceIo; }

}  // namespace voltander
