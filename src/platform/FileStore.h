// Files as the parameter-file commands see them: a directory lookup, whole-file
// reads and a write that replaces the target only once the new content is safe.
// Failures come back as the commands' own error numbers.
#pragma once

#include <string>

namespace voltander {

// The error numbers of the file commands; 0 is success.
enum FileError : int {
  kFileOk = 0,
  kOverflow = 6,            // a number that does not fit its type
  kBadFileName = 52,        // the name cannot name a file
  kDeviceIo = 57,           // input/output error on the device
  kDiskFull = 61,           // no space left
  kPastEnd = 62,            // fewer lines than the format has
  kDeviceUnavailable = 68,  // the device is gone
  kPermissionDenied = 70,   // not allowed to read or create
  kDiskNotReady = 71,       // the medium is not ready
  kPathFileAccess = 75,     // read-only or locked target: "Drive Problem" message
  kPathNotFound = 76,       // a folder on the way does not exist
  kOutOfRange = 380,        // a list position outside its list
  kCancelled = 32755,       // the user cancelled the dialog: no message
};

class FileStore {
 public:
  virtual ~FileStore() = default;
  // The bare name of the ordinary file at path, or "" when there is none.
  virtual std::string lookup(const std::string& path) = 0;
  // Reads at most maxBytes of the file into out; returns a FileError.
  virtual int read(const std::string& path, std::string& out, std::size_t maxBytes) = 0;
  // Replaces the file's content with bytes without ever leaving it half written:
  // a failure leaves the previous file as it was. Returns a FileError.
  virtual int replace(const std::string& path, const std::string& bytes) = 0;
};

}  // namespace voltander
