#include "qt/platform/PosixFileStore.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>

namespace voltander {

namespace {

enum class Access { Read, Write };

struct ErrnoCode {
  int err;
  int onRead;
  int onWrite;
};

// The one place where system errors become the commands' error numbers. A refused
// target is 70 when reading and 75 (the "Drive Problem" message) when writing.
// Anything not listed is a device input/output error.
constexpr ErrnoCode kErrnoCodes[] = {
    {EACCES, kPermissionDenied, kPathFileAccess},     // no permission for the user
    {EPERM, kPermissionDenied, kPathFileAccess},      // immutable or append-only file
    {EROFS, kPathFileAccess, kPathFileAccess},        // read-only file system
    {ETXTBSY, kPathFileAccess, kPathFileAccess},      // a running program's file
    {EISDIR, kPathFileAccess, kPathFileAccess},       // a folder, not a file
    {EBUSY, kPathFileAccess, kPathFileAccess},        // in use by the system
    {EAGAIN, kPathFileAccess, kPathFileAccess},       // locked by another program
    {ENOENT, kPathNotFound, kPathNotFound},           // a folder on the way is missing
    {ENOTDIR, kPathNotFound, kPathNotFound},          // a file where a folder should be
    {ELOOP, kPathNotFound, kPathNotFound},            // symbolic links in a circle
    {ENAMETOOLONG, kBadFileName, kBadFileName},       // name or path too long
    {EINVAL, kBadFileName, kBadFileName},             // a name the system refuses
    {EILSEQ, kBadFileName, kBadFileName},             // a name the file system cannot store
    {ENOSPC, kDiskFull, kDiskFull},                   // no space left
    {EDQUOT, kDiskFull, kDiskFull},                   // quota used up
    {EFBIG, kDiskFull, kDiskFull},                    // file too large for the device
    {EIO, kDeviceIo, kDeviceIo},                      // the device failed
    {ENXIO, kDeviceUnavailable, kDeviceUnavailable},  // the device is gone
    {ENODEV, kDeviceUnavailable, kDeviceUnavailable},
    {ESTALE, kDeviceUnavailable, kDeviceUnavailable},  // network share went away
    {ENOMEDIUM, kDiskNotReady, kDiskNotReady},         // no medium in the drive
};

int FromErrno(int err, Access access) {
  for (const ErrnoCode& c : kErrnoCodes) {
    if (c.err == err) return access == Access::Read ? c.onRead : c.onWrite;
  }
  return kDeviceIo;
}

bool NameablePath(const std::string& path) {
  return !path.empty() && path.find('\0') == std::string::npos;
}

struct SplitPath {
  std::string folder;
  std::string name;
};

SplitPath Split(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {".", path};
  return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

bool UsableName(const std::string& name) { return !name.empty() && name != "." && name != ".."; }

// Closes the descriptor and removes the temporary file unless released.
class TemporaryFile {
 public:
  ~TemporaryFile() {
    if (fd >= 0) ::close(fd);
    if (!path.empty()) ::unlink(path.c_str());
  }
  // Opens a new file next to target; the umask and the folder's defaults apply as
  // they do to any file the user creates. Returns 0 or an errno.
  int create(const SplitPath& target) {
    const std::string stem = target.folder + "/." + target.name.substr(0, 200) + ".tmp-" +
                             std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string candidate = stem + std::to_string(attempt);
      fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
      if (fd >= 0) {
        path = std::move(candidate);
        return 0;
      }
      if (errno != EEXIST) return errno;
    }
    return EEXIST;
  }
  int closeNow() {
    const int rc = ::close(fd);
    fd = -1;
    return rc == 0 ? 0 : errno;
  }
  void keep() { path.clear(); }

  int fd = -1;
  std::string path;
};

int WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

// A file that cannot be opened for writing must stay as it is: a rename would
// replace it whatever its permissions, immutable flag or lock say, so its own
// refusal is asked for first (without truncating anything).
int ProbeWritable(const std::string& target) {
  const int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return errno;
  ::close(fd);
  return 0;
}

// Writes over the file itself, from its start, then cuts it to length: the old
// blocks are reused, so a full disk does not stop a save of about the same size.
int WriteInPlace(const std::string& target, const std::string& bytes) {
  const int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return errno;
  int err = WriteAll(fd, bytes);
  if (err == 0 && (::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd) != 0))
    err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  return err;
}

void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);  // best effort: the file itself is already safe
  ::close(fd);
}

}  // namespace

std::string PosixFileStore::lookup(const std::string& path) {
  if (!NameablePath(path)) return "";
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return "";
  const SplitPath split = Split(path);
  if (!UsableName(split.name)) return "";

  // A folder that ignores letter case finds the file under another spelling; the
  // name it stores is the one that counts.
  DIR* dir = ::opendir(split.folder.c_str());
  if (!dir) return split.name;
  std::string stored = split.name;
  bool exact = false;
  std::string caseless;
  while (const dirent* entry = ::readdir(dir)) {
    if (split.name == entry->d_name) {
      exact = true;
      break;
    }
    if (caseless.empty() && ::strcasecmp(split.name.c_str(), entry->d_name) == 0) {
      caseless = entry->d_name;
    }
  }
  ::closedir(dir);
  if (!exact && !caseless.empty()) stored = caseless;
  return stored;
}

int PosixFileStore::read(const std::string& path, std::string& out, std::size_t maxBytes) {
  out.clear();
  if (!NameablePath(path)) return kBadFileName;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return FromErrno(errno, Access::Read);
  struct stat st {};
  int result = kFileOk;
  if (::fstat(fd, &st) != 0) {
    result = FromErrno(errno, Access::Read);
  } else if (!S_ISREG(st.st_mode)) {
    result = kPathFileAccess;
  } else {
    char buffer[4096];
    while (out.size() < maxBytes) {
      const std::size_t want = std::min(sizeof buffer, maxBytes - out.size());
      const ssize_t n = ::read(fd, buffer, want);
      if (n < 0) {
        if (errno == EINTR) continue;
        result = FromErrno(errno, Access::Read);
        break;
      }
      if (n == 0) break;
      out.append(buffer, static_cast<std::size_t>(n));
    }
  }
  ::close(fd);
  if (result != kFileOk) out.clear();
  return result;
}

int PosixFileStore::replace(const std::string& path, const std::string& bytes) {
  if (!NameablePath(path)) return kBadFileName;

  // Through a symbolic link the file it names is replaced, not the link.
  std::string target = path;
  if (char* real = ::realpath(path.c_str(), nullptr)) {
    target = real;
    std::free(real);
  } else if (errno != ENOENT) {
    return FromErrno(errno, Access::Write);
  }
  const SplitPath split = Split(target);
  if (!UsableName(split.name)) return kBadFileName;

  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (!exists && errno != ENOENT) return FromErrno(errno, Access::Write);
  if (exists) {
    if (!S_ISREG(old.st_mode)) return kPathFileAccess;
    if (const int err = ProbeWritable(target)) return FromErrno(err, Access::Write);
  }

  TemporaryFile temp;
  if (const int err = temp.create(split)) {
    // A folder that refuses new files (no write right, immutable) still holds a file
    // the user may write: that is saved in place, as it always could be.
    if (!exists || (err != EACCES && err != EPERM)) return FromErrno(err, Access::Write);
    const int inPlace = WriteInPlace(target, bytes);
    return inPlace == 0 ? kFileOk : FromErrno(inPlace, Access::Write);
  }
  if (exists) {
    // Keep who owns the file and who may use it. A user who may not give a file
    // away ends up owning the new one, which is the best that can be done.
    [[maybe_unused]] const int owner = ::fchown(temp.fd, old.st_uid, old.st_gid);
    [[maybe_unused]] const int mode = ::fchmod(temp.fd, old.st_mode & 07777);
  }
  if (const int err = WriteAll(temp.fd, bytes)) return FromErrno(err, Access::Write);
  if (::fsync(temp.fd) != 0) return FromErrno(errno, Access::Write);
  if (const int err = temp.closeNow()) return FromErrno(err, Access::Write);
  if (::rename(temp.path.c_str(), target.c_str()) != 0) return FromErrno(errno, Access::Write);
  temp.keep();
  SyncFolder(split.folder);
  return kFileOk;
}

}  // namespace voltander
