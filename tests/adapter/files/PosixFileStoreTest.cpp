#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/fsuid.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include "qt/platform/PosixFileStore.h"
#include "support/SimProcess.h"
#include "support/TempDir.h"

namespace voltander {
namespace {

using test::ReadWholeFile;

void Put(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::set<std::string> Names(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    names.insert(e.path().filename());
  return names;
}

unsigned Mode(const std::string& path) {
  return unsigned(std::filesystem::status(path).permissions());
}

int Chattr(const std::string& flag, const std::string& path) {
  return std::system(("chattr " + flag + " '" + path + "' 2>/dev/null").c_str());
}

const std::string kOld = " 4\r\n 1\r\n 2\r\n 3\r\n 4\r\n 5\r\n 6\r\n 7\r\n";
const std::string kNew = " 5\r\n-1\r\n-1\r\n-1\r\n-1\r\n-1\r\n-1\r\n-1\r\n";

class PosixFiles : public ::testing::Test {
 protected:
  void TearDown() override {
    Chattr("-i", dir.file("a.vlt"));
    Chattr("-i", dir.path());
    ::chmod(dir.path().c_str(), 0700);
    ::umount2(dir.file("mnt").c_str(), MNT_DETACH);
  }
  // A refused save must report code and leave the old a.vlt, and nothing new, behind.
  void expectRefused(const std::string& folder, int code, const std::string& bytes = kNew) {
    const std::set<std::string> before = Names(folder);
    EXPECT_EQ(store.replace(folder + "/a.vlt", bytes), code);
    EXPECT_EQ(ReadWholeFile(folder + "/a.vlt"), kOld);
    EXPECT_EQ(Names(folder), before);
  }

  test::TempDir dir{"voltander-files"};
  PosixFileStore store;
};

TEST_F(PosixFiles, ReplaceWritesTheBytesKeepsTheModeAndFollowsLinks) {
  const std::string path = dir.file("a.vlt");
  ASSERT_EQ(store.replace(path, kOld), kFileOk);
  EXPECT_EQ(ReadWholeFile(path), kOld);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(Mode(path), 0666 & ~mask);
  ::chmod(path.c_str(), 0640);
  ASSERT_EQ(store.replace(path, kNew), kFileOk);
  EXPECT_EQ(ReadWholeFile(path), kNew);
  EXPECT_EQ(Mode(path), 0640u);

  const std::string link = dir.file("link.vlt");
  ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
  ASSERT_EQ(store.replace(link, kOld), kFileOk);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadWholeFile(path), kOld);
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"a.vlt", "link.vlt"}));
}

// Lookup names only ordinary files, exactly as stored; reads are bounded.
TEST_F(PosixFiles, LookupReadAndBadPathsMapToTheirNumbers) {
  Put(dir.file("a.vlt"), kOld);
  ::mkdir(dir.file("mappa.vlt").c_str(), 0755);
  ::symlink(dir.file("a.vlt").c_str(), dir.file("b.vlt").c_str());
  for (const char* name : {"a.vlt", "b.vlt"}) EXPECT_EQ(store.lookup(dir.file(name)), name);
  for (const std::string& none : {dir.file("A.vlt"), dir.file("nincs.vlt"), dir.file("mappa.vlt"),
                                  dir.file("a.vlt") + "/", std::string()}) {
    EXPECT_EQ(store.lookup(none), "") << none;
  }
  Put(dir.file("nagy.vlt"), std::string(1 << 20, 'x'));
  std::string out;
  EXPECT_EQ(store.read(dir.file("nagy.vlt"), out, 100), kFileOk);
  EXPECT_EQ(out.size(), 100u);
  ::mkdir(dir.file("mappa").c_str(), 0755);
  EXPECT_EQ(store.read(dir.file("nincs.vlt"), out, 100), kPathNotFound);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(store.read(dir.file("mappa"), out, 100), kPathFileAccess);
  EXPECT_EQ(store.read(std::string("a\0b", 3), out, 100), kBadFileName);
  EXPECT_EQ(store.replace(dir.file("nincs/a.vlt"), kNew), kPathNotFound);
  EXPECT_EQ(store.replace(dir.file(std::string(300, 'n')), kNew), kBadFileName);
  EXPECT_EQ(store.replace(dir.file("nincs") + "/", kNew), kBadFileName);
  EXPECT_EQ(store.replace(dir.file("mappa"), kNew), kPathFileAccess);
  EXPECT_EQ(Names(dir.path()),
            (std::set<std::string>{"a.vlt", "b.vlt", "mappa", "mappa.vlt", "nagy.vlt"}));
}

// The system's own refusals, each provoked for real; one the machine cannot provoke
// (no immutable flag, no mounting allowed) is skipped with the reason.
TEST_F(PosixFiles, AnImmutableFileRefusesTheSaveAndStays) {
  Put(dir.file("a.vlt"), kOld);
  if (Chattr("+i", dir.file("a.vlt")) != 0) GTEST_SKIP() << "chattr +i is not available here";
  expectRefused(dir.path(), kPathFileAccess);
}

// A folder that refuses new files (its mode, or the immutable flag that stops root too)
// still lets a file the user may write be saved, in place; a new file stays refused.
TEST_F(PosixFiles, AFolderThatRefusesNewFilesStillSavesAWritableFileInPlace) {
  Put(dir.file("a.vlt"), kOld + kOld);  // longer than the new content
  ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
  if (::access(dir.path().c_str(), W_OK) == 0 && Chattr("+i", dir.path()) != 0)
    GTEST_SKIP() << "the folder's mode does not keep root out and chattr +i is not available";
  EXPECT_EQ(store.replace(dir.file("a.vlt"), kNew), kFileOk);
  EXPECT_EQ(ReadWholeFile(dir.file("a.vlt")), kNew);
  EXPECT_EQ(store.replace(dir.file("uj.vlt"), kNew), kPathFileAccess);
  EXPECT_EQ(Names(dir.path()), std::set<std::string>{"a.vlt"});
}

TEST_F(PosixFiles, WithoutRightsSaveAndReadAreRefused) {
  const std::string a = dir.file("a.vlt"), secret = dir.file("titkos.vlt");
  Put(a, kOld);
  Put(secret, kOld);
  ASSERT_EQ(
      ::chmod(dir.path().c_str(), 0777) | ::chmod(a.c_str(), 0444) | ::chmod(secret.c_str(), 0), 0);
  // Root's override of permission bits goes with the change of the file-system user.
  const bool root = ::geteuid() == 0;
  if (root) ::setfsuid(65534);
  if (root && ::setfsuid(-1) != 65534) GTEST_SKIP() << "cannot change the file-system user";
  expectRefused(dir.path(), kPathFileAccess);
  std::string out;
  EXPECT_EQ(store.read(secret, out, 100), kPermissionDenied);
  if (root) ::setfsuid(0);
  ASSERT_EQ(::setfsuid(-1), int(::geteuid()));  // back to what it was
}

TEST_F(PosixFiles, AFullOrReadOnlyDiskRefusesTheSave) {
  const std::string mnt = dir.file("mnt");
  ::mkdir(mnt.c_str(), 0755);
  if (::mount("tmpfs", mnt.c_str(), "tmpfs", 0, "size=64k") != 0)
    GTEST_SKIP() << "mounting a tmpfs is not allowed here";
  Put(mnt + "/a.vlt", kOld);
  Put(mnt + "/filler", std::string(64 * 4096, 'f'));  // as much as fits
  expectRefused(mnt, kDiskFull, std::string(32 * 1024, 'n'));
  ASSERT_EQ(::mount("tmpfs", mnt.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=64k"), 0);
  expectRefused(mnt, kPathFileAccess);
  EXPECT_EQ(store.replace(mnt + "/uj.vlt", kNew), kPathFileAccess);
}

}  // namespace
}  // namespace voltander
